#include "plugin/startup.h"

#include <optional>
#include <string>

#include "config/program_search.h"
#include "host/copydata.h"
#include "host/hotkeys.h"
#include "plugin/app_watch.h"
#include "plugin/changed_copies.h"
#include "plugin/listers.h"
#include "shared/host_names.h"
#include "shared/state.h"
#include "win/handles.h"
#include "win/paths.h"
#include "win/text.h"
#include "win/window.h"

namespace {

struct MainWindowSearch {
    DWORD processId;
    std::wstring className;
    HWND result;
};

// A path that does not fit its 260-unit buffer is not cut into another path: the buffer stays empty
// and every use of it treats the file as absent.
void SetPath(wchar_t (&dst)[kPathCapacity], const std::wstring& path) {
    if (!win::CopyTo(dst, path)) dst[0] = L'\0';
}

// Whether a file can be made in folder: tried with a file that the system deletes as it is closed, so
// nothing is left behind. Attributes and access lists say too little (a read-only medium, a share).
bool IsWritableFolder(const std::wstring& folder) {
    const std::wstring probe =
        folder + L"Tolvanier.probe-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const win::UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

// The settings file in folder when it is there, or can be made there from the sample (make: it is
// made), or could be saved there by the user; nullopt otherwise. An existing file is never overwritten.
std::optional<SettingsLocation> SettingsFileIn(const std::wstring& folder, const std::wstring& sample,
                                               SettingsPlace place, bool make) {
    SettingsLocation at{folder + L"Tolvanier.ini", place, false};
    at.exists = win::IsExistingFile(at.path);
    if (at.exists) return at;
    if (make && CopyFileW(sample.c_str(), at.path.c_str(), TRUE)) {
        at.exists = true;
        return at;
    }
    if (IsWritableFolder(folder)) return at;
    return std::nullopt;
}

} // namespace

SettingsLocation LocateSettingsFile(const std::wstring& moduleFolder, const std::wstring& hostIni,
                                    bool make) {
    const std::wstring sample = moduleFolder + L"IniSample\\Tolvanier.ini";
    if (auto beside = SettingsFileIn(moduleFolder, sample, SettingsPlace::BesideModule, make)) return *beside;
    const std::wstring hostFolder = win::DirectoryOf(hostIni);
    if (config::IsAbsolutePath(hostFolder) && win::IsExistingFolder(hostFolder))
        if (auto file = SettingsFileIn(hostFolder, sample, SettingsPlace::BesideHostSettings, make))
            return *file;
    const std::wstring appData = win::EnvironmentValue(L"APPDATA");
    if (config::IsAbsolutePath(appData)) {
        const bool endsInSeparator = appData.back() == L'\\' || appData.back() == L'/';
        const std::wstring parent = endsInSeparator ? appData : appData + L"\\";
        const std::wstring folder = parent + L"Tolvanier\\";
        if (make) CreateDirectoryW(folder.c_str(), nullptr);
        if (make || win::IsExistingFolder(folder)) {
            if (auto file = SettingsFileIn(folder, sample, SettingsPlace::UserAppData, make)) return *file;
        } else if (IsWritableFolder(parent)) {
            // Found without making the folder: the plugin would make it in a parent that can be written.
            return {folder + L"Tolvanier.ini", SettingsPlace::UserAppData, false};
        }
    }
    // With none of these, beside the module, where every read finds no file.
    return {moduleFolder + L"Tolvanier.ini", SettingsPlace::BesideModule, false};
}

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

    wchar_t expanded[kPathCapacity] = {};
    const DWORD n = ExpandEnvironmentStringsW(L"%COMMANDER_INI%", expanded, kPathCapacity);
    SetPath(TCIniName, n > 0 && n <= kPathCapacity ? std::wstring(expanded) : std::wstring());

    const std::wstring directory = win::DirectoryOf(win::ModuleFileName(hinst));
    SetPath(PluginDirectory, directory);
    OptionsIniName[0] = L'\0';
    if (PluginDirectory[0]) {
        // The state file goes wherever it may have been left: beside the module and the settings file.
        DeleteFileW((directory + L"TolvanierState.ini").c_str());
        const std::wstring settings = LocateSettingsFile(directory, TCIniName, true).path;
        SetPath(OptionsIniName, settings);
        const std::wstring settingsFolder = win::DirectoryOf(settings);
        if (CompareStringOrdinal(settingsFolder.c_str(), -1, directory.c_str(), -1, TRUE) != CSTR_EQUAL)
            DeleteFileW((settingsFolder + L"TolvanierState.ini").c_str());
    }

    FileNameByListerWindow.clear();
    AppWindowsByListerWindow.clear();
}

void DetachPlugin() {
    // The host may unload the module while a hook or a timer still points into it; both would then
    // call unmapped code at the next key or tick. The watch's process handles are closed with it.
    RemoveKeyboardHook();
    StopHideTimer();
    StopApplicationWatches();
    // Kept files stay; their messages are not shown by a module that is gone.
    ForgetChangedCopies();
}
