// The watch of the applications started for a copy from an archive. The host's thread never waits for
// them: a timer without a window, on that thread, records their windows as they appear, follows a
// launcher to the processes it started, and records the windows of other programs whose title names
// the copy (a program may hand the file to a copy of itself already running), for a bounded time
// after the load.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

// How long a watch runs after its load. A variable so that tests can shorten it.
inline ULONGLONG ApplicationWatchMs = 60000;
// Bounds on the handles a host process can come to hold: watches at once, processes per watch.
constexpr size_t kMaxApplicationWatches = 64;
constexpr size_t kMaxProcessesPerWatch = 16;
constexpr UINT kApplicationWatchTickMs = 100;

// Hands a process started for lister to the watch of that Lister, which is begun, or begun anew, now.
// Returns false when it is not watched (the bound of watches or processes reached, no timer, no memory);
// the handle is then closed at once and the Lister is left to what was recorded.
bool WatchApplication(HWND lister, win::UniqueHandle process, DWORD processId);
// Begins, or begins anew, the watch of lister for the copy at copyPath: while it runs it records every
// visible top-level window of another process than the host's whose title names the copy
// (copy_titles.h), whether or not a process was started for it. Returns false when it is not watched
// (the bound of watches reached, no timer, no memory).
bool WatchCopyByTitle(HWND lister, const std::wstring& copyPath);
// Follows every watched process that has ended to the processes it started (a launcher hands over to
// them), with one look at the running processes for all watches. The clean-up calls it once before it
// asks IsWatchedApplicationAlive about each Lister.
void FollowEndedApplications();
// Whether the watch of lister still runs and either a process it watches (the started one, or one that
// a started process left behind when it ended) was alive when last followed, or, looking by title, it
// has recorded no window yet: the processes may have handed the file to another program.
bool IsWatchedApplicationAlive(HWND lister);
// Ends the watch of lister, closing its handles.
void StopWatchingApplications(HWND lister);
// Ends every watch and stops the timer (module unload).
void StopApplicationWatches();
size_t RunningApplicationWatches();
void CALLBACK ApplicationWatchTimerProc(HWND hwnd, UINT message, UINT_PTR timerId, DWORD time);
