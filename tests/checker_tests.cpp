// The configuration checker: the mistakes it must find in INI texts, and what a whole run reports
// and returns, through the plugin's own lookup and builder, without a message box.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "checker/check.h"
#include "checker/ini_check.h"
#include "config/languages.h"
#include "config/options.h"
#include "shared/state.h"
#include "tests/guide_examples.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "tests/support/viewing_session.h"
#include "win/paths.h"

using namespace checker;
using namespace testing_support;

namespace {

std::wstring ProblemsOf(const std::string& utf8) {
    std::wstring all;
    for (const Problem& p :
         FindTextProblems(ParseIni(Utf8ToWide(utf8)), config::CodesOf(config::PresentLanguages())).problems)
        all += FormatProblem(p) + L"\n";
    return all;
}

// Each text holds one mistake; the report must say it, and nothing else.
const struct {
    const char* ini;
    const wchar_t* mustSay;
} kMistakes[] = {
    {"[Options]\nListerStat=2", L"[Options] ListerStat (line 2): the plugin knows no key ListerStat in "
                                L"[Options] and ignores it; did you "
                                L"mean ListerState? write ListerState=2"},
    {"[Options]\nAppFromLister_key=115", L"AppFromLister_key belongs in [HotKeys]"},
    {"[Option]\nQuickView=1", L"did you mean [Options]?"},
    {"QuickView=1\n[Options]", L"before any section"},
    {"[Options]\nQuickView=yes",
     L"the plugin reads 0 (its leading digits), so the option is off; write QuickView=1"},
    {"[Options]\nFindFiles=2", L"any number but 0 as on"},
    {"[Options]\nListerState=3", L"lies outside 0 to 2: the plugin leaves the viewer window open"},
    {"[Options]\nListerState=1 ; closed", L"is not a decimal number: the plugin reads 1"},
    {"[Options]\nParamsMode=2", L"outside 0 to 1: the plugin opens nothing at all; write 0 or 1"},
    {"[Options]\nParamsByExtMode=-1", L"with ParamsMode=1 the plugin opens nothing at all"},
    {"[HotKeys]\nAppFromLister_key=F2", L"the hotkey never fires; write AppFromLister_key=113"},
    {"[HotKeys]\nDefSysAppFromLister_key=Ctrl+Shift+F4",
     L"write DefSysAppFromLister_key=115 and DefSysAppFromLister_mod=SC"},
    {"[HotKeys]\nAppFromLister_key=300", L"no key has the code 300"},
    {"[HotKeys]\nChooseAppFromLister_key=F3", L"the hotkey never fires; write ChooseAppFromLister_key=114"},
    {"[Options]\nUseSystemAssociations=yes", L"so the option is off; write UseSystemAssociations=1"},
    {"[HotKeys]\nAppFromLister_mod=sc",
     L"takes \"sc\" as no modifier (none may be held); write AppFromLister_mod=SC"},
    // Only the first 3 characters are read: "Ctr".
    {"[HotKeys]\nAppFromLister_mod=Ctrl+Alt", L"takes \"Ctrl+Alt\" as Ctrl; write AppFromLister_mod=CA"},
    {"[TCPos]\nSearchTextTop=1l4", L"the plugin reads 1 (its leading digits)"},
    {"[Editor]\ntxt, log=ed.exe", L"[Editor] txt, log (line 2): the item \" log\" never matches"},
    {"[Editor]\nTXT,Doc_params=-p", L"write txt,doc_params=-p"},
    {"[Editor]\ntxt,,log=ed.exe",
     L"serves files without an extension; if that is meant, put the comma first"},
    {"[Editor]\n.pdf=ed.exe", L"without the dot: write pdf=ed.exe"},
    {"[Editor]\npdf_params=/open \"%1\"", L"inside quotes of its own"},
    {"[Editor]\nC:\\Tools\\ed.exe=-f \"%1\"", L"write C:\\Tools\\ed.exe=-f %1"},
    {"[Options]\nDefaultEditor_params=-f \"x %1\"", L"remove the quotes around %1"},
    {"[Options]\nQuickView=1\nquickview=0",
     L"[Options] quickview (line 3): the key is written a second time (first at "
     L"line 2): only the first counts"},
    {"[Options]\n[options]\nQuickView=1", L"[options] (line 2): the section is written a second time"},
    {"[Types]\n*.x=ma.ke", L"[Types] *.x (line 2): the type \"ma.ke\" holds other characters than letters"},
    {"[Types]\nMakefile", L"[Types] Makefile (line 2): the line gives no type after \"=\""},
    {"[Types]\n|*.bak=t", L"no mask before \"=\""},
    {"[Types]\n*.log|a|b=t", L"a second \"|\": the plugin skips the line"},
    {"[Types]\n*.log=t size>50MB", L"\"size>50MB\" is no size condition: the plugin skips the line"},
    {"[Types]\n*.log=t large", L"\"large\" is no condition"},
    {"[Types]\n*.log=log_params", L"holds \"_params\""},
    {"[Options]\nLanguage=de-DE", L"no texts in the language \"de-DE\": it takes the display language, "
                                  L"as with an empty value; write one of de, en, es, fr, ru, or nothing"},
};

} // namespace

