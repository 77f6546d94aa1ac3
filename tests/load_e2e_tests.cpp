// Whole viewing sessions: the host stand-in loads the real module from an installation folder of
// its own and views files as a person would; the tests check what that person would see.
#include <gtest/gtest.h>

#include <algorithm>

#include "hoststub/host_standin.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "tests/support/viewing_session.h"

using namespace testing_support;

namespace {

std::string Narrow(const std::wstring& w) {
    return WideToUtf8(w);
}

// Reads the text of the clipboard (CF_UNICODETEXT), empty when there is none.
std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void ClearClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// The load's sessions keep the started applications' windows (the default mode of the test
// application), unlike the hostile and soak sessions.
struct ViewingSession : ViewingSessionBase {
    void SetUp() override {
        ViewingSessionBase::SetUp();
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", nullptr);
    }
    bool HostLogHas(const std::wstring& line) const { return HostLogIndex(line) >= 0; }
    // Position of a line in the host's log, or -1.
    int HostLogIndex(const std::wstring& line) const {
        const auto& log = host->Log();
        auto it = std::find(log.begin(), log.end(), line);
        return it == log.end() ? -1 : static_cast<int>(it - log.begin());
    }
    std::wstring HostLogText() const {
        std::wstring all;
        for (const auto& l : host->Log())
            all += l + L"\n";
        return all;
    }
};

// TolvanierCheck.exe run as a user runs it; a checker that hangs is ended, not waited for.
struct CheckerReport {
    DWORD status = 999;
    std::string text;
};
CheckerReport RunChecker(const std::wstring& arguments) {
    const ProgramRun run = RunProgram(Quoted(BuildDir() + L"TolvanierCheck.exe") + L" " + arguments, 10000);
    return {run.status, run.output};
}

// The lines of a report that begin with "start: ", as the command lines they show.
std::vector<std::wstring> StartLines(const std::string& report) {
    std::vector<std::wstring> lines;
    for (size_t at = report.find("\nstart: "); at != std::string::npos;
         at = report.find("\nstart: ", at + 1)) {
        const size_t begin = at + 8;
        lines.push_back(Utf8ToWide(report.substr(begin, report.find("\r\n", begin) - begin)));
    }
    return lines;
}

} // namespace

TEST_F(ViewingSession, TypicalLoadStartsTheApplicationAndClosesTheLister) {
    Install("");
    const std::wstring file = MakeFile(L"a.txt");
    Activate(main);
    HWND lister = host->CreateLister();
    EXPECT_NE(host->ViewFile(lister, file), nullptr);
    host->Pump(300);
    EXPECT_EQ(Started(1), std::vector<std::wstring>{Quoted(app) + L" " + Quoted(file)});
    const int loaded = HostLogIndex(L"ListLoadW lister1 " + file + L" -> plugin window");
    const int closed = HostLogIndex(L"lister1 WM_CLOSE");
    EXPECT_GE(loaded, 0) << HostLogText();
    EXPECT_GT(closed, loaded) << "the Lister is closed only after the load returned\n" << HostLogText();
    EXPECT_FALSE(host->ListerAlive(lister));
}

TEST_F(ViewingSession, ListerOpenedFromAnOpenListerNeedsLister4AndIsNeverClosed) {
    Install("");
    const std::wstring file = MakeFile(L"a.txt");
    HWND open = host->CreateLister();
    ShowWindow(open, SW_SHOW);
    Activate(open);
    HWND lister = host->CreateLister();
    EXPECT_EQ(host->ViewFile(lister, file, false), nullptr);
    EXPECT_TRUE(Started(0).empty());
    // The host titles its viewer with the file and shows it itself.
    wchar_t title[MAX_PATH + 16] = L"";
    GetWindowTextW(lister, title, MAX_PATH + 16);
    EXPECT_EQ(title, L"Lister - [" + file + L"]");
    EXPECT_EQ(host->Lister(lister)->text, L"text\r\n");

    host.reset();
    host = std::make_unique<hoststub::HostStandIn>();
    main = host->CreateMainWindow();
    DeleteFileW((dir / L"Tolvanier.ini").c_str());
    Install("Lister4=1");
    open = host->CreateLister();
    ShowWindow(open, SW_SHOW);
    Activate(open);
    lister = host->CreateLister();
    EXPECT_NE(host->ViewFile(lister, file, false), nullptr);
    EXPECT_EQ(Started(1).size(), 1u);
    host->Pump(300);
    EXPECT_TRUE(host->ListerAlive(lister)) << HostLogText();
    EXPECT_FALSE(HostLogHas(L"lister2 WM_CLOSE"));
}

