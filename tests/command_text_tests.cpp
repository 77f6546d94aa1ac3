// The text rules of command resolution, driven without the platform.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>

#include "config/command_text.h"
#include "config/commands.h"
#include "config/file_types.h"
#include "config/open_with.h"
#include "config/program_search.h"
#include "shared/command_line.h"
#include "tests/support/test_support.h"

using namespace config;

namespace {

// Lines as the section read returns them: each terminated, closed by an empty line.
std::wstring Section(std::initializer_list<std::wstring> lines) {
    std::wstring s;
    for (const auto& line : lines)
        s += line + std::wstring(1, L'\0');
    return s + std::wstring(1, L'\0');
}

std::wstring Find(const std::wstring& section, const std::wstring& key, bool forApplication) {
    return FindCompositeValue(section, key, forApplication).value_or(L"<none>");
}

} // namespace

TEST(CompositeEntries, ItemsAreComparedExactlyAndTheFirstMatchingLineWins) {
    const std::wstring s = Section({L"comment line", L"TXT,DOC=upper", L"doc,txt,rtf=ed", L"txt, doc=spaced",
                                    L"txt=second", L",log_params=-q", L"doc,txt_params=/a,/b %1"});
    EXPECT_EQ(Find(s, L"txt", true), L"ed");
    EXPECT_EQ(Find(s, L"rtf", true), L"ed");
    EXPECT_EQ(Find(s, L"doc", true), L"ed") << "the item \" doc\" is not doc";
    EXPECT_EQ(Find(s, L" doc", true), L"spaced");
    EXPECT_EQ(Find(s, L"TXT", true), L"upper");
    EXPECT_EQ(Find(s, L"Txt", true), L"<none>");
    EXPECT_EQ(Find(s, L"txt", false), L"/a,/b %1") << "a comma in the value does not end the list";
    EXPECT_EQ(Find(s, L"", false), L"-q") << "a leading comma gives an empty first item";
    EXPECT_EQ(Find(s, L"", true), L"<none>");
}

TEST(CompositeEntries, MarkerAndSeparatorPositions) {
    const std::wstring s =
        Section({L"a=b_params=c", L"txt_paramsX=-q", L"log,=x", L"=novalue", L"c,,d=mid", L"e=", L"e=later"});
    EXPECT_EQ(Find(s, L"a", true), L"b_params=c") << "a marker inside the value does not matter";
    EXPECT_EQ(Find(s, L"a", false), L"<none>");
    EXPECT_EQ(Find(s, L"txt", false), L"-q") << "text between marker and separator is ignored";
    EXPECT_EQ(Find(s, L"txt", true), L"<none>");
    EXPECT_EQ(Find(s, L"", true), L"mid") << "a trailing comma has no empty last item; two commas do";
    EXPECT_EQ(Find(s, L"e", true), L"") << "the first match decides even when its value is empty";
    EXPECT_FALSE(FindCompositeValue(Section({}), L"", true));
    EXPECT_FALSE(FindCompositeValue(L"", L"", true));
}

TEST(CompositeEntries, LinesAfterTheClosingEmptyLineAreNotSeen) {
    std::wstring s = Section({L"x=1"}) + L"txt=hidden" + std::wstring(1, L'\0');
    EXPECT_FALSE(FindCompositeValue(s, L"txt", true));
    EXPECT_EQ(Find(L"txt=unterminated", L"txt", true), L"unterminated");
}

TEST(Cuts, RegistryCommandAndHostCaret) {
    EXPECT_EQ(CutRegistryCommand(L"\"C:\\Program Files\\App\\app.exe\" \"%1\""),
              L"C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(CutRegistryCommand(L"%SystemRoot%\\system32\\NOTEPAD.EXE %1"),
              L"%SystemRoot%\\system32\\NOTEPAD.EXE");
    EXPECT_EQ(CutRegistryCommand(L"C:\\Program Files\\x.exe"), L"C:\\Program");
    EXPECT_EQ(CutRegistryCommand(L"ed.exe"), L"ed.exe");
    EXPECT_EQ(CutRegistryCommand(L" ed.exe"), L"");
    EXPECT_EQ(CutRegistryCommand(L""), L"");
    EXPECT_EQ(CutRegistryCommand(L"\"\" x"), L"");
    EXPECT_FALSE(CutRegistryCommand(L"\"C:\\App\\app.exe %1"));

    EXPECT_EQ(CutAtLastCaret(L"notepad.exe ^"), L"notepad.exe ");
    EXPECT_EQ(CutAtLastCaret(L"a^b^c"), L"a^b");
    EXPECT_EQ(CutAtLastCaret(L"plain"), L"plain");
}

