// The load decision's pure rules: the gates on the active window, Viewertype against Shift, and the
// temporary-copy test.
#include <gtest/gtest.h>

#include "plugin/exports.h"
#include "plugin/load.h"
#include "shared/state.h"

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

TEST(LoadRules, TemporaryCopyNeedsTheFolderAndTheMarker) {
    const std::wstring temp = L"C:\\Users\\u\\AppData\\Local\\Temp";
    EXPECT_TRUE(IsTemporaryCopy(temp + L"\\_tc\\a.txt", temp));
    EXPECT_FALSE(IsTemporaryCopy(temp + L"\\other\\a.txt", temp));
    EXPECT_FALSE(IsTemporaryCopy(L"D:\\_tc\\a.txt", temp));
    EXPECT_FALSE(IsTemporaryCopy(temp + L"\\_TC\\a.txt", temp)) << "the marker compares exactly";
    EXPECT_FALSE(IsTemporaryCopy(L"D:\\_tc\\a.txt", L"")) << "an unusable folder matches nothing";
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
