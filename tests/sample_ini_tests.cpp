// The sample INI that the release ships: it names exactly the keys the plugin reads, each with its
// default, so a fresh installation behaves as with no INI at all; it is UTF-16 so that Windows reads
// non-ASCII paths in it unchanged, and it checks clean; and the guide names every key and language.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "checker/check.h"
#include "config/ini.h"
#include "config/languages.h"
#include "config/option_table.h"
#include "config/options.h"
#include "lang/ids.h"
#include "tests/guide_examples.h"
#include "tests/support/test_support.h"
#include "win/resources.h"

using namespace testing_support;

namespace {

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::wstring SamplePath() {
    return SourceDir() + L"package\\IniSample\\Tolvanier.ini";
}

// The one user guide, shipped as the archive's readme.
std::string GuideText() {
    return WithoutCarriageReturns(ReadFileBytes(SourceDir() + L"package\\readme.txt"));
}

// The sample's text as UTF-8 with its line ends as written; empty when it is not UTF-16 LE behind a
// byte-order mark.
std::string SampleUtf8() {
    const std::string bytes = ReadFileBytes(SamplePath());
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0 || bytes.size() % 2 != 0) return {};
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(text.data(), bytes.data() + 2, bytes.size() - 2);
    return WideToUtf8(text);
}

// The key=value lines of a section as the platform returns them (comments are not entries).
std::vector<std::pair<std::wstring, std::wstring>> SectionEntries(const std::wstring& file,
                                                                  const wchar_t* section) {
    const std::wstring block = config::IniReadSection(file.c_str(), section);
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    for (size_t start = 0; start < block.size() && block[start] != L'\0';) {
        const size_t end = block.find(L'\0', start);
        const std::wstring line = block.substr(start, end - start);
        start = end + 1;
        if (line[0] == L';') continue;
        const size_t eq = line.find(L'=');
        entries.emplace_back(line.substr(0, eq), eq == std::wstring::npos ? L"" : line.substr(eq + 1));
    }
    return entries;
}

} // namespace

TEST(SampleIni, GivesTheSameOptionsAsNoIniAtAll) {
    ASSERT_TRUE(FileExistsW(SamplePath()));
    const TTolvanierOptions sample = config::ReadOptionBlock(SamplePath().c_str());
    const TTolvanierOptions none = config::ReadOptionBlock((SamplePath() + L".missing").c_str());
    EXPECT_EQ(sample.ScrollLockControl, none.ScrollLockControl);
    EXPECT_EQ(sample.ModalOnly, none.ModalOnly);
    EXPECT_EQ(sample.FindFiles, none.FindFiles);
    EXPECT_EQ(sample.SyncDirs, none.SyncDirs);
    EXPECT_EQ(sample.TCWindow, none.TCWindow);
    EXPECT_EQ(sample.QuickView, none.QuickView);
    EXPECT_EQ(sample.Lister4, none.Lister4);
    EXPECT_EQ(sample.ListerDirectly, none.ListerDirectly);
    EXPECT_EQ(sample.OverWrite, none.OverWrite);
    EXPECT_EQ(sample.IfIsExtOnly, none.IfIsExtOnly);
    EXPECT_EQ(sample.NextPlugin, none.NextPlugin);
    EXPECT_EQ(sample.UseTCExtensions, none.UseTCExtensions);
    EXPECT_EQ(sample.CopySearchTextToClip, none.CopySearchTextToClip);
    EXPECT_EQ(sample.AppFromLister_key, none.AppFromLister_key);
    EXPECT_EQ(sample.DefSysAppFromLister_key, none.DefSysAppFromLister_key);
    EXPECT_EQ(sample.UseSystemAssociations, none.UseSystemAssociations);
    EXPECT_EQ(sample.ChooseAppFromLister_key, none.ChooseAppFromLister_key);
    EXPECT_EQ(sample.KeepChangedCopies, none.KeepChangedCopies);
    EXPECT_EQ(sample.ParamsMode, none.ParamsMode);
    EXPECT_EQ(sample.ParamsByExtMode, none.ParamsByExtMode);
    EXPECT_EQ(sample.ListerState, none.ListerState);

    // The values read at use, outside the option cache, are the defaults as well.
    const std::wstring sample_path = SamplePath();
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"Options", L"ReadOptionsEveryTime", 7), 0);
    EXPECT_EQ(config::IniReadString(sample_path.c_str(), L"Options", L"DefaultEditor", L"notepad"),
              L"notepad");
    EXPECT_EQ(config::IniReadString(sample_path.c_str(), L"Options", L"DefaultEditor_params", L""), L"");
    EXPECT_EQ(config::IniReadString(sample_path.c_str(), L"Options", L"Language", L"x"), L"");
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"HotKeys", L"AppFromLister_key", 0), 0);
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"HotKeys", L"DefSysAppFromLister_key", 0), 0);
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"TCPos", L"IsSearchTextLeft", 0), 5);
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"TCPos", L"IsSearchTextTop", 0), 116);
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"TCPos", L"SearchTextLeft", 0), 85);
    EXPECT_EQ(config::IniReadInt(sample_path.c_str(), L"TCPos", L"SearchTextTop", 0), 114);
}

