#include "settings/entries.h"

#include <algorithm>
#include <cwctype>
#include <set>

#include "host/host_text.h"
#include "settings/keys.h"
#include "settings/texts.h"

namespace settings {
namespace {

const wchar_t kEditor[] = L"Editor";
const std::wstring kParamsMarker = L"_params";

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsOwnTemplateKey(const std::wstring& key) {
    return key.find(kParamsMarker) != std::wstring::npos;
}

// Each item of a key list in lower case, without blanks and leading dots, empty middle items dropped:
// what the plugin's exact comparison of items needs.
std::wstring MatchableKeys(const std::wstring& keys) {
    std::wstring fixed;
    const std::vector<std::wstring> items = checker::CompositeItems(keys);
    for (size_t i = 0; i < items.size(); ++i) {
        std::wstring item;
        for (wchar_t c : items[i])
            if (!IsBlank(c)) item += c;
        item = checker::Lower(item);
        item.erase(0, std::min(item.find_first_not_of(L'.'), item.size()));
        if (item.empty() && i > 0) continue;
        if (i > 0) fixed += L',';
        fixed += item;
    }
    return fixed;
}

// The lines of a check report, which ends each with "\n".
std::vector<std::wstring> ReportLines(const std::wstring& report) {
    std::vector<std::wstring> lines;
    SplitString(lines, report, L"\n", false, false, true);
    return lines;
}

} // namespace

std::vector<EditorRow> RowsOfEditor(const std::vector<checker::IniEntry>& entries, int paramsMode) {
    std::vector<EditorRow> rows;
    for (const checker::IniEntry& e : entries) {
        if (!e.hasEquals || checker::IsTemplateKey(e.key)) continue;
        EditorRow row;
        row.keys = row.appKey = e.key;
        row.application = e.value;
        row.line = e.line;
        rows.push_back(row);
    }
    for (const checker::IniEntry& e : entries) {
        if (!e.hasEquals || !checker::IsTemplateKey(e.key)) continue;
        const size_t marker = e.key.find(kParamsMarker);
        const std::wstring keys = marker == std::wstring::npos ? e.key : e.key.substr(0, marker);
        if (marker != std::wstring::npos && paramsMode != 0) {
            const auto owner = std::find_if(rows.begin(), rows.end(), [&](const EditorRow& r) {
                return !r.appKey.empty() && r.templateKey.empty() && checker::SameName(r.appKey, keys);
            });
            if (owner != rows.end()) {
                owner->templateKey = e.key;
                owner->templateText = e.value;
                continue;
            }
        }
        EditorRow row;
        row.keys = keys;
        row.templateKey = e.key;
        row.templateText = e.value;
        row.line = e.line;
        row.forApplication = marker == std::wstring::npos;
        rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const EditorRow& a, const EditorRow& b) { return a.line < b.line; });
    return rows;
}

void AttachApplicationTemplates(std::vector<EditorRow>& rows) {
    std::set<size_t> taken;
    for (EditorRow& row : rows) {
        if (row.appKey.empty() || row.foundPath.empty() || !row.templateKey.empty()) continue;
        for (size_t i = 0; i < rows.size(); ++i) {
            // The plugin reads the template by the path found, and the platform matches keys by name.
            if (!rows[i].forApplication || !checker::SameName(rows[i].keys, row.foundPath)) continue;
            row.templateKey = rows[i].templateKey;
            row.templateText = rows[i].templateText;
            taken.insert(i);
            break;
        }
    }
    for (auto i = taken.rbegin(); i != taken.rend(); ++i)
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(*i));
}

std::wstring TemplateKeyFor(const std::wstring& keys, int paramsMode, const std::wstring& foundPath) {
    if (paramsMode == 0) return foundPath;
    return checker::Trim(keys) + kParamsMarker;
}

std::vector<KeyWrite> WritesForEntry(const EditorRow& before, const EntryFields& after,
                                     const std::wstring& templateKey) {
    std::vector<KeyWrite> writes;
    const std::wstring keys = checker::Trim(after.keys);
    const std::wstring app = checker::Trim(after.application);
    const std::wstring params = checker::Trim(after.templateText);
    if (!before.appKey.empty() && before.appKey != keys) writes.push_back({kEditor, before.appKey, {}});
    if (!app.empty() && !keys.empty() && (before.appKey != keys || before.application != app))
        writes.push_back({kEditor, keys, app, before.appKey != keys});
    else if (app.empty() && !before.appKey.empty() && before.appKey == keys)
        writes.push_back({kEditor, keys, {}});

    if (templateKey.empty()) return writes;
    if (before.templateKey != templateKey) {
        // A template keyed by an application's path may serve other rows too: it stays.
        if (IsOwnTemplateKey(before.templateKey)) writes.push_back({kEditor, before.templateKey, {}});
        if (!params.empty()) writes.push_back({kEditor, templateKey, params, true});
    } else if (params != before.templateText) {
        writes.push_back({kEditor, templateKey, params.empty() ? std::nullopt : std::optional(params)});
    }
    return writes;
}