TEST(CheckerText, EveryMistakeIsReportedOnceWithWhatToWrite) {
    for (const auto& c : kMistakes) {
        const std::wstring report = ProblemsOf(c.ini);
        EXPECT_NE(report.find(c.mustSay), std::wstring::npos) << c.ini << "\n" << WideToUtf8(report);
        EXPECT_EQ(std::count(report.begin(), report.end(), L'\n'), 1) << c.ini << "\n" << WideToUtf8(report);
    }
}

// The guide's examples are sound settings: only the one that shows the mistake of quoting "%1" is one.
TEST(CheckerText, TheGuidesExamplesGiveNoFalseProblem) {
    for (const guide::GuideExample& example : guide::Examples()) {
        std::string ini = "[Options]\n";
        for (const auto& line : example.options)
            ini += WideToUtf8(line) + "\n";
        ini += "[Editor]\n";
        for (const auto& line : example.editor)
            ini += WideToUtf8(line) + "\n";
        ini += "[Types]\n";
        for (const auto& line : example.types)
            ini += WideToUtf8(line) + "\n";
        const std::wstring report = ProblemsOf(ini);
        const bool faulty = std::string(example.name) == "QuotesAroundThePlaceholderDouble";
        EXPECT_EQ(report.empty(), !faulty) << example.name << "\n" << WideToUtf8(report);
    }
}

// In [Types] every line counts in order; one that an earlier line without conditions always takes
// first is worth a note.
TEST(CheckerText, TypesLinesOfTheSameMasksAreNoMistakeUnlessTheyNeverMatch) {
    const TextFindings found = FindTextProblems(
        ParseIni(L"[Types]\n*.log=big size>50M\n*.LOG=log\n*.log = other text\n; note\n*.log;*.log=x\n"), {});
    EXPECT_TRUE(found.problems.empty());
    ASSERT_EQ(found.notes.size(), 2u);
    EXPECT_EQ(FormatProblem(found.notes[0]),
              L"[Types] *.log (line 4): the line never matches: line 3 before it has the same masks and no "
              L"condition, and the first line that takes a file decides");
    EXPECT_EQ(found.notes[1].line, 6);
}