// Every key of the table of options, with its default as the table gives it, and no other key.
TEST(SampleIni, NamesExactlyTheKeysOfEachSectionWithTheirDefaults) {
    for (const wchar_t* section : {L"Options", L"HotKeys", L"TCPos"}) {
        SCOPED_TRACE(WideToUtf8(section));
        std::set<std::wstring> seen;
        for (const auto& [key, value] : SectionEntries(SamplePath(), section)) {
            EXPECT_TRUE(seen.insert(key).second) << "written twice: " << WideToUtf8(key);
            const config::OptionRow* known = config::FindOption(section, key);
            if (!known) {
                ADD_FAILURE() << "unknown key: " << WideToUtf8(key);
                continue;
            }
            EXPECT_EQ(key, known->name);
            EXPECT_EQ(value, known->defaultText) << WideToUtf8(key);
        }
        for (const std::wstring& key : config::OptionNames(section))
            EXPECT_TRUE(seen.count(key)) << "missing key: " << WideToUtf8(key);
    }
    // [Editor] and [Types] hold only commented examples, and there is no other section.
    EXPECT_TRUE(SectionEntries(SamplePath(), L"Editor").empty());
    EXPECT_TRUE(SectionEntries(SamplePath(), L"Types").empty());
    wchar_t names[1024] = {};
    const DWORD n = GetPrivateProfileSectionNamesW(names, 1024, SamplePath().c_str());
    std::vector<std::wstring> sections;
    for (DWORD i = 0; i < n && names[i] != L'\0'; i += static_cast<DWORD>(sections.back().size()) + 1)
        sections.emplace_back(names + i);
    EXPECT_EQ(sections, (std::vector<std::wstring>{L"Options", L"HotKeys", L"Editor", L"Types", L"TCPos"}));
}

TEST(SampleIni, IsUtf16WithWindowsLineEndsInTheBuildAsInTheSourceAndChecksClean) {
    const std::string text = SampleUtf8();
    ASSERT_FALSE(text.empty()) << "the sample is not UTF-16 LE with a byte-order mark";
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "a line without CR LF at byte " << at;
    EXPECT_NE(text.find("UTF-16 LE"), std::string::npos) << "the sample says how to keep its encoding";
    EXPECT_TRUE(ReadFileBytes(BuildDir() + L"IniSample\\Tolvanier.ini") == ReadFileBytes(SamplePath()))
        << "the build's copy of the sample differs from the source";

    checker::Arguments args;
    args.ini = SamplePath();
    std::wstring report;
    EXPECT_EQ(checker::RunCheck(args, BuildDir(), report), 0) << WideToUtf8(report);
    EXPECT_NE(report.find(L"no problem found"), std::wstring::npos) << WideToUtf8(report);
}

TEST(SampleIni, TheGuideNamesEveryKey) {
    const std::string guide = GuideText();
    ASSERT_FALSE(guide.empty());
    for (const config::OptionRow& row : config::OptionTable()) {
        const std::string name = WideToUtf8(row.name);
        EXPECT_NE(guide.find(name), std::string::npos) << "readme.txt does not name " << name;
    }
}

// The guide shows the checker's call as its usage gives it, and names every language by its code.
TEST(SampleIni, TheGuideShowsTheCheckersCallAndEveryLanguage) {
    const std::string guide = GuideText();
    const std::string usage =
        WideToUtf8(win::LoadStringIn(win::ThisModule(), IDS_CHECK_USAGE, win::kEnglish));
    const std::string prefix = "usage: ";
    ASSERT_EQ(usage.rfind(prefix, 0), 0u) << usage;
    const std::string call = usage.substr(prefix.size(), usage.find('\n') - prefix.size());
    EXPECT_NE(guide.find("\n    " + call + "\n"), std::string::npos) << "readme.txt lacks: " << call;
    for (const config::Language& language : config::PresentLanguages()) {
        const std::string code = "(" + WideToUtf8(language.code) + ")";
        EXPECT_NE(guide.find(code), std::string::npos) << "readme.txt does not name " << code;
    }
}

// The README points to the guide instead of repeating it.
TEST(SampleIni, TheReadmeLinksTheGuideAndDoesNotRepeatIt) {
    const std::string readme = WithoutCarriageReturns(ReadFileBytes(SourceDir() + L"README.md"));
    EXPECT_NE(readme.find("(package/readme.txt)"), std::string::npos);
    for (const guide::GuideExample& example : guide::Examples())
        for (const auto& command : example.commands)
            EXPECT_EQ(readme.find(WideToUtf8(command)), std::string::npos) << "README.md repeats the guide";
}

// The examples the guide shows are those whose command lines guide_examples_tests checks, and the
// sample's commented [Editor] examples are among them.
TEST(SampleIni, TheGuideAndTheSampleShowTheCheckedExamples) {
    const std::string guide = GuideText();
    const std::string sample = WithoutCarriageReturns(SampleUtf8());
    ASSERT_FALSE(guide.empty());
    for (const guide::GuideExample& example : guide::Examples()) {
        SCOPED_TRACE(example.name);
        std::vector<std::wstring> lines = example.options;
        lines.insert(lines.end(), example.editor.begin(), example.editor.end());
        lines.insert(lines.end(), example.extensions.begin(), example.extensions.end());
        lines.insert(lines.end(), example.commands.begin(), example.commands.end());
        lines.insert(lines.end(), example.types.begin(), example.types.end());
        for (const auto& line : lines) {
            const std::string text = WideToUtf8(line);
            EXPECT_NE(guide.find(text), std::string::npos) << "readme.txt lacks: " << text;
        }
        for (const auto& line : example.types) {
            const std::string text = WideToUtf8(line);
            EXPECT_NE(sample.find("\n;" + text + "\n"), std::string::npos) << "the sample lacks: ;" << text;
        }
        if (!example.inSample) continue;
        for (const auto& line : example.editor) {
            const std::string text = WideToUtf8(line);
            EXPECT_NE(sample.find("\n;" + text + "\n"), std::string::npos) << "the sample lacks: ;" << text;
        }
    }
}
