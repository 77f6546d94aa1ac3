// The grammar of [Types], its masks and the content test. No platform call.
#include <algorithm>
#include <set>
#include <tuple>

#include "config/file_types.h"

namespace config {
namespace {

const std::wstring kTemplateMarker = L"_params";
constexpr uint64_t kLargestSize = uint64_t(1) << 62;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view Trimmed(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::wstring_view> Split(std::wstring_view s, wchar_t separator) {
    std::vector<std::wstring_view> parts;
    for (size_t start = 0;;) {
        const size_t end = s.find(separator, start);
        parts.push_back(
            s.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos) return parts;
        start = end + 1;
    }
}

std::vector<std::wstring_view> Words(std::wstring_view s) {
    std::vector<std::wstring_view> words;
    for (size_t i = 0; i < s.size();) {
        while (i < s.size() && IsBlank(s[i]))
            ++i;
        const size_t start = i;
        while (i < s.size() && !IsBlank(s[i]))
            ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

std::wstring Folded(std::wstring_view s) {
    std::wstring folded(s);
    for (wchar_t& c : folded)
        c = c == L'/' ? L'\\' : FoldTypeCase(c);
    return folded;
}

// A mask as written; nullopt for one that names nothing (blank, or only the marks of a folder or of
// no extension).
std::optional<TypeMask> ParseMask(std::wstring_view written) {
    TypeMask mask;
    std::wstring pattern = Folded(Trimmed(written));
    if (!pattern.empty() && pattern.back() == L'\\') {
        mask.folders = true;
        pattern.pop_back();
    }
    if (!pattern.empty() && pattern.back() == L'.') {
        mask.noExtension = true;
        pattern.pop_back();
    }
    if (pattern.empty()) return std::nullopt;
    mask.wholeName = pattern.find(L'\\') != std::wstring::npos;
    mask.pattern = std::move(pattern);
    return mask;
}

std::vector<TypeMask> ParseMasks(std::wstring_view list) {
    std::vector<TypeMask> masks;
    for (std::wstring_view written : Split(list, L';'))
        if (std::optional<TypeMask> mask = ParseMask(written)) masks.push_back(std::move(*mask));
    return masks;
}

bool IsTypeUnit(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_';
}

// size>N or size<N, N a whole number with an optional K, M or G; nullopt when malformed.
std::optional<TypeCondition> ParseSize(std::wstring_view word) {
    if (word.size() < 6 || (word[4] != L'>' && word[4] != L'<')) return std::nullopt;
    TypeCondition condition{word[4] == L'>' ? ConditionKind::SizeAbove : ConditionKind::SizeBelow};
    std::wstring_view number = word.substr(5);
    uint64_t unit = 1;
    switch (number.back()) {
    case L'k': unit = uint64_t(1) << 10; break;
    case L'm': unit = uint64_t(1) << 20; break;
    case L'g': unit = uint64_t(1) << 30; break;
    default: break;
    }
    if (unit > 1) number.remove_suffix(1);
    if (number.empty()) return std::nullopt;
    uint64_t n = 0;
    for (wchar_t c : number) {
        if (c < L'0' || c > L'9') return std::nullopt;
        n = n * 10 + static_cast<uint64_t>(c - L'0');
        if (n > kLargestSize) return std::nullopt;
    }
    if (n > kLargestSize / unit) return std::nullopt;
    condition.bytes = n * unit;
    return condition;
}

void Fault(TypeLine& line, TypeLineFault fault, std::wstring_view word = {}) {
    line.fault = fault;
    line.faultWord = std::wstring(word);
}

} // namespace

TypeLine ParseTypeLine(const std::wstring& masks, const std::wstring& value, bool hasEquals) {
    TypeLine line;
    line.masks = masks;
    line.value = value;
    line.hasEquals = hasEquals;
    const std::vector<std::wstring_view> parts = Split(masks, L'|');
    if (parts.size() > 2) {
        Fault(line, TypeLineFault::SecondBar);
        return line;
    }
    line.include = ParseMasks(parts[0]);
    if (parts.size() == 2) line.exclude = ParseMasks(parts[1]);
    if (line.include.empty()) {
        Fault(line, TypeLineFault::NoMask);
        return line;
    }
    const std::vector<std::wstring_view> words = Words(value);
    if (!hasEquals || words.empty()) {
        Fault(line, TypeLineFault::NoType);
        return line;
    }
    for (wchar_t c : words[0])
        line.type += c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    if (!std::all_of(line.type.begin(), line.type.end(), IsTypeUnit)) {
        Fault(line, TypeLineFault::TypeCharacters, words[0]);
        return line;
    }
    if (line.type.find(kTemplateMarker) != std::wstring::npos) {
        Fault(line, TypeLineFault::TemplateType, words[0]);
        return line;
    }
    for (size_t i = 1; i < words.size(); ++i) {
        std::wstring word(words[i]);
        for (wchar_t& c : word)
            c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        if (word == L"text") {
            line.conditions.push_back({ConditionKind::Text});
        } else if (word == L"binary") {
            line.conditions.push_back({ConditionKind::Binary});
        } else if (word.rfind(L"size", 0) == 0) {
            const std::optional<TypeCondition> size = ParseSize(word);
            if (!size) {
                Fault(line, TypeLineFault::MalformedSize, words[i]);
                return line;
            }
            line.conditions.push_back(*size);
        } else {
            Fault(line, TypeLineFault::UnknownCondition, words[i]);
            return line;
        }
    }
    // The sizes come from the file's attributes; text and binary need its first bytes.
    std::stable_partition(line.conditions.begin(), line.conditions.end(), [](const TypeCondition& c) {
        return c.kind == ConditionKind::SizeAbove || c.kind == ConditionKind::SizeBelow;
    });
    return line;
}

std::vector<TypeLine> ParseTypeSection(const std::wstring& section) {
    std::vector<TypeLine> lines;
    for (size_t pos = 0; pos < section.size();) {
        size_t end = section.find(L'\0', pos);
        if (end == std::wstring::npos) end = section.size();
        if (end == pos) break; // the empty text that closes the section
        const std::wstring_view text = Trimmed(std::wstring_view(section).substr(pos, end - pos));
        pos = end + 1;
        if (text.empty() || text[0] == L';') continue;
        const size_t eq = text.find(L'=');
        const bool hasEquals = eq != std::wstring_view::npos;
        TypeLine line =
            ParseTypeLine(std::wstring(Trimmed(text.substr(0, eq))),
                          hasEquals ? std::wstring(Trimmed(text.substr(eq + 1))) : L"", hasEquals);
        line.place = static_cast<int>(lines.size()) + 1;
        lines.push_back(std::move(line));
    }
    return lines;
}

wchar_t FoldTypeCase(wchar_t c) {
    const auto u = static_cast<uint32_t>(c);
    auto plus = [&](uint32_t n) { return static_cast<wchar_t>(u + n); };
    if (u < 0x80) return u >= L'A' && u <= L'Z' ? plus(0x20) : c;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return plus(0x20);
    if (u >= 0x100 && u <= 0x17F) {
        // Pairs of capital and small letter, the capital even, except in two runs where it is odd;
        // a few letters have no pair here.
        if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) return c;
        if (u == 0x178) return static_cast<wchar_t>(0xFF);
        const bool oddCapitals = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
        return (u % 2 == 1) == oddCapitals ? plus(1) : c;
    }
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return plus(0x20);
    if (u >= 0x410 && u <= 0x42F) return plus(0x20);
    if (u >= 0x400 && u <= 0x40F) return plus(0x50);
    return c;
}

bool GlobMatches(std::wstring_view pattern, std::wstring_view text) {
    // Greedy, going back to the last "*" on a mismatch: each "*" is tried at each place once.
    size_t p = 0, t = 0;
    size_t star = std::wstring_view::npos, starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            starText = t;
        } else if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

TypeSubject SubjectOf(const std::wstring& name, bool isDirectory) {
    TypeSubject s;
    s.isDirectory = isDirectory;
    s.folded = Folded(name);
    while (!s.folded.empty() && s.folded.back() == L'\\')
        s.folded.pop_back();
    const size_t separator = s.folded.rfind(L'\\');
    s.lastStart = separator != std::wstring::npos               ? separator + 1
                  : s.folded.size() >= 2 && s.folded[1] == L':' ? 2
                                                                : 0;
    s.withoutDots = s.folded.size();
    while (s.withoutDots > s.lastStart && s.folded[s.withoutDots - 1] == L'.')
        --s.withoutDots;
    s.hasExtension =
        std::wstring_view(s.folded).substr(s.lastStart, s.withoutDots - s.lastStart).find(L'.') !=
        std::wstring_view::npos;
    return s;
}

bool MaskMatches(const TypeMask& mask, const TypeSubject& subject) {
    if (mask.folders != subject.isDirectory) return false;
    if (mask.noExtension && subject.hasExtension) return false;
    const size_t start = mask.wholeName ? 0 : subject.lastStart;
    const size_t end = mask.noExtension ? subject.withoutDots : subject.folded.size();
    return GlobMatches(mask.pattern, std::wstring_view(subject.folded).substr(start, end - start));
}

bool MasksMatch(const TypeLine& line, const TypeSubject& subject) {
    const auto matches = [&](const TypeMask& mask) { return MaskMatches(mask, subject); };
    return std::any_of(line.include.begin(), line.include.end(), matches) &&
           std::none_of(line.exclude.begin(), line.exclude.end(), matches);
}

bool IsTextSample(const uint8_t* data, size_t size) {
    if ((size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) ||
        (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))))
        return true;
    for (size_t i = 0; i < size && i < kTypeSampleBytes; ++i) {
        const uint8_t b = data[i];
        if (b < 0x20 && b != 9 && b != 10 && b != 12 && b != 13 && b != 27) return false;
    }
    return true;
}

bool ConditionsHold(const TypeLine& line, bool isDirectory, FileFactsSource& facts) {
    if (line.conditions.empty()) return true;
    if (isDirectory) return false;
    for (const TypeCondition& c : line.conditions) {
        switch (c.kind) {
        case ConditionKind::SizeAbove:
        case ConditionKind::SizeBelow: {
            const std::optional<uint64_t> size = facts.Size();
            if (!size || (c.kind == ConditionKind::SizeAbove ? *size <= c.bytes : *size >= c.bytes))
                return false;
            break;
        }
        case ConditionKind::Text:
        case ConditionKind::Binary:
            if (facts.Content() != (c.kind == ConditionKind::Text ? FileContent::Text : FileContent::Binary))
                return false;
            break;
        }
    }
    return true;
}

std::optional<size_t> FirstTakingLine(const std::vector<TypeLine>& lines, const TypeSubject& subject,
                                      FileFactsSource& facts) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].Usable() && MasksMatch(lines[i], subject) &&
            ConditionsHold(lines[i], subject.isDirectory, facts))
            return i;
    return std::nullopt;
}

