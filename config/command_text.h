// The text rules of command resolution, free of platform calls: the composite [Editor] grammar, the
// cuts of a registry command and a host extension value, extension keys, quoting, and the
// composition of command lines from lookups that the caller has already resolved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace config {

// The extension key of a directory.
inline const std::wstring kDirectoryKey = L":dir";

// Value of the first line of a section (lines each terminated by '\0', closed by an empty line, as
// the platform's section read returns them) whose composite key lists key. forApplication: an
// application entry ("_params" absent or after the first "="); otherwise a parameter entry
// ("_params" before the first "="). nullopt when no line matches.
std::optional<std::wstring> FindCompositeValue(const std::wstring& section, const std::wstring& key,
                                               bool forApplication);

// The program path of a registry "open" command: the text between a leading double quote and the
// next one, or everything before the first space. nullopt for an opening quote that never closes.
std::optional<std::wstring> CutRegistryCommand(const std::wstring& command);

// Whether a registry "open" command holds nothing but its program and the file's placeholder ("%1" or
// "%L", quoted or not, or none at all): the program with the extension's template then opens the file
// as the command would. A command that is only the placeholder, or has arguments of its own, is not
// plain. An opening quote that never closes counts as plain, for the cut to report.
bool IsPlainOpenCommand(const std::wstring& command);

// Whether a registry "open" command's program is the file itself ("%1" %*, as for programs and
// scripts): the file is run, not opened in an application.
bool OpenCommandRunsTheFile(const std::wstring& command);

// The command line that an association's open command (as the registry holds it, expanded) makes for
// file, as the shell would start it: program (the command's program as found) between quotes, then what
// follows the program in the command, with "%1", "%L" and "%V" (in either case) replaced by the file's
// name, quoted unless the command quotes it, "%*" and "%2" to "%9" by nothing and "%%" by one percent
// sign; the quoted name is appended when the command names no file.
std::wstring FillOpenCommand(const std::wstring& command, const std::wstring& program,
                             const std::wstring& file);

// text with expand applied to each piece around its "%1" placeholders, which stay as they are: the
// platform pairs percent signs from the left, so a "%1" in front of a reference would keep it unexpanded.
std::wstring ExpandAroundPlaceholders(const std::wstring& text,
                                      const std::function<std::wstring(const std::wstring&)>& expand);

// A host extension value cut before its last "^" (unchanged when it has none).
std::wstring CutAtLastCaret(const std::wstring& value);

// The extension key of a name: ":dir" for a directory, else the extension of the whole last
// component (after its last dot) in lower case, empty when there is none or the name ends in a dot.
std::wstring ExtensionKeyOf(const std::wstring& name, bool isDirectory);

// A name between double quotes. Backslashes at the end of the name are doubled inside the quotes so
// that standard argument parsing gives back the name unchanged; nothing else is escaped.
std::wstring QuoteName(const std::wstring& name);

// '\\' or '/', the two separators of a path.
bool IsPathSeparator(wchar_t c);
// text in lower case, unit by unit.
std::wstring LowerCase(std::wstring text);

// An application path split the way the runtime's path splitter does: drive ("X:"), directory (up to
// and including the last separator), base name and extension (from the last dot, dot included).
struct PathParts {
    std::wstring drive;
    std::wstring directory;
    std::wstring baseName;
    std::wstring extension;
};
PathParts SplitPath(const std::wstring& path);

// The key a name is grouped and resolved by: its extension key, or the type key a [Types] line gave it.
struct GroupKey {
    std::wstring key;
    // A type key while the options take applications from the host's [Extensions]: its application
    // comes from [Editor], so it is resolved apart from an extension key of the same text.
    bool typeInEditor = false;
};

// A name that exists, with the kind the existence test reported.
struct ExistingName {
    std::wstring name;
    bool isDirectory = false;
    std::optional<GroupKey> key = std::nullopt; // none: the extension key
};

// What the application lookup answered for one extension key.
struct ResolvedApp {
    std::wstring appPath;
    bool usedDefaultEditor = false;
    // The system's shell opens each file of the key (appPath is not used): see ShellOpenLine.
    bool openWithShell = false;
};

// The command line of a file that the system's shell opens: the quoted file as its own application,
// with no arguments. The start hands an application that is no program to the shell
// (shared/process.h); a line the builder makes has arguments otherwise, so the two never mix.
std::wstring ShellOpenLine(const std::wstring& name);

// Looks up the application of a key; nullopt when the key gets no command.
using AppResolver = std::function<std::optional<ResolvedApp>(const GroupKey& key)>;
// Reads the expanded template: (mode, key, usedDefaultEditor).
using TemplateReader = std::function<std::wstring(int mode, const std::wstring& key, bool usedDefaultEditor)>;

// Groups the names by their keys, resolves each distinct key once in key order, and composes the
// command lines of the grouping chosen by paramsMode and paramsByExtMode. The names of a key the
// shell opens get one ShellOpenLine each, in input order, placed before the first command whose
// (first) key sorts after theirs. No line is longer than
// maxLineLength: the names of a command that do not fit one line are spread over several lines with
// the same application and template, each holding a consecutive run of whole names; a name that
// cannot fit any line gets no command.
std::vector<std::wstring> ComposeCommandLines(const std::vector<ExistingName>& names, int paramsMode,
                                              int paramsByExtMode, const AppResolver& resolveApp,
                                              const TemplateReader& readTemplate, size_t maxLineLength);
// The same for names as the existence test answered them (0 absent, 16 directory, any other a file),
// in place: the absent ones are left out. keys, when given, holds the key of each name.
std::vector<std::wstring> ComposeCommandLines(const std::vector<std::wstring>& names,
                                              const std::vector<uint8_t>& kinds, int paramsMode,
                                              int paramsByExtMode, const AppResolver& resolveApp,
                                              const TemplateReader& readTemplate, size_t maxLineLength,
                                              const std::vector<GroupKey>* keys = nullptr);

} // namespace config
