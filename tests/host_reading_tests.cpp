// Reading and driving the host: the directory exchange with the main window, the clipboard, the file
// panel's entries and the Find Files dialog's controls, against the stand-in's real windows.
#include <gtest/gtest.h>

#include <cstring>

#include "host/copydata.h"
#include "host/file_list.h"
#include "hoststub/host_standin.h"
#include "shared/host_names.h"
#include "shared/state.h"
#include "tests/support/test_support.h"
#include "win/handles.h"
#include "win/paths.h"
#include "win/text.h"

using namespace testing_support;
using hoststub::DirectoryReply;

namespace {

constexpr DWORD kReplyBufferBytes = 520;

struct HostReading : testing::Test {
    hoststub::HostStandIn host;
    void SetUp() override {
        hInstance = GetModuleHandleW(nullptr);
        wcSendCopyData.hInstance = hInstance;
        RegisterClassW(&wcSendCopyData);
        hwTCMain = hwMain = host.CreateMainWindow();
        win::CopyTo(TCListBoxClasName, L"LCLListBox");
        win::CopyTo(TCCheckBoxClasName, L"Button");
        win::CopyTo(TCComboBoxClasName, L"LCLComboBox");
        OptionsIniName[0] = L'\0';
    }
    void TearDown() override { hwTCMain = hwMain = nullptr; }
};

// One "SP" exchange into a 520-byte reply buffer that lies inside a larger block prefilled with a
// sentinel, so that any write past the buffer shows.
struct Exchange {
    bool ok = false;
    COPYDATASTRUCT reply{};
    std::vector<BYTE> block = std::vector<BYTE>(kReplyBufferBytes + 64, 0xCD);

    std::wstring Text() const {
        const auto* text = reinterpret_cast<const wchar_t*>(block.data());
        return std::wstring(text, win::BoundedLength(text, kReplyBufferBytes / sizeof(wchar_t)));
    }
    bool TailUntouched() const {
        for (size_t i = kReplyBufferBytes; i < block.size(); ++i)
            if (block[i] != 0xCD) return false;
        return true;
    }
};

Exchange AskDirectory() {
    Exchange e;
    char sp[2] = {'S', 'P'};
    const COPYDATASTRUCT request{kCopyDataRequest, 2, sp};
    e.reply.cbData = kReplyBufferBytes;
    e.reply.lpData = e.block.data();
    e.ok = SendCopyData(request, e.reply);
    return e;
}

std::vector<BYTE> BytesOf(const std::wstring& text, bool terminator) {
    const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + (terminator ? 1 : 0)) * sizeof(wchar_t));
}

} // namespace

TEST_F(HostReading, DirectoryComesBackFromTheMainWindow) {
    host.SetDirectoryReply(DirectoryReply::Normal, L"C:\\work\\dir\\");
    const Exchange e = AskDirectory();
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.reply.dwData, kCopyDataReply);
    EXPECT_EQ(e.reply.cbData, (12u + 1u) * sizeof(wchar_t));
    EXPECT_EQ(e.Text(), L"C:\\work\\dir\\");
    EXPECT_TRUE(e.TailUntouched());
    EXPECT_EQ(host.Log().back(), L"main WM_COPYDATA SP");
    // The helper window lives for one exchange only.
    EXPECT_EQ(FindWindowW(kSendCopyDataClassName, nullptr), nullptr);
}

TEST_F(HostReading, RepliesThatDoNotCountLeaveTheBufferAlone) {
    for (DirectoryReply mode :
         {DirectoryReply::None, DirectoryReply::WrongKind, DirectoryReply::FromOtherWindow}) {
        host.SetDirectoryReply(mode, L"C:\\other\\");
        const Exchange e = AskDirectory();
        EXPECT_FALSE(e.ok) << static_cast<int>(mode);
        EXPECT_EQ(e.reply.dwData, 0u);
        EXPECT_EQ(e.block[0], 0xCD) << "nothing written for mode " << static_cast<int>(mode);
    }
}

TEST_F(HostReading, NoMainWindowSendsNothing) {
    hwTCMain = nullptr;
    host.ClearLog();
    const Exchange e = AskDirectory();
    EXPECT_FALSE(e.ok);
    EXPECT_TRUE(host.Log().empty());
}

