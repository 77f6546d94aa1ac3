// The settings window: the rules of its rows and writes, its model over real files (reading the
// entries, writing keys while everything else stays, converting UTF-8, another program's change), and
// the program itself, driven through its controls' messages.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <algorithm>

#include "checker/check.h"
#include "config/file_types.h"
#include "config/ini.h"
#include "config/languages.h"
#include "config/options.h"
#include "settings/entries.h"
#include "settings/key_page.h"
#include "settings/model.h"
#include "settings/resource.h"
#include "settings/resources.h"
#include "settings/texts.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "tests/support/viewing_session.h"
#include "win/handles.h"
#include "win/window.h"

using namespace settings;
using namespace testing_support;

namespace {

// The texts in English, as the tests read them, unless a test chooses another language.
struct EnglishTexts : testing::Environment {
    void SetUp() override { config::SetTextLanguage(*config::FindLanguage(L"en")); }
};
const testing::Environment* const englishTexts = testing::AddGlobalTestEnvironment(new EnglishTexts);

std::vector<checker::IniEntry> EditorEntries(const std::wstring& lines) {
    const checker::ParsedIni ini = checker::ParseIni(L"[Editor]\n" + lines);
    return ini.entries;
}

std::wstring Decoded(const std::string& bytes) {
    return checker::DecodeIniFile(bytes).text;
}

// The checker's report on the file with files as one selection, and its exit status.
std::wstring CheckerReport(const std::wstring& ini, int& status,
                           const std::vector<std::wstring>& files = {}) {
    checker::Arguments args;
    args.ini = ini;
    args.files = files;
    std::wstring report;
    status = checker::RunCheck(args, BuildDir(), report);
    OptionsIniName[0] = TCIniName[0] = L'\0';
    return report;
}

const KnownKey& Key(const wchar_t* name) {
    for (const KnownKey& k : KnownKeys())
        if (std::wstring(k.name) == name) return k;
    ADD_FAILURE() << "no key " << WideToUtf8(name);
    return KnownKeys().front();
}

} // namespace

TEST(SettingsRows, TemplatesGoWithTheirApplicationsAsTheModeReadsThem) {
    const std::wstring lines = L"txt,log=ed.exe\npdf=C:\\pdf.exe\nTXT,LOG_params=-multi\nC:\\pdf.exe=/p %1\n"
                               L"doc_params=-d\n;pdf=commented\n";
    std::vector<EditorRow> rows = RowsOfEditor(EditorEntries(lines), 1);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].appKey, L"txt,log");
    EXPECT_EQ(rows[0].templateKey, L"TXT,LOG_params"); // the platform matches names in any case
    EXPECT_EQ(rows[1].templateKey, L"");
    EXPECT_TRUE(rows[2].forApplication && rows[2].templateText == L"/p %1");
    EXPECT_TRUE(rows[3].appKey.empty() && rows[3].keys == L"doc");

    // Templates per application belong to the path the plugin finds for the application.
    rows = RowsOfEditor(EditorEntries(lines), 0);
    ASSERT_EQ(rows.size(), 5u);
    rows[1].foundPath = L"c:\\PDF.exe";
    AttachApplicationTemplates(rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].templateKey, L"C:\\pdf.exe");
    EXPECT_EQ(rows[0].templateKey, L"");
}

TEST(SettingsRows, AnEditWritesOnlyWhatChangedAndRemovesARenamedRowsLines) {
    EditorRow row;
    row.keys = row.appKey = L"TXT,log";
    row.application = L"ed.exe";
    row.templateKey = L"TXT,log_params";
    row.templateText = L"-m";
    auto text = [](const std::vector<KeyWrite>& writes) {
        std::wstring all;
        for (const KeyWrite& w : writes)
            all += w.key + (w.value ? L"=" + *w.value : L" removed") + (w.recreate ? L" anew" : L"") + L"; ";
        return all;
    };
    EXPECT_EQ(text(WritesForEntry(row, {L"TXT,log", L"ed.exe", L"-m"}, L"TXT,log_params")), L"");
    EXPECT_EQ(text(WritesForEntry(row, {L"TXT,log", L" ed2.exe ", L"-m"}, L"TXT,log_params")),
              L"TXT,log=ed2.exe; ");
    EXPECT_EQ(text(WritesForEntry(row, {L"txt,log", L"ed.exe", L"-m"}, TemplateKeyFor(L"txt,log", 1, L""))),
              L"TXT,log removed; txt,log=ed.exe anew; TXT,log_params removed; txt,log_params=-m anew; ");
    EXPECT_EQ(text(WritesForEntry(row, {L"TXT,log", L"ed.exe", L""}, L"TXT,log_params")),
              L"TXT,log_params removed; ");
    // ParamsMode 0: the template goes to the path found; one keyed by another path may serve other rows.
    row.templateKey = L"C:\\ed.exe";
    EXPECT_EQ(text(WritesForEntry(row, {L"TXT,log", L"ed2.exe", L"-m"}, L"C:\\ed2.exe")),
              L"TXT,log=ed2.exe; C:\\ed2.exe=-m anew; ");
    EXPECT_EQ(text(WritesForRemoval(row)), L"TXT,log removed; ");
}

TEST(SettingsRows, TheDialogRefusesWhatThePluginWouldNeverMatch) {
    EditorRow existing;
    existing.appKey = L"pdf";
    existing.line = 7;
    using F = EntryField;
    const struct {
        EntryFields fields;
        const wchar_t* says; // empty: accepted
        EntryField field = F::Keys;
    } cases[] = {
        {{L"txt,log", L"ed.exe", L"-m %1"}, L""},
        {{L",conf", L"ed.exe", L""}, L""},
        {{L":dir", L"browse.exe", L""}, L""},
        {{L"txt, log", L"ed.exe", L""}, L"Write txt,log."},
        {{L"TXT,.Log", L"ed.exe", L""}, L"Write txt,log."},
        {{L"txt,,log", L"ed.exe", L""}, L"Write txt,log."},
        {{L".pdf", L"ed.exe", L""}, L"Write pdf."},
        {{L"report.pdf", L"ed.exe", L""}, L"no dot unless"},
        {{L"pdf", L"ed.exe", L""}, L"has a line pdf already (line 7)"},
        {{L"txt", L"", L""}, L"Give the application", F::Application},
        {{L"", L"ed.exe", L""}, L"Give the extension keys"},
        {{L"a=b", L"ed.exe", L""}, L"no \"=\""},
        {{L"txt", L"ed.exe", L"/open \"%1\""}, L"remove the quotes around %1", F::Template},
        {{L"txt", L"ed.exe\r\n[Options]", L""}, L"line breaks", F::Application},
        {{L"txt", L"ed.exe", L"-a\n-b"}, L"line breaks", F::Template},
    };
    for (const auto& c : cases) {
        const std::optional<EntryProblem> problem = ProblemWithEntry(c.fields, {existing}, true);
        const std::wstring text = problem ? problem->text : L"(accepted)";
        if (!*c.says) {
            EXPECT_FALSE(problem) << WideToUtf8(c.fields.keys) << ": " << WideToUtf8(text);
        } else {
            EXPECT_NE(text.find(c.says), std::wstring::npos)
                << WideToUtf8(c.fields.keys) << ": " << WideToUtf8(text);
            EXPECT_TRUE(problem && problem->field == c.field) << WideToUtf8(text);
        }
    }
}

