#include "config/command_text.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <iterator>
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

// Keys in code-unit order; a type key resolved in [Editor] right after the extension key of its text.
struct GroupKeyLess {
    bool operator()(const GroupKey& a, const GroupKey& b) const {
        if (CodeUnitLess()(a.key, b.key)) return true;
        if (CodeUnitLess()(b.key, a.key)) return false;
        return a.typeInEditor < b.typeInEditor;
    }
};

template <typename V> using KeyMap = std::map<std::wstring, V, CodeUnitLess>;
template <typename V> using GroupMap = std::map<GroupKey, V, GroupKeyLess>;
// The names of one command in the order they were added: the caller's own texts, quoted only when a
// line is written (a selection may hold tens of thousands of names).
using NameList = std::vector<const std::wstring*>;

size_t TrailingBackslashes(const std::wstring& name) {
    size_t trailing = 0;
    while (trailing < name.size() && name[name.size() - 1 - trailing] == L'\\')
        ++trailing;
    return trailing;
}

// The length of QuoteName(name).
size_t QuotedLength(const std::wstring& name) {
    return name.size() + TrailingBackslashes(name) + 2;
}

void AppendQuoted(std::wstring& text, const std::wstring& name) {
    text += L'"';
    text += name;
    text.append(TrailingBackslashes(name), L'\\');
    text += L'"';
}

