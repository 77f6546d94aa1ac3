// The application for an extension key: plugin INI, host INI or the system's association, with the
// default editor as the fallback.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "config/command_text.h"

// Capacity of an application path, terminator included.
constexpr size_t kAppPathCapacity = 260;

// appPath[kAppPathCapacity] receives the application's path. Returns true when it names an application
// that was found; a false result has shown a message box unless IfIsExtOnly silenced it.
bool GetAssociatedAppByExt(const wchar_t* ext, wchar_t* appPath, bool forceDefaultEditor,
                           bool useSystemAssociation, bool& usedDefaultEditor);

namespace config {

// Where the application text of a lookup came from.
enum class AppSource {
    None,              // nothing was read (a registry failure)
    SystemAssociation, // the registry's "open" command of the extension's class
    HostExtensions,    // the host INI's [Extensions]
    EditorKey,         // the plugin INI's [Editor], the extension's own key
    EditorComposite,   // the plugin INI's [Editor], a composite line that lists the extension
    DefaultEditor,     // [Options] DefaultEditor, the fallback
};

// One lookup, with everything a reader of the configuration may want to know about it. It shows
// nothing: message is the text the plugin shows for it, empty when it found the application or
// declined silently.
struct AppLookup {
    bool found = false;
    std::wstring appPath; // what goes into the command line (at most kAppPathCapacity - 1 units)
    bool usedDefaultEditor = false;
    AppSource source = AppSource::None;
    std::wstring appText; // as read from the source (before the default editor, when that was taken)
    std::wstring message;
    // The application the message says was not found, as the plugin looked for it (expanded).
    std::wstring notFound;
    // The system's association opens the file through the shell (a command with arguments of its own,
    // or a class without one); no application is looked up and nothing is reported.
    bool openWithShell = false;
    // UseSystemAssociations=1 took the system's association for a key nothing configures.
    bool systemFallback = false;
};
AppLookup LookUpApplication(const std::wstring& ext, bool forceDefaultEditor, bool useSystemAssociation);
// The application [Editor] names for a type key of [Types], by its own line or a composite one; nullopt
// when it names none, and the file goes on by its extension key. Never the host's [Extensions], the
// system's association or the default editor: they know no type keys.
std::optional<AppLookup> LookUpTypeApplication(const std::wstring& type);
// Whether [Editor] names an application for a type key, without looking for the program.
bool EditorNamesApplication(const std::wstring& type);
// The lookup of a key as the builder groups names by it: a type key resolved in [Editor] by
// LookUpTypeApplication, any other by LookUpApplication.
AppLookup LookUpKey(const GroupKey& key, bool forceDefaultEditor, bool useSystemAssociation);
// The same, its message (if any) handed to the message sink, as GetAssociatedAppByExt does.
AppLookup LookUpAndReport(const GroupKey& key, bool forceDefaultEditor, bool useSystemAssociation);
// [Options] DefaultEditor, as the lookup falls back to it; shows nothing.
AppLookup LookUpDefaultEditor();

// An application text as the configuration names one: expanded, then found as a configured
// application is (its own folder, or the program folders); nullopt when it is not found or does not
// fit the application buffer.
std::optional<std::wstring> ResolveApplicationText(const std::wstring& text);

// Whether the system runs files of this extension key when it opens them (RunsWhenOpened of
// config/program_search.h with this system's PATHEXT, and the types the shell marks unsafe): their
// association never stands in for a configured application.
bool RunsWhenOpened(const std::wstring& key);

// The host program's folder, the first one a program named without an absolute folder is looked for
// in. Unset (nullopt), it is the folder of the process's own program: the host's, for the plugin. A
// program of its own (the checker) sets the folder it is told, or an empty one when it knows none.
// Returns the previous value.
std::optional<std::wstring> SetHostProgramFolder(std::optional<std::wstring> folder);

// Where the messages of GetAssociatedAppByExt go: by default a message box owned by hwMain. A reader
// that must show none (the configuration checker) takes them instead. Returns the previous sink.
using LookupMessageSink = void (*)(const std::wstring& text);
LookupMessageSink SetLookupMessageSink(LookupMessageSink sink);

} // namespace config