// [Types] is spliced into the file's text whole; a line's comment lines move with it; the dialog
// refuses what the plugin would skip and names the field.
TEST(SettingsRows, TypesLinesMoveWithTheirCommentsAndTheSectionIsSplicedWhole) {
    const std::wstring text =
        L"[Options]\r\n[Types]\r\n; head\r\na=1\r\n\r\n; of b\r\nb=2\r\n; tail\r\n[Editor]\r\nx=y\r\n";
    int first = 0;
    const std::optional<std::vector<std::wstring>> body = SectionBody(text, L"types", first);
    ASSERT_TRUE(body);
    EXPECT_EQ(first, 3);
    TypesSection section = SplitTypesSection(*body);
    ASSERT_EQ(section.lines.size(), 2u);
    EXPECT_EQ(section.head, std::vector<std::wstring>{L"; head"});
    EXPECT_EQ(section.lines[1].above, (std::vector<std::wstring>{L"", L"; of b"}));
    EXPECT_EQ(JoinTypesSection(section), *body);
    std::swap(section.lines[0], section.lines[1]);
    EXPECT_EQ(ReplaceSectionBody(text, L"Types", JoinTypesSection(section)),
              L"[Options]\r\n[Types]\r\n; head\r\n\r\n; of b\r\nb=2\r\na=1\r\n; tail\r\n[Editor]\r\nx=y\r\n");
    EXPECT_EQ(ReplaceSectionBody(L"[Options]", L"Types", {L"a=1"}), L"[Options]\r\n[Types]\r\na=1\r\n");
    EXPECT_EQ(ReplaceSectionBody(L"[Types]\nold=1", L"Types", {L"new=1"}), L"[Types]\nnew=1\r\n");
    EXPECT_FALSE(SectionBody(L"[Editor]\r\n", L"Types", first));

    const struct {
        TypeFields fields;
        std::optional<TypeField> field;
    } cases[] = {{{L"Makefile;*.mk", L"make", L"size<1M text"}, std::nullopt},
                 {{L"a|b|c", L"t", L""}, TypeField::Masks},
                 {{L"*.x=y", L"t", L""}, TypeField::Masks},
                 {{L"*.x", L"ma ke", L""}, TypeField::Type},
                 {{L"*.x", L"m.k", L""}, TypeField::Type},
                 {{L"*.x", L"t", L"big"}, TypeField::Conditions},
                 {{L"*.x", L"t", L"a\nb"}, TypeField::Conditions}};
    for (const auto& c : cases) {
        const std::optional<TypeFieldProblem> problem = ProblemWithTypeLine(c.fields);
        EXPECT_EQ(problem ? std::optional(problem->field) : std::nullopt, c.field)
            << WideToUtf8(c.fields.masks);
    }
    EXPECT_EQ(TypeLineText({L" *.log ", L"biglog", L" size>50M "}), L"*.log=biglog size>50M");
    const TypeFields fields = FieldsOfTypeLine(L"*.log = biglog  size>50M text");
    EXPECT_EQ(fields.type, L"biglog");
    EXPECT_EQ(fields.conditions, L"size>50M text");
}

TEST(SettingsText, HotkeysMnemonicsAndWhatASaveTakesEffectOn) {
    for (unsigned flags = 0; flags < 8; ++flags)
        EXPECT_EQ(ModifierFlags(ModifierLetters(flags)), flags);
    EXPECT_EQ(ModifierLetters(kCtrl | kShift), L"SC");
    EXPECT_EQ(ModifierFlags(L"sc"), 0u); // upper case only, as the plugin reads it
    EXPECT_EQ(DescribeHotkey(115, L"SC"), L"Shift+Ctrl+F4");

    std::wstring taken = L"sl";
    EXPECT_EQ(WithMnemonic(L"Save the list", taken), L"Save &the list");
    EXPECT_EQ(WithMnemonic(L"Templates", taken), L"T&emplates");
    EXPECT_EQ(taken, L"slte");
    taken = L"\x441\x43F"; // Cyrillic letters of the buttons: a Russian label takes another
    EXPECT_EQ(WithMnemonic(L"\x421\x43F\x438\x441\x43E\x43A \x41F\x443\x442\x44C", taken),
              L"\x421\x43F&\x438\x441\x43E\x43A \x41F\x443\x442\x44C");

    // The option cache (and whether a hotkey is on at all) is filled when a file is viewed: at the file
    // manager's first, or at each with ReadOptionsEveryTime=1; the rest is read at each use.
    const std::vector<KeyWrite> written = {{L"Editor", L"txt", L"ed.exe"},
                                           {L"Options", L"QuickView", L"1"},
                                           {L"Options", L"DefaultEditor", L"ed.exe"},
                                           {L"HotKeys", L"AppFromLister_key", L"115"},
                                           {L"HotKeys", L"DefSysAppFromLister_key", L"116"},
                                           {L"Options", L"UseSystemAssociations", L"1"},
                                           {L"HotKeys", L"ChooseAppFromLister_key", L"117"},
                                           {L"HotKeys", L"ChooseAppFromLister_mod", L"S"},
                                           {L"HotKeys", L"AppFromLister_mod", L"C"}};
    const struct {
        bool everyTime;
        std::vector<std::wstring> switched;
        const wchar_t* says;
    } cases[] = {
        {false,
         {L"DefSysAppFromLister_key", L"ChooseAppFromLister_key"},
         L"In effect at once: [Editor], DefaultEditor, AppFromLister_key, AppFromLister_mod. At the file "
         L"manager's next start: QuickView, DefSysAppFromLister_key, UseSystemAssociations, "
         L"ChooseAppFromLister_key, ChooseAppFromLister_mod (or set ReadOptionsEveryTime=1)."},
        {true,
         {L"ChooseAppFromLister_key"},
         L"In effect at once: [Editor], DefaultEditor, AppFromLister_key, DefSysAppFromLister_key, "
         L"AppFromLister_mod. At the next file viewed: QuickView, UseSystemAssociations, "
         L"ChooseAppFromLister_key, ChooseAppFromLister_mod."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EffectOfSave(written, c.everyTime, c.switched), c.says);
    EXPECT_EQ(EffectOfSave({written[1]}, true, {}), L"At the next file viewed: QuickView.");
}

// The table's defaults are the ones the plugin's option reader takes for keys it does not find.
TEST(SettingsText, TheKeyTablesDefaultsAreThePluginsOwn) {
    TempDir dir(L"settings_defaults");
    ASSERT_TRUE(WriteUtf16File(dir / L"empty.ini", L"[Options]\r\n"));
    const TTolvanierOptions o = config::ReadOptionBlock((dir / L"empty.ini").c_str());
    const std::pair<const wchar_t*, int> read[] = {{L"ScrollLockControl", o.ScrollLockControl},
                                                   {L"ModalOnly", o.ModalOnly},
                                                   {L"FindFiles", o.FindFiles},
                                                   {L"SyncDirs", o.SyncDirs},
                                                   {L"TCWindow", o.TCWindow},
                                                   {L"QuickView", o.QuickView},
                                                   {L"Lister4", o.Lister4},
                                                   {L"ListerDirectly", o.ListerDirectly},
                                                   {L"OverWrite", o.OverWrite},
                                                   {L"IfIsExtOnly", o.IfIsExtOnly},
                                                   {L"NextPlugin", o.NextPlugin},
                                                   {L"UseTCExtensions", o.UseTCExtensions},
                                                   {L"CopySearchTextToClip", o.CopySearchTextToClip},
                                                   {L"KeepChangedCopies", o.KeepChangedCopies},
                                                   {L"ParamsMode", o.ParamsMode},
                                                   {L"ParamsByExtMode", o.ParamsByExtMode},
                                                   {L"ListerState", o.ListerState}};
    for (const auto& [name, value] : read)
        EXPECT_EQ(std::to_wstring(value), Key(name).defaultText) << WideToUtf8(name);
}

namespace {

const wchar_t kSample[] = L"; Tolvanier.ini, with comments\r\n"
                          L"[Options]\r\n"
                          L"; where it acts\r\n"
                          L"QuickView=0\r\n"
                          L"Unknown=kept\r\n"
                          L"\r\n"
                          L"[HotKeys]\r\n"
                          L"AppFromLister_key=\r\n"
                          L"[Editor]\r\n"
                          L"; applications\r\n";

struct SettingsModelTest : testing::Test {
    TempDir dir{L"settings_model"};
    std::wstring ini = dir / L"Tolvanier.ini";
    std::wstring app = ViewAppPath();
    SettingsModel model{BuildDir()};

    void TearDown() override {
        OptionsIniName[0] = TCIniName[0] = L'\0';
        SetEnv(L"COMMANDER_INI", nullptr);
    }
    void Open(const std::wstring& text) {
        ASSERT_TRUE(WriteUtf16File(ini, text));
        AgeFile(ini, 5);
        ASSERT_TRUE(model.Open({ini, true}));
    }
    std::wstring FileText() { return Decoded(ReadFileBytes(ini)); }
    // The lines of text that are neither blank nor in drop (the platform's writer may drop blank lines).
    static std::vector<std::wstring> Lines(const std::wstring& text) {
        std::vector<std::wstring> lines;
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find(L"\r\n", at);
            if (end == std::wstring::npos) end = text.size();
            if (end > at) lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
};

} // namespace

TEST_F(SettingsModelTest, ReadsTheEntriesWithWhatThePluginFindsForThem) {
    Open(std::wstring(kSample) + L"txt,log=" + app + L"\r\ntxt_params=-v %1\r\ndoc, rtf=" + app +
         L"\r\nxyz=C:\\nowhere\\ed.exe\r\n");
    const std::vector<EditorRow>& rows = model.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].status, app);
    EXPECT_FALSE(rows[0].problem);
    EXPECT_TRUE(rows[1].appKey.empty() && rows[1].keys == L"txt"); // not the key of the txt,log line
    EXPECT_TRUE(rows[2].problem &&
                rows[2].status.find(L"the item \" rtf\" never matches") != std::wstring::npos)
        << WideToUtf8(rows[2].status);
    EXPECT_NE(rows[3].status.find(L"Application not found: C:\\nowhere\\ed.exe"), std::wstring::npos)
        << WideToUtf8(rows[3].status);
    EXPECT_EQ(model.HeaderLine(),
              L"settings: " + ini + L" (given with --ini; UTF-16 LE with byte-order mark)");

    // The live line: what the plugin would start for an example file of the first key, or why not.
    SettingsModel::Preview preview = model.PreviewEntry({}, {L"tolv,md", app, L"-x %1 -y"}, false);
    EXPECT_NE(preview.text.find(L"start: " + Quoted(app) + L" -x \""), std::wstring::npos)
        << WideToUtf8(preview.text);
    EXPECT_NE(preview.text.find(L"example.tolv\" -y"), std::wstring::npos) << WideToUtf8(preview.text);
    EXPECT_EQ(preview.templateKey, L"tolv,md_params");
    preview = model.PreviewEntry({}, {L"tolv", L"C:\\nowhere\\x.exe", L""}, false);
    EXPECT_NE(preview.text.find(L"message: Application not found: C:\\nowhere\\x.exe"), std::wstring::npos)
        << WideToUtf8(preview.text);
    EXPECT_EQ(model.Changes().size(), 0u); // a preview writes nothing
}