TEST_F(ViewingSession, QuickViewIsDeclinedByDefaultAndSwitchedOffWhenTaken) {
    Install("");
    const std::wstring file = MakeFile(L"a.txt");
    Activate(main);
    HWND quick = host->CreateLister(true);
    EXPECT_EQ(host->ViewFile(quick, file), nullptr);
    EXPECT_TRUE(Started(0).empty());

    host.reset();
    host = std::make_unique<hoststub::HostStandIn>();
    main = host->CreateMainWindow();
    DeleteFileW((dir / L"Tolvanier.ini").c_str());
    Install("QuickView=1");
    Activate(main);
    quick = host->CreateLister(true);
    EXPECT_NE(host->ViewFile(quick, file), nullptr);
    host->Pump(300);
    EXPECT_EQ(Started(1).size(), 1u);
    EXPECT_TRUE(HostLogHas(L"main command 304")) << HostLogText();
    EXPECT_FALSE(host->ListerAlive(quick));
}

TEST_F(ViewingSession, SelectedPanelEntriesOpenWithTheHostsDirectoryInSelectionOrder) {
    Install("");
    const std::wstring a = MakeFile(L"a.txt"), b = MakeFile(L"b.txt"), c = MakeFile(L"c.txt");
    MakeFile(L"viewed.txt");
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", "[Configuration]\r\nViewertype=1\r\nGetTextMode=1\r\n"));
    host->SetPanelEntries({L"c.txt\t3", L"x.txt\t0", L"a.txt\t1", L"b.txt\t2"});
    host->SelectPanelEntries({0, 2, 3});
    host->SetDirectoryReply(hoststub::DirectoryReply::Normal, dir.Path());
    Activate(main);
    host->FocusPanel();
    HWND lister = host->CreateLister();
    EXPECT_NE(host->ViewFile(lister, dir / L"viewed.txt"), nullptr);
    // One application, one command: the names in list order.
    EXPECT_EQ(Started(1), std::vector<std::wstring>{Quoted(app) + L" " + Quoted(c) + L" " + Quoted(a) + L" " +
                                                    Quoted(b)});
    EXPECT_TRUE(HostLogHas(L"main WM_COPYDATA SP"));
}

// A folder as the host lists it, in the right panel: the entries' names, sizes and dates in columns, and
// the panel's own folder as the host's answer.
TEST_F(ViewingSession, TheFocusedPanelsSelectionOpensFromTheFolderItShows) {
    Install("");
    const std::wstring folder = dir / L"right\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
    for (const wchar_t* name : {L"B.txt", L"a.txt"})
        ASSERT_TRUE(WriteTextFile(folder + name, std::string(1234, 'x')));
    const std::wstring viewed = MakeFile(L"viewed.txt");
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", "[Configuration]\r\nGetTextMode=1\r\n"));
    host->ShowFolder(0, dir.Path());
    // Folders first, then files, each by name in any letter case.
    const std::vector<std::wstring> entries = host->ShowFolder(1, folder);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].starts_with(L"sub\t<DIR>\t")) << WideToUtf8(entries[0]);
    EXPECT_TRUE(entries[1].starts_with(L"a.txt\t1,234\t")) << WideToUtf8(entries[1]);
    EXPECT_TRUE(entries[2].starts_with(L"B.txt\t")) << WideToUtf8(entries[2]);
    host->SelectPanelEntries({0}, 0);
    host->SelectPanelEntries({1, 2}, 1);
    Activate(main);
    host->FocusPanel(1);
    EXPECT_NE(host->ViewFile(host->CreateLister(), viewed), nullptr);
    EXPECT_EQ(Started(1), std::vector<std::wstring>{Quoted(app) + L" " + Quoted(folder + L"a.txt") + L" " +
                                                    Quoted(folder + L"B.txt")});
}

