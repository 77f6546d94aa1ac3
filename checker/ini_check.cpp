#include "checker/ini_check.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>

#include "config/file_types.h"
#include "config/texts.h"
#include "host/host_text.h"
#include "lang/ids.h"
#include "win/text.h"

namespace checker {

using config::Text;

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\f' || c == L'\v';
}

} // namespace

std::wstring Trim(const std::wstring& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s)
        c = win::FoldAsciiCase(c);
    return s;
}

std::wstring Quote(const std::wstring& s) {
    return L"\"" + s + L"\"";
}

std::wstring OneLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'\n' || c == L'\r') c = L' ';
    return text;
}

namespace {

// UTF-8 as the user's editor wrote it; nullopt when the bytes are not UTF-8.
std::optional<std::wstring> DecodeUtf8(const std::string& bytes, size_t from) {
    std::wstring text;
    text.reserve(bytes.size() - from);
    for (size_t i = from; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        uint32_t code = 0;
        if (b < 0x80) {
            code = b;
        } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
            extra = 1, code = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, code = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
            extra = 3, code = b & 0x07;
        } else {
            return std::nullopt;
        }
        if (extra > 0 && i + extra >= bytes.size()) return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (c & 0x3F);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (code >> 10));
            text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            text += static_cast<wchar_t>(code);
        }
        i += 1 + extra;
    }
    return text;
}

std::wstring DecodeUtf16(const std::string& bytes, size_t from, bool bigEndian) {
    std::wstring text;
    text.reserve((bytes.size() - from) / 2);
    for (size_t i = from; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        text += static_cast<wchar_t>(lo | (hi << 8));
    }
    return text;
}

using Kind = ValueKind;

// The name of a section the plugin reads, as the table writes it; nullptr for any other.
const wchar_t* KnownSectionName(const std::wstring& name) {
    for (const wchar_t* known : config::KnownSections())
        if (SameName(known, name)) return known;
    return nullptr;
}

std::vector<std::wstring> KnownSectionNames() {
    return {config::KnownSections().begin(), config::KnownSections().end()};
}

} // namespace

std::optional<std::wstring> TypeLineFaultText(const config::TypeLine& line) {
    const std::wstring word = Quote(line.faultWord);
    switch (line.fault) {
    case config::TypeLineFault::None: return std::nullopt;
    case config::TypeLineFault::NoMask: return Text(IDS_CHECK_TYPES_NO_MASK);
    case config::TypeLineFault::SecondBar: return Text(IDS_CHECK_TYPES_SECOND_BAR);
    case config::TypeLineFault::NoType: return Text(IDS_CHECK_TYPES_NO_TYPE);
    case config::TypeLineFault::TypeCharacters: return Text(IDS_CHECK_TYPES_TYPE_CHARACTERS, {word});
    case config::TypeLineFault::TemplateType: return Text(IDS_CHECK_TYPES_TEMPLATE_TYPE, {word});
    case config::TypeLineFault::UnknownCondition: return Text(IDS_CHECK_TYPES_UNKNOWN_CONDITION, {word});
    case config::TypeLineFault::MalformedSize: return Text(IDS_CHECK_TYPES_MALFORMED_SIZE, {word});
    }
    return std::nullopt;
}

