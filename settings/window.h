// The settings window: a resizable dialog with a page per tab (applications, where the plugin acts,
// options, hotkeys, the checker's report), and the dialog that edits one application.
#pragma once

#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/model.h"

namespace settings {

// Shows the window on model and runs its message loop until it is closed; returns the exit status.
int RunSettingsWindow(HINSTANCE instance, SettingsModel& model, int show);

// The edit dialog of row (nullptr: a new one), or of the default editor. On OK its writes are applied
// to the model (nothing is saved); returns whether they were.
bool EditEntry(HINSTANCE instance, HWND owner, SettingsModel& model, const EditorRow* row,
               bool defaultEditor);

// The dialog of the line at index of [Types] (-1: a new one, added at the end). On OK the section is
// applied to the model (nothing is saved); returns whether it was.
bool EditTypeLine(HINSTANCE instance, HWND owner, SettingsModel& model, int index);

// What the two edit dialogs share: the text of a control; a preview made once typing pauses (call
// PreviewSoon at each change, and OnPreviewTimerOrDensity with each message, which also takes the
// rectangle the system suggests for a new density); true when it handled the message.
std::wstring DialogItemText(HWND dialog, int id);
void PreviewSoon(HWND dialog);
bool OnPreviewTimerOrDensity(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                             const std::function<void()>& preview);

// Files the user picks in the system's Open dialog over owner, and files dropped on a window.
std::vector<std::wstring> PickFiles(HWND owner);
std::vector<std::wstring> DroppedFiles(HDROP drop);

// The system's Open dialog over owner, with title, filter (pairs of texts, each ended by "|") and flags,
// in initialFolder when it is given. buffer's size is the room for the names picked; false when the user
// cancelled.
bool AskForFiles(HWND owner, const std::wstring& title, std::wstring filter,
                 const std::wstring& initialFolder, DWORD flags, std::wstring& buffer);

} // namespace settings
