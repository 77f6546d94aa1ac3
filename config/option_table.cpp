#include "config/option_table.h"

#include <cwchar>

#include "lang/ids.h"
#include "win/text.h"

namespace config {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (win::FoldAsciiCase(a[i]) != win::FoldAsciiCase(b[i])) return false;
    return true;
}

std::vector<OptionRow> Rows() {
    using K = ValueKind;
    using R = ReadTime;
    using P = OptionPage;
    using G = OptionGroup;
    using O = TTolvanierOptions;
    return {
        {L"Options", L"ScrollLockControl", K::Flag, L"0", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_SCROLL_LOCK_CONTROL, 0, 0, 0, 0, &O::ScrollLockControl},
        {L"Options", L"ModalOnly", K::Flag, L"0", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_MODAL_ONLY, 0, 0, 0, 0, &O::ModalOnly},
        {L"Options", L"FindFiles", K::Flag, L"1", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_FIND_FILES, 0, 0, 0, 0, &O::FindFiles},
        {L"Options", L"SyncDirs", K::Flag, L"1", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_SYNC_DIRS, 0, 0, 0, 0, &O::SyncDirs},
        {L"Options", L"TCWindow", K::Flag, L"1", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_TC_WINDOW, 0, 0, 0, 0, &O::TCWindow},
        {L"Options", L"QuickView", K::Flag, L"0", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_QUICK_VIEW, 0, 0, 0, 0, &O::QuickView},
        {L"Options", L"Lister4", K::Flag, L"0", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_LISTER4, 0, 0, 0, 0, &O::Lister4},
        {L"Options", L"ListerDirectly", K::Flag, L"0", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_LISTER_DIRECTLY, 0, 0, 0, 0, &O::ListerDirectly},
        {L"Options", L"OverWrite", K::Flag, L"1", R::OptionCache, P::WhereItActs, G::WhereItActs,
         IDS_OPTION_OVERWRITE, 0, 0, 0, 0, &O::OverWrite},
        {L"Options", L"IfIsExtOnly", K::Flag, L"0", R::OptionCache, P::Options, G::WhatOpens,
         IDS_OPTION_IF_IS_EXT_ONLY, 0, 0, 0, 0, &O::IfIsExtOnly},
        {L"Options", L"UseTCExtensions", K::Flag, L"0", R::OptionCache, P::Options, G::WhatOpens,
         IDS_OPTION_USE_TC_EXTENSIONS, 0, 0, 0, 0, &O::UseTCExtensions},
        {L"Options", L"UseSystemAssociations", K::Flag, L"0", R::OptionCache, P::Options, G::WhatOpens,
         IDS_OPTION_USE_SYSTEM_ASSOCIATIONS, 0, 0, 0, 0, &O::UseSystemAssociations},
        {L"Options", L"ParamsMode", K::Ranged, L"1", R::OptionCache, P::Options, G::WhatOpens,
         IDS_OPTION_PARAMS_MODE, 0, 1, IDS_PARAMS_MODE_0, IDS_PARAMS_MODE_OTHER, nullptr, &O::ParamsMode},
        {L"Options", L"ParamsByExtMode", K::Ranged, L"0", R::OptionCache, P::Options, G::WhatOpens,
         IDS_OPTION_PARAMS_BY_EXT_MODE, 0, 2, IDS_PARAMS_BY_EXT_MODE_0, IDS_PARAMS_BY_EXT_MODE_OTHER, nullptr,
         &O::ParamsByExtMode},
        {L"Options", L"ListerState", K::Ranged, L"1", R::OptionCache, P::Options, G::ViewerWindow,
         IDS_OPTION_LISTER_STATE, 0, 2, IDS_LISTER_STATE_0, IDS_LISTER_STATE_OTHER, nullptr, &O::ListerState},
        {L"Options", L"NextPlugin", K::Flag, L"1", R::OptionCache, P::Options, G::ViewerWindow,
         IDS_OPTION_NEXT_PLUGIN, 0, 0, 0, 0, &O::NextPlugin},
        {L"Options", L"KeepChangedCopies", K::Flag, L"1", R::OptionCache, P::Options, G::ChangedCopies,
         IDS_OPTION_KEEP_CHANGED_COPIES, 0, 0, 0, 0, &O::KeepChangedCopies},
        {L"Options", L"ChangedCopiesFolder", K::Text, L"", R::AtUse, P::Options, G::ChangedCopies,
         IDS_OPTION_CHANGED_COPIES_FOLDER},
        {L"Options", L"CopySearchTextToClip", K::Flag, L"1", R::OptionCache, P::Options, G::Reading,
         IDS_OPTION_COPY_SEARCH_TEXT, 0, 0, 0, 0, &O::CopySearchTextToClip},
        {L"Options", L"ReadOptionsEveryTime", K::Flag, L"0", R::AtUse, P::Options, G::Reading,
         IDS_OPTION_READ_OPTIONS_EVERY_TIME},
        {L"Options", L"Language", K::Language, L"", R::AtUse, P::Options, G::Language, IDS_OPTION_LANGUAGE},
        {L"Options", L"DefaultEditor", K::Text, L"notepad", R::AtUse, P::Applications, G::DefaultEditor,
         IDS_OPTION_DEFAULT_EDITOR},
        {L"Options", L"DefaultEditor_params", K::Template, L"", R::AtUse, P::Applications, G::DefaultEditor,
         IDS_OPTION_DEFAULT_EDITOR_PARAMS},
        {L"HotKeys", L"AppFromLister_key", K::KeyCode, L"", R::PresenceCached, P::Hotkeys,
         G::ConfiguredApplication, IDS_OPTION_APP_FROM_LISTER, 0, 0, 0, 0, &O::AppFromLister_key},
        {L"HotKeys", L"AppFromLister_mod", K::Modifiers, L"", R::AtUse, P::Hotkeys, G::ConfiguredApplication,
         IDS_OPTION_MODIFIERS},
        {L"HotKeys", L"DefSysAppFromLister_key", K::KeyCode, L"", R::PresenceCached, P::Hotkeys,
         G::SystemAssociation, IDS_OPTION_DEF_SYS_APP_FROM_LISTER, 0, 0, 0, 0, &O::DefSysAppFromLister_key},
        {L"HotKeys", L"DefSysAppFromLister_mod", K::Modifiers, L"", R::AtUse, P::Hotkeys,
         G::SystemAssociation, IDS_OPTION_MODIFIERS},
        {L"HotKeys", L"ChooseAppFromLister_key", K::KeyCode, L"", R::PresenceCached, P::Hotkeys,
         G::ApplicationMenu, IDS_OPTION_CHOOSE_APP_FROM_LISTER, 0, 0, 0, 0, &O::ChooseAppFromLister_key},
        {L"HotKeys", L"ChooseAppFromLister_mod", K::Modifiers, L"", R::AtUse, P::Hotkeys, G::ApplicationMenu,
         IDS_OPTION_MODIFIERS},
        // Where the Find Files dialog's controls are looked for, as positions at 100 %.
        {L"TCPos", L"IsSearchTextLeft", K::Number, L"5", R::AtUse},
        {L"TCPos", L"IsSearchTextTop", K::Number, L"116", R::AtUse},
        {L"TCPos", L"SearchTextLeft", K::Number, L"85", R::AtUse},
        {L"TCPos", L"SearchTextTop", K::Number, L"114", R::AtUse},
    };
}

} // namespace