TEST_F(HostReading, StaleReplyKindNeverCountsAsAnAnswer) {
    host.SetDirectoryReply(DirectoryReply::None, L"");
    Exchange e;
    char sp[2] = {'S', 'P'};
    const COPYDATASTRUCT request{kCopyDataRequest, 2, sp};
    e.reply = {kCopyDataReply, kReplyBufferBytes, e.block.data()};
    EXPECT_FALSE(SendCopyData(request, e.reply));
    EXPECT_EQ(e.reply.dwData, 0u);
}

TEST_F(HostReading, EmptyPayloadsGiveAnEmptyDirectory) {
    host.SetDirectoryReply(DirectoryReply::Raw, L"", {0, 0});
    Exchange e = AskDirectory();
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.Text(), L"");
    // No bytes at all: still a terminated, empty text.
    host.SetDirectoryReply(DirectoryReply::Raw, L"", {});
    e = AskDirectory();
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.reply.cbData, 0u);
    EXPECT_EQ(e.Text(), L"");
}

TEST_F(HostReading, OverlongOrUnterminatedRepliesStayInsideTheBuffer) {
    // 259 units fit with their terminator exactly; one more is cut to 259.
    for (size_t length : {size_t{259}, size_t{260}, size_t{1000}}) {
        const std::wstring dir(length, L'd');
        host.SetDirectoryReply(DirectoryReply::Raw, L"", BytesOf(dir, true));
        const Exchange e = AskDirectory();
        EXPECT_TRUE(e.ok);
        EXPECT_EQ(e.reply.cbData, (length + 1) * sizeof(wchar_t)) << "the size the host sent";
        EXPECT_EQ(e.Text(), dir.substr(0, 259)) << length;
        EXPECT_TRUE(e.TailUntouched()) << length;
    }
    // No terminator: the text ends right after the payload.
    host.SetDirectoryReply(DirectoryReply::Raw, L"", BytesOf(L"C:\\ab", false));
    Exchange e = AskDirectory();
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.Text(), L"C:\\ab");
    // A whole buffer without a terminator: its last unit becomes one.
    host.SetDirectoryReply(DirectoryReply::Raw, L"", BytesOf(std::wstring(260, L'e'), false));
    e = AskDirectory();
    EXPECT_EQ(e.Text(), std::wstring(259, L'e'));
    EXPECT_TRUE(e.TailUntouched());
    // An odd byte count keeps the whole units only.
    host.SetDirectoryReply(DirectoryReply::Raw, L"", {'C', 0, ':'});
    e = AskDirectory();
    EXPECT_EQ(e.Text(), L"C");
}

TEST_F(HostReading, ClipboardHoldsTheTextWithItsTerminator) {
    for (const std::wstring& text : {std::wstring(L"needle \u00e9\u4e2d"), std::wstring()}) {
        ASSERT_TRUE(SetToClipboardW(CF_UNICODETEXT, hwMain, text.c_str(), true));
        ASSERT_TRUE(OpenClipboard(nullptr)) << "the clipboard was left open";
        EXPECT_EQ(GetClipboardOwner(), hwMain);
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(GlobalSize(data), (text.size() + 1) * sizeof(wchar_t));
        const auto* p = static_cast<const wchar_t*>(GlobalLock(data));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::wstring(p), text);
        EXPECT_EQ(p[text.size()], L'\0');
        GlobalUnlock(data);
        CloseClipboard();
    }
}