TEST_F(SettingsModelTest, SavingWritesOnlyTheChangedKeysAndKeepsEverythingElse) {
    Open(kSample);
    const std::string before = ReadFileBytes(ini);
    model.Set(Key(L"QuickView"), L"1");
    model.Set(Key(L"QuickView"), L"0");
    model.Set(Key(L"ListerState"), L"1"); // the default, not written: no change
    EXPECT_TRUE(model.Changes().empty());
    EXPECT_TRUE(model.Save(false).saved);
    EXPECT_EQ(ReadFileBytes(ini), before) << "a file nobody changed stays as it was";

    model.Set(Key(L"QuickView"), L"1");
    model.Set(Key(L"AppFromLister_key"), L"115");
    model.Set(Key(L"AppFromLister_mod"), L"C");
    model.Apply(WritesForEntry({}, {L"tolv", app, L"-v %1"}, L"tolv_params"));
    EXPECT_EQ(ReadFileBytes(ini), before) << "nothing is written before Save";
    const SettingsModel::SaveResult saved = model.Save(false);
    ASSERT_TRUE(saved.saved) << WideToUtf8(saved.error);
    EXPECT_EQ(saved.written, 5u);
    EXPECT_NE(saved.effect.find(L"next start: QuickView, AppFromLister_key"), std::wstring::npos)
        << WideToUtf8(saved.effect);

    const std::string after = ReadFileBytes(ini);
    ASSERT_EQ(after.substr(0, 2), "\xFF\xFE") << "UTF-16 LE stays";
    std::vector<std::wstring> expected = Lines(kSample);
    expected[3] = L"QuickView=1";
    expected[6] = L"AppFromLister_key=115";
    expected.insert(expected.begin() + 7, L"AppFromLister_mod=C");
    expected.push_back(L"tolv=" + app);
    expected.push_back(L"tolv_params=-v %1");
    EXPECT_EQ(Lines(Decoded(after)), expected) << WideToUtf8(Decoded(after));

    // The checker finds nothing wrong in what was written; the unknown key stays, and stays its finding.
    int status = 0;
    const std::wstring report = CheckerReport(ini, status);
    EXPECT_NE(report.find(L"\nproblem: [Options] Unknown (line 5)"), std::wstring::npos)
        << WideToUtf8(report);
    EXPECT_NE(report.find(L"\nresult: 1 problem (exit status 1)"), std::wstring::npos) << WideToUtf8(report);
}

