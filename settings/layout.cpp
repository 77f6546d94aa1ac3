#include "settings/layout.h"

#include <algorithm>
#include <iterator>

#include "settings/resource.h"

namespace settings {
namespace {

// What a control does with the room its dialog gains (or loses) across and down.
enum : unsigned { kMoveX = 1, kMoveY = 2, kGrowX = 4, kGrowY = 8 };

struct Anchor {
    int dialog;
    int control;
    unsigned how;
};

// Every resizable page and dialog; a control not named here keeps its place and size.
const Anchor kAnchors[] = {
    {IDD_MAIN, IDC_HEADER, kGrowX},
    {IDD_MAIN, IDC_NOTE, kGrowX},
    {IDD_MAIN, IDC_TABS, kGrowX | kGrowY},
    {IDD_MAIN, IDC_STATUS, kMoveY | kGrowX},
    {IDD_MAIN, IDC_SAVE, kMoveX | kMoveY},
    {IDD_MAIN, IDC_RELOAD, kMoveX | kMoveY},
    {IDD_MAIN, IDCANCEL, kMoveX | kMoveY},

    {IDD_PAGE_APPS, IDC_APPS_LABEL, kGrowX},
    {IDD_PAGE_APPS, IDC_APPLIST, kGrowX | kGrowY},
    {IDD_PAGE_APPS, IDC_APP_STATUS, kMoveY | kGrowX},
    {IDD_PAGE_APPS, IDC_ADD, kMoveY},
    {IDD_PAGE_APPS, IDC_EDIT, kMoveY},
    {IDD_PAGE_APPS, IDC_REMOVE, kMoveY},
    {IDD_PAGE_APPS, IDC_APPS_NOTE, kMoveY | kGrowX},
    {IDD_PAGE_APPS, IDC_DEFAULT_GROUP, kMoveY | kGrowX},
    {IDD_PAGE_APPS, IDC_DEFAULT_TEXT, kMoveY | kGrowX},
    {IDD_PAGE_APPS, IDC_DEFAULT_STATUS, kMoveY | kGrowX},
    {IDD_PAGE_APPS, IDC_DEFAULT_EDIT, kMoveX | kMoveY},

    {IDD_PAGE_TYPES, IDC_TYPES_LABEL, kGrowX},
    {IDD_PAGE_TYPES, IDC_TYPELIST, kGrowX | kGrowY},
    {IDD_PAGE_TYPES, IDC_TYPE_STATUS, kMoveY | kGrowX},
    {IDD_PAGE_TYPES, IDC_TYPE_ADD, kMoveY},
    {IDD_PAGE_TYPES, IDC_TYPE_EDIT, kMoveY},
    {IDD_PAGE_TYPES, IDC_TYPE_REMOVE, kMoveY},
    {IDD_PAGE_TYPES, IDC_TYPE_UP, kMoveY},
    {IDD_PAGE_TYPES, IDC_TYPE_DOWN, kMoveY},
    {IDD_PAGE_TYPES, IDC_TYPES_NOTE, kMoveY | kGrowX},

    {IDD_PAGE_CHECK, IDC_CHECK_LABEL, kGrowX},
    {IDD_PAGE_CHECK, IDC_REPORT, kGrowX | kGrowY},
    {IDD_PAGE_CHECK, IDC_TRY, kMoveY},
    {IDD_PAGE_CHECK, IDC_COPY, kMoveY},
    {IDD_PAGE_CHECK, IDC_RECHECK, kMoveY},

    {IDD_ENTRY, IDC_KEYS, kGrowX},
    {IDD_ENTRY, IDC_KEYS_HINT, kGrowX},
    {IDD_ENTRY, IDC_APP, kGrowX},
    {IDD_ENTRY, IDC_BROWSE, kMoveX},
    {IDD_ENTRY, IDC_APP_HINT, kGrowX},
    {IDD_ENTRY, IDC_PARAMS, kGrowX},
    {IDD_ENTRY, IDC_PARAMS_HINT, kGrowX},
    {IDD_ENTRY, IDC_WHERE, kGrowX},
    {IDD_ENTRY, IDC_PREVIEW_LABEL, 0}, // pushed down by a taller line above it
    {IDD_ENTRY, IDC_PREVIEW, kGrowX | kGrowY},
    {IDD_ENTRY, IDOK, kMoveX | kMoveY},
    {IDD_ENTRY, IDCANCEL, kMoveX | kMoveY},

    {IDD_TYPE, IDC_MASKS, kGrowX},
    {IDD_TYPE, IDC_MASKS_HINT, kGrowX},
    {IDD_TYPE, IDC_TYPE_HINT, kGrowX},
    {IDD_TYPE, IDC_CONDITIONS, kGrowX},
    {IDD_TYPE, IDC_CONDITIONS_HINT, kGrowX},
    {IDD_TYPE, IDC_TAKES, kGrowX | kGrowY},
    {IDD_TYPE, IDC_TYPE_TRY, kMoveY},
    {IDD_TYPE, IDOK, kMoveX | kMoveY},
    {IDD_TYPE, IDCANCEL, kMoveX | kMoveY},
};

// Pixels of the dialog's font per 4 units across and 8 down.
SIZE UnitScale(HWND dialog) {
    RECT r{0, 0, 4, 8};
    MapDialogRect(dialog, &r);
    return {std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1)};
}

// A rectangle recorded at one density at the density of the dialog's font now (it changes with the
// screen's density).
RECT Scaled(RECT r, SIZE from, SIZE to) {
    if (from.cx == to.cx && from.cy == to.cy) return r;
    return {MulDiv(r.left, to.cx, from.cx), MulDiv(r.top, to.cy, from.cy), MulDiv(r.right, to.cx, from.cx),
            MulDiv(r.bottom, to.cy, from.cy)};
}

} // namespace