TEST(CheckerText, KeyNamesAndEncodings) {
    const std::pair<const wchar_t*, int> names[] = {{L"F2", 113},   {L"f12", 123},      {L"VK_F4", 115},
                                                    {L"PgDn", 34},  {L"Page Down", 34}, {L"a", 65},
                                                    {L"Enter", 13}, {L"Numpad 5", 101}};
    for (const auto& [name, code] : names)
        EXPECT_EQ(KeyCodeOfName(name), code) << WideToUtf8(name);
    EXPECT_FALSE(KeyCodeOfName(L"F25"));
    EXPECT_FALSE(KeyCodeOfName(L"Hyper"));

    const std::string bueroUtf8 = "[Editor]\r\ntxt=C:\\B\xC3\xBCro\\ed.exe\r\n";
    const std::wstring bueroText = L"[Editor]\r\ntxt=C:\\B\u00FCro\\ed.exe\r\n";
    std::string utf16 = "\xFF\xFE";
    utf16.append(reinterpret_cast<const char*>(bueroText.data()), bueroText.size() * 2);
    // Where the problem is; empty: none. Windows reads a UTF-8 mark as three characters of the first
    // line, so a section header there is lost, with the keys under it.
    const std::wstring nonAscii = L"[Editor] txt (line ";
    const struct {
        std::string bytes;
        IniEncoding encoding;
        std::wstring at;
    } files[] = {
        {bueroUtf8, IniEncoding::Utf8, nonAscii},
        {"\xEF\xBB\xBF; settings\r\n" + bueroUtf8, IniEncoding::Utf8WithBom, nonAscii},
        {"\xEF\xBB\xBF" + bueroUtf8, IniEncoding::Utf8WithBom, L"[Editor] (line 1): the file begins with"},
        {"\xEF\xBB\xBF  [HotKeys]\r\nAppFromLister_key=113\r\n", IniEncoding::Utf8WithBom,
         L"[HotKeys] (line 1): the file begins with"},
        {"\xEF\xBB\xBF\r\n[HotKeys]\r\nAppFromLister_key=113\r\n", IniEncoding::Utf8WithBom, L""},
        {"; B\xC3\xBCro only in a comment\r\n[Editor]\r\n", IniEncoding::Utf8, L""},
        {utf16, IniEncoding::Utf16Le, L""},
        {utf16.substr(2), IniEncoding::Utf16NoBom, L"the file is saved as UTF-16 without"},
        {"[Editor]\r\ntxt=C:\\B\xFCro\\ed.exe\r\n", IniEncoding::Ansi, L""},
    };
    for (const auto& f : files) {
        const DecodedIni decoded = DecodeIniBytes(f.bytes);
        EXPECT_EQ(decoded.encoding, f.encoding) << f.bytes;
        const auto problem = FindEncodingProblem(decoded, ParseIni(decoded.text));
        ASSERT_EQ(problem.has_value(), !f.at.empty()) << f.bytes;
        if (!problem) continue;
        EXPECT_EQ(FormatProblem(*problem).substr(0, f.at.size()), f.at) << f.bytes;
        if (f.encoding != IniEncoding::Utf16NoBom) {
            EXPECT_NE(problem->text.find(L"save the file as UTF-16 LE"), std::wstring::npos);
        }
    }
    const DecodedIni hiding = DecodeIniBytes("\xEF\xBB\xBF[Editor]\r\n");
    EXPECT_NE(
        FindEncodingProblem(hiding, ParseIni(hiding.text))->text.find(L"does not see the section [Editor]"),
        std::wstring::npos);
    // Behind a UTF-8 mark, bytes that are no UTF-8 are read as ANSI: their lines are checked.
    const DecodedIni marked = DecodeIniFile("\xEF\xBB\xBF[Editor]\r\ntxt=C:\\B\xFCro\\ed.exe\r\n");
    EXPECT_EQ(marked.encoding, IniEncoding::Utf8WithBom);
    const ParsedIni markedIni = ParseIni(marked.text);
    ASSERT_EQ(markedIni.entries.size(), 1u);
    EXPECT_EQ(markedIni.entries[0].key, L"txt");
}

namespace {

// Runs of the checker over settings of a folder of their own, with the test application as the only
// program configured.
struct CheckerRun : testing::Test {
    TempDir dir{L"checker"};
    std::wstring app = ViewAppPath();

    void TearDown() override {
        SetEnv(L"COMMANDER_INI", nullptr);
        SetEnv(L"COMMANDER_PATH", nullptr);
        OptionsIniName[0] = TCIniName[0] = L'\0';
        TolvanierOptions = {};
    }
    std::wstring Ini(const std::string& text) {
        const std::wstring path = dir / L"Tolvanier.ini";
        EXPECT_TRUE(WriteTextFile(path, text));
        return path;
    }
    std::wstring File(const std::wstring& name) {
        EXPECT_TRUE(WriteTextFile(dir / name, "x"));
        return dir / name;
    }
    // The report; status receives the exit status. No message box may open meanwhile. folder: where
    // the checker lies (the test's folder unless given).
    std::wstring Run(std::vector<std::wstring> args, int& status, std::wstring folder = L"") {
        std::wstring error;
        const std::optional<Arguments> parsed = ParseArguments(args, error);
        EXPECT_TRUE(parsed) << WideToUtf8(error);
        std::wstring report;
        const MessageBoxCatcher boxes;
        status = parsed ? RunCheck(*parsed, folder.empty() ? dir.Path() : folder, report) : -1;
        PumpFor(100);
        EXPECT_TRUE(boxes.Boxes().empty()) << "the checker showed a message box";
        return report;
    }
};

bool Has(const std::wstring& report, const std::wstring& line) {
    return report.find(line) != std::wstring::npos;
}

} // namespace