TEST_F(HostReading, ClipboardKeepsOtherFormatsUnlessEmptiedFirst) {
    const UINT other = RegisterClipboardFormatW(L"TolvanierTestFormat");
    auto putOther = [&] {
        ASSERT_TRUE(OpenClipboard(hwMain));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
        ASSERT_NE(SetClipboardData(other, block), nullptr);
        CloseClipboard();
    };
    putOther();
    ASSERT_TRUE(SetToClipboardW(CF_UNICODETEXT, hwMain, L"kept", false));
    EXPECT_TRUE(IsClipboardFormatAvailable(other));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    putOther();
    ASSERT_TRUE(SetToClipboardW(CF_UNICODETEXT, hwMain, L"alone", true));
    EXPECT_FALSE(IsClipboardFormatAvailable(other));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(HostReading, PanelEntriesInEachGetTextMode) {
    struct Case {
        int mode;
        std::wstring entry;
        std::vector<std::wstring> added;
    };
    const Case cases[] = {
        {0, L"a.txt 12", {L"a.txt"}},
        {0, L"my file.txt", {L"my"}},
        {1, L"a.txt\t12", {L"a.txt"}},
        {1, L"my file.txt", {L"my file.txt"}},
        {2, L"a.txt\r12", {L"a.txt"}},
        {3, L"a.txt\r\n12", {L"a.txt"}},
        {4, L"x\ta.txt\ty\r12", {L"a.txt"}},
        {5, L"x\ta.txt\r\n12", {L"a.txt"}},
        // Entries that give an empty name add nothing: with the directory in front it would name the
        // panel's own folder.
        {4, L"a.txt\rx", {}},
        {1, L"\ta.txt", {}},
        {7, L"a.txt\t12", {}},
        {-1, L"a.txt\t12", {}},
    };
    for (const Case& c : cases) {
        host.SetPanelEntries({L"first", c.entry});
        std::vector<std::wstring> files{L"earlier"};
        FileToListByIndex(1, files, host.Panel(), c.mode);
        std::vector<std::wstring> expected{L"earlier"};
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(files, expected) << "mode " << c.mode;
    }
}

TEST_F(HostReading, PanelEntriesThatGiveNothing) {
    host.SetPanelEntries({L"", L"a.txt"});
    std::vector<std::wstring> files;
    FileToListByIndex(0, files, host.Panel(), 1); // empty entry
    FileToListByIndex(5, files, host.Panel(), 1); // no such entry: the length query fails
    FileToListByIndex(-1, files, host.Panel(), 1);
    FileToListByIndex(0, files, nullptr, 1);
    FileToListByIndex(0, files, host.MainWindow(), 1); // not a list box
    EXPECT_TRUE(files.empty());
}

TEST_F(HostReading, VeryLongPanelEntryIsReadWhole) {
    const std::wstring name(100000, L'n');
    host.SetPanelEntries({name + L"\t12"});
    std::vector<std::wstring> files;
    FileToListByIndex(0, files, host.Panel(), 1);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], name);
}

namespace {

// A list box whose length query says less than its text holds.
LRESULT CALLBACK UnderReportingListBox(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static const wchar_t kText[] = L"longer-than-said.txt\t1";
    if (message == LB_GETTEXTLEN) return 3;
    if (message == LB_GETTEXT) {
        std::memcpy(reinterpret_cast<wchar_t*>(lParam), kText, sizeof(kText));
        return static_cast<LRESULT>(std::wcslen(kText));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

TEST_F(HostReading, ListBoxThatUnderReportsItsLength) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = UnderReportingListBox;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UnderReportingListBox";
    RegisterClassW(&wc);
    HWND box =
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(box, nullptr);
    std::vector<std::wstring> files;
    FileToListByIndex(0, files, box, 1);
    EXPECT_EQ(files, (std::vector<std::wstring>{L"longer-than-said.txt"}));
    DestroyWindow(box);
}

namespace {

void EnumFindFiles(HWND dialog) {
    EnumChildWindows(dialog, EnumWindowsProc, 0);
}

} // namespace

TEST_F(HostReading, FindFilesCheckBoxStates) {
    for (int state : {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE}) {
        OptionSearchText = state == BST_UNCHECKED;
        HWND dialog = host.CreateFindFiles({5, 116}, {85, 114}, state, L"needle");
        EnumFindFiles(dialog);
        EXPECT_EQ(OptionSearchText, state != BST_UNCHECKED) << "state " << state;
        EXPECT_STREQ(SearchText, L"needle");
        DestroyWindow(dialog);
    }
}

TEST_F(HostReading, FindFilesControlsMatchWithinFiveOfTheirPlace) {
    struct Case {
        POINT combo;
        const wchar_t* comboClass;
        bool found;
    };
    const Case cases[] = {
        {{90, 119}, L"LCLComboBox", true},  {{80, 109}, L"LCLComboBox", true},
        {{91, 114}, L"LCLComboBox", false}, {{85, 120}, L"LCLComboBox", false},
        {{79, 114}, L"LCLComboBox", false}, {{85, 114}, L"TComboBox", true},
        {{85, 114}, L"ComboBox", false},
    };
    for (const Case& c : cases) {
        win::CopyTo(SearchText, L"earlier");
        HWND dialog = host.CreateFindFiles({5, 116}, c.combo, BST_CHECKED, L"found", c.comboClass);
        EnumFindFiles(dialog);
        EXPECT_STREQ(SearchText, c.found ? L"found" : L"earlier")
            << c.comboClass << " at " << c.combo.x << "," << c.combo.y;
        DestroyWindow(dialog);
    }
    // The check box likewise: 10/121 matches, 11/116 does not.
    OptionSearchText = false;
    HWND dialog = host.CreateFindFiles({10, 121}, {0, 0}, BST_CHECKED, L"");
    EnumFindFiles(dialog);
    EXPECT_TRUE(OptionSearchText);
    DestroyWindow(dialog);
    dialog = host.CreateFindFiles({11, 116}, {0, 0}, BST_UNCHECKED, L"");
    EnumFindFiles(dialog);
    EXPECT_TRUE(OptionSearchText) << "a box outside its place leaves the earlier state";
    DestroyWindow(dialog);
}

TEST_F(HostReading, FindFilesControlsOnAScreenAt150Percent) {
    // The platform takes the screen's density when a process starts: the cases run in a process of
    // their own, started while the user's scale is 150 % (144 dots per inch).
    if (GetEnvironmentVariableW(L"TOLVANIER_SCALED_RUN", nullptr, 0) == 0) {
        const DWORD dpi = 144;
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                        sizeof(dpi));
        SetEnv(L"TOLVANIER_SCALED_RUN", L"1");
        const ProgramRun run =
            RunProgram(L"\"" + win::ModuleFileName(nullptr) +
                           L"\" --gtest_filter=HostReading.FindFilesControlsOnAScreenAt150Percent",
                       60000);
        SetEnv(L"TOLVANIER_SCALED_RUN", nullptr);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
        EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
        return;
    }
    // Here, in a process of its own at 144 dots per inch; [TCPos] holds the defaults, places at 100 %.
    const win::UniqueScreenDc screen(GetDC(nullptr));
    ASSERT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSY), 144);
    const struct {
        POINT box, combo;
        bool boxFound, comboFound;
    } cases[] = {
        {{8, 174}, {128, 171}, true, true},    // the places scaled
        {{5, 116}, {85, 114}, true, true},     // the places as written
        {{15, 181}, {135, 178}, true, true},   // 7.5 and 7 from the scaled places: the tolerance scales too
        {{16, 174}, {136, 171}, false, false}, // 8.5 from them
        {{5, 174}, {85, 171}, true, false},    // left as written, top scaled: only the box is near its place
    };
    for (const auto& c : cases) {
        win::CopyTo(SearchText, L"earlier");
        OptionSearchText = false;
        HWND dialog = host.CreateFindFiles(c.box, c.combo, BST_CHECKED, L"found");
        EnumFindFiles(dialog);
        EXPECT_EQ(OptionSearchText, c.boxFound) << c.box.x << "," << c.box.y;
        EXPECT_STREQ(SearchText, c.comboFound ? L"found" : L"earlier") << c.combo.x << "," << c.combo.y;
        DestroyWindow(dialog);
    }
}