TEST_F(ViewingSession, ShiftAgainstViewertypeAndUnusableSelectionsFallBackToTheViewedFile) {
    Install("");
    MakeFile(L"a.txt");
    const std::wstring viewed = MakeFile(L"viewed.txt");
    host->SetDirectoryReply(hoststub::DirectoryReply::Normal, dir.Path());
    Activate(main);
    host->FocusPanel();
    struct Case {
        const char* hostIni;
        bool shift;
        std::vector<std::wstring> entries;
        bool focusPanel;
        bool expectSelection;
    } cases[] = {
        {"[Configuration]\r\nViewertype=1\r\n", true, {L"a.txt\t1"}, true, false},
        {"[Configuration]\r\nViewertype=2\r\n", false, {L"a.txt\t1"}, true, false},
        {"[Configuration]\r\nViewertype=2\r\n", true, {L"a.txt\t1"}, true, true},
        {"[Configuration]\r\nViewertype=0\r\n", true, {L"a.txt\t1"}, true, true},
        {"[Configuration]\r\nViewertype=3\r\n", false, {L"a.txt\t1"}, true, false},
        {"[Configuration]\r\nGetTextMode=4\r\n", false, {L"a.txt\r1"}, true, false}, // no tab: no name
        {"", false, {L"a.txt\t1"}, false, false},                                    // panel not focused
    };
    int n = 0;
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", c.hostIni));
        host->SetPanelEntries(c.entries);
        host->SelectPanelEntries({0});
        if (c.focusPanel)
            host->FocusPanel();
        else
            SetFocus(main);
        SetKeyState(VK_SHIFT, c.shift, false);
        HWND lister = host->CreateLister();
        host->ViewFile(lister, viewed);
        SetKeyState(VK_SHIFT, false, false);
        const auto lines = Started(static_cast<size_t>(++n));
        ASSERT_EQ(lines.size(), static_cast<size_t>(n)) << "case " << n;
        const std::wstring expected =
            Quoted(app) + L" " + Quoted(c.expectSelection ? dir / L"a.txt" : viewed);
        EXPECT_EQ(lines.back(), expected) << "case " << n;
        host->Pump(50);
    }
}

TEST_F(ViewingSession, FindFilesSearchTextGoesToTheClipboardAndTheDialogGates) {
    Install("");
    const std::wstring file = MakeFile(L"a.txt");
    ClearClipboard();
    HWND find = host->CreateFindFiles({5, 116}, {85, 114}, BST_CHECKED, L"needle");
    Activate(find);
    HWND lister = host->CreateLister();
    EXPECT_NE(host->ViewFile(lister, file), nullptr);
    EXPECT_EQ(ClipboardText(), L"needle");
    EXPECT_EQ(Started(1).size(), 1u);
}

TEST_F(ViewingSession, DialogGatesAndModalOnly) {
    const std::wstring file = MakeFile(L"a.txt");
    struct Case {
        std::string options;
        const wchar_t* activeClass;
        bool taken;
    } cases[] = {
        {"FindFiles=0", L"TFindFile", false},
        {"SyncDirs=0", L"TCmpForm", false},
        {"OverWrite=0", L"TOverWriteForm", false},
        {"", L"TCmpForm", true},
        {"ModalOnly=1\r\nFindFiles=0", L"TFindFile", true},
        {"ModalOnly=1", L"TTOTAL_CMD", false},
        {"ModalOnly=1", L"TOverWriteForm", true},
    };
    for (const Case& c : cases) {
        host.reset();
        host = std::make_unique<hoststub::HostStandIn>();
        main = host->CreateMainWindow();
        DeleteFileW((dir / L"Tolvanier.ini").c_str());
        Install(c.options);
        HWND active =
            std::wstring(c.activeClass) == L"TTOTAL_CMD" ? main : host->CreateTopLevel(c.activeClass, L"dlg");
        Activate(active);
        HWND lister = host->CreateLister();
        HWND result = host->ViewFile(lister, file, false);
        EXPECT_EQ(result != nullptr, c.taken) << c.options << " / " << Narrow(c.activeClass);
    }
}

