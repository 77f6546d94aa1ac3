// The hotkeys inside an active Lister: two that start an application, one that shows a menu of them.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK HookKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
bool IsRightModState(const std::wstring& spec);
void LoadAppByListerWindow(HWND listerWindow, bool useSystemAssociation);
// The third hotkey: a menu over the Lister of the applications for its file (config/open_with.h) and
// the system's "Open with" dialog; the item chosen is started as its hotkey would start it. Returns
// once the user chose (or pressed Escape), having started it.
void ChooseAppFromLister(HWND listerWindow);
// Whether the second hotkey has the system's shell open this file rather than a program the lookup
// finds (an association whose command has arguments of its own, or none but a shell handler).
bool SystemOpensWithShell(const std::wstring& file);

// Installs the thread keyboard hook for the thread of hwMain when none is installed. With no host
// window there is no thread to confine it to, and no hook is installed (never desktop-wide).
void InstallKeyboardHook();
// Removes the hook, if any.
void RemoveKeyboardHook();
