// The settings window's dialogs in the language it shows.
#pragma once

#include <windows.h>

#include <string>

namespace settings {

// The template of dialog id in module; nullptr when it has none.
const DLGTEMPLATE* DialogTemplate(HINSTANCE module, int id);

// The dialogs made from those templates.
HWND MakeDialog(HINSTANCE module, int id, HWND parent, DLGPROC proc, LPARAM param);
INT_PTR RunDialog(HINSTANCE module, int id, HWND owner, DLGPROC proc, LPARAM param);

// Says what is wrong with a dialog's input, then puts the focus on the field it names, its text selected.
void ShowFieldProblem(HWND dialog, const std::wstring& text, int fieldId);

} // namespace settings
