// The pages made from the key table (where the plugin acts, its options, its hotkeys): their controls,
// laid out for the texts of the language shown.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/keys.h"
#include "settings/layout.h"

namespace settings {

// The controls of a key: its check box or label (main), its drop-down, box or hotkey (second), its
// Off box or key name (off), and what it holds now (state). Their ids: IDC_GENERATED + 4 * the key's
// index in the table + the part.
enum Part { kMain = 0, kSecond = 1, kOff = 2, kState = 3 };
int KeyControlId(size_t index, Part part);
// The table index and part of such a control's id; false for any other id.
bool KeyControlOf(int id, size_t& index, Part& part);

// What a key does, as its check box, label or hotkey says it.
std::wstring ExplanationOf(const KnownKey& key);

// The items of a key's drop-down (a Ranged key's values, the languages) with their data: a value, or the
// place in config::PresentLanguages() plus 1 (0: the display language).
struct DropDownItem {
    std::wstring text;
    LPARAM data;
};
std::vector<DropDownItem> ItemsOf(const KnownKey& key);

// A control of such a page, placed in dialog units.
struct KeyControl {
    const wchar_t* cls;
    std::wstring text;
    DWORD style;
    int id;
    RECT units;
};
struct KeyPageLayout {
    std::vector<KeyControl> controls;
    SIZE units{}; // what the page needs
};
// At least width dialog units wide (with its margins), wider when its drop-downs need it.
KeyPageLayout LayOutKeyPage(config::OptionPage page, const TextMeasure& measure, int width = 420);
// The controls of page made on the dialog window, in its font.
void MakeKeyPage(HWND window, config::OptionPage page, int width = 420);

} // namespace settings
