// The existence test for many names at once must give exactly the answers of FileExists one name at
// a time, for every kind of name; and the command lists built from it must be those built from
// FileExists.
#include <gtest/gtest.h>

#include <windows.h>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/commands.h"
#include "config/file_kinds.h"
#include "config/ini.h"
#include "config/options.h"
#include "config/params.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "win/text.h"

using namespace testing_support;
using config::FileKinds;
using config::FileKindsCounts;
using config::FolderListing;
using config::ListingQueryOf;

namespace {

std::vector<uint8_t> OneByOne(const std::vector<std::wstring>& names) {
    std::vector<uint8_t> kinds;
    for (const auto& name : names)
        kinds.push_back(FileExists(name));
    return kinds;
}

// Compares name by name so that a failure shows the name.
void ExpectSameAsOneByOne(const std::vector<std::wstring>& names, FileKindsCounts* counts = nullptr) {
    const std::vector<uint8_t> fast = FileKinds(names, counts);
    const std::vector<uint8_t> slow = OneByOne(names);
    ASSERT_EQ(fast.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(static_cast<int>(fast[i]), static_cast<int>(slow[i])) << "name: " << WideToUtf8(names[i]);
}

void MakeDir(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << WideToUtf8(path);
}

} // namespace

TEST(ListingQuery, PlainNamesAreAnsweredByTheirFolder) {
    auto q = ListingQueryOf(L"C:\\dir\\a b.txt");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->folder, L"C:\\dir\\");
    EXPECT_EQ(q->component, L"a b.txt");
    q = ListingQueryOf(L"C:\\dir\\sub\\"); // one trailing backslash is removed, as FileExists does
    ASSERT_TRUE(q);
    EXPECT_EQ(q->folder, L"C:\\dir\\");
    EXPECT_EQ(q->component, L"sub");
    q = ListingQueryOf(L"Z:\\f\u00e4lder\\ a,b;c=d[e]#%&'+.txt"); // odd but plain, folder not ASCII
    ASSERT_TRUE(q);
    EXPECT_EQ(q->component, L" a,b;c=d[e]#%&'+.txt");
}

TEST(ListingQuery, NamesOnlyTheirOwnSearchAnswersExactly) {
    const wchar_t* const searched[] = {L"",
                                       L"\\",
                                       L"C:\\dir\\\\",
                                       L"C:",
                                       L"C:\\",
                                       L"name.txt",
                                       L"C:name.txt",
                                       L"C:\\dir\\*.txt",
                                       L"C:\\dir\\a?.txt",
                                       L"C:\\dir\\a<b",
                                       L"C:\\dir\\a>b",
                                       L"C:\\dir\\a\"b",
                                       L"C:\\dir\\a|b",
                                       L"C:\\dir\\a:stream",
                                       L"C:\\dir/a.txt",
                                       L"C:\\dir\\PROGRA~1",
                                       L"C:\\dir\\a.",
                                       L"C:\\dir\\a ",
                                       L"C:\\dir\\.",
                                       L"C:\\dir\\..",
                                       L"C:\\dir\\NUL",
                                       L"C:\\dir\\con.txt",
                                       L"C:\\dir\\Com1.log",
                                       L"C:\\dir\\lpt9",
                                       L"C:\\dir\\aux .c",
                                       L"C:\\dir\\CONOUT$",
                                       L"C:\\dir\\f\u00e4.txt",
                                       L"C:\\dir\\a\tb",
                                       L"\\\\server\\share\\a.txt",
                                       L"\\\\?\\C:\\dir\\a.txt",
                                       L"C:\\d*r\\a.txt",
                                       L"C:\\d\u0001r\\a.txt"};
    for (const wchar_t* name : searched)
        EXPECT_FALSE(ListingQueryOf(name)) << WideToUtf8(name);
    EXPECT_FALSE(ListingQueryOf(L"C:\\dir\\a" + std::wstring(1, L'\0') + L"b"));
    EXPECT_TRUE(ListingQueryOf(L"C:\\" + std::wstring(257, L'n'))) << "listed as it is searched";
    EXPECT_FALSE(ListingQueryOf(L"C:\\" + std::wstring(32764, L'n'))) << "no path is that long";
    EXPECT_TRUE(ListingQueryOf(L"C:\\dir\\console.txt")) << "only the device names themselves";
    EXPECT_TRUE(ListingQueryOf(L"C:\\dir\\com10"));
}

