#include "settings/resources.h"

namespace settings {

const DLGTEMPLATE* DialogTemplate(HINSTANCE module, int id) {
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)); // RT_DIALOG
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
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
