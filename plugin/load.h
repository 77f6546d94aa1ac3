// The load decision: whether the plugin acts for the window the load came from, and which files it opens.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "config/options.h"

// What the gates see of the load: the active window's class (empty when there is none) and whether
// the Lister sits inside the main window (the quick-view panel).
struct LoadOrigin {
    bool hasActiveWindow = false;
    std::wstring activeClassName;
    bool listerHasParent = false;
};

enum class GateResult { Decline, Take, TakeInQuickView };

// The gates on the active window, in their fixed order; ModalOnly first.
GateResult ApplyLoadGates(const TTolvanierOptions& options, const LoadOrigin& origin);

// Whether the Viewertype of the host INI and the Shift key ask for the panel's selection.
bool ViewerTypeWantsSelection(int viewerType, bool shiftHeld);

// The file lies in the host's temporary extraction folder: below one of the spellings of that folder
// (compared without regard to letter case, a trailing separator or none), with "_tc" in the part of
// its path below the folder. No platform call: the caller gathers the spellings.
bool IsTemporaryCopy(const std::wstring& fileName, const std::vector<std::wstring>& tempFolders);

// The spellings of the host's temporary folder: %TEMP%, and the folder the system's temporary-folder
// function reports (TMP first), which is where the host extracts; each as written and in its long and
// short form, as far as the platform converts it. Empty or unreadable folders give none.
std::vector<std::wstring> TemporaryFolderSpellings();
// IsTemporaryCopy against the host's temporary folder as the platform spells it now.
bool IsHostTemporaryCopy(const std::wstring& fileName);

// The selected entries of the focused file panel, with the panel's directory from the host in front;
// empty when the panel is not focused, Viewertype and Shift disagree, or nothing usable is selected.
std::vector<std::wstring> CollectSelectedPanelEntries();