TEST_F(SettingsModelTest, AUtf8FileIsConvertedToUtf16WithEveryLineWhenTheUserAgrees) {
    const std::string utf8 =
        "; B\xC3\xBCro comment\r\n[Editor]\r\npdf=C:\\B\xC3\xBCro\\pdf.exe\r\n\r\n[Options]\r\n";
    ASSERT_TRUE(WriteTextFile(ini, utf8));
    ASSERT_TRUE(model.Open({ini, true}));
    EXPECT_NE(model.ConversionReason().find(L"UTF-8 and holds non-ASCII text"), std::wstring::npos);
    EXPECT_TRUE(model.CanSave());
    // What the window shows is what the plugin reads after the save: the path as written.
    ASSERT_EQ(model.Rows().size(), 1u);
    EXPECT_EQ(model.Rows()[0].application, L"C:\\B\u00FCro\\pdf.exe");

    model.Set(Key(L"QuickView"), L"1");
    EXPECT_FALSE(model.Save(false).saved);
    EXPECT_EQ(ReadFileBytes(ini), utf8) << "not converted without the user's agreement";
    const SettingsModel::SaveResult saved = model.Save(true);
    ASSERT_TRUE(saved.saved && saved.converted) << WideToUtf8(saved.error);
    const std::string after = ReadFileBytes(ini);
    EXPECT_EQ(after.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(Lines(Decoded(after)),
              (std::vector<std::wstring>{L"; B\u00FCro comment", L"[Editor]", L"pdf=C:\\B\u00FCro\\pdf.exe",
                                         L"[Options]", L"QuickView=1"}))
        << WideToUtf8(Decoded(after));
    EXPECT_EQ(config::IniReadString(ini.c_str(), L"Editor", L"pdf", L""), L"C:\\B\u00FCro\\pdf.exe");
    EXPECT_TRUE(model.ConversionReason().empty());

    // An ASCII file that gets a non-ASCII value is converted too, so that Windows keeps it.
    ASSERT_TRUE(WriteTextFile(ini, "[Options]\r\n"));
    ASSERT_TRUE(model.Reload(false));
    EXPECT_TRUE(model.ConversionReason().empty());
    model.Set(Key(L"DefaultEditor"), L"C:\\B\u00FCro\\ed.exe");
    EXPECT_NE(model.ConversionReason().find(L"changes hold non-ASCII text"), std::wstring::npos);

    // A UTF-8 mark in front of the first section, ASCII only: Windows would not see [Editor] at all.
    ASSERT_TRUE(WriteTextFile(ini, "\xEF\xBB\xBF[Editor]\r\ntxt=C:\\ed.exe\r\n"));
    ASSERT_TRUE(model.Reload(false));
    EXPECT_NE(model.ConversionReason().find(L"does not see the section [Editor]"), std::wstring::npos)
        << WideToUtf8(model.ConversionReason());
    EXPECT_TRUE(model.CanSave());
    ASSERT_TRUE(model.Save(true).converted);
    EXPECT_EQ(ReadFileBytes(ini).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(Lines(FileText()), (std::vector<std::wstring>{L"[Editor]", L"txt=C:\\ed.exe"}));
}

TEST_F(SettingsModelTest, AnotherProgramsChangeIsNeverOverwrittenSilently) {
    Open(kSample);
    model.Set(Key(L"QuickView"), L"1");
    EXPECT_FALSE(model.ChangedOnDisk());
    const std::wstring edited = std::wstring(kSample) + L"txt=" + app + L"\r\n";
    ASSERT_TRUE(WriteUtf16File(ini, edited));
    EXPECT_TRUE(model.ChangedOnDisk());
    const SettingsModel::SaveResult refused = model.Save(false);
    EXPECT_FALSE(refused.saved);
    EXPECT_NE(refused.error.find(L"Another program changed"), std::wstring::npos);
    EXPECT_EQ(Decoded(ReadFileBytes(ini)), edited);

    ASSERT_TRUE(model.Reload(true)); // read again, the change kept
    EXPECT_EQ(model.Rows().size(), 1u);
    ASSERT_TRUE(model.Save(false).saved);
    const std::wstring text = FileText();
    EXPECT_NE(text.find(L"QuickView=1"), std::wstring::npos);
    EXPECT_NE(text.find(L"txt=" + app), std::wstring::npos);
    EXPECT_FALSE(model.ChangedOnDisk());
}

// A file that cannot be read, a scratch folder that cannot be made and a scratch copy that cannot be
// written are said, never taken for the file's values; Save is off only while the file is unread.
TEST_F(SettingsModelTest, FailuresAreSaidAndSaveIsOffOnlyWhileTheFileIsUnread) {
    Open(std::wstring(kSample) + L"txt=" + app + L"\r\n");
    model.Set(Key(L"QuickView"), L"1");
    {
        // Another program holds the file without sharing it.
        const win::UniqueFile held(
            CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(model.Reload(true));
        ASSERT_TRUE(model.Failure());
        EXPECT_EQ(model.Failure()->step, ModelFailure::Step::ReadFile);
        EXPECT_EQ(model.Failure()->error, static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(model.CanSave());
    }
    ASSERT_TRUE(model.Reload(true));
    EXPECT_FALSE(model.Failure());
    EXPECT_EQ(model.Text(Key(L"QuickView")), L"1");

    // The scratch folder gone and a file in its place: the change cannot be shown, and is saved.
    const std::wstring scratch = model.ScratchFolder();
    RemoveTree(scratch.substr(0, scratch.size() - 1));
    ASSERT_TRUE(WriteTextFile(scratch.substr(0, scratch.size() - 1), "x"));
    model.Set(Key(L"FindFiles"), L"0");
    ASSERT_TRUE(model.Failure());
    EXPECT_EQ(model.Failure()->step, ModelFailure::Step::WriteScratch);
    EXPECT_EQ(model.Failure()->path.rfind(scratch, 0), 0u);
    ASSERT_TRUE(model.CanSave());
    ASSERT_TRUE(model.Save(false).saved);
    EXPECT_NE(FileText().find(L"FindFiles=0"), std::wstring::npos);
    DeleteFileW(scratch.substr(0, scratch.size() - 1).c_str());

    // A temporary folder where the scratch folder cannot be made.
    const std::wstring temp = dir / L"temp\\";
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(temp + L"TolvanierSettings-" + std::to_wstring(GetCurrentProcessId()), "x"));
    wchar_t tmp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    SetEnv(L"TMP", temp.c_str());
    SettingsModel homeless(BuildDir());
    SetEnv(L"TMP", *tmp ? tmp : nullptr);
    EXPECT_TRUE(homeless.Open({ini, true}));
    ASSERT_TRUE(homeless.Failure());
    EXPECT_EQ(homeless.Failure()->step, ModelFailure::Step::MakeFolder);
}

// The lines of [Types] with what the plugin makes of them; a new order is written whole, with every
// comment line, and the rest of the file stays.
TEST_F(SettingsModelTest, TypesAreWrittenWholeInTheirNewOrderWithTheirComments) {
    const std::wstring types = L"[Types]\r\n; the types\r\nMakefile=make\r\n; rotated logs\r\n*.log.?=log\r\n"
                               L"*.tar.gz=tgz size<\r\nMAKEFILE=other\r\n*.bak=bak\r\n";
    Open(std::wstring(kSample) + L"make,log=" + app + L"\r\n" + types + L"[TCPos]\r\nSearchTextTop=114\r\n");
    const std::vector<SettingsModel::TypeRow>& rows = model.TypeRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].status, app);
    EXPECT_TRUE(rows[2].problem && rows[2].status.find(L"\"size<\" is no size condition") == 0)
        << WideToUtf8(rows[2].status);
    EXPECT_TRUE(rows[3].problem && rows[3].status.find(L"never matches: line 1 above") == 0)
        << WideToUtf8(rows[3].status);
    EXPECT_EQ(rows[4].status.find(L"[Editor] names no application for bak"), 0u)
        << WideToUtf8(rows[4].status);
    // A line of [Editor] for type keys is used with UseTCExtensions=1 too.
    model.Set(Key(L"UseTCExtensions"), L"1");
    EXPECT_EQ(model.Rows().back().status, app);
    model.Set(Key(L"UseTCExtensions"), L"0");

    // Which files a line takes, and which a line above takes first.
    ASSERT_TRUE(WriteTextFile(dir / L"a.log.1", "x"));
    const std::wstring preview = model.PreviewTypeLine({L"*.log*", L"logs", L""}, {dir / L"a.log.1"}, -1);
    EXPECT_NE(
        preview.find(L"it takes: server.log, debug.log\nA line above takes first: server.log.1 (line 2)"),
        std::wstring::npos)
        << WideToUtf8(preview);
    EXPECT_NE(preview.find(dir / L"a.log.1: taken first by line 2 above"), std::wstring::npos)
        << WideToUtf8(preview);

    TypesSection section = model.Types();
    std::swap(section.lines[0], section.lines[1]);
    section.lines.push_back({{}, L"*.mk=make"});
    model.ApplyTypes(section);
    EXPECT_EQ(model.ChangeCount(), 1u);
    model.ApplyTypes(model.Types()); // the same again is still one change
    EXPECT_EQ(model.ChangeCount(), 1u);
    model.Set(Key(L"QuickView"), L"1");
    const SettingsModel::SaveResult saved = model.Save(false);
    ASSERT_TRUE(saved.saved) << WideToUtf8(saved.error);
    EXPECT_NE(saved.effect.find(L"In effect at once: [Types]."), std::wstring::npos)
        << WideToUtf8(saved.effect);
    const std::wstring text = FileText();
    EXPECT_NE(text.find(L"[Types]\r\n; the types\r\n; rotated logs\r\n*.log.?=log\r\nMakefile=make\r\n"
                        L"*.tar.gz=tgz size<\r\nMAKEFILE=other\r\n*.bak=bak\r\n*.mk=make\r\n[TCPos]"),
              std::wstring::npos)
        << WideToUtf8(text);
    EXPECT_NE(text.find(L"QuickView=1"), std::wstring::npos);
    EXPECT_EQ(model.ChangeCount(), 0u);
    // The plugin reads the section as saved, in that order.
    const std::vector<config::TypeLine> read =
        config::ParseTypeSection(config::IniReadSection(ini.c_str(), L"Types"));
    ASSERT_EQ(read.size(), 6u);
    EXPECT_EQ(read[0].type, L"log");
    EXPECT_EQ(read[5].masks, L"*.mk");
}

// Whatever the controls let the user pick, the checker finds nothing wrong in what is written: every
// flag off and on, each value of each drop-down, each hotkey with every set of modifiers, and off.
TEST_F(SettingsModelTest, EveryValueTheWindowWritesIsCleanToTheChecker) {
    std::wstring sample = kSample;
    sample.erase(sample.find(L"Unknown=kept\r\n"), 14);
    Open(sample);
    // UseTCExtensions=1 needs the file manager's INI, as under the file manager.
    ASSERT_TRUE(WriteUtf16File(dir / L"wincmd.ini", L"[Configuration]\r\n[Extensions]\r\n"));
    SetEnv(L"COMMANDER_INI", (dir / L"wincmd.ini").c_str());
    for (int round = 0; round < 8; ++round) {
        int code = 112 + round;
        for (const KnownKey& k : KnownKeys()) {
            if (k.page == config::OptionPage::None) continue; // not on the window
            switch (k.kind) {
            case config::ValueKind::Flag: model.Set(k, round % 2 ? L"1" : L"0"); break;
            case config::ValueKind::Ranged:
                model.Set(k, std::to_wstring(k.low + round % (k.high - k.low + 1)));
                break;
            case config::ValueKind::Language: model.Set(k, round % 2 ? L"de" : L""); break;
            case config::ValueKind::KeyCode:
                // Off in the last round, as the Off box writes it.
                model.Set(k, round == 7 ? L"" : std::to_wstring(code++));
                break;
            case config::ValueKind::Modifiers:
                model.Set(k, ModifierLetters(static_cast<unsigned>(round + code) % 8));
                break;
            case config::ValueKind::Text: model.Set(k, app); break;
            case config::ValueKind::Template: model.Set(k, round % 2 ? L"-v %1" : L""); break;
            default: break;
            }
        }
        const SettingsModel::SaveResult saved = model.Save(false);
        ASSERT_TRUE(saved.saved) << WideToUtf8(saved.error);
        int status = 1;
        const std::wstring report = CheckerReport(ini, status);
        EXPECT_EQ(status, 0) << "round " << round << "\n" << WideToUtf8(report);
        EXPECT_EQ(config::IniReadString(ini.c_str(), L"HotKeys", L"AppFromLister_key", L"?"),
                  round == 7 ? L"" : std::to_wstring(112 + round));
    }
}

// ---- The program, end to end.

namespace {

struct WindowOf {
    DWORD pid;
    const wchar_t* title;
    HWND except;
    HWND found;
};

// A visible top-level window of the process with the title, other than except.
HWND FindProcessWindow(DWORD pid, const wchar_t* title, DWORD timeoutMs, HWND except = nullptr) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        WindowOf search{pid, title, except, nullptr};
        EnumWindows(
            [](HWND w, LPARAM l) -> BOOL {
                auto* s = reinterpret_cast<WindowOf*>(l);
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                wchar_t text[256] = L"";
                GetWindowTextW(w, text, 256);
                if (owner != s->pid || w == s->except || !IsWindowVisible(w) ||
                    std::wstring(text) != s->title)
                    return TRUE;
                s->found = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

// The first descendant of parent with the control id.
HWND FindControl(HWND parent, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            if (GetDlgCtrlID(w) != s->id) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND control) {
    wchar_t text[4096] = L"";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return text;
}

LRESULT Send(HWND control, UINT message, WPARAM wParam, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

void SetText(HWND control, const std::wstring& text) {
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Waits until the text of control holds part.
bool WaitForText(HWND control, const std::wstring& part, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (TextOf(control).find(part) == std::wstring::npos)
        if (GetTickCount64() > deadline)
            return false;
        else
            Sleep(50);
    return true;
}

bool WaitForFocus(DWORD thread, HWND control) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    for (int i = 0; i < 50; ++i, Sleep(50))
        if (GetGUIThreadInfo(thread, &info) && info.hwndFocus == control) return true;
    return false;
}

bool WaitForClosed(HWND window) {
    for (int i = 0; i < 100 && IsWindow(window); ++i)
        Sleep(50);
    return !IsWindow(window);
}

// The id of a control made from the key table.
int GeneratedId(const wchar_t* name, Part part) {
    const std::vector<KnownKey>& keys = KnownKeys();
    for (size_t i = 0; i < keys.size(); ++i)
        if (std::wstring(keys[i].name) == name) return KeyControlId(i, part);
    ADD_FAILURE() << "no key " << WideToUtf8(name);
    return 0;
}

RECT RectOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    return r;
}

// Why control does not show its text whole; empty when it does, or when it shows no such text.
std::wstring CutText(HWND control) {
    const std::wstring cls = win::ClassNameOf(control), text = TextOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (text.empty()) return L"";
    RECT client;
    GetClientRect(control, &client);
    RECT unit{0, 0, 4, 0}; // a character's width, for the margins a control keeps
    MapDialogRect(GetParent(control), &unit);
    int room = client.right;
    UINT format = DT_CALCRECT | DT_WORDBREAK;
    if (cls == L"Static") {
        const LONG kind = style & SS_TYPEMASK;
        if ((kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT) || (style & SS_ELLIPSISMASK))
            return L"";
        if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    } else if (cls == L"Button") {
        const LONG kind = style & BS_TYPEMASK;
        if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_GROUPBOX)
            room -= 2 * unit.right; // the frame and a space on each side
        else
            room -= GetSystemMetrics(SM_CXMENUCHECK) + unit.right / 2; // the box and the gap after it
        if (!(style & BS_MULTILINE)) format = DT_CALCRECT | DT_SINGLELINE;
    } else {
        return L"";
    }
    const HDC dc = GetDC(control);
    const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, room, 0};
    DrawTextW(dc, text.c_str(), -1, &need, format);
    SelectObject(dc, font);
    ReleaseDC(control, dc);
    if (need.right <= room && need.bottom <= client.bottom) return L"";
    return L"\"" + text + L"\" needs " + std::to_wstring(need.right) + L"x" + std::to_wstring(need.bottom) +
           L", has " + std::to_wstring(room) + L"x" + std::to_wstring(client.bottom);
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Why a line of the main window of the program shows its text cut: measured on the same line of the main
// template made here (a font belongs to its process), at the line's size.
std::wstring CutLine(HWND line) {
    const HMODULE program = GetModuleHandleW(nullptr);
    const HWND main =
        CreateDialogIndirectParamW(program, DialogTemplate(program, IDD_MAIN), nullptr, QuietDialog, 0);
    const HWND same = GetDlgItem(main, GetDlgCtrlID(line));
    const RECT r = RectOf(line);
    SetWindowPos(same, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowTextW(same, TextOf(line).c_str());
    const std::wstring cut = CutText(same);
    DestroyWindow(main);
    return cut;
}

// Each cut text of the controls of window, one line each.
std::wstring CutTexts(HWND window, const std::wstring& where) {
    std::wstring cut;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (const std::wstring why = CutText(c); !why.empty())
            cut += where + L" control " + std::to_wstring(GetDlgCtrlID(c)) + L": " + why + L"\n";
    return cut;
}

// TolvanierSettings.exe on a prepared file, driven through its controls' messages as the dialog
// manager and the controls send them.
struct SettingsWindowTest : testing::Test {
    TempDir dir{L"settings_window"};
    std::wstring ini = dir / L"Tolvanier.ini", app = ViewAppPath();
    win::UniqueProcessInfo process;
    HWND window = nullptr;

    static std::wstring Sample() {
        std::wstring sample = kSample;
        return sample.erase(sample.find(L"Unknown=kept\r\n"), 14); // the checker would report it
    }
    // The window's title names the language it shows.
    void Start(const wchar_t* title = L"Tolvanier settings") {
        std::wstring commandLine = Quoted(BuildDir() + L"TolvanierSettings.exe") + L" --ini " + Quoted(ini);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &si, &pi));
        process = win::UniqueProcessInfo(pi);
        window = FindProcessWindow(pi.dwProcessId, title, 20000);
        ASSERT_NE(window, nullptr) << "no settings window";
        ASSERT_TRUE(WaitForText(Control(IDC_HEADER), L"settings: ", 5000));
    }
    void TearDown() override {
        OptionsIniName[0] = TCIniName[0] = L'\0';
        if (!process.process) return;
        PostMessageW(window, WM_CLOSE, 0, 0);
        // Unsaved changes: the window asks first; they are dropped.
        if (WaitForSingleObject(process.process.Get(), 3000) != WAIT_OBJECT_0)
            if (const HWND box = Box(2000)) PostMessageW(box, WM_COMMAND, IDNO, 0);
        if (WaitForSingleObject(process.process.Get(), 10000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the program did not end";
            TerminateProcess(process.process.Get(), 1);
        }
    }
    HWND Control(int id) { return FindControl(window, id); }
    // A notification as the control sends it to its parent: handled when this returns.
    void Notify(int id, int code) {
        const HWND control = Control(id);
        ASSERT_NE(control, nullptr) << id;
        Send(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    }
    void Tick(const wchar_t* name) {
        Send(Control(GeneratedId(name, kMain)), BM_SETCHECK, BST_CHECKED);
        Notify(GeneratedId(name, kMain), BN_CLICKED);
    }
    void Key(int id, WORD vk) { PostMessageW(Control(id), WM_KEYDOWN, vk, 1); }
    // The next page, as the arrow key in the tabs reaches it; waits for one of its controls on the page
    // shown. A page has its controls before it is placed, and is shown once placed.
    void NextPage(int controlOfPage) {
        Key(IDC_TABS, VK_RIGHT);
        const auto shown = [&] {
            const HWND control = Control(controlOfPage);
            return control && IsWindowVisible(GetParent(control));
        };
        for (int i = 0; i < 100 && !shown(); ++i)
            Sleep(50);
        ASSERT_NE(Control(controlOfPage), nullptr);
        Send(window, WM_NULL, 0); // the key handled to its end
    }
    bool StatusSays(const std::wstring& part) {
        const bool says = WaitForText(Control(IDC_STATUS), part, 10000);
        if (!says) ADD_FAILURE() << "status: " << WideToUtf8(TextOf(Control(IDC_STATUS)));
        return says;
    }
    void Save() { PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED), 0); }
    // The note above the tabs or the status line below them shows its text whole, clear of the tabs.
    void ShowsWhole(int lineId) {
        Send(window, WM_NULL, 0); // laid out to its end
        const HWND line = Control(lineId);
        EXPECT_EQ(CutLine(line), L"") << WideToUtf8(CutLine(line));
        const RECT r = RectOf(line), tabs = RectOf(Control(IDC_TABS));
        EXPECT_TRUE(r.bottom <= tabs.top || r.top >= tabs.bottom) << lineId;
    }
    // A message box of the window (its caption is the window's title).
    HWND Box(DWORD timeoutMs = 10000) {
        return FindProcessWindow(process.processId, L"Tolvanier settings", timeoutMs, window);
    }
    std::wstring FileText() { return Decoded(ReadFileBytes(ini)); }
};

} // namespace

TEST_F(SettingsWindowTest, AnApplicationAddedThroughTheDialogIsSavedAndCheckedClean) {
    const std::wstring sample = Sample();
    ASSERT_TRUE(WriteUtf16File(ini, sample));
    ASSERT_TRUE(WriteTextFile(dir / L"a.tolv", "x"));
    Start();
    EXPECT_TRUE(WaitForText(Control(IDC_HEADER), L"UTF-16 LE with byte-order mark", 5000));

    // Add... by Enter on the focused button: the dialog manager sends the click to the top window.
    const HWND add = Control(IDC_ADD);
    ASSERT_NE(add, nullptr);
    PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(add), TRUE);
    PostMessageW(add, WM_KEYDOWN, VK_RETURN, 1);
    const HWND dialog = FindProcessWindow(process.processId, L"Application", 10000);
    ASSERT_NE(dialog, nullptr) << "no edit dialog";
    SetText(GetDlgItem(dialog, IDC_KEYS), L"tolv,md");
    // Refused without an application: the field to mend gets the focus.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const HWND box = Box();
    ASSERT_NE(box, nullptr) << "accepted without an application";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForClosed(box));
    EXPECT_TRUE(WaitForFocus(process.threadId, GetDlgItem(dialog, IDC_APP)));
    // The dialog grows: the preview takes the room, OK keeps to the corner.
    const RECT preview = RectOf(GetDlgItem(dialog, IDC_PREVIEW)), ok = RectOf(GetDlgItem(dialog, IDOK)),
               frame = RectOf(dialog);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 80, frame.bottom - frame.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(RectOf(GetDlgItem(dialog, IDC_PREVIEW)).bottom - preview.bottom, 60);
    EXPECT_EQ(RectOf(GetDlgItem(dialog, IDC_PREVIEW)).right - preview.right, 80);
    EXPECT_EQ(RectOf(GetDlgItem(dialog, IDOK)).left - ok.left, 80);
    SetText(GetDlgItem(dialog, IDC_APP), app);
    SetText(GetDlgItem(dialog, IDC_PARAMS), L"-v %1");
    EXPECT_TRUE(WaitForText(GetDlgItem(dialog, IDC_PREVIEW), L"start: " + Quoted(app) + L" -v ", 10000))
        << WideToUtf8(TextOf(GetDlgItem(dialog, IDC_PREVIEW)));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitForClosed(dialog)) << "the dialog did not close";
    StatusSays(L"2 unsaved changes");
    EXPECT_EQ(FileText(), sample) << "nothing is written before Save";

    Save();
    StatusSays(L"Saved. In effect at once: [Editor].");
    const std::wstring text = FileText();
    EXPECT_NE(text.find(L"; applications\r\ntolv,md=" + app + L"\r\ntolv,md_params=-v %1\r\n"),
              std::wstring::npos)
        << WideToUtf8(text);
    EXPECT_NE(text.find(L"; Tolvanier.ini, with comments\r\n[Options]\r\n; where it acts\r\n"),
              std::wstring::npos);

    // The checker reports the saved settings clean and starts the application for a .tolv file.
    int status = 1;
    const std::wstring report = CheckerReport(ini, status, {dir / L"a.tolv"});
    EXPECT_EQ(status, 0) << WideToUtf8(report);
    EXPECT_NE(report.find(L"no problem found in the settings"), std::wstring::npos);
    EXPECT_NE(report.find(L"start: " + Quoted(app) + L" -v " + Quoted(dir / L"a.tolv")), std::wstring::npos)
        << WideToUtf8(report);

    // Nothing left to save: the window closes at once and the program ends.
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.process.Get(), 10000), WAIT_OBJECT_0);
    DWORD exitStatus = 1;
    GetExitCodeProcess(process.process.Get(), &exitStatus);
    EXPECT_EQ(exitStatus, 0u);
}

