#include "config/app_lookup.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/command_text.h"
#include "config/ini.h"
#include "config/messages.h"
#include "config/options.h"
#include "config/params.h"
#include "config/program_search.h"
#include "config/texts.h"
#include "lang/ids.h"
#include "shared/state.h"
#include "win/handles.h"
#include "win/library.h"
#include "win/paths.h"
#include "win/registry.h"
#include "win/text.h"

namespace {

// Longest application text or path that the 260-unit buffers hold.
constexpr size_t kAppTextLimit = kAppPathCapacity - 1;
const std::wstring kClassesRoot = L"HKEY_CLASSES_ROOT\\";

void ShowLookupMessage(const std::wstring& text) {
    config::ShowPluginMessage(text);
}
config::LookupMessageSink messageSink = ShowLookupMessage;
std::optional<std::wstring> hostProgramFolder;

// A direct value, read one unit wider than the application buffer so that a longer value is seen
// whole (and refused) rather than cut into another path.
std::wstring ReadAppValue(const wchar_t* ini, const wchar_t* section, const std::wstring& key) {
    return config::IniReadString(ini, section, key.c_str(), L"", config::kIniValueCapacity + 1);
}

using win::RegistryRead;

// A text value of root\keyPath (valueName null: the default value), at most 259 units. anyType: the
// value is taken as text whatever its type, as for the extension's own class and command; otherwise it
// must be a string.
RegistryRead ReadRegistryText(HKEY root, const std::wstring& keyPath, const wchar_t* valueName, bool anyType,
                              std::wstring& text) {
    return win::ReadRegistryText(root, keyPath, valueName, anyType, kAppTextLimit, text);
}

bool HasRegistryValue(HKEY root, const std::wstring& keyPath, const wchar_t* valueName) {
    win::UniqueRegKey key;
    return RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS &&
           RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The default value of HKEY_CLASSES_ROOT\keyPath; nullopt with message 1 or 2.
std::optional<std::wstring> ReadClassesRootDefault(const std::wstring& keyPath, std::wstring& message) {
    std::wstring text;
    switch (ReadRegistryText(HKEY_CLASSES_ROOT, keyPath, nullptr, true, text)) {
    case RegistryRead::Found: return text;
    case RegistryRead::NoKey:
        message = config::Text(IDS_NOT_FOUND_REGISTRY_KEY, {kClassesRoot + keyPath});
        break;
    case RegistryRead::NoValue:
        message = config::Text(IDS_NOT_FOUND_DEFAULT_VALUE, {kClassesRoot + keyPath});
        break;
    }
    return std::nullopt;
}

// How the system opens files of an extension: with its class's "open" command, or through the shell
// (a class with a DelegateExecute handler and no command, as store apps have).
struct SystemOpen {
    std::wstring command;
    bool throughShell = false;
};

std::wstring OpenCommandKey(const std::wstring& className) {
    return className + L"\\shell\\open\\command\\";
}

// The user's own choice ("Open with", "Always"), which Explorer follows before the extension's class.
std::optional<SystemOpen> ReadUserChoice(const std::wstring& ext) {
    std::wstring className;
    if (ReadRegistryText(HKEY_CURRENT_USER,
                         L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + ext +
                             L"\\UserChoice",
                         L"ProgId", false, className) != RegistryRead::Found ||
        className.empty())
        return std::nullopt;
    std::wstring command;
    if (ReadRegistryText(HKEY_CLASSES_ROOT, OpenCommandKey(className), nullptr, true, command) ==
            RegistryRead::Found &&
        !command.empty())
        return SystemOpen{command};
    if (HasRegistryValue(HKEY_CLASSES_ROOT, OpenCommandKey(className), L"DelegateExecute"))
        return SystemOpen{{}, true};
    return std::nullopt;
}

// The system's way of opening files of ext; nullopt with a message.
std::optional<SystemOpen> ReadSystemAssociation(const std::wstring& ext, std::wstring& message) {
    if (auto choice = ReadUserChoice(ext)) return choice;
    const std::optional<std::wstring> className = ReadClassesRootDefault(L"." + ext + L"\\", message);
    if (!className) return std::nullopt;
    const std::wstring commandKey = OpenCommandKey(*className);
    const std::optional<std::wstring> command = ReadClassesRootDefault(commandKey, message);
    if (command) return SystemOpen{*command};
    if (HasRegistryValue(HKEY_CLASSES_ROOT, commandKey, L"DelegateExecute")) {
        message.clear();
        return SystemOpen{{}, true};
    }
    return std::nullopt;
}

// The folders a program named without an absolute folder is looked for in. Never the current folder:
// it is the one the user browses, and a program planted there must not run.
std::vector<std::wstring> ProgramFolders() {
    const std::wstring host =
        hostProgramFolder ? *hostProgramFolder : win::DirectoryOf(win::ModuleFileName(nullptr));
    return config::ProgramSearchFolders(host, win::SystemFolder(), win::WindowsFolder(),
                                        win::EnvironmentValue(L"PATH"));
}

// The first of the name rounds found in the folders, as a full path of at most 259 units.
std::optional<std::wstring> FindProgram(const std::vector<std::wstring>& folders,
                                        const std::vector<std::vector<std::wstring>>& rounds) {
    for (const auto& names : rounds)
        for (const std::wstring& folder : folders)
            for (const std::wstring& name : names) {
                const std::wstring candidate = config::JoinPath(folder, name);
                if (!win::IsExistingFile(candidate)) continue;
                std::optional<std::wstring> full = win::FullPathOf(candidate);
                if (full && full->size() <= kAppTextLimit) return full;
            }
    return std::nullopt;
}

std::vector<std::vector<std::wstring>> NameRounds(const config::PathParts& parts) {
    return config::ProgramNameRounds(parts.baseName, parts.extension,
                                     config::ProgramExtensions(win::EnvironmentValue(L"PATHEXT")));
}

// The configured application. A path with a drive or another absolute folder (a share, a device
// path) is looked for in its own folder only and stays as written; a drive with a relative folder
// ("C:tools\ed.exe") depends on the current folder and is not taken. Any other text is looked for by
// its file part in the program folders.
std::optional<std::wstring> ResolveConfiguredApp(const std::wstring& app) {
    const config::PathParts parts = config::SplitPath(app);
    if (!parts.drive.empty() || config::IsAbsolutePath(app)) {
        if (config::IsAbsolutePath(app) && win::IsExistingFile(app)) return app;
        return std::nullopt;
    }
    return FindProgram(ProgramFolders(), NameRounds(parts));
}

// The default editor: first in its own folder when that is absolute, then in the program folders.
std::optional<std::wstring> ResolveDefaultEditor(const std::wstring& editor) {
    const config::PathParts parts = config::SplitPath(editor);
    const std::vector<std::vector<std::wstring>> rounds = NameRounds(parts);
    const std::wstring folder = parts.drive + parts.directory;
    if (config::IsAbsolutePath(folder) && !rounds.empty())
        if (auto hit = FindProgram({folder}, {rounds.front()})) return hit;
    return FindProgram(ProgramFolders(), rounds);
}

} // namespace

namespace config {
namespace {

// The system's association of a key that nothing configures, with UseSystemAssociations=1: found as
// the second hotkey finds it, but silent; nullopt where the system has no association with an open
// command, for folders and files without an extension, and for types the system runs.
std::optional<AppLookup> LookUpSystemFallback(const std::wstring& key) {
    if (key.empty() || key == kDirectoryKey || RunsWhenOpened(key)) return std::nullopt;
    std::wstring ignored;
    const std::optional<SystemOpen> open = ReadSystemAssociation(key, ignored);
    if (!open || OpenCommandRunsTheFile(open->command)) return std::nullopt;
    const std::optional<std::wstring> program = CutRegistryCommand(open->command);
    if (!open->throughShell && program && program->empty()) return std::nullopt; // no program named
    AppLookup result;
    result.source = AppSource::SystemAssociation;
    result.systemFallback = true;
    result.appText = open->command;
    if (!open->throughShell && IsPlainOpenCommand(open->command) && program) {
        if (std::optional<std::wstring> found = ResolveApplicationText(*program)) {
            result.found = true;
            result.appPath = std::move(*found);
            result.appText = *program;
            return result;
        }
    }
    // Arguments of its own, a handler, or a program this search does not find (the shell also knows
    // the programs registered under App Paths): the shell opens the file as a double click would.
    result.openWithShell = true;
    return result;
}

// The application text of key in [Editor]: its own line, else the first composite line that lists it.
void ReadEditorApplication(const std::wstring& key, AppLookup& result) {
    result.source = AppSource::EditorKey;
    result.appText = ReadAppValue(OptionsIniName, L"Editor", key);
    if (result.appText.empty()) {
        if (auto composite = FindCompositeValue(IniReadSection(OptionsIniName, L"Editor"), key, true)) {
            result.source = AppSource::EditorComposite;
            result.appText = std::move(*composite);
        }
    }
}

// Looks the application text up when it names one, and says whether it did. A text or expansion
// longer than the buffer is never cut into a path: it is reported whole as an application that was
// not found.
bool ResolveNamedApplication(AppLookup& result) {
    const std::wstring app = ExpandEnvironment(result.appText);
    if (app.empty()) return false;
    if (std::optional<std::wstring> found = ResolveApplicationText(result.appText)) {
        result.found = true;
        result.appPath = std::move(*found);
    } else {
        result.message = config::Text(IDS_APPLICATION_NOT_FOUND, {app});
        result.notFound = app;
    }
    return true;
}

} // namespace

std::optional<AppLookup> LookUpTypeApplication(const std::wstring& type) {
    AppLookup result;
    ReadEditorApplication(type, result);
    if (!ResolveNamedApplication(result)) return std::nullopt;
    return result;
}

bool EditorNamesApplication(const std::wstring& type) {
    AppLookup result;
    ReadEditorApplication(type, result);
    return !ExpandEnvironment(result.appText).empty();
}

AppLookup LookUpKey(const GroupKey& key, bool forceDefaultEditor, bool useSystemAssociation) {
    if (key.typeInEditor)
        if (std::optional<AppLookup> type = LookUpTypeApplication(key.key)) return std::move(*type);
    return LookUpApplication(key.key, forceDefaultEditor, useSystemAssociation);
}

LookupMessageSink SetLookupMessageSink(LookupMessageSink sink) {
    return std::exchange(messageSink, sink ? sink : ShowLookupMessage);
}

std::optional<std::wstring> SetHostProgramFolder(std::optional<std::wstring> folder) {
    return std::exchange(hostProgramFolder, std::move(folder));
}

AppLookup LookUpApplication(const std::wstring& key, bool forceDefaultEditor, bool useSystemAssociation) {
    AppLookup result;
    if (useSystemAssociation) {
        const std::optional<SystemOpen> open = ReadSystemAssociation(key, result.message);
        if (!open) return result;
        result.source = AppSource::SystemAssociation;
        // A command with arguments of its own would lose them to the cut: the shell opens the file.
        if (open->throughShell || !IsPlainOpenCommand(open->command)) {
            result.openWithShell = true;
            result.appText = open->command;
            return result;
        }
        std::optional<std::wstring> program = CutRegistryCommand(open->command);
        if (!program) {
            result.message = config::Text(IDS_BAD_PATH_IN_REGISTRY, {open->command});
            return result;
        }
        result.appText = std::move(*program);
    } else if (TolvanierOptions.UseTCExtensions) {
        // Read wider than the buffer: the cut at the last "^" may leave a text that fits.
        result.source = AppSource::HostExtensions;
        result.appText =
            CutAtLastCaret(IniReadString(TCIniName, L"Extensions", key.c_str(), L"", kIniSectionCapacity));
    } else {
        ReadEditorApplication(key, result);
    }
    if (ResolveNamedApplication(result)) return result;

    if (!useSystemAssociation && TolvanierOptions.UseSystemAssociations)
        if (std::optional<AppLookup> system = LookUpSystemFallback(key)) return std::move(*system);
    if (TolvanierOptions.IfIsExtOnly && !forceDefaultEditor) return result;
    return LookUpDefaultEditor();
}

AppLookup LookUpDefaultEditor() {
    AppLookup result;
    result.usedDefaultEditor = true;
    result.source = AppSource::DefaultEditor;
    result.appText = ReadOptionText(OptionsIniName, L"Options", L"DefaultEditor", kIniValueCapacity + 1);
    const std::wstring editor = ExpandEnvironment(result.appText);
    if (result.appText.size() <= kAppTextLimit && editor.size() <= kAppTextLimit) {
        std::optional<std::wstring> found = ResolveDefaultEditor(editor);
        if (found && found->size() <= kAppTextLimit) {
            result.found = true;
            result.appPath = std::move(*found);
            return result;
        }
    }
    result.message = config::Text(IDS_DEFAULT_APPLICATION_NOT_FOUND, {editor});
    result.notFound = editor;
    return result;
}

std::optional<std::wstring> ResolveApplicationText(const std::wstring& text) {
    const std::wstring app = ExpandEnvironment(text);
    if (app.empty() || app.size() > kAppTextLimit || text.size() > kAppTextLimit) return std::nullopt;
    std::optional<std::wstring> found = ResolveConfiguredApp(app);
    if (!found || found->size() > kAppTextLimit) return std::nullopt;
    return found;
}

bool RunsWhenOpened(const std::wstring& key) {
    if (RunsWhenOpened(key, ProgramExtensions(win::EnvironmentValue(L"PATHEXT")))) return true;
    // The shell's own judgement adds the types marked unsafe on this system.
    using IsDangerousProc = BOOL(WINAPI*)(const wchar_t*);
    const win::UniqueLibrary shlwapi = win::LoadSystemLibrary(L"shlwapi.dll");
    const auto isDangerous = win::ProcedureOf<IsDangerousProc>(shlwapi, "AssocIsDangerous");
    return isDangerous && isDangerous((L"." + key).c_str()) != FALSE;
}

AppLookup LookUpAndReport(const GroupKey& key, bool forceDefaultEditor, bool useSystemAssociation) {
    AppLookup lookup = LookUpKey(key, forceDefaultEditor, useSystemAssociation);
    if (!lookup.message.empty()) messageSink(lookup.message);
    return lookup;
}

} // namespace config

bool GetAssociatedAppByExt(const wchar_t* ext, wchar_t* appPath, bool forceDefaultEditor,
                           bool useSystemAssociation, bool& usedDefaultEditor) {
    win::CopyTo(appPath, kAppPathCapacity, L"");
    const config::AppLookup lookup =
        config::LookUpAndReport({ext ? ext : L""}, forceDefaultEditor, useSystemAssociation);
    usedDefaultEditor = lookup.usedDefaultEditor;
    return lookup.found && win::CopyTo(appPath, kAppPathCapacity, lookup.appPath);
}