TEST(Cuts, OnlyPlainOpenCommandsAreCutTheRestGoToTheShell) {
    for (const wchar_t* plain : {L"\"C:\\App\\app.exe\" \"%1\"", L"app.exe %1", L"app.exe  %L ",
                                 L"\"app.exe\"", L"app.exe", L"", L" app.exe", L"\"C:\\App\\app.exe %1"})
        EXPECT_TRUE(IsPlainOpenCommand(plain)) << plain;
    for (const wchar_t* own : {L"\"msiexec.exe\" /i \"%1\"", L"\"%1\" %*", L"\"%1\"", L"%1",
                               L"rundll32.exe shimgvw.dll,ImageView_Fullscreen %1",
                               L"C:\\Program Files\\x.exe %1", L"app.exe %1 %2"})
        EXPECT_FALSE(IsPlainOpenCommand(own)) << own;
    for (const wchar_t* runs : {L"\"%1\" %*", L"%1", L"\"%L\""})
        EXPECT_TRUE(OpenCommandRunsTheFile(runs)) << runs;
    for (const wchar_t* opens : {L"app.exe \"%1\"", L"", L"\"C:\\%1x\\a.exe\" %1", L"\"%1"})
        EXPECT_FALSE(OpenCommandRunsTheFile(opens)) << opens;

    const CommandParts quoted = SplitCommandLine(L"\"C:\\A B\\ed.exe\" -n \"x.txt\"");
    EXPECT_EQ(quoted.application, L"C:\\A B\\ed.exe");
    EXPECT_EQ(quoted.arguments, L"-n \"x.txt\"");
    EXPECT_EQ(SplitCommandLine(L"ed.exe").arguments, L"");
    EXPECT_EQ(SplitCommandLine(L"\"ed.exe\"  two").arguments, L" two") << "one space belongs to the cut";
    for (const wchar_t* app : {L"C:\\a\\ed.EXE", L"x.com", L"run.bat", L"run.cmd"})
        EXPECT_TRUE(StartsThroughProcessCreation(app)) << app;
    for (const wchar_t* app : {L"C:\\a\\ed.lnk", L"x.ps1", L"site.url", L"devmgmt.msc", L"C:\\a.b\\ed"})
        EXPECT_FALSE(StartsThroughProcessCreation(app)) << app;

    // Past the shell's 259 characters: the short form of the "\\?\" name without its prefix, if it fits.
    const std::wstring fits(259, L'n'), over = L"C:\\" + std::wstring(300, L'n'), unc = L"\\\\s\\" + over;
    EXPECT_EQ(ShellNameOf(fits, L""), fits);
    EXPECT_EQ(ShellNameOf(over, L"\\\\?\\C:\\NNNNNN~1"), L"C:\\NNNNNN~1");
    EXPECT_EQ(ShellNameOf(unc, L"\\\\?\\UNC\\s\\NNNNNN~1"), L"\\\\s\\NNNNNN~1");
    EXPECT_EQ(ShellNameOf(over, L"\\\\?\\" + over), std::nullopt) << "no short names on the volume";
    EXPECT_EQ(ShellNameOf(over, L""), std::nullopt);
    EXPECT_EQ(ShellNameOf(over, L"\\\\?\\C:\\" + std::wstring(257, L's')), std::nullopt);

    // An association's command started with the whole name, as the shell would fill it.
    const std::wstring file = L"C:\\a b\\f.txt", p = L"C:\\Tools\\v.exe";
    const struct {
        const wchar_t* command;
        std::wstring line;
    } fills[] = {
        {L"\"%ProgramFiles%\\v.exe\" /view \"%1\"", L"\"" + p + L"\" /view \"" + file + L"\""},
        {L"v.exe %1 %*", L"\"" + p + L"\" \"" + file + L"\" "},
        {L"v.exe /n=\"%l\" %2 100%%", L"\"" + p + L"\" /n=\"" + file + L"\"  100%"},
        {L"v.exe /new", L"\"" + p + L"\" /new \"" + file + L"\""},
        {L"\"v.exe\"", L"\"" + p + L"\" \"" + file + L"\""},
        {L"v.exe %V %x", L"\"" + p + L"\" \"" + file + L"\" %x"},
    };
    for (const auto& f : fills)
        EXPECT_EQ(FillOpenCommand(f.command, p, file), f.line) << f.command;

    auto upper = [](const std::wstring& piece) { return L"<" + piece + L">"; };
    EXPECT_EQ(ExpandAroundPlaceholders(L"%1 -ini %A%", upper), L"<>%1< -ini %A%>");
    EXPECT_EQ(ExpandAroundPlaceholders(L"-x", upper), L"<-x>");
}

