// Start-up: the search for the host's windows and the attach sequence, driven directly.
#include <gtest/gtest.h>

#include "hoststub/host_standin.h"
#include "plugin/startup.h"
#include "shared/state.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

struct HostWindows : testing::Test {
    hoststub::HostStandIn host;
    void TearDown() override { hwMain = hwTCMain = nullptr; }
};

} // namespace

TEST_F(HostWindows, MainWindowFirstThenDialogsInOrder) {
    HWND lister = host.CreateTopLevel(L"TLister", L"lister");
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_EQ(hwMain, lister);
    EXPECT_EQ(hwTCMain, nullptr);

    HWND sync = host.CreateTopLevel(L"TCmpForm", L"sync");
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_EQ(hwMain, sync);

    HWND find = host.CreateTopLevel(L"TFindFile", L"find");
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_EQ(hwMain, find);
    EXPECT_EQ(hwTCMain, nullptr);

    HWND main = host.CreateMainWindow();
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_EQ(hwMain, main);
    EXPECT_EQ(hwTCMain, main);
}

TEST_F(HostWindows, OwnedOrChildWindowsOfTheRightClassAreNotTaken) {
    HWND main = host.CreateTopLevel(L"TStandInPlain", L"owner");
    host.CreateTopLevel(L"TFindFile", L"owned find", true, main);
    EXPECT_EQ(FindMainWindow(L"TFindFile"), nullptr);
    HWND child = CreateWindowExW(0, L"TCmpForm", L"child", WS_CHILD, 0, 0, 10, 10, main, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(FindMainWindow(L"TCmpForm"), nullptr);
    HWND free = host.CreateTopLevel(L"TFindFile", L"free find");
    EXPECT_EQ(FindMainWindow(L"TFindFile"), free);
}

TEST_F(HostWindows, ClassNamesCompareExactly) {
    host.CreateTopLevel(L"TStandInPlain", L"plain");
    EXPECT_EQ(FindMainWindow(L"tstandinplain"), nullptr);
    EXPECT_EQ(FindMainWindow(L"TStandInPlai"), nullptr);
    EXPECT_NE(FindMainWindow(L"TStandInPlain"), nullptr);
}

TEST_F(HostWindows, WindowOfAnotherProcessIsNotTaken) {
    TempDir dir(L"startup_other_process");
    const std::wstring log = dir / L"viewapp.log";
    SetEnv(L"TOLVANIER_VIEWAPP_LOG", log.c_str());
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", L"TTOTAL_CMD");
    SetEnv(L"TOLVANIER_VIEWAPP_MS", L"4000");
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + ViewAppPath() + L"\"";
    HWND foreign = nullptr;
    // Wine now and then fails to start a child at all: retry once.
    for (int attempt = 0; attempt < 2 && !foreign; ++attempt) {
        ASSERT_TRUE(
            CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        WaitForInputIdle(pi.hProcess, 5000);
        for (int i = 0; i < 100 && !foreign; ++i) {
            foreign = FindWindowW(L"TTOTAL_CMD", nullptr);
            if (!foreign) Sleep(30);
        }
        if (!foreign) TerminateProcess(pi.hProcess, 0);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    SetEnv(L"TOLVANIER_VIEWAPP_CLASS", nullptr);
    ASSERT_NE(foreign, nullptr) << "the other process showed no window";
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_EQ(hwTCMain, nullptr);
    EXPECT_EQ(hwMain, nullptr);
    PostMessageW(foreign, WM_CLOSE, 0, 0);
}

TEST(Attach, HostIniPathFromTheEnvironment) {
    SetEnv(L"COMMANDER_INI", nullptr);
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_STREQ(TCIniName, L"%COMMANDER_INI%");

    SetEnv(L"COMMANDER_INI", L"C:\\tc\\wincmd.ini");
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_STREQ(TCIniName, L"C:\\tc\\wincmd.ini");

    // One that does not fit the 260-unit buffer is never cut into another path.
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'x') + L"\\wincmd.ini";
    SetEnv(L"COMMANDER_INI", tooLong.c_str());
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_STREQ(TCIniName, L"");
    const std::wstring fits = L"C:\\" + std::wstring(259 - 3, L'y');
    SetEnv(L"COMMANDER_INI", fits.c_str());
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_EQ(std::wstring(TCIniName), fits);
    SetEnv(L"COMMANDER_INI", nullptr);
}

TEST(Attach, PathsAndStateAreSetAfresh) {
    FileNameByListerWindow[reinterpret_cast<HWND>(0x10)] = L"x";
    AppWindowsByListerWindow[reinterpret_cast<HWND>(0x10)];
    FirstLoad = false;
    AttachPlugin(GetModuleHandleW(nullptr));
    EXPECT_TRUE(FirstLoad);
    EXPECT_TRUE(FileNameByListerWindow.empty());
    EXPECT_TRUE(AppWindowsByListerWindow.empty());
    EXPECT_STREQ(TCListBoxClasName, L"LCLListBox");
    EXPECT_STREQ(TCCheckBoxClasName, L"Button");
    EXPECT_STREQ(TCComboBoxClasName, L"LCLComboBox");
    const std::wstring dir = PluginDirectory;
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_EQ(std::wstring(OptionsIniName), dir + L"Tolvanier.ini");
    WNDCLASSW wc{};
    EXPECT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"SendCopyDataWnd", &wc));
}