namespace {

// The profile functions strip one pair of quotes around a value.
std::wstring Unquoted(const std::wstring& value) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool IsPlainDecimal(const std::wstring& v) {
    const size_t digits = !v.empty() && v[0] == L'-' ? 1 : 0;
    if (v.size() == digits) return false;
    return std::all_of(v.begin() + static_cast<std::ptrdiff_t>(digits), v.end(),
                       [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// The number the integer reader makes of a text: its leading digits, 0 when there are none.
long long LeadingNumber(const std::wstring& v) {
    size_t i = 0;
    const bool negative = !v.empty() && v[0] == L'-';
    if (negative) ++i;
    long long n = 0;
    for (; i < v.size() && v[i] >= L'0' && v[i] <= L'9'; ++i)
        n = std::min<long long>(n * 10 + (v[i] - L'0'), INT_MAX);
    return negative ? -n : n;
}

// "0, 1 or 2".
std::wstring AllowedValues(int low, int high) {
    std::wstring text;
    for (int v = low; v < high; ++v)
        text += (v > low ? L", " : L"") + std::to_wstring(v);
    return low < high ? Text(IDS_CHECK_OR, {text, std::to_wstring(high)}) : std::to_wstring(high);
}

std::wstring Write(const std::wstring& setting) {
    return Text(IDS_CHECK_WRITE, {setting});
}

void CheckFlag(const IniEntry& e, const std::wstring& v, std::vector<Problem>& out,
               const std::wstring& section) {
    const std::wstring onOrOff = Text(IDS_CHECK_WRITE_ON_OR_OFF, {e.key});
    if (IsPlainDecimal(v)) {
        if (v == L"0" || v == L"1") return;
        out.push_back({e.line, section, e.key, Text(IDS_CHECK_FLAG_ANY_NUMBER, {onOrOff})});
        return;
    }
    const long long read = LeadingNumber(v);
    const std::wstring word = Lower(v);
    std::wstring advice = onOrOff;
    if (word == L"yes" || word == L"true" || word == L"on") advice = Write(e.key + L"=1");
    if (word == L"no" || word == L"false" || word == L"off") advice = Write(e.key + L"=0");
    out.push_back({e.line, section, e.key,
                   Text(read ? IDS_CHECK_FLAG_NOT_DECIMAL_ON : IDS_CHECK_FLAG_NOT_DECIMAL_OFF,
                        {Quote(e.value), std::to_wstring(read), advice})});
}

void CheckNumber(const IniEntry& e, const config::OptionRow& k, const std::wstring& v,
                 std::vector<Problem>& out, const std::wstring& section) {
    const bool ranged = k.kind == Kind::Ranged;
    const std::wstring allowed = ranged ? AllowedValues(k.low, k.high) : Text(IDS_CHECK_A_DECIMAL_NUMBER);
    if (!IsPlainDecimal(v)) {
        const long long read = LeadingNumber(v);
        const std::wstring write = Write(e.key + L"=" + allowed);
        out.push_back(
            {e.line, section, e.key,
             ranged && (read < k.low || read > k.high)
                 ? Text(IDS_CHECK_NUMBER_NOT_DECIMAL_OUTSIDE,
                        {Quote(e.value), std::to_wstring(read), Text(k.outside), write})
                 : Text(IDS_CHECK_NUMBER_NOT_DECIMAL, {Quote(e.value), std::to_wstring(read), write})});
        return;
    }
    const long long n = LeadingNumber(v);
    if (ranged && (n < k.low || n > k.high))
        out.push_back(
            {e.line, section, e.key,
             Text(IDS_CHECK_NUMBER_OUTSIDE, {e.key + L"=" + v, std::to_wstring(k.low),
                                             std::to_wstring(k.high), Text(k.outside), Write(allowed)})});
}

void CheckKeyCode(const IniEntry& e, const std::wstring& v, std::vector<Problem>& out,
                  const std::wstring& section) {
    if (v.empty()) return; // the hotkey is off
    const std::wstring modKey = e.key.substr(0, e.key.size() - 4) + L"_mod";
    if (IsPlainDecimal(v)) {
        const long long n = LeadingNumber(v);
        if (n >= 0 && n <= 254) return;
        out.push_back({e.line, section, e.key, Text(IDS_CHECK_KEY_CODE_NONE, {v})});
        return;
    }
    std::wstring advice;
    if (const auto code = KeyCodeOfName(v)) {
        advice =
            Text(IDS_CHECK_WRITE_KEY_CODE, {e.key + L"=" + std::to_wstring(*code), KeyNameOfCode(*code)});
    } else if (const size_t plus = v.find_last_of(L"+-"); plus != std::wstring::npos && plus > 0 &&
                                                          KeyCodeOfName(v.substr(plus + 1)) &&
                                                          IntendedModifiers(v.substr(0, plus))) {
        const int code = *KeyCodeOfName(v.substr(plus + 1));
        advice =
            Text(IDS_CHECK_WRITE_KEY_AND_MODIFIERS, {e.key + L"=" + std::to_wstring(code),
                                                     modKey + L"=" + *IntendedModifiers(v.substr(0, plus))});
    } else {
        advice = Text(IDS_CHECK_WRITE_A_KEY_CODE);
    }
    out.push_back(
        {e.line, section, e.key,
         Text(IDS_CHECK_KEY_CODE_NOT_DECIMAL, {Quote(e.value), std::to_wstring(LeadingNumber(v)), advice})});
}

void CheckModifiers(const IniEntry& e, const std::wstring& v, std::vector<Problem>& out,
                    const std::wstring& section) {
    if (std::all_of(v.begin(), v.end(), [](wchar_t c) { return c == L'S' || c == L'C' || c == L'A'; }))
        return;
    const auto intended = IntendedModifiers(v);
    out.push_back(
        {e.line, section, e.key,
         Text(IDS_CHECK_MODIFIERS, {Quote(e.value), DescribeModifiers(v),
                                    intended ? Write(e.key + L"=" + *intended)
                                             : Text(IDS_CHECK_WRITE_MODIFIERS, {e.key + L"=SC"})})});
}

// The template with the quotes around its first "%1" removed; nullopt when the "%1" is not quoted.
std::optional<std::wstring> UnquotedPlaceholder(const std::wstring& value, bool& quoted) {
    quoted = false;
    const size_t at = value.find(L"%1");
    if (at == std::wstring::npos) return std::nullopt;
    if (std::count(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(at), L'"') % 2 == 0)
        return std::nullopt;
    quoted = true;
    if (at > 0 && value.compare(at - 1, 4, L"\"%1\"") == 0)
        return value.substr(0, at - 1) + L"%1" + value.substr(at + 3);
    return std::nullopt;
}

void CheckTemplate(const IniEntry& e, std::vector<Problem>& out, const std::wstring& section) {
    bool quoted = false;
    // The profile functions strip quotes around the whole value: those double nothing.
    const std::optional<std::wstring> fixed = UnquotedPlaceholder(Unquoted(e.value), quoted);
    if (!quoted) return;
    out.push_back({e.line, section, e.key,
                   Text(IDS_CHECK_QUOTED_PLACEHOLDER,
                        {fixed ? Write(e.key + L"=" + *fixed) : Text(IDS_CHECK_REMOVE_QUOTES)})});
}

bool HasBlank(const std::wstring& s) {
    return std::any_of(s.begin(), s.end(), IsBlank);
}

bool HasUpper(const std::wstring& s) {
    return std::any_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'A' && c <= L'Z'; });
}

std::wstring FixedItem(const std::wstring& item) {
    std::wstring fixed;
    for (wchar_t c : item)
        if (!IsBlank(c)) fixed += win::FoldAsciiCase(c);
    fixed.erase(0, fixed.find_first_not_of(L'.') == std::wstring::npos ? fixed.size()
                                                                       : fixed.find_first_not_of(L'.'));
    return fixed;
}

void CheckEditorEntry(const IniEntry& e, TextFindings& found) {
    const std::wstring section = L"Editor";
    if (!e.hasEquals) {
        found.problems.push_back({e.line, section, e.key, Text(IDS_CHECK_EDITOR_NO_EQUALS)});
        return;
    }
    const size_t marker = e.key.find(L"_params");
    const bool params = marker != std::wstring::npos;
    const bool path = e.key.find_first_of(L"\\/") != std::wstring::npos ||
                      (e.key.find(L':') != std::wstring::npos && !SameName(e.key, L":dir"));
    if (params || IsTemplateKey(e.key)) CheckTemplate(e, found.problems, section);
    if (path) return;
    const std::wstring list = params ? e.key.substr(0, marker) : e.key;
    const std::wstring rest = params ? e.key.substr(marker) : L"";
    if (list.find(L',') == std::wstring::npos) {
        // A key of its own matches without regard to case; only a dot in front keeps it from matching.
        if (!list.empty() && list[0] == L'.')
            found.problems.push_back(
                {e.line, section, e.key,
                 Text(IDS_CHECK_EXTENSION_DOT, {Write(FixedItem(list) + rest + L"=" + e.value)})});
        return;
    }
    const std::vector<std::wstring> items = CompositeItems(list);
    std::vector<std::wstring> bad;
    bool emptyMiddle = false;
    std::wstring fixed;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::wstring& item = items[i];
        if (item.empty() && i > 0) emptyMiddle = true;
        if (HasBlank(item) || HasUpper(item) || (!item.empty() && item[0] == L'.'))
            bad.push_back(Quote(item));
        if (item.empty() && i > 0) continue;
        if (i > 0) fixed += L',';
        fixed += FixedItem(item);
    }
    if (!items.empty() && items[0].empty())
        found.notes.push_back({e.line, section, e.key, Text(IDS_CHECK_EMPTY_FIRST_ITEM)});
    const std::wstring write = Write(fixed + rest + L"=" + e.value);
    if (!bad.empty()) {
        std::wstring names;
        for (size_t i = 0; i < bad.size(); ++i)
            names += (i ? L", " : L"") + bad[i];
        found.problems.push_back(
            {e.line, section, e.key,
             Text(bad.size() == 1 ? IDS_CHECK_ITEM_NEVER_MATCHES : IDS_CHECK_ITEMS_NEVER_MATCH,
                  {names, write})});
    }
    if (emptyMiddle) {
        found.problems.push_back(
            {e.line, section, e.key, Text(IDS_CHECK_EMPTY_MIDDLE_ITEM, {fixed + rest, write})});
    }
}

// Each line of [Types] the plugin skips, and each that an earlier line keeps from ever matching.
void CheckTypesSection(const std::vector<const IniEntry*>& entries, TextFindings& found) {
    std::vector<config::TypeLine> lines;
    for (const IniEntry* e : entries) {
        lines.push_back(config::ParseTypeLine(e->key, e->value, e->hasEquals));
        if (const std::optional<std::wstring> fault = TypeLineFaultText(lines.back()))
            found.problems.push_back({e->line, L"Types", e->key, *fault});
    }
    for (const auto& [later, earlier] : config::ShadowedTypeLines(lines))
        found.notes.push_back(
            {entries[later]->line, L"Types", entries[later]->key,
             Text(IDS_CHECK_TYPES_NEVER_MATCHES, {std::to_wstring(entries[earlier]->line)})});
}

void CheckLanguage(const IniEntry& e, const std::wstring& v, const std::vector<std::wstring>& languages,
                   std::vector<Problem>& out, const std::wstring& section) {
    std::wstring codes;
    for (const std::wstring& code : languages) {
        if (SameName(code, v)) return;
        codes += (codes.empty() ? L"" : L", ") + code;
    }
    out.push_back({e.line, section, e.key, Text(IDS_CHECK_UNKNOWN_LANGUAGE, {Quote(v), codes})});
}

void CheckFixedEntry(const IniEntry& e, const wchar_t* known, const std::vector<std::wstring>& languages,
                     TextFindings& found) {
    const std::wstring section = known;
    const config::OptionRow* key = config::FindOption(section, e.key);
    if (!key) {
        for (const wchar_t* other : config::KnownSections()) {
            if (other == known) continue;
            if (const config::OptionRow* elsewhere = config::FindOption(other, e.key)) {
                found.problems.push_back(
                    {e.line, section, e.key,
                     Text(IDS_CHECK_KEY_ELSEWHERE, {e.key, section, elsewhere->name, other})});
                return;
            }
        }
        const std::wstring nearest = NearestName(e.key, config::OptionNames(section));
        const bool comment = !e.key.empty() && (e.key[0] == L'#' || e.key[0] == L'/');
        found.problems.push_back({e.line, section, e.key,
                                  Text(comment ? IDS_CHECK_UNKNOWN_KEY_COMMENT : IDS_CHECK_UNKNOWN_KEY,
                                       {e.key, section, nearest, nearest + L"=" + e.value})});
        return;
    }
    if (!e.hasEquals) {
        found.problems.push_back({e.line, section, e.key, Text(IDS_CHECK_FIXED_NO_EQUALS, {key->name})});
        return;
    }
    const std::wstring v = Unquoted(e.value);
    switch (key->kind) {
    case Kind::Flag:
        if (!v.empty()) CheckFlag(e, v, found.problems, section);
        break;
    case Kind::Number:
    case Kind::Ranged:
        if (!v.empty()) CheckNumber(e, *key, v, found.problems, section);
        break;
    case Kind::KeyCode: CheckKeyCode(e, v, found.problems, section); break;
    case Kind::Modifiers: CheckModifiers(e, v, found.problems, section); break;
    case Kind::Template: CheckTemplate(e, found.problems, section); break;
    case Kind::Language:
        if (!v.empty()) CheckLanguage(e, v, languages, found.problems, section);
        break;
    case Kind::Text: break;
    }
}

size_t EditDistance(const std::wstring& a, const std::wstring& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const size_t change =
                diagonal + (win::FoldAsciiCase(a[i - 1]) == win::FoldAsciiCase(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

struct KeyName {
    const wchar_t* name;
    int code;
};

// Names a user may write for a key; the first name of a code is the one shown.
const std::vector<KeyName>& KeyNames() {
    static const std::vector<KeyName> names = {
        {L"Enter", 13},       {L"Return", 13},  {L"Space", 32},      {L"Backspace", 8}, {L"Back", 8},
        {L"Tab", 9},          {L"Esc", 27},     {L"Escape", 27},     {L"Insert", 45},   {L"Ins", 45},
        {L"Delete", 46},      {L"Del", 46},     {L"Home", 36},       {L"End", 35},      {L"PageUp", 33},
        {L"PgUp", 33},        {L"Prior", 33},   {L"PageDown", 34},   {L"PgDn", 34},     {L"Next", 34},
        {L"Left", 37},        {L"Up", 38},      {L"Right", 39},      {L"Down", 40},     {L"Pause", 19},
        {L"PrintScreen", 44}, {L"Apps", 93},    {L"Multiply", 106},  {L"Add", 107},     {L"Subtract", 109},
        {L"Decimal", 110},    {L"Divide", 111}, {L"ScrollLock", 145}};
    return names;
}

} // namespace

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (win::FoldAsciiCase(a[i]) != win::FoldAsciiCase(b[i])) return false;
    return true;
}

DecodedIni DecodeIniBytes(const std::string& bytes) {
    DecodedIni d;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        d.encoding = IniEncoding::Utf16Le;
        d.text = DecodeUtf16(bytes, 2, false);
    } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        d.encoding = IniEncoding::Utf16Be;
        d.text = DecodeUtf16(bytes, 2, true);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        d.encoding = IniEncoding::Utf8WithBom;
        d.text = DecodeUtf8(bytes, 3).value_or(L"");
    } else if (bytes.size() >= 2 && bytes.find('\0') != std::string::npos) {
        // ASCII text saved as UTF-16 has a zero in every other byte.
        d.encoding = IniEncoding::Utf16NoBom;
        d.text = DecodeUtf16(bytes, 0, bytes[0] == '\0');
    } else if (std::all_of(bytes.begin(), bytes.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        d.encoding = IniEncoding::Ascii;
        d.text.assign(bytes.begin(), bytes.end());
    } else if (auto utf8 = DecodeUtf8(bytes, 0)) {
        d.encoding = IniEncoding::Utf8;
        d.text = std::move(*utf8);
    } else {
        d.encoding = IniEncoding::Ansi;
    }
    return d;
}

std::wstring EncodingName(IniEncoding encoding) {
    switch (encoding) {
    case IniEncoding::Utf16Le: return Text(IDS_ENCODING_UTF16LE);
    case IniEncoding::Utf16Be: return Text(IDS_ENCODING_UTF16BE);
    case IniEncoding::Utf16NoBom: return Text(IDS_ENCODING_UTF16_NO_MARK);
    case IniEncoding::Utf8WithBom: return Text(IDS_ENCODING_UTF8_MARK);
    case IniEncoding::Utf8: return L"UTF-8";
    case IniEncoding::Ascii: return L"ASCII";
    case IniEncoding::Ansi: return Text(IDS_ENCODING_ANSI);
    }
    return L"";
}

ParsedIni ParseIni(const std::wstring& text) {
    ParsedIni ini;
    int number = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = Trim(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            const size_t close = line.rfind(L']');
            ini.sections.push_back(
                {number, Trim(line.substr(
                             1, (close == std::wstring::npos || close == 0 ? line.size() : close) - 1))});
            continue;
        }
        IniEntry e;
        e.line = number;
        e.sectionIndex = static_cast<int>(ini.sections.size()) - 1;
        const size_t eq = line.find(L'=');
        e.hasEquals = eq != std::wstring::npos;
        e.key = Trim(line.substr(0, eq));
        if (e.hasEquals) e.value = Trim(line.substr(eq + 1));
        ini.entries.push_back(std::move(e));
    }
    return ini;
}