TEST(ProgramSearch, AbsoluteFoldersOnlyInTheirOrderAndNamesNeverWithoutAnExtension) {
    EXPECT_EQ(ProgramSearchFolders(
                  L"C:\\TC\\", L"C:\\windows\\system32", L"C:\\windows",
                  L".;tools;..\\bin;;C:rel;\\rooted; \"D:\\My Tools\" ;c:\\windows\\;\\\\srv\\share\\bin"),
              (std::vector<std::wstring>{L"C:\\TC\\", L"C:\\windows\\system32", L"C:\\windows",
                                         L"D:\\My Tools", L"\\\\srv\\share\\bin"}));
    EXPECT_EQ(ProgramSearchFolders(L"", L"", L"", L""), std::vector<std::wstring>{});
    EXPECT_TRUE(IsAbsolutePath(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(IsAbsolutePath(L"\\\\"));

    EXPECT_EQ(ProgramExtensions(L""), (std::vector<std::wstring>{L".com", L".exe", L".bat", L".cmd"}));
    EXPECT_EQ(ProgramExtensions(L".PY;;bad;.\\x;.a.b;.CMD;.cmd"),
              (std::vector<std::wstring>{L".py", L".cmd", L".exe"}));
    using Rounds = std::vector<std::vector<std::wstring>>;
    EXPECT_EQ(ProgramNameRounds(L"code", L"", {L".com", L".cmd"}), (Rounds{{L"code.com", L"code.cmd"}}));
    EXPECT_EQ(ProgramNameRounds(L"ed", L".cmd", {L".com"}), (Rounds{{L"ed.cmd"}, {L"ed.exe"}}));
    EXPECT_EQ(ProgramNameRounds(L"", L"", {L".exe"}), Rounds{});

    // Viewing never runs a program, script, installer or shortcut: PATHEXT adds its own.
    for (const wchar_t* key : {L"exe", L"BAT", L"js", L"lnk", L"msi", L"ps1", L"py"})
        EXPECT_TRUE(RunsWhenOpened(key, {L".py"})) << key;
    for (const wchar_t* key : {L"pdf", L"txt", L"", L"exe1", L"xlsx"})
        EXPECT_FALSE(RunsWhenOpened(key, {L".py"})) << key;
}

TEST(OpenWithMenu, RecentChoicesOrderOnePlacePerProgramAndLabels) {
    EXPECT_EQ(OrderByMruList(L"cxab", {{L"a", L"A.exe"}, {L"b", L""}, {L"c", L"C.exe"}, {L"d", L"D.exe"}}),
              (std::vector<std::wstring>{L"C.exe", L"A.exe", L"D.exe"}))
        << "listed first, unlisted after, empty and unknown left out";
    EXPECT_EQ(OrderByMruList(L"aa", {{L"a", L"A.exe"}, {L"A", L"B.exe"}}),
              (std::vector<std::wstring>{L"A.exe", L"B.exe"}));
    EXPECT_EQ(
        FirstPlaceOfEachProgram({L"C:\\a\\Ed.exe", L"C:\\b\\ed.exe", L"c:\\A\\ED.EXE", L"C:\\b\\ed.exe"}),
        (std::vector<size_t>{0, 1}));

    const struct {
        std::vector<std::wstring> programs, descriptions, labels;
    } cases[] = {
        {{L"C:\\a\\ed.exe", L"C:\\b\\view.exe"}, {L"Editor", L""}, {L"Editor", L"view"}},
        {{L"C:\\a\\ed.exe", L"C:\\b\\ED2.exe"},
         {L"Editor", L"editor"},
         {L"Editor (ed.exe)", L"editor (ED2.exe)"}},
        {{L"C:\\a\\ed.exe", L"C:\\b\\Ed.exe", L"C:\\c\\x.exe"},
         {L"", L"", L"ed"},
         {L"ed (C:\\a\\ed.exe)", L"Ed (C:\\b\\Ed.exe)", L"ed (x.exe)"}},
        {{L"C:\\a.b\\tool", L"ed.v2.exe"}, {}, {L"tool", L"ed.v2"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MenuLabels(c.programs, c.descriptions), c.labels) << c.programs[0];
    EXPECT_EQ(MenuItemText(L"R&D && more"), L"R&&D &&&& more");

    // The module's own version resource, whole and cut short.
    const HMODULE module =
        LoadLibraryExW(testing_support::ModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(resource, nullptr);
    const auto* block = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
    const size_t size = SizeofResource(module, resource);
    EXPECT_EQ(DescriptionInVersionResource(block, size),
              L"Tolvanier viewer plugin: opens viewed files in outside applications");
    for (size_t cut = 0; cut < size; cut += 7)
        EXPECT_EQ(DescriptionInVersionResource(block, cut), L"") << cut;
    FreeLibrary(module);
}

TEST(ExtensionKeys, FromTheWholeLastComponent) {
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d\\b.TXT", false), L"txt");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d.x\\noext", false), L"");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d\\dot.", false), L"");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d\\a.tar.GZ", false), L"gz");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d\\.Hidden", false), L"hidden");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d\\file.txt\\", false), L"");
    EXPECT_EQ(ExtensionKeyOf(L"C:a.Log", false), L"log");
    EXPECT_EQ(ExtensionKeyOf(L"C:/d.x/y", false), L"");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\d\\sub.txt", true), L":dir");
    // A name far longer than the runtime splitter's 260 units keeps the extension of its real end.
    const std::wstring longName = L"C:\\" + std::wstring(300, L'a') + L".Md";
    EXPECT_EQ(ExtensionKeyOf(longName, false), L"md");
    EXPECT_EQ(ExtensionKeyOf(L"C:\\x.txt\\" + std::wstring(300, L'b'), false), L"");
}

