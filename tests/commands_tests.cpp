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
#include "win/handles.h"
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

// [Types] over real files: masks, sizes and content decide the type key; a type [Editor] has no
// application for, and the system's side, keep the extension key.
TEST_F(Commands, TypesGiveKeysByMasksSizeAndContentAndNeverTakeAChoiceAway) {
    const std::wstring R = tools + L"\\tolvr.exe";
    ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), R.c_str(), FALSE));
    WriteIni(L"[Options]\r\nDefaultEditor=" + R +
             L"\r\n[Types]\r\nMakefile;*.mk=make\r\n*.log=big size>50M\r\n*.log.?=log\r\n*.=plain text\r\n"
             L"*.=raw binary\r\n*.tar.gz=tgz\r\n*.git\\=repo size>0\r\n*.tolvzt=make\r\n[Editor]\r\nmake=" +
             P + L"\r\nmake_params=-f %1\r\nlog,plain=" + Q + L"\r\nbig,raw=" + P + L"\r\n");
    const std::wstring makefile = Touch(L"Makefile"), rotated = Touch(L"server.log.1"),
                       license = Touch(L"LICENSE"), small = Touch(L"small.log"), tgz = Touch(L"a.tar.gz"),
                       notes = Touch(L"notes.tolvzt"), big = dir / L"big.log", blob = dir / L"blob",
                       locked = Touch(L"locked"), repo = dir / L".git";
    ASSERT_TRUE(WriteTextFile(blob, std::string("\x7f"
                                                "ELF\0\x01",
                                                6)));
    CreateDirectoryW(repo.c_str(), nullptr);
    {
        // 60 MB that take no room where the file system keeps files sparse.
        const win::UniqueFile file(
            CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = 60ll << 20;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
    }
    // A file another program holds is neither text nor binary.
    const win::UniqueFile held(
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const auto line = [](const std::wstring& app, const std::wstring& args) {
        return Quoted(app) + L" " + args;
    };
    MessageBoxCatcher catcher;
    EXPECT_EQ(Build({makefile, rotated, license, blob, big, small, tgz, locked, repo}, 1),
              (std::vector<std::wstring>{
                  line(R, Quoted(locked)), line(R, Quoted(repo)), line(P, Quoted(big)), line(R, Quoted(tgz)),
                  line(Q, Quoted(rotated) + L" " + Quoted(small)), line(P, L"-f " + Quoted(makefile)),
                  line(Q, Quoted(license)), line(P, Quoted(blob))}))
        << "by key: \"\", :dir, big, gz (tgz names no application), log, make, plain, raw";

    // The first hotkey takes the type; the second keeps the extension, whose association names Q.
    SetRegistryText(L".tolvzt", L"TolvZtFile");
    SetRegistryText(L"TolvZtFile\\shell\\open\\command", Quoted(Q) + L" \"%1\"");
    std::vector<std::wstring> lines;
    GetCommandsList({notes}, lines, true, false);
    GetCommandsList({notes}, lines, true, true);
    EXPECT_EQ(lines, (std::vector<std::wstring>{line(P, L"-f " + Quoted(notes)), line(Q, Quoted(notes))}));
    RemoveRegistryKey(L".tolvzt");
    RemoveRegistryKey(L"TolvZtFile");

    // With the host's [Extensions], a type's application still comes from [Editor], kept apart from
    // the extension key of the same text.
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", WideToUtf8(L"[Extensions]\r\nlog=" + R + L"\r\n")));
    win::CopyTo(TCIniName, dir / L"wincmd.ini");
    TolvanierOptions.UseTCExtensions = true;
    EXPECT_EQ(Build({rotated, small}, 1),
              (std::vector<std::wstring>{line(R, Quoted(small)), line(Q, Quoted(rotated))}));
    TolvanierOptions.UseTCExtensions = false;
    TCIniName[0] = L'\0';

    // A type without an application leaves the extension key's choice: none, with IfIsExtOnly=1.
    TolvanierOptions.IfIsExtOnly = true;
    EXPECT_TRUE(Build({tgz}, 0).empty());
    lines.clear();
    GetCommandsList({tgz}, lines, true, false);
    EXPECT_EQ(lines, (std::vector<std::wstring>{line(R, Quoted(tgz))}));
    EXPECT_TRUE(catcher.Texts().empty());
}