TEST(FolderListingRules, CaseInsensitiveKindsAndTheCasesItLeavesOpen) {
    FolderListing listing;
    listing.Add(L"Read Me.TXT", false);
    listing.Add(L"Subdir", true);
    listing.Add(L"mixed", false);
    listing.Add(L"MIXED", true);
    listing.Add(L"same", false);
    listing.Add(L"SAME", false);
    listing.Add(L"\u017f.c", false); // long s: upper case of it is "S" in the file system's rules
    EXPECT_EQ(listing.KindOf(L"read me.txt"), 1);
    EXPECT_EQ(listing.KindOf(L"READ ME.txt"), 1);
    EXPECT_EQ(listing.KindOf(L"sUBDIR"), 16);
    EXPECT_EQ(listing.KindOf(L"Same"), 1) << "variants of one kind answer alike";
    EXPECT_FALSE(listing.KindOf(L"mixed"))
        << "variants of two kinds: which one the search meets is not known";
    EXPECT_FALSE(listing.KindOf(L"s.c")) << "a non-ASCII entry of the same length might match";
    EXPECT_EQ(listing.KindOf(L"s.cc"), 0);
    EXPECT_EQ(listing.KindOf(L"absent"), 0);
}

TEST(FolderListingRules, AttributesAnswerOnlyFoundAndNotThere) {
    EXPECT_EQ(config::KindFromAttributes(true, FILE_ATTRIBUTE_ARCHIVE, 0), 1);
    EXPECT_EQ(config::KindFromAttributes(true, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, 0), 16);
    EXPECT_EQ(config::KindFromAttributes(false, 0, ERROR_FILE_NOT_FOUND), 0);
    EXPECT_EQ(config::KindFromAttributes(false, 0, ERROR_PATH_NOT_FOUND), 0);
    for (DWORD error : {ERROR_ACCESS_DENIED, ERROR_INVALID_NAME, ERROR_SHARING_VIOLATION, ERROR_BAD_NETPATH})
        EXPECT_FALSE(config::KindFromAttributes(false, 0, error)) << error;
}

struct FileKindsOnDisk : testing::Test {
    TempDir dir{L"file_kinds"};
    std::wstring Touch(const std::wstring& name) {
        EXPECT_TRUE(WriteTextFile(dir / name, "x")) << WideToUtf8(name);
        return dir / name;
    }
};

