#include "settings/keys.h"

#include "lang/ids.h"

namespace settings {
namespace {

std::vector<KnownKey> PresentedKeys() {
    using R = ReadTime;
    const unsigned kWhere = IDS_SETTINGS_GROUP_WHERE, kOpens = IDS_SETTINGS_GROUP_OPENS,
                   kViewer = IDS_SETTINGS_GROUP_VIEWER, kCopies = IDS_SETTINGS_GROUP_COPIES,
                   kOther = IDS_SETTINGS_GROUP_OTHER;
    return {
        {L"Options", L"ScrollLockControl", L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"Only while Scroll Lock is on"},
        {L"Options", L"ModalOnly", L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"Only from the Find Files, Synchronize Directories and overwrite dialogs"},
        {L"Options", L"FindFiles", L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"Files viewed from the Find Files dialog"},
        {L"Options", L"SyncDirs", L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"Files viewed from Synchronize Directories"},
        {L"Options", L"TCWindow", L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"A separate viewer window opened from the main window"},
        {L"Options", L"QuickView", L"0", R::OptionCache, Page::WhereItActs, kWhere, L"The quick-view panel"},
        {L"Options", L"Lister4", L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"An open viewer window switched to the plugin"},
        {L"Options", L"ListerDirectly", L"0", R::OptionCache, Page::WhereItActs, kWhere,
         L"No window of the file manager active"},
        {L"Options", L"OverWrite", L"1", R::OptionCache, Page::WhereItActs, kWhere,
         L"Files viewed from the overwrite dialog"},
        {L"Options", L"IfIsExtOnly", L"0", R::OptionCache, Page::Options, kOpens,
         L"Leave unconfigured extensions to the viewer, not the default editor"},
        {L"Options", L"UseTCExtensions", L"0", R::OptionCache, Page::Options, kOpens,
         L"Take applications from the file manager's [Extensions]"},
        {L"Options", L"UseSystemAssociations", L"0", R::OptionCache, Page::Options, kOpens,
         L"Open unconfigured extensions in the application Windows associates"},
        {L"Options",
         L"ParamsMode",
         L"1",
         R::OptionCache,
         Page::Options,
         kOpens,
         L"Templates",
         {L"per application ([Editor] path=template)", L"per extension (ext_params=template)"}},
        {L"Options",
         L"ParamsByExtMode",
         L"0",
         R::OptionCache,
         Page::Options,
         kOpens,
         L"Commands, with ParamsMode 1",
         {L"one per application", L"one per extension", L"one per file"}},
        {L"Options",
         L"ListerState",
         L"1",
         R::OptionCache,
         Page::Options,
         kViewer,
         L"After the start",
         {L"left open", L"closed (a copy from an archive: kept hidden)", L"closed"}},
        {L"Options", L"NextPlugin", L"1", R::OptionCache, Page::Options, kViewer,
         L"A viewer that stays open moves on to its next plugin"},
        {L"Options", L"KeepChangedCopies", L"1", R::OptionCache, Page::Options, kCopies,
         L"Keep a copy that its application changed when its viewer closes"},
        {L"Options", L"ChangedCopiesFolder", L"", R::AtUse, Page::Options, kCopies,
         L"Folder for changed copies"},
        {L"Options", L"CopySearchTextToClip", L"1", R::OptionCache, Page::Options, kOther,
         L"The Find Files dialog's search text goes to the clipboard"},
        {L"Options", L"ReadOptionsEveryTime", L"0", R::AtUse, Page::Options, kOther,
         L"Re-read these options at every file, not once per start"},
        {L"Options", L"DefaultEditor", L"notepad", R::AtUse, Page::Applications,
         IDS_SETTINGS_GROUP_DEFAULT_EDITOR, L"The application for extensions with nothing configured"},
        {L"Options", L"DefaultEditor_params", L"", R::AtUse, Page::Applications,
         IDS_SETTINGS_GROUP_DEFAULT_EDITOR, L"Its template, with ParamsMode=0"},
        {L"HotKeys", L"AppFromLister_key", L"", R::PresenceCached, Page::Hotkeys,
         IDS_SETTINGS_GROUP_HOTKEY_APP, L"Opens the viewed file in its configured application"},
        {L"HotKeys", L"AppFromLister_mod", L"", R::AtUse, Page::Hotkeys, IDS_SETTINGS_GROUP_HOTKEY_APP,
         L"Its modifiers"},
        {L"HotKeys", L"DefSysAppFromLister_key", L"", R::PresenceCached, Page::Hotkeys,
         IDS_SETTINGS_GROUP_HOTKEY_SYSTEM, L"Opens it in the application Windows associates with it"},
        {L"HotKeys", L"DefSysAppFromLister_mod", L"", R::AtUse, Page::Hotkeys,
         IDS_SETTINGS_GROUP_HOTKEY_SYSTEM, L"Its modifiers"},
        {L"HotKeys", L"ChooseAppFromLister_key", L"", R::PresenceCached, Page::Hotkeys,
         IDS_SETTINGS_GROUP_HOTKEY_MENU, L"Shows a menu of applications for the file"},
        {L"HotKeys", L"ChooseAppFromLister_mod", L"", R::AtUse, Page::Hotkeys, IDS_SETTINGS_GROUP_HOTKEY_MENU,
         L"Its modifiers"},
    };
}

} // namespace

const std::vector<KnownKey>& KnownKeys() {
    static const std::vector<KnownKey> keys = [] {
        std::vector<KnownKey> presented = PresentedKeys();
        for (KnownKey& k : presented) {
            const checker::KnownKey* rule = checker::FindKnownKey(k.section, k.name);
            if (!rule) continue; // stays a text no page shows; the tests hold both tables to each other
            k.kind = rule->kind;
            k.otherValues = rule->outside;
            for (size_t i = 0; i < k.meaningTexts.size(); ++i) {
                const int value = rule->low + static_cast<int>(i);
                k.meanings.push_back({value, std::to_wstring(value) + L": " + k.meaningTexts[i]});
            }
        }
        return presented;
    }();
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
