// The applications the menu of the third hotkey offers for a file: the two hotkeys' applications, the
// system's "Open with" list for the extension, and the default editor, each program once, with the
// labels the menu shows and what choosing each starts. The text rules (the recent-choice order, one
// place per program, the labels) are pure functions of open_with_text.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace config {

// The menu lists at most this many applications.
constexpr size_t kMaxOpenWithChoices = 20;

// Where an application of the menu comes from, in the menu's order.
enum class OpenWithSource {
    FirstHotkey,         // what AppFromLister starts
    SystemAssociation,   // what DefSysAppFromLister starts
    UserOpenWithList,    // the user's recent choices (FileExts\.ext\OpenWithList, MRUList order)
    UserOpenWithProgids, // the user's FileExts\.ext\OpenWithProgids
    OpenWithProgids,     // HKEY_CLASSES_ROOT\.ext\OpenWithProgids
    OpenWithList,        // HKEY_CLASSES_ROOT\.ext\OpenWithList, under HKEY_CLASSES_ROOT\Applications
    DefaultEditor,       // [Options] DefaultEditor
};

// One application of the menu and how choosing it starts it: commandLine as a command line
// (StartApplication), or, when it is empty, the file through the shell with shellClass (a class, or
// "Applications\name"; empty: the file's own association).
struct OpenWithChoice {
    OpenWithSource source = OpenWithSource::FirstHotkey;
    std::wstring label;
    std::wstring program;
    std::wstring commandLine;
    std::wstring shellClass;
};

// The applications for file, in the menu's order, without a message box. Empty when the file does not
// exist or nothing resolves to a program.
std::vector<OpenWithChoice> ListOpenWithChoices(const std::wstring& file);

// The pure rules.

// The applications of a user's OpenWithList (its values, name and text): those that mruList names (a
// letter per value, most recent first), then those it does not name, in the given order; each value
// once, empty texts left out.
std::vector<std::wstring> OrderByMruList(const std::wstring& mruList,
                                         const std::vector<std::pair<std::wstring, std::wstring>>& values);

// The places of the first entry of each program, in order: a program whose path equals an earlier
// one's without regard to letter case keeps only its first place.
std::vector<size_t> FirstPlaceOfEachProgram(const std::vector<std::wstring>& programs);

// The menu's texts for programs and the descriptions of their version resources: the description,
// else the file name without its extension; two that would read alike (without regard to letter case)
// get the file name in parentheses behind it, or the whole path where the file names read alike too.
std::vector<std::wstring> MenuLabels(const std::vector<std::wstring>& programs,
                                     const std::vector<std::wstring>& descriptions);
// A label as a menu item's text: "&" doubled, so that it shows instead of marking a mnemonic.
std::wstring MenuItemText(std::wstring label);

// The "FileDescription" of a program's version resource (the VS_VERSIONINFO block as the file holds
// it), from the first translation the block lists that has one, else US English in Unicode or the
// Windows code page, else any; without surrounding blanks. Empty for a block that is malformed or has
// none: whatever the bytes, nothing outside data[0, size) is read.
std::wstring DescriptionInVersionResource(const uint8_t* data, size_t size);

} // namespace config