TEST(Quoting, TrailingBackslashesAreDoubledInsideTheQuotes) {
    EXPECT_EQ(QuoteName(L"C:\\a b\\c.txt"), L"\"C:\\a b\\c.txt\"");
    EXPECT_EQ(QuoteName(L"C:\\dir\\"), L"\"C:\\dir\\\\\"");
    EXPECT_EQ(QuoteName(L"C:\\dir\\\\"), L"\"C:\\dir\\\\\\\\\"");
    EXPECT_EQ(QuoteName(L"C:\\a\\b%PATH%"), L"\"C:\\a\\b%PATH%\"");
}

TEST(Quoting, NamesGoIntoTheTemplate) {
    EXPECT_EQ(InsFileNamesToParams(L"", L"\"a\" \"b\""), L"\"a\" \"b\"");
    EXPECT_EQ(InsFileNamesToParams(L"-t", L"\"a\""), L"\"a\" -t");
    EXPECT_EQ(InsFileNamesToParams(L"-r %1 x %1", L"\"a\""), L"-r \"a\" x %1");
    EXPECT_EQ(InsFileNamesToParams(L"\"%1\"", L"\"a\""), L"\"\"a\"\"");
    EXPECT_EQ(InsFileNamesToParams(L"%1", L"\"%1\""), L"\"%1\"");
}

TEST(SplitPath, LikeTheRuntimeSplitter) {
    PathParts p = SplitPath(L"C:\\Tools\\ed.x.exe");
    EXPECT_EQ(p.drive, L"C:");
    EXPECT_EQ(p.directory, L"\\Tools\\");
    EXPECT_EQ(p.baseName, L"ed.x");
    EXPECT_EQ(p.extension, L".exe");
    p = SplitPath(L"\\\\server\\share\\ed");
    EXPECT_EQ(p.drive, L"");
    EXPECT_EQ(p.directory, L"\\\\server\\share\\");
    EXPECT_EQ(p.baseName, L"ed");
    EXPECT_EQ(p.extension, L"");
}

namespace {

// A recorded run of the composition with fixed answers per key and template per (mode, key).
struct Composer {
    std::map<std::wstring, ResolvedApp> apps;
    std::map<std::wstring, std::wstring> templates; // "mode|key|flag"
    std::vector<std::wstring> lookups, templateRequests;

    config::AppResolver Resolver() {
        return [&](const GroupKey& key) -> std::optional<ResolvedApp> {
            // A type key resolved in [Editor] reads "key+" here.
            const std::wstring ext = key.key + (key.typeInEditor ? L"+" : L"");
            lookups.push_back(ext);
            auto it = apps.find(ext);
            if (it == apps.end()) return std::nullopt;
            return it->second;
        };
    }
    config::TemplateReader Reader() {
        return [&](int m, const std::wstring& key, bool flag) {
            const std::wstring request = std::to_wstring(m) + L"|" + key + L"|" + (flag ? L"1" : L"0");
            templateRequests.push_back(request);
            return templates.count(request) ? templates[request] : std::wstring();
        };
    }
    std::vector<std::wstring> Run(const std::vector<ExistingName>& names, int mode, int byExt,
                                  size_t limit = 32766) {
        return ComposeCommandLines(names, mode, byExt, Resolver(), Reader(), limit);
    }
    std::vector<std::wstring> Run(const std::vector<std::wstring>& names, const std::vector<uint8_t>& kinds,
                                  int mode, int byExt) {
        return ComposeCommandLines(names, kinds, mode, byExt, Resolver(), Reader(), 32766);
    }
};

} // namespace

