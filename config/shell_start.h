// Starts that hand a name to the system's shell, past the shell's limit on names: StartApplication and
// OpenWithShell (shared/process.h) give the shell the short form of a longer name; a name without one
// goes to the program of its association instead, started by process creation with the whole name, as
// the second hotkey starts an association's program. Where neither works, the result says why.
#pragma once

#include <string>

#include "shared/process.h"

namespace config {

StartResult StartCommand(const std::wstring& commandLine);
StartResult OpenFile(const std::wstring& file, const std::wstring& className = {});

} // namespace config
