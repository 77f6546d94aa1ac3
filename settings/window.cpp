#include "settings/window.h"

#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "config/languages.h"
#include "config/params.h"
#include "config/program_search.h"
#include "host/copydata.h"
#include "plugin/changed_copies.h"
#include "settings/key_page.h"
#include "settings/layout.h"
#include "settings/resource.h"
#include "settings/resources.h"
#include "settings/texts.h"
#include "win/errors.h"
#include "win/paths.h"

namespace settings {
namespace {

enum class PageKind { Applications, Types, WhereItActs, Options, Hotkeys, Check };

struct PageInfo {
    PageKind kind;
    unsigned title;
    int dialog;
};

const PageInfo kPages[] = {
    {PageKind::Applications, IDS_SETTINGS_PAGE_APPLICATIONS, IDD_PAGE_APPS},
    {PageKind::Types, IDS_SETTINGS_PAGE_TYPES, IDD_PAGE_TYPES},
    {PageKind::WhereItActs, IDS_SETTINGS_PAGE_WHERE, IDD_PAGE_GENERATED},
    {PageKind::Options, IDS_SETTINGS_PAGE_OPTIONS, IDD_PAGE_GENERATED},
    {PageKind::Hotkeys, IDS_SETTINGS_PAGE_HOTKEYS, IDD_PAGE_GENERATED},
    {PageKind::Check, IDS_SETTINGS_PAGE_CHECK, IDD_PAGE_CHECK},
};
constexpr int kPageCount = static_cast<int>(std::size(kPages));

// The edit dialogs' previews wait for typing to pause: each one runs the checker over the settings.
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewDelayMs = 300;

struct Window {
    Window(HINSTANCE i, SettingsModel& m) : instance(i), model(m) {}
    HINSTANCE instance;
    SettingsModel& model;
    HWND dialog = nullptr;
    HWND page = nullptr;
    int pageIndex = 0;
    std::wstring report;
    std::wstring saved; // what the last save said, until the next change
    size_t changesAtSave = 0;
    bool changedElsewhere = false;
    int selectedRow = -1;  // of the applications list, while another page is shown
    int selectedType = -1; // of the types list, likewise
    DialogLayout layout, pageLayout;
    std::vector<Taller> taller; // the note and the status line, while their texts need more lines
    SIZE pageUnits{};           // what the largest page needs, in dialog units; made once
};

// ---- The applications page.

const EditorRow* SelectedRow(Window& w) {
    const int selected = ListView_GetNextItem(GetDlgItem(w.page, IDC_APPLIST), -1, LVNI_SELECTED);
    const std::vector<EditorRow>& rows = w.model.Rows();
    return selected >= 0 && static_cast<size_t>(selected) < rows.size() ? &rows[static_cast<size_t>(selected)]
                                                                        : nullptr;
}

void OnSelectionChanged(Window& w) {
    const EditorRow* row = SelectedRow(w);
    EnableWindow(GetDlgItem(w.page, IDC_EDIT), row != nullptr);
    EnableWindow(GetDlgItem(w.page, IDC_REMOVE), row != nullptr);
    const std::wstring text =
        row ? Text(IDS_SETTINGS_ROW_STATUS, {row->keys, row->status}) : Text(IDS_SETTINGS_SELECT_LINE);
    SetDlgItemTextW(w.page, IDC_APP_STATUS, text.c_str());
}

// The status column takes the width the others leave, with room for a vertical scroll bar, so that the
// list scrolls sideways only when the window is too narrow for its least width.
void FitStatusColumn(HWND page, int listId) {
    const HWND list = GetDlgItem(page, listId);
    RECT inside;
    GetClientRect(list, &inside);
    int rest = inside.right;
    if (!(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL)) rest -= GetSystemMetrics(SM_CXVSCROLL);
    for (int column = 0; column < 3; ++column)
        rest -= ListView_GetColumnWidth(list, column);
    ListView_SetColumnWidth(list, 3, std::max<int>(rest, DialogUnits(page, 0, 0, 100, 1).right));
}

// A report-style list of these columns (titles, widths in dialog units), whole rows selected.
void InitList(HWND page, int listId, std::initializer_list<std::pair<unsigned, int>> columns) {
    const HWND list = GetDlgItem(page, listId);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    int i = 0;
    for (const auto& [title, width] : columns) {
        std::wstring text = Text(title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text.data();
        column.cx = DialogUnits(page, 0, 0, width, 1).right;
        ListView_InsertColumn(list, i++, &column);
    }
}

// A row of four texts at index.
void AddListRow(HWND list, int index, std::array<std::wstring, 4> texts) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = texts[0].data();
    ListView_InsertItem(list, &item);
    for (int column = 1; column < 4; ++column)
        ListView_SetItemText(list, index, column, texts[static_cast<size_t>(column)].data());
}

void FillApplications(Window& w) {
    const HWND list = GetDlgItem(w.page, IDC_APPLIST);
    const int selected =
        ListView_GetItemCount(list) > 0 ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : w.selectedRow;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    int index = 0;
    for (const EditorRow& row : w.model.Rows())
        AddListRow(list, index++, {row.keys, row.application, row.templateText, row.status});
    if (selected >= 0 && selected < index) {
        ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, selected, FALSE);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    FitStatusColumn(w.page, IDC_APPLIST);
    OnSelectionChanged(w);

    const EditorRow editor = w.model.DefaultEditorRow();
    SetDlgItemTextW(w.page, IDC_DEFAULT_TEXT,
                    (editor.templateText.empty() ? Text(IDS_SETTINGS_DEFAULT_EDITOR, {editor.application})
                                                 : Text(IDS_SETTINGS_DEFAULT_EDITOR_TEMPLATE,
                                                        {editor.application, editor.templateText}))
                        .c_str());
    SetDlgItemTextW(
        w.page, IDC_DEFAULT_STATUS,
        (editor.problem ? editor.status : Text(IDS_SETTINGS_DEFAULT_FOUND, {editor.status})).c_str());
    const KnownKey* fromHost = FindKnownKey(L"Options", L"UseTCExtensions");
    SetDlgItemTextW(w.page, IDC_APPS_NOTE,
                    fromHost && w.model.Number(*fromHost) ? Text(IDS_SETTINGS_FROM_HOST).c_str() : L"");
}

void InitApplications(Window& w) {
    InitList(w.page, IDC_APPLIST,
             {{IDS_SETTINGS_COLUMN_KEYS, 64},
              {IDS_SETTINGS_COLUMN_APPLICATION, 130},
              {IDS_SETTINGS_COLUMN_TEMPLATE, 70},
              {IDS_SETTINGS_COLUMN_STATUS, 140}});
    FillApplications(w);
}

// ---- The types page: the lines of [Types] in their order.

int SelectedType(const Window& w) {
    return ListView_GetNextItem(GetDlgItem(w.page, IDC_TYPELIST), -1, LVNI_SELECTED);
}

void OnTypeSelectionChanged(Window& w) {
    // Disabling the focused button takes the focus away from it (to nobody): noted first.
    const HWND focus = GetFocus();
    const int selected = SelectedType(w);
    const std::vector<SettingsModel::TypeRow>& rows = w.model.TypeRows();
    const bool row = selected >= 0 && static_cast<size_t>(selected) < rows.size();
    EnableWindow(GetDlgItem(w.page, IDC_TYPE_EDIT), row);
    EnableWindow(GetDlgItem(w.page, IDC_TYPE_REMOVE), row);
    EnableWindow(GetDlgItem(w.page, IDC_TYPE_UP), row && selected > 0);
    EnableWindow(GetDlgItem(w.page, IDC_TYPE_DOWN), row && static_cast<size_t>(selected) + 1 < rows.size());
    const std::wstring text =
        row ? Text(IDS_SETTINGS_TYPE_STATUS,
                   {std::to_wstring(selected + 1), TypeLineText(rows[static_cast<size_t>(selected)].fields),
                    rows[static_cast<size_t>(selected)].status})
            : Text(IDS_SETTINGS_SELECT_LINE);
    SetDlgItemTextW(w.page, IDC_TYPE_STATUS, text.c_str());
    // A button just disabled (Move up at the top, Remove of the last line) gives the focus to the list.
    if (focus && GetParent(focus) == w.page && !IsWindowEnabled(focus))
        SendMessageW(w.page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(w.page, IDC_TYPELIST)), TRUE);
}

void SelectType(Window& w, int index) {
    const HWND list = GetDlgItem(w.page, IDC_TYPELIST);
    if (index < 0 || index >= ListView_GetItemCount(list)) return;
    ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, index, FALSE);
}