std::set<std::wstring> TypeKeysOf(const std::vector<TypeLine>& lines) {
    std::set<std::wstring> keys;
    for (const TypeLine& line : lines)
        if (line.Usable()) keys.insert(line.type);
    return keys;
}

std::vector<std::pair<size_t, size_t>> ShadowedTypeLines(const std::vector<TypeLine>& lines) {
    // Masks compare as sets: their order and repetitions change nothing.
    using MaskKey = std::tuple<std::wstring, bool, bool, bool>;
    const auto setOf = [](const std::vector<TypeMask>& masks) {
        std::set<MaskKey> keys;
        for (const TypeMask& m : masks)
            keys.emplace(m.pattern, m.wholeName, m.folders, m.noExtension);
        return keys;
    };
    std::vector<std::pair<std::set<MaskKey>, std::set<MaskKey>>> masks;
    for (const TypeLine& line : lines)
        masks.emplace_back(setOf(line.include), setOf(line.exclude));
    std::vector<std::pair<size_t, size_t>> shadowed;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].Usable()) continue;
        for (size_t j = 0; j < i; ++j) {
            if (!lines[j].Usable() || !lines[j].conditions.empty() || masks[j] != masks[i]) continue;
            shadowed.emplace_back(i, j);
            break;
        }
    }
    return shadowed;
}

} // namespace config
