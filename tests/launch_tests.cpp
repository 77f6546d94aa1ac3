// Application start and the Lister's fate, end to end: the test process plays the host with the host
// stand-in, and the started programs are the test application, which logs its command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "config/ini.h"
#include "config/options.h"
#include "hoststub/host_standin.h"
#include "plugin/app_watch.h"
#include "plugin/changed_copies.h"
#include "plugin/changed_copy_names.h"
#include "plugin/copy_titles.h"
#include "plugin/exports.h"
#include "plugin/launch.h"
#include "plugin/listers.h"
#include "plugin/startup.h"
#include "shared/process.h"
#include "shared/state.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "tests/support/viewing_session.h"
#include "win/text.h"
#include "win/window.h"

using namespace testing_support;

namespace {

std::vector<std::wstring> loadCommandLines;
std::wstring loadActiveClass;

// The host stand-in's view of an accepted load: it finishes with the launch, and like the full load it
// declines the file that comes back to the Lister it was just handed on from.
HWND WINAPI AcceptingLoad(HWND parentWin, wchar_t* fileToLoad, int) {
    const std::wstring file = fileToLoad ? fileToLoad : L"";
    if (LoadFileInfo.hwListerWin == parentWin && LoadFileInfo.FileName == file) return nullptr;
    hwLister = parentWin;
    _FileToLoad = file;
    FileNameByListerWindow[parentWin] = file;
    return StartApplicationsAndDisposeLister(loadCommandLines, loadActiveClass);
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
    std::wstring all;
    for (const auto& l : lines)
        all += L"  " + l + L"\n";
    return all;
}

// Runs the message loop (the plugin's timers included) until done() holds, at most ms.
template <typename Done> bool WaitUntil(DWORD ms, Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        PumpFor(20);
    }
    return true;
}

// The window of an application may close a little before its process ends, which alone ends its hold.
bool WaitForProcessOfWindowToEnd(HWND window, DWORD ms) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const win::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    PostMessageW(window, WM_CLOSE, 0, 0);
    return process && WaitUntil(ms, [&] { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; });
}

size_t RecordedWindows(HWND lister) {
    const auto entry = AppWindowsByListerWindow.find(lister);
    return entry == AppWindowsByListerWindow.end() ? 0 : entry->second.size();
}

struct Launch : testing::Test {
    TempDir dir{L"launch_" + Utf8ToWide(testing::UnitTest::GetInstance()->current_test_info()->name())};
    std::wstring appLog = dir / L"viewapp.log";
    std::unique_ptr<hoststub::HostStandIn> host;

    void SetUp() override {
        NewHost();
        TolvanierOptions = {};
        TolvanierOptions.ListerState = 1;
        LoadFilesFromTemp = QuickView = false;
        loadCommandLines.clear();
        loadActiveClass = L"TTOTAL_CMD";
        SetEnv(L"TOLVANIER_VIEWAPP_LOG", appLog.c_str());
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", nullptr);
        SetEnv(L"TOLVANIER_VIEWAPP_CLASS", nullptr);
        SetEnv(L"TOLVANIER_VIEWAPP_MS", L"3000");
        ApplicationWatchMs = 60000;
    }
    void TearDown() override {
        host.reset();
        DetachPlugin(); // the hide timer and the watches
        ResetState();
        ApplicationWatchMs = 60000;
        for (const wchar_t* name :
             {L"TOLVANIER_VIEWAPP_LOG", L"TOLVANIER_VIEWAPP_MODE", L"TOLVANIER_VIEWAPP_CLASS",
              L"TOLVANIER_VIEWAPP_MS", L"TOLVANIER_VIEWAPP_DELAY_MS", L"TOLVANIER_VIEWAPP_CHILD_MODE"})
            SetEnv(name, nullptr);
    }
    void ResetState() {
        StopApplicationWatches();
        AppWindowsByListerWindow.clear();
        FileNameByListerWindow.clear();
        LoadFileInfo = TLoadFileInfo{};
        hwLister = hwTolvanier = nullptr;
        DeleteFileW(appLog.c_str());
    }
    // Waits until every watch has ended (its applications gone), then lets a clean-up close what is left.
    void SettleWatches() {
        WaitUntil(15000, [] { return RunningApplicationWatches() == 0; });
        CleanUpHiddenListers();
        host->Pump(100);
    }
    void NewHost() {
        host.reset();
        host = std::make_unique<hoststub::HostStandIn>();
        host->CreateMainWindow();
        host->Plugin().BindLinked(AcceptingLoad, nullptr, ListCloseWindow, nullptr);
        hInstance = GetModuleHandleW(nullptr);
        hwTCMain = hwMain = host->MainWindow();
    }
    static std::wstring ViewApp(const std::wstring& args) { return L"\"" + ViewAppPath() + L"\" " + args; }
};

} // namespace

