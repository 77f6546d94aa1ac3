// Application windows that keep a hidden Lister alive, the hide timer, the plugin window procedure.
#pragma once

#include <windows.h>

BOOL CALLBACK FindProcessWindows(HWND hwnd, LPARAM processId);
// After a start for a temporary copy: waits (bounded) until the process is idle, then records its
// visible top-level window for hwLister.
void RecordApplicationWindow(HANDLE process, DWORD processId);
// Posts WM_CLOSE to hidden Listers whose recorded application windows are all gone.
void CleanUpHiddenListers();
void CALLBACK TimerProc(HWND hwnd, UINT message, UINT_PTR timerId, DWORD time);
LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
