// How a command line that the plugin built is started: its program and its arguments. Pure text
// rules, no platform call.
#pragma once

#include <optional>
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

// The name the shell is handed for name. Windows' shell takes at most 259 characters, whatever the
// long-path setting: a longer name goes as its short (8.3) form, shortOfExtendedForm, which the
// platform gave for the name's "\\?\" form and which keeps that prefix; the prefix is taken off again.
// nullopt when the short form is no shorter than the limit either (a volume without short names).
std::optional<std::wstring> ShellNameOf(const std::wstring& name, const std::wstring& shortOfExtendedForm);
