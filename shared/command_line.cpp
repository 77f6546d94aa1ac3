#include "shared/command_line.h"

#include <algorithm>

#include "win/text.h"

CommandParts SplitCommandLine(const std::wstring& commandLine) {
    CommandParts parts;
    size_t rest = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        parts.application =
            commandLine.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        rest = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        rest = std::min(commandLine.find(L' '), commandLine.size());
        parts.application = commandLine.substr(0, rest);
    }
    if (rest < commandLine.size() && commandLine[rest] == L' ') ++rest;
    parts.arguments = commandLine.substr(rest);
    return parts;
}

bool StartsThroughProcessCreation(const std::wstring& application) {
    // The extension of the last component only: a dot in a folder's name says nothing of the program.
    const size_t nameStart = application.find_last_of(L"\\/:");
    const size_t dot = application.rfind(L'.');
    if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart)) return false;
    const std::wstring ext = win::FoldAsciiCase(application.substr(dot + 1));
    return ext == L"exe" || ext == L"com" || ext == L"bat" || ext == L"cmd";
}

std::optional<std::wstring> ShellNameOf(const std::wstring& name, const std::wstring& shortOfExtendedForm) {
    constexpr size_t kShellLimit = 259;
    if (name.size() <= kShellLimit) return name;
    std::wstring shortName = shortOfExtendedForm;
    if (shortName.rfind(L"\\\\?\\UNC\\", 0) == 0)
        shortName.replace(0, 8, L"\\\\");
    else if (shortName.rfind(L"\\\\?\\", 0) == 0)
        shortName.erase(0, 4);
    if (shortName.empty() || shortName.size() > kShellLimit) return std::nullopt;
    return shortName;
}
