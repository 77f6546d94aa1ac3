// The one table of the keys the plugin reads in its fixed sections ([Options], [HotKeys], [TCPos]): for
// each its kind, default and range, the texts that explain it, when the plugin reads it and where the
// settings window shows it. The option cache, the checker and the settings window all read it; no
// platform call here (config/options.h reads a key with the table's default).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/options.h"

namespace config {

// What the plugin does with a key's value.
enum class ValueKind {
    Flag,      // any number but 0 is on
    Number,    // any decimal number
    Ranged,    // low..high; outside says what the plugin does with any other value
    KeyCode,   // a virtual-key code; empty: the hotkey is off
    Modifiers, // the letters S, C and A
    Text,      // an application, a folder
    Template,  // a parameter template
    Language,  // the code of a language of the texts ("de"); empty: the user's display language
};

// When the plugin reads a key, which decides when a saved change takes effect.
enum class ReadTime {
    OptionCache,   // at the first file viewed after the file manager starts (or every file with
                   // ReadOptionsEveryTime=1)
    AtUse,         // each time it is used
    PresenceCached // the value at each use, but whether it is set at all with the option cache
};

// Where the settings window shows a key.
enum class OptionPage { None, Applications, WhereItActs, Options, Hotkeys };
// The heading a key stands under on its page.
enum class OptionGroup {
    None,
    WhereItActs,
    WhatOpens,
    ViewerWindow,
    ChangedCopies,
    Reading,
    Language,
    DefaultEditor,
    ConfiguredApplication,
    SystemAssociation,
    ApplicationMenu,
};
// The string id of a group's heading; 0 for None.
unsigned GroupHeading(OptionGroup group);

struct OptionRow {
    const wchar_t* section;
    const wchar_t* name;
    ValueKind kind;
    const wchar_t* defaultText; // what the plugin's reader takes when the key is not written
    ReadTime read;
    OptionPage page = OptionPage::None;
    OptionGroup group = OptionGroup::None;
    unsigned explanation = 0; // string id: what the checked box, the drop-down or the key does
    int low = 0;              // Ranged: the values the plugin acts on
    int high = 0;
    unsigned firstMeaning = 0; // Ranged: string id of what low does; low + 1 ... have the ids after it
    unsigned outside = 0;      // Ranged: string id of what the plugin does with any other value
    // Where the option cache keeps the value: a flag, or whether a hotkey's code is written at all.
    bool TTolvanierOptions::*cachedFlag = nullptr;
    int32_t TTolvanierOptions::*cachedNumber = nullptr;
};

// Every key, in the order the settings window shows them.
const std::vector<OptionRow>& OptionTable();
// The sections the plugin reads: the fixed ones, [Editor] and [Types].
const std::vector<const wchar_t*>& KnownSections();
// The row of a key; nullptr for a key the plugin does not read, and for every key of [Editor] and
// [Types], which have no fixed keys. Names match without regard to letter case.
const OptionRow* FindOption(std::wstring_view section, std::wstring_view name);
// The names of a section's keys, in the table's order.
std::vector<std::wstring> OptionNames(std::wstring_view section);
// The string id of what a Ranged key's value does; 0 outside its range.
unsigned MeaningOf(const OptionRow& row, int value);
// The number a key's default stands for (0 for a key not in the table, or one without a number).
int DefaultNumber(const OptionRow& row);
int OptionDefaultNumber(std::wstring_view section, std::wstring_view name);

} // namespace config
