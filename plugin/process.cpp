#include "plugin/process.h"

#include <windows.h>

#include <vector>

win::UniqueProcessInfo StartCommandLine(const std::wstring& commandLine) {
    // The platform may write into the command line, so it gets a writable copy sized to the line:
    // never cut, never a fixed buffer it could overflow.
    if (commandLine.empty() || commandLine.size() >= kCommandLineLimit) return {};
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return {};
    return win::UniqueProcessInfo(pi);
}
