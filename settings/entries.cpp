#include "settings/entries.h"

#include <algorithm>
#include <set>

#include "host/host_text.h"
#include "settings/keys.h"

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

std::optional<std::wstring> ProblemWithEntry(const EntryFields& fields, const std::vector<EditorRow>& others,
                                             bool needsApplication) {
    for (const std::wstring* text : {&fields.keys, &fields.application, &fields.templateText})
        if (text->find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos)
            return L"A setting is one line: remove the line breaks.";
    const std::wstring keys = checker::Trim(fields.keys);
    if (needsApplication && checker::Trim(fields.application).empty())
        return L"Give the application: its full path, or the name of a program on the search path.";
    if (keys.empty()) return L"Give the extension keys: pdf, or several as txt,log,ini.";
    if (keys.find(L'=') != std::wstring::npos || keys[0] == L';' || keys[0] == L'[')
        return L"Extension keys hold no \"=\" and do not start with \";\" or \"[\".";
    if (checker::IsTemplateKey(keys))
        return L"Extension keys hold no folder and no _params, and no dot unless they list several "
               L"(pdf, not report.pdf).";
    const std::wstring matchable = MatchableKeys(keys);
    if (matchable != keys)
        return L"Extension keys are compared exactly: in lower case, without blanks, without the dot. "
               L"Write " +
               matchable + L".";
    for (const EditorRow& other : others)
        if (!other.appKey.empty() && checker::SameName(other.appKey, keys))
            return L"[Editor] has a line " + other.appKey + L" already (line " + std::to_wstring(other.line) +
                   L"): edit that one.";
    const std::wstring params = fields.templateText;
    const size_t placeholder = params.find(L"%1");
    if (placeholder != std::wstring::npos &&
        std::count(params.begin(), params.begin() + static_cast<std::ptrdiff_t>(placeholder), L'"') % 2 == 1)
        return L"Every file name arrives in double quotes already: remove the quotes around %1.";
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

std::wstring WithMnemonic(const std::wstring& label, std::wstring& taken) {
    if (label.find(L'&') != std::wstring::npos) return label;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < label.size(); ++i) {
            const wchar_t c = checker::Lower(std::wstring(1, label[i]))[0];
            const bool wordStart = i == 0 || label[i - 1] == L' ' || label[i - 1] == L'(';
            if (c < L'a' || c > L'z' || (pass == 0 && !wordStart) || taken.find(c) != std::wstring::npos)
                continue;
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
    const std::wstring key = name.empty() ? L"key code " + std::to_wstring(code) : name;
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
        else if (known->read == ReadTime::OptionCache || switched)
            add(cached, known->name);
        else
            add(now, known->name);
    }
    auto join = [](const std::vector<std::wstring>& names) {
        std::wstring text;
        for (size_t i = 0; i < names.size() && i < 6; ++i)
            text += (i ? L", " : L"") + names[i];
        if (names.size() > 6) text += L" and " + std::to_wstring(names.size() - 6) + L" more";
        return text;
    };
    std::wstring text;
    auto say = [&](const std::vector<std::wstring>& names, const wchar_t* when, const wchar_t* after) {
        if (names.empty()) return;
        text += (text.empty() ? L"" : L" ") + std::wstring(when) + join(names) + after;
    };
    say(now, L"In effect at once: ", L".");
    say(nextFile, L"At the next file viewed: ", L".");
    say(atStart, L"At the file manager's next start: ", L" (or set ReadOptionsEveryTime=1).");
    return text;
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