TEST_F(FileKindsOnDisk, EveryKindOfNameGetsTheAnswerOfItsOwnSearch) {
    std::vector<std::wstring> names;
    // Enough plain files that the folder is listed.
    for (int i = 0; i < 40; ++i)
        names.push_back(Touch(L"plain" + std::to_wstring(i) + L".txt"));
    const std::wstring odd[] = {L" leading space.txt",
                                L"a,b;c=d[e]#%&'+{}!@$^().log",
                                L"UPPER.TXT",
                                L"noext",
                                L"two.dots.tar.gz",
                                L"f\u00e4\u00f1\u00df.txt",
                                L"\u017f.c",
                                L"x\u00b9.txt",
                                L"a long name with spaces and more than eight.characters"};
    for (const auto& name : odd)
        Touch(name);
    MakeDir(dir / L"Sub");
    MakeDir(dir / L"sub.dir");
    Touch(L"Sub\\inner.txt");
    // The short name the platform gives a long name, if it gives one.
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW((dir / odd[8]).c_str(), shortName, MAX_PATH);

    const std::wstring queries[] = {L"upper.txt",
                                    L"Upper.Txt",
                                    L"UPPER.TXT",
                                    L"PLAIN1.TXT",
                                    L" leading space.txt",
                                    L"leading space.txt",
                                    L"a,b;c=d[e]#%&'+{}!@$^().log",
                                    L"noext",
                                    L"NOEXT",
                                    L"two.dots.tar.gz",
                                    L"f\u00e4\u00f1\u00df.txt",
                                    L"F\u00c4\u00d1\u00df.TXT",
                                    L"s.c",
                                    L"S.C",
                                    L"\u017f.c",
                                    L"x\u00b9.txt",
                                    L"x1.txt",
                                    odd[8],
                                    L"Sub",
                                    L"SUB",
                                    L"sub\\",
                                    L"Sub\\\\",
                                    L"sub.dir",
                                    L"SUB.DIR\\",
                                    L"Sub\\inner.txt",
                                    L"Sub\\INNER.TXT\\",
                                    L"gone.txt",
                                    L"plain1.txt.",
                                    L"plain1.txt ",
                                    L"plain1.txt. .",
                                    L"plain*.txt",
                                    L"plain?.txt",
                                    L"*",
                                    L"sub*",
                                    L"<lain1.txt",
                                    L"plain1.txt:stream",
                                    L".",
                                    L"..",
                                    L"nul",
                                    L"con.txt",
                                    L"Sub\\..\\noext",
                                    L".\\noext",
                                    L"Sub\\..\\gone",
                                    L"PLAIN1~1.TXT",
                                    L"A LONG~1",
                                    L"sub/inner.txt",
                                    L"noext" + std::wstring(1, L'\0') + L"tail",
                                    std::wstring(300, L'n'),
                                    std::wstring(1, L'\0')};
    for (const auto& q : queries)
        names.push_back(dir / q);
    if (shortName[0]) names.push_back(shortName);
    names.push_back(dir.Path());                       // the folder itself, with its trailing backslash
    names.push_back(dir.Path() + L"gone\\inside.txt"); // a folder that is not there
    names.push_back(dir / L"plain0.txt\\inside");      // a folder that is a file
    // A name of exactly 259 units, and the same name one unit longer.
    const std::wstring exact = dir / std::wstring(kPathCapacity - 1 - dir.Path().size(), L'e');
    ASSERT_TRUE(WriteTextFile(exact, "x"));
    names.push_back(exact);
    names.push_back(exact + L"e");
    names.push_back(L"");
    names.push_back(L"\\");

    FileKindsCounts counts;
    ExpectSameAsOneByOne(names, &counts);
    EXPECT_EQ(counts.listings, 1u) << "the folder was listed";
    EXPECT_GE(counts.fromListings, 40u);
    EXPECT_GT(counts.searchedAlone, 20u) << "the odd names were searched one by one";

    // The same names once the folder holds far more entries than names asked of it: not listed to
    // the end, the plain names are answered by their attributes.
    for (int i = 0; i < 400; ++i)
        Touch(L"filler" + std::to_wstring(i));
    ExpectSameAsOneByOne(names, &counts);
    EXPECT_EQ(counts.listings, 0u);
    EXPECT_EQ(counts.fromListings, 0u);
    EXPECT_GE(counts.fromAttributes, 40u);
    EXPECT_GT(counts.searchedAlone, 20u);
}

