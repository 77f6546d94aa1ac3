#include "config/open_with.h"

#include <windows.h>

#include <optional>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/commands.h"
#include "config/file_types.h"
#include "config/ini.h"
#include "win/handles.h"
#include "win/paths.h"
#include "win/registry.h"

namespace config {
namespace {

const std::wstring kFileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";
const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::optional<std::wstring> ReadText(HKEY root, const std::wstring& keyPath, const wchar_t* valueName) {
    std::wstring text;
    if (win::ReadRegistryText(root, keyPath, valueName, valueName == nullptr, kAppPathCapacity - 1, text) !=
            win::RegistryRead::Found ||
        text.empty())
        return std::nullopt;
    return text;
}

// The description in a program's version resource. The file is mapped as data only: nothing of it is
// prepared to run, and only its resource is read.
std::wstring DescriptionOf(const std::wstring& program) {
    const win::UniqueLibrary module(LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return {};
    const HRSRC resource = FindResourceW(module.Get(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    const HGLOBAL loaded = resource ? LoadResource(module.Get(), resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return DescriptionInVersionResource(static_cast<const uint8_t*>(data),
                                        SizeofResource(module.Get(), resource));
}

class ChoiceList {
  public:
    explicit ChoiceList(std::wstring file) : file_(std::move(file)) {}

    // The file's key as the builder forms it: a type key of [Types], or its extension key.
    void SetKey(GroupKey key) { keys_ = {std::move(key)}; }

    // An application the configuration or a hotkey names, started with its template.
    void AddWithTemplate(OpenWithSource source, const AppLookup& lookup) {
        if (!lookup.found) return;
        const std::vector<std::wstring> lines =
            CommandLinesForApp({file_}, ResolvedApp{lookup.appPath, lookup.usedDefaultEditor}, &keys_);
        if (!lines.empty()) choices_.push_back({source, {}, lookup.appPath, lines.front(), {}});
    }

    // A class, or "Applications\name", whose open command names the program: a plain command starts
    // the program on the file, any other has the shell open the file with the class.
    bool AddClass(OpenWithSource source, const std::wstring& className) {
        if (className.empty()) return false; // the key's default value, no class
        const std::optional<std::wstring> command =
            ReadText(HKEY_CLASSES_ROOT, className + L"\\shell\\open\\command", nullptr);
        if (!command || OpenCommandRunsTheFile(*command)) return false;
        const std::optional<std::wstring> cut = CutRegistryCommand(*command);
        const std::optional<std::wstring> program = cut ? ResolveApplicationText(*cut) : std::nullopt;
        if (!program) return true; // registered, but no program here: left out
        if (IsPlainOpenCommand(*command))
            AddProgram(source, *program);
        else
            choices_.push_back({source, {}, *program, {}, className});
        return true;
    }

    // An application registered by its file name: its class under Applications, else where App Paths
    // puts it, else the program folders.
    void AddApplication(OpenWithSource source, const std::wstring& name) {
        // A name is a file name: a separator would make it another key or another folder.
        if (name.empty() || name.find_first_of(L"\\/") != std::wstring::npos) return;
        if (AddClass(source, L"Applications\\" + name)) return;
        std::optional<std::wstring> path = ReadText(HKEY_CURRENT_USER, kAppPaths + name, nullptr);
        if (!path) path = ReadText(HKEY_LOCAL_MACHINE, kAppPaths + name, nullptr);
        std::wstring text = path.value_or(name);
        if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
            text = text.substr(1, text.size() - 2);
        if (const std::optional<std::wstring> program = ResolveApplicationText(text))
            AddProgram(source, *program);
    }

    void AddSystemAssociation(const AppLookup& lookup) {
        if (!lookup.openWithShell) return AddWithTemplate(OpenWithSource::SystemAssociation, lookup);
        // As the second hotkey: the shell opens the file with its own association; the command names
        // the program (a handler without one names none).
        const std::optional<std::wstring> cut = CutRegistryCommand(lookup.appText);
        if (!cut || lookup.appText.empty() || OpenCommandRunsTheFile(lookup.appText)) return;
        if (const std::optional<std::wstring> program = ResolveApplicationText(*cut))
            choices_.push_back({OpenWithSource::SystemAssociation, {}, *program, {}, {}});
    }

    // Each program once, at most the menu's count, labelled.
    std::vector<OpenWithChoice> Finish() {
        std::vector<std::wstring> programs;
        for (const OpenWithChoice& c : choices_)
            programs.push_back(win::FullPathOf(c.program).value_or(c.program));
        std::vector<OpenWithChoice> kept;
        std::vector<std::wstring> keptPrograms, descriptions;
        for (size_t place : FirstPlaceOfEachProgram(programs)) {
            if (kept.size() == kMaxOpenWithChoices) break;
            kept.push_back(std::move(choices_[place]));
            keptPrograms.push_back(kept.back().program);
            descriptions.push_back(DescriptionOf(kept.back().program));
        }
        const std::vector<std::wstring> labels = MenuLabels(keptPrograms, descriptions);
        for (size_t i = 0; i < kept.size(); ++i)
            kept[i].label = labels[i];
        return kept;
    }

  private:
    void AddProgram(OpenWithSource source, const std::wstring& program) {
        choices_.push_back({source, {}, program, L"\"" + program + L"\" " + QuoteName(file_), {}});
    }

    std::wstring file_;
    std::vector<GroupKey> keys_;
    std::vector<OpenWithChoice> choices_;
};

} // namespace

std::vector<OpenWithChoice> ListOpenWithChoices(const std::wstring& file) {
    const uint8_t kind = FileExists(file);
    if (kind == 0) return {};
    // The three lookups read the same sections: one look at each file for the whole list.
    const IniReadMemo oneLookAtEachFile;
    const std::wstring key = ExtensionKeyOf(file, kind == 16);
    ChoiceList list(file);
    // The first hotkey's application, by the file's type key where [Types] gives it one; one the
    // system's shell opens is the association's, next. The system's side keeps the real extension.
    const TypedNames typed = TypeNames({file}, {kind});
    const GroupKey fileKey = typed.keys.empty() ? GroupKey{key} : typed.keys.front();
    list.SetKey(fileKey);
    list.AddWithTemplate(OpenWithSource::FirstHotkey, LookUpKey(fileKey, true, false));
    // Folders and files without an extension have no association of their own.
    if (!key.empty() && key != kDirectoryKey) {
        list.AddSystemAssociation(LookUpApplication(key, true, true));
        const std::wstring userKey = kFileExts + key;
        std::vector<std::pair<std::wstring, std::wstring>> recent;
        for (const std::wstring& name :
             win::RegistryNamesBelow(HKEY_CURRENT_USER, userKey + L"\\OpenWithList", false))
            if (name != L"MRUList")
                recent.emplace_back(
                    name,
                    ReadText(HKEY_CURRENT_USER, userKey + L"\\OpenWithList", name.c_str()).value_or(L""));
        const std::wstring mruList =
            ReadText(HKEY_CURRENT_USER, userKey + L"\\OpenWithList", L"MRUList").value_or(L"");
        for (const std::wstring& name : OrderByMruList(mruList, recent))
            list.AddApplication(OpenWithSource::UserOpenWithList, name);
        for (const std::wstring& name :
             win::RegistryNamesBelow(HKEY_CURRENT_USER, userKey + L"\\OpenWithProgids", false))
            list.AddClass(OpenWithSource::UserOpenWithProgids, name);
        for (const std::wstring& name :
             win::RegistryNamesBelow(HKEY_CLASSES_ROOT, L"." + key + L"\\OpenWithProgids", false))
            list.AddClass(OpenWithSource::OpenWithProgids, name);
        for (const std::wstring& name :
             win::RegistryNamesBelow(HKEY_CLASSES_ROOT, L"." + key + L"\\OpenWithList", true))
            list.AddApplication(OpenWithSource::OpenWithList, name);
    }
    list.AddWithTemplate(OpenWithSource::DefaultEditor, LookUpDefaultEditor());
    return list.Finish();
}

} // namespace config
