#include "plugin/launch.h"

#include <utility>

#include "config/messages.h"
#include "config/options.h"
#include "config/shell_start.h"
#include "plugin/app_watch.h"
#include "plugin/listers.h"
#include "shared/host_names.h"
#include "shared/process.h"
#include "shared/state.h"

#include <vector>

ListerDisposition DecideListerDisposition(int32_t listerState, bool fromTemp, bool quickView,
                                          bool listerHasParent, const std::wstring& activeClassName) {
    ListerDisposition d;
    d.recordApplicationWindows = fromTemp && !listerHasParent && listerState == 1;
    // A Lister that was itself the active window is never hidden or closed by the plugin.
    if (activeClassName == TCListerClasName) return d;
    d.hideWhenVisible = fromTemp && listerState == 1 && !quickView;
    if ((!fromTemp && listerState == 1) || listerState == 2)
        d.close = listerHasParent ? ListerDisposition::Close::LeaveQuickView
                                  : ListerDisposition::Close::CloseLister;
    return d;
}

namespace {

HWND CreatePluginWindow() {
    // Registered at every accepted load; from the second time on it fails because the class exists.
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kPluginWindowClassName;
    RegisterClassW(&wc);
    // Its WM_CREATE may hand the Lister on to the next plugin (WndProc) before this returns.
    if (IsWindow(hwLister)) {
        // Made inside the Lister at once: the window the host gets is the same hidden, frameless child
        // as one made at the top level and then moved in, but a top-level window costs the host's
        // thread 1 to 8 ms more, up to a fifth of the application's own start.
        return CreateWindowExW(0, kPluginWindowClassName, kPluginWindowClassName, WS_CHILD, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwLister, nullptr, hInstance,
                               nullptr);
    }
    // No Lister to put it in: a top-level window, stripped of its frame.
    HWND window =
        CreateWindowExW(0, kPluginWindowClassName, kPluginWindowClassName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
    if (window) {
        SetWindowLongPtrW(window, GWL_STYLE, WS_CHILD);
        SetParent(window, hwLister);
    }
    return window;
}

} // namespace

HWND StartApplicationsAndDisposeLister(const std::vector<std::wstring>& commandLines,
                                       const std::wstring& activeClassName) {
    // No frame and not visible: the host places it inside the Lister. Without it nothing starts.
    hwTolvanier = CreatePluginWindow();
    if (!hwTolvanier) return nullptr;

    std::vector<win::UniqueProcessInfo> processes;
    bool anyStarted = false, anyFailed = false;
    for (const std::wstring& commandLine : commandLines) {
        StartResult started = config::StartCommand(commandLine);
        if (!started.started) {
            ShowStartFailure(commandLine, started.error);
            anyFailed = true;
            continue;
        }
        anyStarted = true;
        if (started.process.process) processes.push_back(std::move(started.process));
    }
    // A load none of whose lines started is declined: its Lister is neither handed on, hidden nor
    // closed, and the host gets no window.
    HandListerOnIfAsked(anyStarted || !anyFailed);
    if (anyFailed && !anyStarted) {
        DestroyWindow(hwTolvanier);
        hwTolvanier = nullptr;
        return nullptr;
    }

    const bool listerHasParent = HasParentWindow(hwLister);
    const ListerDisposition disposition = DecideListerDisposition(
        TolvanierOptions.ListerState, LoadFilesFromTemp, QuickView, listerHasParent, activeClassName);

    if (disposition.recordApplicationWindows) {
        // A kept Lister always has an entry, even when no application window can be recorded (an
        // application that shows no window before its watch ends): the clean-up then closes it at a later
        // load instead of leaving it hidden for good.
        try {
            AppWindowsByListerWindow[hwLister];
        } catch (...) {
        }
        // Nothing here waits for the application: its process handle goes to the watch, which runs from
        // the host's message loop; the thread handle (and an unwatched process handle) is closed when this
        // returns. The watch also looks for the copy's name in the titles of other programs: the started
        // one may hand the file to a copy of itself already running, and the shell may name no process.
        WatchCopyByTitle(hwLister, _FileToLoad);
        for (win::UniqueProcessInfo& process : processes)
            WatchApplication(hwLister, std::move(process.process), process.processId);
    }

    if (disposition.hideWhenVisible) StartHideTimer(hwLister);
    // Posted, never immediate: the host first receives the plugin window, then closes from its loop.
    switch (disposition.close) {
    case ListerDisposition::Close::LeaveQuickView:
        if (hwTCMain) PostMessageW(hwTCMain, kHostCommandMessage, kHostCommandQuickViewOff, 0);
        break;
    case ListerDisposition::Close::CloseLister:
        if (hwLister) PostMessageW(hwLister, WM_CLOSE, 0, 0);
        break;
    case ListerDisposition::Close::None: break;
    }
    return hwTolvanier;
}
