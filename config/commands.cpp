#include "config/commands.h"

#include <windows.h>

#include <algorithm>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/file_kinds.h"
#include "config/file_types.h"
#include "config/ini.h"
#include "config/options.h"
#include "config/params.h"
#include "shared/process.h"
#include "win/handles.h"
#include "win/paths.h"

uint8_t FileExists(std::wstring name) {
    if (!name.empty() && name.back() == L'\\') name.pop_back();
    // A terminator inside the name would make the search test a shorter, different name.
    if (name.empty() || name.find(L'\0') != std::wstring::npos) return 0;
    // The whole name goes to the search, however long: it is never cut into another name.
    WIN32_FIND_DATAW found;
    const win::UniqueFind search(FindFirstFileW(win::FileSystemName(name).c_str(), &found));
    if (!search) return 0;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 16 : 1;
}

namespace {

// The lines of the files with the applications resolveApp gives, the templates as the options choose.
// withTypes: [Types] gives names their keys; the system's side knows only extensions.
// keys: the names' keys as TypeNames gave them, when the caller has them already.
std::vector<std::wstring> ComposeForFiles(const std::vector<std::wstring>& fileNames,
                                          const config::AppResolver& resolveApp, bool withTypes,
                                          const std::vector<config::GroupKey>* keys = nullptr) {
    // The answers of FileExists for every name; names sharing a folder are answered together.
    const std::vector<uint8_t> kinds = config::FileKinds(fileNames);
    if (std::all_of(kinds.begin(), kinds.end(), [](uint8_t kind) { return kind == 0; })) return {};
    config::TypedNames typed;
    if (withTypes && !keys) {
        typed = config::TypeNames(fileNames, kinds);
        if (!typed.keys.empty()) keys = &typed.keys;
    }
    std::vector<wchar_t> params(kParamsCapacity);
    const config::TemplateReader readTemplate = [&](int mode, const std::wstring& key,
                                                    bool usedDefaultEditor) {
        GetParams(mode, key, params.data(), usedDefaultEditor);
        return std::wstring(params.data());
    };
    // The line and its terminator must fit the platform's command-line limit.
    return config::ComposeCommandLines(fileNames, kinds, TolvanierOptions.ParamsMode,
                                       TolvanierOptions.ParamsByExtMode, resolveApp, readTemplate,
                                       kCommandLineLimit - 1, keys);
}

} // namespace

void GetCommandsList(const std::vector<std::wstring>& fileNames, std::vector<std::wstring>& commandLines,
                     bool forceDefaultEditor, bool useSystemAssociation) {
    // Within one call a value read twice from the configuration is read once: nothing in between
    // waits for the user (a message box forgets what was read).
    const config::IniReadMemo memo;
    // GetAssociatedAppByExt's lookup, which also says when the system's shell opens the files.
    const config::AppResolver resolveApp =
        [&](const config::GroupKey& key) -> std::optional<config::ResolvedApp> {
        const config::AppLookup lookup =
            config::LookUpAndReport(key, forceDefaultEditor, useSystemAssociation);
        if (lookup.openWithShell) return config::ResolvedApp{{}, false, true};
        if (!lookup.found || lookup.appPath.size() >= kAppPathCapacity) return std::nullopt;
        return config::ResolvedApp{lookup.appPath, lookup.usedDefaultEditor};
    };
    std::vector<std::wstring> lines = ComposeForFiles(fileNames, resolveApp, !useSystemAssociation);
    commandLines.insert(commandLines.end(), lines.begin(), lines.end());
}

std::vector<std::wstring> CommandLinesForApp(const std::vector<std::wstring>& fileNames,
                                             const config::ResolvedApp& app,
                                             const std::vector<config::GroupKey>* keys) {
    const config::IniReadMemo memo;
    return ComposeForFiles(
        fileNames, [&](const config::GroupKey&) { return std::optional(app); }, true, keys);
}