TEST_F(ViewingSession, PassedOnListerComingBackWithinASecondIsDeclined) {
    Install("ListerState=0");
    const std::wstring file = MakeFile(L"a.txt");
    Activate(main);
    HWND lister = host->CreateLister();
    EXPECT_NE(host->ViewFile(lister, file), nullptr);
    host->Pump(300);
    // The '4' made the stand-in close the plugin window and ask again at once: declined.
    EXPECT_TRUE(HostLogHas(L"lister1 WM_CHAR 4")) << HostLogText();
    EXPECT_TRUE(HostLogHas(L"ListLoadW lister1 " + file + L" -> null")) << HostLogText();
    EXPECT_EQ(Started(1).size(), 1u);
    EXPECT_TRUE(host->ListerAlive(lister));
    Sleep(1100);
    host->ClearLog();
    Activate(main);
    EXPECT_NE(host->ViewFile(lister, file), nullptr);
    EXPECT_EQ(Started(2).size(), 2u);
}

TEST_F(ViewingSession, TemporaryCopyKeepsTheListerHiddenUntilTheApplicationWindowIsGone) {
    Install("");
    const std::wstring copy = MakeTemporaryCopy(L"packed.txt");
    const std::wstring other = MakeFile(L"b.txt");
    Activate(main);
    HWND lister = host->CreateLister();
    EXPECT_NE(host->ViewExtractedCopy(lister, copy), nullptr);
    host->Pump(300);
    EXPECT_EQ(Started(1).size(), 1u);
    EXPECT_TRUE(host->ListerAlive(lister));
    EXPECT_FALSE(IsWindowVisible(lister)) << "hidden by the timer once shown";
    EXPECT_TRUE(FileExistsW(copy));
    EXPECT_FALSE(HostLogHas(L"lister1 WM_CLOSE"));

    // While the application's window lives, a later load leaves the hidden Lister alone.
    Activate(main);
    HWND second = host->CreateLister();
    EXPECT_NE(host->ViewFile(second, other), nullptr);
    host->Pump(200);
    EXPECT_TRUE(host->ListerAlive(lister));

    // The application ends (1.5 s); the next accepted load closes the hidden Lister.
    Sleep(1700);
    Activate(main);
    HWND third = host->CreateLister();
    EXPECT_NE(host->ViewFile(third, other), nullptr);
    host->Pump(300);
    EXPECT_TRUE(HostLogHas(L"lister1 WM_CLOSE")) << HostLogText();
    EXPECT_FALSE(host->ListerAlive(lister));
    // The host deletes its copy once the plugin's window was closed.
    EXPECT_EQ(HostLogIndex(L"delete " + copy + L" -> ok"), HostLogIndex(L"ListCloseWindow lister1") + 1)
        << HostLogText();
    EXPECT_FALSE(FileExistsW(copy));
    SetEnv(L"TEMP", nullptr);
}

TEST_F(ViewingSession, ScrollLockControl) {
    Install("ScrollLockControl=1");
    const std::wstring file = MakeFile(L"a.txt");
    Activate(main);
    SetKeyState(VK_SCROLL, false, false);
    EXPECT_EQ(host->ViewFile(host->CreateLister(), file, false), nullptr);
    SetKeyState(VK_SCROLL, false, true);
    Activate(main);
    EXPECT_NE(host->ViewFile(host->CreateLister(), file, false), nullptr);
    SetKeyState(VK_SCROLL, false, false);
    EXPECT_EQ(Started(1).size(), 1u);
}

TEST_F(ViewingSession, UnconfiguredExtensions) {
    const std::wstring file = MakeFile(L"a.xyz");
    Install("IfIsExtOnly=1");
    Activate(main);
    EXPECT_EQ(host->ViewFile(host->CreateLister(), file, false), nullptr);
    EXPECT_TRUE(Started(0).empty());

    host.reset();
    host = std::make_unique<hoststub::HostStandIn>();
    main = host->CreateMainWindow();
    Install("DefaultEditor=" + Narrow(app));
    Activate(main);
    EXPECT_NE(host->ViewFile(host->CreateLister(), file, false), nullptr);
    EXPECT_EQ(Started(1), std::vector<std::wstring>{Quoted(app) + L" " + Quoted(file)});
}

