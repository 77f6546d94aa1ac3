#include "settings/key_page.h"

#include <commctrl.h>

#include <algorithm>

#include "config/languages.h"
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
    return Text(key.explanation);
}

std::vector<DropDownItem> ItemsOf(const KnownKey& key) {
    std::vector<DropDownItem> items;
    if (key.kind == config::ValueKind::Ranged)
        for (int value = key.low; value <= key.high; ++value)
            items.push_back(
                {Text(IDS_SETTINGS_MEANING, {std::to_wstring(value), Text(config::MeaningOf(key, value))}),
                 value});
    if (key.kind == config::ValueKind::Language) {
        items.push_back({Text(IDS_SETTINGS_DISPLAY_LANGUAGE), 0});
        const std::vector<config::Language> languages = config::PresentLanguages();
        for (size_t n = 0; n < languages.size(); ++n)
            items.push_back({languages[n].name, static_cast<LPARAM>(n + 1)});
    }
    return items;
}

// Room in dialog units beside a check box's text for its box, beside a drop-down's text for its
// button, and the width of the column of key names.
constexpr int kCheckBoxRoom = 14, kDropDownRoom = 20, kNameColumn = 94;

// The controls of a page in the table's order, which is the order of Tab; a group box comes before
// what it holds. Texts are measured, so that each language's fits: the labels of drop-downs and boxes
// make a column as wide as the widest up to a bound, and a label or check box too long for its line
// takes more lines; drop-downs are as wide as their longest item, and the page as wide as they need.
// Laid out once: these pages are as tall as their keys, and the window never gets smaller than the
// largest (MinimumTrackSize).
KeyPageLayout LayOutKeyPage(config::OptionPage kind, const TextMeasure& measure, int width) {
    KeyPageLayout page;
    std::wstring taken = Text(IDS_SETTINGS_MNEMONICS);
    int labels = 96, fields = 188; // the labels' column, from 12 (4 for hotkeys), and the fields' after it
    for (const KnownKey& key : KnownKeys()) {
        if (key.page != kind || key.kind == config::ValueKind::Flag ||
            key.kind == config::ValueKind::Modifiers)
            continue;
        labels = std::max(labels,
                          measure.Width(Text(IDS_SETTINGS_LABEL, {key.kind == config::ValueKind::KeyCode
                                                                      ? Text(config::GroupHeading(key.group))
                                                                      : ExplanationOf(key)})));
        for (const DropDownItem& item : ItemsOf(key))
            fields = std::max(fields, measure.Width(item.text) + kDropDownRoom);
    }
    labels = std::min(labels + 2, 150);
    const int field = 12 + labels + 2; // where drop-downs and boxes begin
    const int names = std::max(width - 8 - kNameColumn, field + fields + 6); // the key names' column
    const int right = names + kNameColumn + 4;
    // A label wider than its column takes more lines, and its row more height.
    auto labelLines = [&](const std::wstring& label) {
        return measure.Width(label) <= labels ? 1 : measure.Lines(label, labels);
    };
    int y = 4;
    config::OptionGroup group = config::OptionGroup::None;
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
        if (key.page != kind || key.kind == config::ValueKind::Modifiers) continue;
        if (group != key.group) {
            closeGroup();
            group = key.group;
            if (kind != config::OptionPage::Hotkeys) {
                groupBox = page.controls.size();
                add(WC_BUTTON, Text(config::GroupHeading(group)), BS_GROUPBOX, -1, 4, y, right - 4, 20);
                y += 12;
            }
        }
        const std::wstring name = key.name;
        switch (key.kind) {
        case config::ValueKind::Flag: {
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
        case config::ValueKind::Ranged:
        case config::ValueKind::Language: {
            const std::wstring label = Text(IDS_SETTINGS_LABEL, {WithMnemonic(ExplanationOf(key), taken)});
            const int lines = labelLines(label);
            add(WC_STATIC, label, 0, KeyControlId(i, kMain), 12, y + 2, labels, 8 * lines + 1);
            add(WC_COMBOBOX, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, KeyControlId(i, kSecond), field,
                y, names - 6 - field, 80);
            add(WC_STATIC, name, SS_NOPREFIX, KeyControlId(i, kState), names, y + 2, kNameColumn, 9);
            y += std::max(16, 8 * lines + 6);
            break;
        }
        case config::ValueKind::Text:
            add(WC_STATIC, Text(IDS_SETTINGS_LABEL, {WithMnemonic(ExplanationOf(key), taken)}), 0,
                KeyControlId(i, kMain), 12, y + 2, labels,
                8 * labelLines(Text(IDS_SETTINGS_LABEL, {ExplanationOf(key)})) + 1);
            add(WC_EDIT, L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, KeyControlId(i, kSecond), field, y,
                names - 6 - field, 12);
            add(WC_STATIC, name, SS_NOPREFIX, KeyControlId(i, kOff), names, y + 2, kNameColumn, 9);
            add(WC_STATIC, L"", SS_NOPREFIX | SS_PATHELLIPSIS, KeyControlId(i, kState), field, y + 14,
                right - 4 - field, 9);
            y += 26;
            break;
        case config::ValueKind::KeyCode: {
            const int box = 4 + labels + 2, off = box + 110 + 6;
            const std::wstring offText = Text(IDS_SETTINGS_HOTKEY_OFF_BOX);
            add(WC_STATIC,
                Text(IDS_SETTINGS_LABEL, {WithMnemonic(Text(config::GroupHeading(key.group)), taken)}), 0,
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
        Text(kind == config::OptionPage::Hotkeys ? IDS_SETTINGS_NOTE_HOTKEYS : IDS_SETTINGS_NOTE_OPTIONS);
    const int noteHeight = 8 * measure.Lines(note, right - 4) + 2;
    add(WC_STATIC, note, SS_NOPREFIX, -1, 4, y, right - 4, noteHeight);
    page.units = {right + 4, y + noteHeight + 4};
    return page;
}

void MakeKeyPage(HWND window, config::OptionPage page, int width) {
    const TextMeasure measure(window);
    for (const KeyControl& c : LayOutKeyPage(page, measure, width).controls) {
        const RECT& u = c.units;
        MakeControl(window, c.cls, c.text, c.style, c.id,
                    DialogUnits(window, u.left, u.top, u.right - u.left, u.bottom - u.top));
    }
}

} // namespace settings
