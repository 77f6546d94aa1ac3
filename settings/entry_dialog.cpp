// The dialog that edits one application row, or the default editor, with a live line of what the
// plugin would start for an example file.
#include <windows.h>
// After windows.h.
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/layout.h"
#include "settings/resource.h"
#include "settings/resources.h"
#include "settings/texts.h"
#include "settings/window.h"
#include "win/paths.h"

namespace settings {
namespace {

struct EntryDialog {
    HINSTANCE instance;
    SettingsModel& model;
    EditorRow before;
    bool defaultEditor;
    std::vector<EditorRow> others;
    SettingsModel::Preview preview;
    DialogLayout layout;
};

EntryFields FieldsOf(HWND dialog) {
    return {DialogItemText(dialog, IDC_KEYS), DialogItemText(dialog, IDC_APP),
            DialogItemText(dialog, IDC_PARAMS)};
}

std::wstring WhereText(const EntryDialog& d, const EntryFields& fields) {
    const std::wstring params = checker::Trim(fields.templateText);
    if (d.defaultEditor) return Text(IDS_SETTINGS_WHERE_DEFAULT);
    if (d.preview.templateKey.empty()) return Text(IDS_SETTINGS_WHERE_NOT_FOUND);
    return params.empty() ? Text(IDS_SETTINGS_WHERE_TEMPLATE_NONE, {d.preview.templateKey})
                          : Text(IDS_SETTINGS_WHERE_TEMPLATE, {d.preview.templateKey, params});
}

// The controls placed for the dialog's size, the line of where the template is written as tall as its
// text up to three lines (a long template of the user's own is cut after them): the preview under it
// gives up the room.
void LayOutEntryDialog(HWND dialog, const EntryDialog& d) {
    const RECT r = d.layout.Placed(dialog, IDC_WHERE);
    const TextMeasure measure(dialog);
    const int need = measure.Height(DialogItemText(dialog, IDC_WHERE), r.right - r.left);
    const int by = std::min(need, measure.Height(L"1\n2\n3", r.right - r.left)) - (r.bottom - r.top);
    d.layout.Apply(dialog, by > 0 ? std::vector<Taller>{{IDC_WHERE, by}} : std::vector<Taller>{});
}

void UpdatePreview(HWND dialog, EntryDialog& d) {
    const EntryFields fields = FieldsOf(dialog);
    const bool noKeys = !d.defaultEditor && !d.before.forApplication && checker::Trim(fields.keys).empty();
    d.preview = d.model.PreviewEntry(d.before, fields, d.defaultEditor);
    const std::wstring first = FirstItem(fields.keys);
    const std::wstring example =
        d.defaultEditor ? Text(IDS_SETTINGS_EXAMPLE_UNCONFIGURED)
        : first == L":dir"
            ? Text(IDS_SETTINGS_EXAMPLE_FOLDER)
            : Text(IDS_SETTINGS_EXAMPLE_FILE, {L"example" + (first.empty() ? L"" : L"." + first)});
    const std::wstring text = noKeys ? Text(IDS_SETTINGS_GIVE_KEYS_FIRST)
                                     : Text(IDS_SETTINGS_PREVIEW_FOR, {example, d.preview.text});
    SetDlgItemTextW(dialog, IDC_PREVIEW, WithWindowsLineEnds(text).c_str());
    SetDlgItemTextW(dialog, IDC_WHERE, noKeys ? L"" : WhereText(d, fields).c_str());
    LayOutEntryDialog(dialog, d);
    EnableWindow(GetDlgItem(dialog, IDC_PARAMS), !d.preview.templateKey.empty() || d.defaultEditor);
}

// The system's Open dialog, programs first.
void BrowseForApplication(HWND dialog) {
    std::wstring file(win::kLongPathCapacity, L'\0');
    const std::wstring folder = win::DirectoryOf(DialogItemText(dialog, IDC_APP));
    if (!AskForFiles(dialog, Text(IDS_SETTINGS_BROWSE_TITLE), Text(IDS_SETTINGS_FILTER_PROGRAMS), folder,
                     OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, file))
        return;
    file.resize(wcslen(file.c_str()));
    SetDlgItemTextW(dialog, IDC_APP, file.c_str());
}

bool Accept(HWND dialog, EntryDialog& d) {
    const EntryFields fields = FieldsOf(dialog);
    const bool keysNeeded = !d.defaultEditor && !d.before.forApplication;
    const bool applicationNeeded =
        d.defaultEditor || !d.before.appKey.empty() || d.before.templateKey.empty();
    std::optional<EntryProblem> problem;
    if (keysNeeded) {
        problem = ProblemWithEntry(fields, d.others, applicationNeeded);
    } else {
        EntryFields checked = fields;
        checked.keys = L"x"; // keys are not edited here
        problem = ProblemWithEntry(checked, {}, applicationNeeded);
    }
    if (problem) {
        ShowFieldProblem(dialog, problem->text,
                         problem->field == EntryField::Application ? IDC_APP
                         : problem->field == EntryField::Template  ? IDC_PARAMS
                                                                   : IDC_KEYS);
        return false;
    }
    UpdatePreview(dialog, d);
    d.model.Apply(d.preview.writes);
    return true;
}

void InitEntryDialog(HWND dialog, EntryDialog& d) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&d));
    d.layout.Record(dialog, IDD_ENTRY);
    if (d.defaultEditor) {
        SetWindowTextW(dialog, Text(IDS_SETTINGS_DEFAULT_EDITOR_CAPTION).c_str());
        SetDlgItemTextW(dialog, IDC_KEYS, Text(IDS_SETTINGS_EVERY_UNCONFIGURED).c_str());
        EnableWindow(GetDlgItem(dialog, IDC_KEYS), FALSE);
    } else if (d.before.forApplication) {
        SetWindowTextW(dialog, Text(IDS_SETTINGS_APPLICATION_TEMPLATE_CAPTION).c_str());
        SetDlgItemTextW(dialog, IDC_APP, d.before.keys.c_str());
        EnableWindow(GetDlgItem(dialog, IDC_KEYS), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_APP), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_BROWSE), FALSE);
    }
    if (!d.defaultEditor && !d.before.forApplication)
        SetDlgItemTextW(dialog, IDC_KEYS, d.before.keys.c_str());
    if (!d.before.forApplication) SetDlgItemTextW(dialog, IDC_APP, d.before.application.c_str());
    SetDlgItemTextW(dialog, IDC_PARAMS, d.before.templateText.c_str());
    for (int id : {IDC_KEYS, IDC_APP, IDC_PARAMS})
        SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 8136, 0);
    UpdatePreview(dialog, d);
}

