#include "plugin/listers.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "config/options.h"
#include "plugin/app_watch.h"
#include "plugin/changed_copies.h"
#include "shared/host_names.h"
#include "shared/state.h"
#include "win/window.h"

namespace {

// Hidden Listers kept only because another process holds their copy open without delete sharing, the
// longest kept first.
std::vector<HWND> heldListers;

// Listers waiting to be hidden by the hide timer. A second kept Lister may arrive before the first
// was shown; both wait on the one timer, so neither is forgotten and no timer is left running.
std::vector<HWND> listersToHide;

void KillHideTimer() {
    if (TimerToHideListerID) KillTimer(nullptr, TimerToHideListerID);
    TimerToHideListerID = 0;
}

} // namespace

bool IsApplicationOpen(const TWindowProperties& app) {
    // A handle may be reused by an unrelated window; the recorded class tells them apart.
    return app.hwApp && IsWindow(app.hwApp) && win::ClassNameOf(app.hwApp) == app.ClassName;
}

void StopHideTimer() {
    listersToHide.clear();
    KillHideTimer();
}

bool HasParentWindow(HWND hwnd) {
    // GetParent would report the owner of an owned top-level window; only a real parent counts. The
    // parent of a top-level window is the desktop.
    if (!hwnd) return false;
    const HWND parent = GetAncestor(hwnd, GA_PARENT);
    return parent && parent != GetDesktopWindow();
}

bool HoldsCopyOpen(HWND lister) {
    const auto file = FileNameByListerWindow.find(lister);
    return file != FileNameByListerWindow.end() && win::HasClass(lister, TCListerClasName) &&
           IsHeldWithoutDeleteSharing(file->second);
}

bool Holds(const std::vector<HWND>& listers, HWND lister) {
    return std::find(listers.begin(), listers.end(), lister) != listers.end();
}

void CloseHiddenLister(HWND lister) {
    // A Lister that is gone is only forgotten: its handle may by now name an unrelated window.
    if (win::HasClass(lister, TCListerClasName)) PostMessageW(lister, WM_CLOSE, 0, 0);
    StopWatchingApplications(lister);
    AppWindowsByListerWindow.erase(lister);
}

void CleanUpHiddenListers() {
    // A launcher that ended since the last tick of the watch has handed over to the processes it started.
    FollowEndedApplications();
    std::vector<HWND> held, toClose;
    for (const auto& [lister, apps] : AppWindowsByListerWindow) {
        // An application still starting may have shown no window yet: while its watch runs, a live
        // process keeps the Lister as a live window does, and so does one that ended without a window
        // (it may have handed the file to a program whose title names it later).
        if (IsWindowVisible(lister) || std::any_of(apps.begin(), apps.end(), IsApplicationOpen) ||
            IsWatchedApplicationAlive(lister))
            continue;
        // The host could not delete a copy that a program holds open, whatever that program's title says
        // (one that runs once may name only itself): its Lister stays, and is looked at again next time.
        if (HoldsCopyOpen(lister))
            held.push_back(lister);
        else
            toClose.push_back(lister);
    }
    // The longest held first: those held at the last clean-up in their order, then the new ones. Within
    // the bound of the watch, the longest held are closed first.
    std::vector<HWND> ordered;
    for (HWND lister : heldListers)
        if (Holds(held, lister)) ordered.push_back(lister);
    for (HWND lister : held)
        if (!Holds(heldListers, lister)) ordered.push_back(lister);
    if (ordered.size() > kMaxApplicationWatches) {
        const auto oldest = ordered.end() - static_cast<std::ptrdiff_t>(kMaxApplicationWatches);
        toClose.insert(toClose.end(), ordered.begin(), oldest);
        ordered.erase(ordered.begin(), oldest);
    }
    heldListers = std::move(ordered);
    for (HWND lister : toClose)
        CloseHiddenLister(lister);
}

void ForgetClosedListers() {
    // The host closes with ListCloseWindow only the Listers whose load was taken; the file of a declined
    // load would otherwise stay recorded for good, one entry per Lister the host ever opened.
    std::erase_if(FileNameByListerWindow, [](const auto& entry) { return !IsWindow(entry.first); });
}

void StartHideTimer(HWND lister) {
    try {
        if (std::find(listersToHide.begin(), listersToHide.end(), lister) == listersToHide.end())
            listersToHide.push_back(lister);
    } catch (...) {
        return;
    }
    // One timer at a time: a running one is replaced, not left ticking with its id lost.
    KillHideTimer();
    TimerToHideListerID = SetTimer(nullptr, 1, 50, TimerProc);
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    // Waits until the host has shown the Lister, then hides it at once. A Lister destroyed before it was
    // ever shown needs no hiding; without dropping it the timer would tick for good.
    std::erase_if(listersToHide, [](HWND lister) {
        if (!IsWindow(lister)) return true;
        if (!IsWindowVisible(lister)) return false;
        ShowWindow(lister, SW_HIDE);
        return true;
    });
    if (listersToHide.empty()) KillHideTimer();
}

bool PassesListerOn(bool nextPlugin, int32_t listerState, bool quickView) {
    return nextPlugin && (listerState == 0 || (listerState == 1 && quickView));
}

namespace {

void PassListerToNextPlugin() {
    if (!hwLister) return; // a null window would post to this thread's own queue
    PostMessageW(hwLister, WM_CHAR, kListerNextPluginChar, 0);
    // Lets the load decline the same file coming back to the same Lister within a second.
    try {
        LoadFileInfo.hwListerWin = hwLister;
        LoadFileInfo.FileName = _FileToLoad;
        LoadFileInfo.ctLoad = ClockNow();
    } catch (...) {
        LoadFileInfo = TLoadFileInfo{};
    }
}

// Set at the plugin window's creation, carried out once the load's applications have started: a load
// none of whose applications starts keeps its Lister, and nothing reaches the Lister while a failed
// start's message is open.
bool handOnPending = false;

} // namespace

void HandListerOnIfAsked(bool anyStarted) {
    if (std::exchange(handOnPending, false) && anyStarted) PassListerToNextPlugin();
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        handOnPending = PassesListerOn(TolvanierOptions.NextPlugin, TolvanierOptions.ListerState, QuickView);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
