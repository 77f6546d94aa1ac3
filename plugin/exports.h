// The four functions the host calls. The module-definition file exports them undecorated.
#pragma once

#include <windows.h>

extern "C" {
HWND WINAPI ListLoad(HWND parentWin, char* fileToLoad, int showFlags);
HWND WINAPI ListLoadW(HWND parentWin, wchar_t* fileToLoad, int showFlags);
void WINAPI ListCloseWindow(HWND listWin);
void WINAPI ListGetDetectString(char* detectString, int maxlen);
}
