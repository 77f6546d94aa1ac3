// What is kept of the configuration files between reads: it answers only while the file is as it was
// read, and never hides an edit.
#include <gtest/gtest.h>

#include <windows.h>

#include "config/ini.h"
#include "tests/support/test_support.h"

using namespace testing_support;
using config::IniPlatformReads;
using config::IniReadInt;
using config::IniReadSection;
using config::IniReadString;

namespace {

struct IniCache : testing::Test {
    TempDir dir{L"ini_cache"};
    std::wstring ini = dir / L"c.ini";
    void SetUp() override { config::IniForgetReads(); }
    void TearDown() override { config::IniForgetReads(); }
    // Written and then dated well into the past, as a file the user edited a while ago.
    void WriteSettled(const std::string& text, int minutesAgo = 10) {
        ASSERT_TRUE(WriteTextFile(ini, text));
        ASSERT_TRUE(AgeFile(ini, minutesAgo));
    }
    std::wstring Value(const wchar_t* key) { return IniReadString(ini.c_str(), L"S", key, L"dflt"); }
};

// Platform reads made by body.
template <typename Body> unsigned long long ReadsOf(Body body) {
    const unsigned long long before = IniPlatformReads();
    body();
    return IniPlatformReads() - before;
}

} // namespace

TEST_F(IniCache, ASettledFileIsReadOnceUntilItChanges) {
    WriteSettled("[S]\r\na=one\r\nn=0x1f\r\nm= -5 \r\n");
    EXPECT_EQ(ReadsOf([&] { EXPECT_EQ(Value(L"a"), L"one"); }), 1u);
    EXPECT_EQ(ReadsOf([&] {
                  for (int i = 0; i < 3; ++i)
                      EXPECT_EQ(Value(L"a"), L"one");
              }),
              0u);
    // Numbers, sections and missing keys come back exactly as the platform first gave them.
    const int hex = static_cast<int>(GetPrivateProfileIntW(L"S", L"n", 7, ini.c_str()));
    const int negative = static_cast<int>(GetPrivateProfileIntW(L"S", L"m", 7, ini.c_str()));
    wchar_t section[64] = {};
    const DWORD sectionLength = GetPrivateProfileSectionW(L"S", section, 64, ini.c_str());
    ASSERT_GT(sectionLength, 0u);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(IniReadInt(ini.c_str(), L"S", L"n", 7), hex);
        EXPECT_EQ(IniReadInt(ini.c_str(), L"S", L"m", 7), negative);
        EXPECT_EQ(IniReadInt(ini.c_str(), L"S", L"none", 7), 7);
        EXPECT_EQ(IniReadInt(ini.c_str(), L"S", L"none", -2), -2) << "each default is its own read";
        EXPECT_EQ(Value(L"none"), L"dflt");
        EXPECT_EQ(IniReadString(ini.c_str(), L"S", L"a", L"", 3), L"on") << "each capacity is its own read";
        EXPECT_EQ(IniReadSection(ini.c_str(), L"S"), std::wstring(section, sectionLength + 1));
    }

    // The same size, another time stamp: read again.
    WriteSettled("[S]\r\na=two\r\nn=0x1f\r\nm= -5 \r\n", 5);
    EXPECT_EQ(ReadsOf([&] { EXPECT_EQ(Value(L"a"), L"two"); }), 1u);
    // Another size, the same old time stamp as before: read again.
    WriteSettled("[S]\r\na=three\r\n", 5);
    EXPECT_EQ(ReadsOf([&] { EXPECT_EQ(Value(L"a"), L"three"); }), 1u);
    // Deleted: defaults, and nothing kept from before.
    ASSERT_TRUE(DeleteFileW(ini.c_str()));
    EXPECT_EQ(Value(L"a"), L"dflt");
    WriteSettled("[S]\r\na=back\r\n");
    EXPECT_EQ(Value(L"a"), L"back");
}

TEST_F(IniCache, AFileWrittenJustNowIsReadAtEveryCallOutsideAScope) {
    ASSERT_TRUE(WriteTextFile(ini, "[S]\r\na=one\r\n"));
    EXPECT_EQ(ReadsOf([&] {
                  for (int i = 0; i < 3; ++i)
                      EXPECT_EQ(Value(L"a"), L"one");
              }),
              3u);
    // Rewritten within the file system's time resolution, same size: seen at once.
    ASSERT_TRUE(WriteTextFile(ini, "[S]\r\na=two\r\n"));
    EXPECT_EQ(Value(L"a"), L"two");
}

TEST_F(IniCache, AScopeAsksEachFileOnceAndAForgetEndsWhatItSaw) {
    ASSERT_TRUE(WriteTextFile(ini, "[S]\r\na=one\r\n"));
    {
        const config::IniReadMemo scope;
        const unsigned long long checks = config::IniStampChecks();
        EXPECT_EQ(ReadsOf([&] {
                      for (int i = 0; i < 3; ++i)
                          EXPECT_EQ(Value(L"a"), L"one");
                  }),
                  1u);
        {
            const config::IniReadMemo inner;
            EXPECT_EQ(ReadsOf([&] { EXPECT_EQ(Value(L"a"), L"one"); }), 0u) << "inner scopes share";
        }
        EXPECT_EQ(config::IniStampChecks() - checks, 1u);
        // An edit while a message box was open: the box forgets, the next read sees the edit.
        ASSERT_TRUE(WriteTextFile(ini, "[S]\r\na=two\r\n"));
        EXPECT_EQ(Value(L"a"), L"one") << "within the scope the first answer stands";
        config::IniForgetReads();
        EXPECT_EQ(Value(L"a"), L"two");
    }
    // A new scope looks at the file again.
    ASSERT_TRUE(WriteTextFile(ini, "[S]\r\na=six\r\n"));
    const config::IniReadMemo next;
    EXPECT_EQ(Value(L"a"), L"six");
}

TEST_F(IniCache, OnlyFullPathsAreKeptAcrossCalls) {
    // A bare name is looked for by the platform in its own folder, not where the file system would
    // find it: what the stamp says cannot vouch for it.
    WriteSettled("[S]\r\na=one\r\n");
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(dir.Path().c_str());
    const unsigned long long reads = ReadsOf([&] {
        IniReadString(L"c.ini", L"S", L"a", L"");
        IniReadString(L"c.ini", L"S", L"a", L"");
    });
    SetCurrentDirectoryW(current);
    EXPECT_EQ(reads, 2u);
}