TEST(Composition, LookupsOncePerKeyInKeyOrderAndTemplatesPerCommand) {
    Composer c;
    c.apps[L"txt"] = {L"P", true};
    c.apps[L"log"] = {L"P", false};
    c.apps[L""] = {L"Q", false};
    c.templates[L"0|P|0"] = L"-app %1";
    const std::vector<ExistingName> names = {{L"b.TXT"}, {L"n"},  {L"a.txt"}, {L"x.Log"},
                                             {L"y.zip"}, {L"d."}, {L"a.txt"}};
    EXPECT_EQ(c.Run(names, 0, 7),
              (std::vector<std::wstring>{L"\"P\" -app \"x.Log\" \"b.TXT\" \"a.txt\" \"a.txt\"",
                                         L"\"Q\" \"n\" \"d.\""}));
    EXPECT_EQ(c.lookups, (std::vector<std::wstring>{L"", L"log", L"txt", L"zip"}));
    EXPECT_EQ(c.templateRequests, (std::vector<std::wstring>{L"0|P|0", L"0|Q|0"}))
        << "the default-editor flag is that of the application's first key";

    Composer perFile = c;
    perFile.lookups.clear();
    perFile.templateRequests.clear();
    EXPECT_EQ(perFile.Run(names, 1, 2).size(), 5u) << "a name passed twice gives one command per file";
    EXPECT_TRUE(perFile.Run(names, 2, 0).empty());
    EXPECT_TRUE(perFile.Run(names, 1, 3).empty());
    EXPECT_EQ(perFile.lookups.size(), 12u) << "the lookups happen even when no command is produced";
}

TEST(Composition, NamesWithTheKindsTheExistenceTestGaveComposeAsTheExistingOnes) {
    Composer c;
    c.apps[L"txt"] = {L"T", false};
    c.apps[L"log"] = {L"L", true};
    c.apps[config::kDirectoryKey] = {L"D", false};
    c.templates[L"1|txt|0"] = L"-t %1";
    const std::vector<std::wstring> names = {L"b.txt", L"gone.txt", L"sub.txt", L"x.LOG", L"a.txt", L"n.log"};
    const std::vector<uint8_t> kinds = {1, 0, 16, 1, 1, 0};
    const std::vector<ExistingName> existing = {{L"b.txt"}, {L"sub.txt", true}, {L"x.LOG"}, {L"a.txt"}};
    for (const auto& [mode, byExt] : {std::pair{0, 0}, {1, 0}, {1, 1}, {1, 2}}) {
        Composer fromKinds = c, fromExisting = c;
        const auto lines = fromKinds.Run(names, kinds, mode, byExt);
        EXPECT_EQ(lines, fromExisting.Run(existing, mode, byExt)) << mode << byExt;
        EXPECT_FALSE(lines.empty());
        EXPECT_EQ(fromKinds.lookups, fromExisting.lookups);
        EXPECT_EQ(fromKinds.templateRequests, fromExisting.templateRequests);
    }
    EXPECT_TRUE(c.Run(names, std::vector<uint8_t>(names.size(), 0), 1, 0).empty());
    EXPECT_TRUE(c.lookups.empty()) << "no name, no lookup";
}

TEST(Composition, NamesThatDoNotFitOneLineAreSpreadOverSeveral) {
    Composer c;
    c.apps[L"t"] = {L"app", false};
    c.templates[L"1|t|0"] = L"-x %1 -y";
    const std::wstring fixed = L"\"app\" -x  -y"; // 12 units without names
    std::vector<ExistingName> names;
    for (wchar_t ch : std::wstring(L"abcde"))
        names.push_back({std::wstring(1, ch) + L".t"});
    // Each quoted name is 5 units; two names with their space need 11.
    const size_t limit = fixed.size() + 11;
    EXPECT_EQ(c.Run(names, 1, 0, limit),
              (std::vector<std::wstring>{L"\"app\" -x \"a.t\" \"b.t\" -y", L"\"app\" -x \"c.t\" \"d.t\" -y",
                                         L"\"app\" -x \"e.t\" -y"}));
    for (const auto& line : c.Run(names, 1, 0, limit))
        EXPECT_LE(line.size(), limit);
    EXPECT_EQ(c.Run(names, 1, 0, fixed.size() + 11 + 1).size(), 3u);

    // A name that cannot fit alone gets no command; its neighbours keep their order.
    names.insert(names.begin() + 1, {std::wstring(40, L'L') + L".t"});
    EXPECT_EQ(c.Run(names, 1, 0, limit),
              (std::vector<std::wstring>{L"\"app\" -x \"a.t\" -y", L"\"app\" -x \"b.t\" \"c.t\" -y",
                                         L"\"app\" -x \"d.t\" \"e.t\" -y"}));
    EXPECT_TRUE(c.Run({{std::wstring(40, L'L') + L".t"}}, 1, 2, limit).empty());
}

