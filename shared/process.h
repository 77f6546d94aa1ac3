// Starting one command line as an independent process, or handing a file to the system's shell.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// The platform's limit for a command line, terminator included.
constexpr size_t kCommandLineLimit = 32767;

// Starts commandLine whole (no separate application name, no inherited handles, the host's
// environment and current directory, a zeroed start-up record). A line that does not fit the
// platform's limit is not started. The returned owner is empty when nothing was started; error, when
// given, then receives the reason.
win::UniqueProcessInfo StartCommandLine(const std::wstring& commandLine, DWORD* error = nullptr);

// What a start gave: started or not (and why not), and the process when the system named one (the
// shell may hand a file to a program that is already running).
struct StartResult {
    bool started = false;
    DWORD error = ERROR_SUCCESS;
    win::UniqueProcessInfo process;
    // Not started: the shell was to open a name longer than it takes, which has no short form.
    bool nameTooLongForShell = false;
};

// Starts a command line "application" arguments as a double-click with those arguments would: through
// process creation, or through the shell for what process creation cannot start (a program that is
// no program the system runs directly, one that needs elevation, a shortcut, a script of another kind).
StartResult StartApplication(const std::wstring& commandLine);

// The shell gets a name longer than its limit as its short form (ShellNameOf); with none, nothing is
// started and the result says nameTooLongForShell.
// Opens a file with the system's "open" verb, as Explorer would; with className, as that class (or
// "Applications\name") opens files rather than the file's own association.
StartResult OpenWithShell(const std::wstring& file, const std::wstring& className = {});

// Whether the system has its own "Open with" dialog (shell32's SHOpenWithDialog, looked up when asked:
// not every system has it).
bool SystemHasOpenWithDialog();
// Shows that dialog for file, owned by owner; the user's choice there opens the file. Returns the
// dialog's result: S_OK, the cancel of ERROR_CANCELLED, or why it could not be shown.
HRESULT ShowSystemOpenWithDialog(HWND owner, const std::wstring& file);
