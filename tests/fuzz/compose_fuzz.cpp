// The composition of command lines from resolved lookups, and the insertion of names into templates.
//
// Input, in 16-bit units: a mode unit (bits 0-1: ParamsMode, bits 2-3: ParamsByExtMode; the other
// bits exactly 0x10: long names against the real line limit), a limit unit (the line limit, 0-511,
// for short names), a salt unit that varies the stand-in lookups, a padding unit (the length of the
// filler put in front of every long name); then nul-closed fields: three application paths, three
// templates, and the names, a name whose first unit is U+0001 being a directory.
//
// The expected commands are worked out independently (maps of 16-bit texts); a key the shell opens
// gives each of its names a line of the quoted name alone, before the first command placed by a later
// key; every other line must then be
// the quoted application and its template with a consecutive run of the command's names, each quoted
// once and parsed back whole by the standard argument rules, the runs of a command covering all its
// names that fit a line alone, in order, each run as long as the limit allows.
#include <map>
#include <optional>

#include "config/command_text.h"
#include "config/commands.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kRealLimit = 32766; // the platform's command-line limit less its terminator

struct StandIns {
    std::wstring apps[3];
    std::wstring templates[3];
    uint32_t salt = 0;

    std::optional<config::ResolvedApp> Resolve(const std::wstring& key) const {
        const uint32_t h = fuzz::Hash(key, salt);
        if (h % 4 == 3) {
            if ((h >> 3) & 1) return config::ResolvedApp{{}, false, true}; // the shell opens its files
            return std::nullopt;
        }
        return config::ResolvedApp{apps[h % 4], ((h >> 2) & 1) != 0};
    }
    std::wstring Template(int mode, const std::wstring& key, bool flag) const {
        return templates[(fuzz::Hash(key, salt + 1) + mode * 7 + (flag ? 13 : 0)) % 3];
    }
};

struct TemplateRequest {
    int mode;
    std::wstring key;
    bool flag;
    bool operator==(const TemplateRequest&) const = default;
};

struct Command {
    std::wstring app;
    TemplateRequest request;
    std::vector<std::wstring> names; // unquoted, in command order
    bool shellOpens = false;         // one line per name, the quoted name alone
};

using Text16 = std::u16string;

// The commands the grouping asks for, and the lookups it makes, in order.
std::vector<Command> ExpectedCommands(const std::vector<config::ExistingName>& names, int mode, int byExt,
                                      const StandIns& standIns, std::vector<std::wstring>& lookups) {
    struct FileEntry {
        std::wstring name;
        std::wstring key;
    };
    std::map<Text16, FileEntry> extensionByFile; // by quoted name
    std::map<Text16, std::pair<std::wstring, std::vector<std::wstring>>> filesByExtension;
    for (const config::ExistingName& n : names) {
        const std::wstring key = config::ExtensionKeyOf(n.name, n.isDirectory);
        extensionByFile.emplace(fuzz::To16(config::QuoteName(n.name)), FileEntry{n.name, key});
        auto& entry = filesByExtension[fuzz::To16(key)];
        entry.first = key;
        entry.second.push_back(n.name);
    }

    struct AppEntry {
        std::wstring app;
        std::vector<std::wstring> names;
        bool flag;
        std::wstring firstKey;
    };
    std::map<Text16, std::wstring> appByExtension;
    std::map<Text16, AppEntry> filesByApp;
    std::map<Text16, std::vector<std::wstring>> shellFiles;
    for (const auto& [key16, entry] : filesByExtension) {
        lookups.push_back(entry.first);
        const std::optional<config::ResolvedApp> app = standIns.Resolve(entry.first);
        if (!app) continue;
        if (app->openWithShell) {
            shellFiles[key16] = entry.second;
            continue;
        }
        appByExtension.emplace(key16, app->appPath);
        auto [it, inserted] = filesByApp.emplace(
            fuzz::To16(app->appPath), AppEntry{app->appPath, {}, app->usedDefaultEditor, entry.first});
        it->second.names.insert(it->second.names.end(), entry.second.begin(), entry.second.end());
    }

    // Each command with the key it is placed by; the shell's files of the keys before it come first.
    std::vector<Command> commands;
    auto shellGroup = shellFiles.begin();
    const auto add = [&](Command command, const std::wstring& key) {
        for (; shellGroup != shellFiles.end() && shellGroup->first < fuzz::To16(key); ++shellGroup)
            commands.push_back({{}, {}, shellGroup->second, true});
        commands.push_back(std::move(command));
    };
    if (mode == 0 || (mode == 1 && byExt == 0)) {
        for (const auto& [app16, e] : filesByApp)
            add({e.app, mode == 0 ? TemplateRequest{0, e.app, e.flag} : TemplateRequest{1, e.firstKey, false},
                 e.names},
                e.firstKey);
    } else if (mode == 1 && byExt == 1) {
        for (const auto& [key16, app] : appByExtension) {
            const auto& entry = filesByExtension[key16];
            add({app, {1, entry.first, false}, entry.second}, entry.first);
        }
    } else if (mode == 1 && byExt == 2) {
        for (const auto& [quoted16, file] : extensionByFile) {
            const auto app = appByExtension.find(fuzz::To16(file.key));
            if (app == appByExtension.end()) continue;
            add({app->second, {1, file.key, false}, {file.name}}, file.key);
        }
    } else {
        return commands;
    }
    for (; shellGroup != shellFiles.end(); ++shellGroup)
        commands.push_back({{}, {}, shellGroup->second, true});
    return commands;
}

