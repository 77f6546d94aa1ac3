// Hostile input through the real exports: configuration files, names, registry values, list-box
// entries and host replies far outside what a sane host or user hands over. Whatever comes, the host
// stand-in survives, the plugin does what it is meant to or declines, and no name reaches an
// application cut or altered.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h.
#include <tlhelp32.h>

#include <algorithm>

#include "tests/support/message_boxes.h"
#include "tests/support/viewing_session.h"

using namespace testing_support;

namespace {

std::string Narrow(const std::wstring& w) {
    return WideToUtf8(w);
}

struct HostileInput : ViewingSessionBase {
    // Views file from the main window in a fresh Lister; returns whether the plugin took it.
    bool View(const std::wstring& file) {
        Activate(main);
        HWND lister = host->CreateLister();
        const bool taken = host->ViewFile(lister, file, false) != nullptr;
        host->Pump(30);
        return taken;
    }
    // The plugin loaded afresh with the given INI bytes.
    void InstallRaw(const std::string& bytes) {
        NewHost();
        ASSERT_TRUE(WriteTextFile(dir / L"Tolvanier.ini", bytes));
        ASSERT_TRUE(host->LoadPlugin(dir / L"Tolvanier64.wlx64"));
    }
    // Every start so far names exactly the files given, in order.
    void ExpectStartsExactly(const std::vector<std::vector<std::wstring>>& expected) {
        const auto got = StartedArguments(expected.size());
        EXPECT_EQ(got, expected);
    }
};

// Ends the processes of this name that this test program started (through the plugin).
void EndChildren(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != GetCurrentProcessId() || _wcsicmp(entry.szExeFile, exeName) != 0)
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

} // namespace

