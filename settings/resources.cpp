#include "settings/resources.h"

#include "config/languages.h"
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

} // namespace settings