TEST_F(HostReading, FindFilesPlacesComeFromTheIniAtEachRead) {
    TempDir dir(L"host_reading_tcpos");
    const std::wstring ini = dir / L"Tolvanier.ini";
    ASSERT_TRUE(win::CopyTo(OptionsIniName, ini));
    WriteTextFile(ini, "[TCPos]\r\nSearchTextLeft=200\r\nSearchTextTop=30\r\n");
    HWND dialog = host.CreateFindFiles({5, 116}, {200, 30}, BST_CHECKED, L"moved");
    win::CopyTo(SearchText, L"earlier");
    EnumFindFiles(dialog);
    EXPECT_STREQ(SearchText, L"moved");
    WriteTextFile(ini, "[TCPos]\r\nSearchTextLeft=300\r\n");
    win::CopyTo(SearchText, L"earlier");
    EnumFindFiles(dialog);
    EXPECT_STREQ(SearchText, L"earlier");
    DestroyWindow(dialog);
    OptionsIniName[0] = L'\0';
}

TEST_F(HostReading, FindFilesSearchTextIsBoundedAndLParamStopsAll) {
    std::fill(std::begin(SearchText), std::end(SearchText), L'x');
    SearchText[kSearchTextCapacity - 1] = L'\0';
    HWND dialog = host.CreateFindFiles({5, 116}, {85, 114}, BST_CHECKED, std::wstring(300, L's'));
    EnumFindFiles(dialog);
    EXPECT_EQ(std::wstring(SearchText), std::wstring(255, L's'));
    EXPECT_EQ(SearchText[256], L'x') << "nothing written past 256 units";

    win::CopyTo(SearchText, L"earlier");
    OptionSearchText = false;
    EnumChildWindows(dialog, EnumWindowsProc, 1);
    EXPECT_STREQ(SearchText, L"earlier");
    EXPECT_FALSE(OptionSearchText);
    DestroyWindow(dialog);
}