int DefaultNumber(const OptionRow& row) {
    return static_cast<int>(std::wcstol(row.defaultText, nullptr, 10));
}

unsigned GroupHeading(OptionGroup group) {
    switch (group) {
    case OptionGroup::None: break;
    case OptionGroup::WhereItActs: return IDS_GROUP_WHERE_IT_ACTS;
    case OptionGroup::WhatOpens: return IDS_GROUP_WHAT_OPENS;
    case OptionGroup::ViewerWindow: return IDS_GROUP_VIEWER_WINDOW;
    case OptionGroup::ChangedCopies: return IDS_GROUP_CHANGED_COPIES;
    case OptionGroup::Reading: return IDS_GROUP_READING;
    case OptionGroup::Language: return IDS_GROUP_LANGUAGE;
    case OptionGroup::DefaultEditor: return IDS_GROUP_DEFAULT_EDITOR;
    case OptionGroup::ConfiguredApplication: return IDS_GROUP_CONFIGURED_APPLICATION;
    case OptionGroup::SystemAssociation: return IDS_GROUP_SYSTEM_ASSOCIATION;
    case OptionGroup::ApplicationMenu: return IDS_GROUP_APPLICATION_MENU;
    }
    return 0;
}

const std::vector<OptionRow>& OptionTable() {
    static const std::vector<OptionRow> rows = Rows();
    return rows;
}

const std::vector<const wchar_t*>& KnownSections() {
    static const std::vector<const wchar_t*> sections = {L"Options", L"HotKeys", L"Editor", L"Types",
                                                         L"TCPos"};
    return sections;
}

const OptionRow* FindOption(std::wstring_view section, std::wstring_view name) {
    for (const OptionRow& row : OptionTable())
        if (SameName(row.section, section) && SameName(row.name, name)) return &row;
    return nullptr;
}

std::vector<std::wstring> OptionNames(std::wstring_view section) {
    std::vector<std::wstring> names;
    for (const OptionRow& row : OptionTable())
        if (SameName(row.section, section)) names.emplace_back(row.name);
    return names;
}

unsigned MeaningOf(const OptionRow& row, int value) {
    if (row.kind != ValueKind::Ranged || value < row.low || value > row.high) return 0;
    return row.firstMeaning + static_cast<unsigned>(value - row.low);
}

int OptionDefaultNumber(std::wstring_view section, std::wstring_view name) {
    const OptionRow* row = FindOption(section, name);
    return row ? DefaultNumber(*row) : 0;
}

} // namespace config
