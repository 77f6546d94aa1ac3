// Every settings key the settings window shows, in one table: where it stands on which page, its
// explanation, the meanings of its values and when the plugin reads it. What kind of value a key takes,
// its range and what the plugin does outside it come from the checker's table of the keys the plugin
// reads. No platform call here.
#pragma once

#include <string>
#include <vector>

#include "checker/ini_check.h"

namespace settings {

// When the plugin reads a key, which decides when a saved change takes effect.
enum class ReadTime {
    OptionCache,   // at the first file viewed after the file manager starts (or every file with
                   // ReadOptionsEveryTime=1)
    AtUse,         // each time it is used
    PresenceCached // the value at each use, but whether it is set at all with the option cache
};

struct Meaning {
    int value;
    std::wstring text; // "1: closed"
};

enum class Page { Applications, WhereItActs, Options, Hotkeys };

struct KnownKey {
    const wchar_t* section;
    const wchar_t* name;
    const wchar_t* defaultText; // what the plugin's reader takes when the key is not written
    ReadTime read;
    Page page;
    unsigned group;             // the heading it stands under on its page (a text's id)
    const wchar_t* explanation; // the guide's one line: what the checked box, the drop-down or the key does
    std::vector<const wchar_t*> meaningTexts = {}; // Ranged: what low, low + 1, ... high do
    // From the checker's table.
    checker::ValueKind kind = checker::ValueKind::Text;
    std::vector<Meaning> meanings = {}; // Ranged: the values the plugin acts on, low to high
    const wchar_t* otherValues = L"";   // Ranged: what the plugin does with any other value
};

const std::vector<KnownKey>& KnownKeys();
// nullptr for a key the table does not hold; names match without regard to letter case.
const KnownKey* FindKnownKey(const std::wstring& section, const std::wstring& name);
// The modifier key of a hotkey's code key ("AppFromLister_key" gives "AppFromLister_mod").
std::wstring ModifierKeyOf(const std::wstring& codeKey);

} // namespace settings
