#include "config/program_search.h"

#include <algorithm>
#include <cwctype>

#include "config/command_text.h"

namespace config {

namespace {

// Entries of a list separated by ';', each without surrounding blanks and quotes.
std::vector<std::wstring> SplitList(const std::wstring& list) {
    std::vector<std::wstring> entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L';', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring entry = list.substr(start, end - start);
        entry.erase(std::remove(entry.begin(), entry.end(), L'"'), entry.end());
        const size_t first = entry.find_first_not_of(L" \t");
        const size_t last = entry.find_last_not_of(L" \t");
        entries.push_back(first == std::wstring::npos ? std::wstring()
                                                      : entry.substr(first, last - first + 1));
        start = end + 1;
    }
    return entries;
}

// A folder as compared with another: lower case, without separators at its end (a root keeps its own).
std::wstring FolderKey(const std::wstring& folder) {
    std::wstring key = LowerCase(folder);
    while (key.size() > 3 && IsPathSeparator(key.back()))
        key.pop_back();
    return key;
}

} // namespace

bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && IsPathSeparator(path[2])) return std::iswalpha(path[0]) != 0;
    return path.size() >= 3 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) &&
           !IsPathSeparator(path[2]);
}

std::vector<std::wstring> ProgramSearchFolders(const std::wstring& hostFolder,
                                               const std::wstring& systemFolder,
                                               const std::wstring& windowsFolder,
                                               const std::wstring& pathValue) {
    std::vector<std::wstring> folders;
    auto add = [&](const std::wstring& folder) {
        if (!IsAbsolutePath(folder)) return;
        const std::wstring key = FolderKey(folder);
        const bool known = std::any_of(folders.begin(), folders.end(),
                                       [&](const std::wstring& known) { return FolderKey(known) == key; });
        if (!known) folders.push_back(folder);
    };
    add(hostFolder);
    add(systemFolder);
    add(windowsFolder);
    for (const std::wstring& entry : SplitList(pathValue))
        add(entry);
    return folders;
}

std::vector<std::wstring> ProgramExtensions(const std::wstring& pathextValue) {
    std::vector<std::wstring> extensions;
    for (const std::wstring& entry :
         SplitList(pathextValue.empty() ? L".COM;.EXE;.BAT;.CMD" : pathextValue)) {
        // A separator in an "extension" would turn the name into a path elsewhere.
        if (entry.size() < 2 || entry[0] != L'.' || entry.find_first_of(L"\\/:.", 1) != std::wstring::npos)
            continue;
        std::wstring ext = LowerCase(entry);
        if (std::find(extensions.begin(), extensions.end(), ext) == extensions.end())
            extensions.push_back(ext);
    }
    if (std::find(extensions.begin(), extensions.end(), L".exe") == extensions.end())
        extensions.push_back(L".exe");
    return extensions;
}

std::vector<std::vector<std::wstring>> ProgramNameRounds(const std::wstring& baseName,
                                                         const std::wstring& extension,
                                                         const std::vector<std::wstring>& programExtensions) {
    if (baseName.empty() && extension.empty()) return {};
    if (extension.empty()) {
        std::vector<std::wstring> names;
        for (const std::wstring& ext : programExtensions)
            names.push_back(baseName + ext);
        return {names};
    }
    return {{baseName + extension}, {baseName + L".exe"}};
}

bool RunsWhenOpened(const std::wstring& key, const std::vector<std::wstring>& programExtensions) {
    // What Windows runs, or hands to a host that runs it, on a double click; PATHEXT may lack any of it.
    static const wchar_t* const kRunTypes[] = {
        L"exe",       L"com",         L"bat",         L"cmd",     L"scr",        L"pif",
        L"cpl",       L"msi",         L"msp",         L"mst",     L"msc",        L"lnk",
        L"url",       L"hta",         L"js",          L"jse",     L"vbs",        L"vbe",
        L"wsf",       L"wsh",         L"ws",          L"wsc",     L"sct",        L"ps1",
        L"reg",       L"inf",         L"jar",         L"scf",     L"shs",        L"shb",
        L"appref-ms", L"application", L"gadget",      L"website", L"library-ms", L"settingcontent-ms",
        L"msix",      L"appx",        L"appinstaller"};
    const std::wstring lower = LowerCase(key);
    if (lower.empty()) return false;
    for (const wchar_t* type : kRunTypes)
        if (lower == type) return true;
    return std::find(programExtensions.begin(), programExtensions.end(), L"." + lower) !=
           programExtensions.end();
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || IsPathSeparator(folder.back())) return folder + name;
    return folder + L"\\" + name;
}

} // namespace config
