// The plugin's messages to the user: a box owned by hwMain, caption "Tolvanier", style 0x10.
#pragma once

#include <windows.h>

#include <string>

namespace config {

// Shows text in the plugin's message box and waits for the user. Whatever was read of the
// configuration files is forgotten around it: the user may mend them while the box is open.
void ShowPluginMessage(const std::wstring& text);

} // namespace config

// The message of a start that failed: what (a command line or a file) and the system's text for error.
void ShowStartFailure(const std::wstring& what, DWORD error);
