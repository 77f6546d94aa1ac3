// Splitting of texts, the file name of a file-panel entry by get-text mode, and modifier texts.
//
// Input, in 16-bit units: a flags unit (bit 0: the separator is one of the host's, chosen by bits
// 1-2, rather than the first field; bit 3: the list already holds an element before an appending
// split), a mode unit (the get-text mode is its value modulo 8, less 1), the separator as a
// nul-closed field unless bit 0, then the text, nul units included.
#include "fuzz_support.h"
#include "host/host_text.h"

namespace {

using Fields = std::vector<std::wstring>;

Fields Split(const std::wstring& text, const std::wstring& separator, bool keepEmpty, bool keepLeadingEmpty) {
    Fields out{L"stale"};
    SplitString(out, text, separator, keepEmpty, keepLeadingEmpty, true);
    return out;
}

// The split that the host reading relies on (all flags true): k + 1 fields for k separators, the
// leftmost occurrence ending each field, and the fields joined by the separator give the text back.
void CheckFullSplit(const std::wstring& text, const std::wstring& separator, const Fields& fields) {
    FUZZ_CHECK(!fields.empty());
    if (separator.empty()) {
        FUZZ_CHECK(fields.size() == 1 && fields[0] == text);
        return;
    }
    std::wstring joined;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) joined += separator;
        joined += fields[i];
        if (i + 1 < fields.size())
            FUZZ_CHECK((fields[i] + separator).find(separator) == fields[i].size());
        else
            FUZZ_CHECK(fields[i].find(separator) == std::wstring::npos);
    }
    FUZZ_CHECK(joined == text);
}

void CheckSplit(const std::wstring& text, const std::wstring& separator, bool prefilled) {
    const Fields all = Split(text, separator, true, true);
    CheckFullSplit(text, separator, all);

    Fields nonEmpty, withoutLeading;
    for (const std::wstring& f : all) {
        if (!f.empty()) nonEmpty.push_back(f);
        if (!f.empty() || !withoutLeading.empty()) withoutLeading.push_back(f);
    }
    FUZZ_CHECK(Split(text, separator, false, true) == nonEmpty);
    FUZZ_CHECK(Split(text, separator, false, false) == nonEmpty);
    FUZZ_CHECK(Split(text, separator, true, false) == withoutLeading);

    // Appending keeps what the list held; an element already there lets leading empty fields stay.
    Fields out;
    if (prefilled) out.push_back(L"kept");
    SplitString(out, text, separator, true, false, false);
    Fields expected;
    if (prefilled) expected.push_back(L"kept");
    const Fields& rest = prefilled ? all : withoutLeading;
    expected.insert(expected.end(), rest.begin(), rest.end());
    FUZZ_CHECK(out == expected);
}

const wchar_t* const kHostSeparators[] = {L" ", L"\t", L"\r", L"\r\n"};

void CheckEntryName(const std::wstring& text, int mode) {
    const std::optional<std::wstring> name = NameFromEntryText(text, mode);
    if (mode < 0 || mode > 5) {
        FUZZ_CHECK(!name);
        return;
    }
    FUZZ_CHECK(name.has_value());
    const std::wstring separator = kHostSeparators[mode < 4 ? mode : mode - 2];
    const std::wstring first = text.substr(0, text.find(separator));
    if (mode < 4) {
        FUZZ_CHECK(*name == first);
        return;
    }
    // The second tab-separated part of the first field; empty when that field has no tab.
    const size_t tab = first.find(L'\t');
    if (tab == std::wstring::npos) {
        FUZZ_CHECK(name->empty());
        return;
    }
    FUZZ_CHECK(name->find(L'\t') == std::wstring::npos);
    FUZZ_CHECK(first.compare(tab + 1, name->size(), *name) == 0);
    const size_t end = tab + 1 + name->size();
    FUZZ_CHECK(end == first.size() || first[end] == L'\t');
}

void CheckModifiers(const std::wstring& text) {
    const ModifierSpec spec = ParseModifierSpec(text);
    FUZZ_CHECK(spec.shift == (text.find(L'S') != std::wstring::npos));
    FUZZ_CHECK(spec.ctrl == (text.find(L'C') != std::wstring::npos));
    FUZZ_CHECK(spec.alt == (text.find(L'A') != std::wstring::npos));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::UnitReader in(fuzz::Units(data, size));
    const uint16_t flags = in.Take();
    const int mode = static_cast<int>(in.Take() % 8) - 1;
    const std::wstring separator = (flags & 1) ? kHostSeparators[(flags >> 1) & 3] : in.Field();
    const std::wstring text = in.Rest();

    CheckSplit(text, separator, (flags & 8) != 0);
    CheckSplit(text, L"\t", false);
    CheckEntryName(text, mode);
    CheckModifiers(text);
    return 0;
}