std::vector<const IniEntry*> EntriesOf(const ParsedIni& ini, const std::wstring& section) {
    int first = -1;
    for (size_t i = 0; i < ini.sections.size() && first < 0; ++i)
        if (SameName(ini.sections[i].name, section)) first = static_cast<int>(i);
    std::vector<const IniEntry*> entries;
    for (const IniEntry& e : ini.entries)
        if (first >= 0 && e.sectionIndex == first && e.hasEquals) entries.push_back(&e);
    return entries;
}

std::wstring FormatProblem(const Problem& p) {
    std::wstring where;
    if (!p.section.empty()) where = L"[" + p.section + L"]";
    if (!p.key.empty()) where += (where.empty() ? L"" : L" ") + p.key;
    if (p.line > 0) {
        const std::wstring line = L"line " + std::to_wstring(p.line);
        where = where.empty() ? line : where + L" (" + line + L")";
    }
    return where.empty() ? p.text : where + L": " + p.text;
}

TextFindings FindTextProblems(const ParsedIni& ini, const std::vector<std::wstring>& languages) {
    TextFindings found;
    // A section written again is not read at all: the profile functions stop at the first.
    std::vector<bool> repeated(ini.sections.size(), false);
    for (size_t i = 0; i < ini.sections.size(); ++i) {
        const IniSection& s = ini.sections[i];
        for (size_t j = 0; j < i; ++j) {
            if (!SameName(ini.sections[j].name, s.name)) continue;
            repeated[i] = true;
            found.problems.push_back(
                {s.line, s.name, L"",
                 Text(IDS_CHECK_SECTION_TWICE, {std::to_wstring(ini.sections[j].line)})});
            break;
        }
        if (repeated[i] || KnownSectionName(s.name)) continue;
        found.problems.push_back(
            {s.line, s.name, L"",
             Text(IDS_CHECK_UNKNOWN_SECTION, {NearestName(s.name, KnownSectionNames())})});
    }

    std::map<int, std::vector<const IniEntry*>> seenBySection;
    std::vector<const IniEntry*> types;
    for (const IniEntry& e : ini.entries) {
        if (e.sectionIndex < 0) {
            found.problems.push_back({e.line, L"", e.key, Text(IDS_CHECK_BEFORE_ANY_SECTION)});
            continue;
        }
        if (repeated[static_cast<size_t>(e.sectionIndex)]) continue;
        const IniSection& s = ini.sections[static_cast<size_t>(e.sectionIndex)];
        const wchar_t* known = KnownSectionName(s.name);
        if (!known) continue;
        // In [Types] each line counts, in order, whatever its masks.
        if (SameName(known, L"Types")) {
            types.push_back(&e);
            continue;
        }
        std::vector<const IniEntry*>& seen = seenBySection[e.sectionIndex];
        const auto first = std::find_if(seen.begin(), seen.end(),
                                        [&](const IniEntry* other) { return SameName(other->key, e.key); });
        if (first != seen.end() && e.hasEquals && (*first)->hasEquals) {
            found.problems.push_back(
                {e.line, known, e.key, Text(IDS_CHECK_KEY_TWICE, {std::to_wstring((*first)->line)})});
            continue;
        }
        seen.push_back(&e);
        if (SameName(known, L"Editor"))
            CheckEditorEntry(e, found);
        else
            CheckFixedEntry(e, known, languages, found);
    }
    CheckTypesSection(types, found);
    return found;
}