// While the box is open, the host views a file in another Lister from the box's message loop.
struct ViewWhileBoxIsOpen {
    static inline hoststub::HostStandIn* host = nullptr;
    static inline std::wstring file;
    static inline HWND result = nullptr;
    static inline int views = 0;
    static inline std::vector<CaughtBox> boxes;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (views == 0 && FindWindowW(L"#32770", nullptr) && ++views)
            result = host->ViewFile(host->CreateLister(), file, false);
        for (CaughtBox& box : DismissOwnMessageBoxes())
            boxes.push_back(std::move(box));
    }
};

TEST_F(ViewingSession, ApplicationNotFoundShowsItsMessageAndDeclines) {
    const std::wstring missing = dir / L"gone\\ed.exe";
    Install("", "log=" + Narrow(missing) + "\r\n");
    const std::wstring file = MakeFile(L"a.log");
    Activate(main);
    ViewWhileBoxIsOpen::host = host.get();
    ViewWhileBoxIsOpen::file = file;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, ViewWhileBoxIsOpen::OnTimer);
    HWND lister = host->CreateLister();
    EXPECT_EQ(host->ViewFile(lister, file, false), nullptr);
    KillTimer(nullptr, timer);
    // The load begun from the box is declined at once, without a box of its own.
    EXPECT_EQ(ViewWhileBoxIsOpen::views, 1);
    EXPECT_EQ(ViewWhileBoxIsOpen::result, nullptr);
    const std::vector<CaughtBox>& caught = ViewWhileBoxIsOpen::boxes;
    ASSERT_EQ(caught.size(), 1u);
    EXPECT_EQ(caught[0].caption, L"Tolvanier");
    EXPECT_EQ(caught[0].text, L"Application not found:\n" + missing);
    EXPECT_EQ(caught[0].owner, main);
    EXPECT_TRUE(Started(0).empty());
    EXPECT_TRUE(host->ListerAlive(lister));
}

TEST_F(ViewingSession, NoActiveWindowNeedsListerDirectly) {
    const std::wstring file = MakeFile(L"a.txt");
    for (bool listerDirectly : {false, true}) {
        host.reset();
        host = std::make_unique<hoststub::HostStandIn>();
        main = host->CreateMainWindow();
        Install(listerDirectly ? "ListerDirectly=1" : "");
        // Nothing of this thread is active: the host's windows are inactive.
        SetActiveWindow(nullptr);
        ShowWindow(main, SW_HIDE);
        PumpFor(50);
        if (GetActiveWindow() != nullptr) GTEST_SKIP() << "the platform kept a window active";
        HWND result = host->ViewFile(host->CreateLister(), file, false);
        EXPECT_EQ(result != nullptr, listerDirectly);
    }
    EXPECT_EQ(Started(1).size(), 1u);
}

