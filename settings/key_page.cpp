#include "settings/key_page.h"

#include <commctrl.h>

#include <algorithm>

#include "settings/entries.h"
#include "settings/resource.h"
#include "settings/texts.h"

namespace settings {

int KeyControlId(size_t index, Part part) {
    return IDC_GENERATED + 4 * static_cast<int>(index) + part;
}

bool KeyControlOf(int id, size_t& index, Part& part) {
    if (id < IDC_GENERATED || id >= IDC_GENERATED + 4 * static_cast<int>(KnownKeys().size())) return false;
    index = static_cast<size_t>((id - IDC_GENERATED) / 4);
    part = static_cast<Part>((id - IDC_GENERATED) % 4);
    return true;
}

namespace {

HWND MakeControl(HWND page, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
                 const RECT& r) {
    const HWND control =
        CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE)), nullptr);
    SendMessageW(control, WM_SETFONT, SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
    return control;
}

} // namespace

std::wstring ExplanationOf(const KnownKey& key) {
    return key.explanation;
}

// Room in dialog units beside a check box's text for its box, and the width of the column of key names.
constexpr int kCheckBoxRoom = 14, kNameColumn = 94;

// The controls of a page in the table's order, which is the order of Tab; a group box comes before
// what it holds. Texts are measured, so that each language's fits: a check box's text that is too long
// for one line takes more, labels of drop-downs and boxes make a column as wide as the widest. Laid out
// once: these pages are as tall as their keys, and the window never gets smaller than the tallest
// (MinimumTrackSize).
KeyPageLayout LayOutKeyPage(Page kind, const TextMeasure& measure) {
    KeyPageLayout page;
    std::wstring taken = Text(IDS_SETTINGS_MNEMONICS);
    const int right = 416, names = right - 4 - kNameColumn; // the key names' column starts at names
    int labels = 96;                                        // the labels' column, from 12 (4 for hotkeys)
    for (const KnownKey& key : KnownKeys())
        if (key.page == kind && key.kind != checker::ValueKind::Flag &&
            key.kind != checker::ValueKind::Modifiers)
            labels = std::max(labels,
                              measure.Width(Text(IDS_SETTINGS_LABEL, {key.kind == checker::ValueKind::KeyCode
                                                                          ? Text(key.group)
                                                                          : ExplanationOf(key)})));
    labels = std::min(labels + 2, 200);
    int y = 4;
    unsigned group = 0;
    size_t groupBox = SIZE_MAX;
    auto add = [&](const wchar_t* cls, const std::wstring& text, DWORD style, int id, int x, int top,
                   int width, int height) {
        page.controls.push_back({cls, text, style, id, {x, top, x + width, top + height}});
    };
    auto closeGroup = [&]() {
        if (groupBox == SIZE_MAX) return;
        page.controls[groupBox].units.bottom = y + 2;
        groupBox = SIZE_MAX;
        y += 8;
    };
    for (size_t i = 0; i < KnownKeys().size(); ++i) {
        const KnownKey& key = KnownKeys()[i];
        if (key.page != kind || key.kind == checker::ValueKind::Modifiers) continue;
        if (group != key.group) {
            closeGroup();
            group = key.group;
            if (kind != Page::Hotkeys) {
                groupBox = page.controls.size();
                add(WC_BUTTON, Text(group), BS_GROUPBOX, -1, 4, y, right - 4, 20);
                y += 12;
            }
        }
        const std::wstring name = key.name;
        const int field = 12 + labels + 2; // where drop-downs and boxes begin
        switch (key.kind) {
        case checker::ValueKind::Flag: {
            const std::wstring text = WithMnemonic(ExplanationOf(key), taken);
            const int width = names - 6 - 12;
            const int lines =
                measure.Width(text) + kCheckBoxRoom <= width ? 1 : measure.Lines(text, width - kCheckBoxRoom);
            add(WC_BUTTON, text, BS_AUTOCHECKBOX | WS_TABSTOP | (lines > 1 ? BS_MULTILINE | BS_TOP : 0),
                KeyControlId(i, kMain), 12, y, width, 8 * lines + 2);
            add(WC_STATIC, name, SS_NOPREFIX, KeyControlId(i, kState), names, y + 1, kNameColumn, 9);
            y += 8 * lines + 4;
            break;
        }
        case checker::ValueKind::Ranged:
            add(WC_STATIC, Text(IDS_SETTINGS_LABEL, {WithMnemonic(ExplanationOf(key), taken)}), 0,
                KeyControlId(i, kMain), 12, y + 2, labels, 9);
            add(WC_COMBOBOX, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, KeyControlId(i, kSecond), field,
                y, names - 6 - field, 80);
            add(WC_STATIC, name, SS_NOPREFIX, KeyControlId(i, kState), names, y + 2, kNameColumn, 9);
            y += 16;
            break;
        case checker::ValueKind::Text:
            add(WC_STATIC, Text(IDS_SETTINGS_LABEL, {WithMnemonic(ExplanationOf(key), taken)}), 0,
                KeyControlId(i, kMain), 12, y + 2, labels, 9);
            add(WC_EDIT, L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, KeyControlId(i, kSecond), field, y,
                names - 6 - field, 12);
            add(WC_STATIC, name, SS_NOPREFIX, KeyControlId(i, kOff), names, y + 2, kNameColumn, 9);
            add(WC_STATIC, L"", SS_NOPREFIX | SS_PATHELLIPSIS, KeyControlId(i, kState), field, y + 14,
                right - 4 - field, 9);
            y += 26;
            break;
        case checker::ValueKind::KeyCode: {
            const int box = 4 + labels + 2, off = box + 110 + 6;
            const std::wstring offText = Text(IDS_SETTINGS_HOTKEY_OFF_BOX);
            add(WC_STATIC, Text(IDS_SETTINGS_LABEL, {WithMnemonic(Text(key.group), taken)}), 0,
                KeyControlId(i, kMain), 4, y + 2, labels, 9);
            add(HOTKEY_CLASSW, L"", WS_BORDER | WS_TABSTOP, KeyControlId(i, kSecond), box, y, 110, 12);
            add(WC_BUTTON, offText, BS_AUTOCHECKBOX | WS_TABSTOP, KeyControlId(i, kOff), off, y + 1,
                measure.Width(offText) + kCheckBoxRoom, 10);
            // Its explanation and the key as the plugin reads it: three lines in the longer languages.
            add(WC_STATIC, L"", SS_NOPREFIX, KeyControlId(i, kState), box, y + 15, right - box, 26);
            y += 46;
            break;
        }
        default: break;
        }
    }
    closeGroup();
    const std::wstring note =
        Text(kind == Page::Hotkeys ? IDS_SETTINGS_NOTE_HOTKEYS : IDS_SETTINGS_NOTE_OPTIONS);
    const int noteHeight = 8 * measure.Lines(note, right - 4) + 2;
    add(WC_STATIC, note, SS_NOPREFIX, -1, 4, y, right - 4, noteHeight);
    page.units = {right + 4, y + noteHeight + 4};
    return page;
}

void MakeKeyPage(HWND window, Page page) {
    const TextMeasure measure(window);
    for (const KeyControl& c : LayOutKeyPage(page, measure).controls) {
        const RECT& u = c.units;
        MakeControl(window, c.cls, c.text, c.style, c.id,
                    DialogUnits(window, u.left, u.top, u.right - u.left, u.bottom - u.top));
    }
}

} // namespace settings