// The argument text of a template with the joined names: at the first "%1", or in front.
std::wstring Arguments(const std::wstring& params, const std::wstring& joined) {
    if (params.empty()) return joined;
    const size_t at = params.find(L"%1");
    if (at == std::wstring::npos) return joined + L" " + params;
    return params.substr(0, at) + joined + params.substr(at + 2);
}

// The joined names of a line of the command (app, params), or nullopt when the line has another shape.
std::optional<std::wstring> JoinedNamesOf(const std::wstring& line, const std::wstring& app,
                                          const std::wstring& params) {
    const std::wstring head = L"\"" + app + L"\" ";
    if (line.compare(0, head.size(), head) != 0) return std::nullopt;
    const std::wstring rest = line.substr(head.size());
    if (params.empty()) return rest;
    const size_t at = params.find(L"%1");
    const std::wstring before = at == std::wstring::npos ? L"" : params.substr(0, at);
    const std::wstring after = at == std::wstring::npos ? L" " + params : params.substr(at + 2);
    if (rest.size() < before.size() + after.size()) return std::nullopt;
    if (rest.compare(0, before.size(), before) != 0) return std::nullopt;
    if (rest.compare(rest.size() - after.size(), after.size(), after) != 0) return std::nullopt;
    return rest.substr(before.size(), rest.size() - before.size() - after.size());
}

size_t LineLength(const std::wstring& app, const std::wstring& params, const std::wstring& joined) {
    return app.size() + 3 + Arguments(params, joined).size();
}