void DialogLayout::Record(HWND dialog, int templateId) {
    controls_.clear();
    // In pixels as the dialog manager made them: the client area is not always exactly its units.
    scale_ = UnitScale(dialog);
    GetClientRect(dialog, &designed_);
    for (const Anchor& a : kAnchors) {
        if (a.dialog != templateId) continue;
        const HWND control = GetDlgItem(dialog, a.control);
        if (!control) continue;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        controls_.push_back({a.control, a.how, r});
    }
}

const DialogLayout::Control* DialogLayout::Find(int id) const {
    const auto c =
        std::find_if(controls_.begin(), controls_.end(), [id](const Control& c) { return c.id == id; });
    return c == controls_.end() ? nullptr : &*c;
}

RECT DialogLayout::Placed(HWND dialog, const Control& c) const {
    RECT client;
    GetClientRect(dialog, &client);
    const RECT designed = Designed(dialog);
    const int dx = client.right - designed.right, dy = client.bottom - designed.bottom;
    RECT r = Scaled(c.place, scale_, UnitScale(dialog));
    if (c.how & kMoveX) OffsetRect(&r, dx, 0);
    if (c.how & kMoveY) OffsetRect(&r, 0, dy);
    if (c.how & kGrowX) r.right += dx;
    if (c.how & kGrowY) r.bottom += dy;
    return r;
}

RECT DialogLayout::Placed(HWND dialog, int id) const {
    const Control* c = Find(id);
    return c ? Placed(dialog, *c) : RECT{};
}

void DialogLayout::Apply(HWND dialog, const std::vector<Taller>& taller) const {
    if (!Recorded() || controls_.empty()) return;
    const SIZE scale = UnitScale(dialog);
    HDWP positions = BeginDeferWindowPos(static_cast<int>(controls_.size()));
    for (const Control& c : controls_) {
        RECT r = Placed(dialog, c);
        const RECT at = Scaled(c.place, scale_, scale);
        for (const Taller& t : taller) {
            const Control* grown = Find(t.id);
            if (!grown || t.by <= 0) continue;
            const RECT g = Scaled(grown->place, scale_, scale);
            const bool fromBottom = grown->how & kMoveY;
            if (c.id == t.id) {
                if (fromBottom)
                    r.top -= t.by;
                else
                    r.bottom += t.by;
            } else if (!fromBottom && !(c.how & kMoveY) && at.top >= g.bottom) {
                r.top += t.by;
                if (!(c.how & kGrowY)) r.bottom += t.by;
            } else if (fromBottom && (c.how & kGrowY) && at.bottom <= g.top) {
                r.bottom -= t.by;
            }
        }
        // Without the copy of the old contents: a control moved while its old place is not painted yet
        // would show that place (seen under Wine: the status line blank after the window grew).
        if (positions)
            positions =
                DeferWindowPos(positions, GetDlgItem(dialog, c.id), nullptr, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (positions) EndDeferWindowPos(positions);
}

RECT DialogLayout::Designed(HWND dialog) const {
    return Scaled(designed_, scale_, UnitScale(dialog));
}

RECT DialogLayout::DesignedRect(HWND dialog, int id) const {
    const Control* c = Find(id);
    return c ? Scaled(c->place, scale_, UnitScale(dialog)) : RECT{};
}

bool OnLayoutMessage(HWND dialog, UINT message, LPARAM lParam, const DialogLayout& layout) {
    if (message == WM_SIZE) {
        layout.Apply(dialog);
        return true;
    }
    if (message != WM_GETMINMAXINFO || !layout.Recorded()) return false;
    RECT least = layout.Designed(dialog);
    AdjustWindowRectEx(&least, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {least.right - least.left,
                                                             least.bottom - least.top};
    return true;
}

SIZE TemplateUnits(const DLGTEMPLATE* dialogTemplate) {
    if (!dialogTemplate) return {};
    // DIALOGEX: dlgVer, signature 0xFFFF, helpID, exStyle, style, cDlgItems, x, y, cx, cy; a plain
    // DIALOG: style, exStyle, cdit, x, y, cx, cy.
    const auto* words = reinterpret_cast<const WORD*>(dialogTemplate);
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    const auto* size = reinterpret_cast<const short*>(words + (extended ? 11 : 7));
    return {size[0], size[1]};
}

TextMeasure::TextMeasure(HWND dialog)
    : dialog_(dialog), dc_(GetDC(dialog)),
      oldFont_(SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)))),
      scale_(UnitScale(dialog)) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    lineHeight_ = std::max<int>(metrics.tmHeight, 1);
}

TextMeasure::~TextMeasure() {
    SelectObject(dc_, oldFont_);
    ReleaseDC(dialog_, dc_);
}

int TextMeasure::Width(const std::wstring& text) const {
    RECT r{};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return (r.right * 4 + scale_.cx - 1) / scale_.cx; // rounded up: a text never gets less room than it needs
}

int TextMeasure::Height(const std::wstring& text, int pixels) const {
    if (text.empty()) return 0;
    RECT r{0, 0, pixels, 0};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return r.bottom;
}

int TextMeasure::Lines(const std::wstring& text, int width) const {
    RECT r{0, 0, MulDiv(width, scale_.cx, 4), 0};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK);
    return std::max<int>(1, (r.bottom + lineHeight_ - 1) / lineHeight_);
}

RECT DialogUnits(HWND dialog, int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    MapDialogRect(dialog, &r);
    return r;
}

} // namespace settings
