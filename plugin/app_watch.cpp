#include "plugin/app_watch.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "config/command_text.h"
#include "plugin/copy_titles.h"
#include "plugin/listers.h"
#include "shared/state.h"
#include "win/clock.h"
#include "win/window.h"

// What the watch relies on, as observed under Wine 8 and documented for Windows:
//   WaitForSingleObject(process, 0)   never waits; signalled once the process has ended
//   WaitForInputIdle                  Wine 8 leaves one handle open per call: never used here
//   a held process handle             keeps its id from being given to another process
//   GetProcessTimes on an ended one   still answers while the handle is held, exit time included
//   Toolhelp snapshot                 lists running processes with their parent's id; a tick that
//                                     takes one (a process ended) cost 3 to 5 ms under Wine here
//   InternalGetWindowText             reads the title the system holds for the window and sends no
//                                     message (Wine: one request to the server for another
//                                     process's window; it answered at once, under 0.1 ms, for a
//                                     program that never pumps messages), so a hung program cannot
//                                     hold the host's thread; GetWindowTextLengthW sends
//                                     WM_GETTEXTLENGTH: never used here
//   EnumWindows                       under Wine about one request to the server per window, as
//                                     each question about another process's window is (10 to 25 us
//                                     here on a quiet machine); on Windows they are answered in the
//                                     process

namespace {

struct WatchedProcess {
    win::UniqueHandle process;
    DWORD processId = 0;
    bool ended = false; // seen ended at the last look, to be replaced by the processes it started
};

struct ApplicationWatch {
    HWND lister = nullptr;
    ULONGLONG startedAt = 0;
    // Alive when last looked at, or ended since and not yet followed to the processes it started.
    std::vector<WatchedProcess> processes;
    // The copy's names in a title (copy_titles.h); empty: windows are not looked for by title.
    std::vector<std::wstring> titleForms;
};

std::vector<ApplicationWatch> watches;
UINT_PTR watchTimerId = 0;

// A window (its handle's value) and its process.
using WindowProcess = std::pair<uintptr_t, DWORD>;
// The process of every top-level window the last pass over them saw, sorted by window: a window never
// moves to another process, and asking costs a request to the server under Wine (about 1 ms a pass
// for a hundred windows here).
std::vector<WindowProcess> processOfWindow;

// A pass over the top-level windows, which spans ticks when it takes longer than a tick's budget: the
// windows listed when it began, the next one to look at, the processes of those looked at.
struct WindowPass {
    std::vector<HWND> windows;
    size_t next = 0;
    std::vector<WindowProcess> seen;
};
WindowPass pass;

ULONGLONG FileTimeValue(const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

bool HasEnded(HANDLE process) {
    // A handle that cannot be waited on counts as ended, so it is dropped instead of polled for good.
    return WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
}

bool HasExpired(const ApplicationWatch& watch, ULONGLONG now) {
    return now - watch.startedAt >= ApplicationWatchMs;
}

std::vector<ApplicationWatch>::iterator FindWatch(HWND lister) {
    return std::find_if(watches.begin(), watches.end(),
                        [lister](const ApplicationWatch& w) { return w.lister == lister; });
}

void KillWatchTimer() {
    if (watchTimerId) KillTimer(nullptr, watchTimerId);
    watchTimerId = 0;
    std::vector<WindowProcess>().swap(processOfWindow);
    pass = WindowPass{};
}

struct RunningProcess {
    DWORD processId;
    DWORD parentId;
};

// The running processes with their parents' ids, from one snapshot (3 to 5 ms under Wine): taken once
// for all the ends seen before it, so that every process they started is in it.
std::vector<RunningProcess> ReadRunningProcesses() {
    std::vector<RunningProcess> running;
    // A snapshot, like a file, says "none" with INVALID_HANDLE_VALUE.
    const win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return running;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
        running.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    return running;
}

// Appends the running processes that ended started (a launcher hands over to them), up to the bound. A
// snapshot names parents by id only, and the id may have belonged to an earlier process: only a process
// created while ended ran is its child. Allocates nothing: into has room for the bound.
void AddChildren(const WatchedProcess& ended, const std::vector<RunningProcess>& running,
                 std::vector<WatchedProcess>& into) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(ended.process.Get(), &created, &exited, &kernel, &user)) return;
    for (const RunningProcess& r : running) {
        if (into.size() >= kMaxProcessesPerWatch) return;
        if (r.parentId != ended.processId || r.processId == ended.processId) continue;
        win::UniqueHandle child(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, r.processId));
        FILETIME childCreated{}, childExited{};
        if (!child || !GetProcessTimes(child.Get(), &childCreated, &childExited, &kernel, &user)) continue;
        const ULONGLONG born = FileTimeValue(childCreated);
        if (born < FileTimeValue(created) || born > FileTimeValue(exited)) continue;
        into.push_back({std::move(child), r.processId});
    }
}

