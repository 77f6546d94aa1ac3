// The option cache: keys, defaults, letter case, and when the cache is filled; the language of the
// texts.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "config/languages.h"
#include "config/options.h"
#include "config/texts.h"
#include "lang/ids.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "win/resources.h"
#include "win/text.h"

using namespace testing_support;

namespace {

struct OptionCache : testing::Test {
    TempDir dir{L"options"};
    void SetUp() override { win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini"); }
    void TearDown() override {
        OptionsIniName[0] = L'\0';
        TolvanierOptions = {};
    }
    void WriteIni(const std::string& text) { ASSERT_TRUE(WriteTextFile(OptionsIniName, text)); }
};

void ExpectDefaults(const TTolvanierOptions& o) {
    EXPECT_FALSE(o.ScrollLockControl);
    EXPECT_FALSE(o.ModalOnly);
    EXPECT_TRUE(o.FindFiles);
    EXPECT_TRUE(o.SyncDirs);
    EXPECT_TRUE(o.TCWindow);
    EXPECT_FALSE(o.QuickView);
    EXPECT_FALSE(o.Lister4);
    EXPECT_FALSE(o.ListerDirectly);
    EXPECT_TRUE(o.OverWrite);
    EXPECT_FALSE(o.IfIsExtOnly);
    EXPECT_TRUE(o.NextPlugin);
    EXPECT_FALSE(o.UseTCExtensions);
    EXPECT_TRUE(o.CopySearchTextToClip);
    EXPECT_FALSE(o.AppFromLister_key);
    EXPECT_FALSE(o.DefSysAppFromLister_key);
    EXPECT_FALSE(o.UseSystemAssociations);
    EXPECT_FALSE(o.ChooseAppFromLister_key);
    EXPECT_TRUE(o.KeepChangedCopies);
    EXPECT_EQ(o.ParamsMode, 1);
    EXPECT_EQ(o.ParamsByExtMode, 0);
    EXPECT_EQ(o.ListerState, 1);
}

} // namespace

TEST_F(OptionCache, DefaultsWithNoIniAndWithAnUnusablePath) {
    ExpectDefaults(config::ReadOptionBlock(OptionsIniName));
    ExpectDefaults(config::ReadOptionBlock(L""));
}

TEST_F(OptionCache, EveryKeyIsReadInAnyLetterCase) {
    WriteIni(
        "[oPTIONS]\r\nscrolllockcontrol=1\r\nMODALONLY=1\r\nFindFiles=0\r\nSyncDirs=0\r\nTCWindow=0\r\n"
        "QuickView=1\r\nLister4=1\r\nListerDirectly=1\r\nOverWrite=0\r\nIfIsExtOnly=1\r\nListerState=7\r\n"
        "NextPlugin=0\r\nUseTCExtensions=1\r\nCopySearchTextToClip=0\r\nParamsMode=0\r\nParamsByExtMode=2\r\n"
        "usesystemassociations=1\r\nKEEPCHANGEDCOPIES=0\r\n[hotkeys]\r\nappfromlister_key="
        "113\r\nDEFSYSAPPFROMLISTER_KEY=F2\r\n"
        "ChooseAppFromLister_KEY=114\r\n");
    const TTolvanierOptions o = config::ReadOptionBlock(OptionsIniName);
    EXPECT_TRUE(o.ScrollLockControl);
    EXPECT_TRUE(o.ModalOnly);
    EXPECT_FALSE(o.FindFiles);
    EXPECT_FALSE(o.SyncDirs);
    EXPECT_FALSE(o.TCWindow);
    EXPECT_TRUE(o.QuickView);
    EXPECT_TRUE(o.Lister4);
    EXPECT_TRUE(o.ListerDirectly);
    EXPECT_FALSE(o.OverWrite);
    EXPECT_TRUE(o.IfIsExtOnly);
    EXPECT_EQ(o.ListerState, 7);
    EXPECT_FALSE(o.NextPlugin);
    EXPECT_TRUE(o.UseTCExtensions);
    EXPECT_FALSE(o.CopySearchTextToClip);
    EXPECT_EQ(o.ParamsMode, 0);
    EXPECT_EQ(o.ParamsByExtMode, 2);
    EXPECT_TRUE(o.AppFromLister_key);
    EXPECT_TRUE(o.DefSysAppFromLister_key); // a key name is text all the same: the hotkey counts as enabled
    EXPECT_TRUE(o.UseSystemAssociations);
    EXPECT_TRUE(o.ChooseAppFromLister_key);
    EXPECT_FALSE(o.KeepChangedCopies);
}

TEST_F(OptionCache, MalformedValuesFollowThePlatformReader) {
    WriteIni("[Options]\nModalOnly=yes\nFindFiles=0abc\nListerState=2abc\nParamsMode=\n[HotKeys]"
             "\nAppFromLister_key=\n");
    const TTolvanierOptions o = config::ReadOptionBlock(OptionsIniName);
    EXPECT_FALSE(o.ModalOnly); // no leading digits: 0
    EXPECT_FALSE(o.FindFiles); // leading digit 0
    EXPECT_EQ(o.ListerState, 2);
    EXPECT_EQ(o.ParamsMode, 1); // present but empty: the platform falls back to the default
    EXPECT_FALSE(o.AppFromLister_key);
}

TEST_F(OptionCache, FilledAtFirstLoadThenOnlyWhileReadOptionsEveryTimeIsSet) {
    WriteIni("[Options]\nModalOnly=1\n");
    FirstLoad = true;
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_FALSE(FirstLoad);
    EXPECT_TRUE(TolvanierOptions.ModalOnly);

    WriteIni("[Options]\nModalOnly=0\n");
    EXPECT_FALSE(config::RefreshOptionCache());
    EXPECT_TRUE(TolvanierOptions.ModalOnly) << "an edit takes effect only after a reload";

    WriteIni("[Options]\nModalOnly=0\nReadOptionsEveryTime=1\n");
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_FALSE(TolvanierOptions.ModalOnly);
    WriteIni("[Options]\nModalOnly=1\nreadoptionseverytime=1\n");
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_TRUE(TolvanierOptions.ModalOnly);
}

TEST_F(OptionCache, FirstLoadIgnoresReadOptionsEveryTime) {
    WriteIni("[Options]\nReadOptionsEveryTime=0\nListerState=2\n");
    FirstLoad = true;
    EXPECT_TRUE(config::RefreshOptionCache());
    EXPECT_EQ(TolvanierOptions.ListerState, 2);
}

// The plugin's texts follow [Options] Language as the file says it at each text; a language it has no
// texts in counts as none.
TEST_F(OptionCache, TheLanguageOptionChoosesTheLanguageOfEachText) {
    const std::wstring byDisplay = config::Text(IDS_APPLICATION_NOT_FOUND, {L"x.exe"});
    WriteIni("[Options]\nLanguage=de\n");
    EXPECT_EQ(config::Text(IDS_APPLICATION_NOT_FOUND, {L"x.exe"}), L"Anwendung nicht gefunden:\nx.exe");
    WriteIni("[Options]\nLanguage=RU\n");
    EXPECT_EQ(config::Text(IDS_APPLICATION_NOT_FOUND, {L"x.exe"}), L"Приложение не найдено:\nx.exe");
    WriteIni("[Options]\nLanguage=de-DE\n");
    EXPECT_EQ(config::Text(IDS_APPLICATION_NOT_FOUND, {L"x.exe"}), byDisplay);
}

TEST(Languages, TheOptionThenTheFirstDisplayLanguageWithTextsThenEnglish) {
    const std::vector<std::wstring> present = {L"de", L"en", L"es", L"fr", L"ru"};
    const struct {
        const wchar_t* option;
        std::vector<std::wstring> display;
        const wchar_t* chosen;
    } rows[] = {
        {L"", {L"de-AT", L"en-US"}, L"de"},
        {L"", {L"pl-PL", L"fr-CA", L"de-DE"}, L"fr"}, // the first display language with texts
        {L"", {L"zh-Hans-CN", L"es-419"}, L"es"},
        {L"", {L"pt-BR"}, L"en"},
        {L"", {}, L"en"},
        {L"ru", {L"de-DE"}, L"ru"},
        {L"Ru", {L"de-DE"}, L"ru"},
        {L"pl", {L"es-ES"}, L"es"},    // a language without texts counts as none
        {L"de-DE", {L"fr-FR"}, L"fr"}, // the option names a code
    };
    for (const auto& r : rows)
        EXPECT_EQ(config::ChooseLanguage(r.option, r.display, present), r.chosen) << WideToUtf8(r.option);
}

TEST(Languages, NumberedInsertsInAnyOrderNeverReadTwice) {
    const struct {
        const wchar_t* pattern;
        std::initializer_list<std::wstring_view> inserts;
        const wchar_t* text;
    } rows[] = {
        {L"%1 in %2", {L"a", L"b"}, L"a in b"},
        {L"%2, %1 and %1", {L"a", L"b"}, L"b, a and a"},
        {L"100%% of %1", {L"x"}, L"100% of x"},
        {L"write %1", {L"\"%1\" %2 %%"}, L"write \"%1\" %2 %%"},
        {L"%3 or %0, 5 % %", {L"a"}, L"%3 or %0, 5 % %"}, // an insert not given, a lone percent: as written
        {L"%1%", {L"a"}, L"a%"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(win::FormatNumbered(r.pattern, r.inserts), r.text) << WideToUtf8(r.pattern);
}

TEST(Languages, ACountTakesTheFormItsLastDigitsAsk) {
    const struct {
        size_t count;
        unsigned form;
    } rows[] = {{1, 0},  {21, 1}, {101, 1}, {11, 3}, {111, 3}, {2, 2},  {24, 2},
                {12, 3}, {14, 3}, {112, 3}, {0, 3},  {5, 3},   {25, 3}, {1001, 1}};
    for (const auto& r : rows)
        EXPECT_EQ(config::CountForm(r.count), r.form) << r.count;
}

namespace {

// The numbers of a text's inserts, as the formatter reads them.
std::set<wchar_t> InsertsOf(const std::wstring& text) {
    std::set<wchar_t> inserts;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (text[i + 1] >= L'1' && text[i + 1] <= L'9') inserts.insert(text[i + 1]);
        ++i;
    }
    return inserts;
}

} // namespace

// Every text lang/ids.h names is there in each language this program carries, with the inserts the
// English text has; no language holds a text without a name there.
TEST(Languages, EveryTextInEveryLanguageWithTheSameInserts) {
    std::map<unsigned, std::string> names;
    std::istringstream ids(ReadFileBytes(SourceDir() + L"lang\\ids.h"));
    for (std::string line; std::getline(ids, line);) {
        std::istringstream words(line);
        std::string define, name;
        unsigned id = 0;
        if (words >> define >> name >> id && define == "#define") names[id] = name;
    }
    ASSERT_GT(names.size(), 50u);
    const HMODULE module = GetModuleHandleW(nullptr);
    std::vector<unsigned> blocks;
    EnumResourceNamesW(
        module, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            reinterpret_cast<std::vector<unsigned>*>(found)->push_back(
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    std::set<std::wstring> codes;
    for (const config::Language& language : config::PresentLanguages()) {
        EXPECT_TRUE(codes.insert(language.code).second) << "two scripts for " << WideToUtf8(language.code);
        EXPECT_FALSE(language.name.empty());
        for (const auto& [id, name] : names) {
            const std::optional<std::wstring> english = win::LoadStringExactly(module, id, win::kEnglish);
            const std::optional<std::wstring> text = win::LoadStringExactly(module, id, language.id);
            ASSERT_TRUE(english) << name << " has no English text";
            ASSERT_TRUE(text) << name << " has no text in " << WideToUtf8(language.code);
            EXPECT_EQ(InsertsOf(*text), InsertsOf(*english)) << name << " in " << WideToUtf8(language.code);
        }
        for (const unsigned block : blocks) {
            for (unsigned id = (block - 1) * 16; id < block * 16; ++id) {
                if (!win::LoadStringExactly(module, id, language.id)) continue;
                EXPECT_TRUE(names.count(id))
                    << "text " << id << " of " << WideToUtf8(language.code) << " has no name in lang/ids.h";
            }
        }
    }
    for (const wchar_t* code : {L"de", L"en", L"es", L"fr", L"ru"})
        EXPECT_TRUE(codes.count(code)) << WideToUtf8(code);
}
