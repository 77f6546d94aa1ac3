// Process-wide plugin state. Everything here lives as long as the module and is touched only on the
// host's user-interface thread (the thread that calls the exports and runs the hook, the timers and the
// window procedures), so nothing is locked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr size_t kPathCapacity = 260;
constexpr size_t kClassNameCapacity = 256;
constexpr size_t kSearchTextCapacity = 1024;

// One application window that keeps a hidden Lister alive; the class name tells the window from a
// later, unrelated window that happens to get the same handle.
struct TWindowProperties {
    HWND hwApp = nullptr;
    std::wstring ClassName;
};

// The last load that passed its Lister on to the next plugin.
struct TLoadFileInfo {
    HWND hwListerWin = nullptr;
    std::wstring FileName;
    int32_t ctLoad = 0;
};

// Host windows, found once at attach.
extern HWND hwTCMain;
extern HWND hwMain;
extern wchar_t TCListBoxClasName[kClassNameCapacity];
extern wchar_t TCCheckBoxClasName[kClassNameCapacity];
extern wchar_t TCComboBoxClasName[kClassNameCapacity];

// Module and paths. A path that does not fit its buffer is left empty: the file then counts as absent.
extern HINSTANCE hInstance;
extern wchar_t OptionsIniName[kPathCapacity];
extern wchar_t PluginDirectory[kPathCapacity];
extern wchar_t TCIniName[kPathCapacity];

// Values of the current load.
extern HWND hwLister;
// The file the host gave, whole: a name may be as long as the platform's paths (32,767 units).
extern std::wstring _FileToLoad;
extern HWND hwTolvanier;
extern bool LoadFilesFromTemp;
extern bool QuickView;
extern bool FirstLoad;
extern wchar_t SearchText[kSearchTextCapacity];
extern bool OptionSearchText;
extern UINT_PTR TimerToHideListerID;
extern HHOOK KeyboardHook;
extern int32_t ctLastHotKeyFromLister;

extern TLoadFileInfo LoadFileInfo;
extern std::map<HWND, std::wstring> FileNameByListerWindow;
extern std::map<HWND, std::vector<TWindowProperties>> AppWindowsByListerWindow;

// How deep the host's thread is inside a call of the host's right now (an export, a key event in the
// hook), the message loops of the plugin's own boxes included. What the plugin tells the user after
// such a call waits until it is 0.
extern int HostCallDepth;
class HostCallScope {
  public:
    HostCallScope() { ++HostCallDepth; }
    ~HostCallScope() { --HostCallDepth; }
    HostCallScope(const HostCallScope&) = delete;
    HostCallScope& operator=(const HostCallScope&) = delete;
};

// Clock values: milliseconds since the module was loaded, from a clock that never goes back, held as
// signed 32-bit numbers.
int32_t ClockNow();
// Milliseconds from the clock value since to now.
int32_t ElapsedMs(int32_t since);
