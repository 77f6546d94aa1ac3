// The texts of the resources: a pattern's numbered inserts, and the counted strings of a string table
// block.
//
// Input, in 16-bit units: the number of inserts (0-9) and each insert closed by a nul unit; then pieces,
// each a unit that says what it is (a literal closed by a nul unit, %N, or %%) and its literal. The
// pattern is built from the pieces, the text it must give beside it. The same units, read as a string
// table block, must give entries that lie within it.
#include "fuzz_support.h"
#include "win/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring units = fuzz::Units(data, size);
    fuzz::UnitReader in(units);
    const size_t count = in.Take() % 10;
    std::vector<std::wstring> inserts;
    for (size_t i = 0; i < count; ++i)
        inserts.push_back(in.Field());
    std::wstring pattern, expected;
    while (!in.AtEnd()) {
        const uint16_t piece = in.Take();
        if (piece % 3 == 0) {
            const std::wstring literal = in.Field();
            for (wchar_t c : literal)
                pattern += c == L'%' ? std::wstring(L"%%") : std::wstring(1, c);
            expected += literal;
        } else if (piece % 3 == 1) {
            const size_t n = piece / 3 % 9 + 1;
            pattern += L'%' + std::to_wstring(n);
            expected += n <= count ? inserts[n - 1] : L'%' + std::to_wstring(n);
        } else {
            pattern += L"%%";
            expected += L'%';
        }
    }
    const std::vector<std::wstring_view> views(inserts.begin(), inserts.end());
    FUZZ_CHECK(win::FormatNumbered(pattern, views.data(), views.size()) == expected);

    for (unsigned entry = 0; entry <= 16; ++entry) {
        const std::optional<std::wstring_view> found = win::StringTableEntry(units, entry);
        if (!found) continue;
        FUZZ_CHECK(found->data() > units.data() &&
                   found->data() + found->size() <= units.data() + units.size());
        FUZZ_CHECK(static_cast<size_t>(found->data()[-1]) == found->size());
    }
    return 0;
}