// The line under the list shows the selected row's status whole; Enter edits the row, Delete removes it.
TEST_F(SettingsWindowTest, TheSelectedRowsWholeStatusEnterEditsDeleteRemoves) {
    ASSERT_TRUE(
        WriteUtf16File(ini, Sample() + L"pdf=C:\\nowhere\\PDF viewer\\pdfview.exe\r\ntxt=" + app + L"\r\n"));
    SettingsModel expected(BuildDir());
    ASSERT_TRUE(expected.Open({ini, true}));
    ASSERT_EQ(expected.Rows().size(), 2u);
    const std::wstring pdfStatus = expected.Rows()[0].status;
    ASSERT_GT(pdfStatus.size(), 150u) << "long enough for the list to cut it";
    Start();

    const HWND line = Control(IDC_APP_STATUS);
    EXPECT_TRUE(WaitForText(line, L"Select a line", 5000)) << WideToUtf8(TextOf(line));
    Key(IDC_APPLIST, VK_DOWN);
    EXPECT_TRUE(WaitForText(line, L"pdf: " + pdfStatus, 5000)) << WideToUtf8(TextOf(line));

    // Enter in the list, after Tab took the focus over a button: still the row's edit dialog.
    PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_DEFAULT_EDIT)), TRUE);
    PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_APPLIST)), TRUE);
    Key(IDC_APPLIST, VK_RETURN);
    const HWND dialog = FindProcessWindow(process.processId, L"Application", 10000);
    ASSERT_NE(dialog, nullptr) << "Enter opened no edit dialog";
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_KEYS)), L"pdf");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitForClosed(dialog));

    Key(IDC_APPLIST, VK_DELETE);
    EXPECT_TRUE(WaitForText(line, L"txt: " + app, 5000)) << WideToUtf8(TextOf(line));
    EXPECT_EQ(Send(Control(IDC_APPLIST), LVM_GETITEMCOUNT, 0), 1);
    Save();
    StatusSays(L"Saved. In effect at once: [Editor].");
    const std::wstring text = FileText();
    EXPECT_EQ(text.find(L"pdf="), std::wstring::npos) << WideToUtf8(text);
    EXPECT_NE(text.find(L"txt=" + app), std::wstring::npos) << WideToUtf8(text);
}