TEST_F(CheckerRun, ApplicationsThePluginWouldNotFindAreProblemsWithTheirMessage) {
    Ini("[Editor]\ntxt=C:\\nowhere\\ed.exe\ndoc,rtf=tolv-no-such-program\nlog=" + WideToUtf8(app) + "\n");
    int status = 0;
    const std::wstring report =
        Run({L"--ini", dir / L"Tolvanier.ini", File(L"a.txt"), File(L"b.log")}, status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(report, L"problem: [Editor] txt (line 2): the plugin would show \"Application not found: "
                            L"C:\\nowhere\\ed.exe\""))
        << WideToUtf8(report);
    EXPECT_TRUE(Has(report,
                    L"problem: [Editor] doc,rtf (line 3): the plugin would show \"Application not found: "
                    L"tolv-no-such-program\""))
        << WideToUtf8(report);
    EXPECT_TRUE(Has(report, L"\nmessage: Application not found: C:\\nowhere\\ed.exe\n"))
        << WideToUtf8(report);
    EXPECT_TRUE(Has(report, L"\nstart: \"" + app + L"\" \"" + (dir / L"b.log") + L"\"\n"))
        << WideToUtf8(report);
    EXPECT_TRUE(Has(report, L"a.txt would not be opened")) << WideToUtf8(report);
}

TEST_F(CheckerRun, HostExtensionsNeedTheHostIni) {
    Ini("[Options]\nUseTCExtensions=1\n");
    int status = 0;
    std::wstring report = Run({L"--ini", dir / L"Tolvanier.ini"}, status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(report,
                    L"problem: [Options] UseTCExtensions (line 2): UseTCExtensions=1, but COMMANDER_INI is "
                    L"not set"))
        << WideToUtf8(report);

    ASSERT_TRUE(WriteTextFile(dir / L"wincmd.ini", "[Extensions]\r\ntxt=C:\\nowhere\\ed.exe ^\r\n"));
    SetEnv(L"COMMANDER_INI", (dir / L"wincmd.ini").c_str());
    report = Run({L"--ini", dir / L"Tolvanier.ini"}, status);
    EXPECT_FALSE(Has(report, L"COMMANDER_INI is not set")) << WideToUtf8(report);
    EXPECT_TRUE(Has(report, L"problem: [Extensions] txt: the plugin would show \"Application not found: "
                            L"C:\\nowhere\\ed.exe \""))
        << WideToUtf8(report);
}

