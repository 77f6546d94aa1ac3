// Application windows that keep a hidden Lister alive, the hide timer, the plugin window procedure.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shared/state.h"

// Whether a recorded application window still exists with its recorded class.
bool IsApplicationOpen(const TWindowProperties& app);
// Posts WM_CLOSE to hidden Listers whose recorded application windows are all gone and whose
// application is no longer watched alive (app_watch.h).
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