// The page of [Types]: a line added through its dialog (refused first as the checker would skip it),
// moved up, and saved whole with the comment lines.
TEST_F(SettingsWindowTest, ATypesLineAddedThroughItsDialogMovedUpAndSaved) {
    ASSERT_TRUE(WriteUtf16File(ini, Sample() + L"make=" + app + L"\r\n[Types]\r\n; logs\r\n*.log=log\r\n"));
    Start();
    NextPage(IDC_TYPELIST);
    EXPECT_EQ(Send(Control(IDC_TYPELIST), LVM_GETITEMCOUNT, 0), 1);
    PostMessageW(GetParent(Control(IDC_TYPE_ADD)), WM_COMMAND, MAKEWPARAM(IDC_TYPE_ADD, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(IDC_TYPE_ADD)));
    const HWND dialog = FindProcessWindow(process.processId, L"New type", 10000);
    ASSERT_NE(dialog, nullptr) << "no dialog";
    SetText(GetDlgItem(dialog, IDC_MASKS), L"Makefile;*.mk");
    SetText(GetDlgItem(dialog, IDC_TYPE), L"make");
    SetText(GetDlgItem(dialog, IDC_CONDITIONS), L"small");
    EXPECT_TRUE(WaitForText(GetDlgItem(dialog, IDC_TAKES), L"\"small\" is no condition", 10000))
        << WideToUtf8(TextOf(GetDlgItem(dialog, IDC_TAKES)));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const HWND box = FindProcessWindow(process.processId, L"Tolvanier settings", 10000, window);
    ASSERT_NE(box, nullptr) << "the line was not refused";
    EXPECT_NE(TextOf(GetDlgItem(box, 0xFFFF)).find(L"\"small\" is no condition"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForClosed(box));
    EXPECT_TRUE(WaitForFocus(process.threadId, GetDlgItem(dialog, IDC_CONDITIONS)))
        << "the field to mend has the focus";
    SetText(GetDlgItem(dialog, IDC_CONDITIONS), L"text");
    EXPECT_TRUE(WaitForText(GetDlgItem(dialog, IDC_TAKES), L"it takes: Makefile (if the file meets", 10000))
        << WideToUtf8(TextOf(GetDlgItem(dialog, IDC_TAKES)));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitForClosed(dialog));
    EXPECT_TRUE(WaitForText(Control(IDC_TYPE_STATUS), L"Line 2, Makefile;*.mk=make text: " + app, 5000))
        << WideToUtf8(TextOf(Control(IDC_TYPE_STATUS)));
    StatusSays(L"1 unsaved change");

    // Moved to the top, its button is disabled: the focus goes to the list.
    Send(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_TYPE_UP)), TRUE);
    Notify(IDC_TYPE_UP, BN_CLICKED);
    EXPECT_TRUE(WaitForText(Control(IDC_TYPE_STATUS), L"Line 1, Makefile", 5000));
    EXPECT_TRUE(WaitForFocus(process.threadId, Control(IDC_TYPELIST)));
    Save();
    StatusSays(L"Saved. In effect at once: [Types].");
    // The comment lines above the first line stay at the top.
    EXPECT_NE(FileText().find(L"[Types]\r\n; logs\r\nMakefile;*.mk=make text\r\n*.log=log\r\n"),
              std::wstring::npos)
        << WideToUtf8(FileText());
}