std::optional<std::wstring> SectionHiddenByMark(const DecodedIni& decoded, const ParsedIni& ini) {
    if (decoded.encoding != IniEncoding::Utf8WithBom || ini.sections.empty() || ini.sections[0].line != 1)
        return std::nullopt;
    return ini.sections[0].name;
}

std::optional<Problem> FindEncodingProblem(const DecodedIni& decoded, const ParsedIni& ini) {
    if (const std::optional<std::wstring> hidden = SectionHiddenByMark(decoded, ini))
        return Problem{1, *hidden, L"", Text(IDS_CHECK_UTF8_MARK, {*hidden})};
    if (decoded.encoding == IniEncoding::Utf16NoBom)
        return Problem{0, L"", L"", Text(IDS_CHECK_UTF16_NO_MARK)};
    if (decoded.encoding != IniEncoding::Utf8 && decoded.encoding != IniEncoding::Utf8WithBom)
        return std::nullopt;
    // The first line with non-ASCII text names where it hurts.
    for (const IniEntry& e : ini.entries) {
        const std::wstring line = e.key + e.value;
        if (std::all_of(line.begin(), line.end(), [](wchar_t c) { return c < 0x80; })) continue;
        const std::wstring section =
            e.sectionIndex >= 0 ? ini.sections[static_cast<size_t>(e.sectionIndex)].name : std::wstring();
        return Problem{e.line, section, e.key,
                       Text(IDS_CHECK_UTF8_NON_ASCII, {EncodingName(decoded.encoding)})};
    }
    // Non-ASCII text in comments and section names only does no harm.
    return std::nullopt;
}