TEST_F(CheckerRun, ExitStatusAndWhyNothingStarts) {
    Ini("[Options]\nIfIsExtOnly=1\n[Editor]\ntxt=" + WideToUtf8(app) + "\n");
    const std::wstring txt = File(L"a.txt"), xyz = File(L"a.xyz");
    int status = -1;
    std::wstring report = Run({L"--ini", dir / L"Tolvanier.ini", txt}, status);
    EXPECT_EQ(status, 0) << WideToUtf8(report);
    EXPECT_TRUE(Has(report, L"result: no problem (exit status 0)\n")) << WideToUtf8(report);

    report = Run({L"--ini", dir / L"Tolvanier.ini", txt, dir / L"gone.txt"}, status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(report, L"gone.txt: left out, it does not exist")) << WideToUtf8(report);

    // Declined silently at a load; the hotkey still takes the default editor.
    report = Run({L"--ini", dir / L"Tolvanier.ini", xyz}, status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(report, L"nothing would start: IfIsExtOnly=1")) << WideToUtf8(report);
    report = Run({L"--ini", dir / L"Tolvanier.ini", L"--hotkey", xyz}, status);
    EXPECT_TRUE(Has(report, L"notepad.exe\" \"" + xyz + L"\"\n")) << WideToUtf8(report);
    EXPECT_TRUE(Has(report, L"note: this hotkey is off")) << WideToUtf8(report);

    // The second hotkey hands a file whose association holds more than program and file to the shell.
    SetRegistryText(L".tolvck", L"tolvckfile");
    SetRegistryText(L"tolvckfile\\shell\\open\\command", Quoted(app) + L" /view \"%1\"");
    report = Run({L"--ini", dir / L"Tolvanier.ini", L"--system", File(L"a.tolvck")}, status);
    RemoveRegistryKey(L".tolvck");
    RemoveRegistryKey(L"tolvckfile");
    EXPECT_TRUE(status == 0 &&
                Has(report, L"\nstart: (the system's shell opens) " + Quoted(dir / L"a.tolvck")))
        << WideToUtf8(report);

    // A selection in the panel is only ever taken from the main window.
    Ini("[Options]\nTCWindow=0\n[Editor]\ntxt=" + WideToUtf8(app) + "\n");
    report = Run({L"--ini", dir / L"Tolvanier.ini", txt}, status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(report, L"\nnot opened: viewed from the main window the plugin declines (TCWindow=0 and "
                            L"QuickView=0)"))
        << WideToUtf8(report);

    report.clear();
    Arguments missing;
    missing.ini = dir / L"missing.ini";
    EXPECT_EQ(RunCheck(missing, dir.Path(), report), 2);
    std::wstring error;
    EXPECT_FALSE(ParseArguments({L"--hotkey", txt, xyz}, error));
    EXPECT_FALSE(ParseArguments({L"--ini"}, error));
    EXPECT_FALSE(ParseArguments({L"--verbose"}, error));
}

// Where UseSystemAssociations decided, and the third hotkey's menu with what each item starts.
TEST_F(CheckerRun, SystemAssociationsAsTheFallbackAndTheMenu) {
    Ini("[Options]\nUseSystemAssociations=1\n[HotKeys]\nChooseAppFromLister_key=115\n");
    SetRegistryText(L".tolvck", L"tolvckfile");
    SetRegistryText(L"tolvckfile\\shell\\open\\command", Quoted(app) + L" \"%1\"");
    const std::wstring file = File(L"a.tolvck");
    int status = -1;
    const std::wstring load = Run({L"--ini", dir / L"Tolvanier.ini", file}, status);
    const std::wstring menu = Run({L"--ini", dir / L"Tolvanier.ini", L"--choose", file}, status);
    RemoveRegistryKey(L".tolvck");
    RemoveRegistryKey(L"tolvckfile");
    EXPECT_TRUE(
        Has(load, L"  application from the system's association of .tolvck (UseSystemAssociations=1), "
                  L"program " +
                      Quoted(app) + L"\n"))
        << WideToUtf8(load);
    EXPECT_TRUE(Has(load, L"\nstart: " + Quoted(app) + L" " + Quoted(file) + L"\n")) << WideToUtf8(load);
    // The first hotkey's application is the association's: listed once, then the default editor.
    EXPECT_TRUE(status == 0 &&
                Has(menu, L"\n  1. viewapp (the first hotkey's application): " + app + L"\n     start: " +
                              Quoted(app) + L" " + Quoted(file) + L"\n  2. notepad (the default editor): "))
        << WideToUtf8(menu);
    std::wstring error;
    EXPECT_FALSE(ParseArguments({L"--choose", L"--system", file}, error));
}

