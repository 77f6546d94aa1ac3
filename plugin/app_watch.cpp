#include "plugin/app_watch.h"

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "plugin/listers.h"
#include "shared/state.h"
#include "win/window.h"

// What the watch relies on, as observed under Wine 8 and documented for Windows:
//   WaitForSingleObject(process, 0)   never waits; signalled once the process has ended
//   WaitForInputIdle                  Wine 8 leaves one handle open per call: never used here
//   a held process handle             keeps its id from being given to another process
//   GetProcessTimes on an ended one   still answers while the handle is held, exit time included
//   Toolhelp snapshot                 lists running processes with their parent's id; a tick that
//                                     takes one (a process ended) cost 3 to 5 ms under Wine here

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
};

std::vector<ApplicationWatch> watches;
UINT_PTR watchTimerId = 0;

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
// every allocation comes before the first handle moves.
void FollowEndedProcesses() {
    bool anyEnded = false;
    for (ApplicationWatch& w : watches)
        for (WatchedProcess& p : w.processes)
            anyEnded |= p.ended = HasEnded(p.process.Get());
    if (!anyEnded) return;
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
}

struct WindowSearch {
    std::vector<DWORD> processIds;
    std::vector<HWND> found; // per process: its last visible top-level window in the system's order
};

BOOL CALLBACK FindWatchedWindows(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if (!IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    for (size_t i = 0; i < search->processIds.size(); ++i)
        if (search->processIds[i] == pid) search->found[i] = hwnd;
    return TRUE;
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

void TickWatches() {
    const ULONGLONG now = GetTickCount64();
    std::erase_if(watches,
                  [now](const ApplicationWatch& w) { return !IsWindow(w.lister) || HasExpired(w, now); });
    FollowEndedProcesses();
    std::erase_if(watches, [](const ApplicationWatch& w) { return w.processes.empty(); });
    if (watches.empty()) {
        KillWatchTimer();
        return;
    }
    // One pass over the system's windows for all watches.
    WindowSearch search;
    for (const ApplicationWatch& w : watches)
        for (const WatchedProcess& p : w.processes)
            search.processIds.push_back(p.processId);
    search.found.assign(search.processIds.size(), nullptr);
    EnumWindows(FindWatchedWindows, reinterpret_cast<LPARAM>(&search));
    size_t i = 0;
    for (const ApplicationWatch& w : watches)
        for (size_t k = 0; k < w.processes.size(); ++k, ++i)
            if (search.found[i]) RecordWindow(w.lister, search.found[i]);
}

} // namespace

bool WatchApplication(HWND lister, win::UniqueHandle process, DWORD processId) {
    if (!process) return false;
    try {
        auto it = FindWatch(lister);
        if (it == watches.end()) {
            if (watches.size() >= kMaxApplicationWatches) return false;
            ApplicationWatch watch;
            watch.lister = lister;
            watch.processes.push_back({std::move(process), processId});
            watches.push_back(std::move(watch));
            it = std::prev(watches.end());
        } else {
            if (it->processes.size() >= kMaxProcessesPerWatch) return false;
            it->processes.push_back({std::move(process), processId});
        }
        // A later load in the same Lister gives its application the whole time too.
        it->startedAt = GetTickCount64();
    } catch (...) {
        return false;
    }
    if (!watchTimerId)
        watchTimerId = SetTimer(nullptr, 0, kApplicationWatchTickMs, ApplicationWatchTimerProc);
    if (!watchTimerId) {
        // Without the timer nothing would end the watch and close its handles.
        StopApplicationWatches();
        return false;
    }
    return true;
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
    return it != watches.end() && !HasExpired(*it, GetTickCount64()) && !it->processes.empty();
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