TEST_F(ViewingSession, BothHotkeysWorkInAListerWhoseLoadWasDeclined) {
    const std::wstring file = MakeFile(L"a.tolvhk");
    // Started applications keep their windows hidden here, so they never take the foreground from
    // the Lister that receives the keys.
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"hidden");
    Install("", "tolvhk=" + Narrow(app) +
                    "\r\n[HotKeys]\r\nAppFromLister_key=113\r\nAppFromLister_mod=C\r\n"
                    "DefSysAppFromLister_key=114\r\nDefSysAppFromLister_mod=S\r\n");
    HWND open = host->CreateLister();
    ShowWindow(open, SW_SHOW);
    Activate(open);
    HWND lister = host->CreateLister();
    ASSERT_EQ(host->ViewFile(lister, file), nullptr)
        << "a Lister switched from a Lister is declined by default";
    Activate(lister);
    // The system's association for the second hotkey, written where this platform shows it.
    SetRegistryText(L".tolvhk", L"tolvhkfile");
    SetRegistryText(L"tolvhkfile\\shell\\open\\command", Quoted(app) + L" \"%1\"");
    // The hotkeys act once the module has been loaded for more than a second; applications of earlier
    // tests may have taken the foreground meanwhile.
    Sleep(1100);
    Activate(lister);
    SendKey(VK_F2, false); // without Ctrl: nothing
    SendKey(VK_F2, true);
    PumpFor(150);
    EXPECT_TRUE(Started(0).empty());
    // A hotkey with its modifier, pressed in the Lister. Wine now and then starts no child at all, and
    // a started application may take the foreground: one more try after the one-second pause.
    auto pressUntilStarted = [&](WORD vk, WORD modifier, size_t expected) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            Activate(lister);
            SendKey(modifier, false);
            SendKey(vk, false);
            SendKey(vk, true);
            SendKey(modifier, true);
            PumpFor(200);
            if (Started(expected, 3000).size() >= expected) return;
            Sleep(1100);
        }
    };
    pressUntilStarted(VK_F2, VK_CONTROL, 1);
    EXPECT_EQ(Started(1), std::vector<std::wstring>{Quoted(app) + L" " + Quoted(file)});
    Sleep(1100);
    pressUntilStarted(VK_F3, VK_SHIFT, 2);
    EXPECT_EQ(Started(2).size(), 2u) << "the system's association opens it too";
    RemoveRegistryKey(L".tolvhk");
    RemoveRegistryKey(L"tolvhkfile");
}

// What the checker prints for a selection is what the plugin starts for it in the host, line for line.
TEST_F(ViewingSession, TheCheckersStartLinesAreWhatThePluginStartsForTheSameSelection) {
    const struct {
        const char* options;
        std::string editor;
        std::vector<std::wstring> names;
        size_t commands;
    } selections[] = {
        {"", "log=" + Narrow(app) + "\r\nlog_params=-r %1\r\n", {L"c.txt", L"a.log", L"b.txt"}, 1},
        {"ParamsByExtMode=2",
         "txt_params=-t\r\n:dir=" + Narrow(app) + "\r\n",
         {L"b.txt", L"sub", L"a.txt"},
         3},
        // Beyond 259 units with the folder in front: whole, in the plugin's line and the checker's.
        {"", "", {std::wstring(230, L'l') + L".txt", L"b.txt", L"c.txt"}, 1},
    };
    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", "[Configuration]\r\nViewertype=1\r\nGetTextMode=1\r\n"));
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    size_t started = 0;
    for (const auto& s : selections) {
        NewHost();
        DeleteFileW((dir / L"Tolvanier.ini").c_str());
        Install(s.options, s.editor);
        std::vector<std::wstring> entries, files;
        for (const auto& name : s.names) {
            if (name != L"sub") MakeFile(name);
            entries.push_back(name + L"\t1");
            files.push_back(Quoted(dir / name));
        }
        host->SetPanelEntries(entries);
        host->SelectPanelEntries({0, 1, 2});
        host->SetDirectoryReply(hoststub::DirectoryReply::Normal, dir.Path());
        Activate(main);
        host->FocusPanel();
        EXPECT_NE(host->ViewFile(host->CreateLister(), dir / s.names[0]), nullptr);
        const std::vector<std::wstring> all = Started(started + s.commands);
        ASSERT_EQ(all.size(), started + s.commands) << s.options;
        // The started programs log in the order they get going, not in the order they were started;
        // the order itself is the builder's, which the checker calls.
        std::vector<std::wstring> plugin(all.begin() + static_cast<std::ptrdiff_t>(started), all.end());
        std::sort(plugin.begin(), plugin.end());
        started = all.size();

        std::wstring arguments = L"--ini " + Quoted(dir / L"Tolvanier.ini");
        for (const auto& f : files)
            arguments += L" " + f;
        const CheckerReport report = RunChecker(arguments);
        EXPECT_EQ(report.status, 0u) << report.text;
        std::vector<std::wstring> checker = StartLines(report.text);
        std::sort(checker.begin(), checker.end());
        EXPECT_EQ(checker, plugin) << report.text;
        host->Pump(50);
    }
    EXPECT_EQ(RunChecker(L"--no-such-option").status, 2u);
}