void FillTypes(Window& w, int select = -2) {
    const HWND list = GetDlgItem(w.page, IDC_TYPELIST);
    if (select == -2) select = ListView_GetItemCount(list) > 0 ? SelectedType(w) : w.selectedType;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    int index = 0;
    for (const SettingsModel::TypeRow& row : w.model.TypeRows())
        AddListRow(list, index++, {row.fields.masks, row.fields.type, row.fields.conditions, row.status});
    SelectType(w, select);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    FitStatusColumn(w.page, IDC_TYPELIST);
    OnTypeSelectionChanged(w);
}

void InitTypes(Window& w) {
    InitList(w.page, IDC_TYPELIST,
             {{IDS_SETTINGS_COLUMN_MASKS, 110},
              {IDS_SETTINGS_COLUMN_TYPE, 50},
              {IDS_SETTINGS_COLUMN_CONDITIONS, 60},
              {IDS_SETTINGS_COLUMN_STATUS, 140}});
    FillTypes(w);
}

// ---- The pages made from the key table.

// The keys' page a page of the window shows; Applications (made from no key) for the others.
config::OptionPage PageOf(PageKind kind) {
    switch (kind) {
    case PageKind::WhereItActs: return config::OptionPage::WhereItActs;
    case PageKind::Options: return config::OptionPage::Options;
    case PageKind::Hotkeys: return config::OptionPage::Hotkeys;
    default: return config::OptionPage::None;
    }
}

