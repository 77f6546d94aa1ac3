// The load decision: what ListLoadW does before the applications start.
#include "plugin/load.h"

#include <algorithm>

#include "config/command_text.h"
#include "config/commands.h"
#include "config/ini.h"
#include "config/options.h"
#include "host/copydata.h"
#include "host/file_list.h"
#include "host/hotkeys.h"
#include "plugin/changed_copies.h"
#include "plugin/exports.h"
#include "plugin/launch.h"
#include "plugin/listers.h"
#include "shared/host_names.h"
#include "shared/state.h"
#include "win/paths.h"
#include "win/text.h"
#include "win/window.h"

GateResult ApplyLoadGates(const TTolvanierOptions& o, const LoadOrigin& origin) {
    const std::wstring& active = origin.activeClassName;
    if (o.ModalOnly) {
        const bool modal =
            active == TCFindFileClasName || active == TCSyncDirsClasName || active == kOverWriteFormClassName;
        return modal ? GateResult::Take : GateResult::Decline;
    }
    if (!o.FindFiles && active == TCFindFileClasName) return GateResult::Decline;
    if (!o.SyncDirs && active == TCSyncDirsClasName) return GateResult::Decline;
    if (!o.OverWrite && active == kOverWriteFormClassName) return GateResult::Decline;
    if (!o.Lister4 && active == TCListerClasName) return GateResult::Decline;
    if (!o.ListerDirectly && !origin.hasActiveWindow) return GateResult::Decline;
    if (active == TCMainWindowClasName) {
        if (origin.listerHasParent) return o.QuickView ? GateResult::TakeInQuickView : GateResult::Decline;
        return o.TCWindow ? GateResult::Take : GateResult::Decline;
    }
    return GateResult::Take;
}

bool ViewerTypeWantsSelection(int viewerType, bool shiftHeld) {
    if (viewerType == 1) return !shiftHeld;
    if (viewerType == 0 || viewerType == 2) return shiftHeld;
    return false;
}

bool IsTemporaryCopy(const std::wstring& fileName, const std::vector<std::wstring>& tempFolders) {
    for (std::wstring folder : tempFolders) {
        // "C:\Temp\" and "C:\Temp" are one folder; an empty one would lie above every name.
        while (!folder.empty() && config::IsPathSeparator(folder.back()))
            folder.pop_back();
        if (folder.empty() || fileName.size() <= folder.size()) continue;
        // Under the folder means below its whole last component: "C:\Temp" holds nothing of "C:\Temp2".
        if (!config::IsPathSeparator(fileName[folder.size()])) continue;
        if (config::LowerCase(fileName.substr(0, folder.size())) != config::LowerCase(folder)) continue;
        // The host extracts into "_tc" folders of its own there; a "_tc" in the folder itself says nothing.
        if (fileName.find(L"_tc", folder.size()) != std::wstring::npos) return true;
    }
    return false;
}

std::vector<std::wstring> TemporaryFolderSpellings() {
    std::vector<std::wstring> spellings;
    for (const std::wstring& folder : {win::EnvironmentValue(L"TEMP"), win::TemporaryPath()}) {
        if (folder.empty()) continue;
        for (std::wstring spelling : {folder, win::LongPathOf(folder), win::ShortPathOf(folder)})
            if (!spelling.empty() &&
                std::find(spellings.begin(), spellings.end(), spelling) == spellings.end())
                spellings.push_back(std::move(spelling));
    }
    return spellings;
}

bool IsHostTemporaryCopy(const std::wstring& fileName) {
    // The conversions ask the file system about every component of the folders: only for a name that
    // can be a copy at all.
    return fileName.find(L"_tc") != std::wstring::npos &&
           IsTemporaryCopy(fileName, TemporaryFolderSpellings());
}

namespace {

// The panel's directory from the host's main window, whole, up to the platform's longest path.
// Returns false when there is no answer, or when the answer did not fit (a cut directory would put
// the names in another folder).
bool TryGetPanelDirectory(std::wstring& directory, bool& answered) {
    static const char kRequest[2] = {'S', 'P'};
    std::vector<wchar_t> buffer(win::kLongPathCapacity, L'\0');
    COPYDATASTRUCT request{kCopyDataRequest, sizeof(kRequest), const_cast<char*>(kRequest)};
    COPYDATASTRUCT reply{0, static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), buffer.data()};
    answered = SendCopyData(request, reply);
    if (!answered) return false;
    const size_t length = win::BoundedLength(buffer.data(), buffer.size());
    // A text that fills the whole buffer while the host sent more was cut: no path is that long.
    const size_t receivedUnits = reply.cbData / sizeof(wchar_t);
    if (length == buffer.size() - 1 && receivedUnits > length) return false;
    directory.assign(buffer.data(), length);
    return true;
}

} // namespace