// A check box, a drop-down and the hotkey boxes write the plugin's values; the window says when each
// takes effect, and the checker finds the result clean.
TEST_F(SettingsWindowTest, OptionsAndHotkeysWriteWhatThePluginReads) {
    std::wstring sample = Sample();
    sample.replace(sample.find(L"AppFromLister_key=\r\n"), 20,
                   L"AppFromLister_key=115\r\nAppFromLister_mod=C\r\n");
    ASSERT_TRUE(WriteUtf16File(ini, sample));
    Start();

    NextPage(IDC_TYPELIST);
    NextPage(GeneratedId(L"QuickView", kMain));
    NextPage(GeneratedId(L"ListerState", kSecond));
    // The window opens as large as its tallest page: nothing of it is cut before any resizing.
    const HWND lastControl = Control(GeneratedId(L"ReadOptionsEveryTime", kState));
    EXPECT_LE(RectOf(lastControl).bottom, RectOf(GetParent(lastControl)).bottom);
    Tick(L"UseSystemAssociations");
    Send(Control(GeneratedId(L"ListerState", kSecond)), CB_SETCURSEL, 2); // the third meaning: 2
    Notify(GeneratedId(L"ListerState", kSecond), CBN_SELCHANGE);
    // The folder for changed copies, typed: the line under it says which folder that is.
    const HWND folderState = Control(GeneratedId(L"ChangedCopiesFolder", kState));
    EXPECT_TRUE(WaitForText(folderState, L"Empty: ", 5000)) << WideToUtf8(TextOf(folderState));
    SetText(Control(GeneratedId(L"ChangedCopiesFolder", kSecond)), L"%SystemRoot%\\Kept");
    Notify(GeneratedId(L"ChangedCopiesFolder", kSecond), EN_CHANGE);
    EXPECT_TRUE(WaitForText(folderState, L"That is C:\\windows\\Kept", 5000))
        << WideToUtf8(TextOf(folderState));
    StatusSays(L"3 unsaved changes");

    NextPage(GeneratedId(L"ChooseAppFromLister_key", kSecond));
    const HWND appState = Control(GeneratedId(L"AppFromLister_key", kState));
    EXPECT_TRUE(WaitForText(appState, L"Now Ctrl+F4 (AppFromLister_key=115, AppFromLister_mod=C)", 5000))
        << WideToUtf8(TextOf(appState));
    // Ctrl held, no key yet: nothing changes until the key comes.
    Send(Control(GeneratedId(L"AppFromLister_key", kSecond)), HKM_SETHOTKEY, MAKEWORD(0, HOTKEYF_CONTROL));
    Notify(GeneratedId(L"AppFromLister_key", kSecond), EN_CHANGE);
    Send(Control(GeneratedId(L"ChooseAppFromLister_key", kSecond)), HKM_SETHOTKEY,
         MAKEWORD(VK_F6, HOTKEYF_SHIFT | HOTKEYF_ALT));
    Notify(GeneratedId(L"ChooseAppFromLister_key", kSecond), EN_CHANGE);
    const HWND chooseState = Control(GeneratedId(L"ChooseAppFromLister_key", kState));
    EXPECT_TRUE(WaitForText(
        chooseState, L"Now Shift+Alt+F6 (ChooseAppFromLister_key=117, ChooseAppFromLister_mod=SA)", 5000))
        << WideToUtf8(TextOf(chooseState));
    EXPECT_NE(TextOf(appState).find(L"Now Ctrl+F4"), std::wstring::npos) << WideToUtf8(TextOf(appState));
    Send(Control(GeneratedId(L"AppFromLister_key", kOff)), BM_SETCHECK, BST_CHECKED);
    Notify(GeneratedId(L"AppFromLister_key", kOff), BN_CLICKED);
    EXPECT_TRUE(WaitForText(appState, L"Off (AppFromLister_key is empty)", 5000))
        << WideToUtf8(TextOf(appState));

    Save();
    StatusSays(L"Saved. In effect at once: ChangedCopiesFolder. At the file manager's next start: "
               L"UseSystemAssociations, ListerState, ChooseAppFromLister_key, ChooseAppFromLister_mod, "
               L"AppFromLister_key (or set ReadOptionsEveryTime=1).");
    ShowsWhole(IDC_STATUS);
    const std::vector<std::wstring> lines = SettingsModelTest::Lines(FileText());
    for (const wchar_t* written :
         {L"UseSystemAssociations=1", L"ListerState=2", L"ChangedCopiesFolder=%SystemRoot%\\Kept",
          L"ChooseAppFromLister_key=117", L"ChooseAppFromLister_mod=SA", L"AppFromLister_key=",
          L"AppFromLister_mod=C"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), written), lines.end()) << WideToUtf8(written);
    int status = 1;
    const std::wstring report = CheckerReport(ini, status);
    EXPECT_EQ(status, 0) << WideToUtf8(report);
    EXPECT_NE(report.find(L"hotkey ChooseAppFromLister (a menu of applications): on: Shift+Alt+F6"),
              std::wstring::npos)
        << WideToUtf8(report);
}