std::wstring HotkeyState(Window& w, const KnownKey& key) {
    const KnownKey* mod = FindKnownKey(key.section, ModifierKeyOf(key.name));
    const std::wstring code = w.model.Text(key);
    const std::wstring letters = mod ? w.model.Text(*mod) : L"";
    const std::wstring explanation = ExplanationOf(key);
    if (code.empty()) return Text(IDS_SETTINGS_HOTKEY_OFF, {explanation, key.name});
    const int n = w.model.Number(key);
    if (n <= 0 || n > 254) return Text(IDS_SETTINGS_HOTKEY_NO_CODE, {explanation, checker::Quote(code)});
    return Text(IDS_SETTINGS_HOTKEY_NOW,
                {explanation, DescribeHotkey(n, letters), key.name, code, ModifierKeyOf(key.name), letters});
}

// Keys the hotkey control shows as extended ones (without the flag, Insert shows as Num 0).
bool IsExtendedKey(int vk) {
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE ||
           vk == VK_NUMLOCK || (vk >= VK_LWIN && vk <= VK_APPS);
}

std::wstring WindowText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Set while the window itself puts a value into an edit box: its EN_CHANGE is no change of the user's.
bool fillingText = false;

// Where the plugin keeps changed copies with the folder written so (the only text key of these pages).
std::wstring ChangedCopiesState(const std::wstring& written) {
    const std::wstring byDefault = DefaultChangedCopiesFolder();
    if (written.empty()) return Text(IDS_SETTINGS_FOLDER_EMPTY, {byDefault});
    const std::wstring expanded = config::ExpandEnvironment(written);
    if (!config::IsAbsolutePath(expanded)) return Text(IDS_SETTINGS_FOLDER_NOT_FULL, {byDefault});
    return expanded == written ? std::wstring() : Text(IDS_SETTINGS_FOLDER_THAT_IS, {expanded});
}

// An item of a drop-down with its data; its place.
int AddItem(HWND combo, const std::wstring& text, LPARAM data) {
    const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(combo, CB_SETITEMDATA, at, data);
    return static_cast<int>(at);
}

void FillGenerated(Window& w) {
    const PageKind kind = kPages[w.pageIndex].kind;
    for (size_t i = 0; i < KnownKeys().size(); ++i) {
        const KnownKey& key = KnownKeys()[i];
        if (key.page != PageOf(kind)) continue;
        switch (key.kind) {
        case config::ValueKind::Flag:
            CheckDlgButton(w.page, KeyControlId(i, kMain), w.model.Number(key) ? BST_CHECKED : BST_UNCHECKED);
            break;
        case config::ValueKind::Ranged:
        case config::ValueKind::Language: {
            // The item of the value, or one saying what the plugin does with a value it does not know.
            const HWND combo = GetDlgItem(w.page, KeyControlId(i, kSecond));
            const std::wstring value = checker::Trim(w.model.Text(key));
            const std::vector<config::Language> languages = config::PresentLanguages();
            SendMessageW(combo, CB_RESETCONTENT, 0, 0);
            int current = -1;
            for (const DropDownItem& item : ItemsOf(key)) {
                const int at = AddItem(combo, item.text, item.data);
                const bool selected =
                    key.kind == config::ValueKind::Ranged
                        ? item.data == w.model.Number(key)
                        : (item.data == 0 ? value.empty()
                                          : checker::SameName(
                                                languages[static_cast<size_t>(item.data - 1)].code, value));
                if (selected) current = at;
            }
            if (current < 0)
                current = key.kind == config::ValueKind::Ranged
                              ? AddItem(combo,
                                        Text(IDS_SETTINGS_MEANING,
                                             {std::to_wstring(w.model.Number(key)), Text(key.outside)}),
                                        w.model.Number(key))
                              : AddItem(combo, Text(IDS_SETTINGS_LANGUAGE_UNKNOWN, {value}), -1);
            SendMessageW(combo, CB_SETCURSEL, current, 0);
            break;
        }
        case config::ValueKind::KeyCode: {
            const KnownKey* mod = FindKnownKey(key.section, ModifierKeyOf(key.name));
            const int vk = w.model.Text(key).empty() ? 0 : w.model.Number(key);
            unsigned flags = mod ? ModifierFlags(w.model.Text(*mod)) : 0;
            if (IsExtendedKey(vk)) flags |= HOTKEYF_EXT;
            SendDlgItemMessageW(w.page, KeyControlId(i, kSecond), HKM_SETHOTKEY,
                                vk > 0 && vk < 256 ? MAKEWORD(vk, flags) : 0, 0);
            CheckDlgButton(w.page, KeyControlId(i, kOff),
                           w.model.Text(key).empty() ? BST_CHECKED : BST_UNCHECKED);
            SetDlgItemTextW(w.page, KeyControlId(i, kState), HotkeyState(w, key).c_str());
            break;
        }
        case config::ValueKind::Text: {
            // Not while the user types in it: the value as the plugin reads it is trimmed.
            const HWND edit = GetDlgItem(w.page, KeyControlId(i, kSecond));
            const std::wstring value = w.model.Text(key);
            if (GetFocus() != edit && WindowText(edit) != value) {
                fillingText = true;
                SetWindowTextW(edit, value.c_str());
                fillingText = false;
            }
            SetDlgItemTextW(w.page, KeyControlId(i, kState), ChangedCopiesState(value).c_str());
            break;
        }
        default: break;
        }
    }
}