void CheckInsertion(const std::wstring& params, const std::wstring& names) {
    FUZZ_CHECK(InsFileNamesToParams(params, names) == Arguments(params, names));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::UnitReader in(fuzz::Units(data, size));
    const uint16_t modes = in.Take();
    const uint16_t limitUnit = in.Take();
    const int paramsMode = modes & 3;
    const int byExtMode = (modes >> 2) & 3;
    const bool longNames = (modes & 0xFFF0) == 0x10; // rare: such runs are slow
    StandIns standIns;
    standIns.salt = in.Take();
    const uint16_t padding = in.Take();
    const size_t limit = longNames ? kRealLimit : limitUnit % 512;
    for (std::wstring& app : standIns.apps)
        app = in.Field();
    for (std::wstring& params : standIns.templates)
        params = in.Field();

    std::vector<config::ExistingName> names;
    const std::wstring filler = longNames ? std::wstring((padding % 2100) * 16, L'x') : L"";
    while (!in.AtEnd() && names.size() < (longNames ? 6u : 400u)) {
        std::wstring name = in.Field();
        const bool isDirectory = !name.empty() && name[0] == L'\x1';
        if (isDirectory) name.erase(0, 1);
        // Names of the file system hold no quote (nor nul, which ends the field).
        for (wchar_t& c : name)
            if (c == L'"') c = L'\'';
        // The filler starts with a unit of its own per name, so that long names differ early.
        if (!filler.empty()) name = static_cast<wchar_t>(L'A' + names.size()) + filler + name;
        names.push_back({name, isDirectory});
    }

    std::vector<std::wstring> lookups;
    std::vector<TemplateRequest> requests;
    const std::vector<std::wstring> lines = config::ComposeCommandLines(
        names, paramsMode, byExtMode,
        [&](const config::GroupKey& key) {
            lookups.push_back(key.key);
            return standIns.Resolve(key.key);
        },
        [&](int mode, const std::wstring& key, bool flag) {
            requests.push_back({mode, key, flag});
            return standIns.Template(mode, key, flag);
        },
        limit);

    std::vector<std::wstring> expectedLookups;
    const std::vector<Command> commands =
        ExpectedCommands(names, paramsMode, byExtMode, standIns, expectedLookups);
    FUZZ_CHECK(lookups == expectedLookups);
    std::vector<TemplateRequest> expectedRequests;
    for (const Command& c : commands)
        if (!c.shellOpens) expectedRequests.push_back(c.request);
    FUZZ_CHECK(requests == expectedRequests);

    size_t next = 0; // the next line to account for
    for (const Command& command : commands) {
        if (command.shellOpens) {
            for (const std::wstring& name : command.names) {
                const std::wstring line = config::QuoteName(name);
                if (line.size() > limit) continue;
                FUZZ_CHECK(next < lines.size() && lines[next] == line);
                ++next;
            }
            continue;
        }
        const std::wstring params =
            standIns.Template(command.request.mode, command.request.key, command.request.flag);
        // The names that fit a line alone, with their places in the command.
        std::vector<size_t> fitting;
        for (size_t i = 0; i < command.names.size(); ++i)
            if (LineLength(command.app, params, config::QuoteName(command.names[i])) <= limit)
                fitting.push_back(i);

        size_t covered = 0;
        bool first = true;
        while (covered < fitting.size()) {
            FUZZ_CHECK(next < lines.size());
            const std::wstring& line = lines[next];
            FUZZ_CHECK(line.size() <= limit);
            const std::optional<std::wstring> joined = JoinedNamesOf(line, command.app, params);
            FUZZ_CHECK(joined.has_value());
            const std::vector<std::wstring> parsed = fuzz::ParseArguments(*joined);
            FUZZ_CHECK(!parsed.empty() && covered + parsed.size() <= fitting.size());
            std::wstring canonical;
            for (size_t k = 0; k < parsed.size(); ++k) {
                FUZZ_CHECK(parsed[k] == command.names[fitting[covered + k]]);
                canonical += (k ? L" " : L"") + config::QuoteName(parsed[k]);
            }
            FUZZ_CHECK(*joined == canonical);
            // A run ends early only at a name that could not fit or when the next one would not.
            if (!first && fitting[covered - 1] + 1 == fitting[covered])
                FUZZ_CHECK(lines[next - 1].size() + 1 +
                               config::QuoteName(command.names[fitting[covered]]).size() >
                           limit);
            covered += parsed.size();
            first = false;
            ++next;
        }
    }
    FUZZ_CHECK(next == lines.size());

    for (const std::wstring& params : standIns.templates)
        CheckInsertion(params, names.empty() ? L"" : config::QuoteName(names[0].name));
    return 0;
}