INT_PTR CALLBACK EntryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<EntryDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        InitEntryDialog(dialog, *reinterpret_cast<EntryDialog*>(lParam));
        if (reinterpret_cast<EntryDialog*>(lParam)->defaultEditor) {
            SetFocus(GetDlgItem(dialog, IDC_APP));
            return FALSE;
        }
        return TRUE; // the system focuses the first field
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (d && Accept(dialog, *d)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_BROWSE: BrowseForApplication(dialog); return TRUE;
        case IDC_KEYS:
        case IDC_APP:
        case IDC_PARAMS:
            if (HIWORD(wParam) == EN_CHANGE) PreviewSoon(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_SIZE:
        if (d) LayOutEntryDialog(dialog, *d);
        return TRUE;
    }
    return d &&
           (OnLayoutMessage(dialog, message, lParam, d->layout) ||
            OnPreviewTimerOrDensity(dialog, message, wParam, lParam, [&] { UpdatePreview(dialog, *d); }));
}

} // namespace

bool EditEntry(HINSTANCE instance, HWND owner, SettingsModel& model, const EditorRow* row,
               bool defaultEditor) {
    EntryDialog d{instance, model, row ? *row : EditorRow{}, defaultEditor, {}, {}, {}};
    if (defaultEditor) d.before = model.DefaultEditorRow();
    for (const EditorRow& other : model.Rows())
        if (!row || other.line != row->line) d.others.push_back(other);
    return RunDialog(instance, IDD_ENTRY, owner, EntryDialogProc, reinterpret_cast<LPARAM>(&d)) == IDOK;
}

} // namespace settings
