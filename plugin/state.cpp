#include "plugin/state.h"

#include <string>

#include "host/copydata.h"
#include "host/hotkeys.h"
#include "plugin/app_watch.h"
#include "plugin/listers.h"
#include "plugin/host_names.h"
#include "win/text.h"
#include "win/window.h"

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
wchar_t _FileToLoad[kPathCapacity] = {};
HWND hwTolvanier = nullptr;
bool LoadFilesFromTemp = false;
bool QuickView = false;
bool FirstLoad = false;
wchar_t SearchText[kSearchTextCapacity] = {};
bool OptionSearchText = false;
UINT_PTR TimerToHideListerID = 0;
HHOOK KeyboardHook = nullptr;
int32_t ctLastHotKeyFromLister = 0;

TLoadFileInfo LoadFileInfo;
std::map<HWND, std::wstring> FileNameByListerWindow;
std::map<HWND, std::vector<TWindowProperties>> AppWindowsByListerWindow;
WNDCLASSW wcSendCopyData = {
    CS_HREDRAW | CS_VREDRAW, SendCopyDataProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
    kSendCopyDataClassName};

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

namespace {

struct MainWindowSearch {
    DWORD processId;
    std::wstring className;
    HWND result;
};

// The module's own file name, whole; empty when the platform cannot give it.
std::wstring ModuleFileName(HINSTANCE hinst) {
    std::wstring name(32768, L'\0');
    const DWORD n = GetModuleFileNameW(hinst, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0 || n >= name.size()) return {};
    name.resize(n);
    return name;
}

// Drive and folder of a path, ending in its separator: everything up to the last '\' or '/'.
std::wstring DirectoryOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// A path that does not fit its 260-unit buffer is not cut into another path: the buffer stays empty
// and every use of it treats the file as absent.
void SetPath(wchar_t (&dst)[kPathCapacity], const std::wstring& path) {
    if (!win::CopyTo(dst, path)) dst[0] = L'\0';
}

} // namespace

// Enumeration callback of the search above. A window with a parent or an owner (a dialog owned by
// the main window, for instance) is not the host's top-level window.
BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<MainWindowSearch*>(lParam);
    search->result = nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || GetParent(hwnd) || GetWindow(hwnd, GW_OWNER)) return TRUE;
    if (win::ClassNameOf(hwnd) != search->className) return TRUE;
    search->result = hwnd;
    return FALSE;
}

HWND FindMainWindow(const wchar_t* className) {
    MainWindowSearch search{GetCurrentProcessId(), className, nullptr};
    EnumWindows(static_cast<BOOL(CALLBACK*)(HWND, LPARAM)>(FindMainWindow),
                reinterpret_cast<LPARAM>(&search));
    return search.result;
}

void AttachPlugin(HINSTANCE hinst) {
    FirstLoad = true;
    hInstance = hinst;

    hwTCMain = hwMain = FindMainWindow(TCMainWindowClasName);
    if (!hwMain) hwMain = FindMainWindow(TCFindFileClasName);
    if (!hwMain) hwMain = FindMainWindow(TCSyncDirsClasName);
    if (!hwMain) hwMain = FindMainWindow(TCListerClasName);

    win::CopyTo(TCListBoxClasName, L"LCLListBox");
    win::CopyTo(TCCheckBoxClasName, L"Button");
    win::CopyTo(TCComboBoxClasName, L"LCLComboBox");

    wcSendCopyData.hInstance = hInstance;
    RegisterClassW(&wcSendCopyData);

    const std::wstring directory = DirectoryOf(ModuleFileName(hinst));
    if (!directory.empty()) {
        SetPath(OptionsIniName, directory + L"Tolvanier.ini");
        SetPath(PluginDirectory, directory);
    } else {
        OptionsIniName[0] = PluginDirectory[0] = L'\0';
    }
    if (PluginDirectory[0]) DeleteFileW((directory + L"TolvanierState.ini").c_str());

    wchar_t expanded[kPathCapacity] = {};
    const DWORD n = ExpandEnvironmentStringsW(L"%COMMANDER_INI%", expanded, kPathCapacity);
    SetPath(TCIniName, n > 0 && n <= kPathCapacity ? std::wstring(expanded) : std::wstring());

    if (OptionsIniName[0]) CopyFileW((directory + L"IniSample\\Tolvanier.ini").c_str(), OptionsIniName, TRUE);

    FileNameByListerWindow.clear();
    AppWindowsByListerWindow.clear();
}

void DetachPlugin() {
    // The host may unload the module while a hook or a timer still points into it; both would then
    // call unmapped code at the next key or tick. The watch's process handles are closed with it.
    RemoveKeyboardHook();
    StopHideTimer();
    StopApplicationWatches();
}