// What the largest page needs, in dialog units: a page of the resource script its template's size, a
// page made from the key table its layout's.
SIZE PageUnits(Window& w) {
    if (w.pageUnits.cx > 0) return w.pageUnits;
    SIZE least{};
    for (const PageInfo& page : kPages) {
        const SIZE need = page.dialog == IDD_PAGE_GENERATED
                              ? LayOutKeyPage(PageOf(page.kind), TextMeasure(w.dialog)).units
                              : TemplateUnits(DialogTemplate(w.instance, page.dialog));
        least.cx = std::max(least.cx, need.cx);
        least.cy = std::max(least.cy, need.cy);
    }
    return w.pageUnits = least;
}

void InitGenerated(Window& w) {
    // As wide as the widest page, which the window is at least: its group boxes span the page.
    MakeKeyPage(w.page, PageOf(kPages[w.pageIndex].kind), PageUnits(w).cx);
    FillGenerated(w);
}

void OnGeneratedCommand(Window& w, int id, int code) {
    size_t index = 0;
    Part part = kMain;
    if (!KeyControlOf(id, index, part)) return;
    const KnownKey& key = KnownKeys()[index];
    if (key.kind == config::ValueKind::Flag && part == kMain && code == BN_CLICKED) {
        w.model.Set(key, IsDlgButtonChecked(w.page, id) == BST_CHECKED ? L"1" : L"0");
    } else if (key.kind == config::ValueKind::Ranged && part == kSecond && code == CBN_SELCHANGE) {
        const HWND combo = GetDlgItem(w.page, id);
        const LRESULT at = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (at != CB_ERR) w.model.Set(key, std::to_wstring(SendMessageW(combo, CB_GETITEMDATA, at, 0)));
    } else if (key.kind == config::ValueKind::Language && part == kSecond && code == CBN_SELCHANGE) {
        const HWND combo = GetDlgItem(w.page, id);
        const LRESULT at = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        const LRESULT n = at == CB_ERR ? -1 : SendMessageW(combo, CB_GETITEMDATA, at, 0);
        const std::vector<config::Language> languages = config::PresentLanguages();
        if (n == 0) w.model.Set(key, L"");
        if (n > 0 && static_cast<size_t>(n) <= languages.size())
            w.model.Set(key, languages[static_cast<size_t>(n - 1)].code);
    } else if (key.kind == config::ValueKind::KeyCode && part == kSecond && code == EN_CHANGE) {
        const LRESULT hotkey = SendDlgItemMessageW(w.page, id, HKM_GETHOTKEY, 0, 0);
        const int vk = LOBYTE(LOWORD(hotkey));
        const unsigned flags = HIBYTE(LOWORD(hotkey)) & (kShift | kCtrl | kAlt);
        // Modifiers alone: the user is still pressing the keys; filling the box again would lose them.
        if (!vk && flags) return;
        const KnownKey* mod = FindKnownKey(key.section, ModifierKeyOf(key.name));
        w.model.Set(key, vk ? std::to_wstring(vk) : L"");
        if (vk && mod) w.model.Set(*mod, ModifierLetters(flags));
    } else if (key.kind == config::ValueKind::Text && part == kSecond && code == EN_CHANGE) {
        if (fillingText) return;
        w.model.Set(key, WindowText(GetDlgItem(w.page, id)));
    } else if (key.kind == config::ValueKind::KeyCode && part == kOff && code == BN_CLICKED) {
        const HWND box = GetDlgItem(w.page, KeyControlId(index, kSecond));
        if (IsDlgButtonChecked(w.page, id) != BST_CHECKED) {
            // On again: the hotkey needs its key first.
            SendMessageW(w.page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
            return;
        }
        SendMessageW(box, HKM_SETHOTKEY, 0, 0);
        w.model.Set(key, L"");
    } else {
        return;
    }
    FillGenerated(w);
}

// ---- The check page.

void FillCheck(Window& w) {
    SetDlgItemTextW(w.page, IDC_REPORT, WithWindowsLineEnds(w.report).c_str());
}

// ---- The window.

// What the model could not do, and what that means for what the window shows and saves.
std::wstring FailureText(const ModelFailure& failure) {
    const std::wstring error = win::SystemErrorText(failure.error);
    switch (failure.step) {
    case ModelFailure::Step::ReadFile: return Text(IDS_SETTINGS_CANNOT_READ, {error});
    case ModelFailure::Step::MakeFolder: return Text(IDS_SETTINGS_CANNOT_MAKE_SCRATCH, {failure.path, error});
    case ModelFailure::Step::WriteScratch: break;
    }
    return Text(IDS_SETTINGS_CANNOT_WRITE_SCRATCH, {win::DirectoryOf(failure.path), error});
}

// The note above the tabs and the status line below them as tall as their texts at the window's width
// now: a long note pushes the tabs down, a long status line pushes their bottom up.
std::vector<Taller> TallerLines(Window& w) {
    std::vector<Taller> taller;
    if (!w.layout.Recorded()) return taller;
    const TextMeasure measure(w.dialog);
    for (const int id : {IDC_NOTE, IDC_STATUS}) {
        const RECT r = w.layout.Placed(w.dialog, id);
        const int by =
            measure.Height(WindowText(GetDlgItem(w.dialog, id)), r.right - r.left) - (r.bottom - r.top);
        if (by > 0) taller.push_back({id, by});
    }
    return taller;
}

void LayoutWindow(Window& w) {
    const HWND d = w.dialog;
    w.taller = TallerLines(w);
    w.layout.Apply(d, w.taller);
    if (!w.page) return;
    const HWND tabs = GetDlgItem(d, IDC_TABS);
    RECT r;
    GetWindowRect(tabs, &r);
    MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
    TabCtrl_AdjustRect(tabs, FALSE, &r);
    // Above the tab control in the z-order, which clips it: the page's controls come first with Tab.
    SetWindowPos(w.page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

// The least window size at which no page's controls overlap or are cut: as the main template designed
// it, with the tab control grown for the largest page. Zero before the window's layout is recorded.
SIZE MinimumTrackSize(Window& w) {
    const HWND dialog = w.dialog, tabs = GetDlgItem(dialog, IDC_TABS);
    if (!tabs || !w.layout.Recorded()) return {};
    const SIZE page = PageUnits(w);
    RECT need = DialogUnits(dialog, 0, 0, page.cx, page.cy);
    TabCtrl_AdjustRect(tabs, TRUE, &need); // the tab control around that page
    const RECT designedTabs = w.layout.DesignedRect(dialog, IDC_TABS);
    RECT window = w.layout.Designed(dialog);
    window.right += std::max<LONG>(0, (need.right - need.left) - (designedTabs.right - designedTabs.left));
    window.bottom += std::max<LONG>(0, (need.bottom - need.top) - (designedTabs.bottom - designedTabs.top));
    for (const Taller& t : w.taller)
        window.bottom += t.by; // taken from the tabs
    AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    return {window.right - window.left, window.bottom - window.top};
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// The least size, but never larger than the screen's work area: on a small screen at a high density a
// page is cut rather than the window's buttons.
SIZE LeastSizeOnScreen(Window& w) {
    const SIZE least = MinimumTrackSize(w);
    const RECT work = WorkAreaOf(w.dialog);
    return {std::min<LONG>(least.cx, work.right - work.left),
            std::min<LONG>(least.cy, work.bottom - work.top)};
}

// The window grown to its least size where it is smaller, and moved back onto the screen's work area.
void KeepLeastSize(Window& w) {
    const SIZE least = LeastSizeOnScreen(w);
    const RECT work = WorkAreaOf(w.dialog);
    RECT r;
    GetWindowRect(w.dialog, &r);
    const int cx = std::max<int>(r.right - r.left, least.cx), cy = std::max<int>(r.bottom - r.top, least.cy);
    if (cx == r.right - r.left && cy == r.bottom - r.top) return;
    SetWindowPos(w.dialog, nullptr, std::max<int>(work.left, std::min<int>(r.left, work.right - cx)),
                 std::max<int>(work.top, std::min<int>(r.top, work.bottom - cy)), cx, cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The page shows the file's values, or nothing while the model cannot hold them.
void ShowPageIfReadable(Window& w) {
    if (w.page) ShowWindow(w.page, w.model.Failure() ? SW_HIDE : SW_SHOW);
}

void RefreshWindow(Window& w) {
    SetDlgItemTextW(w.dialog, IDC_HEADER, w.model.HeaderLine().c_str());
    std::wstring note;
    const std::optional<ModelFailure> failure = w.model.Failure();
    const std::wstring conversion = w.model.ConversionReason();
    if (failure && failure->step == ModelFailure::Step::ReadFile)
        note.clear(); // whether it changed is not known
    else if (w.changedElsewhere)
        note = Text(IDS_SETTINGS_NOTE_CHANGED);
    else if (!conversion.empty())
        note = Text(IDS_SETTINGS_NOTE_CONVERTS, {conversion});
    else if (!w.model.Exists())
        note = Text(IDS_SETTINGS_NOTE_MAKES);
    SetDlgItemTextW(w.dialog, IDC_NOTE, note.c_str());
    const size_t changes = w.model.ChangeCount();
    std::wstring status;
    if (failure)
        status = FailureText(*failure);
    else if (!w.saved.empty() && changes == w.changesAtSave)
        status = w.saved;
    else if (changes == 0)
        status = Text(IDS_SETTINGS_NO_CHANGES);
    else
        status = changes == 1 ? Text(IDS_SETTINGS_ONE_CHANGE)
                              : Text(IDS_SETTINGS_CHANGES, {std::to_wstring(changes)});
    SetDlgItemTextW(w.dialog, IDC_STATUS, status.c_str());
    EnableWindow(GetDlgItem(w.dialog, IDC_SAVE), w.model.CanSave());
    ShowPageIfReadable(w);
    if (TallerLines(w) != w.taller) {
        LayoutWindow(w);
        KeepLeastSize(w);
    }
}

void RefreshPage(Window& w) {
    if (!w.page) return;
    switch (kPages[w.pageIndex].kind) {
    case PageKind::Applications: FillApplications(w); break;
    case PageKind::Types: FillTypes(w); break;
    case PageKind::Check: FillCheck(w); break;
    default: FillGenerated(w); break;
    }
}

void Refresh(Window& w) {
    RefreshWindow(w);
    RefreshPage(w);
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// One page lives at a time, made anew from the model: the hidden controls of other pages would
// otherwise answer their mnemonics.
void ShowPage(Window& w, int index) {
    if (w.page) {
        if (kPages[w.pageIndex].kind == PageKind::Applications)
            w.selectedRow = ListView_GetNextItem(GetDlgItem(w.page, IDC_APPLIST), -1, LVNI_SELECTED);
        if (kPages[w.pageIndex].kind == PageKind::Types) w.selectedType = SelectedType(w);
        DestroyWindow(w.page);
        w.page = nullptr;
    }
    w.pageIndex = index;
    TabCtrl_SetCurSel(GetDlgItem(w.dialog, IDC_TABS), index);
    w.page = MakeDialog(w.instance, kPages[index].dialog, w.dialog, PageProc, reinterpret_cast<LPARAM>(&w));
    LayoutWindow(w);
    ShowPageIfReadable(w);
}

void ShowReport(Window& w, const std::vector<std::wstring>& files) {
    w.report = w.model.Report(files);
    if (kPages[w.pageIndex].kind == PageKind::Check)
        FillCheck(w);
    else
        ShowPage(w, kPageCount - 1);
}

// Saves after asking what must be asked; returns whether the file holds the changes now.
bool SaveChanges(Window& w) {
    const std::wstring caption = Text(IDS_SETTINGS_CAPTION);
    if (w.model.ChangedOnDisk()) {
        const std::wstring text = Text(IDS_SETTINGS_ASK_CHANGED, {w.model.File().path});
        if (MessageBoxW(w.dialog, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING) == IDYES) {
            w.model.Reload(true);
            w.changedElsewhere = false;
            Refresh(w);
        }
        return false;
    }
    const std::wstring conversion = w.model.ConversionReason();
    if (!conversion.empty()) {
        const std::wstring text = Text(IDS_SETTINGS_ASK_CONVERT, {conversion, w.model.File().path});
        if (MessageBoxW(w.dialog, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return false;
    }
    const SettingsModel::SaveResult result = w.model.Save(!conversion.empty());
    if (!result.saved) {
        const std::wstring text = result.written > 0 ? Text(IDS_SETTINGS_WRITTEN_BEFORE,
                                                            {result.error, std::to_wstring(result.written)})
                                                     : result.error;
        MessageBoxW(w.dialog, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    }
    w.saved =
        Text(result.saved ? (result.converted ? IDS_SETTINGS_SAVED_CONVERTED : IDS_SETTINGS_SAVED)
                          : (result.converted ? IDS_SETTINGS_SAVED_PART_CONVERTED : IDS_SETTINGS_SAVED_PART),
             {result.effect});
    w.changesAtSave = w.model.ChangeCount();
    w.changedElsewhere = false;
    w.report = w.model.Report({});
    Refresh(w);
    return result.saved;
}

void CloseWindow(Window& w) {
    if (w.model.ChangeCount() > 0) {
        const std::wstring text = Text(IDS_SETTINGS_ASK_SAVE, {w.model.File().path});
        switch (MessageBoxW(w.dialog, text.c_str(), Text(IDS_SETTINGS_CAPTION).c_str(),
                            MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            if (!SaveChanges(w)) return;
            break;
        case IDNO: break;
        default: return;
        }
    }
    DestroyWindow(w.dialog);
}

} // namespace

std::vector<std::wstring> PickFiles(HWND owner) {
    std::wstring buffer(65536, L'\0');
    if (!AskForFiles(owner, Text(IDS_SETTINGS_FILES_TO_TRY), Text(IDS_SETTINGS_FILTER_ALL), {},
                     OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, buffer))
        return {};
    // One name is the whole path; several are the folder, then each name, each terminated.
    std::vector<std::wstring> parts;
    for (const wchar_t* p = buffer.c_str(); *p; p += wcslen(p) + 1)
        parts.emplace_back(p);
    if (parts.size() <= 1) return parts;
    std::vector<std::wstring> files;
    const std::wstring folder = parts[0].back() == L'\\' ? parts[0] : parts[0] + L"\\";
    for (size_t i = 1; i < parts.size(); ++i)
        files.push_back(folder + parts[i]);
    return files;
}

std::vector<std::wstring> DroppedFiles(HDROP drop) {
    std::vector<std::wstring> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        files.push_back(name);
    }
    DragFinish(drop);
    return files;
}

namespace {

void OnDropFiles(Window& w, HDROP drop) {
    if (const std::vector<std::wstring> files = DroppedFiles(drop); !files.empty()) ShowReport(w, files);
}

// The line at index moved by step (-1 up, 1 down), with the comment lines above it.
void MoveType(Window& w, int step) {
    const int from = SelectedType(w);
    TypesSection section = w.model.Types();
    const int to = from + step;
    if (from < 0 || to < 0 || static_cast<size_t>(to) >= section.lines.size()) return;
    std::swap(section.lines[static_cast<size_t>(from)], section.lines[static_cast<size_t>(to)]);
    w.model.ApplyTypes(section);
    Refresh(w);
    FillTypes(w, to);
}

void RemoveType(Window& w) {
    const int index = SelectedType(w);
    TypesSection section = w.model.Types();
    if (index < 0 || static_cast<size_t>(index) >= section.lines.size()) return;
    // Its comment lines stay, above the line that follows (or at the end).
    auto line = section.lines.begin() + index;
    std::vector<std::wstring>& next = line + 1 != section.lines.end() ? (line + 1)->above : section.tail;
    next.insert(next.begin(), line->above.begin(), line->above.end());
    section.lines.erase(line);
    w.model.ApplyTypes(section);
    Refresh(w);
    FillTypes(w, std::min(index, static_cast<int>(section.lines.size()) - 1));
}

void EditType(Window& w, bool add) {
    const int index = add ? -1 : SelectedType(w);
    if (!add && index < 0) return;
    if (!EditTypeLine(w.instance, w.dialog, w.model, index)) return;
    Refresh(w);
    FillTypes(w, add ? static_cast<int>(w.model.Types().lines.size()) - 1 : index);
}

void EditSelected(Window& w) {
    if (const EditorRow* row = SelectedRow(w); row && EditEntry(w.instance, w.dialog, w.model, row, false))
        Refresh(w);
}

void OnPageCommand(Window& w, int id, int code) {
    switch (id) {
    case IDC_ADD:
        if (EditEntry(w.instance, w.dialog, w.model, nullptr, false)) Refresh(w);
        return;
    case IDC_EDIT: EditSelected(w); return;
    case IDC_REMOVE:
        if (const EditorRow* row = SelectedRow(w)) {
            w.model.Apply(WritesForRemoval(*row));
            Refresh(w);
        }
        return;
    case IDC_DEFAULT_EDIT:
        if (EditEntry(w.instance, w.dialog, w.model, nullptr, true)) Refresh(w);
        return;
    case IDC_TYPE_ADD: EditType(w, true); return;
    case IDC_TYPE_EDIT: EditType(w, false); return;
    case IDC_TYPE_REMOVE: RemoveType(w); return;
    case IDC_TYPE_UP: MoveType(w, -1); return;
    case IDC_TYPE_DOWN: MoveType(w, 1); return;
    case IDC_TRY:
        if (const std::vector<std::wstring> files = PickFiles(w.dialog); !files.empty()) ShowReport(w, files);
        return;
    case IDC_COPY:
        SetToClipboardW(CF_UNICODETEXT, w.dialog, WithWindowsLineEnds(w.report).c_str(), true);
        return;
    case IDC_RECHECK: ShowReport(w, {}); return;
    }
    OnGeneratedCommand(w, id, code);
    RefreshWindow(w);
}

bool OnPageNotify(Window& w, const NMHDR& n) {
    if (n.idFrom == IDC_TYPELIST) {
        if (n.code == NM_DBLCLK)
            EditType(w, false);
        else if (n.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(n).wVKey == VK_DELETE)
            RemoveType(w);
        else if (n.code == LVN_ITEMCHANGED && (reinterpret_cast<const NMLISTVIEW&>(n).uChanged & LVIF_STATE))
            OnTypeSelectionChanged(w);
        return true;
    }
    if (n.idFrom != IDC_APPLIST) return false;
    if (n.code == NM_DBLCLK) {
        EditSelected(w);
    } else if (n.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(n).wVKey == VK_DELETE) {
        OnPageCommand(w, IDC_REMOVE, BN_CLICKED);
    } else if (n.code == LVN_ITEMCHANGED && (reinterpret_cast<const NMLISTVIEW&>(n).uChanged & LVIF_STATE)) {
        OnSelectionChanged(w);
    }
    return true;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* w = reinterpret_cast<Window*>(GetWindowLongPtrW(page, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        w = reinterpret_cast<Window*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        w->page = page;
        w->pageLayout.Record(page, kPages[w->pageIndex].dialog);
        // The page's background is the tab's body, as the theme draws it.
        EnableThemeDialogTexture(page, ETDT_ENABLETAB);
        switch (kPages[w->pageIndex].kind) {
        case PageKind::Applications: InitApplications(*w); break;
        case PageKind::Types: InitTypes(*w); break;
        case PageKind::Check: FillCheck(*w); break;
        default: InitGenerated(*w); break;
        }
        return FALSE; // the focus stays where it is (the tabs)
    case WM_SIZE:
        if (!w) return FALSE;
        w->pageLayout.Apply(page);
        if (kPages[w->pageIndex].kind == PageKind::Applications) FitStatusColumn(page, IDC_APPLIST);
        if (kPages[w->pageIndex].kind == PageKind::Types) FitStatusColumn(page, IDC_TYPELIST);
        return TRUE;
    case WM_COMMAND:
        if (w) OnPageCommand(*w, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: return w && OnPageNotify(*w, *reinterpret_cast<const NMHDR*>(lParam));
    }
    return FALSE;
}

void InitWindow(HWND dialog, Window& w) {
    w.dialog = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&w));
    w.layout.Record(dialog, IDD_MAIN);
    const HWND tabs = GetDlgItem(dialog, IDC_TABS);
    for (int i = 0; i < kPageCount; ++i) {
        std::wstring title = Text(kPages[i].title);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        TabCtrl_InsertItem(tabs, i, &item);
    }
    DragAcceptFiles(dialog, TRUE);
    // At least as large as its tallest page from the start, not only once the user resizes it.
    KeepLeastSize(w);
    w.report = w.model.Report({});
    ShowPage(w, 0); // fills the page
    RefreshWindow(w);
}

INT_PTR CALLBACK WindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* w = reinterpret_cast<Window*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: InitWindow(dialog, *reinterpret_cast<Window*>(lParam)); return FALSE; // focus set
    case WM_SIZE:
        if (w) LayoutWindow(*w);
        return TRUE;
    case WM_GETMINMAXINFO: {
        if (!w) return FALSE;
        const SIZE least = LeastSizeOnScreen(*w);
        if (least.cx <= 0) return FALSE;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {least.cx, least.cy};
        return TRUE;
    }
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(dialog, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (w) ShowPage(*w, w->pageIndex); // made again at the new density
        return TRUE;
    }
    case WM_ACTIVATE:
        if (w && LOWORD(wParam) != WA_INACTIVE) {
            w->changedElsewhere = w->model.ChangedOnDisk();
            RefreshWindow(*w);
        }
        return FALSE;
    case WM_DROPFILES:
        if (w) OnDropFiles(*w, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* n = reinterpret_cast<const NMHDR*>(lParam);
        if (w && n->idFrom == IDC_TABS && n->code == TCN_SELCHANGE)
            ShowPage(*w, TabCtrl_GetCurSel(n->hwndFrom));
        return TRUE;
    }
    case WM_COMMAND:
        if (!w) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_SAVE: SaveChanges(*w); return TRUE;
        case IDC_RELOAD: {
            if (w->model.ChangeCount() > 0 &&
                MessageBoxW(dialog, Text(IDS_SETTINGS_ASK_RELOAD).c_str(), Text(IDS_SETTINGS_CAPTION).c_str(),
                            MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
                return TRUE;
            w->model.Reload(false); // a failure is said on the status line
            w->changedElsewhere = false;
            w->saved.clear();
            w->report = w->model.Report({});
            Refresh(*w);
            return TRUE;
        }
        case IDOK: return TRUE; // Enter does nothing but in the list and on buttons
        case IDCANCEL: CloseWindow(*w); return TRUE;
        }
        // Enter on a focused button of the page: the dialog manager sends its click to the top dialog.
        if (const HWND from = reinterpret_cast<HWND>(lParam); w->page && from && GetParent(from) == w->page) {
            SendMessageW(w->page, WM_COMMAND, wParam, lParam);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        if (w) CloseWindow(*w);
        return TRUE;
    case WM_DESTROY: PostQuitMessage(0); return TRUE;
    }
    return FALSE;
}

// Enter in the list edits its selected row. Taken before the dialog manager, which sends Enter to the
// default button, and which under Wine keeps a button of the page as the default once it had the focus.
bool EditByEnter(Window& w, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || !w.page) return false;
    if (msg.hwnd == GetDlgItem(w.page, IDC_APPLIST))
        EditSelected(w);
    else if (msg.hwnd == GetDlgItem(w.page, IDC_TYPELIST))
        EditType(w, false);
    else
        return false;
    return true;
}

// Ctrl+Tab and Ctrl+Shift+Tab (and Ctrl+PgDn, Ctrl+PgUp) go from page to page, as in property sheets.
bool SwitchPageByKey(Window& w, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
    int step = 0;
    if (msg.wParam == VK_TAB) step = (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
    if (msg.wParam == VK_NEXT) step = 1;
    if (msg.wParam == VK_PRIOR) step = -1;
    if (step == 0) return false;
    ShowPage(w, (w.pageIndex + step + kPageCount) % kPageCount);
    SetFocus(GetDlgItem(w.dialog, IDC_TABS));
    return true;
}

} // namespace

int RunSettingsWindow(HINSTANCE instance, SettingsModel& model, int show) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Window w(instance, model);
    const HWND dialog = MakeDialog(instance, IDD_MAIN, nullptr, WindowProc, reinterpret_cast<LPARAM>(&w));
    if (!dialog) return 2;
    ShowWindow(dialog, show);
    // Through the dialog manager, which then knows the focus (and the default button) as its own.
    SendMessageW(w.page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(w.page, IDC_APPLIST)), TRUE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (SwitchPageByKey(w, msg) || EditByEnter(w, msg)) continue;
        if (IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

std::wstring DialogItemText(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void PreviewSoon(HWND dialog) {
    SetTimer(dialog, kPreviewTimer, kPreviewDelayMs, nullptr);
}

bool OnPreviewTimerOrDensity(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                             const std::function<void()>& preview) {
    if (message == WM_TIMER && wParam == kPreviewTimer) {
        KillTimer(dialog, kPreviewTimer);
        preview();
        return true;
    }
    if (message == WM_DPICHANGED) {
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(dialog, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
    }
    return false;
}

bool AskForFiles(HWND owner, const std::wstring& title, std::wstring filter,
                 const std::wstring& initialFolder, DWORD flags, std::wstring& buffer) {
    // A string table holds no terminators inside a text: the filter's parts are ended by "|" there.
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    ofn.lpstrTitle = title.c_str();
    // Picked files are the user's to try, not documents they opened: the recent list stays as it is.
    ofn.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_DONTADDTORECENT;
    return GetOpenFileNameW(&ofn) != FALSE;
}

} // namespace settings