std::vector<KeyWrite> WritesForRemoval(const EditorRow& row) {
    std::vector<KeyWrite> writes;
    if (!row.appKey.empty()) writes.push_back({kEditor, row.appKey, {}});
    if (IsOwnTemplateKey(row.templateKey) || (row.appKey.empty() && !row.templateKey.empty()))
        writes.push_back({kEditor, row.templateKey, {}});
    return writes;
}

std::optional<EntryProblem> ProblemWithEntry(const EntryFields& fields, const std::vector<EditorRow>& others,
                                             bool needsApplication) {
    using F = EntryField;
    for (const auto& [text, field] : {std::pair{&fields.keys, F::Keys},
                                      {&fields.application, F::Application},
                                      {&fields.templateText, F::Template}})
        if (text->find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos)
            return EntryProblem{field, Text(IDS_SETTINGS_ONE_LINE)};
    const std::wstring keys = checker::Trim(fields.keys);
    if (needsApplication && checker::Trim(fields.application).empty())
        return EntryProblem{F::Application, Text(IDS_SETTINGS_GIVE_APPLICATION)};
    if (keys.empty()) return EntryProblem{F::Keys, Text(IDS_SETTINGS_GIVE_KEYS)};
    if (keys.find(L'=') != std::wstring::npos || keys[0] == L';' || keys[0] == L'[')
        return EntryProblem{F::Keys, Text(IDS_SETTINGS_KEYS_SYNTAX)};
    if (checker::IsTemplateKey(keys)) return EntryProblem{F::Keys, Text(IDS_SETTINGS_KEYS_NO_FILE_NAME)};
    const std::wstring matchable = MatchableKeys(keys);
    if (matchable != keys) return EntryProblem{F::Keys, Text(IDS_SETTINGS_KEYS_EXACT, {matchable})};
    for (const EditorRow& other : others)
        if (!other.appKey.empty() && checker::SameName(other.appKey, keys))
            return EntryProblem{F::Keys,
                                Text(IDS_SETTINGS_KEYS_TAKEN, {other.appKey, std::to_wstring(other.line)})};
    const std::wstring params = fields.templateText;
    const size_t placeholder = params.find(L"%1");
    if (placeholder != std::wstring::npos &&
        std::count(params.begin(), params.begin() + static_cast<std::ptrdiff_t>(placeholder), L'"') % 2 == 1)
        return EntryProblem{F::Template, Text(IDS_SETTINGS_QUOTED_NAMES, {L"%1"})};
    return std::nullopt;
}

std::vector<std::wstring> ReportedProblems(const std::wstring& report, const std::wstring& section,
                                           const std::wstring& key) {
    const std::wstring where = L"problem: [" + section + L"] " + key;
    std::vector<std::wstring> texts;
    for (const std::wstring& line : ReportLines(report)) {
        if (!line.starts_with(where)) continue;
        const std::wstring rest = line.substr(where.size());
        if (rest.starts_with(L": ")) {
            texts.push_back(rest.substr(2));
        } else if (rest.starts_with(L" (line ")) {
            const size_t close = rest.find(L"): ");
            if (close != std::wstring::npos) texts.push_back(rest.substr(close + 3));
        }
    }
    return texts;
}

std::wstring StartLinesOf(const std::wstring& report) {
    std::wstring text;
    for (const std::wstring& line : ReportLines(report))
        for (const wchar_t* prefix : {L"start: ", L"message: ", L"nothing would start: "})
            if (line.starts_with(prefix)) text += (text.empty() ? L"" : L"\n") + line;
    return text;
}

std::wstring FirstItem(const std::wstring& keys) {
    return checker::Trim(keys.substr(0, keys.find(L',')));
}

namespace {

// A letter of the languages the window speaks in lower case (Latin, Latin-1 and Cyrillic), else 0.
wchar_t LowerLetter(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7) || (c >= 0x430 && c <= 0x45F))
        return c;
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
        return static_cast<wchar_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 0x50);
    return 0;
}

} // namespace

std::wstring WithMnemonic(const std::wstring& label, std::wstring& taken) {
    if (label.find(L'&') != std::wstring::npos) return label;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < label.size(); ++i) {
            const wchar_t c = LowerLetter(label[i]);
            const bool wordStart = i == 0 || label[i - 1] == L' ' || label[i - 1] == L'(';
            if (!c || (pass == 0 && !wordStart) || taken.find(c) != std::wstring::npos) continue;
            taken += c;
            return label.substr(0, i) + L"&" + label.substr(i);
        }
    return label;
}