TEST_F(FileKindsOnDisk, FoldersThatCannotBeListedFallBackToSearchesAndTooLargeOnesToAttributes) {
    // Many names in a folder that is not there, in a folder given through "..", and in a folder whose
    // path passes 259 units (listed too, as its names are searched, in the extended-length form).
    std::vector<std::wstring> names;
    MakeDir(dir / L"a");
    std::wstring deep = dir.Path();
    while (deep.size() <= 259)
        MakeDir(deep += std::wstring(100, L'd') + L"\\");
    for (int i = 0; i < 20; ++i) {
        names.push_back(dir / (L"missing\\f" + std::to_wstring(i)));
        names.push_back(dir / (L"a\\..\\f" + std::to_wstring(i)));
        names.push_back(deep + L"f" + std::to_wstring(i));
        if (i % 2) Touch(L"f" + std::to_wstring(i));
        if (i % 3) WriteTextFile(deep + L"f" + std::to_wstring(i), "x");
    }
    FileKindsCounts counts;
    ExpectSameAsOneByOne(names, &counts);
    EXPECT_EQ(counts.listings, 2u);
    EXPECT_EQ(counts.searchedAlone, 20u);

    // A folder far larger than the names asked of it is not listed to the end.
    const std::wstring big = dir / L"big\\";
    MakeDir(big);
    for (size_t i = 0; i < config::kListingMinNames * config::kListingEntriesPerName + 10; ++i)
        WriteTextFile(big + L"e" + std::to_wstring(i), "");
    std::vector<std::wstring> few;
    for (size_t i = 0; i < config::kListingMinNames; ++i)
        few.push_back(big + L"E" + std::to_wstring(i * 3));
    ExpectSameAsOneByOne(few, &counts);
    EXPECT_EQ(counts.listings, 0u);
    EXPECT_EQ(counts.fromAttributes, few.size());
    EXPECT_EQ(counts.searchedAlone, 0u);
    // Few names in a folder are searched one by one.
    few.resize(config::kListingMinNames - 1);
    ExpectSameAsOneByOne(few, &counts);
    EXPECT_EQ(counts.listings, 0u);
}

struct CommandsFromListings : FileKindsOnDisk {
    std::wstring app = dir / L"tolvapp.exe";
    void SetUp() override {
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), app.c_str(), FALSE));
        win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini");
        TolvanierOptions = {};
        TolvanierOptions.ParamsMode = 1;
    }
    void TearDown() override {
        OptionsIniName[0] = L'\0';
        TolvanierOptions = {};
    }
    // The command lines as FileExists one name at a time would give them.
    std::vector<std::wstring> Straightforward(const std::vector<std::wstring>& names) {
        std::vector<config::ExistingName> existing;
        for (const auto& name : names)
            if (const uint8_t kind = FileExists(name)) existing.push_back({name, kind == 16});
        // The lookups as the builder makes them.
        config::AppResolver resolve = [](const config::GroupKey& key) -> std::optional<config::ResolvedApp> {
            wchar_t appPath[kAppPathCapacity];
            bool usedDefaultEditor = false;
            if (!GetAssociatedAppByExt(key.key.c_str(), appPath, false, false, usedDefaultEditor))
                return std::nullopt;
            return config::ResolvedApp{appPath, usedDefaultEditor};
        };
        config::TemplateReader params = [](int mode, const std::wstring& key, bool usedDefaultEditor) {
            std::vector<wchar_t> buffer(kParamsCapacity);
            GetParams(mode, key, buffer.data(), usedDefaultEditor);
            return std::wstring(buffer.data());
        };
        return config::ComposeCommandLines(existing, TolvanierOptions.ParamsMode,
                                           TolvanierOptions.ParamsByExtMode, resolve, params, 32766);
    }
};

TEST_F(CommandsFromListings, SameCommandLinesAsFromOneSearchPerName) {
    ASSERT_TRUE(
        WriteTextFile(OptionsIniName, "[Options]\r\nDefaultEditor=" + WideToUtf8(app) +
                                          "\r\nDefaultEditor_params=-p\r\n[Editor]\r\n:dir_params=-d %1\r\n"
                                          "a,b,c,d,txt_params=-p\r\n"));
    std::vector<std::wstring> names;
    const wchar_t* const exts[] = {L"a", L"B", L"c", L"D", L"txt"};
    for (int i = 0; i < 60; ++i)
        names.push_back(Touch(L"n" + std::to_wstring(i) + L"." + exts[i % 5]));
    MakeDir(dir / L"folder.a");
    names.insert(names.begin() + 7, dir / L"FOLDER.A\\");
    names.insert(names.begin() + 3, dir / L"absent.a");
    names.insert(names.begin() + 9, dir / L"N1*.?");
    names.push_back(dir / L"N2.C");
    names.push_back(names[4]); // twice
    for (int byExt = 0; byExt <= 2; ++byExt) {
        TolvanierOptions.ParamsByExtMode = byExt;
        std::vector<std::wstring> lines;
        GetCommandsList(names, lines, false, false);
        EXPECT_EQ(lines, Straightforward(names)) << "ParamsByExtMode " << byExt;
        EXPECT_FALSE(lines.empty());
    }
}