// Replaces every ended process of every watch by the processes it started, their handles closed here:
// first every end is seen, then one snapshot answers for all of them. Out of memory, nothing is lost:
// every allocation comes before the first handle moves. Returns whether it looked at the running
// processes.
bool FollowEndedProcesses() {
    bool anyEnded = false;
    for (ApplicationWatch& w : watches)
        for (WatchedProcess& p : w.processes)
            anyEnded |= p.ended = HasEnded(p.process.Get());
    if (!anyEnded) return false;
    const std::vector<RunningProcess> running = ReadRunningProcesses();
    std::vector<std::vector<WatchedProcess>> next(watches.size());
    for (std::vector<WatchedProcess>& n : next)
        n.reserve(kMaxProcessesPerWatch);
    for (size_t i = 0; i < watches.size(); ++i) {
        // The live ones first: followed children never push the watch past its bound.
        for (WatchedProcess& p : watches[i].processes)
            if (!p.ended) next[i].push_back(std::move(p));
        for (const WatchedProcess& p : watches[i].processes)
            if (p.ended) AddChildren(p, running, next[i]);
        watches[i].processes = std::move(next[i]);
    }
    return true;
}

// Titles are read whole up to this length; a longer one is cut, and its last unit dropped so that no
// name is found ending where the cut falls.
constexpr int kTitleCapacity = 4096;
// Windows recorded by title for one watch in one tick: a program with a thousand windows named alike
// would otherwise cost the tick a recording each.
constexpr size_t kMaxTitledWindowsPerTick = kMaxProcessesPerWatch;
// A tick looks at windows for this long at most; the rest of the pass waits for the next tick. Under
// Wine a window costs two requests to the server (about 25 us, several times that on a loaded
// machine): a hundred windows fit one tick on a quiet machine. On Windows the questions are answered
// in the process, at a fraction of that.
constexpr double kWindowLookBudgetMs = 3.0;

// What one tick looks for, and what it found.
struct WindowSearch {
    std::vector<DWORD> processIds;
    std::vector<HWND> found; // per process: its last visible top-level window in the system's order
    DWORD hostProcessId = 0;
    // Per watch: the forms of its copy's name (null when it does not look by title), the windows found.
    std::vector<const std::vector<std::wstring>*> titleForms;
    std::vector<std::vector<HWND>> titled;
    bool anyByTitle = false;
    std::wstring title;        // this window's title in lower case, one buffer for every window
    std::vector<size_t> named; // the watches whose copy this window's title names
};

DWORD ProcessOfWindow(HWND hwnd) {
    const WindowProcess key{reinterpret_cast<uintptr_t>(hwnd), 0};
    const auto known = std::lower_bound(processOfWindow.begin(), processOfWindow.end(), key);
    DWORD pid = 0;
    if (known != processOfWindow.end() && known->first == key.first)
        pid = known->second;
    else
        GetWindowThreadProcessId(hwnd, &pid);
    if (pid) pass.seen.push_back({key.first, pid});
    return pid;
}

// Reads hwnd's title into search.title, in lower case, without a message to its program.
void ReadFoldedTitle(HWND hwnd, WindowSearch& search) {
    static wchar_t text[kTitleCapacity];
    int n = InternalGetWindowText(hwnd, text, kTitleCapacity);
    if (n < 0) n = 0;
    if (n >= kTitleCapacity - 1) n = kTitleCapacity - 2;
    search.title.assign(text, static_cast<size_t>(n));
    search.title = config::LowerCase(std::move(search.title));
}

