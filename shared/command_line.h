// How a command line that the plugin built is started: its program and its arguments. Pure text
// rules, no platform call.
#pragma once

#include <string>

// A command line as the plugin builds it: the application (between the leading quotes, or up to the
// first space) and the arguments after the one space that follows it.
struct CommandParts {
    std::wstring application;
    std::wstring arguments;
};
CommandParts SplitCommandLine(const std::wstring& commandLine);

// Whether process creation starts the application itself: a program (.exe, .com) or a batch file (.bat,
// .cmd). Anything else (a shortcut, a script of another kind, a file without an extension, which
// process creation would take for the ".exe" of that name) is the shell's to open.
bool StartsThroughProcessCreation(const std::wstring& application);