TEST_F(CommandsFromListings, EachConfigurationValueIsReadOncePerCall) {
    // Ten extensions under one composite key: every lookup falls back to the [Editor] section.
    std::string ini = "[Editor]\r\n";
    std::vector<std::wstring> names;
    for (int e = 0; e < 10; ++e) {
        ini += (e ? "," : "") + std::string("e") + std::to_string(e);
        names.push_back(Touch(L"f" + std::to_wstring(e) + L".e" + std::to_wstring(e)));
    }
    ini += "=" + WideToUtf8(app) + "\r\ne0_params=-p %1\r\n";
    ASSERT_TRUE(WriteTextFile(OptionsIniName, ini));
    std::vector<std::wstring> lines;
    unsigned long long before = config::IniPlatformReads();
    GetCommandsList(names, lines, false, false);
    // One direct read per key, [Editor] and [Types] once each, the template of the application's first
    // key once.
    EXPECT_EQ(config::IniPlatformReads() - before, 10u + 2u + 1u);
    ASSERT_EQ(lines.size(), 1u);

    // Per-file grouping asks for the same template once per file: one read.
    TolvanierOptions.ParamsByExtMode = 2;
    for (int i = 0; i < 5; ++i)
        names.push_back(Touch(L"g" + std::to_wstring(i) + L".e0"));
    lines.clear();
    before = config::IniPlatformReads();
    GetCommandsList(names, lines, false, false);
    EXPECT_EQ(config::IniPlatformReads() - before, 10u + 2u + 1u + 9u)
        << "e1..e9 have no template of their own";
    EXPECT_EQ(lines.size(), 15u);
}

// While a box is open: mends the configuration once, then reads and dismisses the box.
std::string* g_mendedIni = nullptr;
std::vector<std::wstring> g_boxTexts;
void CALLBACK MendAndDismiss(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", nullptr);
    DWORD pid = 0;
    if (!box || (GetWindowThreadProcessId(box, &pid), pid != GetCurrentProcessId()) || !IsWindowVisible(box))
        return;
    if (g_mendedIni) {
        WriteTextFile(OptionsIniName, *g_mendedIni);
        g_mendedIni = nullptr;
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    g_boxTexts.push_back(text);
    ShowWindow(box, SW_HIDE);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(CommandsFromListings, AnEditWhileAMessageBoxIsOpenIsSeenByTheNextKey) {
    // Both keys share a missing application; while the box about the first is open, the user gives
    // the second one an application of its own.
    ASSERT_TRUE(WriteTextFile(OptionsIniName, "[Editor]\r\nk1,k2=tolvmissingapp\r\n"));
    const std::vector<std::wstring> names = {Touch(L"a.k1"), Touch(L"b.k2")};
    std::string mended = "[Editor]\r\nk1=tolvmissingapp\r\nk2=" + WideToUtf8(app) + "\r\n";
    g_mendedIni = &mended;
    g_boxTexts.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, MendAndDismiss);
    std::vector<std::wstring> lines;
    GetCommandsList(names, lines, false, false);
    KillTimer(nullptr, timer);
    g_mendedIni = nullptr;
    EXPECT_EQ(g_boxTexts, (std::vector<std::wstring>{L"Application not found:\ntolvmissingapp"}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"\"" + app + L"\" \"" + names[1] + L"\"");
}
