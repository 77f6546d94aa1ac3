#include "settings/resources.h"

#include "config/languages.h"
#include "settings/texts.h"
#include "win/resources.h"

namespace settings {
namespace {

const DLGTEMPLATE* DialogTemplateIn(HINSTANCE module, int id, LANGID language) {
    const HRSRC found =
        FindResourceExW(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language); // RT_DIALOG
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

} // namespace

// By language, not through the thread's: Wine ignores the thread's language when it loads a dialog.
const DLGTEMPLATE* DialogTemplate(HINSTANCE module, int id) {
    const DLGTEMPLATE* found = DialogTemplateIn(module, id, config::TextLanguage());
    return found ? found : DialogTemplateIn(module, id, win::kEnglish);
}

HWND MakeDialog(HINSTANCE module, int id, HWND parent, DLGPROC proc, LPARAM param) {
    const DLGTEMPLATE* dialog = DialogTemplate(module, id);
    return dialog ? CreateDialogIndirectParamW(module, dialog, parent, proc, param) : nullptr;
}

INT_PTR RunDialog(HINSTANCE module, int id, HWND owner, DLGPROC proc, LPARAM param) {
    const DLGTEMPLATE* dialog = DialogTemplate(module, id);
    return dialog ? DialogBoxIndirectParamW(module, dialog, owner, proc, param) : -1;
}

void ShowFieldProblem(HWND dialog, const std::wstring& text, int fieldId) {
    MessageBoxW(dialog, text.c_str(), Text(IDS_SETTINGS_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
    // Through the dialog manager, which selects the text of an edit box it focuses.
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, fieldId)), TRUE);
}

} // namespace settings