// The watches whose copy hwnd's title names, into search.named.
void FindWatchesNamedBy(HWND hwnd, WindowSearch& search) {
    ReadFoldedTitle(hwnd, search);
    for (size_t w = 0; w < search.titleForms.size(); ++w) {
        const std::vector<std::wstring>* forms = search.titleForms[w];
        if (forms && search.titled[w].size() < kMaxTitledWindowsPerTick &&
            std::any_of(forms->begin(), forms->end(),
                        [&](const std::wstring& form) { return HoldsWholeWord(search.title, form); }))
            search.named.push_back(w);
    }
}

// Only a window of a watched process, or one whose title names a copy, is asked whether it is shown:
// most windows are neither.
void InspectWindow(HWND hwnd, WindowSearch& search) {
    const DWORD pid = ProcessOfWindow(hwnd);
    const bool ofWatchedProcess =
        std::find(search.processIds.begin(), search.processIds.end(), pid) != search.processIds.end();
    search.named.clear();
    // The host's own windows name the copy too: its viewer's title holds the file's path.
    if (search.anyByTitle && pid != search.hostProcessId) FindWatchesNamedBy(hwnd, search);
    if (!ofWatchedProcess && search.named.empty()) return;
    // The parent of a top-level window is the desktop: its own style says whether it is shown. Under
    // Wine that is one request to the server for another process's window, IsWindowVisible makes two.
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE)) return;
    for (size_t i = 0; i < search.processIds.size(); ++i)
        if (search.processIds[i] == pid) search.found[i] = hwnd;
    for (size_t w : search.named)
        search.titled[w].push_back(hwnd);
}

BOOL CALLBACK ListWindow(HWND hwnd, LPARAM lParam) {
    try {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    } catch (...) {
        return FALSE; // no exception may unwind through the system's enumeration; the pass has the rest
    }
    return TRUE;
}

void BeginWindowPass() {
    pass.windows.clear();
    pass.next = 0;
    pass.seen.clear();
    pass.seen.reserve(processOfWindow.size() + 64);
    EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&pass.windows));
}

void EndWindowPass() {
    std::sort(pass.seen.begin(), pass.seen.end());
    processOfWindow.swap(pass.seen);
}

void RecordWindow(HWND lister, HWND window) {
    // No entry: the clean-up has closed the Lister meanwhile; nothing is made anew for it.
    const auto entry = AppWindowsByListerWindow.find(lister);
    if (entry == AppWindowsByListerWindow.end()) return;
    std::vector<TWindowProperties>& apps = entry->second;
    TWindowProperties app{window, win::ClassNameOf(window)};
    if (std::any_of(apps.begin(), apps.end(), [&](const TWindowProperties& a) {
            return a.hwApp == app.hwApp && a.ClassName == app.ClassName;
        }))
        return;
    // Windows that are gone keep nothing alive; dropped, so that an application that keeps replacing its
    // window does not grow the list for the whole watch.
    std::erase_if(apps, [](const TWindowProperties& a) { return !IsApplicationOpen(a); });
    apps.push_back(std::move(app));
}

bool LooksByTitle(const ApplicationWatch& watch) {
    return !watch.titleForms.empty();
}