// Names with type keys group and resolve by them; a type key resolved in [Editor] (UseTCExtensions=1)
// stays apart from the extension key of the same text.
TEST(Composition, TypeKeysTakeThePlaceOfExtensionKeys) {
    Composer c;
    c.apps[L"make"] = {L"M", false};
    c.apps[L"log"] = {L"L", false};
    c.apps[L"log+"] = {L"E", false};
    c.apps[L"c"] = {L"M", false};
    c.templates[L"1|make|0"] = L"-f %1";
    const GroupKey make{L"make"}, log{L"log"};
    std::vector<ExistingName> names = {{L"b.c"},
                                       {L"Makefile", false, make},
                                       {L"a.log"},
                                       {L"server.log.1", false, log},
                                       {L"x.mk", false, make}};
    EXPECT_EQ(c.Run(names, 1, 1),
              (std::vector<std::wstring>{L"\"M\" \"b.c\"", L"\"L\" \"a.log\" \"server.log.1\"",
                                         L"\"M\" -f \"Makefile\" \"x.mk\""}));
    EXPECT_EQ(c.lookups, (std::vector<std::wstring>{L"c", L"log", L"make"}));
    EXPECT_EQ(c.Run(names, 1, 0), (std::vector<std::wstring>{L"\"L\" \"a.log\" \"server.log.1\"",
                                                             L"\"M\" \"b.c\" \"Makefile\" \"x.mk\""}))
        << "one command per application, with the template of its first key (c)";

    c.lookups.clear();
    names[3].key->typeInEditor = true;
    EXPECT_EQ(c.Run(names, 1, 1),
              (std::vector<std::wstring>{L"\"M\" \"b.c\"", L"\"L\" \"a.log\"", L"\"E\" \"server.log.1\"",
                                         L"\"M\" -f \"Makefile\" \"x.mk\""}));
    EXPECT_EQ(c.lookups, (std::vector<std::wstring>{L"c", L"log", L"log+", L"make"}));
}

namespace {

// Facts of a file that count how often each is asked.
struct CountedFacts : FileFactsSource {
    std::optional<uint64_t> size;
    FileContent content = FileContent::Text;
    int sizeAsked = 0, contentAsked = 0;
    std::optional<uint64_t> Size() override { return ++sizeAsked, size; }
    FileContent Content() override { return ++contentAsked, content; }
};

TypeLine Line(const std::wstring& text) {
    const size_t eq = text.find(L'=');
    return ParseTypeLine(text.substr(0, eq), eq == std::wstring::npos ? L"" : text.substr(eq + 1),
                         eq != std::wstring::npos);
}

bool Takes(const std::wstring& line, const std::wstring& name, bool isDirectory = false) {
    const TypeLine parsed = Line(line);
    EXPECT_TRUE(parsed.Usable()) << testing_support::WideToUtf8(line);
    return MasksMatch(parsed, SubjectOf(name, isDirectory));
}

} // namespace

