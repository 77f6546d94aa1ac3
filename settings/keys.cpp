#include "settings/keys.h"

#include "checker/ini_check.h"

namespace settings {

const std::vector<KnownKey>& KnownKeys() {
    using K = KeyKind;
    using R = ReadTime;
    static const wchar_t* const kWhere = L"Where the plugin takes a file";
    static const wchar_t* const kOpens = L"What opens a file";
    static const wchar_t* const kViewer = L"The viewer window";
    static const wchar_t* const kOther = L"Reading and the clipboard";
    static const std::vector<KnownKey> keys = {
        {L"Options", L"ScrollLockControl", K::Flag, L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"Only while Scroll Lock is on"},
        {L"Options", L"ModalOnly", K::Flag, L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"Only from the Find Files, Synchronize Directories and overwrite dialogs"},
        {L"Options", L"FindFiles", K::Flag, L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"Files viewed from the Find Files dialog"},
        {L"Options", L"SyncDirs", K::Flag, L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"Files viewed from Synchronize Directories"},
        {L"Options", L"TCWindow", K::Flag, L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"A separate viewer window opened from the main window"},
        {L"Options", L"QuickView", K::Flag, L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"The quick-view panel"},
        {L"Options", L"Lister4", K::Flag, L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"An open viewer window switched to the plugin"},
        {L"Options", L"ListerDirectly", K::Flag, L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"No window of the file manager active"},
        {L"Options", L"OverWrite", K::Flag, L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"Files viewed from the overwrite dialog"},
        {L"Options", L"IfIsExtOnly", K::Flag, L"0", R::OptionCache, Page::Options, kOpens,
         L"Leave unconfigured extensions to the viewer, not the default editor"},
        {L"Options", L"UseTCExtensions", K::Flag, L"0", R::OptionCache, Page::Options, kOpens,
         L"Take applications from the file manager's [Extensions]"},
        {L"Options", L"UseSystemAssociations", K::Flag, L"0", R::OptionCache, Page::Options, kOpens,
         L"Open unconfigured extensions in the application Windows associates"},
        {L"Options",
         L"ParamsMode",
         K::Choice,
         L"1",
         R::OptionCache,
         Page::Options,
         kOpens,
         L"Templates",
         {{0, L"0: per application ([Editor] path=template)"},
          {1, L"1: per extension (ext_params=template)"}},
         L"nothing is opened"},
        {L"Options",
         L"ParamsByExtMode",
         K::Choice,
         L"0",
         R::OptionCache,
         Page::Options,
         kOpens,
         L"Commands, with ParamsMode 1",
         {{0, L"0: one per application"}, {1, L"1: one per extension"}, {2, L"2: one per file"}},
         L"nothing is opened"},
        {L"Options",
         L"ListerState",
         K::Choice,
         L"1",
         R::OptionCache,
         Page::Options,
         kViewer,
         L"After the start",
         {{0, L"0: left open"}, {1, L"1: closed (a copy from an archive: kept hidden)"}, {2, L"2: closed"}},
         L"left open"},
        {L"Options", L"NextPlugin", K::Flag, L"1", R::OptionCache, Page::Options, kViewer,
         L"A viewer that stays open moves on to its next plugin"},
        {L"Options", L"CopySearchTextToClip", K::Flag, L"1", R::OptionCache, Page::Options, kOther,
         L"The Find Files dialog's search text goes to the clipboard"},
        {L"Options", L"ReadOptionsEveryTime", K::Flag, L"0", R::AtUse, Page::Options, kOther,
         L"Re-read these options at every file, not once per start"},
        {L"Options", L"DefaultEditor", K::Application, L"notepad", R::AtUse, Page::Applications,
         L"Default editor", L"The application for extensions with nothing configured"},
        {L"Options", L"DefaultEditor_params", K::Template, L"", R::AtUse, Page::Applications,
         L"Default editor", L"Its template, with ParamsMode=0"},
        {L"HotKeys", L"AppFromLister_key", K::KeyCode, L"", R::PresenceCached, Page::Hotkeys,
         L"Configured application", L"Opens the viewed file in its configured application"},
        {L"HotKeys", L"AppFromLister_mod", K::Modifiers, L"", R::AtUse, Page::Hotkeys,
         L"Configured application", L"Its modifiers"},
        {L"HotKeys", L"DefSysAppFromLister_key", K::KeyCode, L"", R::PresenceCached, Page::Hotkeys,
         L"System's association", L"Opens it in the application Windows associates with it"},
        {L"HotKeys", L"DefSysAppFromLister_mod", K::Modifiers, L"", R::AtUse, Page::Hotkeys,
         L"System's association", L"Its modifiers"},
        {L"HotKeys", L"ChooseAppFromLister_key", K::KeyCode, L"", R::PresenceCached, Page::Hotkeys,
         L"Menu of applications", L"Shows a menu of applications for the file"},
        {L"HotKeys", L"ChooseAppFromLister_mod", K::Modifiers, L"", R::AtUse, Page::Hotkeys,
         L"Menu of applications", L"Its modifiers"},
    };
    return keys;
}

const KnownKey* FindKnownKey(const std::wstring& section, const std::wstring& name) {
    for (const KnownKey& k : KnownKeys())
        if (checker::SameName(k.section, section) && checker::SameName(k.name, name)) return &k;
    return nullptr;
}

std::wstring ModifierKeyOf(const std::wstring& codeKey) {
    return codeKey.substr(0, codeKey.size() >= 4 ? codeKey.size() - 4 : 0) + L"_mod";
}

} // namespace settings
