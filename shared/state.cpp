#include "shared/state.h"

HWND hwTCMain = nullptr;
HWND hwMain = nullptr;
wchar_t TCListBoxClasName[kClassNameCapacity] = {};
wchar_t TCCheckBoxClasName[kClassNameCapacity] = {};
wchar_t TCComboBoxClasName[kClassNameCapacity] = {};

HINSTANCE hInstance = nullptr;
wchar_t OptionsIniName[kPathCapacity] = {};
wchar_t PluginDirectory[kPathCapacity] = {};
wchar_t TCIniName[kPathCapacity] = {};

HWND hwLister = nullptr;
std::wstring _FileToLoad;
HWND hwTolvanier = nullptr;
bool LoadFilesFromTemp = false;
bool QuickView = false;
bool FirstLoad = false;
wchar_t SearchText[kSearchTextCapacity] = {};
bool OptionSearchText = false;
UINT_PTR TimerToHideListerID = 0;
HHOOK KeyboardHook = nullptr;
int32_t ctLastHotKeyFromLister = 0;
int HostCallDepth = 0;

TLoadFileInfo LoadFileInfo;
std::map<HWND, std::wstring> FileNameByListerWindow;
std::map<HWND, std::vector<TWindowProperties>> AppWindowsByListerWindow;

namespace {

// The clock's origin: the module's load. The tick count never goes back, unlike the C runtime's
// clock(), which follows the wall clock and would stop the one-second rules after it was set back.
const ULONGLONG kClockOrigin = GetTickCount64();

} // namespace

int32_t ClockNow() {
    return static_cast<int32_t>(static_cast<uint32_t>(GetTickCount64() - kClockOrigin));
}

int32_t ElapsedMs(int32_t since) {
    // Taken in 32 bits, so it stays right when the clock value wraps after 24 days.
    return static_cast<int32_t>(static_cast<uint32_t>(ClockNow()) - static_cast<uint32_t>(since));
}
