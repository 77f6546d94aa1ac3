// The application for an extension key: plugin INI, host INI or the system's association, with the
// default editor as the fallback.
#pragma once

#include <cstddef>

// Capacity of an application path, terminator included.
constexpr size_t kAppPathCapacity = 260;

// appPath[kAppPathCapacity] receives the application's path. Returns true when it names an application
// that was found; a false result has shown a message box unless IfIsExtOnly silenced it.
bool GetAssociatedAppByExt(const wchar_t* ext, wchar_t* appPath, bool forceDefaultEditor,
                           bool useSystemAssociation, bool& usedDefaultEditor);