std::wstring ModifierLetters(unsigned flags) {
    return std::wstring(flags & kShift ? L"S" : L"") + (flags & kCtrl ? L"C" : L"") +
           (flags & kAlt ? L"A" : L"");
}

unsigned ModifierFlags(const std::wstring& letters) {
    // As the plugin reads them: into 4 units, so the first 3 characters.
    const ModifierSpec spec = ParseModifierSpec(letters.substr(0, 3));
    return (spec.shift ? kShift : 0) | (spec.ctrl ? kCtrl : 0) | (spec.alt ? kAlt : 0);
}

std::wstring DescribeHotkey(int code, const std::wstring& letters) {
    const std::wstring name = checker::KeyNameOfCode(code);
    const std::wstring key = name.empty() ? Text(IDS_CHECK_KEY_CODE, {std::to_wstring(code)}) : name;
    return ModifierFlags(letters) ? checker::DescribeModifiers(letters) + L"+" + key : key;
}

std::wstring EffectOfSave(const std::vector<KeyWrite>& written, bool readOptionsEveryTime,
                          const std::vector<std::wstring>& switchedHotkeys) {
    std::vector<std::wstring> now, nextFile, atStart;
    auto add = [](std::vector<std::wstring>& list, const std::wstring& name) {
        if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
    };
    // The option cache is filled when a file is viewed, not at a hotkey's key press.
    std::vector<std::wstring>& cached = readOptionsEveryTime ? nextFile : atStart;
    for (const KeyWrite& w : written) {
        const KnownKey* known = FindKnownKey(w.section, w.key);
        // A hotkey's modifiers go with its code when it is switched on or off.
        const bool switched =
            std::any_of(switchedHotkeys.begin(), switchedHotkeys.end(), [&](const std::wstring& k) {
                return checker::SameName(k, w.key) || checker::SameName(ModifierKeyOf(k), w.key);
            });
        if (!known)
            add(now, L"[" + w.section + L"]");
        else if (known->read == config::ReadTime::OptionCache || switched)
            add(cached, known->name);
        else
            add(now, known->name);
    }
    auto join = [](const std::vector<std::wstring>& names) {
        const std::wstring separator = Text(IDS_SETTINGS_LIST_SEPARATOR);
        std::wstring text;
        for (size_t i = 0; i < names.size() && i < 6; ++i)
            text += (i ? separator : L"") + names[i];
        return names.size() > 6 ? Text(IDS_SETTINGS_AND_MORE, {text, std::to_wstring(names.size() - 6)})
                                : text;
    };
    std::wstring text;
    auto say = [&](const std::vector<std::wstring>& names, unsigned when) {
        if (!names.empty()) text += (text.empty() ? L"" : L" ") + Text(when, {join(names)});
    };
    say(now, IDS_SETTINGS_EFFECT_NOW);
    say(nextFile, IDS_SETTINGS_EFFECT_NEXT_FILE);
    say(atStart, IDS_SETTINGS_EFFECT_NEXT_START);
    return text;
}

namespace {

bool IsCommentOrBlank(const std::wstring& line) {
    const std::wstring trimmed = checker::Trim(line);
    return trimmed.empty() || trimmed[0] == L';';
}

// The text's lines without their ends, and whether each ended in CR LF.
std::vector<std::wstring> TextLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    SplitString(lines, text, L"\n", true, false, true);
    for (std::wstring& line : lines)
        if (!line.empty() && line.back() == L'\r') line.pop_back();
    return lines;
}

} // namespace

TypesSection SplitTypesSection(const std::vector<std::wstring>& body) {
    TypesSection section;
    std::vector<std::wstring> pending;
    for (const std::wstring& line : body) {
        if (IsCommentOrBlank(line)) {
            pending.push_back(line);
            continue;
        }
        if (section.lines.empty()) section.head = std::move(pending);
        section.lines.push_back(
            {section.lines.empty() ? std::vector<std::wstring>() : std::move(pending), line});
        pending.clear();
    }
    (section.lines.empty() ? section.head : section.tail) = std::move(pending);
    return section;
}

std::vector<std::wstring> JoinTypesSection(const TypesSection& section) {
    std::vector<std::wstring> body = section.head;
    for (const TypesSection::Line& line : section.lines) {
        body.insert(body.end(), line.above.begin(), line.above.end());
        body.push_back(line.text);
    }
    body.insert(body.end(), section.tail.begin(), section.tail.end());
    return body;
}