// For each file, the [Types] line that took it and its type key, in a selection and in the menu.
TEST_F(CheckerRun, TheTypesLineThatTookEachFile) {
    Ini("[HotKeys]\nChooseAppFromLister_key=115\n[Types]\n; comment\n*.tar.gz=tgz\nMakefile;*.mk=make\n"
        "*.=bad type!\n[Editor]\nmake=" +
        WideToUtf8(app) + "\nmake_params=-f %1\n");
    const std::wstring makefile = File(L"Makefile"), tgz = File(L"a.tar.gz");
    int status = -1;
    const std::wstring load = Run({L"--ini", dir / L"Tolvanier.ini", makefile, tgz}, status);
    EXPECT_EQ(status, 1) << "the faulty line is a problem";
    EXPECT_TRUE(
        Has(load, L"\n  " + makefile +
                      L" (no extension; [Types] line 2 of 3 (file line 6) \"Makefile;*.mk=make\": type key "
                      L"make)\n  " +
                      tgz +
                      L" (extension key gz; [Types] line 1 of 3 (file line 5) \"*.tar.gz=tgz\": type key "
                      L"tgz, which [Editor] names no application for, so the extension key decides)\n"))
        << WideToUtf8(load);
    EXPECT_TRUE(Has(load, L"\ntype key make, 1 name:\n  application from [Editor] make=" + app +
                              L"\n  found: " + app + L"\n  template from [Editor] make_params=-f %1\n"))
        << WideToUtf8(load);
    EXPECT_TRUE(Has(load, L"\nproblem: [Types] *. (line 7): \"type!\" is no condition")) << WideToUtf8(load);
    EXPECT_TRUE(Has(load, L"\nstart: " + Quoted(app) + L" -f " + Quoted(makefile) + L"\n"))
        << WideToUtf8(load);
    const std::wstring menu = Run({L"--ini", dir / L"Tolvanier.ini", L"--choose", makefile}, status);
    EXPECT_TRUE(Has(menu, L"\"Makefile;*.mk=make\": type key make)\n  1. viewapp (the first hotkey's "
                          L"application): " +
                              app + L"\n     start: " + Quoted(app) + L" -f " + Quoted(makefile) + L"\n"))
        << WideToUtf8(menu);
    // The system's side knows no type keys.
    const std::wstring system = Run({L"--ini", dir / L"Tolvanier.ini", L"--system", makefile}, status);
    EXPECT_FALSE(Has(system, L"type key")) << WideToUtf8(system);
}

// The checker is not the file manager: the file manager's folder is searched when it is told it.
TEST_F(CheckerRun, ProgramsAreSearchedInTheFileManagersFolderNotTheCheckers) {
    Ini("[Editor]\ntxt=viewapp\n"); // beside this test program, as beside the plugin's host
    const std::wstring txt = File(L"a.txt");
    int status = -1;
    std::wstring report = Run({L"--ini", dir / L"Tolvanier.ini", txt}, status);
    EXPECT_TRUE(status == 1 && Has(report, L"(the file manager's folder is not known here"))
        << WideToUtf8(report);
    SetEnv(L"COMMANDER_PATH", BuildDir().c_str());
    report = Run({L"--ini", dir / L"Tolvanier.ini", txt}, status);
    EXPECT_TRUE(status == 0 && Has(report, L"\nstart: " + Quoted(app) + L" " + Quoted(txt) + L"\n"))
        << WideToUtf8(report);
}

// Without --ini, the file the plugin beside the checker reads, found without making anything.
TEST_F(CheckerRun, SaysWhichSettingsFileItCheckedAndWhy) {
    const std::wstring host = dir / L"host\\", appData = dir / L"appdata",
                       savedAppData = win::EnvironmentValue(L"APPDATA");
    CreateDirectoryW(host.c_str(), nullptr);
    CreateDirectoryW(appData.c_str(), nullptr);
    int status = -1;
    std::wstring report = Run({}, status);
    EXPECT_TRUE(status == 2 && Has(report, L"settings: none") &&
                Has(report, dir / L"Tolvanier.ini (beside the plugin)"))
        << WideToUtf8(report);
    EXPECT_FALSE(FileExistsW(dir / L"Tolvanier.ini"));

    // A folder that does not exist cannot be written either.
    const std::wstring readOnly = dir / L"no such folder\\";
    ASSERT_TRUE(WriteTextFile(host + L"Tolvanier.ini", "[Options]\r\n"));
    SetEnv(L"COMMANDER_INI", (host + L"settings.ini").c_str());
    report = Run({}, status, readOnly);
    EXPECT_TRUE(status == 0 && Has(report, L"settings: " + host +
                                               L"Tolvanier.ini (the plugin's folder cannot be "
                                               L"written: beside the file manager's settings"))
        << WideToUtf8(report);
    SetEnv(L"COMMANDER_INI", nullptr);
    for (const std::wstring& value : {appData, appData + L"\\"}) {
        SetEnv(L"APPDATA", value.c_str());
        report = Run({}, status, readOnly);
        EXPECT_TRUE(status == 2 && Has(report, L" " + appData +
                                                   L"\\Tolvanier\\Tolvanier.ini (the plugin's folder "
                                                   L"cannot be written and COMMANDER_INI is not set"))
            << WideToUtf8(report);
        EXPECT_FALSE(FileExistsW(appData + L"\\Tolvanier"));
    }
    SetEnv(L"APPDATA", savedAppData.empty() ? nullptr : savedAppData.c_str());
}

