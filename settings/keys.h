// The keys the settings window shows and edits: the rows of the one table of options
// (config/option_table.h), which gives each its kind, default, range, page, group and texts.
#pragma once

#include <string>
#include <vector>

#include "config/option_table.h"

namespace settings {

using KnownKey = config::OptionRow;

// Every key of the table, in the order the window shows them.
inline const std::vector<KnownKey>& KnownKeys() {
    return config::OptionTable();
}
// nullptr for a key the table does not hold; names match without regard to letter case.
inline const KnownKey* FindKnownKey(const std::wstring& section, const std::wstring& name) {
    return config::FindOption(section, name);
}
// The modifier key of a hotkey's code key ("AppFromLister_key" gives "AppFromLister_mod").
inline std::wstring ModifierKeyOf(const std::wstring& codeKey) {
    return codeKey.substr(0, codeKey.size() >= 4 ? codeKey.size() - 4 : 0) + L"_mod";
}

} // namespace settings
