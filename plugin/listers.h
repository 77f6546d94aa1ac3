// Application windows that keep a hidden Lister alive, the hide timer, the plugin window procedure.
#pragma once

#include <windows.h>

#include <cstdint>

// How long the host's thread waits for a started application to become idle for input before its
// window is looked for. The thread blocks for the wait, so the host's whole interface freezes for at
// most this long per started application.
constexpr DWORD kApplicationIdleWaitMs = 5000;

BOOL CALLBACK FindProcessWindows(HWND hwnd, LPARAM processId);
// After a start for a temporary copy: waits (bounded) until the process is idle, then records its
// visible top-level window for hwLister.
void RecordApplicationWindow(HANDLE process, DWORD processId);
// Posts WM_CLOSE to hidden Listers whose recorded application windows are all gone.
void CleanUpHiddenListers();
// Drops the files recorded for Lister windows that no longer exist.
void ForgetClosedListers();
// Hides lister as soon as it becomes visible, through the one hide timer (TimerToHideListerID).
void StartHideTimer(HWND lister);
// Stops the hide timer and forgets the Listers it was waiting for.
void StopHideTimer();
void CALLBACK TimerProc(HWND hwnd, UINT message, UINT_PTR timerId, DWORD time);
// Whether creating the plugin window hands the Lister on to its next viewer plugin.
bool PassesListerOn(bool nextPlugin, int32_t listerState, bool quickView);
// The hand-over that the plugin window's creation asked for: posted when at least one application of
// the load started, dropped otherwise.
void HandListerOnIfAsked(bool anyStarted);
LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A Lister inside the quick-view panel has a parent window; a separate Lister, even one that another
// window owns, has none.
bool HasParentWindow(HWND hwnd);
