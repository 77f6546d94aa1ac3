// What the configuration checker can tell from the text of an INI file alone: how the file is
// encoded, its lines as the platform's profile functions see them, and the mistakes the plugin
// would pass over in silence. No platform call here but the texts' (config/texts.h, which the fuzz
// targets give as numbers), so tests and fuzzers drive it directly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/file_types.h"
#include "config/option_table.h"

namespace checker {

// How the file's bytes are encoded. The profile functions read UTF-16 only behind its byte-order
// mark; everything else in the ANSI code page.
enum class IniEncoding { Utf16Le, Utf16Be, Utf16NoBom, Utf8WithBom, Utf8, Ascii, Ansi };

struct DecodedIni {
    IniEncoding encoding = IniEncoding::Ascii;
    std::wstring text; // empty for Ansi: only the platform knows the code page
};
DecodedIni DecodeIniBytes(const std::string& bytes);
std::wstring EncodingName(IniEncoding encoding);

// One line of the file that is no comment, no blank line and no section header.
struct IniEntry {
    int line = 0;          // 1-based
    int sectionIndex = -1; // into ParsedIni::sections; -1 before any section
    std::wstring key;      // as written, blanks around it trimmed as the platform does
    std::wstring value;    // likewise
    bool hasEquals = false;
};
struct IniSection {
    int line = 0;
    std::wstring name;
};
struct ParsedIni {
    std::vector<IniSection> sections;
    std::vector<IniEntry> entries;
};
ParsedIni ParseIni(const std::wstring& text);
// The entries with "=" of the first section of that name, the only one the platform reads.
std::vector<const IniEntry*> EntriesOf(const ParsedIni& ini, const std::wstring& section);

// One finding: where it is and what to do about it.
struct Problem {
    int line = 0; // 0: not tied to a line
    std::wstring section;
    std::wstring key;
    std::wstring text;
};
// "[Section] key (line N): text"; the section and key as written.
std::wstring FormatProblem(const Problem& problem);

// Why the plugin skips a line of [Types], and what to write instead; nullopt for a line it uses.
std::optional<std::wstring> TypeLineFaultText(const config::TypeLine& line);

struct TextFindings {
    std::vector<Problem> problems;
    std::vector<Problem> notes; // worth knowing, not wrong
};
// Unknown sections and keys, malformed and out-of-range values, modifier texts, composite keys,
// quoted "%1", keys and sections written twice, the lines of [Types] the plugin skips and those that
// never match, a language the plugin has no texts in (languages: the codes of those it has).
TextFindings FindTextProblems(const ParsedIni& ini, const std::vector<std::wstring>& languages);
// A UTF-8 file whose mark stands before a section header (Windows misses that section), a UTF-8 file
// with non-ASCII text (which Windows reads as ANSI), or UTF-16 without its mark.
std::optional<Problem> FindEncodingProblem(const DecodedIni& decoded, const ParsedIni& ini);
// The section whose header stands on the first line right behind a UTF-8 byte-order mark: Windows reads
// the mark in the ANSI code page, as three characters of that line, sees no header there and takes the
// section's keys for lines before any section. (Wine reads the file as UTF-8 and finds the section.)
std::optional<std::wstring> SectionHiddenByMark(const DecodedIni& decoded, const ParsedIni& ini);

// What the plugin does with the value of a key of a fixed section: the kinds of the table of options.
using config::ValueKind;

// The known key of the list nearest to name (edit distance, letter case ignored); the first wins a tie.
std::wstring NearestName(const std::wstring& name, const std::vector<std::wstring>& known);
// The virtual-key code of a key name such as F2, Enter, PgDn or VK_F4 (letter case and blanks ignored).
std::optional<int> KeyCodeOfName(const std::wstring& name);
// A name for a virtual-key code, empty when the table has none.
std::wstring KeyNameOfCode(int code);
// The modifier text the plugin understands ("SC") for what the user meant by text ("Ctrl+Shift",
// "sc"); nullopt when the text cannot be read as modifiers.
std::optional<std::wstring> IntendedModifiers(const std::wstring& text);
// "Shift+Ctrl" for a modifier text as the plugin reads it (its first 3 characters, S, C, A only).
std::wstring DescribeModifiers(const std::wstring& modifierText);

// Whether a key of section [Editor] names a template (an application path or a "_params" key)
// rather than an application for extension keys.
bool IsTemplateKey(const std::wstring& key);
// The items of a composite [Editor] key, as the plugin's grammar cuts them.
std::vector<std::wstring> CompositeItems(const std::wstring& key);

// Blanks around a name or value cut, as the profile functions cut them.
std::wstring Trim(const std::wstring& s);
// ASCII letters in lower case, as the profile functions compare names; other units stay.
std::wstring Lower(std::wstring s);
// s between double quotes, as the report shows a value.
std::wstring Quote(const std::wstring& s);
// Line ends turned into blanks, for a text shown on one line.
std::wstring OneLine(std::wstring text);

// Case-insensitive equality of ASCII names, as the profile functions match section and key names.
bool SameName(const std::wstring& a, const std::wstring& b);

// Command-line arguments of TolvanierCheck.exe.
struct Arguments {
    enum class Mode { Load, Hotkey, System, Choose };
    std::wstring ini;      // empty: the settings file the plugin in the checker's folder reads
    std::wstring language; // empty: [Options] Language of that file, else the display language
    Mode mode = Mode::Load;
    std::vector<std::wstring> files;
    bool help = false;
};
// nullopt, with the reason in error, for arguments the checker does not take.
std::optional<Arguments> ParseArguments(const std::vector<std::wstring>& args, std::wstring& error);

} // namespace checker