std::vector<std::wstring> CollectSelectedPanelEntries() {
    HWND focus = GetFocus();
    if (!focus || win::ClassNameOf(focus) != TCListBoxClasName) return {};
    const int viewerType = config::IniReadInt(TCIniName, L"Configuration", L"Viewertype", 1);
    if (!ViewerTypeWantsSelection(viewerType, (GetKeyState(VK_SHIFT) & 0x80) != 0)) return {};
    const LRESULT count = SendMessageW(focus, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) return {};

    const int mode = config::IniReadInt(TCIniName, L"Configuration", L"GetTextMode", 1);
    std::vector<int> indices(static_cast<size_t>(count));
    const LRESULT got = SendMessageW(focus, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                     reinterpret_cast<LPARAM>(indices.data()));
    if (got <= 0) return {};
    indices.resize(static_cast<size_t>(got < count ? got : count));

    std::vector<std::wstring> names;
    names.reserve(indices.size());
    for (int index : indices)
        FileToListByIndex(index, names, focus, mode);
    // An empty name would become the panel's own folder once the directory is put in front of it.
    std::erase_if(names, [](const std::wstring& name) { return name.empty(); });
    if (names.empty()) return {};

    std::wstring directory;
    bool answered = false;
    if (TryGetPanelDirectory(directory, answered)) {
        for (auto& name : names)
            name.insert(0, directory);
    } else if (answered) {
        return {}; // the directory came cut: open the file the host gave instead
    }
    return names;
}

namespace {

HWND LoadListerFile(HWND parentWin, const std::wstring& fileName) {
    hwLister = parentWin;
    InstallKeyboardHook();
    ForgetClosedListers();
    FileNameByListerWindow[hwLister] = fileName;
    _FileToLoad = fileName;

    // Each configuration file is asked once whether it changed: nothing from here to the command lines
    // waits for the user, except a message box, which forgets what was read.
    const config::IniReadMemo oneLookAtEachFile;
    config::RefreshOptionCache();
    if (TolvanierOptions.ScrollLockControl && !(GetKeyState(VK_SCROLL) & 1)) return nullptr;

    LoadFilesFromTemp = IsHostTemporaryCopy(fileName);
    QuickView = false;

    LoadOrigin origin;
    HWND active = GetActiveWindow();
    origin.hasActiveWindow = active != nullptr;
    origin.activeClassName = win::ClassNameOf(active);
    origin.listerHasParent = HasParentWindow(hwLister);

    if (TolvanierOptions.CopySearchTextToClip && origin.activeClassName == TCFindFileClasName) {
        EnumChildWindows(active, EnumWindowsProc, 0);
        if (OptionSearchText && SearchText[0]) SetToClipboardW(CF_UNICODETEXT, hwMain, SearchText, true);
    }

    const GateResult gate = ApplyLoadGates(TolvanierOptions, origin);
    if (gate == GateResult::Decline) return nullptr;
    if (gate == GateResult::TakeInQuickView) QuickView = true;

    std::vector<std::wstring> fileNames;
    if (origin.activeClassName == TCMainWindowClasName && !LoadFilesFromTemp)
        fileNames = CollectSelectedPanelEntries();
    if (fileNames.empty()) fileNames.push_back(fileName);

    std::vector<std::wstring> commandLines;
    GetCommandsList(fileNames, commandLines, false, false);
    if (commandLines.empty()) return nullptr;

    if (LoadFileInfo.hwListerWin == hwLister && LoadFileInfo.FileName == fileName &&
        ElapsedMs(LoadFileInfo.ctLoad) / 1000.0 < 1.0)
        return nullptr;

    CleanUpHiddenListers();
    // Only the viewed file can be a copy; what it was before anything starts tells a change later.
    if (LoadFilesFromTemp && TolvanierOptions.KeepChangedCopies) NoteCopyAtLoad(fileName);
    HWND window = StartApplicationsAndDisposeLister(commandLines, origin.activeClassName);
    BindNotedCopy(window);
    return window;
}

} // namespace

extern "C" HWND WINAPI ListLoadW(HWND parentWin, wchar_t* fileToLoad, int /*showFlags*/) {
    // A load's message boxes run a message loop on the host's thread. A load the host begins from there
    // would take over the running load's Lister and plugin window: it is declined, and the viewer shows
    // its file.
    static bool loadRunning = false;
    if (loadRunning) return nullptr;
    const HostCallScope insideHostCall;
    loadRunning = true;
    HWND window = nullptr;
    try {
        window = LoadListerFile(parentWin, fileToLoad ? fileToLoad : L"");
    } catch (...) {
    }
    loadRunning = false;
    return window;
}