// TolvanierCheck.exe in every language: the same lines, each beginning with the same mark (on a
// finding, with its place) that scripts read, the rest translated, and UTF-8 on a pipe; [Options]
// Language chooses the language when --language does not.
TEST_F(CheckerRun, EveryLanguageKeepsTheMarksScriptsRead) {
    const std::string viewapp = WideToUtf8(app);
    Ini("[Options]\nListerState=3\nLanguage=de\n[HotKeys]\nAppFromLister_key=113\n[Editor]\ntxt=" + viewapp +
        "\nlog=C:\\nowhere\\ed.exe\n,md=" + viewapp + "\n[Types]\n*.x=t\n*.X=u\n");
    const std::wstring files =
        L" " + Quoted(File(L"a.txt")) + L" " + Quoted(File(L"b.log")) + L" " + Quoted(dir / L"gone.txt");
    const auto run = [&](const std::wstring& language) {
        const ProgramRun r = RunProgram(Quoted(BuildDir() + L"TolvanierCheck.exe") + L" --ini " +
                                            Quoted(dir / L"Tolvanier.ini") + language + files,
                                        10000);
        EXPECT_EQ(r.status, 1u) << r.output;
        EXPECT_EQ(WideToUtf8(Utf8ToWide(r.output)), r.output) << "not UTF-8";
        std::vector<std::wstring> lines;
        for (std::wistringstream in(Utf8ToWide(r.output)); !in.eof();)
            std::getline(in, lines.emplace_back());
        return lines;
    };
    const std::vector<std::wstring> english = run(L" --language en");
    // A mark reaches to its first ": " (on a finding, to the one after its place), or is the whole line.
    const std::wstring marks[] = {L"settings: ",
                                  L"file manager INI",
                                  L"file manager folder",
                                  L"problem: ",
                                  L"note: ",
                                  L"where the plugin acts:",
                                  L"  takes: ",
                                  L"  declines: ",
                                  L"hotkey ",
                                  L"Find Files search text: ",
                                  L"grouping: ",
                                  L"  found: ",
                                  L"  not found: ",
                                  L"message: ",
                                  L"start: ",
                                  L"nothing would start: ",
                                  L"not opened: ",
                                  L"result: "};
    size_t marked = 0;
    for (const config::Language& language : config::PresentLanguages()) {
        const std::vector<std::wstring> report = run(L" --language " + language.code);
        ASSERT_EQ(report.size(), english.size()) << WideToUtf8(language.code);
        EXPECT_TRUE(language.code == L"en" || report != english)
            << WideToUtf8(language.code) << " is English";
        for (size_t i = 0; i < english.size(); ++i) {
            const std::wstring& line = english[i];
            if (std::none_of(std::begin(marks), std::end(marks),
                             [&](const auto& m) { return line.starts_with(m); }))
                continue;
            size_t end = line.find(L": ");
            if (line.starts_with(L"problem: ") || line.starts_with(L"note: "))
                end = line.find(L": ", end + 2);
            end = end == std::wstring::npos ? line.size() : end + 2;
            EXPECT_EQ(report[i].substr(0, end), line.substr(0, end)) << WideToUtf8(language.code);
            ++marked;
        }
    }
    EXPECT_GT(marked, 5 * 20u);
    EXPECT_EQ(run(L""), run(L" --language de")) << "[Options] Language does not choose the report's language";
}
