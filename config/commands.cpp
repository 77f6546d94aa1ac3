#include "config/commands.h"

#include <windows.h>

#include <algorithm>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/file_kinds.h"
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

void GetCommandsList(const std::vector<std::wstring>& fileNames, std::vector<std::wstring>& commandLines,
                     bool forceDefaultEditor, bool useSystemAssociation) {
    // Within one call a value read twice from the configuration is read once: nothing in between
    // waits for the user (a message box forgets what was read).
    const config::IniReadMemo memo;
    // The answers of FileExists for every name; names sharing a folder are answered together.
    const std::vector<uint8_t> kinds = config::FileKinds(fileNames);
    if (std::all_of(kinds.begin(), kinds.end(), [](uint8_t kind) { return kind == 0; })) return;

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
    std::vector<std::wstring> lines = config::ComposeCommandLines(
        fileNames, kinds, TolvanierOptions.ParamsMode, TolvanierOptions.ParamsByExtMode, resolveApp,
        readTemplate, kCommandLineLimit - 1);
    commandLines.insert(commandLines.end(), lines.begin(), lines.end());
}
