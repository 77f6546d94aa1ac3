// The pure text rules of the host interaction: splitting an entry's text, taking the file name out of
// a file-panel entry by get-text mode, and reading a hotkey's modifier text. No platform call here, so
// these can be driven natively (tests, fuzzing) without windows.h.
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
