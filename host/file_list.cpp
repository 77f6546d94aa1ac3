#include "host/file_list.h"

#include <cstdlib>
#include <optional>

#include "config/ini.h"
#include "host/host_text.h"
#include "shared/host_names.h"
#include "shared/state.h"
#include "win/text.h"
#include "win/window.h"

namespace {

// Larger entries are not file names; refusing them keeps one odd entry from costing the host memory.
constexpr LRESULT kEntryLengthLimit = 1 << 24;

// The text of entry index, or nothing when the list box cannot give it. LB_GETTEXT takes no buffer
// size, and the length query may under-report (the entry changed in between, or a control that
// counts differently), so the buffer has generous room, and a text longer than that room is queried
// again rather than read past.
std::optional<std::wstring> ListBoxEntryText(HWND listBox, int index) {
    LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (length <= 0 || length > kEntryLengthLimit) return std::nullopt;
        const size_t room = static_cast<size_t>(length) * 2 + 64;
        std::wstring buffer(room, L'\0');
        const LRESULT got = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(buffer.data()));
        if (got <= 0) return std::nullopt;
        if (static_cast<size_t>(got) < room) {
            buffer.resize(win::BoundedLength(buffer.c_str(), static_cast<size_t>(got)));
            return buffer;
        }
        length = got;
    }
    return std::nullopt;
}

bool Near(int value, int configured) {
    return std::abs(value - configured) <= 5;
}

// Whether the control's normal-position top-left lies within 5 of the configured place in [TCPos];
// the two values are read at every candidate so that edits apply at once.
bool IsAtConfiguredPlace(HWND control, const wchar_t* leftKey, int leftDefault, const wchar_t* topKey,
                         int topDefault) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(control, &placement)) return false;
    const int left = config::IniReadInt(OptionsIniName, L"TCPos", leftKey, leftDefault);
    const int top = config::IniReadInt(OptionsIniName, L"TCPos", topKey, topDefault);
    return Near(placement.rcNormalPosition.left, left) && Near(placement.rcNormalPosition.top, top);
}

// The combo box's text as the dialog shows it, at most 255 units.
void ReadSearchText(HWND combo) {
    constexpr int kTaken = 256; // units with the terminator
    wchar_t text[kTaken] = {};
    const int n = GetWindowTextW(combo, text, kTaken);
    win::CopyTo(SearchText, kTaken, std::wstring_view(text, n > 0 ? static_cast<size_t>(n) : 0));
}

} // namespace

void FileToListByIndex(int index, std::vector<std::wstring>& files, HWND listBox, int mode) {
    try {
        const std::optional<std::wstring> text = ListBoxEntryText(listBox, index);
        if (!text) return;
        const std::optional<std::wstring> name = NameFromEntryText(*text, mode);
        // An empty name would become the panel's own folder once the directory is put in front of it.
        if (name && !name->empty()) files.push_back(*name);
    } catch (...) {
        // Out of memory for one entry: it adds nothing.
    }
}

BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam) {
    try {
        const std::wstring className = win::ClassNameOf(hwnd);
        if (lParam != 0) return TRUE;
        if (className == TCCheckBoxClasName &&
            IsAtConfiguredPlace(hwnd, L"IsSearchTextLeft", 5, L"IsSearchTextTop", 116)) {
            // Checked and indeterminate both count.
            OptionSearchText = SendMessageW(hwnd, BM_GETCHECK, 0, 0) != 0;
        }
        if ((className == TCComboBoxClasName || className == kOldComboBoxClassName) &&
            IsAtConfiguredPlace(hwnd, L"SearchTextLeft", 85, L"SearchTextTop", 114)) {
            ReadSearchText(hwnd);
        }
    } catch (...) {
    }
    return TRUE;
}
