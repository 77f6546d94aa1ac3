// The command list builder over real files, folders, INI files and executable search.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include "config/commands.h"
#include "config/options.h"
#include "shared/process.h"
#include "shared/state.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "tests/support/viewing_session.h"
#include "win/paths.h"
#include "win/text.h"

using namespace testing_support;

namespace {

std::vector<std::wstring> ParseArguments(const std::wstring& line) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> args;
    for (int i = 0; argv && i < count; ++i)
        args.push_back(argv[i]);
    LocalFree(argv);
    return args;
}

struct Commands : testing::Test {
    TempDir dir{L"commands"};
    std::wstring tools = dir / L"tools";
    std::wstring P = tools + L"\\tolvaned.exe";
    std::wstring Q = tools + L"\\tolvq.exe";
    HWND owner = nullptr;

    void SetUp() override {
        CreateDirectoryW(tools.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), P.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), Q.c_str(), FALSE));
        win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini");
        TolvanierOptions = {};
        TolvanierOptions.ParamsMode = 1;
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        hwMain = owner;
    }
    void TearDown() override {
        OptionsIniName[0] = L'\0';
        TolvanierOptions = {};
        hwMain = nullptr;
        DestroyWindow(owner);
    }
    void WriteIni(const std::wstring& text) { ASSERT_TRUE(WriteTextFile(OptionsIniName, WideToUtf8(text))); }
    std::wstring Touch(const std::wstring& name) {
        EXPECT_TRUE(WriteTextFile(dir / name, "x"));
        return dir / name;
    }
    std::vector<std::wstring> Build(const std::vector<std::wstring>& names, int byExtMode) {
        TolvanierOptions.ParamsByExtMode = byExtMode;
        std::vector<std::wstring> lines;
        GetCommandsList(names, lines, false, false);
        return lines;
    }
};

} // namespace

TEST_F(Commands, TheThreeGroupingsOfTheWorkedExample) {
    WriteIni(L"[Editor]\r\ntxt=" + P + L"\r\nlog=" + P + L"\r\n:dir=" + Q +
             L"\r\nlog_params=-r %1\r\ntxt_params=-t\r\n:dir_params=\r\n");
    const std::wstring b = Touch(L"b.TXT"), a = Touch(L"a.txt"), c = Touch(L"c.log"), sub = dir / L"sub";
    CreateDirectoryW(sub.c_str(), nullptr);
    const std::vector<std::wstring> names = {b, a, c, sub, dir / L"gone.txt"};
    const std::wstring qP = Quoted(P), qQ = Quoted(Q);

    EXPECT_EQ(Build(names, 0),
              (std::vector<std::wstring>{qP + L" -r " + Quoted(c) + L" " + Quoted(b) + L" " + Quoted(a),
                                         qQ + L" " + Quoted(sub)}));
    EXPECT_EQ(Build(names, 1),
              (std::vector<std::wstring>{qQ + L" " + Quoted(sub), qP + L" -r " + Quoted(c),
                                         qP + L" " + Quoted(b) + L" " + Quoted(a) + L" -t"}));
    EXPECT_EQ(Build(names, 2),
              (std::vector<std::wstring>{qP + L" " + Quoted(a) + L" -t", qP + L" " + Quoted(b) + L" -t",
                                         qP + L" -r " + Quoted(c), qQ + L" " + Quoted(sub)}));
    EXPECT_TRUE(Build(names, 3).empty());
    EXPECT_TRUE(Build({dir / L"gone.txt"}, 0).empty());
}

// With UseSystemAssociations=1 the files the shell opens get a line each, in their key's place.
TEST_F(Commands, FilesTheShellOpensComeOneByOneInTheOrderOfTheirKeys) {
    SetRegistryText(L".tolvcsh", L"TolvZqShell");
    SetRegistryText(L"TolvZqShell\\shell\\open\\command", Quoted(P) + L" /own \"%1\"");
    TolvanierOptions.UseSystemAssociations = true;
    WriteIni(L"[Editor]\r\naaa=" + P + L"\r\nzzz=" + Q + L"\r\n");
    const std::vector<std::wstring> names = {Touch(L"a.zzz"), Touch(L"c.tolvcsh"), Touch(L"b.TOLVCSH"),
                                             Touch(L"d.aaa")};
    const std::vector<std::wstring> expected = {Quoted(P) + L" " + Quoted(names[3]), Quoted(names[1]),
                                                Quoted(names[2]), Quoted(Q) + L" " + Quoted(names[0])};
    EXPECT_EQ(Build(names, 0), expected);
    EXPECT_EQ(Build(names, 1), expected);
    TolvanierOptions.ParamsMode = 2;
    EXPECT_TRUE(Build(names, 0).empty()) << "values that open nothing open nothing through the shell either";
    RemoveRegistryKey(L".tolvcsh");
    RemoveRegistryKey(L"TolvZqShell");
}

