// Every settings key the settings window shows, in one table: where it lies, what kind of value it
// takes, what its values mean and when the plugin reads it. No platform call here.
#pragma once

#include <string>
#include <vector>

namespace settings {

enum class KeyKind {
    Flag,        // 0 or 1, shown as a check box
    Choice,      // one of a few numbers, shown as a drop-down of their meanings
    Application, // a program, edited in the application dialog
    Template,    // a parameter template, edited beside its application
    KeyCode,     // a hotkey's decimal virtual-key code; empty: the hotkey is off
    Modifiers,   // a hotkey's modifier letters S, C and A
};

// When the plugin reads a key, which decides when a saved change takes effect.
enum class ReadTime {
    OptionCache,   // at the first file viewed after the file manager starts (or every file with
                   // ReadOptionsEveryTime=1)
    AtUse,         // each time it is used
    PresenceCached // the value at each use, but whether it is set at all with the option cache
};

struct Meaning {
    int value;
    const wchar_t* text;
};

enum class Page { Applications, WhereItActs, Options, Hotkeys };

struct KnownKey {
    const wchar_t* section;
    const wchar_t* name;
    KeyKind kind;
    const wchar_t* defaultText; // what the plugin's reader takes when the key is not written
    ReadTime read;
    Page page;
    const wchar_t* group;       // the heading it stands under on its page
    const wchar_t* explanation; // the guide's one line: what the checked box, the drop-down or the key does
    std::vector<Meaning> meanings = {}; // Choice: the values the plugin acts on
    const wchar_t* otherValues = L"";   // Choice: what the plugin does with any other value
};

const std::vector<KnownKey>& KnownKeys();
// nullptr for a key the table does not hold; names match without regard to letter case.
const KnownKey* FindKnownKey(const std::wstring& section, const std::wstring& name);
// The modifier key of a hotkey's code key ("AppFromLister_key" gives "AppFromLister_mod").
std::wstring ModifierKeyOf(const std::wstring& codeKey);

} // namespace settings
