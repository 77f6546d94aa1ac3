#include "shared/process.h"

#include <shellapi.h>

#include <optional>
#include <vector>

#include "shared/command_line.h"
#include "win/library.h"
#include "win/paths.h"

win::UniqueProcessInfo StartCommandLine(const std::wstring& commandLine, DWORD* error) {
    // The platform may write into the command line, so it gets a writable copy sized to the line:
    // never cut, never a fixed buffer it could overflow.
    if (commandLine.empty() || commandLine.size() >= kCommandLineLimit) {
        if (error) *error = ERROR_FILENAME_EXCED_RANGE;
        return {};
    }
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        // Taken here: freeing the copy may change the thread's last error.
        if (error) *error = GetLastError();
        return {};
    }
    return win::UniqueProcessInfo(pi);
}

namespace {

// A program whose manifest asks for elevation (not every header set names it).
constexpr DWORD kErrorElevationRequired = 740;

StartResult ShellExecuteOpen(const std::wstring& file, const std::wstring& parameters,
                             const std::wstring& className = {}) {
    StartResult result;
    const std::optional<std::wstring> shellName =
        ShellNameOf(file, file.size() > win::kPlainPathLimit ? win::ShortPathOf(win::FileSystemName(file))
                                                             : std::wstring());
    if (!shellName) {
        result.error = ERROR_FILENAME_EXCED_RANGE;
        result.nameTooLongForShell = true;
        return result;
    }
    // A short name keeps three letters of the extension ("DOC~1.TOL" for "doc.tolvhk"): the shell is
    // told the file's own extension, whose association opens it.
    std::wstring openAs = className;
    const size_t dot = file.rfind(L'.'), leaf = file.find_last_of(L"\\/");
    if (openAs.empty() && *shellName != file && dot != std::wstring::npos &&
        (leaf == std::wstring::npos || dot > leaf))
        openAs = file.substr(dot);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // The plugin shows its own message when this fails; the process handle is kept when there is one.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    if (!openAs.empty()) {
        info.fMask |= SEE_MASK_CLASSNAME;
        info.lpClass = openAs.c_str();
    }
    info.lpVerb = L"open";
    info.lpFile = shellName->c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        result.error = GetLastError();
        if (result.error == ERROR_SUCCESS) result.error = ERROR_FILE_NOT_FOUND;
        return result;
    }
    result.started = true;
    if (info.hProcess) {
        result.process.process.Reset(info.hProcess);
        result.process.processId = GetProcessId(info.hProcess);
    }
    return result;
}

} // namespace

StartResult StartApplication(const std::wstring& commandLine) {
    StartResult result;
    if (commandLine.empty() || commandLine.size() >= kCommandLineLimit) {
        result.error = ERROR_FILENAME_EXCED_RANGE;
        return result;
    }
    const CommandParts parts = SplitCommandLine(commandLine);
    if (StartsThroughProcessCreation(parts.application)) {
        result.process = StartCommandLine(commandLine, &result.error);
        if (result.process.process) {
            result.started = true;
            return result;
        }
        if (result.error != ERROR_BAD_EXE_FORMAT && result.error != kErrorElevationRequired) return result;
    }
    return ShellExecuteOpen(parts.application, parts.arguments);
}

StartResult OpenWithShell(const std::wstring& file, const std::wstring& className) {
    return ShellExecuteOpen(file, {}, className);
}

namespace {

// The dialog's record and flags, as shell32 takes them (not every header set declares them).
struct OpenAsInfo {
    const wchar_t* file;
    const wchar_t* className;
    DWORD flags;
};
constexpr DWORD kOpenAsAllowRegistration = 0x1, kOpenAsRegisterExtension = 0x2, kOpenAsExecute = 0x4;
using OpenWithDialogProc = HRESULT(WINAPI*)(HWND, const OpenAsInfo*);

OpenWithDialogProc FindOpenWithDialog() {
    return win::ProcedureOf<OpenWithDialogProc>(GetModuleHandleW(L"shell32.dll"), "SHOpenWithDialog");
}

} // namespace

bool SystemHasOpenWithDialog() {
    return FindOpenWithDialog() != nullptr;
}

HRESULT ShowSystemOpenWithDialog(HWND owner, const std::wstring& file) {
    const OpenWithDialogProc dialog = FindOpenWithDialog();
    if (!dialog) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    // Registering the choice is the dialog's own offer ("Always use this app"), as in Explorer.
    const OpenAsInfo info{file.c_str(), nullptr,
                          kOpenAsAllowRegistration | kOpenAsRegisterExtension | kOpenAsExecute};
    return dialog(owner, &info);
}