// With UseSystemAssociations=1 a type nothing configures opens in its association, but never a type
// Windows runs when it opens it: viewing a script must not run it, whatever program its open command
// names (wscript.exe "%1" is a program with the file), with arguments of its own or without.
TEST_F(ViewingSession, UseSystemAssociationsNeverRunsATypeWindowsRunsWhenOpened) {
    Install("UseSystemAssociations=1\r\nIfIsExtOnly=1");
    const struct {
        const wchar_t* ext;
        std::wstring command;
        bool opens;
    } rows[] = {
        {L"tolvzqview", Quoted(app) + L" \"%1\"", true},
        {L"jse", Quoted(app) + L" \"%1\"", false},
        {L"vbe", Quoted(app) + L" //e:vbscript \"%1\"", false},
    };
    size_t started = 0;
    for (const auto& row : rows) {
        const std::wstring ext = row.ext;
        SetRegistryText(L"." + ext, L"TolvZqRuns" + ext);
        SetRegistryText(L"TolvZqRuns" + ext + L"\\shell\\open\\command", row.command);
        Activate(main);
        const bool taken = host->ViewFile(host->CreateLister(), MakeFile(L"a." + ext), false) != nullptr;
        EXPECT_EQ(taken, row.opens) << Narrow(ext);
        started += row.opens;
        EXPECT_EQ(Started(started).size(), started) << Narrow(ext);
        RemoveRegistryKey(L"." + ext);
        RemoveRegistryKey(L"TolvZqRuns" + ext);
    }
}

// A copy from an archive changed in its application is kept, whole, before the host deletes it right
// after ListCloseWindow, and the user is told once that call has returned. A copy left unchanged, an
// ordinary file and KeepChangedCopies=0 keep nothing; a name taken gets a number. The viewer stays open
// here (ListerState=0) and is closed later.
TEST_F(ViewingSession, ChangesSavedInACopyFromAnArchiveAreKeptWhenItsViewerCloses) {
    SetEnv(L"TOLVANIER_KEPT", dir.Path().c_str());
    const std::wstring kept = dir / L"kept\\";
    const std::string edited = "edited in the application\r\n";
    const struct {
        const char* what;
        const char* options;
        bool copy;
        bool change;
        const wchar_t* keptAs;
    } cases[] = {
        {"changed", "", true, true, L"packed.txt"},
        {"changed again: the name is taken", "", true, true, L"packed (2).txt"},
        {"unchanged", "", true, false, nullptr},
        {"an ordinary file", "", false, true, nullptr},
        {"the option off", "\r\nKeepChangedCopies=0", true, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NewHost();
        Install(std::string("ListerState=0\r\nNextPlugin=0\r\nChangedCopiesFolder=%TOLVANIER_KEPT%kept") +
                c.options);
        const std::wstring file = c.copy ? MakeTemporaryCopy(L"packed.txt") : MakeFile(L"plain.txt");
        Activate(main);
        HWND lister = host->CreateLister();
        ASSERT_NE(c.copy ? host->ViewExtractedCopy(lister, file) : host->ViewFile(lister, file), nullptr);
        host->Pump(50);
        if (c.change) {
            ASSERT_TRUE(WriteTextFile(file, edited));
        }
        MessageBoxCatcher boxes;
        host->CloseLister(lister);
        EXPECT_TRUE(boxes.Boxes().empty()) << "nothing is shown inside the host's call";
        EXPECT_EQ(FileExistsW(file), !c.copy) << "the host deleted its copy";
        if (!c.keptAs) {
            EXPECT_FALSE(FileExistsW(kept + L"packed (3).txt") || FileExistsW(kept + L"plain.txt"));
            host->Pump(100);
            EXPECT_TRUE(boxes.Boxes().empty());
            continue;
        }
        EXPECT_EQ(ReadFileBytes(kept + c.keptAs), edited) << "kept whole before the host deleted the copy";
        host->Pump(200);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text,
                  L"Changes saved in a copy from an archive were kept:\n" + kept + c.keptAs);
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Tolvanier");
        EXPECT_EQ(boxes.Boxes()[0].owner, main);
    }
    EXPECT_EQ(ReadFileBytes(kept + L"packed.txt"), edited) << "a kept file is never replaced";

    // The usual way: the hidden viewer is closed by the clean-up once the application has ended. The
    // file manager unloads the module before its loop shows the message: the file stays, nothing shows.
    NewHost();
    Install("ChangedCopiesFolder=%TOLVANIER_KEPT%kept");
    const std::wstring copy = MakeTemporaryCopy(L"packed.txt");
    Activate(main);
    HWND hidden = host->CreateLister();
    ASSERT_NE(host->ViewExtractedCopy(hidden, copy), nullptr);
    host->Pump(500); // the application's window is recorded
    ASSERT_TRUE(WriteTextFile(copy, edited + "twice"));
    Sleep(1500); // the application's window lives 1.5 s
    Activate(main);
    MessageBoxCatcher boxes;
    ASSERT_NE(host->ViewFile(host->CreateLister(), MakeFile(L"next.txt")), nullptr);
    // Only the close the clean-up posted: no timer of the plugin's runs before the unload.
    MSG msg;
    for (int i = 0; i < 200 && host->ListerAlive(hidden); ++i)
        if (PeekMessageW(&msg, hidden, WM_CLOSE, WM_CLOSE, PM_REMOVE))
            DispatchMessageW(&msg);
        else
            Sleep(5);
    EXPECT_FALSE(host->ListerAlive(hidden)) << HostLogText();
    host->Plugin().Unload();
    host->Pump(200);
    EXPECT_EQ(ReadFileBytes(kept + L"packed (3).txt"), edited + "twice");
    EXPECT_TRUE(boxes.Boxes().empty());
    SetEnv(L"TOLVANIER_KEPT", nullptr);
    SetEnv(L"TEMP", nullptr);
}

