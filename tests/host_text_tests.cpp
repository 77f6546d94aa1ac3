// The pure text rules of the host interaction: splitting, names out of panel entries, modifier texts.
#include <gtest/gtest.h>

#include "host/host_text.h"

using Fields = std::vector<std::wstring>;

TEST(SplitString, EveryOccurrenceMakesAFieldEmptyOnesIncluded) {
    Fields out{L"stale"};
    SplitString(out, L"a\t\tb", L"\t", true, true, true);
    EXPECT_EQ(out, (Fields{L"a", L"", L"b"}));
    SplitString(out, L"", L"\t", true, true, true);
    EXPECT_EQ(out, (Fields{L""}));
    SplitString(out, L"a\t", L"\t", true, true, true);
    EXPECT_EQ(out, (Fields{L"a", L""}));
    SplitString(out, L"\ta", L"\t", true, true, true);
    EXPECT_EQ(out, (Fields{L"", L"a"}));
    // A separator of two units; a lone CR is not one.
    SplitString(out, L"a\r\nb\rc\r\n", L"\r\n", true, true, true);
    EXPECT_EQ(out, (Fields{L"a", L"b\rc", L""}));
}

TEST(SplitString, FlagsDropEmptyFieldsAndAppend) {
    Fields out{L"x"};
    SplitString(out, L"a", L";", true, true, false);
    EXPECT_EQ(out, (Fields{L"x", L"a"}));
    SplitString(out, L";a;;b;", L";", false, true, true);
    EXPECT_EQ(out, (Fields{L"a", L"b"}));
    SplitString(out, L";a;;b", L";", true, false, true);
    EXPECT_EQ(out, (Fields{L"a", L"", L"b"}));
    // Leading empties are dropped only while nothing is held yet.
    out = {L"held"};
    SplitString(out, L";a", L";", true, false, false);
    EXPECT_EQ(out, (Fields{L"held", L"", L"a"}));
}

TEST(SplitString, EmptySeparatorLeavesTheTextWhole) {
    Fields out;
    SplitString(out, L"a b", L"", true, true, true);
    EXPECT_EQ(out, (Fields{L"a b"}));
}

TEST(NameFromEntryText, EachGetTextMode) {
    struct Case {
        int mode;
        std::wstring entry;
        std::wstring name;
    };
    const Case cases[] = {
        {0, L"a.txt 12", L"a.txt"},
        {0, L"my file.txt", L"my"},
        {1, L"a.txt\t12", L"a.txt"},
        {1, L"my file.txt", L"my file.txt"},
        {2, L"a.txt\r12", L"a.txt"},
        {3, L"a.txt\r\n12", L"a.txt"},
        {3, L"a.txt\r12", L"a.txt\r12"},
        {4, L"x\ta.txt\ty\r12", L"a.txt"},
        {4, L"a.txt\rx", L""},
        {5, L"x\ta.txt\r\n12", L"a.txt"},
        {5, L"x\ta.txt\r12", L"a.txt\r12"},
        {1, L"\ta.txt", L""},
    };
    for (const Case& c : cases) {
        const auto name = NameFromEntryText(c.entry, c.mode);
        ASSERT_TRUE(name.has_value()) << "mode " << c.mode;
        EXPECT_EQ(*name, c.name) << "mode " << c.mode;
    }
    for (int mode : {-1, 6, 7, 1000})
        EXPECT_FALSE(NameFromEntryText(L"a.txt\t12", mode).has_value()) << "mode " << mode;
}

TEST(ParseModifierSpec, UpperCaseLettersOnlyInAnyOrder) {
    EXPECT_EQ(ParseModifierSpec(L""), (ModifierSpec{false, false, false}));
    EXPECT_EQ(ParseModifierSpec(L"C"), (ModifierSpec{false, true, false}));
    EXPECT_EQ(ParseModifierSpec(L"ACS"), (ModifierSpec{true, true, true}));
    EXPECT_EQ(ParseModifierSpec(L"sca"), (ModifierSpec{false, false, false}));
    EXPECT_EQ(ParseModifierSpec(L"xS+"), (ModifierSpec{true, false, false}));
}
