// Section [Types]: lines that give a file a type key, by masks on its name or path and by its size and
// content, before [Editor] is asked. The grammar, the masks and the content test are pure
// (file_types_text.cpp); reading the section and asking the files (file_types.cpp) use the platform.
//
//   masks=type conditions    Makefile;*.mk=make    *.log|debug*=biglog size>50M    *.=plain text
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/command_text.h"

namespace config {

// Why a line of [Types] is skipped.
enum class TypeLineFault {
    None,
    NoMask,           // no mask before "=", or only masks after "|" (which exclude)
    SecondBar,        // a second "|" among the masks
    NoType,           // no "=", or nothing after it
    TypeCharacters,   // the type holds other units than letters, digits, "-" and "_"
    TemplateType,     // the type holds "_params", which [Editor] reads as a template's key
    UnknownCondition, // a word after the type that is no condition
    MalformedSize,    // a size condition that is not size>N or size<N
};

// One mask, folded to lower case; "*" is any run of units, "?" exactly one.
struct TypeMask {
    std::wstring pattern;
    bool wholeName = false;   // holds a backslash: matched against the whole name, else its last component
    bool folders = false;     // was written with a trailing backslash: folders only; other masks, files only
    bool noExtension = false; // was written with a trailing dot: names without an extension only
};

enum class ConditionKind { SizeAbove, SizeBelow, Text, Binary };
struct TypeCondition {
    ConditionKind kind = ConditionKind::Text;
    uint64_t bytes = 0; // the size conditions' bound
};

struct TypeLine {
    int place = 0;      // 1-based among the section's lines that are no comments
    std::wstring masks; // as written, before "="
    std::wstring value; // as written, after "="
    bool hasEquals = true;
    std::wstring type; // in lower case
    std::vector<TypeMask> include;
    std::vector<TypeMask> exclude;
    std::vector<TypeCondition> conditions; // the cheapest first: sizes before content
    TypeLineFault fault = TypeLineFault::None;
    std::wstring faultWord; // the type or the condition at fault
    bool Usable() const { return fault == TypeLineFault::None; }
};

// A line of the section: masks and the value, split at the first "=".
TypeLine ParseTypeLine(const std::wstring& masks, const std::wstring& value, bool hasEquals = true);
// The lines of a section as the platform's section read returns them (each terminated, closed by an
// empty one); comment lines (";") are left out, as Windows returns them and Wine does not.
std::vector<TypeLine> ParseTypeSection(const std::wstring& section);

// A unit in lower case for the masks: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals,
// each to its one small letter; every other unit stays. A text keeps its length.
wchar_t FoldTypeCase(wchar_t c);
// Whether text, folded, matches pattern, folded, whole: "*" any run of units (separators too), "?" one.
bool GlobMatches(std::wstring_view pattern, std::wstring_view text);

// A name as the masks see it: folded, "/" as "\", without trailing backslashes.
struct TypeSubject {
    std::wstring folded;
    size_t lastStart = 0;      // where the last component begins
    size_t withoutDots = 0;    // the length without the last component's trailing dots
    bool hasExtension = false; // the last component, without its trailing dots, holds a dot
    bool isDirectory = false;
};
TypeSubject SubjectOf(const std::wstring& name, bool isDirectory);
bool MaskMatches(const TypeMask& mask, const TypeSubject& subject);
// One of the line's masks matches and none of its excluding masks does.
bool MasksMatch(const TypeLine& line, const TypeSubject& subject);

// What a file holds, as the conditions text and binary ask it.
enum class FileContent { Text, Binary, Unreadable };
// Whether the first bytes of a file (at most kTypeSampleBytes) are text: behind a UTF-8 or UTF-16
// byte-order mark, or holding no byte below 0x20 other than tab, line feed, form feed, carriage
// return and escape.
constexpr size_t kTypeSampleBytes = 4096;
bool IsTextSample(const uint8_t* data, size_t size);

// What the conditions ask of one file, each asked at most once and only when a condition needs it.
class FileFactsSource {
  public:
    virtual ~FileFactsSource() = default;
    virtual std::optional<uint64_t> Size() = 0; // nullopt: it cannot be asked
    virtual FileContent Content() = 0;
};
// Whether every condition of the line holds for the file; a folder meets none.
bool ConditionsHold(const TypeLine& line, bool isDirectory, FileFactsSource& facts);
// The place in lines of the first usable line that takes the file: masks first, then its conditions.
std::optional<size_t> FirstTakingLine(const std::vector<TypeLine>& lines, const TypeSubject& subject,
                                      FileFactsSource& facts);

// ---- On the platform (file_types.cpp).

// The facts of a file on disk: its attributes at most once, its first kTypeSampleBytes bytes at most
// once. A file that the system keeps offline or in the cloud is not read (reading would fetch it), nor
// anything that is not a file on a disk (a device or a pipe could keep the read waiting).
class FileFacts : public FileFactsSource {
  public:
    // name must outlive it.
    explicit FileFacts(const std::wstring& name) : name_(name) {}
    std::optional<uint64_t> Size() override;
    FileContent Content() override;

  private:
    void ReadAttributes();
    const std::wstring& name_;
    bool attributesRead_ = false;
    std::optional<uint64_t> size_;
    bool mayRead_ = false;
    std::optional<FileContent> content_;
};

// The lines of [Types] in the plugin's settings file, faulty ones included.
std::vector<TypeLine> ReadTypeLines();

// How [Types] keys names (kinds as FileExists answers them: 0 absent, 16 a folder, else a file).
struct TypedNames {
    std::vector<TypeLine> lines;
    std::vector<std::optional<size_t>> lineOfName; // the line that took each name; empty like keys
    std::map<std::wstring, bool> typeHasApplication;
    // The key of each name: the type key where a line took it and [Editor] names an application for
    // that type, else its extension key. Empty when no line of the section is usable: then every key
    // is the extension key, as without the section.
    std::vector<GroupKey> keys;
};
// The section is read once; each name is asked for its facts only when a line's masks took it.
TypedNames TypeNames(const std::vector<std::wstring>& names, const std::vector<uint8_t>& kinds);

// The type keys of the usable lines.
std::set<std::wstring> TypeKeysOf(const std::vector<TypeLine>& lines);

// For each usable line that never matches because an earlier usable line without conditions has the
// same masks: (its index, that earlier line's index).
std::vector<std::pair<size_t, size_t>> ShadowedTypeLines(const std::vector<TypeLine>& lines);

} // namespace config