TEST_F(Launch, PluginWindowIsAnInvisibleChildOfTheLister) {
    TolvanierOptions.ListerState = 0;
    HWND lister = host->CreateLister();
    HWND plugin = host->ViewFile(lister, L"C:\\a.txt");
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin, hwTolvanier);
    EXPECT_EQ(win::ClassNameOf(plugin), L"Tolvanier");
    wchar_t title[32] = {};
    GetWindowTextW(plugin, title, 32);
    EXPECT_STREQ(title, L"Tolvanier");
    EXPECT_EQ(GetParent(plugin), lister);
    const LONG_PTR style = GetWindowLongPtrW(plugin, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & (WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
}

// A load whose Lister is gone (or never was a window) still gets its frameless window, and the
// application still starts.
TEST_F(Launch, PluginWindowWithoutAListerIsStillMadeAndTheApplicationStarts) {
    TolvanierOptions.ListerState = 0;
    size_t started = 0;
    for (HWND lister : {static_cast<HWND>(nullptr), host->CreateLister()}) {
        if (lister) host->CloseLister(lister); // a handle that no longer names a window
        loadCommandLines = {ViewApp(L"gone")};
        ++started;
        // Wine now and then runs nothing at all for a start: one retry.
        for (int attempt = 0; attempt < 2 && ReadLogLines(appLog).size() < started; ++attempt) {
            hwLister = lister;
            HWND plugin = StartApplicationsAndDisposeLister(loadCommandLines, loadActiveClass);
            ASSERT_NE(plugin, nullptr);
            EXPECT_EQ(win::ClassNameOf(plugin), L"Tolvanier");
            const LONG_PTR style = GetWindowLongPtrW(plugin, GWL_STYLE);
            EXPECT_TRUE(style & WS_CHILD);
            EXPECT_FALSE(style & (WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
            DestroyWindow(plugin);
            ReadLogLines(appLog, started, 10000);
        }
        EXPECT_EQ(ReadLogLines(appLog).size(), started);
    }
}

// Each row: the options and the Lister of one load, and everything the host stand-in then sees.
TEST_F(Launch, ListerDispositionByStateCopyAndActiveWindow) {
    struct Case {
        const char* what;
        int32_t listerState;
        bool temp;
        bool quickViewLister;
        bool nextPlugin;
        const wchar_t* active;
        std::vector<std::wstring> log; // after the load line
        bool handedOn;                 // '4' posted and LoadFileInfo filled
        bool hidden;                   // Lister alive but hidden at the end
        bool kept;                     // an entry in AppWindowsByListerWindow
        bool noMainWindow = false;
    };
    const std::wstring closeLog = L"lister1 WM_CLOSE";
    const std::vector<Case> cases = {
        {"1, normal, separate",
         1,
         false,
         false,
         true,
         L"TTOTAL_CMD",
         {closeLog, L"ListCloseWindow lister1"},
         false,
         false,
         false},
        {"1, normal, quick view",
         1,
         false,
         true,
         false,
         L"TTOTAL_CMD",
         {L"main command 304", L"ListCloseWindow quickview"},
         false,
         false,
         false},
        {"1, normal, quick view, next plugin",
         1,
         false,
         true,
         true,
         L"TTOTAL_CMD",
         {L"quickview WM_CHAR 4", L"ListCloseWindow quickview", L"ListLoadW quickview C:\\f.txt -> null",
          L"main command 304"},
         true,
         false,
         false},
        {"1, normal, quick view, no main window",
         1,
         false,
         true,
         false,
         L"TTOTAL_CMD",
         {},
         false,
         false,
         false,
         true},
        {"1, temp copy, separate", 1, true, false, true, L"TTOTAL_CMD", {}, false, true, true},
        {"1, temp copy, quick view, next plugin",
         1,
         true,
         true,
         true,
         L"TTOTAL_CMD",
         {L"quickview WM_CHAR 4", L"ListCloseWindow quickview", L"ListLoadW quickview C:\\f.txt -> null"},
         true,
         false,
         false},
        {"0, next plugin",
         0,
         false,
         false,
         true,
         L"TTOTAL_CMD",
         {L"lister1 WM_CHAR 4", L"ListCloseWindow lister1", L"ListLoadW lister1 C:\\f.txt -> null"},
         true,
         false,
         false},
        {"0, temp copy", 0, true, false, false, L"TTOTAL_CMD", {}, false, false, false},
        {"2, next plugin",
         2,
         false,
         false,
         true,
         L"TTOTAL_CMD",
         {closeLog, L"ListCloseWindow lister1"},
         false,
         false,
         false},
        {"2, temp copy",
         2,
         true,
         false,
         false,
         L"TTOTAL_CMD",
         {closeLog, L"ListCloseWindow lister1"},
         false,
         false,
         false},
        {"2, quick view, next plugin",
         2,
         false,
         true,
         true,
         L"TTOTAL_CMD",
         {L"main command 304", L"ListCloseWindow quickview"},
         false,
         false,
         false},
        {"3, next plugin", 3, false, false, true, L"TTOTAL_CMD", {}, false, false, false},
        {"1, normal, active Lister", 1, false, false, false, L"TLister", {}, false, false, false},
        {"2, temp copy, active Lister", 2, true, false, false, L"TLister", {}, false, false, false},
        {"1, temp copy, active Lister", 1, true, false, false, L"TLister", {}, false, false, true},
        {"1, normal, no active window",
         1,
         false,
         false,
         false,
         L"",
         {closeLog, L"ListCloseWindow lister1"},
         false,
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetState();
        NewHost();
        if (c.noMainWindow) hwTCMain = nullptr;
        TolvanierOptions.ListerState = c.listerState;
        TolvanierOptions.NextPlugin = c.nextPlugin;
        LoadFilesFromTemp = c.temp;
        QuickView = c.quickViewLister;
        loadActiveClass = c.active;
        HWND lister = host->CreateLister(c.quickViewLister);
        const std::wstring name = c.quickViewLister ? L"quickview" : L"lister1";

        ASSERT_NE(host->ViewFile(lister, L"C:\\f.txt"), nullptr);
        host->Pump(200);

        std::vector<std::wstring> expected = {L"ListLoadW " + name + L" C:\\f.txt -> plugin window"};
        expected.insert(expected.end(), c.log.begin(), c.log.end());
        EXPECT_EQ(host->Log(), expected) << "actual:\n" << Joined(host->Log());
        EXPECT_EQ(LoadFileInfo.hwListerWin == lister, c.handedOn);
        if (c.handedOn) {
            EXPECT_EQ(LoadFileInfo.FileName, L"C:\\f.txt");
        }
        if (IsWindow(lister)) {
            EXPECT_EQ(!IsWindowVisible(lister), c.hidden);
        }
        EXPECT_EQ(AppWindowsByListerWindow.count(lister) != 0, c.kept);
        // No process was started: a kept Lister is watched by the titles that name its copy.
        EXPECT_EQ(RunningApplicationWatches(), c.kept ? 1u : 0u);
        EXPECT_EQ(TimerToHideListerID, 0u);
    }
}

TEST_F(Launch, HandOnRecordsTheLoadTime) {
    TolvanierOptions.ListerState = 0;
    TolvanierOptions.NextPlugin = true;
    HWND lister = host->CreateLister();
    const int32_t before = ClockNow();
    hwLister = lister;
    _FileToLoad = L"C:\\g.txt";
    ASSERT_NE(StartApplicationsAndDisposeLister({}, L"TTOTAL_CMD"), nullptr);
    EXPECT_EQ(LoadFileInfo.hwListerWin, lister);
    EXPECT_EQ(LoadFileInfo.FileName, L"C:\\g.txt");
    EXPECT_GE(LoadFileInfo.ctLoad, before);
    EXPECT_LE(LoadFileInfo.ctLoad, ClockNow());
    // Posted, not sent: nothing reached the Lister before the call returned.
    EXPECT_TRUE(host->Log().empty());
    host->Pump(100);
    ASSERT_FALSE(host->Log().empty());
    EXPECT_EQ(host->Log()[0], L"lister1 WM_CHAR 4");
}

TEST_F(Launch, SeparateListerOwnedByTheMainWindowIsClosedNotTakenForQuickView) {
    HWND owned = CreateWindowExW(0, L"TLister", L"owned", WS_POPUPWINDOW | WS_CAPTION | WS_VISIBLE, 0, 0, 300,
                                 200, host->MainWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owned, nullptr);
    ASSERT_EQ(GetParent(owned), host->MainWindow()); // what a parent test by GetParent would be misled by
    hwLister = owned;
    ASSERT_NE(StartApplicationsAndDisposeLister({}, L"TTOTAL_CMD"), nullptr);
    host->Pump(100);
    EXPECT_FALSE(IsWindow(owned)); // the default handling of the posted WM_CLOSE destroyed it
    EXPECT_TRUE(host->Log().empty()) << Joined(host->Log());
}

TEST_F(Launch, NoPluginWindowMeansNothingStarted) {
    // A class of that name whose windows refuse to be created: the registration of the plugin's own
    // class then fails, and so does the creation.
    UnregisterClassW(L"Tolvanier", GetModuleHandleW(nullptr));
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcW(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Tolvanier";
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND lister = host->CreateLister();
    loadCommandLines = {ViewApp(L"never")};
    const HWND result = host->ViewFile(lister, L"C:\\f.txt");
    UnregisterClassW(L"Tolvanier", GetModuleHandleW(nullptr));
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(hwTolvanier, nullptr);
    host->Pump(200);
    EXPECT_TRUE(IsWindow(lister));
    EXPECT_EQ(host->Log(), std::vector<std::wstring>{L"ListLoadW lister1 C:\\f.txt -> null"});
    EXPECT_TRUE(ReadLogLines(appLog, 1, 1000).empty());
}

// A load none of whose lines starts (no such program; a file with a program's name that is no program)
// is declined whatever would have become of its Lister: nothing closed, hidden, handed on or kept.
TEST_F(Launch, StartsThatAllFailDeclineTheLoadAndLeaveTheLister) {
    const std::wstring notAProgram = dir / L"notaprogram.exe";
    ASSERT_TRUE(WriteTextFile(notAProgram, "this is text, not a program\r\n"));
    struct Case {
        int32_t listerState;
        bool nextPlugin;
        bool temp;
    } const cases[] = {{1, false, false}, {0, true, false}, {1, false, true}, {2, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ListerState " << c.listerState << " temp " << c.temp);
        ResetState();
        NewHost();
        TolvanierOptions.ListerState = c.listerState;
        TolvanierOptions.NextPlugin = c.nextPlugin;
        LoadFilesFromTemp = c.temp;
        loadCommandLines = {L"\"" + notAProgram + L"\" a", L"\"Z:\\no\\such\\folder\\app.exe\" b"};
        HWND lister = host->CreateLister();
        MessageBoxCatcher catcher;
        EXPECT_EQ(host->ViewFile(lister, L"C:\\tmp\\_tc\\f.txt"), nullptr);
        host->Pump(200);
        EXPECT_EQ(catcher.Boxes().size(), 2u);
        EXPECT_EQ(host->Log(), std::vector<std::wstring>{L"ListLoadW lister1 C:\\tmp\\_tc\\f.txt -> null"});
        EXPECT_TRUE(IsWindow(lister) && IsWindowVisible(lister));
        EXPECT_TRUE(AppWindowsByListerWindow.empty());
        EXPECT_EQ(TimerToHideListerID, 0u);
        EXPECT_EQ(LoadFileInfo.hwListerWin, nullptr);
    }
}

TEST_F(Launch, TwoApplicationsStartInOrderAndBothWindowsKeepTheCopyOpen) {
    TolvanierOptions.ListerState = 1;
    LoadFilesFromTemp = true;
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", L"LaunchTestApp");
    loadCommandLines = {ViewApp(L"\"C:\\tmp\\_tc\\first file.txt\""), ViewApp(L"second")};
    // Wine now and then runs nothing at all for a start: one retry.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ResetState();
        NewHost();
        HWND lister = host->CreateLister();
        HWND plugin = host->ViewFile(lister, L"C:\\tmp\\_tc\\first file.txt");
        auto lines = ReadLogLines(appLog, 2, 3000);
        if (lines.size() < 2 || !WaitUntil(5000, [&] { return RecordedWindows(lister) >= 2; })) continue;
        const auto& apps = AppWindowsByListerWindow[lister];

        // Whole; started in order, but nothing waits for the first before the second begins.
        std::sort(lines.begin(), lines.end());
        auto expected = loadCommandLines;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(lines, expected);
        ASSERT_NE(plugin, nullptr);
        int pluginWindows = 0;
        EnumChildWindows(
            lister,
            [](HWND w, LPARAM count) {
                if (win::ClassNameOf(w) == L"Tolvanier") ++*reinterpret_cast<int*>(count);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&pluginWindows));
        EXPECT_EQ(pluginWindows, 1);
        ASSERT_EQ(apps.size(), 2u);
        std::vector<std::wstring> texts;
        for (const auto& app : apps) {
            wchar_t text[1024] = {};
            GetWindowTextW(app.hwApp, text, 1024);
            texts.push_back(text); // the test application names its file
            EXPECT_EQ(app.ClassName, L"LaunchTestApp");
        }
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, (std::vector<std::wstring>{L"first file.txt - viewapp", L"second - viewapp"}));
        for (const auto& app : apps)
            PostMessageW(app.hwApp, WM_CLOSE, 0, 0);
        return;
    }
    FAIL() << "the test application did not run twice";
}

TEST_F(Launch, KeptListerIsHiddenOnceShownAndClosedWhenTheApplicationIsGone) {
    LoadFilesFromTemp = true;
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", L"LaunchTestApp");
    SetEnv(L"TOLVANIER_VIEWAPP_MS", L"20000");
    loadCommandLines = {ViewApp(L"kept")};
    for (int attempt = 0; attempt < 2; ++attempt) {
        ResetState();
        NewHost();
        HWND lister = host->CreateLister();
        ASSERT_NE(host->ViewFile(lister, L"C:\\tmp\\_tc\\a.txt", /*showListerAfter=*/false), nullptr);
        if (ReadLogLines(appLog, 1, 3000).empty() ||
            !WaitUntil(5000, [&] { return RecordedWindows(lister); }))
            continue;

        const TWindowProperties app = AppWindowsByListerWindow[lister].at(0);
        EXPECT_EQ(app.ClassName, L"LaunchTestApp");
        // Not shown yet: the timer waits and keeps ticking.
        host->Pump(200);
        EXPECT_NE(TimerToHideListerID, 0u);
        EXPECT_FALSE(IsWindowVisible(lister));
        // The host shows it; the next tick hides it and the timer ends.
        ShowWindow(lister, SW_SHOW);
        host->Pump(200);
        EXPECT_TRUE(IsWindow(lister));
        EXPECT_FALSE(IsWindowVisible(lister));
        EXPECT_EQ(TimerToHideListerID, 0u);

        // While the application's window is open, the clean-up of a later load keeps the Lister.
        CleanUpHiddenListers();
        host->Pump(100);
        EXPECT_TRUE(IsWindow(lister));
        EXPECT_EQ(AppWindowsByListerWindow.count(lister), 1u);

        ASSERT_TRUE(WaitForProcessOfWindowToEnd(app.hwApp, 3000));
        CleanUpHiddenListers();
        EXPECT_EQ(AppWindowsByListerWindow.count(lister), 0u);
        host->Pump(100);
        EXPECT_FALSE(IsWindow(lister));
        EXPECT_EQ(host->Log(),
                  (std::vector<std::wstring>{L"ListLoadW lister1 C:\\tmp\\_tc\\a.txt -> plugin window",
                                             L"lister1 WM_CLOSE", L"ListCloseWindow lister1"}))
            << Joined(host->Log());
        return;
    }
    FAIL() << "the test application did not run";
}

// The load never waits for the application. Its watch keeps the Lister while a slow application has
// no window yet (8 s), follows a launcher that ends at once to the copy it started, finds by its title
// the window of a copy already running that the started one handed the file to, and gives up on one
// that never gets ready at its bound; what it recorded then decides, as for any kept Lister. A visible
// viewer of the host titled with the copy's name is never taken for the application's window.
TEST_F(Launch, WatchKeepsTheListerOfLateAndLauncherApplicationsUntilTheirWindowCloses) {
    struct Case {
        const char* what;
        const wchar_t* mode;
        const wchar_t* childMode;
        const wchar_t* lifetimeMs;
        ULONGLONG watchMs;
        bool showsWindow;
        size_t windowsAt2s;
        bool handOff = false; // a copy started by the test runs first
        const wchar_t* windowClass = L"LaunchTestApp";
    };
    const Case cases[] = {
        {"window after 8 s", L"slow", nullptr, L"30000", 60000, true, 0},
        {"launcher", L"launcher", L"slow", L"30000", 60000, true, 0},
        // The splash screen is recorded at once; the main window that replaces it after 8 s counts too.
        {"splash screen, then the main window", L"splash", nullptr, L"30000", 60000, true, 1},
        // The running copy names the file 8 s after it was handed it.
        {"handed to a copy already running", L"single", nullptr, L"30000", 60000, true, 0, true,
         L"ViewAppRunning"},
        {"never ready", L"busy", nullptr, L"7000", 4000, false, 0},
    };
    LoadFilesFromTemp = true;
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", L"LaunchTestApp");
    SetEnv(L"TOLVANIER_VIEWAPP_DELAY_MS", L"8000");
    const std::wstring copy = L"C:\\tmp\\_tc\\a.txt";
    loadCommandLines = {ViewApp(L"\"" + copy + L"\"")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", c.mode);
        SetEnv(L"TOLVANIER_VIEWAPP_CHILD_MODE", c.childMode);
        SetEnv(L"TOLVANIER_VIEWAPP_MS", c.lifetimeMs);
        ApplicationWatchMs = c.watchMs;
        bool ran = false;
        // Wine now and then runs nothing at all for a start: one retry.
        for (int attempt = 0; attempt < 2 && !ran; ++attempt) {
            ResetState();
            NewHost();
            win::UniqueProcessInfo running;
            if (c.handOff) {
                if (HWND left = FindWindowW(L"ViewAppRunning", nullptr))
                    WaitForProcessOfWindowToEnd(left, 5000);
                SetEnv(L"TOLVANIER_VIEWAPP_LOG", nullptr); // the log is the plugin's starts only
                running = StartCommandLine(ViewApp(L"running"));
                SetEnv(L"TOLVANIER_VIEWAPP_LOG", appLog.c_str());
                if (!WaitUntil(5000, [] { return FindWindowW(L"ViewAppRunning", nullptr) != nullptr; }))
                    continue;
            }
            HWND viewer = host->CreateTopLevel(L"TLister", L"Lister - [" + copy + L"]");
            HWND lister = host->CreateLister();
            SetWindowTextW(lister, (L"Lister - [" + copy + L"]").c_str());
            const DWORD start = GetTickCount();
            ASSERT_NE(host->ViewFile(lister, copy), nullptr);
            EXPECT_LT(GetTickCount() - start, 1500u) << "the load waited for the application";
            ran = WaitUntil(5000, [&] { return !ReadLogLines(appLog).empty(); });
            if (!ran) continue;

            // A load 2 s after the start: no window yet, the Lister stays (hidden).
            WaitUntil(2000, [&] { return GetTickCount() - start >= 2000; });
            EXPECT_EQ(RecordedWindows(lister), c.windowsAt2s);
            CleanUpHiddenListers();
            host->Pump(100);
            ASSERT_TRUE(IsWindow(lister));
            EXPECT_FALSE(IsWindowVisible(lister));
            if (c.showsWindow) {
                ASSERT_TRUE(WaitUntil(15000, [&] {
                    return RecordedWindows(lister) != 0 &&
                           AppWindowsByListerWindow[lister].back().ClassName == c.windowClass;
                }));
                const TWindowProperties app = AppWindowsByListerWindow[lister].back();
                EXPECT_EQ(app.ClassName, c.windowClass);
                for (const TWindowProperties& recorded : AppWindowsByListerWindow[lister])
                    EXPECT_TRUE(recorded.hwApp != viewer && recorded.hwApp != lister);
                CleanUpHiddenListers(); // a load after the window appeared
                host->Pump(100);
                ASSERT_TRUE(IsWindow(lister));
                ASSERT_TRUE(WaitForProcessOfWindowToEnd(app.hwApp, 5000));
            } else {
                EXPECT_TRUE(WaitUntil(static_cast<DWORD>(c.watchMs) + 1000,
                                      [] { return RunningApplicationWatches() == 0; }));
                EXPECT_LT(GetTickCount() - start, 6500u)
                    << "the watch ended with the process, not at its bound";
                EXPECT_EQ(RecordedWindows(lister), 0u);
            }
            // The first load after the window closed, or after the bound with nothing recorded.
            CleanUpHiddenListers();
            host->Pump(100);
            EXPECT_FALSE(IsWindow(lister));
            EXPECT_EQ(RunningApplicationWatches(), 0u);
        }
        EXPECT_TRUE(ran) << "the test application did not run";
    }
}

TEST(CopyTitles, ATitleNamesTheCopyByItsWholeNameOrItsLongerStem) {
    const struct {
        const wchar_t* title;
        const wchar_t* copy;
        bool names;
    } cases[] = {
        {L"a.txt - Editor", L"C:\\tmp\\_tc\\a.txt", true},
        {L"*A.TXT - Editor", L"C:\\tmp\\_tc\\a.txt", true},
        {L"Editor - [C:/tmp/_tc/a.txt]", L"C:/tmp/_tc/a.txt", true},
        {L"a.txt", L"a.txt", true},
        {L"data.txt - Editor", L"C:\\tmp\\a.txt", false},
        {L"a.txt2 - Editor", L"C:\\tmp\\a.txt", false},
        {L"data.txt, a.txt - Editor", L"C:\\tmp\\a.txt", true}, // the second one counts
        {L"a - Editor", L"C:\\tmp\\a.txt", false},              // a stem under 4 characters
        {L"Report - Word", L"C:\\tmp\\report.docx", true},
        {L"abcd - Viewer", L"C:\\tmp\\abcd.png", true},
        {L"abc - Viewer", L"C:\\tmp\\abc.png", false},
        {L"Reports - Word", L"C:\\tmp\\report.docx", false},
        {L"readme - Editor", L"C:\\tmp\\README", true},
        {L"", L"C:\\tmp\\a.txt", false},
        {L"tmp - Explorer", L"C:\\tmp\\", false}, // no file name
    };
    for (const auto& c : cases)
        EXPECT_EQ(TitleNamesCopy(c.title, c.copy), c.names)
            << WideToUtf8(c.title) << " / " << WideToUtf8(c.copy);
}

// One watch more than the bound records nothing and closes its handle at once; unloading the module
// ends every watch with its handles. This process stands in for a started one: it lives.
TEST_F(Launch, WatchesAreBoundedAndEndWithTheModule) {
    auto self = [] {
        return win::UniqueHandle(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId()));
    };
    std::vector<HWND> listers;
    for (size_t i = 0; i <= kMaxApplicationWatches; ++i)
        listers.push_back(host->CreateLister());
    const size_t handlesBefore = CountOpenHandles();
    for (size_t i = 0; i < kMaxApplicationWatches; ++i)
        ASSERT_TRUE(WatchApplication(listers[i], self(), GetCurrentProcessId()));
    EXPECT_FALSE(WatchApplication(listers.back(), self(), GetCurrentProcessId()));
    EXPECT_FALSE(WatchCopyByTitle(listers.back(), L"C:\\tmp\\_tc\\a.txt"));
    EXPECT_TRUE(WatchCopyByTitle(listers.front(), L"C:\\tmp\\_tc\\a.txt"))
        << "a running watch looks by title too";
    EXPECT_EQ(RunningApplicationWatches(), kMaxApplicationWatches);
    EXPECT_TRUE(IsWatchedApplicationAlive(listers.front()));
    EXPECT_FALSE(IsWatchedApplicationAlive(listers.back()));
    FollowEndedApplications(); // all alive: nothing followed, nothing closed
    EXPECT_EQ(RunningApplicationWatches(), kMaxApplicationWatches);
    EXPECT_EQ(CountOpenHandles(), handlesBefore + kMaxApplicationWatches);
    // A Lister that is gone ends its watch at the next tick.
    host->CloseLister(listers.front());
    EXPECT_TRUE(WaitUntil(1000, [] { return RunningApplicationWatches() == kMaxApplicationWatches - 1; }));
    EXPECT_EQ(CountOpenHandles(), handlesBefore + kMaxApplicationWatches - 1);
    DetachPlugin();
    EXPECT_EQ(RunningApplicationWatches(), 0u);
    EXPECT_EQ(CountOpenHandles(), handlesBefore);
}

// A program that never answers a message: the watch reads its window's title without asking it.
TEST_F(Launch, TheTitleOfAHungProgramIsReadWithoutWaitingForIt) {
    const std::wstring copy = L"C:\\tmp\\_tc\\hung.txt";
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"hung");
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", L"LaunchTestHung");
    SetEnv(L"TOLVANIER_VIEWAPP_MS", L"8000");
    const win::UniqueProcessInfo hung = StartCommandLine(ViewApp(L"\"" + copy + L"\""));
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil(5000, [&] {
        window = FindWindowW(L"LaunchTestHung", nullptr);
        return window && IsWindowVisible(window);
    }));
    HWND lister = host->CreateLister();
    AppWindowsByListerWindow[lister];
    ASSERT_TRUE(WatchCopyByTitle(lister, copy));
    DWORD longest = 0;
    // A loaded machine may spread the look at the windows over a few ticks.
    for (int tick = 0; tick < 20 && RecordedWindows(lister) == 0; ++tick) {
        const DWORD start = GetTickCount();
        ApplicationWatchTimerProc(nullptr, WM_TIMER, 0, 0);
        longest = std::max(longest, GetTickCount() - start);
    }
    EXPECT_LT(longest, 500u);
    ASSERT_EQ(RecordedWindows(lister), 1u);
    EXPECT_EQ(AppWindowsByListerWindow[lister][0].hwApp, window);
    TerminateProcess(hung.process.Get(), 0);
}

TEST_F(Launch, CleanUpClosesOnlyHiddenListersWithoutALiveRecordedWindow) {
    HWND app = host->CreateTopLevel(L"TStandInPlain", L"app");
    HWND dead = host->CreateTopLevel(L"TStandInPlain", L"dead");
    DestroyWindow(dead);
    HWND appOpen = host->CreateLister();         // lister1
    HWND classChanged = host->CreateLister();    // lister2
    HWND visible = host->CreateLister();         // lister3
    HWND nothingRecorded = host->CreateLister(); // lister4
    HWND oneOfTwoOpen = host->CreateLister();    // lister5
    HWND gone = host->CreateLister();            // lister6
    HWND notALister = host->CreateTopLevel(L"TStandInPlain", L"not a lister", false);
    ShowWindow(visible, SW_SHOW);
    host->CloseLister(gone);
    AppWindowsByListerWindow[appOpen] = {{app, L"TStandInPlain"}};
    AppWindowsByListerWindow[classChanged] = {{app, L"LaunchTestApp"}};
    AppWindowsByListerWindow[visible] = {{nullptr, L""}, {dead, L"TStandInPlain"}};
    AppWindowsByListerWindow[nothingRecorded] = {};
    AppWindowsByListerWindow[oneOfTwoOpen] = {
        {dead, L"TStandInPlain"}, {nullptr, L""}, {app, L"TStandInPlain"}};
    AppWindowsByListerWindow[gone] = {{dead, L"TStandInPlain"}};
    AppWindowsByListerWindow[notALister] = {};
    host->ClearLog();

    CleanUpHiddenListers();
    EXPECT_TRUE(host->Log().empty()); // posted, not sent
    host->Pump(100);

    std::vector<HWND> left;
    for (const auto& [lister, apps] : AppWindowsByListerWindow)
        left.push_back(lister);
    std::vector<HWND> expected = {appOpen, visible, oneOfTwoOpen};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    std::vector<std::wstring> log = host->Log();
    std::sort(log.begin(), log.end());
    EXPECT_EQ(log, (std::vector<std::wstring>{L"lister2 WM_CLOSE", L"lister4 WM_CLOSE"}))
        << Joined(host->Log());
    EXPECT_TRUE(IsWindow(notALister)); // a handle that no longer names a Lister gets no WM_CLOSE
}

TEST_F(Launch, NoWindowRecordedForAnApplicationWithoutOneYetTheListerIsClosedLater) {
    LoadFilesFromTemp = true;
    ApplicationWatchMs = 3000;
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
    loadCommandLines = {ViewApp(L"gone at once")};
    for (int attempt = 0; attempt < 2; ++attempt) {
        ResetState();
        NewHost();
        HWND lister = host->CreateLister();
        ASSERT_NE(host->ViewFile(lister, L"C:\\tmp\\_tc\\a.txt"), nullptr);
        if (ReadLogLines(appLog, 1, 2000).empty()) continue;
        ASSERT_EQ(AppWindowsByListerWindow.count(lister), 1u);
        // Its process gone without a window, it may have handed the file to another program: the
        // watch looks for the copy's name in titles for its whole time, and keeps the Lister.
        PumpFor(1000);
        EXPECT_EQ(RunningApplicationWatches(), 1u);
        CleanUpHiddenListers();
        host->Pump(100);
        EXPECT_TRUE(IsWindow(lister));
        EXPECT_TRUE(WaitUntil(5000, [] { return RunningApplicationWatches() == 0; }));
        EXPECT_TRUE(AppWindowsByListerWindow[lister].empty());
        EXPECT_FALSE(IsWindowVisible(lister));
        // Not hidden for good: the next load's clean-up closes it.
        CleanUpHiddenListers();
        host->Pump(100);
        EXPECT_FALSE(IsWindow(lister));
        return;
    }
    FAIL() << "the test application did not run";
}

// A line longer than the platform's limit is not started (never cut into another command); one far
// longer than a path-sized buffer still starts whole.
TEST_F(Launch, StartsThatFailRecordNothingAndLaterLinesStartWhole) {
    LoadFilesFromTemp = true;
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", L"LaunchTestApp");
    loadCommandLines = {L"\"Z:\\no\\such\\folder\\app.exe\" a", ViewApp(std::wstring(40000, L'x')),
                        ViewApp(L"long " + std::wstring(9000, L'y')), ViewApp(L"after")};
    for (int attempt = 0; attempt < 2; ++attempt) {
        ResetState();
        NewHost();
        HWND lister = host->CreateLister();
        MessageBoxCatcher catcher;
        ASSERT_NE(host->ViewFile(lister, L"C:\\tmp\\_tc\\a.txt"), nullptr) << "two of four lines started";
        // Each line that did not start says so, with the line and the system's reason.
        ASSERT_EQ(catcher.Boxes().size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            const std::wstring& text = catcher.Boxes()[i].text;
            const std::wstring head =
                L"Application could not be started:\n" + loadCommandLines[i].substr(0, 200);
            EXPECT_EQ(text.substr(0, head.size()), head);
            EXPECT_GT(text.size(), text.rfind(L'\n') + 1) << "the reason follows the line";
            EXPECT_LT(text.size(), 1200u) << "a very long line is shown shortened";
            EXPECT_EQ(catcher.Boxes()[i].caption, L"Tolvanier");
            EXPECT_EQ(catcher.Boxes()[i].owner, hwMain);
        }
        auto lines = ReadLogLines(appLog, 2, 3000);
        if (lines.size() < 2 || !WaitUntil(5000, [&] { return RecordedWindows(lister) >= 2; })) continue;
        const auto& apps = AppWindowsByListerWindow[lister];
        // Started one after the other without a wait between: they may log in either order.
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, (std::vector<std::wstring>{loadCommandLines[3], loadCommandLines[2]}));
        ASSERT_EQ(apps.size(), 2u);
        for (const auto& app : apps) {
            EXPECT_EQ(app.ClassName, L"LaunchTestApp");
            PostMessageW(app.hwApp, WM_CLOSE, 0, 0);
        }
        return;
    }
    FAIL() << "the test application did not run twice";
}

