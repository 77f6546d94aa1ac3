// The text rules of the settings window: the rows of section [Editor], the key writes an edit makes,
// what a check report says about a key, mnemonics, hotkey modifiers and what a save takes effect on.
// No platform call here but the loading of texts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "checker/ini_check.h"

namespace settings {

// One key to write: a value, or the key removed (nullopt). recreate: any line of the key is removed
// first, so that the key is written with exactly this name (the platform keeps a name's old letter case).
struct KeyWrite {
    std::wstring section;
    std::wstring key;
    std::optional<std::wstring> value;
    bool recreate = false;
};

// One row of the applications list: an application line of [Editor] with its template line, or a
// template line that belongs to no application line.
struct EditorRow {
    std::wstring keys;        // the extension keys as written, or an application's path
    std::wstring appKey;      // the key of the application line as written; empty: none
    std::wstring application; // its value as written
    std::wstring templateKey; // the key of the template line as written; empty: none
    std::wstring templateText;
    int line = 0;
    bool forApplication = false; // a template keyed by an application's path (ParamsMode=0)
    // What the plugin makes of it, filled from the checker and the plugin's lookup.
    std::wstring foundPath;
    std::wstring status;
    bool problem = false;
};

// The rows of [Editor] entries (those with "="), in the order of their lines. With ParamsMode 1 a
// "_params" line goes with the application line of the same keys; with ParamsMode 0 templates belong
// to application paths and stay rows of their own until AttachApplicationTemplates.
std::vector<EditorRow> RowsOfEditor(const std::vector<checker::IniEntry>& entries, int paramsMode);
// ParamsMode 0: each application row takes the template line keyed by the path found for it, and
// template rows taken so are dropped.
void AttachApplicationTemplates(std::vector<EditorRow>& rows);

// What the edit dialog holds.
struct EntryFields {
    std::wstring keys;
    std::wstring application;
    std::wstring templateText;
};

// Where the template of a row is read by the plugin: keys + "_params" (ParamsMode 1), or the path
// found for its application (ParamsMode 0; empty when none is found).
std::wstring TemplateKeyFor(const std::wstring& keys, int paramsMode, const std::wstring& foundPath);
// The writes that turn before into after; templateKey from TemplateKeyFor (empty: the template is not
// touched). A renamed row's old lines are removed, except a template shared by an application's path.
std::vector<KeyWrite> WritesForEntry(const EditorRow& before, const EntryFields& after,
                                     const std::wstring& templateKey);
std::vector<KeyWrite> WritesForRemoval(const EditorRow& row);
// Why the fields cannot be written as they are, and the field to mend; nullopt when they can. others:
// the other rows, whose application keys may not be taken twice.
enum class EntryField { Keys, Application, Template };
struct EntryProblem {
    EntryField field;
    std::wstring text;
};
std::optional<EntryProblem> ProblemWithEntry(const EntryFields& fields, const std::vector<EditorRow>& others,
                                             bool needsApplication);

// The problem texts a check report gives for a key of a section ("problem: [Section] key (line N): ").
std::vector<std::wstring> ReportedProblems(const std::wstring& report, const std::wstring& section,
                                           const std::wstring& key);
// What a check report of one example file says would start, or why nothing would, one line each.
std::wstring StartLinesOf(const std::wstring& report);
// The first item of a key list ("txt,log" gives txt), or the key itself.
std::wstring FirstItem(const std::wstring& keys);

// label with a mnemonic: the first letter of a word, else any letter (Latin or Cyrillic), that is not in
// taken (lower case letters), which then holds it too; unchanged when every letter is taken or it has one.
std::wstring WithMnemonic(const std::wstring& label, std::wstring& taken);

// Hotkey modifiers as the hotkey control holds them (1 Shift, 2 Ctrl, 4 Alt) and as the plugin reads
// them: the letters S, C and A, in that order.
constexpr unsigned kShift = 1, kCtrl = 2, kAlt = 4;
std::wstring ModifierLetters(unsigned flags);
unsigned ModifierFlags(const std::wstring& letters);
// "Ctrl+Shift+F4" for a code and modifier letters.
std::wstring DescribeHotkey(int code, const std::wstring& letters);

// ---- Section [Types], whose lines count in their order: it is written whole.

// The body of [Types] as the window edits it. Comment and blank lines right above a line move with it;
// those above the first line stay at the top, those below the last at the end.
struct TypesSection {
    struct Line {
        std::vector<std::wstring> above;
        std::wstring text;
    };
    std::vector<std::wstring> head;
    std::vector<Line> lines;
    std::vector<std::wstring> tail;
};
TypesSection SplitTypesSection(const std::vector<std::wstring>& body);
std::vector<std::wstring> JoinTypesSection(const TypesSection& section);

// The lines between the header of the first section of that name and the next header, as the
// checker's parser finds the headers; nullopt when there is no such section. firstLine receives the
// line number of the first of them.
std::optional<std::vector<std::wstring>> SectionBody(const std::wstring& text, const std::wstring& section,
                                                     int& firstLine);
// text with that body in place of the section's, or with the section added at the end; lines end in
// CR LF.
std::wstring ReplaceSectionBody(const std::wstring& text, const std::wstring& section,
                                const std::vector<std::wstring>& body);

// What the dialog of a [Types] line holds.
struct TypeFields {
    std::wstring masks;
    std::wstring type;
    std::wstring conditions;
};
TypeFields FieldsOfTypeLine(const std::wstring& text);
std::wstring TypeLineText(const TypeFields& fields);
// Why the fields cannot be written, as the checker says it for the line, and the field to mend.
enum class TypeField { Masks, Type, Conditions };
struct TypeFieldProblem {
    TypeField field;
    std::wstring text;
};
std::optional<TypeFieldProblem> ProblemWithTypeLine(const TypeFields& fields);

// What a save makes of the written keys, for the window to say: what the plugin takes at its next use
// of them, what at the next file viewed (options, with ReadOptionsEveryTime=1) and what at the file
// manager's next start. switchedHotkeys: hotkey code keys turned on or off, which the option cache holds.
std::wstring EffectOfSave(const std::vector<KeyWrite>& written, bool readOptionsEveryTime,
                          const std::vector<std::wstring>& switchedHotkeys);

// Line ends as edit controls and the clipboard take them.
std::wstring WithWindowsLineEnds(const std::wstring& text);
// The text as UTF-16 LE behind its byte-order mark, unit for unit.
std::string Utf16LeWithBom(const std::wstring& text);
bool HoldsNonAscii(const std::wstring& text);

} // namespace settings
