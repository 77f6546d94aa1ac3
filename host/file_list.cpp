#include "host/file_list.h"

#include <optional>

#include "config/options.h"
#include "host/host_text.h"
#include "shared/host_names.h"
#include "shared/state.h"
#include "win/handles.h"
#include "win/library.h"
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

// The density of the dialog's own window where the system offers it (Windows 10 1607 and later: looked
// up at run time, so that the module still loads on older systems), else the screen's; 96 is 100 %.
// A dialog of a per-monitor aware host has its monitor's density; the screen's is the system's.
int DialogDpi(HWND control) {
    constexpr int kMaxDpi = kPositionDpi * 16; // beyond any screen: an answer above it is no density
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        win::ProcedureOf<GetDpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    HWND dialog = GetAncestor(control, GA_ROOT);
    if (getDpiForWindow && dialog)
        if (const UINT dpi = getDpiForWindow(dialog); dpi > 0 && dpi <= UINT{kMaxDpi})
            return static_cast<int>(dpi);
    const win::UniqueScreenDc screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 && dpi <= kMaxDpi ? dpi : kPositionDpi;
}

// Whether the control's normal-position top-left matches the configured place in [TCPos] at the
// dialog's density; the two values are read at every candidate so that edits apply at once.
bool IsAtConfiguredPlace(HWND control, const TCPosKeys& keys) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(control, &placement)) return false;
    const int left = config::ReadOptionNumber(OptionsIniName, L"TCPos", keys.leftKey);
    const int top = config::ReadOptionNumber(OptionsIniName, L"TCPos", keys.topKey);
    return IsAtPlaceAtDpi(placement.rcNormalPosition.left, placement.rcNormalPosition.top, left, top,
                          DialogDpi(control));
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
        if (className == TCCheckBoxClasName && IsAtConfiguredPlace(hwnd, kSearchTextCheckBoxPos)) {
            // Checked and indeterminate both count.
            OptionSearchText = SendMessageW(hwnd, BM_GETCHECK, 0, 0) != 0;
        }
        if ((className == TCComboBoxClasName || className == kOldComboBoxClassName) &&
            IsAtConfiguredPlace(hwnd, kSearchTextComboPos)) {
            ReadSearchText(hwnd);
        }
    } catch (...) {
    }
    return TRUE;
}