std::wstring NearestName(const std::wstring& name, const std::vector<std::wstring>& known) {
    std::wstring best;
    size_t bestDistance = SIZE_MAX;
    for (const std::wstring& candidate : known) {
        const size_t d = EditDistance(name, candidate);
        if (d < bestDistance) bestDistance = d, best = candidate;
    }
    return best;
}

std::optional<int> KeyCodeOfName(const std::wstring& text) {
    std::wstring name;
    for (wchar_t c : text)
        if (!IsBlank(c) && c != L'_') name += win::FoldAsciiCase(c);
    if (name.rfind(L"vk", 0) == 0 && name.size() > 2) name.erase(0, 2);
    if (name.size() == 1 && ((name[0] >= L'a' && name[0] <= L'z') || (name[0] >= L'0' && name[0] <= L'9')))
        return name[0] >= L'a' ? name[0] - L'a' + 65 : name[0] - L'0' + 48;
    if (name.size() >= 2 && name.size() <= 3 && name[0] == L'f' && IsPlainDecimal(name.substr(1))) {
        const long long n = LeadingNumber(name.substr(1));
        if (n >= 1 && n <= 24) return static_cast<int>(111 + n);
    }
    for (const std::wstring prefix : {L"numpad", L"num"}) {
        if (name.rfind(prefix, 0) == 0 && name.size() == prefix.size() + 1 && name.back() >= L'0' &&
            name.back() <= L'9')
            return 96 + (name.back() - L'0');
    }
    for (const KeyName& k : KeyNames())
        if (SameName(k.name, name)) return k.code;
    return std::nullopt;
}