std::optional<std::vector<std::wstring>> SectionBody(const std::wstring& text, const std::wstring& section,
                                                     int& firstLine) {
    const checker::ParsedIni ini = checker::ParseIni(text);
    for (size_t i = 0; i < ini.sections.size(); ++i) {
        if (!checker::SameName(ini.sections[i].name, section)) continue;
        const std::vector<std::wstring> lines = TextLines(text);
        const size_t begin = static_cast<size_t>(ini.sections[i].line); // the line after the header
        size_t end =
            i + 1 < ini.sections.size() ? static_cast<size_t>(ini.sections[i + 1].line) - 1 : lines.size();
        // The end of the text is no line of its own.
        if (end == lines.size() && end > begin && lines.back().empty()) --end;
        firstLine = static_cast<int>(begin) + 1;
        return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                                         lines.begin() + static_cast<std::ptrdiff_t>(std::max(begin, end)));
    }
    return std::nullopt;
}

std::wstring ReplaceSectionBody(const std::wstring& text, const std::wstring& section,
                                const std::vector<std::wstring>& body) {
    std::wstring joined;
    for (const std::wstring& line : body)
        joined += line + L"\r\n";
    int firstLine = 0;
    const std::optional<std::vector<std::wstring>> old = SectionBody(text, section, firstLine);
    if (!old) {
        const bool ends = text.empty() || text.back() == L'\n';
        return text + (ends ? L"" : L"\r\n") + L"[" + section + L"]\r\n" + joined;
    }
    // Offsets of the first line of the body and of the line after it.
    const auto nextLine = [&](size_t at) {
        const size_t end = text.find(L'\n', at);
        return end == std::wstring::npos ? text.size() : end + 1;
    };
    size_t begin = 0;
    for (int line = 1; line < firstLine; ++line)
        begin = nextLine(begin);
    size_t end = begin;
    for (size_t i = 0; i < old->size(); ++i)
        end = nextLine(end);
    if (begin == text.size() && !text.empty() && text.back() != L'\n') joined.insert(0, L"\r\n");
    return text.substr(0, begin) + joined + text.substr(end);
}

TypeFields FieldsOfTypeLine(const std::wstring& text) {
    const size_t eq = text.find(L'=');
    TypeFields fields;
    fields.masks = checker::Trim(text.substr(0, eq));
    if (eq == std::wstring::npos) return fields;
    const std::wstring value = checker::Trim(text.substr(eq + 1));
    const size_t blank = value.find_first_of(L" \t");
    fields.type = value.substr(0, blank);
    if (blank != std::wstring::npos) fields.conditions = checker::Trim(value.substr(blank));
    return fields;
}

std::wstring TypeLineText(const TypeFields& fields) {
    const std::wstring conditions = checker::Trim(fields.conditions);
    return checker::Trim(fields.masks) + L"=" + checker::Trim(fields.type) +
           (conditions.empty() ? L"" : L" " + conditions);
}

std::optional<TypeFieldProblem> ProblemWithTypeLine(const TypeFields& fields) {
    for (const auto& [text, field] : {std::pair{&fields.masks, TypeField::Masks},
                                      {&fields.type, TypeField::Type},
                                      {&fields.conditions, TypeField::Conditions}})
        if (text->find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos)
            return TypeFieldProblem{field, Text(IDS_SETTINGS_TYPES_ONE_LINE)};
    const std::wstring masks = checker::Trim(fields.masks);
    if (masks.find(L'=') != std::wstring::npos || (!masks.empty() && (masks[0] == L';' || masks[0] == L'[')))
        return TypeFieldProblem{TypeField::Masks, Text(IDS_SETTINGS_MASKS_SYNTAX)};
    if (checker::Trim(fields.type).find_first_of(L" \t") != std::wstring::npos)
        return TypeFieldProblem{TypeField::Type, Text(IDS_SETTINGS_TYPE_ONE_WORD)};
    const config::TypeLine line =
        config::ParseTypeLine(masks, checker::Trim(fields.type) + L" " + checker::Trim(fields.conditions));
    const std::optional<std::wstring> fault = checker::TypeLineFaultText(line);
    if (!fault) return std::nullopt;
    TypeField field = TypeField::Conditions;
    switch (line.fault) {
    case config::TypeLineFault::NoMask:
    case config::TypeLineFault::SecondBar: field = TypeField::Masks; break;
    case config::TypeLineFault::NoType:
    case config::TypeLineFault::TypeCharacters:
    case config::TypeLineFault::TemplateType: field = TypeField::Type; break;
    default: break;
    }
    // The checker's reason, as a sentence.
    std::wstring text = *fault;
    if (!text.empty()) text[0] = static_cast<wchar_t>(std::towupper(text[0]));
    return TypeFieldProblem{field, Text(IDS_SETTINGS_SENTENCE, {text})};
}

std::wstring WithWindowsLineEnds(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

std::string Utf16LeWithBom(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

bool HoldsNonAscii(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x80; });
}

} // namespace settings