TEST_F(Commands, QuotedNamesParseBackWhole) {
    WriteIni(L"[Editor]\r\ntxt=" + P + L"\r\n:dir=" + P + L"\r\n:dir_params=-x %1 -y\r\n");
    const std::wstring spaced = Touch(L"a b.txt"), sub = dir / L"sub dir";
    CreateDirectoryW(sub.c_str(), nullptr);
    const std::vector<std::wstring> lines = Build({sub + L"\\", spaced}, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], Quoted(P) + L" -x \"" + sub + L"\\\\\" " + Quoted(spaced) + L" -y");
    EXPECT_EQ(ParseArguments(lines[0]), (std::vector<std::wstring>{P, L"-x", sub + L"\\", spaced, L"-y"}));
}

TEST_F(Commands, FailedLookupsShowOneBoxPerKeyAndOtherKeysGoOn) {
    WriteIni(L"[Editor]\r\nnox=tolvmissing\r\ntxt=" + P + L"\r\n");
    const std::vector<std::wstring> names = {Touch(L"1.nox"), Touch(L"2.NOX"), Touch(L"3.txt")};
    MessageBoxCatcher catcher;
    EXPECT_EQ(Build(names, 0), (std::vector<std::wstring>{Quoted(P) + L" " + Quoted(names[2])}));
    EXPECT_EQ(catcher.Texts(), (std::vector<std::wstring>{L"Application not found:\ntolvmissing"}));
}

TEST_F(Commands, FileExistsKinds) {
    const std::wstring file = Touch(L"f.txt");
    CreateDirectoryW((dir / L"d").c_str(), nullptr);
    EXPECT_EQ(FileExists(file), 1);
    EXPECT_EQ(FileExists(dir / L"d"), 16);
    EXPECT_EQ(FileExists(dir / L"d\\"), 16);
    EXPECT_EQ(FileExists(dir / L"d\\\\"), 0) << "only one trailing backslash is removed";
    EXPECT_EQ(FileExists(dir / L"f*.txt"), 1) << "a pattern counts when anything matches";
    EXPECT_EQ(FileExists(dir / L"none"), 0);
    EXPECT_EQ(FileExists(L""), 0);
    EXPECT_EQ(FileExists(L"\\"), 0);
    EXPECT_EQ(FileExists(file + std::wstring(1, L'\0') + L"junk"), 0);
}

TEST_F(Commands, LongNamesAreNeverCutIntoOtherNames) {
    // A file whose full name is 259 units; the same name with more units must not find it.
    const std::wstring exact = dir / std::wstring(kPathCapacity - 1 - dir.Path().size(), L'n');
    ASSERT_EQ(exact.size(), kPathCapacity - 1);
    ASSERT_TRUE(WriteTextFile(exact, "x"));
    EXPECT_EQ(FileExists(exact), 1);
    EXPECT_EQ(FileExists(exact + L"nnnnnnnnnn.txt"), 0);
    // Longer names are asked in the extended-length form of the full path (that form takes ".." as a name).
    EXPECT_EQ(win::FileSystemName(exact), exact);
    EXPECT_EQ(win::FileSystemName(exact + L"\\..\\x.txt"), L"\\\\?\\" + dir.Path() + L"x.txt");
    EXPECT_EQ(win::ExtendedLengthForm(L"\\\\server\\share\\a.txt"), L"\\\\?\\UNC\\server\\share\\a.txt");
    WriteIni(L"[Options]\r\nDefaultEditor=" + P + L"\r\n");
    EXPECT_EQ(Build({exact, exact + L"nnnnnnnnnn.txt"}, 0),
              (std::vector<std::wstring>{Quoted(P) + L" " + Quoted(exact)}));
}

TEST_F(Commands, NamesBeyondTheCommandLineLimitAreSpreadOverLines) {
    WriteIni(L"[Editor]\r\nlng=" + P + L"\r\nlng_params=-a %1 -z\r\n");
    std::vector<std::wstring> names;
    for (int i = 0; i < 150; ++i) {
        wchar_t prefix[8];
        swprintf(prefix, 8, L"%03d", i);
        names.push_back(Touch(prefix + std::wstring(200, L'x') + L".lng"));
    }
    const std::vector<std::wstring> lines = Build(names, 0);
    ASSERT_EQ(lines.size(), 2u);
    std::vector<std::wstring> seen;
    for (const auto& line : lines) {
        EXPECT_LT(line.size(), kCommandLineLimit);
        const std::vector<std::wstring> args = ParseArguments(line);
        ASSERT_GE(args.size(), 4u);
        EXPECT_EQ(args.front(), P);
        EXPECT_EQ(args[1], L"-a");
        EXPECT_EQ(args.back(), L"-z");
        seen.insert(seen.end(), args.begin() + 2, args.end() - 1);
    }
    EXPECT_EQ(seen, names) << "every name once, whole, in order";
}
