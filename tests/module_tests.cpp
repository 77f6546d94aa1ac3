// The real module, loaded by a process that plays the host: what its start-up leaves on disk, and
// the detect string.
#include <gtest/gtest.h>

#include <cstring>

#include "hoststub/host_standin.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

// An installation folder of its own: the module copied in, optionally with the sample.
struct Installation : testing::Test {
    TempDir dir{L"module_install"};
    hoststub::PluginModule plugin;
    std::wstring module = dir / L"Tolvanier64.wlx64";
    std::string sample = "[Options]\r\n; sample\r\nListerState=2\r\n";

    void SetUp() override { ASSERT_TRUE(CopyFileW(ModulePath().c_str(), module.c_str(), FALSE)); }
    void TearDown() override { plugin.Unload(); }
    void PutSample() {
        CreateDirectoryW((dir / L"IniSample").c_str(), nullptr);
        ASSERT_TRUE(WriteTextFile(dir / L"IniSample\\Tolvanier.ini", sample));
    }
};

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

EntryPoint EntryPointOf(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return reinterpret_cast<EntryPoint>(base + nt->OptionalHeader.AddressOfEntryPoint);
}

} // namespace

TEST_F(Installation, FreshInstallGetsAnExactCopyOfTheSample) {
    PutSample();
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_EQ(ReadFileBytes(dir / L"Tolvanier.ini"), sample);
}

TEST_F(Installation, ExistingIniIsNeverOverwritten) {
    PutSample();
    const std::string edited = "[Options]\r\nListerState=0\r\n";
    ASSERT_TRUE(WriteTextFile(dir / L"Tolvanier.ini", edited));
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_EQ(ReadFileBytes(dir / L"Tolvanier.ini"), edited);
    plugin.Unload();
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_EQ(ReadFileBytes(dir / L"Tolvanier.ini"), edited);
}

TEST_F(Installation, NoSampleNoIni) {
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_FALSE(FileExistsW(dir / L"Tolvanier.ini"));
}

TEST_F(Installation, StateFileIsDeletedAtEveryAttach) {
    ASSERT_TRUE(WriteTextFile(dir / L"TolvanierState.ini", "[State]\r\nx=1\r\n"));
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_FALSE(FileExistsW(dir / L"TolvanierState.ini"));
    plugin.Unload();
    ASSERT_TRUE(WriteTextFile(dir / L"TolvanierState.ini", "again"));
    ASSERT_TRUE(plugin.Load(module));
    EXPECT_FALSE(FileExistsW(dir / L"TolvanierState.ini"));
}

TEST_F(Installation, EntryPointReasonsOtherThanAttachChangeNothing) {
    PutSample();
    ASSERT_TRUE(plugin.Load(module));
    ASSERT_TRUE(DeleteFileW((dir / L"Tolvanier.ini").c_str()));
    ASSERT_TRUE(WriteTextFile(dir / L"TolvanierState.ini", "kept"));
    EntryPoint entry = EntryPointOf(plugin.Handle());
    EXPECT_EQ(entry(reinterpret_cast<HINSTANCE>(plugin.Handle()), DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(entry(reinterpret_cast<HINSTANCE>(plugin.Handle()), DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_TRUE(FileExistsW(dir / L"TolvanierState.ini"));
    EXPECT_FALSE(FileExistsW(dir / L"Tolvanier.ini"));
}

TEST(DetectString, CopiesAtMostSizeBytesAndPadsWithZeros) {
    hoststub::PluginModule plugin;
    ASSERT_TRUE(plugin.Load(ModulePath()));
    struct Case {
        int size;
        const char* expected; // the first size bytes
    } cases[] = {{16, "MULTIMEDIA\0\0\0\0\0"}, {11, "MULTIMEDIA"}, {10, "MULTIMEDIA"}, {4, "MULT"}, {1, "M"}};
    for (const Case& c : cases) {
        char buffer[32];
        std::memset(buffer, '#', sizeof(buffer));
        plugin.ListGetDetectString(buffer, c.size);
        EXPECT_EQ(std::memcmp(buffer, c.expected, static_cast<size_t>(c.size)), 0) << "size " << c.size;
        EXPECT_EQ(buffer[c.size], '#') << "wrote past size " << c.size;
    }
    char untouched = '#';
    plugin.ListGetDetectString(&untouched, 0);
    EXPECT_EQ(untouched, '#');
}