TEST_F(Launch, OneHideTimerServesEveryKeptLister) {
    LoadFilesFromTemp = true;
    HWND first = host->CreateLister();
    HWND second = host->CreateLister();
    HWND destroyed = host->CreateLister();
    ASSERT_NE(host->ViewFile(first, L"C:\\tmp\\_tc\\1.txt", false), nullptr);
    const UINT_PTR firstTimer = TimerToHideListerID;
    ASSERT_NE(firstTimer, 0u);
    ASSERT_NE(host->ViewFile(second, L"C:\\tmp\\_tc\\2.txt", false), nullptr);
    ASSERT_NE(TimerToHideListerID, 0u);
    // The first timer is gone, not left ticking under a lost id.
    if (TimerToHideListerID != firstTimer) {
        EXPECT_FALSE(KillTimer(nullptr, firstTimer));
    }
    ASSERT_NE(host->ViewFile(destroyed, L"C:\\tmp\\_tc\\3.txt", false), nullptr);
    host->CloseLister(destroyed);

    ShowWindow(second, SW_SHOW);
    host->Pump(150);
    EXPECT_FALSE(IsWindowVisible(second));
    EXPECT_NE(TimerToHideListerID, 0u); // the first is still waiting to be shown
    ShowWindow(first, SW_SHOW);
    host->Pump(150);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_EQ(TimerToHideListerID, 0u); // a Lister destroyed before it was shown does not keep it alive
}