// The demo checks what it tells: on a system that associates .log, its default editor's step, which needs
// none, fails, says so, and the demo ends with status 1 after the other steps.
TEST(Demo, EndsWithAFailureWhenAStepDidNotDoWhatItSays) {
    struct Association {
        Association() { SetRegistryText(L".log", L"txtfile"); }
        ~Association() { RemoveRegistryKey(L".log"); }
    } association;
    const ProgramRun run = RunProgram(Quoted(BuildDir() + L"tolvanier-host.exe") + L" --demo", 100000);
    EXPECT_EQ(run.status, 1u) << run.output;
    EXPECT_NE(run.output.find("  Windows:  has an association for .log\r\n  FAILED: this step needs a system "
                              "without an association for .log\r\n  decision: taken\r\n"),
              std::string::npos);
    EXPECT_NE(run.output.find(
                  "Not as the demo says (1):\r\n  View notes.log: nothing configured for log: this step "
                  "needs a system without an association for .log\r\nDemo finished.\r\n"),
              std::string::npos)
        << run.output;
}

// The demo reads the plugin's message from a second thread while the thread that shows it waits in it:
// the box's title, its text of two lines and its owner, and OK ends the box; without a box the driver
// gives up in its time.
TEST(Demo, AMessageBoxIsReadAndAnsweredFromASecondThread) {
    const HWND owner =
        CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MessageBoxDriver driver([](HWND box, const CaughtBox&) { PressOk(box); }, 5000);
    EXPECT_EQ(MessageBoxW(owner, L"first line\nsecond line", L"Title", MB_OK | MB_ICONINFORMATION), IDOK);
    ASSERT_TRUE(driver.Box());
    EXPECT_EQ(driver.Box()->caption, L"Title");
    EXPECT_EQ(driver.Box()->text, L"first line\nsecond line");
    EXPECT_EQ(driver.Box()->owner, owner);
    DestroyWindow(owner);
    MessageBoxDriver none([](HWND box, const CaughtBox&) { PressOk(box); }, 200);
    EXPECT_FALSE(none.Box());
    EXPECT_TRUE(none.Finished());
}
