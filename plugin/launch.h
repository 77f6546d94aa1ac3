// The end of an accepted load: the plugin's window, the applications, and what becomes of the Lister.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What becomes of the Lister after the applications were started.
struct ListerDisposition {
    enum class Close {
        None,
        LeaveQuickView, // ask the host's main window to switch its quick-view panel off
        CloseLister,    // post WM_CLOSE to the separate Lister
    };
    bool recordApplicationWindows = false; // watch the applications; keep the Lister while they live
    bool hideWhenVisible = false;
    Close close = Close::None;
};

// The disposition from the ListerState option, whether the file is a temporary copy, the quick-view
// flag, whether the Lister has a parent window, and the class of the window active at load time.
ListerDisposition DecideListerDisposition(int32_t listerState, bool fromTemp, bool quickView,
                                          bool listerHasParent, const std::wstring& activeClassName);

// Registers and creates the plugin window inside hwLister, starts every command line in order, and
// hides, closes or keeps the Lister. activeClassName is the class of the window that was active when
// the load began (empty when none). Returns the plugin window, or null when it could not be created.
HWND StartApplicationsAndDisposeLister(const std::vector<std::wstring>& commandLines,
                                       const std::wstring& activeClassName);
