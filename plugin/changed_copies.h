// Changes the user saved into a copy from an archive are kept: the host deletes the copy right after
// ListCloseWindow, so that call compares the copy with what it was at its load and keeps a changed
// one in the folder [Options] ChangedCopiesFolder names. The user is told once the host's call has
// returned.
#pragma once

#include <windows.h>

#include <string>

// Notes the copy's size and last-write time at its load, before anything is started.
void NoteCopyAtLoad(const std::wstring& copy);
// The copy noted by the running load goes with the plugin window the load returns; a declined load
// (null) drops it.
void BindNotedCopy(HWND pluginWindow);
// ListCloseWindow for pluginWindow: a copy that still exists with another size or last-write time is
// kept, whole, before this returns: a hard link where the folder lies on the copy's volume, else a
// copy. The message follows after the host's call (HostCallDepth); where nothing could be written the
// copy is held open without delete sharing until that message was read, so it outlives the host's
// deletion.
void KeepCopyIfChanged(HWND pluginWindow);
// Forgets every noted copy and every message not yet shown (the module's unload): the kept files stay.
void ForgetChangedCopies();

// [Options] ChangedCopiesFolder as the plugin reads it, environment references expanded; empty when
// none is written.
std::wstring ConfiguredChangedCopiesFolder();
// The folder taken without one: the user's Documents folder, wherever it is redirected, and
// "Tolvanier\Changed copies" in it; empty when the system names none.
std::wstring DefaultChangedCopiesFolder();

// Whether another process holds file open so that deleting it fails: an open without delete sharing.
bool IsHeldWithoutDeleteSharing(const std::wstring& file);
