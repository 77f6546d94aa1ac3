// The load decision's pure rules: the gates on the active window, Viewertype against Shift, and the
// temporary-copy test.
#include <gtest/gtest.h>

#include "config/command_text.h"
#include "plugin/exports.h"
#include "plugin/load.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "win/paths.h"

using namespace testing_support;

namespace {

TTolvanierOptions Defaults() {
    TTolvanierOptions o;
    o.FindFiles = o.SyncDirs = o.TCWindow = o.OverWrite = true;
    return o;
}

GateResult Gate(const TTolvanierOptions& o, const wchar_t* active, bool listerHasParent = false) {
    LoadOrigin origin;
    origin.hasActiveWindow = active != nullptr;
    origin.activeClassName = active ? active : L"";
    origin.listerHasParent = listerHasParent;
    return ApplyLoadGates(o, origin);
}

} // namespace

TEST(LoadGates, DefaultsTakeTheMainWindowAndTheDialogsOnly) {
    const TTolvanierOptions o = Defaults();
    EXPECT_EQ(Gate(o, L"TTOTAL_CMD"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TTOTAL_CMD", true), GateResult::Decline); // quick view
    EXPECT_EQ(Gate(o, L"TFindFile"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TCmpForm"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TOverWriteForm"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TLister"), GateResult::Decline);
    EXPECT_EQ(Gate(o, nullptr), GateResult::Decline);
    EXPECT_EQ(Gate(o, L"SomethingElse"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"ttotal_cmd"), GateResult::Take) << "class names compare exactly: not the main window";
}

TEST(LoadGates, EachOptionOpensOrClosesItsOwnWindowOnly) {
    TTolvanierOptions o = Defaults();
    o.FindFiles = o.SyncDirs = o.OverWrite = o.TCWindow = false;
    EXPECT_EQ(Gate(o, L"TFindFile"), GateResult::Decline);
    EXPECT_EQ(Gate(o, L"TCmpForm"), GateResult::Decline);
    EXPECT_EQ(Gate(o, L"TOverWriteForm"), GateResult::Decline);
    EXPECT_EQ(Gate(o, L"TTOTAL_CMD"), GateResult::Decline);
    o = Defaults();
    o.Lister4 = o.ListerDirectly = o.QuickView = true;
    EXPECT_EQ(Gate(o, L"TLister"), GateResult::Take);
    EXPECT_EQ(Gate(o, nullptr), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TTOTAL_CMD", true), GateResult::TakeInQuickView);
}

TEST(LoadGates, ModalOnlyTakesTheThreeDialogsWhateverTheOtherOptions) {
    TTolvanierOptions o = Defaults();
    o.ModalOnly = true;
    o.FindFiles = o.SyncDirs = o.OverWrite = false;
    o.Lister4 = o.ListerDirectly = o.QuickView = true;
    EXPECT_EQ(Gate(o, L"TFindFile"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TCmpForm"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TOverWriteForm"), GateResult::Take);
    EXPECT_EQ(Gate(o, L"TTOTAL_CMD"), GateResult::Decline);
    EXPECT_EQ(Gate(o, L"TTOTAL_CMD", true), GateResult::Decline);
    EXPECT_EQ(Gate(o, L"TLister"), GateResult::Decline);
    EXPECT_EQ(Gate(o, nullptr), GateResult::Decline);
}

TEST(LoadRules, ViewertypeAgainstShift) {
    EXPECT_TRUE(ViewerTypeWantsSelection(1, false));
    EXPECT_FALSE(ViewerTypeWantsSelection(1, true));
    EXPECT_TRUE(ViewerTypeWantsSelection(0, true));
    EXPECT_TRUE(ViewerTypeWantsSelection(2, true));
    EXPECT_FALSE(ViewerTypeWantsSelection(2, false));
    EXPECT_FALSE(ViewerTypeWantsSelection(3, true));
    EXPECT_FALSE(ViewerTypeWantsSelection(-1, false));
}

TEST(LoadRules, TemporaryCopyLiesUnderAnySpellingOfTheFolderWithTheMarker) {
    // As the load gathers them: TEMP, its short form, and the system's folder from TMP.
    const std::wstring temp = L"C:\\Users\\Anna Maria\\AppData\\Local\\Temp";
    const std::vector<std::wstring> folders = {temp, L"C:\\Users\\ANNAMA~1\\AppData\\Local\\Temp",
                                               L"D:\\Tmp\\"};
    const auto copy = [&](const std::wstring& file) { return IsTemporaryCopy(file, folders); };
    EXPECT_TRUE(copy(temp + L"\\_tc\\a.txt"));
    EXPECT_TRUE(copy(L"C:\\Users\\ANNAMA~1\\AppData\\Local\\Temp\\_tc\\a.txt")) << "short form";
    EXPECT_TRUE(copy(L"C:\\USERS\\anna maria\\appdata\\local\\TEMP\\_tc\\a.txt")) << "letter case";
    EXPECT_TRUE(copy(L"D:\\Tmp\\_tc1\\a.txt")) << "TMP, written with a trailing separator";
    EXPECT_FALSE(copy(temp + L"\\other\\a.txt"));
    EXPECT_FALSE(copy(temp + L"\\_TC\\a.txt")) << "the marker compares exactly";
    EXPECT_FALSE(copy(L"D:\\Tmp2\\_tc\\a.txt")) << "a folder beside it whose name begins alike";
    EXPECT_FALSE(copy(L"E:\\_tc\\D:\\Tmp\\a.txt")) << "the folder not at the start";
    EXPECT_FALSE(IsTemporaryCopy(L"C:\\x_tc\\Temp\\a.txt", {L"C:\\x_tc\\Temp"}))
        << "the marker in the folder";
    EXPECT_FALSE(IsTemporaryCopy(L"C:\\_tc\\a.txt", {L"", L"\\"})) << "unusable folders match nothing";
    EXPECT_TRUE(IsTemporaryCopy(L"C:\\_tc\\a.txt", {L"C:\\"})) << "a drive's root";
}

TEST(LoadRules, TheHostsTemporaryFolderAsThePlatformSpellsIt) {
    TempDir dir(L"load_temporary_folder");
    const std::wstring folder = dir / L"Temporary Files";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring shortForm = win::ShortPathOf(folder);
    ASSERT_NE(shortForm, folder) << "this platform gives names of that length a short form";
    const std::wstring savedTemp = win::EnvironmentValue(L"TEMP"), savedTmp = win::EnvironmentValue(L"TMP");
    // The host extracts where TMP points, here written in lower case; TEMP names another folder.
    SetEnv(L"TEMP", L"C:\\nowhere");
    SetEnv(L"TMP", config::LowerCase(folder).c_str());
    EXPECT_TRUE(IsHostTemporaryCopy(folder + L"\\_tc\\a.txt"));
    EXPECT_TRUE(IsHostTemporaryCopy(shortForm + L"\\_tc\\a.txt"));
    SetEnv(L"TEMP", savedTemp.empty() ? nullptr : savedTemp.c_str());
    SetEnv(L"TMP", savedTmp.empty() ? nullptr : savedTmp.c_str());
}

TEST(LoadRecords, FilesOfClosedListersAreNotKeptForever) {
    // The host calls ListCloseWindow only for a taken load; declined loads of Listers that are gone
    // must not pile up. Each load here is declined right after it was recorded (no active window).
    std::wstring longName(300, L'n');
    FileNameByListerWindow.clear();
    for (int i = 0; i < 3; ++i) {
        HWND lister =
            CreateWindowExW(0, L"STATIC", L"lister", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(lister, nullptr);
        EXPECT_EQ(ListLoadW(lister, longName.data(), 0), nullptr);
        EXPECT_EQ(FileNameByListerWindow.size(), 1u);
        EXPECT_EQ(FileNameByListerWindow.count(lister), 1u);
        DestroyWindow(lister);
    }
    FileNameByListerWindow.clear();
}
