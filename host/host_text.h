// The pure rules of the host interaction: splitting an entry's text, taking the file name out of a
// file-panel entry by get-text mode, reading a hotkey's modifier text, and the places of the Find
// Files controls at a screen's scale. No platform call here, so these can be driven natively (tests,
// fuzzing) without windows.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Splits text at every occurrence of separator into out (see host/file_list.h).
//   clearFirst:       empty out before the split; otherwise append.
//   keepEmpty:        keep empty fields; otherwise drop them.
//   keepLeadingEmpty: with keepEmpty, an empty field is kept only once out holds something.
// The remainder after the last separator follows the same rules as every other field. An empty
// separator never matches: the whole text is one field.
void SplitString(std::vector<std::wstring>& out, std::wstring text, std::wstring separator, bool keepEmpty,
                 bool keepLeadingEmpty, bool clearFirst);

// The name that a file-panel entry holds under the host's get-text mode (0 to 5), exactly as the
// host's format gives it, which may be empty. Any other mode gives nothing.
std::optional<std::wstring> NameFromEntryText(const std::wstring& entryText, int mode);

// The modifier keys a hotkey's modifier text asks for: "S" Shift, "C" Ctrl, "A" Alt, upper case
// only, in any order; every other character is ignored.
struct ModifierSpec {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool operator==(const ModifierSpec&) const = default;
};
ModifierSpec ParseModifierSpec(const std::wstring& spec);

// The Find Files controls' places in [TCPos] are places at 100 % (96 dots per inch), as users wrote
// them. A control at left, top matches within kPositionTolerance of that place, or of the place scaled
// by dpi / 96 with the tolerance scaled alike: a host scales its dialogs with the screen.
constexpr int kPositionDpi = 96;
constexpr int kPositionTolerance = 5;
bool IsAtPlaceAtDpi(int left, int top, int configuredLeft, int configuredTop, int dpi);

// A control's [TCPos] keys (their defaults stand in the table of options).
struct TCPosKeys {
    const wchar_t* leftKey;
    const wchar_t* topKey;
};
inline constexpr TCPosKeys kSearchTextCheckBoxPos{L"IsSearchTextLeft", L"IsSearchTextTop"};
inline constexpr TCPosKeys kSearchTextComboPos{L"SearchTextLeft", L"SearchTextTop"};