TEST(ListCloseWindow, RemovesTheHookOnlyWithTheLastListerFile) {
    hoststub::HostStandIn host;
    HWND listerA = host.CreateLister();
    HWND listerB = host.CreateLister();
    auto child = [](HWND parent) {
        return CreateWindowExW(0, L"TStandInPlain", L"", WS_CHILD, 0, 0, 1, 1, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    };
    HWND pluginA = child(listerA);
    HWND pluginB = child(listerB);
    HWND pluginC = child(host.CreateLister());
    FileNameByListerWindow.clear();
    FileNameByListerWindow[listerA] = L"C:\\a.txt";
    FileNameByListerWindow[listerB] = L"C:\\b.txt";
    const HHOOK hook = SetWindowsHookExW(
        WH_KEYBOARD, [](int code, WPARAM w, LPARAM l) { return CallNextHookEx(nullptr, code, w, l); },
        nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    KeyboardHook = hook;

    ListCloseWindow(pluginA);
    EXPECT_EQ(FileNameByListerWindow.count(listerA), 0u);
    EXPECT_EQ(KeyboardHook, hook);
    ListCloseWindow(pluginC); // a Lister with no recorded file
    EXPECT_EQ(KeyboardHook, hook);
    ListCloseWindow(pluginB);
    EXPECT_TRUE(FileNameByListerWindow.empty());
    EXPECT_EQ(KeyboardHook, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(hook)); // really removed
    ListCloseWindow(pluginB);                // again, with nothing left: harmless
    ListCloseWindow(nullptr);
    EXPECT_EQ(KeyboardHook, nullptr);
}

TEST_F(Launch, RepeatedStartsAndClosesLeaveNoHandlesOrWindows) {
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
    // One load in ten starts the test application (a real start costs a third of a second or more under
    // Wine) for a temporary copy: the plugin window, the watch, the hide timer and the clean-up. The
    // others name a program that does not exist: the failed start's message, and the declined load. (The
    // watch never calls WaitForInputIdle, which leaves a handle open per call under Wine 8: the count
    // must stay exactly flat.)
    const std::vector<std::wstring> realStart = {ViewApp(L"cycle")};
    const std::vector<std::wstring> failedStart = {L"\"Z:\\no\\such\\folder\\app.exe\" cycle"};
    // A copy whose application ended without a window is kept while its watch looks by title.
    ApplicationWatchMs = 1500;
    size_t realStarts = 0;
    auto cycle = [&](int i) {
        LoadFilesFromTemp = i % 10 == 9;
        loadCommandLines = LoadFilesFromTemp ? realStart : failedStart;
        realStarts += LoadFilesFromTemp;
        HWND lister = host->CreateLister();
        // A declined load leaves its Lister to the host, which then shows the file itself.
        if (!host->ViewFile(lister, LoadFilesFromTemp ? L"C:\\tmp\\_tc\\a.txt" : L"C:\\a.txt"))
            host->CloseLister(lister);
        host->Pump(LoadFilesFromTemp ? 80 : 0);
        CleanUpHiddenListers();
        host->Pump(0);
    };
    cycle(9);
    SettleWatches();
    realStarts = 0;
    DeleteFileW(appLog.c_str());
    const size_t handlesBefore = CountOpenHandles();
    const size_t windowsBefore = CountOwnWindows();
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD start = GetTickCount();
    constexpr int kCycles = 200;
    {
        MessageBoxCatcher catcher; // each failed start says so
        for (int i = 0; i < kCycles; ++i)
            cycle(i);
        EXPECT_EQ(catcher.Boxes().size(), static_cast<size_t>(kCycles) - realStarts);
    }
    SettleWatches();
    host->Pump(200);
    const size_t handlesAfter = CountOpenHandles();
    const size_t windowsAfter = CountOwnWindows();
    const DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::printf("%d loads (%zu real starts) in %lu ms; handles %zu -> %zu, "
                "windows %zu -> %zu, user objects %lu -> %lu, gdi objects %lu -> %lu\n",
                kCycles, realStarts, static_cast<unsigned long>(GetTickCount() - start), handlesBefore,
                handlesAfter, windowsBefore, windowsAfter, static_cast<unsigned long>(userBefore),
                static_cast<unsigned long>(userAfter), static_cast<unsigned long>(gdiBefore),
                static_cast<unsigned long>(gdiAfter));
    EXPECT_TRUE(AppWindowsByListerWindow.empty());
    EXPECT_EQ(TimerToHideListerID, 0u);
    EXPECT_EQ(RunningApplicationWatches(), 0u);
    EXPECT_EQ(handlesAfter, handlesBefore);
    EXPECT_EQ(windowsAfter, windowsBefore);
    EXPECT_EQ(userAfter, userBefore);
    EXPECT_EQ(gdiAfter, gdiBefore);
    // The real starts did run (Wine may drop the odd one).
    EXPECT_GE(ReadLogLines(appLog, realStarts, 5000).size(), realStarts * 9 / 10);
}

TEST(ChangedCopies, NumberedNamesTheFoldersTriedAndWhatCountsAsAChange) {
    for (const auto& [name, second] : {std::pair{L"report.docx", L"report (2).docx"},
                                       {L"README", L"README (2)"},
                                       {L"a.tar.gz", L"a.tar (2).gz"},
                                       {L".profile", L".profile (2)"}}) {
        EXPECT_EQ(NumberedName(name, 1), name);
        EXPECT_EQ(NumberedName(name, 2), second);
    }

    const std::wstring docs = L"C:\\Users\\Ann\\Documents\\Tolvanier\\Changed copies", ini = L"C:\\Tools\\";
    using Folders = std::vector<std::wstring>;
    EXPECT_EQ(FoldersForChangedCopy(L"D:\\Kept", docs, ini), (Folders{L"D:\\Kept", docs, ini}));
    EXPECT_EQ(FoldersForChangedCopy(L"", docs, ini), (Folders{docs, ini}));
    EXPECT_EQ(FoldersForChangedCopy(L"Kept", docs, ini), (Folders{docs, ini})) << "never the browsed folder";
    EXPECT_EQ(FoldersForChangedCopy(L"c:\\tools", L"", ini), (Folders{L"c:\\tools"}));
    EXPECT_EQ(FoldersForChangedCopy(L"\\\\server\\share\\kept", docs, L""),
              (Folders{L"\\\\server\\share\\kept", docs}));

    EXPECT_TRUE(CopyChanged({100, 5}, CopyStamp{100, 6}));
    EXPECT_FALSE(CopyChanged({100, 5}, std::nullopt)) << "a copy that is gone has nothing to keep";
}

// Where a changed copy goes when its folder cannot be written: the default folder (Documents, here
// redirected to a folder of the test), then the settings file's folder; the message says which folder
// failed. Where nothing can be written the copy is held until the user has read that, after the call.
TEST_F(Launch, AChangedCopyGoesWhereItCanBeWrittenAndIsNeverLostSilently) {
    const wchar_t* const kShellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    // The user's Documents folder as it was, put back however the test ends.
    struct Restore {
        const wchar_t* key;
        wchar_t documents[1024] = L"";
        bool had = false;
        explicit Restore(const wchar_t* k) : key(k) {
            DWORD size = sizeof(documents);
            had = RegGetValueW(HKEY_CURRENT_USER, key, L"Personal",
                               RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, documents,
                               &size) == ERROR_SUCCESS;
        }
        ~Restore() {
            if (had)
                RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Personal", REG_EXPAND_SZ, documents,
                                static_cast<DWORD>((wcslen(documents) + 1) * sizeof(wchar_t)));
            else
                RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Personal");
            OptionsIniName[0] = L'\0';
        }
    } restore(kShellFolders);
    const std::wstring docs = dir / L"docs", blocker = dir / L"blocker", copy = dir / L"a.txt";
    ASSERT_TRUE(CreateDirectoryW(docs.c_str(), nullptr) && WriteTextFile(blocker, "a file, no folder"));
    const std::wstring settings = dir / L"settings\\Tolvanier.ini";
    ASSERT_TRUE(CreateDirectoryW((dir / L"settings").c_str(), nullptr));
    ASSERT_TRUE(
        WriteTextFile(settings, "[Options]\r\nChangedCopiesFolder=" + WideToUtf8(blocker) + "\\sub\r\n"));
    auto redirectDocuments = [&](const std::wstring& folder) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", REG_EXPAND_SZ,
                                  folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    };
    redirectDocuments(docs);
    ASSERT_EQ(DefaultChangedCopiesFolder(), docs + L"\\Tolvanier\\Changed copies");
    const struct {
        const char* what;
        std::wstring documents, settings;
        std::wstring keptAt; // empty: nowhere
    } cases[] = {
        {"the default folder", docs, settings, docs + L"\\Tolvanier\\Changed copies\\a.txt"},
        {"the settings file's folder", blocker, settings, dir / L"settings\\a.txt"},
        {"nowhere", blocker, blocker + L"\\Tolvanier.ini", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        redirectDocuments(c.documents);
        ASSERT_TRUE(win::CopyTo(OptionsIniName, c.settings));
        config::IniForgetReads();
        DeleteFileW(copy.c_str()); // a new file: the one kept before may be a second name of the last one
        ASSERT_TRUE(WriteTextFile(copy, "as extracted"));
        HWND window = host->CreateTopLevel(L"TStandInPlain", L"plugin window", false);
        NoteCopyAtLoad(copy);
        BindNotedCopy(window);
        ASSERT_TRUE(WriteTextFile(copy, "as the application saved it"));
        MessageBoxCatcher boxes;
        KeepCopyIfChanged(window);
        EXPECT_TRUE(boxes.Boxes().empty()) << "nothing is shown inside the host's call";
        if (c.keptAt.empty()) {
            // The host's deletion right after the call fails: the copy is still there to be read.
            EXPECT_FALSE(DeleteFileW(copy.c_str()));
            host->Pump(200);
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            const std::wstring notKept =
                L"Changes saved in a copy from an archive could not be kept:\n" + copy;
            EXPECT_EQ(boxes.Boxes()[0].text.substr(0, notKept.size()), notKept);
            EXPECT_TRUE(DeleteFileW(copy.c_str())) << "let go once the message was read";
            continue;
        }
        EXPECT_EQ(ReadFileBytes(c.keptAt), "as the application saved it");
        host->Pump(200);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const std::wstring head = L"Changes saved in a copy from an archive were kept:\n" + c.keptAt +
                                  L"\nThe folder " + blocker + L"\\sub could not be written: ";
        EXPECT_EQ(boxes.Boxes()[0].text.substr(0, head.size()), head) << WideToUtf8(boxes.Boxes()[0].text);
    }
}

// A program that runs once and keeps its document open without delete sharing, naming only itself in
// its title: the hidden Lister of its copy outlives the watch while the file is held, and goes at the
// first clean-up after the program let it go. At most 64 such Listers stay; the one held longest goes.
TEST_F(Launch, AListerWhoseCopyIsHeldOpenStaysAfterTheWatchWithinItsBound) {
    LoadFilesFromTemp = true;
    ApplicationWatchMs = 1500;
    const std::wstring copy = dir / L"held.txt";
    ASSERT_TRUE(WriteTextFile(copy, "x"));
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"holder");
    loadCommandLines = {ViewApp(L"\"" + copy + L"\"")};
    bool ran = false;
    for (int attempt = 0; attempt < 2 && !ran; ++attempt) {
        ResetState();
        NewHost();
        if (HWND left = FindWindowW(L"ViewAppRunning", nullptr)) WaitForProcessOfWindowToEnd(left, 5000);
        const win::UniqueProcessInfo running = StartCommandLine(ViewApp(L"running"));
        HWND runningWindow = nullptr;
        if (!WaitUntil(5000,
                       [&] { return (runningWindow = FindWindowW(L"ViewAppRunning", nullptr)) != nullptr; }))
            continue;
        HWND lister = host->CreateLister();
        ASSERT_NE(host->ViewFile(lister, copy), nullptr);
        ran = WaitUntil(5000, [&] { return IsHeldWithoutDeleteSharing(copy); });
        if (!ran) continue;
        EXPECT_TRUE(WaitUntil(5000, [] { return RunningApplicationWatches() == 0; }));
        EXPECT_EQ(RecordedWindows(lister), 0u) << "its title names no file";
        CleanUpHiddenListers();
        host->Pump(100);
        EXPECT_TRUE(IsWindow(lister)) << "the copy is held open";
        ASSERT_TRUE(WaitForProcessOfWindowToEnd(runningWindow, 5000));
        CleanUpHiddenListers();
        host->Pump(100);
        EXPECT_FALSE(IsWindow(lister)) << "let go, the copy's Lister closes";
    }
    EXPECT_TRUE(ran) << "the test application did not run";

    // Held by this process, which the check cannot tell from another: one Lister more than the bound.
    std::vector<win::UniqueFile> holds;
    std::vector<HWND> listers;
    for (size_t i = 0; i <= kMaxApplicationWatches; ++i) {
        const std::wstring file = dir / (L"held" + std::to_wstring(i) + L".txt");
        ASSERT_TRUE(WriteTextFile(file, "x"));
        holds.emplace_back(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        listers.push_back(host->CreateLister());
        AppWindowsByListerWindow[listers.back()];
        FileNameByListerWindow[listers.back()] = file;
        if (i + 1 == kMaxApplicationWatches) {
            CleanUpHiddenListers(); // the first 64, held
            host->Pump(100);
        }
    }
    const HWND longestHeld = *std::min_element(listers.begin(), listers.end() - 1);
    CleanUpHiddenListers();
    host->Pump(100);
    EXPECT_EQ(std::count_if(listers.begin(), listers.end(), [](HWND l) { return IsWindow(l) != FALSE; }),
              static_cast<std::ptrdiff_t>(kMaxApplicationWatches));
    EXPECT_FALSE(IsWindow(longestHeld));
    EXPECT_TRUE(IsWindow(listers.back()));
}
