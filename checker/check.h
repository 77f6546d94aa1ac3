// One run of the configuration checker: reads the settings through the plugin's own code (option
// block, application lookup, templates, command list builder) and reports what it finds and what the
// plugin would start. It shows no message box, starts nothing and writes no file.
#pragma once

#include <string>

#include "checker/ini_check.h"

namespace checker {

// The report goes to out, lines ended by "\n". Returns the exit status: 0 no problem and every FILE
// opens, 1 a problem or a FILE that would not open or shows a message, 2 an INI that cannot be read
// (or none yet). checkerFolder ends in a backslash: without --ini, the settings file is the one a
// plugin installed there reads. The file manager's folder comes from COMMANDER_PATH.
int RunCheck(const Arguments& args, const std::wstring& checkerFolder, std::wstring& out);

} // namespace checker