std::wstring KeyNameOfCode(int code) {
    if (code >= 112 && code <= 135) return L"F" + std::to_wstring(code - 111);
    if ((code >= 65 && code <= 90) || (code >= 48 && code <= 57))
        return std::wstring(1, static_cast<wchar_t>(code));
    if (code >= 96 && code <= 105) return L"Numpad " + std::to_wstring(code - 96);
    for (const KeyName& k : KeyNames())
        if (k.code == code) return k.name;
    return L"";
}

std::optional<std::wstring> IntendedModifiers(const std::wstring& text) {
    bool shift = false, ctrl = false, alt = false;
    std::wstring token;
    bool any = false;
    auto take = [&]() {
        if (token.empty()) return true;
        const std::wstring t = Lower(token);
        token.clear();
        any = true;
        if (t == L"shift") return shift = true;
        if (t == L"ctrl" || t == L"control" || t == L"ctl" || t == L"strg") return ctrl = true;
        if (t == L"alt") return alt = true;
        for (wchar_t c : t) {
            if (c == L's')
                shift = true;
            else if (c == L'c')
                ctrl = true;
            else if (c == L'a')
                alt = true;
            else
                return false;
        }
        return true;
    };
    for (wchar_t c : text) {
        if (c == L'+' || c == L'-' || c == L',' || IsBlank(c)) {
            if (!take()) return std::nullopt;
        } else {
            token += c;
        }
    }
    if (!take() || !any) return std::nullopt;
    return std::wstring(shift ? L"S" : L"") + (ctrl ? L"C" : L"") + (alt ? L"A" : L"");
}