// Saving asks before it converts the file or reads another program's change; refused, it writes nothing.
TEST_F(SettingsWindowTest, ARefusedSaveWritesNothing) {
    ASSERT_TRUE(WriteUtf16File(ini, Sample()));
    Start();
    NextPage(IDC_TYPELIST);
    NextPage(GeneratedId(L"QuickView", kMain));
    Tick(L"QuickView");
    StatusSays(L"1 unsaved change");

    // Another program saves the file as UTF-8, with a folder name that ANSI would turn into another.
    const std::string utf8 = "[Options]\r\n[Editor]\r\npdf=C:\\B\xC3\xBCro\\pdf.exe\r\n";
    ASSERT_TRUE(WriteTextFile(ini, utf8));
    Save();
    HWND box = Box();
    ASSERT_NE(box, nullptr) << "no question";
    EXPECT_NE(TextOf(GetDlgItem(box, 0xFFFF)).find(L"Another program changed"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(WaitForClosed(box));
    EXPECT_EQ(ReadFileBytes(ini), utf8);

    Save();
    box = Box();
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDYES, 0); // read it again, the change kept
    EXPECT_TRUE(WaitForText(Control(IDC_HEADER), L"; UTF-8)", 5000))
        << WideToUtf8(TextOf(Control(IDC_HEADER)));
    ShowsWhole(IDC_NOTE); // why saving converts it: two lines
    Save();
    box = Box();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(TextOf(GetDlgItem(box, 0xFFFF)).find(L"Convert " + ini + L" to UTF-16 LE"), std::wstring::npos)
        << WideToUtf8(TextOf(GetDlgItem(box, 0xFFFF)));
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForClosed(box));
    StatusSays(L"1 unsaved change");
    EXPECT_EQ(ReadFileBytes(ini), utf8) << "not converted, nothing written";
}

// The window in the language [Options] Language names: its dialogs from that language's templates, its
// lines from its strings; the drop-down names each language in itself, and writes its code.
TEST_F(SettingsWindowTest, TheWindowSpeaksTheLanguageTheFileNames) {
    std::wstring sample = Sample();
    sample.replace(sample.find(L"[Options]\r\n"), 11, L"[Options]\r\nLanguage=DE\r\n");
    ASSERT_TRUE(WriteUtf16File(ini, sample));
    Start(L"Tolvanier \x2013 Einstellungen");
    EXPECT_EQ(TextOf(Control(IDC_SAVE)), L"&Speichern");
    StatusSays(L"Keine ungespeicherten \xC4nderungen.");
    NextPage(IDC_TYPELIST);
    NextPage(GeneratedId(L"QuickView", kMain));
    NextPage(GeneratedId(L"Language", kSecond));
    const HWND languages = Control(GeneratedId(L"Language", kSecond));
    EXPECT_EQ(TextOf(languages), L"Deutsch");
    EXPECT_EQ(Send(languages, CB_GETCOUNT, 0), 6); // the display language and five
    Send(languages, CB_SETCURSEL, 4);              // by code: de, en, es, fr, ru
    Notify(GeneratedId(L"Language", kSecond), CBN_SELCHANGE);
    Save();
    StatusSays(L"Gespeichert.");
    EXPECT_NE(FileText().find(L"\r\nLanguage=fr\r\n"), std::wstring::npos) << WideToUtf8(FileText());
}

// A file the window cannot read: it says so, shows none of the pages and saves nothing until Reload
// reads the file.
TEST_F(SettingsWindowTest, AFileItCannotReadIsSaidAndNoPageIsShown) {
    ASSERT_TRUE(WriteUtf16File(ini, Sample()));
    win::UniqueFile held(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Start();
    StatusSays(L"Cannot read the file: ");
    ShowsWhole(IDC_STATUS);
    const HWND page = GetParent(Control(IDC_APPLIST));
    EXPECT_FALSE(IsWindowVisible(page));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_SAVE)));
    held.Reset();
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_RELOAD, BN_CLICKED), 0);
    StatusSays(L"No unsaved changes.");
    EXPECT_TRUE(IsWindowVisible(page));
}

// The list and the line under it take the room a larger window gives; the bottom buttons keep to the
// corner; the window gets no smaller than its pages need.
TEST_F(SettingsWindowTest, TheControlsFollowTheWindowsSize) {
    ASSERT_TRUE(WriteUtf16File(ini, Sample()));
    Start();
    const RECT before = RectOf(window), list = RectOf(Control(IDC_APPLIST)),
               line = RectOf(Control(IDC_APP_STATUS)), save = RectOf(Control(IDC_SAVE));
    const int dx = 120, dy = 100; // within the screen of the tests (1024 x 768)
    SetWindowPos(window, nullptr, 0, 0, before.right - before.left + dx, before.bottom - before.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT grownList = RectOf(Control(IDC_APPLIST)), grownLine = RectOf(Control(IDC_APP_STATUS)),
               grownSave = RectOf(Control(IDC_SAVE));
    // Placed in dialog units: within a unit of the pixels.
    EXPECT_NEAR(grownSave.left - save.left, dx, 3);
    EXPECT_NEAR(grownSave.top - save.top, dy, 3);
    EXPECT_NEAR(grownList.bottom - grownList.top, list.bottom - list.top + dy, 3);
    EXPECT_NEAR(grownList.right - grownList.left, list.right - list.left + dx, 3);
    EXPECT_NEAR(grownLine.top - line.top, dy, 3);
    EXPECT_NEAR(grownLine.right - grownLine.left, line.right - line.left + dx, 3);

    SetWindowPos(window, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT least = RectOf(window);
    EXPECT_GT(least.right - least.left, 50);
    const RECT small[] = {RectOf(Control(IDC_APPLIST)), RectOf(Control(IDC_APP_STATUS)),
                          RectOf(Control(IDC_ADD)), RectOf(Control(IDC_DEFAULT_GROUP))};
    for (size_t i = 1; i < std::size(small); ++i)
        EXPECT_LE(small[i - 1].bottom, small[i].top) << "overlap at the least size, control " << i;
    // The tallest page made from the key table fits whole.
    NextPage(IDC_TYPELIST);
    NextPage(GeneratedId(L"QuickView", kMain));
    NextPage(GeneratedId(L"ReadOptionsEveryTime", kMain));
    const RECT page = RectOf(GetParent(Control(GeneratedId(L"ReadOptionsEveryTime", kMain))));
    const RECT last = RectOf(Control(GeneratedId(L"ReadOptionsEveryTime", kState)));
    EXPECT_LE(last.right, page.right);
    EXPECT_LE(last.bottom, page.bottom);
    EXPECT_LE(RectOf(Control(IDC_TABS)).bottom, RectOf(Control(IDC_SAVE)).top);
}

// ---- Texts that fit: every label, check box and button of every page and dialog shows its text whole,
// measured with the control's own font, in every language of the program.

TEST(SettingsFit, EveryTextFitsItsControlInEveryLanguage) {
    const HMODULE program = GetModuleHandleW(nullptr); // the window's dialogs and texts are linked in
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    const std::vector<config::Language> languages = config::PresentLanguages();
    EXPECT_EQ(languages.size(), 5u);
    std::wstring cut;
    for (const config::Language& language : languages) {
        config::SetTextLanguage(language);
        const std::wstring name = language.code + L", dialog ";
        auto make = [&](int id, HWND parent) {
            return CreateDialogIndirectParamW(program, DialogTemplate(program, id), parent, QuietDialog, 0);
        };
        const HWND main = make(IDD_MAIN, nullptr);
        ASSERT_NE(main, nullptr);
        cut += CutTexts(main, name + std::to_wstring(IDD_MAIN));
        for (const int id : {IDD_PAGE_APPS, IDD_PAGE_TYPES, IDD_PAGE_CHECK, IDD_ENTRY, IDD_TYPE}) {
            const HWND dialog = make(id, id == IDD_ENTRY || id == IDD_TYPE ? nullptr : main);
            cut += CutTexts(dialog, name + std::to_wstring(id));
            DestroyWindow(dialog);
        }
        for (const config::OptionPage page :
             {config::OptionPage::WhereItActs, config::OptionPage::Options, config::OptionPage::Hotkeys}) {
            const HWND dialog = make(IDD_PAGE_GENERATED, main);
            MakeKeyPage(dialog, page);
            cut += CutTexts(dialog, name + L"of keys " + std::to_wstring(static_cast<int>(page)));
            DestroyWindow(dialog);
        }
        DestroyWindow(main);
    }
    config::SetTextLanguage(*config::FindLanguage(L"en"));
    EXPECT_EQ(cut, L"") << WideToUtf8(cut);
}
