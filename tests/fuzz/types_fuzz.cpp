// The grammar of [Types], its masks and the content test.
//
// Input, in 16-bit units: a flags unit (bit 0: the name is a folder; bits 1-2: its content, text,
// binary or unreadable; bit 3: its size is known; bits 4-15: its size), the name as a nul-closed field,
// then the section's lines separated by line feeds. The input's bytes are also a file's first bytes.
//
// Properties: every usable line has a type of the allowed units and masks to match; the matcher agrees
// with a plain dynamic-programming one on every mask and ignores the letter case of ASCII names; a file
// is asked for nothing until a line's masks took it, and for each fact at most once per line; the
// content test agrees with its rule.
#include <algorithm>
#include <vector>

#include "config/file_types.h"
#include "fuzz_support.h"

namespace {

// Whether text matches pattern whole: "*" any run, "?" one unit; the obvious table of prefixes.
bool ReferenceMatches(const std::wstring& pattern, std::wstring_view text) {
    std::vector<std::vector<bool>> m(pattern.size() + 1, std::vector<bool>(text.size() + 1, false));
    m[0][0] = true;
    for (size_t p = 1; p <= pattern.size(); ++p)
        for (size_t t = 0; t <= text.size(); ++t) {
            const wchar_t c = pattern[p - 1];
            if (c == L'*')
                m[p][t] = m[p - 1][t] || (t > 0 && m[p][t - 1]);
            else
                m[p][t] = t > 0 && m[p - 1][t - 1] && (c == L'?' || c == text[t - 1]);
        }
    return m[pattern.size()][text.size()];
}

struct Facts : config::FileFactsSource {
    std::optional<uint64_t> size;
    config::FileContent content = config::FileContent::Text;
    int asked = 0;
    std::optional<uint64_t> Size() override { return ++asked, size; }
    config::FileContent Content() override { return ++asked, content; }
};

wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    bool control = false;
    for (size_t i = 0; i < size && i < config::kTypeSampleBytes; ++i)
        control = control || (data[i] < 0x20 && data[i] != 9 && data[i] != 10 && data[i] != 12 &&
                              data[i] != 13 && data[i] != 27);
    if (!control) FUZZ_CHECK(config::IsTextSample(data, size));

    fuzz::UnitReader reader(fuzz::Units(data, size));
    const uint16_t flags = reader.Take();
    const bool isDirectory = flags & 1;
    const std::wstring name = reader.Field();
    std::wstring section = reader.Rest();
    std::replace(section.begin(), section.end(), L'\n', L'\0');
    section += std::wstring(2, L'\0');
    const std::vector<config::TypeLine> lines = config::ParseTypeSection(section);

    const config::TypeSubject subject = config::SubjectOf(name, isDirectory);
    std::wstring upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
    const config::TypeSubject upperSubject = config::SubjectOf(upper, isDirectory);
    FUZZ_CHECK(upperSubject.folded == subject.folded);

    for (const config::TypeLine& line : lines) {
        FUZZ_CHECK(line.place >= 1);
        if (!line.Usable()) continue;
        FUZZ_CHECK(!line.type.empty() && !line.include.empty());
        FUZZ_CHECK(line.type.find(L"_params") == std::wstring::npos);
        for (wchar_t c : line.type)
            FUZZ_CHECK((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_');
        FUZZ_CHECK(std::is_partitioned(line.conditions.begin(), line.conditions.end(), [](const auto& c) {
            return c.kind == config::ConditionKind::SizeAbove || c.kind == config::ConditionKind::SizeBelow;
        }));
        for (const auto* masks : {&line.include, &line.exclude})
            for (const config::TypeMask& mask : *masks) {
                FUZZ_CHECK(!mask.pattern.empty());
                for (wchar_t c : mask.pattern)
                    FUZZ_CHECK(config::FoldTypeCase(c) == c && c != L'/');
                FUZZ_CHECK(mask.wholeName == (mask.pattern.find(L'\\') != std::wstring::npos));
                const bool matches = config::MaskMatches(mask, subject);
                if (mask.folders == isDirectory && !(mask.noExtension && subject.hasExtension) &&
                    mask.pattern.size() <= 64 && subject.folded.size() <= 256) {
                    const size_t start = mask.wholeName ? 0 : subject.lastStart;
                    const size_t end = mask.noExtension ? subject.withoutDots : subject.folded.size();
                    FUZZ_CHECK(matches == ReferenceMatches(
                                              mask.pattern,
                                              std::wstring_view(subject.folded).substr(start, end - start)));
                } else if (mask.folders != isDirectory || (mask.noExtension && subject.hasExtension)) {
                    FUZZ_CHECK(!matches);
                }
            }
    }

    Facts facts;
    facts.content = static_cast<config::FileContent>(((flags >> 1) & 3) % 3);
    if (flags & 8) facts.size = flags >> 4;
    const std::optional<size_t> taken = config::FirstTakingLine(lines, subject, facts);
    size_t masksTook = 0, conditionsAsked = 0;
    for (size_t i = 0; i < lines.size() && (!taken || i <= *taken); ++i)
        if (lines[i].Usable() && config::MasksMatch(lines[i], subject)) {
            ++masksTook;
            conditionsAsked += isDirectory ? 0 : lines[i].conditions.size();
        }
    FUZZ_CHECK(facts.asked <= static_cast<int>(conditionsAsked));
    if (masksTook == 0) FUZZ_CHECK(facts.asked == 0 && !taken);
    if (taken) FUZZ_CHECK(lines[*taken].Usable() && config::MasksMatch(lines[*taken], subject));

    for (const auto& [later, earlier] : config::ShadowedTypeLines(lines))
        FUZZ_CHECK(earlier < later && later < lines.size() && lines[earlier].conditions.empty());
    return 0;
}