std::wstring JoinNames(NameList::const_iterator first, NameList::const_iterator last, size_t length) {
    std::wstring joined;
    joined.reserve(length);
    for (auto it = first; it != last; ++it) {
        if (it != first) joined += L' ';
        AppendQuoted(joined, **it);
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

    auto runStart = names.begin();
    size_t runLength = 0;
    auto flush = [&](NameList::const_iterator last) {
        if (runStart == last) return;
        std::wstring line =
            L"\"" + app + L"\" " + InsFileNamesToParams(params, JoinNames(runStart, last, runLength));
        if (line.size() <= maxLineLength) out.push_back(std::move(line));
    };

    for (auto it = names.begin(); it != names.end(); ++it) {
        const size_t quoted = QuotedLength(**it);
        const size_t added = (it == runStart ? 0 : 1) + quoted;
        if (fixed + runLength + added <= maxLineLength) {
            runLength += added;
            continue;
        }
        flush(it);
        if (fixed + quoted <= maxLineLength) {
            runStart = it;
            runLength = quoted;
        } else {
            runStart = it + 1; // this name alone cannot fit: it gets no command
            runLength = 0;
        }
    }
    flush(names.end());
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

namespace {

// "%1" or "%L", quoted or not: where a registry command puts the file.
bool IsFilePlaceholder(std::wstring text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = text.substr(1, text.size() - 2);
    return text == L"%1" || text == L"%L" || text == L"%l";
}

} // namespace

bool OpenCommandRunsTheFile(const std::wstring& command) {
    const std::optional<std::wstring> program = CutRegistryCommand(command);
    return program && IsFilePlaceholder(*program);
}

bool IsPlainOpenCommand(const std::wstring& command) {
    const std::optional<std::wstring> program = CutRegistryCommand(command);
    if (!program) return true;                     // the cut's own message says what is wrong
    if (program->empty()) return true;             // no program: the default editor, as for any empty text
    if (IsFilePlaceholder(*program)) return false; // the file is its own program ("%1" %*)
    // What follows the program: the quoted one ends at its closing quote, the other at the first space.
    const size_t restStart = command[0] == L'"' ? program->size() + 2 : program->size();
    const std::wstring rest = restStart < command.size() ? command.substr(restStart) : std::wstring();
    const size_t first = rest.find_first_not_of(L' ');
    if (first == std::wstring::npos) return true;
    const size_t last = rest.find_last_not_of(L' ');
    return IsFilePlaceholder(rest.substr(first, last - first + 1));
}

std::wstring FillOpenCommand(const std::wstring& command, const std::wstring& program,
                             const std::wstring& file) {
    const std::optional<std::wstring> cut = CutRegistryCommand(command);
    size_t restStart = command.size();
    if (cut) restStart = !command.empty() && command[0] == L'"' ? cut->size() + 2 : cut->size();
    const std::wstring rest = restStart < command.size() ? command.substr(restStart) : std::wstring();
    std::wstring line = L"\"" + program + L"\"";
    bool named = false, quoted = false;
    for (size_t i = 0; i < rest.size(); ++i) {
        const wchar_t c = rest[i];
        if (c == L'"') quoted = !quoted;
        const wchar_t next = i + 1 < rest.size() ? rest[i + 1] : L'\0';
        if (c != L'%' || next == L'\0') {
            line += c;
            continue;
        }
        const wchar_t letter = static_cast<wchar_t>(next >= L'a' && next <= L'z' ? next - L'a' + L'A' : next);
        if (letter == L'1' || letter == L'L' || letter == L'V') {
            line += quoted ? file : QuoteName(file);
            named = true;
        } else if (next == L'%') {
            line += L'%';
        } else if (!(next == L'*' || (next >= L'2' && next <= L'9'))) {
            line += c;
            continue;
        }
        ++i;
    }
    return named ? line : line + L" " + QuoteName(file);
}

std::wstring ExpandAroundPlaceholders(const std::wstring& text,
                                      const std::function<std::wstring(const std::wstring&)>& expand) {
    std::wstring result;
    size_t start = 0;
    for (size_t at; (at = text.find(L"%1", start)) != std::wstring::npos; start = at + 2)
        result += expand(text.substr(start, at - start)) + L"%1";
    return result + expand(text.substr(start));
}

std::wstring CutAtLastCaret(const std::wstring& value) {
    const size_t caret = value.rfind(L'^');
    return caret == std::wstring::npos ? value : value.substr(0, caret);
}

bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring LowerCase(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    return text;
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
        if (IsPathSeparator(path[i])) fileStart = i + 1;
    parts.directory = path.substr(start, fileStart - start);
    const std::wstring file = path.substr(fileStart);
    const size_t dot = file.rfind(L'.');
    parts.baseName = file.substr(0, dot);
    if (dot != std::wstring::npos) parts.extension = file.substr(dot);
    return parts;
}

std::wstring ExtensionKeyOf(const std::wstring& name, bool isDirectory) {
    if (isDirectory) return kDirectoryKey;
    // The extension SplitPath gives, found in place: from the last dot after the drive and the last
    // separator. The whole name is searched, however long: a long name is never cut into another.
    size_t fileStart = name.size() >= 2 && name[1] == L':' ? 2 : 0;
    for (size_t i = fileStart; i < name.size(); ++i)
        if (IsPathSeparator(name[i])) fileStart = i + 1;
    const size_t dot = name.rfind(L'.');
    return LowerCase(dot != std::wstring::npos && dot >= fileStart ? name.substr(dot + 1) : std::wstring());
}

std::wstring QuoteName(const std::wstring& name) {
    std::wstring quoted;
    quoted.reserve(QuotedLength(name));
    AppendQuoted(quoted, name);
    return quoted;
}

std::wstring ShellOpenLine(const std::wstring& name) {
    return QuoteName(name);
}

namespace {

// The composition over the names that forEachName hands to the function it is given, as (name, key),
// in order.
template <typename ForEachName>
std::vector<std::wstring> Compose(const ForEachName& forEachName, int paramsMode, int paramsByExtMode,
                                  const AppResolver& resolveApp, const TemplateReader& readTemplate,
                                  size_t maxLineLength) {
    // Only the per-file grouping reads the names in their sorted order, and only the grouping by
    // application gathers the names of each application: the others skip those maps.
    const bool perFile = paramsMode == 1 && paramsByExtMode == 2;
    const bool byApp = paramsMode == 0 || (paramsMode == 1 && paramsByExtMode == 0);
    struct FileEntry {
        const std::wstring* name;
        GroupKey key;
    };
    KeyMap<FileEntry> entryByQuotedFile; // the same name twice is one file
    GroupMap<NameList> filesByExtension;
    forEachName([&](const std::wstring& name, GroupKey key) {
        if (perFile) entryByQuotedFile.emplace(QuoteName(name), FileEntry{&name, key});
        filesByExtension[std::move(key)].push_back(&name);
    });

    GroupMap<std::wstring> appByExtension;
    KeyMap<NameList> filesByApp;
    KeyMap<bool> defaultEditorByApp;
    KeyMap<GroupKey> extensionByApp;
    std::vector<GroupMap<NameList>::const_iterator> shellGroups; // in key order
    for (auto it = filesByExtension.begin(); it != filesByExtension.end(); ++it) {
        const GroupKey& key = it->first;
        NameList& files = it->second;
        const std::optional<ResolvedApp> app = resolveApp(key);
        if (!app) continue;
        if (app->openWithShell) {
            shellGroups.push_back(it);
            continue;
        }
        appByExtension.emplace(key, app->appPath);
        if (!byApp) continue;
        // The names move to their application: this grouping never reads them by extension again.
        auto [entry, inserted] = filesByApp.try_emplace(app->appPath);
        if (inserted) {
            entry->second = std::move(files);
            defaultEditorByApp.emplace(app->appPath, app->usedDefaultEditor);
            extensionByApp.emplace(app->appPath, key);
        } else {
            entry->second.insert(entry->second.end(), std::make_move_iterator(files.begin()),
                                 std::make_move_iterator(files.end()));
        }
    }

    std::vector<std::wstring> lines;
    // The shell's files of the keys that sort before key (all that are left, for none).
    auto nextShellGroup = shellGroups.begin();
    const auto addShellLinesBefore = [&](const GroupKey* key) {
        for (;
             nextShellGroup != shellGroups.end() && (!key || GroupKeyLess()((*nextShellGroup)->first, *key));
             ++nextShellGroup)
            for (const std::wstring* name : (*nextShellGroup)->second) {
                std::wstring line = ShellOpenLine(*name);
                if (line.size() <= maxLineLength) lines.push_back(std::move(line));
            }
    };
    if (byApp) {
        for (const auto& [app, files] : filesByApp) {
            const GroupKey& firstKey = extensionByApp[app];
            addShellLinesBefore(&firstKey);
            const std::wstring params = paramsMode == 0 ? readTemplate(0, app, defaultEditorByApp[app])
                                                        : readTemplate(1, firstKey.key, false);
            AppendCommandLines(app, params, files, maxLineLength, lines);
        }
    } else if (paramsMode == 1 && paramsByExtMode == 1) {
        for (const auto& [key, app] : appByExtension) {
            addShellLinesBefore(&key);
            AppendCommandLines(app, readTemplate(1, key.key, false), filesByExtension[key], maxLineLength,
                               lines);
        }
    } else if (perFile) {
        for (const auto& [quoted, file] : entryByQuotedFile) {
            const auto app = appByExtension.find(file.key);
            if (app == appByExtension.end()) continue;
            addShellLinesBefore(&file.key);
            AppendCommandLines(app->second, readTemplate(1, file.key.key, false), NameList{file.name},
                               maxLineLength, lines);
        }
    } else {
        return lines; // these values open nothing, not even through the shell
    }
    addShellLinesBefore(nullptr);
    return lines;
}

} // namespace

std::vector<std::wstring> ComposeCommandLines(const std::vector<ExistingName>& names, int paramsMode,
                                              int paramsByExtMode, const AppResolver& resolveApp,
                                              const TemplateReader& readTemplate, size_t maxLineLength) {
    const auto forEachName = [&](const auto& add) {
        for (const ExistingName& entry : names)
            add(entry.name, entry.key ? *entry.key : GroupKey{ExtensionKeyOf(entry.name, entry.isDirectory)});
    };
    return Compose(forEachName, paramsMode, paramsByExtMode, resolveApp, readTemplate, maxLineLength);
}

std::vector<std::wstring> ComposeCommandLines(const std::vector<std::wstring>& names,
                                              const std::vector<uint8_t>& kinds, int paramsMode,
                                              int paramsByExtMode, const AppResolver& resolveApp,
                                              const TemplateReader& readTemplate, size_t maxLineLength,
                                              const std::vector<GroupKey>* keys) {
    const auto forEachName = [&](const auto& add) {
        for (size_t i = 0; i < names.size() && i < kinds.size(); ++i)
            if (kinds[i] != 0)
                add(names[i], keys && i < keys->size() ? (*keys)[i]
                                                       : GroupKey{ExtensionKeyOf(names[i], kinds[i] == 16)});
    };
    return Compose(forEachName, paramsMode, paramsByExtMode, resolveApp, readTemplate, maxLineLength);
}

} // namespace config

std::wstring InsFileNamesToParams(std::wstring params, std::wstring names) {
    if (params.empty()) return names;
    const size_t placeholder = params.find(L"%1");
    if (placeholder == std::wstring::npos) return names + L" " + params;
    return params.replace(placeholder, 2, names);
}