TEST(TypeMasks, WildcardsCaseAnchoringPathsFoldersAndExclusions) {
    const struct {
        const wchar_t* line;
        const wchar_t* name;
        bool isDirectory;
        bool takes;
    } cases[] = {
        {L"*.log=t", L"C:\\d\\server.LOG", false, true},
        {L"*.log=t", L"C:\\d\\server.log.1", false, false},
        {L"*.log.?=t", L"C:\\d\\server.log.1", false, true},
        {L"*.log.?=t", L"C:\\d\\server.log.12", false, false},
        {L"?.c=t", L"C:\\d\\ab.c", false, false},
        {L"Makefile=t", L"C:\\d\\makefile", false, true},
        {L"Makefile=t", L"C:\\Makefile\\x.c", false, false},
        {L" Dockerfile ; Dockerfile.* =t", L"C:\\d\\Dockerfile.dev", false, true},
        {L"*.tar.gz=t", L"C:\\d\\backup.TAR.GZ", false, true},
        {L"*.=t", L"C:\\d.x\\LICENSE", false, true},
        {L"*.=t", L"C:\\d\\name.", false, true},
        {L"*.=t", L"C:\\d\\.bashrc", false, false},
        {L"*.=t", L"C:\\d\\a.txt", false, false},
        {L"*\\bin\\*.=t", L"C:\\x\\BIN\\tool", false, true},
        {L"*\\bin\\*.=t", L"C:\\x\\bin\\tool.exe", false, false},
        {L"*\\Projects\\*.txt=t", L"C:\\Users\\me\\projects\\sub\\n.TXT", false, true},
        {L"*\\Projects\\*.txt=t", L"C:\\Users\\me\\Projects.old\\n.txt", false, false},
        {L"*\\Projects\\*.txt=t", L"C:/Users/me/Projects/n.txt", false, true},
        {L"*.txt=t", L"C:\\d\\folder.txt", true, false},
        {L"*.git\\=t", L"C:\\src\\.git", true, true},
        {L"*.git\\=t", L"C:\\src\\.git\\", true, true},
        {L"*.git\\=t", L"C:\\src\\.git", false, false},
        {L"*\\=t", L"C:\\src", true, true},
        {L"*=t", L"C:\\src", true, false},
        {L"*.log|debug*=t", L"C:\\d\\Debug.log", false, false},
        {L"*.log|debug*=t", L"C:\\debug\\app.log", false, true},
        {L"*.log|*\\tmp\\*;x*=t", L"C:\\TMP\\a.log", false, false},
        {L"*\\B\u00dcRO\\*=t", L"C:\\b\u00fcro\\a.txt", false, true},
        {L"\u0414\u041e\u041a*=t", L"C:\\d\\\u0434\u043e\u043a.txt", false, true},
        {L"\u0130*=t", L"C:\\d\\i.txt", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Takes(c.line, c.name, c.isDirectory), c.takes)
            << testing_support::WideToUtf8(c.line) << " / " << testing_support::WideToUtf8(c.name);
    EXPECT_TRUE(GlobMatches(L"a*b*c", L"aXbYbZc"));
    EXPECT_FALSE(GlobMatches(L"a*b*c", L"aXbYbZ"));
    EXPECT_TRUE(GlobMatches(L"**", L""));
    EXPECT_FALSE(GlobMatches(L"?", L""));
}

TEST(TypeLines, TheGrammarAndWhyALineIsSkipped) {
    const struct {
        const wchar_t* line;
        TypeLineFault fault;
        const wchar_t* type;
        const wchar_t* faultWord;
    } cases[] = {
        {L"Makefile;GNUmakefile;*.mk=make", TypeLineFault::None, L"make", L""},
        {L"*.log=BigLog  size>50M", TypeLineFault::None, L"biglog", L""},
        {L"=make", TypeLineFault::NoMask, L"", L""},
        {L"|*.bak=x", TypeLineFault::NoMask, L"", L""},
        {L" ; . ;\\=x", TypeLineFault::NoMask, L"", L""},
        {L"a|b|c=x", TypeLineFault::SecondBar, L"", L""},
        {L"*.x=", TypeLineFault::NoType, L"", L""},
        {L"*.x", TypeLineFault::NoType, L"", L""},
        {L"*.x=ma.ke", TypeLineFault::TypeCharacters, L"ma.ke", L"ma.ke"},
        {L"*.x=\u00e9t\u00e9", TypeLineFault::TypeCharacters, L"\u00e9t\u00e9", L"\u00e9t\u00e9"},
        {L"*.x=log_params", TypeLineFault::TemplateType, L"log_params", L"log_params"},
        {L"*.x=t big", TypeLineFault::UnknownCondition, L"t", L"big"},
        {L"*.x=t size>50MB", TypeLineFault::MalformedSize, L"t", L"size>50MB"},
        {L"*.x=t size > 5", TypeLineFault::MalformedSize, L"t", L"size"},
        {L"*.x=t size>=5", TypeLineFault::MalformedSize, L"t", L"size>=5"},
        {L"*.x=t size>K", TypeLineFault::MalformedSize, L"t", L"size>K"},
        {L"*.x=t size<99999999999G", TypeLineFault::MalformedSize, L"t", L"size<99999999999G"},
    };
    for (const auto& c : cases) {
        const TypeLine line = Line(c.line);
        EXPECT_EQ(line.fault, c.fault) << testing_support::WideToUtf8(c.line);
        EXPECT_EQ(line.type, c.type) << testing_support::WideToUtf8(c.line);
        EXPECT_EQ(line.faultWord, c.faultWord) << testing_support::WideToUtf8(c.line);
    }
    const TypeLine line = Line(L"*.log=t TEXT Size<1k size>3G binary");
    ASSERT_TRUE(line.Usable());
    ASSERT_EQ(line.conditions.size(), 4u);
    EXPECT_EQ(line.conditions[0].kind, ConditionKind::SizeBelow) << "sizes come first";
    EXPECT_EQ(line.conditions[0].bytes, 1024u);
    EXPECT_EQ(line.conditions[1].bytes, 3ull << 30);
    EXPECT_EQ(line.conditions[2].kind, ConditionKind::Text);

    const std::vector<TypeLine> section = ParseTypeSection(
        Section({L"; a comment", L"*.log = log", L"noequals", L"*.LOG=other text", L"*.log;*.log=third"}));
    ASSERT_EQ(section.size(), 4u);
    EXPECT_EQ(section[0].place, 1);
    EXPECT_EQ(section[2].place, 3);
    EXPECT_EQ(section[0].masks, L"*.log");
    EXPECT_EQ(ShadowedTypeLines(section), (std::vector<std::pair<size_t, size_t>>{{2, 0}, {3, 0}}))
        << "masks compare as sets; a faulty line is skipped";
    EXPECT_TRUE(ShadowedTypeLines({Line(L"*.log=a size>1"), Line(L"*.log=b")}).empty())
        << "a line with conditions shadows none";
}

TEST(TypeLines, ConditionsCheapestFirstEachFactAskedOnceAndTheFirstTakingLineDecides) {
    const std::vector<TypeLine> lines = {Line(L"*.log=big size>50M"), Line(L"*.log=bad size>"),
                                         Line(L"*.log=textual text"), Line(L"*.log=raw binary"),
                                         Line(L"*.log=log")};
    const TypeSubject log = SubjectOf(L"C:\\d\\a.log", false);
    CountedFacts small;
    small.size = 10;
    EXPECT_EQ(FirstTakingLine(lines, log, small), 2u);
    EXPECT_EQ(small.contentAsked, 1);
    CountedFacts big;
    big.size = 60ull << 20;
    EXPECT_EQ(FirstTakingLine(lines, log, big), 0u);
    EXPECT_EQ(big.contentAsked, 0) << "a line is taken before its content is needed";
    CountedFacts unreadable;
    unreadable.content = FileContent::Unreadable;
    EXPECT_EQ(FirstTakingLine(lines, log, unreadable), 4u) << "no size, neither text nor binary";
    CountedFacts binary;
    binary.size = 1;
    binary.content = FileContent::Binary;
    EXPECT_EQ(FirstTakingLine(lines, log, binary), 3u);
    CountedFacts folder;
    EXPECT_FALSE(ConditionsHold(Line(L"*=t size<1G"), true, folder)) << "a folder meets no condition";
    EXPECT_EQ(folder.sizeAsked, 0);
    CountedFacts none;
    EXPECT_FALSE(FirstTakingLine(lines, SubjectOf(L"C:\\d\\a.txt", false), none));
    EXPECT_EQ(none.sizeAsked + none.contentAsked, 0) << "conditions only after the masks matched";
    CountedFacts limit;
    limit.size = 1024;
    EXPECT_FALSE(ConditionsHold(Line(L"*=t size>1K"), false, limit));
    EXPECT_FALSE(ConditionsHold(Line(L"*=t size<1K"), false, limit));
}

TEST(TypeLines, TextIsAByteOrderMarkOrNoControlByteButTabsLineEndsFormFeedAndEscape) {
    const auto text = [](const std::string& bytes) {
        return IsTextSample(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    };
    EXPECT_TRUE(text(""));
    EXPECT_TRUE(text("plain\tline\r\n\f\x1b[1m\x7f\x80\xff"));
    EXPECT_FALSE(text(std::string("a\0b", 3)));
    EXPECT_FALSE(text("a\x01"));
    EXPECT_FALSE(text("\x0b"));
    EXPECT_TRUE(text(std::string("\xEF\xBB\xBF\x00", 4)));
    EXPECT_TRUE(text(std::string("\xFF\xFEx\x00", 4)));
    EXPECT_TRUE(text(std::string("\xFE\xFF\x00x", 4)));
    EXPECT_TRUE(text(std::string(kTypeSampleBytes, 'x') + '\0')) << "only the first 4,096 bytes count";
}