void TickWatches() {
    const ULONGLONG now = GetTickCount64();
    std::erase_if(watches,
                  [now](const ApplicationWatch& w) { return !IsWindow(w.lister) || HasExpired(w, now); });
    const bool lookedAtProcesses = FollowEndedProcesses();
    // A watch that looks by title runs its whole time: the program that shows the copy may be none
    // of the processes started for it.
    std::erase_if(watches, [](const ApplicationWatch& w) { return w.processes.empty() && !LooksByTitle(w); });
    if (watches.empty()) {
        KillWatchTimer();
        return;
    }
    // The look at the running processes and the pass over the windows are the two costly steps of a
    // tick (a few ms each under Wine): never both in one tick. The windows wait for the next.
    if (lookedAtProcesses) return;
    // One look at the system's windows for all watches.
    const double deadline = win::CounterMs() + kWindowLookBudgetMs;
    WindowSearch search;
    search.hostProcessId = GetCurrentProcessId();
    for (const ApplicationWatch& w : watches) {
        for (const WatchedProcess& p : w.processes)
            search.processIds.push_back(p.processId);
        search.titleForms.push_back(LooksByTitle(w) ? &w.titleForms : nullptr);
        search.anyByTitle |= LooksByTitle(w);
    }
    search.found.assign(search.processIds.size(), nullptr);
    search.titled.resize(watches.size());
    if (search.anyByTitle) search.title.reserve(kTitleCapacity);
    if (pass.next >= pass.windows.size()) BeginWindowPass();
    while (pass.next < pass.windows.size()) {
        InspectWindow(pass.windows[pass.next++], search);
        if (win::CounterMs() >= deadline) break;
    }
    if (pass.next >= pass.windows.size()) EndWindowPass();
    size_t i = 0;
    for (size_t w = 0; w < watches.size(); ++w) {
        for (size_t k = 0; k < watches[w].processes.size(); ++k, ++i)
            if (search.found[i]) RecordWindow(watches[w].lister, search.found[i]);
        for (HWND titled : search.titled[w])
            RecordWindow(watches[w].lister, titled);
    }
}

// The watch of lister, begun now when it has none. Null at the bound of watches.
ApplicationWatch* FindOrBeginWatch(HWND lister) {
    const auto it = FindWatch(lister);
    if (it != watches.end()) return &*it;
    if (watches.size() >= kMaxApplicationWatches) return nullptr;
    ApplicationWatch watch;
    watch.lister = lister;
    watch.startedAt = GetTickCount64();
    watches.push_back(std::move(watch));
    return &watches.back();
}

// Starts the timer that ends every watch; without it nothing would end them and close their handles.
bool KeepWatchTimerRunning() {
    if (!watchTimerId)
        watchTimerId = SetTimer(nullptr, 0, kApplicationWatchTickMs, ApplicationWatchTimerProc);
    if (watchTimerId) return true;
    StopApplicationWatches();
    return false;
}

} // namespace

bool WatchApplication(HWND lister, win::UniqueHandle process, DWORD processId) {
    if (!process) return false;
    try {
        ApplicationWatch* watch = FindOrBeginWatch(lister);
        if (!watch || watch->processes.size() >= kMaxProcessesPerWatch) return false;
        watch->processes.push_back({std::move(process), processId});
        // A later load in the same Lister gives its application the whole time too.
        watch->startedAt = GetTickCount64();
    } catch (...) {
        return false;
    }
    return KeepWatchTimerRunning();
}

bool WatchCopyByTitle(HWND lister, const std::wstring& copyPath) {
    try {
        std::vector<std::wstring> forms = TitleFormsOfCopy(copyPath);
        if (forms.empty()) return false;
        ApplicationWatch* watch = FindOrBeginWatch(lister);
        if (!watch) return false;
        // A later load in the same Lister shows another copy: its name is the one looked for.
        watch->titleForms = std::move(forms);
        watch->startedAt = GetTickCount64();
    } catch (...) {
        return false;
    }
    return KeepWatchTimerRunning();
}

void FollowEndedApplications() {
    try {
        FollowEndedProcesses();
    } catch (...) {
        // Out of memory: nothing moved; an ended process counts as alive until a tick follows it.
    }
}

bool IsWatchedApplicationAlive(HWND lister) {
    const auto it = FindWatch(lister);
    if (it == watches.end() || HasExpired(*it, GetTickCount64())) return false;
    if (!it->processes.empty()) return true;
    // Every process ended without a window of its own (or the shell named none): the file may have
    // gone to a program already running, whose title names it a moment later.
    const auto entry = AppWindowsByListerWindow.find(lister);
    return LooksByTitle(*it) && (entry == AppWindowsByListerWindow.end() || entry->second.empty());
}

void StopWatchingApplications(HWND lister) {
    std::erase_if(watches, [lister](const ApplicationWatch& w) { return w.lister == lister; });
}

void StopApplicationWatches() {
    watches.clear();
    KillWatchTimer();
}

size_t RunningApplicationWatches() {
    return watches.size();
}

void CALLBACK ApplicationWatchTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    try {
        TickWatches();
    } catch (...) {
        // Out of memory: every watch ends with what it recorded, as at its bound.
        StopApplicationWatches();
    }
}
