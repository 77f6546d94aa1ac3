#include "plugin/changed_copies.h"

#include <shlobj.h>

#include <map>
#include <optional>
#include <vector>

#include "config/ini.h"
#include "config/messages.h"
#include "config/params.h"
#include "plugin/changed_copy_names.h"
#include "shared/state.h"
#include "win/errors.h"
#include "win/handles.h"
#include "win/paths.h"

namespace {

struct NotedCopy {
    std::wstring path;
    CopyStamp stamp;
};

std::optional<NotedCopy> notedAtLoad;
std::map<HWND, NotedCopy> copyOfPluginWindow;

// A message of a kept copy, shown from the host's message loop once no call of the host's runs. A
// copy that could not be kept is held open meanwhile without delete sharing: the host's deletion
// right after ListCloseWindow then fails, and the copy is still there when the user reads its path.
struct PendingMessage {
    std::wstring text;
    UINT style = MB_OK | MB_ICONINFORMATION;
    win::UniqueFile heldCopy;
};
std::vector<PendingMessage> pendingMessages;
UINT_PTR messageTimerId = 0;
bool showingMessages = false;

// Names tried in one folder: "name (2).ext" up to this number.
constexpr unsigned kMaxNumberedNames = 1000;

// The Documents known folder (not every header set defines its id).
constexpr GUID kDocumentsFolderId = {
    0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};

ULONGLONG Join(DWORD high, DWORD low) {
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

std::optional<CopyStamp> StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::FileSystemName(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return CopyStamp{Join(data.nFileSizeHigh, data.nFileSizeLow),
                     Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

std::wstring WithoutTrailingSeparators(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

// Makes folder and every missing folder above it; false with the platform's error.
bool MakeFolder(const std::wstring& folder) {
    if (win::IsExistingFolder(win::FileSystemName(folder))) return true;
    const std::wstring parent = WithoutTrailingSeparators(win::DirectoryOf(folder));
    if (parent.size() < 3 || parent.size() >= folder.size()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (!MakeFolder(parent)) return false;
    return CreateDirectoryW(win::FileSystemName(folder).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

bool IsNameTaken(DWORD error) {
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// The copy kept in folder under its own name, or the first numbered one that is free: a hard link
// (made at once; the host's deletion removes only its own name), else a copy. Nothing that is there
// is ever replaced. The kept path, or nullopt with the platform's error.
std::optional<std::wstring> KeepIn(const std::wstring& folder, const std::wstring& copy, DWORD& error) {
    const std::wstring dir = WithoutTrailingSeparators(folder);
    if (!MakeFolder(dir)) {
        error = GetLastError();
        return std::nullopt;
    }
    const std::wstring source = win::FileSystemName(copy);
    const std::wstring name = copy.substr(copy.find_last_of(L"\\/") + 1);
    const std::wstring base = dir.back() == L'\\' ? dir : dir + L"\\";
    for (unsigned n = 1; n <= kMaxNumberedNames; ++n) {
        const std::wstring kept = base + NumberedName(name, n);
        const std::wstring target = win::FileSystemName(kept);
        if (CreateHardLinkW(target.c_str(), source.c_str(), nullptr)) return kept;
        if (IsNameTaken(GetLastError())) continue;
        // Another volume, or a file system without links.
        if (CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS))
            return kept;
        error = GetLastError();
        if (IsNameTaken(error)) continue;
        DeleteFileW(target.c_str()); // a part written before the copy failed: the name was free
        return std::nullopt;
    }
    error = ERROR_FILE_EXISTS;
    return std::nullopt;
}

void CALLBACK ShowPendingMessages(HWND, UINT, UINT_PTR, DWORD) {
    // Inside a call of the host's (a box of a load, a key event) or of the box shown here: later.
    if (HostCallDepth > 0 || showingMessages) return;
    KillTimer(nullptr, messageTimerId);
    messageTimerId = 0;
    showingMessages = true;
    while (!pendingMessages.empty()) {
        const PendingMessage message = std::move(pendingMessages.front());
        pendingMessages.erase(pendingMessages.begin());
        config::ShowPluginMessage(message.text, message.style);
    } // a held copy is let go once its message was read
    showingMessages = false;
}

void TellLater(PendingMessage message) {
    pendingMessages.push_back(std::move(message));
    if (!messageTimerId) messageTimerId = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, ShowPendingMessages);
}

void KeepChangedCopy(const std::wstring& copy) {
    const std::wstring configured = ConfiguredChangedCopiesFolder();
    const std::wstring byDefault = DefaultChangedCopiesFolder();
    const std::wstring expected = configured.empty() ? byDefault : configured;
    const std::vector<std::wstring> folders =
        FoldersForChangedCopy(configured, byDefault, win::DirectoryOf(OptionsIniName));
    DWORD error = ERROR_PATH_NOT_FOUND;
    std::wstring why = NotAFullPathText();
    for (const std::wstring& folder : folders) {
        if (const std::optional<std::wstring> kept = KeepIn(folder, copy, error)) {
            const bool whereExpected = !expected.empty() && folder == expected;
            TellLater(
                {KeptCopyText(*kept, whereExpected ? L"" : expected, why), MB_OK | MB_ICONINFORMATION, {}});
            return;
        }
        if (folder == expected) why = config::ErrorText(error);
    }
    win::UniqueFile held(CreateFileW(win::FileSystemName(copy).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    TellLater({CopyNotKeptText(copy, error), MB_OK | MB_ICONWARNING, std::move(held)});
}

} // namespace

void NoteCopyAtLoad(const std::wstring& copy) {
    notedAtLoad.reset();
    if (const std::optional<CopyStamp> stamp = StampOf(copy)) notedAtLoad = NotedCopy{copy, *stamp};
}

void BindNotedCopy(HWND pluginWindow) {
    try {
        // The host closes every window it got with ListCloseWindow; one destroyed otherwise is forgotten.
        std::erase_if(copyOfPluginWindow, [](const auto& entry) { return !IsWindow(entry.first); });
        if (pluginWindow && notedAtLoad) copyOfPluginWindow[pluginWindow] = std::move(*notedAtLoad);
    } catch (...) {
    }
    notedAtLoad.reset();
}

void KeepCopyIfChanged(HWND pluginWindow) {
    const auto noted = copyOfPluginWindow.find(pluginWindow);
    if (noted == copyOfPluginWindow.end()) return;
    const NotedCopy copy = std::move(noted->second);
    copyOfPluginWindow.erase(noted);
    if (CopyChanged(copy.stamp, StampOf(copy.path))) KeepChangedCopy(copy.path);
}

void ForgetChangedCopies() {
    if (messageTimerId) KillTimer(nullptr, messageTimerId);
    messageTimerId = 0;
    pendingMessages.clear();
    copyOfPluginWindow.clear();
    notedAtLoad.reset();
}

std::wstring ConfiguredChangedCopiesFolder() {
    const std::wstring written = config::IniReadString(OptionsIniName, L"Options", L"ChangedCopiesFolder",
                                                       L"", win::kLongPathCapacity);
    return written.empty() ? written : config::ExpandEnvironment(written);
}

std::wstring DefaultChangedCopiesFolder() {
    PWSTR documents = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(kDocumentsFolderId, 0, nullptr, &documents)) && documents &&
        *documents)
        folder = WithoutTrailingSeparators(documents) + L"\\Tolvanier\\Changed copies";
    CoTaskMemFree(documents);
    return folder;
}

bool IsHeldWithoutDeleteSharing(const std::wstring& file) {
    // Asking for delete access with every sharing fails exactly when an open handle denies it.
    const win::UniqueFile probe(CreateFileW(win::FileSystemName(file).c_str(), DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}