TEST_F(HostileInput, OversizedAndBrokenPluginIniFiles) {
    const std::wstring file = MakeFile(L"a.txt");
    const std::string appLine = "txt=" + Narrow(app) + "\r\n";
    const std::string huge(100 * 1024, 'x');
    std::string manyLines;
    for (int i = 0; i < 40000; ++i)
        manyLines += "k" + std::to_string(i) + "=v\r\n";
    std::string garbage;
    for (int i = 0; i < 70000; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    struct Case {
        const char* what;
        std::string ini;
        bool taken; // documented outcome for a.txt
    } cases[] = {
        {"100 KB option values",
         "[Options]\r\nListerState=" + huge + "\r\nTCWindow=1" + huge + "\r\n[Editor]\r\n" + appLine, true},
        {"100 KB application value", "[Editor]\r\ntxt=" + huge + "\r\n", false},
        {"100 KB template", "[Editor]\r\n" + appLine + "txt_params=" + huge + "\r\n", true},
        {"100 KB key and section names",
         "[" + huge + "]\r\n" + huge + "=1\r\n[Editor]\r\n" + huge + "=2\r\n" + appLine, true},
        {"40,000-line sections before the application",
         "[Options]\r\n" + manyLines + "[Editor]\r\n" + appLine + manyLines, true},
        {"binary garbage", garbage, true},
        {"garbage then a valid section", garbage + "\r\n[Editor]\r\n" + appLine, true},
        {"nothing else", "", true},
    };
    int starts = 0;
    // Without an application the default editor opens the file: the test's program, not the system's.
    const std::string defaultEditor = "\r\n[Options]\r\nDefaultEditor=" + Narrow(app) + "\r\n";
    for (const Case& c : cases) {
        MessageBoxCatcher boxes;
        InstallRaw(c.ini + defaultEditor);
        const bool taken = View(file);
        EXPECT_EQ(taken, c.taken) << c.what;
        if (taken) ++starts;
        const auto args = StartedArguments(static_cast<size_t>(starts));
        ASSERT_EQ(args.size(), static_cast<size_t>(starts)) << c.what;
        if (taken) {
            EXPECT_EQ(args.back().at(0), file) << c.what;
        }
        for (const auto& box : boxes.Boxes())
            EXPECT_LE(box.text.size(), 400u) << c.what << ": a message box text stays readable";
    }
}

TEST_F(HostileInput, ApplicationLinesCutAtTheEndOfAFullEditorSectionAreNotUsed) {
    // The [Editor] section is read into a 32767-unit buffer. A composite line that the buffer cuts
    // must not turn into a shorter application path or template.
    const std::wstring file = MakeFile(L"a.cut");
    const std::wstring fakeApp = app + L"-longer-than-that.exe";
    std::string filler;
    while (filler.size() < 32767 - 40)
        filler += "f" + std::to_string(filler.size()) + "=v\r\n";
    // The section text is "[Editor]" lines joined by terminators; pad it so that the 32765 units kept
    // end right after the real program's name inside the last line.
    const std::string line = "zz,cut=" + Narrow(fakeApp) + "\r\n";
    const size_t kept = 32767 - 2;
    size_t fillerUnits = 0;
    for (char ch : filler)
        if (ch != '\n') ++fillerUnits;
    const size_t appEnd = fillerUnits + 7 + Narrow(app).size();
    ASSERT_LT(appEnd + 10, kept);
    const std::string pad = "p=" + std::string(kept - appEnd - 3, 'p') + "\r\n";
    MessageBoxCatcher boxes;
    InstallRaw("[Options]\r\nIfIsExtOnly=1\r\n[Editor]\r\n" + pad + filler + line);
    const bool taken = View(file);
    EXPECT_FALSE(taken) << "a cut application path must not start the program it happens to name";
    EXPECT_TRUE(Started(0).empty());
}

TEST_F(HostileInput, Utf16IniFilesWithAndWithoutByteOrderMark) {
    const std::wstring file = MakeFile(L"a.txt");
    const std::wstring ini = L"[Options]\r\nListerState=0\r\n[Editor]\r\ntxt=" + app + L"\r\n";
    ASSERT_TRUE(WriteUtf16File(dir / L"Tolvanier.ini", ini, true));
    ASSERT_TRUE(host->LoadPlugin(dir / L"Tolvanier64.wlx64"));
    EXPECT_TRUE(View(file)) << "a UTF-16 INI with a byte-order mark reads like any other";
    ExpectStartsExactly({{file}});

    NewHost();
    ASSERT_TRUE(WriteUtf16File(dir / L"Tolvanier.ini", ini, false));
    ASSERT_TRUE(host->LoadPlugin(dir / L"Tolvanier64.wlx64"));
    // Read as narrow text: nothing of it is understood, so the system's default editor opens the file;
    // it is one of this test's children and is ended again.
    EXPECT_TRUE(View(file));
    PumpFor(300);
    EndChildren(L"notepad.exe");
    EXPECT_EQ(Started(1).size(), 1u);

    // The host INI in UTF-16 without a mark, and binary garbage, while the panel is read.
    NewHost();
    Install("");
    ASSERT_TRUE(WriteUtf16File(dir / L"wincmd.ini", L"[Configuration]\r\nGetTextMode=1\r\n", false));
    host->SetPanelEntries({L"a.txt\t1"});
    host->SelectPanelEntries({0});
    host->SetDirectoryReply(hoststub::DirectoryReply::Normal, dir.Path());
    Activate(main);
    host->FocusPanel();
    host->ViewFile(host->CreateLister(), file, false);
    std::string garbage(5000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 31 + 7);
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", garbage));
    Activate(main);
    host->FocusPanel();
    host->ViewFile(host->CreateLister(), file, false);
    for (const auto& args : StartedArguments(1))
        EXPECT_EQ(args, std::vector<std::wstring>{file});
}

TEST_F(HostileInput, NamesAtAndBeyondThePathLimit) {
    Install("ListerState=0");
    // folder + name = exactly the wanted length.
    auto nameOfLength = [](const std::wstring& folder, size_t length) {
        return folder + std::wstring(length - folder.size() - 4, L'n') + L".txt";
    };
    // A folder whose own path passes 259 units, in components every file system takes.
    std::wstring deep = dir.Path();
    for (wchar_t c = L'a'; deep.size() <= 259; ++c) {
        deep += std::wstring(100, c) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    const std::wstring names[] = {nameOfLength(dir.Path(), 259), nameOfLength(dir.Path(), 260),
                                  nameOfLength(deep, deep.size() + 40)};
    // Each start is awaited: the applications log in the order they get going.
    size_t starts = 0;
    for (const std::wstring& name : names) {
        ASSERT_TRUE(WriteTextFile(name, "x"));
        EXPECT_TRUE(View(name)) << name.size() << " units reach the application whole";
        EXPECT_EQ(Started(++starts).size(), starts);
    }
    EXPECT_FALSE(View(nameOfLength(deep, 32000))) << "no such file";

    // The narrow export converts the whole name, however long.
    auto viewNarrow = [&](const std::wstring& name) {
        std::string narrow(name.begin(), name.end());
        Activate(main);
        HWND lister = host->CreateLister();
        const bool taken = host->Plugin().ListLoad(lister, narrow.data(), 0) != nullptr;
        host->Pump(30);
        host->CloseLister(lister);
        return taken;
    };
    Sleep(1100); // the pass-on guard of the same Lister
    for (const std::wstring& name : names) {
        EXPECT_TRUE(viewNarrow(name)) << name.size();
        EXPECT_EQ(Started(++starts).size(), starts);
    }

    // A selection in the deep folder: the host's directory reply and the names put together, whole.
    const std::wstring first = deep + L"first.txt", second = deep + L"second.txt";
    ASSERT_TRUE(WriteTextFile(first, "x") && WriteTextFile(second, "x"));
    host->SetPanelEntries({L"first.txt\t1", L"second.txt\t2"});
    host->SelectPanelEntries({0, 1});
    host->SetDirectoryReply(hoststub::DirectoryReply::Normal, deep);
    Activate(main);
    host->FocusPanel();
    EXPECT_NE(host->ViewFile(host->CreateLister(), first, false), nullptr);
    ExpectStartsExactly(
        {{names[0]}, {names[1]}, {names[2]}, {names[0]}, {names[1]}, {names[2]}, {first, second}});
}

TEST_F(HostileInput, UnusualCharactersReachTheApplicationUnchanged) {
    // ":dir" opens folders with the same program; an environment reference in a name stays as it is.
    Install("ListerState=0\r\nDefaultEditor=" + Narrow(app), ":dir=" + Narrow(app) + "\r\n");
    SetEnv(L"TOLVANIER_HOSTILE", L"EXPANDED");
    const std::wstring names[] = {L"with space.txt",
                                  L"100%.txt",
                                  L"%TOLVANIER_HOSTILE%.txt",
                                  L"a%1b.txt",
                                  L"caret^here.txt",
                                  L"comma,here.txt",
                                  L"equals=here.txt",
                                  L"semi;colon.txt",
                                  L"amp&er.txt",
                                  L"brace{}[]().txt",
                                  L"quote'single.txt",
                                  L"\U0001D11E clef.txt",
                                  L"\u00e9t\u00e9 \u4e2d.txt",
                                  L"  leading.txt",
                                  L"trailing space .txt",
                                  L"#hash!.txt"};
    std::vector<std::vector<std::wstring>> expected;
    // Each start logs before the next (applications started together may log in either order). Wine
    // now and then starts no child at all: a name whose start never logged is viewed once more.
    auto viewAndConfirm = [&](const std::wstring& path) {
        EXPECT_TRUE(View(path)) << Narrow(path);
        expected.push_back({path});
        if (Started(expected.size()).size() < expected.size()) {
            EXPECT_TRUE(View(path)) << Narrow(path);
        }
        EXPECT_EQ(Started(expected.size()).size(), expected.size()) << Narrow(path);
    };
    for (const std::wstring& n : names) {
        const std::wstring path = dir / n;
        ASSERT_TRUE(WriteTextFile(path, "x")) << Narrow(n);
        viewAndConfirm(path);
    }
    // A folder, given with and without the closing backslash.
    const std::wstring folder = dir / L"odd folder,%^=";
    CreateDirectoryW(folder.c_str(), nullptr);
    viewAndConfirm(folder + L"\\");
    viewAndConfirm(folder);
    // A name ending in a dot names the same file without it on this platform: whatever is started
    // gets the name as the host gave it.
    const std::wstring dotted = dir / L"dotted.txt.";
    WriteTextFile(dir / L"dotted.txt", "x");
    if (View(dotted)) expected.push_back({dotted});
    ExpectStartsExactly(expected);
    SetEnv(L"TOLVANIER_HOSTILE", nullptr);
}

TEST_F(HostileInput, RegistryAssociationsOfTheWrongShape) {
    // The system-association hotkey on made-up extensions whose registry entries are broken.
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"hidden");
    Install("DefaultEditor=" + Narrow(app),
            "[HotKeys]\r\nDefSysAppFromLister_key=114\r\nDefSysAppFromLister_mod=S\r\n");
    const std::wstring command = Quoted(app) + L" \"%1\"";
    const DWORD number = 42;
    const std::wstring overLong = Quoted(app + std::wstring(600, L'x')) + L" \"%1\"";
    const std::wstring progId = L"tolvbadfile";
    struct Case {
        const wchar_t* ext;
        DWORD type;
        std::vector<BYTE> data; // the command's default value
        bool starts;
    };
    auto bytesOf = [](const std::wstring& s, bool terminated) {
        const auto* p = reinterpret_cast<const BYTE*>(s.c_str());
        return std::vector<BYTE>(p, p + (s.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    };
    std::vector<BYTE> numberBytes(reinterpret_cast<const BYTE*>(&number),
                                  reinterpret_cast<const BYTE*>(&number) + sizeof(number));
    std::vector<BYTE> oddBytes = bytesOf(command, false);
    oddBytes.push_back('x');
    std::vector<Case> cases = {
        {L"tolvbad1", REG_SZ, bytesOf(command, false), true},  // not terminated
        {L"tolvbad2", REG_DWORD, numberBytes, false},          // a number
        {L"tolvbad3", REG_BINARY, {0xff, 0xfe, 0x00}, false},  // odd bytes
        {L"tolvbad4", REG_SZ, bytesOf(overLong, true), false}, // longer than a path
        {L"tolvbad5", REG_SZ, {}, true},                       // empty: the default editor
        {L"tolvbad6", REG_SZ, oddBytes, true},                 // an odd byte after the text
        {L"tolvbad7", REG_MULTI_SZ, bytesOf(command + L'\0', true), true},
    };
    HWND open = host->CreateLister();
    ShowWindow(open, SW_SHOW);
    std::vector<std::vector<std::wstring>> expected;
    Sleep(1100);
    for (const Case& c : cases) {
        const std::wstring ext = c.ext;
        const std::wstring file = MakeFile(L"a." + ext);
        SetRegistryDefault(L"." + ext, REG_SZ, (progId + ext).c_str(),
                           static_cast<DWORD>((progId.size() + ext.size() + 1) * sizeof(wchar_t)));
        SetRegistryDefault(progId + ext + L"\\shell\\open\\command", c.type, c.data.data(),
                           static_cast<DWORD>(c.data.size()));
        // A Lister opened from a Lister: declined by default, but the hotkeys work in it.
        Activate(open);
        HWND lister = host->CreateLister();
        host->ViewFile(lister, file);
        MessageBoxCatcher boxes;
        Activate(lister);
        SendKey(VK_SHIFT, false);
        SendKey(VK_F3, false);
        SendKey(VK_F3, true);
        SendKey(VK_SHIFT, true);
        PumpFor(250);
        if (c.starts) {
            expected.push_back({file});
            EXPECT_EQ(Started(expected.size()).size(), expected.size()) << Narrow(ext);
            Sleep(1100); // the hotkey's own pause after a start
        } else {
            EXPECT_EQ(boxes.Boxes().size(), 1u) << Narrow(ext);
        }
        host->CloseLister(lister);
        RemoveRegistryKey(L"." + ext);
        RemoveRegistryKey(progId + ext);
    }
    ExpectStartsExactly(expected);
}

TEST_F(HostileInput, HugeListBoxEntriesInASelection) {
    Install("ListerState=0");
    const std::wstring a = MakeFile(L"a.txt");
    const std::wstring viewed = MakeFile(L"viewed.txt");
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", "[Configuration]\r\nGetTextMode=1\r\n"));
    host->SetDirectoryReply(hoststub::DirectoryReply::Normal, dir.Path());
    const std::wstring huge(100000, L'h');
    host->SetPanelEntries({huge + L"\t1", L"a.txt\t2", L"\t" + huge, huge});
    host->SelectPanelEntries({0, 1, 2, 3});
    Activate(main);
    host->FocusPanel();
    EXPECT_NE(host->ViewFile(host->CreateLister(), viewed, false), nullptr);
    // Only the entry that names a file is opened.
    ExpectStartsExactly({{a}});
}

TEST_F(HostileInput, DirectoryRepliesOfEverySizeAndKind) {
    Install("ListerState=0");
    const std::wstring a = MakeFile(L"a.txt");
    const std::wstring viewed = MakeFile(L"viewed.txt");
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", "[Configuration]\r\nGetTextMode=1\r\n"));
    host->SetPanelEntries({L"a.txt\t1"});
    host->SelectPanelEntries({0});

    const std::wstring d = dir.Path();
    auto bytes = [](const std::wstring& s, size_t count) {
        std::vector<BYTE> b(reinterpret_cast<const BYTE*>(s.c_str()),
                            reinterpret_cast<const BYTE*>(s.c_str()) + (s.size() + 1) * sizeof(wchar_t));
        b.resize(count, 0);
        return b;
    };
    const size_t whole = (d.size() + 1) * sizeof(wchar_t);
    std::vector<BYTE> pattern64k(65536);
    for (size_t i = 0; i < pattern64k.size(); ++i)
        pattern64k[i] = static_cast<BYTE>('A' + i % 26);
    std::wstring longDir = d + std::wstring(300, L'q') + L"\\";
    // What opens: the selected file in the folder the host named; the viewed file when the answer came
    // cut (longer than any path); nothing when there was no usable folder (the entry names no file).
    const std::wstring none;
    struct Case {
        const char* what;
        hoststub::DirectoryReply mode;
        std::vector<BYTE> raw;
        const std::wstring& expect;
    } cases[] = {
        {"normal", hoststub::DirectoryReply::Normal, {}, a},
        {"exact raw", hoststub::DirectoryReply::Raw, bytes(d, whole), a},
        {"no terminator", hoststub::DirectoryReply::Raw, bytes(d, whole - 2), a},
        {"odd size", hoststub::DirectoryReply::Raw, bytes(d, whole + 1), a},
        {"odd size cutting the terminator", hoststub::DirectoryReply::Raw, bytes(d, whole - 1), a},
        {"empty", hoststub::DirectoryReply::Raw, {}, none},
        {"one byte", hoststub::DirectoryReply::Raw, {'Z'}, none},
        {"three bytes", hoststub::DirectoryReply::Raw, {'Z', 0, ':'}, none},
        {"520 bytes of text", hoststub::DirectoryReply::Raw, std::vector<BYTE>(520, 'A'), none},
        {"521 bytes of text", hoststub::DirectoryReply::Raw, std::vector<BYTE>(521, 'A'), none},
        {"520 bytes, directory and padding", hoststub::DirectoryReply::Raw, bytes(d, 520), a},
        {"521 bytes, directory and padding", hoststub::DirectoryReply::Raw, bytes(d, 521), a},
        {"64 KB of text", hoststub::DirectoryReply::Raw, pattern64k, viewed},
        {"64 KB, directory and padding", hoststub::DirectoryReply::Raw, bytes(d, 65536), a},
        {"a directory beyond 259 units, taken whole", hoststub::DirectoryReply::Raw,
         bytes(longDir, longDir.size() * 2 + 2), none},
        {"wrong kind", hoststub::DirectoryReply::WrongKind, {}, none},
        {"from another window", hoststub::DirectoryReply::FromOtherWindow, {}, none},
        {"no answer", hoststub::DirectoryReply::None, {}, none},
    };
    std::vector<std::vector<std::wstring>> expected;
    for (const Case& c : cases) {
        host->SetDirectoryReply(c.mode, d, c.raw);
        Activate(main);
        host->FocusPanel();
        HWND lister = host->CreateLister();
        const bool taken = host->ViewFile(lister, viewed, false) != nullptr;
        host->Pump(30);
        host->CloseLister(lister);
        EXPECT_EQ(taken, !c.expect.empty()) << c.what;
        if (!c.expect.empty()) expected.push_back({c.expect});
        const auto got = StartedArguments(expected.size());
        ASSERT_EQ(got.size(), expected.size()) << c.what;
        if (!expected.empty()) {
            EXPECT_EQ(got.back(), expected.back()) << c.what;
        }
    }
    Sleep(300);
    ExpectStartsExactly(expected);
}

namespace {

// A thread timer, served by the box's own loop, presses both hotkeys on several ticks while the box
// is up (giving the Lister the focus back, as a user clicking it would), then dismisses every box of
// this process, nested ones included.
struct Presser {
    static inline int ticks = 0;
    static inline HWND lister = nullptr;
    static inline std::vector<std::wstring> texts;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ++ticks;
        if (ticks % 2 == 1 && ticks < 12) {
            SetActiveWindow(lister);
            for (WORD vk : {VK_F2, VK_F3}) {
                SendKey(vk, false);
                SendKey(vk, true);
            }
            return;
        }
        if (ticks < 12) return;
        for (const CaughtBox& box : DismissOwnMessageBoxes())
            texts.push_back(box.text);
    }
};

} // namespace

TEST_F(HostileInput, HotkeysWhileAMessageBoxOfThePluginIsOpen) {
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"hidden");
    const std::wstring missing = dir / L"gone\\ed.exe";
    Install("Lister4=1", "log=" + Narrow(missing) +
                             "\r\n[HotKeys]\r\nAppFromLister_key=113\r\nAppFromLister_mod=\r\n"
                             "DefSysAppFromLister_key=114\r\nDefSysAppFromLister_mod=\r\n");
    const std::wstring file = MakeFile(L"a.log");
    HWND open = host->CreateLister();
    ShowWindow(open, SW_SHOW);
    Sleep(1100);
    Activate(open);
    HWND lister = host->CreateLister();
    Presser::lister = lister;
    const UINT_PTR presser = SetTimer(nullptr, 0, 25, Presser::Tick);
    EXPECT_EQ(host->ViewFile(lister, file), nullptr);
    host->Pump(600);
    KillTimer(nullptr, presser);
    EXPECT_GE(Presser::ticks, 12) << "the box stayed up while keys were pressed";
    ASSERT_FALSE(Presser::texts.empty());
    for (const auto& text : Presser::texts)
        EXPECT_NE(text.find(L"not found"), std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(host->ListerAlive(lister));
    // The hotkeys for a file whose application is missing start nothing.
    EXPECT_TRUE(Started(0).empty());
    host->CloseLister(lister);
}

TEST_F(HostileInput, ApplicationsThatNeverIdleOrEndAtOnceDoNotHoldTheLoad) {
    Install("");
    const std::wstring copy = MakeTemporaryCopy(L"packed.txt");
    size_t starts = 0;
    for (const wchar_t* mode : {L"busy", L"exit", L"hidden"}) {
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", mode);
        SetEnv(L"TOLVANIER_VIEWAPP_MS", L"6000");
        Activate(main);
        HWND lister = host->CreateLister();
        const DWORD start = GetTickCount();
        EXPECT_NE(host->ViewFile(lister, copy), nullptr) << Narrow(mode);
        const DWORD took = GetTickCount() - start;
        EXPECT_LT(took, 2000u) << Narrow(mode) << ": the load does not wait for the application";
        EXPECT_EQ(Started(++starts).size(), starts) << Narrow(mode);
        host->Pump(100);
        host->CloseLister(lister);
    }
    ExpectStartsExactly({{copy}, {copy}, {copy}});
    SetEnv(L"TEMP", nullptr);
}
