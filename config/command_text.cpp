#include "config/command_text.h"

#include <cstdint>
#include <cwctype>
#include <map>

#include "config/commands.h"

namespace config {
namespace {

// Grouping keys compare by code unit, unsigned, whatever the width of wchar_t.
struct CodeUnitLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            const auto x = static_cast<uint32_t>(a[i]);
            const auto y = static_cast<uint32_t>(b[i]);
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};

template <typename V> using KeyMap = std::map<std::wstring, V, CodeUnitLess>;
using NameList = std::vector<std::wstring>; // quoted names in the order they were added

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring JoinNames(NameList::const_iterator first, NameList::const_iterator last) {
    std::wstring joined;
    for (auto it = first; it != last; ++it) {
        if (it != first) joined += L' ';
        joined += *it;
    }
    return joined;
}

// Emits the command lines of one command. The composed length is a fixed part plus the length of
// the joined names, so runs can be measured before anything is composed.
void AppendCommandLines(const std::wstring& app, const std::wstring& params, const NameList& names,
                        size_t maxLineLength, std::vector<std::wstring>& out) {
    size_t fixed = app.size() + 3; // two quotes and the space
    if (!params.empty())
        fixed += params.find(L"%1") != std::wstring::npos ? params.size() - 2 : params.size() + 1;

    auto flush = [&](NameList::const_iterator first, NameList::const_iterator last) {
        if (first == last) return;
        std::wstring line = L"\"" + app + L"\" " + InsFileNamesToParams(params, JoinNames(first, last));
        if (line.size() <= maxLineLength) out.push_back(std::move(line));
    };

    auto runStart = names.begin();
    size_t runLength = 0;
    for (auto it = names.begin(); it != names.end(); ++it) {
        const size_t added = (it == runStart ? 0 : 1) + it->size();
        if (fixed + runLength + added <= maxLineLength) {
            runLength += added;
            continue;
        }
        flush(runStart, it);
        if (fixed + it->size() <= maxLineLength) {
            runStart = it;
            runLength = it->size();
        } else {
            runStart = it + 1; // this name alone cannot fit: it gets no command
            runLength = 0;
        }
    }
    flush(runStart, names.end());
}

} // namespace

std::optional<std::wstring> FindCompositeValue(const std::wstring& section, const std::wstring& key,
                                               bool forApplication) {
    size_t pos = 0;
    while (pos < section.size()) {
        size_t end = section.find(L'\0', pos);
        if (end == std::wstring::npos) end = section.size();
        if (end == pos) break; // the empty text that closes the section
        const std::wstring line = section.substr(pos, end - pos);
        pos = end + 1;

        const size_t separator = line.find(L'=');
        if (separator == std::wstring::npos) continue;
        const size_t marker = line.find(L"_params");
        const bool markerInKey = marker != std::wstring::npos && marker < separator;
        if (forApplication == markerInKey) continue;
        const size_t listEnd = forApplication ? separator : marker;

        for (size_t start = 0; start < listEnd;) {
            const size_t comma = line.find(L',', start);
            const size_t itemEnd = comma != std::wstring::npos && comma < listEnd ? comma : listEnd;
            if (line.compare(start, itemEnd - start, key) == 0) return line.substr(separator + 1);
            start = itemEnd + 1;
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> CutRegistryCommand(const std::wstring& command) {
    if (!command.empty() && command[0] == L'"') {
        const size_t close = command.find(L'"', 1);
        if (close == std::wstring::npos) return std::nullopt;
        return command.substr(1, close - 1);
    }
    return command.substr(0, command.find(L' '));
}

std::wstring CutAtLastCaret(const std::wstring& value) {
    const size_t caret = value.rfind(L'^');
    return caret == std::wstring::npos ? value : value.substr(0, caret);
}

PathParts SplitPath(const std::wstring& path) {
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    size_t fileStart = start;
    for (size_t i = start; i < path.size(); ++i)
        if (IsSeparator(path[i])) fileStart = i + 1;
    parts.directory = path.substr(start, fileStart - start);
    const std::wstring file = path.substr(fileStart);
    const size_t dot = file.rfind(L'.');
    parts.baseName = file.substr(0, dot);
    if (dot != std::wstring::npos) parts.extension = file.substr(dot);
    return parts;
}

std::wstring ExtensionKeyOf(const std::wstring& name, bool isDirectory) {
    if (isDirectory) return kDirectoryKey;
    // The whole name is split, however long: a long name is never cut into another name.
    std::wstring key = SplitPath(name).extension;
    if (!key.empty()) key.erase(0, 1);
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    return key;
}

std::wstring QuoteName(const std::wstring& name) {
    size_t trailing = 0;
    while (trailing < name.size() && name[name.size() - 1 - trailing] == L'\\')
        ++trailing;
    return L"\"" + name + std::wstring(trailing, L'\\') + L"\"";
}

std::vector<std::wstring> ComposeCommandLines(const std::vector<ExistingName>& names, int paramsMode,
                                              int paramsByExtMode, const AppResolver& resolveApp,
                                              const TemplateReader& readTemplate, size_t maxLineLength) {
    KeyMap<std::wstring> extensionByFile;
    KeyMap<NameList> filesByExtension;
    for (const ExistingName& entry : names) {
        const std::wstring key = ExtensionKeyOf(entry.name, entry.isDirectory);
        std::wstring quoted = QuoteName(entry.name);
        extensionByFile.emplace(quoted, key);
        filesByExtension[key].push_back(std::move(quoted));
    }

    KeyMap<std::wstring> appByExtension;
    KeyMap<NameList> filesByApp;
    KeyMap<bool> defaultEditorByApp;
    KeyMap<std::wstring> extensionByApp;
    for (const auto& [key, files] : filesByExtension) {
        const std::optional<ResolvedApp> app = resolveApp(key);
        if (!app) continue;
        appByExtension.emplace(key, app->appPath);
        auto [entry, inserted] = filesByApp.emplace(app->appPath, files);
        if (inserted) {
            defaultEditorByApp.emplace(app->appPath, app->usedDefaultEditor);
            extensionByApp.emplace(app->appPath, key);
        } else {
            entry->second.insert(entry->second.end(), files.begin(), files.end());
        }
    }

    std::vector<std::wstring> lines;
    if (paramsMode == 0 || (paramsMode == 1 && paramsByExtMode == 0)) {
        for (const auto& [app, files] : filesByApp) {
            const std::wstring params = paramsMode == 0 ? readTemplate(0, app, defaultEditorByApp[app])
                                                        : readTemplate(1, extensionByApp[app], false);
            AppendCommandLines(app, params, files, maxLineLength, lines);
        }
    } else if (paramsMode == 1 && paramsByExtMode == 1) {
        for (const auto& [key, app] : appByExtension)
            AppendCommandLines(app, readTemplate(1, key, false), filesByExtension[key], maxLineLength, lines);
    } else if (paramsMode == 1 && paramsByExtMode == 2) {
        for (const auto& [quoted, key] : extensionByFile) {
            const auto app = appByExtension.find(key);
            if (app == appByExtension.end()) continue;
            AppendCommandLines(app->second, readTemplate(1, key, false), NameList{quoted}, maxLineLength,
                               lines);
        }
    }
    return lines;
}

} // namespace config

std::wstring InsFileNamesToParams(std::wstring params, std::wstring names) {
    if (params.empty()) return names;
    const size_t placeholder = params.find(L"%1");
    if (placeholder == std::wstring::npos) return names + L" " + params;
    return params.replace(placeholder, 2, names);
}
