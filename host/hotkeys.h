// The two hotkeys inside an active Lister.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK HookKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
bool IsRightModState(const std::wstring& spec);
void LoadAppByListerWindow(HWND listerWindow, bool useSystemAssociation);
// Whether the second hotkey has the system's shell open this file rather than a program the lookup
// finds (an association whose command has arguments of its own, or none but a shell handler).
bool SystemOpensWithShell(const std::wstring& file);

// Installs the thread keyboard hook for the thread of hwMain when none is installed. With no host
// window there is no thread to confine it to, and no hook is installed (never desktop-wide).
void InstallKeyboardHook();
// Removes the hook, if any.
void RemoveKeyboardHook();
