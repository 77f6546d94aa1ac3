// The end of an accepted load: the plugin's window, the applications, and what becomes of the Lister.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Registers and creates the plugin window inside hwLister, starts every command line in order, and
// hides, closes or keeps the Lister. activeClassName is the class of the window that was active when
// the load began (empty when none). Returns the plugin window, or null when it could not be created.
HWND StartApplicationsAndDisposeLister(const std::vector<std::wstring>& commandLines,
                                       const std::wstring& activeClassName);
