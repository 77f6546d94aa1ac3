// Where a program named without a folder is looked for, and under which names. Free of platform calls:
// the caller hands in the folders and the environment's values.
#pragma once

#include <string>
#include <vector>

namespace config {

// A path that names its folder from a root: a drive and a separator ("C:\"), a share ("\\server\..."),
// or a device path ("\\?\...", "\\.\..."). "C:tools" and "\tools" depend on the current folder and
// drive, so they are not absolute.
bool IsAbsolutePath(const std::wstring& path);

// The folders that a program named without an absolute folder is looked for in, in order: the host
// program's folder, the system folder, the Windows folder, then the entries of PATH. Empty and relative
// entries are left out (the current folder is the one the user browses), quotes around an entry are
// dropped, and a folder listed twice is looked in once.
std::vector<std::wstring> ProgramSearchFolders(const std::wstring& hostFolder,
                                               const std::wstring& systemFolder,
                                               const std::wstring& windowsFolder,
                                               const std::wstring& pathValue);

// The extensions a name without one is tried with: those of PATHEXT in its order, lower case, each a
// dot and at least one more character, with ".exe" added when PATHEXT lacks it. An empty PATHEXT
// counts as the platform's default ".COM;.EXE;.BAT;.CMD".
std::vector<std::wstring> ProgramExtensions(const std::wstring& pathextValue);

// The names a program's file part is looked for under, in rounds; each round goes through every folder,
// folder by folder, before the next begins. A name without an extension: one round with each program
// extension (a file without an extension is never the program). With one: the name as written, then
// the base name with ".exe".
std::vector<std::vector<std::wstring>> ProgramNameRounds(const std::wstring& baseName,
                                                         const std::wstring& extension,
                                                         const std::vector<std::wstring>& programExtensions);

// Whether the system runs files of an extension key (lower case, no dot) when it opens them: programs,
// batch files, scripts, installers, shortcuts, and whatever PATHEXT lists (programExtensions, as
// ProgramExtensions gives them). Viewing such a file must never run it.
bool RunsWhenOpened(const std::wstring& key, const std::vector<std::wstring>& programExtensions);

// folder joined with name by exactly one separator.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

} // namespace config
