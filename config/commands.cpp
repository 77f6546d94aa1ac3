#include "config/commands.h"

#include <windows.h>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/options.h"
#include "config/params.h"
#include "plugin/process.h"
#include "win/handles.h"

uint8_t FileExists(std::wstring name) {
    if (!name.empty() && name.back() == L'\\') name.pop_back();
    // A terminator inside the name would make the search test a shorter, different name.
    if (name.empty() || name.find(L'\0') != std::wstring::npos) return 0;
    // The whole name goes to the search, however long: it is never cut into another name.
    WIN32_FIND_DATAW found;
    const win::UniqueFind search(FindFirstFileW(name.c_str(), &found));
    if (!search) return 0;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 16 : 1;
}

void GetCommandsList(const std::vector<std::wstring>& fileNames, std::vector<std::wstring>& commandLines,
                     bool forceDefaultEditor, bool useSystemAssociation) {
    std::vector<config::ExistingName> existing;
    for (const std::wstring& name : fileNames) {
        const uint8_t kind = FileExists(name);
        if (kind != 0) existing.push_back({name, kind == 16});
    }
    if (existing.empty()) return;

    const config::AppResolver resolveApp =
        [&](const std::wstring& ext) -> std::optional<config::ResolvedApp> {
        wchar_t appPath[kAppPathCapacity];
        bool usedDefaultEditor = false;
        if (!GetAssociatedAppByExt(ext.c_str(), appPath, forceDefaultEditor, useSystemAssociation,
                                   usedDefaultEditor))
            return std::nullopt;
        return config::ResolvedApp{appPath, usedDefaultEditor};
    };
    std::vector<wchar_t> params(kParamsCapacity);
    const config::TemplateReader readTemplate = [&](int mode, const std::wstring& key,
                                                    bool usedDefaultEditor) {
        GetParams(mode, key, params.data(), usedDefaultEditor);
        return std::wstring(params.data());
    };

    // The line and its terminator must fit the platform's command-line limit.
    std::vector<std::wstring> lines =
        config::ComposeCommandLines(existing, TolvanierOptions.ParamsMode, TolvanierOptions.ParamsByExtMode,
                                    resolveApp, readTemplate, kCommandLineLimit - 1);
    commandLines.insert(commandLines.end(), lines.begin(), lines.end());
}
