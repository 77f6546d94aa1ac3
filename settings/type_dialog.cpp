// The dialog that edits one line of [Types], with a live list of the example names (and of the files
// the user picks or drops) that the line takes.
#include <windows.h>

#include <string>
#include <vector>

#include "settings/layout.h"
#include "settings/resource.h"
#include "settings/resources.h"
#include "settings/texts.h"
#include "settings/window.h"

namespace settings {
namespace {

struct TypeDialog {
    SettingsModel& model;
    int index;
    TypeFields before;
    std::vector<std::wstring> files; // picked or dropped, to try the line on
    DialogLayout layout;
};

TypeFields FieldsOf(HWND dialog) {
    return {DialogItemText(dialog, IDC_MASKS), DialogItemText(dialog, IDC_TYPE),
            DialogItemText(dialog, IDC_CONDITIONS)};
}

void UpdatePreview(HWND dialog, const TypeDialog& d) {
    const std::wstring text = d.model.PreviewTypeLine(FieldsOf(dialog), d.files, d.index);
    SetDlgItemTextW(dialog, IDC_TAKES, WithWindowsLineEnds(text).c_str());
}

void AddFiles(HWND dialog, TypeDialog& d, const std::vector<std::wstring>& files) {
    d.files.insert(d.files.end(), files.begin(), files.end());
    UpdatePreview(dialog, d);
}

bool Accept(HWND dialog, TypeDialog& d) {
    const TypeFields fields = FieldsOf(dialog);
    if (const std::optional<TypeFieldProblem> problem = ProblemWithTypeLine(fields)) {
        ShowFieldProblem(dialog, problem->text,
                         problem->field == TypeField::Masks  ? IDC_MASKS
                         : problem->field == TypeField::Type ? IDC_TYPE
                                                             : IDC_CONDITIONS);
        return false;
    }
    TypesSection section = d.model.Types();
    const std::wstring text = TypeLineText(fields);
    if (d.index < 0)
        section.lines.push_back({{}, text});
    else if (static_cast<size_t>(d.index) < section.lines.size() &&
             TypeLineText(d.before) != text) // unchanged, a line stays as it was written
        section.lines[static_cast<size_t>(d.index)].text = text;
    d.model.ApplyTypes(section);
    return true;
}

void InitTypeDialog(HWND dialog, TypeDialog& d) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&d));
    d.layout.Record(dialog, IDD_TYPE);
    if (d.index < 0) SetWindowTextW(dialog, Text(IDS_SETTINGS_NEW_TYPE_CAPTION).c_str());
    SetDlgItemTextW(dialog, IDC_MASKS, d.before.masks.c_str());
    SetDlgItemTextW(dialog, IDC_TYPE, d.before.type.c_str());
    SetDlgItemTextW(dialog, IDC_CONDITIONS, d.before.conditions.c_str());
    for (int id : {IDC_MASKS, IDC_TYPE, IDC_CONDITIONS})
        SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 8136, 0);
    DragAcceptFiles(dialog, TRUE);
    UpdatePreview(dialog, d);
}

INT_PTR CALLBACK TypeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<TypeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        InitTypeDialog(dialog, *reinterpret_cast<TypeDialog*>(lParam));
        return TRUE; // the system focuses the first field
    case WM_COMMAND:
        if (!d) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK:
            if (Accept(dialog, *d)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_TYPE_TRY: AddFiles(dialog, *d, PickFiles(dialog)); return TRUE;
        case IDC_MASKS:
        case IDC_TYPE:
        case IDC_CONDITIONS:
            if (HIWORD(wParam) == EN_CHANGE) PreviewSoon(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_DROPFILES:
        if (d) AddFiles(dialog, *d, DroppedFiles(reinterpret_cast<HDROP>(wParam)));
        return TRUE;
    }
    return d &&
           (OnLayoutMessage(dialog, message, lParam, d->layout) ||
            OnPreviewTimerOrDensity(dialog, message, wParam, lParam, [&] { UpdatePreview(dialog, *d); }));
}

} // namespace

bool EditTypeLine(HINSTANCE instance, HWND owner, SettingsModel& model, int index) {
    TypeDialog d{model, index, {}, {}, {}};
    const TypesSection& section = model.Types();
    if (index >= 0 && static_cast<size_t>(index) < section.lines.size())
        d.before = FieldsOfTypeLine(section.lines[static_cast<size_t>(index)].text);
    return RunDialog(instance, IDD_TYPE, owner, TypeDialogProc, reinterpret_cast<LPARAM>(&d)) == IDOK;
}

} // namespace settings
