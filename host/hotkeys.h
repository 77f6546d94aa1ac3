// The two hotkeys inside an active Lister.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK HookKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
bool IsRightModState(const std::wstring& spec);
void LoadAppByListerWindow(HWND listerWindow, bool useSystemAssociation);

// Installs the thread keyboard hook for the thread of hwMain when none is installed. With no host
// window there is no thread to confine it to, and no hook is installed (never desktop-wide).
void InstallKeyboardHook();
// Removes the hook, if any.
void RemoveKeyboardHook();