std::wstring DescribeModifiers(const std::wstring& modifierText) {
    // The plugin reads the modifier text into 4 units: 3 characters.
    const ModifierSpec spec = ParseModifierSpec(modifierText.substr(0, 3));
    std::wstring text;
    for (const auto& [held, name] :
         {std::pair{spec.shift, L"Shift"}, {spec.ctrl, L"Ctrl"}, {spec.alt, L"Alt"}})
        if (held) text += (text.empty() ? L"" : L"+") + std::wstring(name);
    return text.empty() ? Text(IDS_CHECK_NO_MODIFIER) : text;
}

bool IsTemplateKey(const std::wstring& key) {
    if (key.find(L"_params") != std::wstring::npos) return true;
    if (key.find_first_of(L"\\/") != std::wstring::npos) return true;
    if (key.find(L':') != std::wstring::npos && !SameName(key, L":dir")) return true;
    // An extension key never holds a dot (it is what follows the last one); a program name does.
    const size_t dot = key.find(L'.');
    return dot != std::wstring::npos && dot > 0 && key.find(L',') == std::wstring::npos;
}

std::vector<std::wstring> CompositeItems(const std::wstring& list) {
    std::vector<std::wstring> items;
    for (size_t start = 0; start < list.size();) {
        const size_t comma = list.find(L',', start);
        const size_t end = comma == std::wstring::npos ? list.size() : comma;
        items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::optional<Arguments> ParseArguments(const std::vector<std::wstring>& args, std::wstring& error) {
    Arguments a;
    bool modeSet = false, onlyFiles = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != L'-' || arg == L"-") {
            a.files.push_back(arg);
        } else if (arg == L"--") {
            onlyFiles = true;
        } else if (arg == L"--help" || arg == L"-h" || arg == L"-?") {
            a.help = true;
        } else if (arg == L"--ini" || arg == L"--language") {
            std::wstring& value = arg == L"--ini" ? a.ini : a.language;
            if (!value.empty() || i + 1 >= args.size() || args[i + 1].empty()) {
                error = !value.empty()    ? Text(IDS_CHECK_ARGUMENT_TWICE, {arg})
                        : arg == L"--ini" ? Text(IDS_CHECK_INI_NEEDS_FILE)
                                          : Text(IDS_CHECK_LANGUAGE_NEEDS_CODE);
                return std::nullopt;
            }
            value = args[++i];
        } else if (arg == L"--hotkey" || arg == L"--system" || arg == L"--choose") {
            if (modeSet) {
                error = Text(IDS_CHECK_MODES_EXCLUDE);
                return std::nullopt;
            }
            modeSet = true;
            a.mode = arg == L"--hotkey"   ? Arguments::Mode::Hotkey
                     : arg == L"--system" ? Arguments::Mode::System
                                          : Arguments::Mode::Choose;
        } else {
            error = Text(IDS_CHECK_UNKNOWN_OPTION, {arg});
            return std::nullopt;
        }
    }
    if (a.mode != Arguments::Mode::Load && a.files.size() != 1 && !a.help) {
        error = Text(IDS_CHECK_ONE_FILE);
        return std::nullopt;
    }
    return a;
}

} // namespace checker
