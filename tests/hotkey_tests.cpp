// The hotkeys inside an active Lister, driven by real key events (SendInput) on this thread, which
// plays the host's user-interface thread. The application started is a copy of the test application;
// its log shows every command line it was started with.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "config/ini.h"
#include "config/options.h"
#include "host/hotkeys.h"
#include "hoststub/host_standin.h"
#include "plugin/exports.h"
#include "shared/process.h"
#include "shared/state.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "tests/support/viewing_session.h"
#include "win/text.h"

using namespace testing_support;

namespace {

constexpr WORD kF2 = VK_F2; // 113

// Holds the modifiers, presses and releases vk, releases the modifiers, and lets the thread take the
// events from its queue (the hook runs then).
void Press(WORD vk, std::initializer_list<WORD> modifiers = {}) {
    for (WORD m : modifiers)
        SendKey(m, false);
    SendKey(vk, false);
    SendKey(vk, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        SendKey(*it, true);
    PumpFor(150);
}

void ReleaseAllKeys() {
    BYTE state[256] = {};
    SetKeyboardState(state);
}

// A modal message box opened on this thread is read and dismissed from a timer.
std::vector<std::wstring> g_boxTexts;
void CALLBACK DismissMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", nullptr);
    DWORD pid = 0;
    if (!box || (GetWindowThreadProcessId(box, &pid), pid != GetCurrentProcessId())) return;
    wchar_t caption[64] = {};
    wchar_t text[512] = {};
    GetWindowTextW(box, caption, 64);
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    g_boxTexts.push_back(std::wstring(caption) + L"|" + text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// The registry of the menu's tests: the made-up extension, its classes and applications.
const wchar_t* const kMenuKeys[] = {L"TolvanierTestFile",
                                    L".tolvhk",
                                    L"TolvZqUserProg",
                                    L"TolvZqProg",
                                    L"TolvZqGone",
                                    L"Applications\\tolvrecent1.exe",
                                    L"Applications\\tolvrecent2.exe",
                                    L"Applications\\tolvlist.exe"};
const wchar_t kUserFileExts[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.tolvhk";

void SetValue(HKEY root, const std::wstring& keyPath, const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

struct HotKeys : testing::Test {
    hoststub::HostStandIn host;
    // A folder per test: an application still ending from one test never blocks the next one's copy.
    TempDir dir{L"hotkeys_" + Utf8ToWide(testing::UnitTest::GetInstance()->current_test_info()->name())};
    std::wstring app = dir / L"app.exe";
    std::wstring sysApp = dir / L"sysapp.exe";
    std::wstring file = dir / L"doc.tolvhk";
    std::wstring log = dir / L"app.log";
    HWND lister = nullptr;

    void SetUp() override {
        ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), app.c_str(), FALSE));
        ASSERT_TRUE(WriteTextFile(file, "text"));
        SetEnv(L"TOLVANIER_VIEWAPP_LOG", log.c_str());
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
        ASSERT_TRUE(win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini"));
        TCIniName[0] = L'\0';
        hInstance = GetModuleHandleW(nullptr);
        hwTCMain = hwMain = host.CreateMainWindow();
        lister = host.CreateLister();
        ShowWindow(lister, SW_SHOW);
        Activate(lister);
        FileNameByListerWindow.clear();
        FileNameByListerWindow[lister] = file;
        ReleaseAllKeys();
        InstallKeyboardHook();
        ASSERT_NE(KeyboardHook, nullptr);
        // The clock counts from the start of the process: hotkeys work once more than a second has
        // passed since the last start.
        while (ClockNow() < 1100)
            PumpFor(50);
        ctLastHotKeyFromLister = 0;
    }
    void TearDown() override {
        for (const wchar_t* key : kMenuKeys)
            RemoveRegistryKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kUserFileExts);
        ReleaseAllKeys();
        RemoveKeyboardHook();
        FileNameByListerWindow.clear();
        TolvanierOptions = {};
        hwTCMain = hwMain = nullptr;
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", nullptr);
        SetEnv(L"TOLVANIER_VIEWAPP_LOG", nullptr);
    }

    void Activate(HWND w) {
        SetForegroundWindow(w);
        SetActiveWindow(w);
        PumpFor(20);
        ASSERT_EQ(GetActiveWindow(), w);
    }
    // Writes the plugin INI and reads the options from it, as a load would.
    void Configure(const std::string& hotKeys, const std::wstring& editorApp) {
        const std::string ini = "[Editor]\r\ntolvhk=" + WideToUtf8(editorApp) + "\r\n[HotKeys]\r\n" + hotKeys;
        ASSERT_TRUE(WriteTextFile(OptionsIniName, ini));
        TolvanierOptions = config::ReadOptionBlock(OptionsIniName);
    }
    void Configure(const std::string& hotKeys) { Configure(hotKeys, app); }
    // The system's association of the made-up extension: only written through HKEY_CLASSES_ROOT.
    static void Associate(const std::wstring& command) {
        SetRegistryText(L".tolvhk", L"TolvanierTestFile");
        SetRegistryText(L"TolvanierTestFile\\shell\\open\\command", command);
    }
    // The extension's "Open with" lists: recent choices of the user (MRUList "ba"), a class of the user's
    // that names the first hotkey's program in other letters, a class with arguments of its own, one
    // whose program is gone, and an application registered for the extension.
    std::wstring Program(const wchar_t* name) {
        const std::wstring path = dir / name;
        EXPECT_TRUE(CopyFileW(ViewAppPath().c_str(), path.c_str(), FALSE));
        return path;
    }
    void RegisterOpenWithLists() {
        auto command = [](const std::wstring& program, const wchar_t* arguments) {
            return L"\"" + program + L"\" " + arguments;
        };
        Associate(command(Program(L"sysapp.exe"), L"\"%1\""));
        const std::wstring recent = kUserFileExts + std::wstring(L"\\OpenWithList");
        for (const auto& [name, text] :
             {std::pair{L"a", L"tolvrecent1.exe"}, {L"b", L"tolvrecent2.exe"}, {L"MRUList", L"ba"}})
            SetValue(HKEY_CURRENT_USER, recent, name, text);
        SetValue(HKEY_CURRENT_USER, kUserFileExts + std::wstring(L"\\OpenWithProgids"), L"TolvZqUserProg",
                 L"");
        SetRegistryText(L"Applications\\tolvrecent1.exe\\shell\\open\\command",
                        command(Program(L"tolvrecent1.exe"), L"%1"));
        SetRegistryText(L"Applications\\tolvrecent2.exe\\shell\\open\\command",
                        command(Program(L"tolvrecent2.exe"), L"\"%1\""));
        SetRegistryText(L"TolvZqUserProg\\shell\\open\\command", command(dir / L"APP.EXE", L"\"%1\""));
        for (const wchar_t* name : {L"TolvZqGone", L"TolvZqProg"})
            SetValue(HKEY_CLASSES_ROOT, L".tolvhk\\OpenWithProgids", name, L"");
        SetRegistryText(L"TolvZqGone\\shell\\open\\command", command(dir / L"gone.exe", L"\"%1\""));
        SetRegistryText(L"TolvZqProg\\shell\\open\\command",
                        command(Program(L"tolvprog.exe"), L"/tolvown \"%1\""));
        SetRegistryText(L".tolvhk\\OpenWithList\\tolvlist.exe", L"");
        // A program with a version resource: the module's, under another name.
        ASSERT_TRUE(CopyFileW(ModulePath().c_str(), (dir / L"tolvlist.exe").c_str(), FALSE));
        SetRegistryText(L"Applications\\tolvlist.exe\\shell\\open\\command",
                        command(dir / L"tolvlist.exe", L"\"%1\""));
    }
    // Allows the next hotkey at once instead of waiting out the second since the last one.
    void LiftDebounce() { ctLastHotKeyFromLister = ClockNow() - 2000; }

    std::vector<std::wstring> Launches(size_t expected, DWORD timeoutMs = 3000) {
        return ReadLogLines(log, expected, timeoutMs);
    }
    // Presses vk until count starts are logged: Wine now and then runs nothing at all for a start.
    std::vector<std::wstring> PressUntilLaunched(WORD vk, size_t count = 1) {
        std::vector<std::wstring> lines;
        for (int attempt = 0; attempt < 2 && lines.size() < count; ++attempt) {
            DeleteFileW(log.c_str());
            LiftDebounce();
            Press(vk);
            lines = Launches(count);
        }
        return lines;
    }
};

bool Mentions(const std::wstring& line, const std::wstring& part) {
    return line.find(part) != std::wstring::npos;
}

} // namespace

TEST_F(HotKeys, ConfiguredKeyWithExactlyItsModifiersStartsTheApplication) {
    Configure("AppFromLister_key=113\r\nAppFromLister_mod=C\r\n");
    // Wrong modifier states first: nothing starts and the clock stays.
    Press(kF2);
    Press(kF2, {VK_CONTROL, VK_SHIFT});
    Press(kF2, {VK_SHIFT});
    Press(VK_F3, {VK_CONTROL});
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
    EXPECT_TRUE(Launches(0, 300).empty());

    Press(kF2, {VK_CONTROL});
    auto lines = Launches(1);
    if (lines.empty()) { // the platform now and then starts nothing: once more
        LiftDebounce();
        Press(kF2, {VK_CONTROL});
        lines = Launches(1);
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Mentions(lines[0], app)) << lines[0];
    EXPECT_TRUE(Mentions(lines[0], file)) << lines[0];
    EXPECT_NE(ctLastHotKeyFromLister, 0);
}

TEST_F(HotKeys, CommandLineLongerThanTheOldBufferStartsWhole) {
    // A template near its 8135-unit limit makes a line well past 8196 units.
    const std::string params(8100, 'p');
    const std::string ini = "[Editor]\r\ntolvhk=" + WideToUtf8(app) + "\r\ntolvhk_params=" + params +
                            " %1\r\n[HotKeys]\r\nAppFromLister_key=113\r\n";
    ASSERT_TRUE(WriteTextFile(OptionsIniName, ini));
    TolvanierOptions = config::ReadOptionBlock(OptionsIniName);
    const std::vector<std::wstring> lines = PressUntilLaunched(kF2);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_GT(lines[0].size(), 8196u);
    EXPECT_TRUE(Mentions(lines[0], Utf8ToWide(params) + L" \"" + file + L"\"")) << "cut somewhere";
}

TEST_F(HotKeys, ModifierKeysAloneNeverStartAnything) {
    Configure("AppFromLister_key=17\r\nAppFromLister_mod=C\r\nDefSysAppFromLister_key=16\r\n"
              "DefSysAppFromLister_mod=S\r\n");
    Press(VK_CONTROL);
    Press(VK_SHIFT);
    // Alt alone would open the window's menu; its event goes straight to the hook procedure.
    Configure("AppFromLister_key=18\r\nAppFromLister_mod=A\r\n");
    BYTE state[256] = {};
    state[VK_MENU] = 0x80;
    SetKeyboardState(state);
    HookKeyboardProc(HC_ACTION, VK_MENU, 0);
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
    EXPECT_TRUE(Launches(0, 300).empty());
}

TEST_F(HotKeys, LowerCaseModifiersCountAsNone) {
    Configure("AppFromLister_key=113\r\nAppFromLister_mod=sc\r\n");
    Press(kF2, {VK_CONTROL, VK_SHIFT});
    Press(kF2, {VK_CONTROL});
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
    Press(kF2);
    EXPECT_NE(ctLastHotKeyFromLister, 0);
}

TEST_F(HotKeys, ModifierStatesMatchExactly) {
    struct Case {
        const wchar_t* spec;
        BYTE held; // bit 0 Shift, bit 1 Ctrl, bit 2 Alt
    };
    const Case cases[] = {{L"", 0},   {L"S", 1},   {L"C", 2}, {L"CS", 3},  {L"A", 4}, {L"AS", 5},
                          {L"CA", 6}, {L"SCA", 7}, {L"x", 0}, {L"scA", 4}, {L"SS", 1}};
    for (const Case& c : cases) {
        for (BYTE held = 0; held < 8; ++held) {
            BYTE state[256] = {};
            state[VK_SHIFT] = (held & 1) ? 0x80 : 0;
            state[VK_CONTROL] = (held & 2) ? 0x80 : 0;
            state[VK_MENU] = (held & 4) ? 0x80 : 0;
            SetKeyboardState(state);
            EXPECT_EQ(IsRightModState(c.spec), held == c.held)
                << "spec " << WideToUtf8(c.spec) << " held " << int(held);
        }
    }
}

TEST_F(HotKeys, OneSecondDebounceCoversTheKeyUpThenLifts) {
    Configure("AppFromLister_key=113\r\n");
    SendKey(kF2, false);
    PumpFor(100);
    const int32_t launched = ctLastHotKeyFromLister;
    ASSERT_NE(launched, 0);
    SendKey(kF2, true);
    PumpFor(100);
    EXPECT_EQ(ctLastHotKeyFromLister, launched) << "the key-up within a second started nothing";
    // A second later the key works again.
    while (ClockNow() - launched <= 1050)
        PumpFor(50);
    Press(kF2);
    EXPECT_NE(ctLastHotKeyFromLister, launched);
    const auto lines = Launches(2);
    EXPECT_LE(lines.size(), 2u);
    EXPECT_GE(lines.size(), 1u) << "no start ran at all";
}

TEST_F(HotKeys, BothHotKeysOnOneKeyStartTwoApplications) {
    ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), sysApp.c_str(), FALSE));
    Associate(L"\"" + sysApp + L"\" \"%1\"");
    Configure("AppFromLister_key=113\r\nDefSysAppFromLister_key=113\r\n");
    std::vector<std::wstring> lines = PressUntilLaunched(kF2, 2);
    ASSERT_EQ(lines.size(), 2u);
    // Both start within one key event; the order of their log lines is theirs, not the plugin's.
    const bool configuredSeen =
        std::any_of(lines.begin(), lines.end(), [&](auto& l) { return Mentions(l, app); });
    const bool systemSeen =
        std::any_of(lines.begin(), lines.end(), [&](auto& l) { return Mentions(l, sysApp); });
    EXPECT_TRUE(configuredSeen);
    EXPECT_TRUE(systemSeen);
}

// An association that needs arguments of its own opens the file through the shell, which keeps them;
// one that is only the program and the file gets the program with the extension's template.
TEST_F(HotKeys, SystemHotKeyKeepsTheArgumentsTheAssociationNeeds) {
    ASSERT_TRUE(CopyFileW(ViewAppPath().c_str(), sysApp.c_str(), FALSE));
    Configure("DefSysAppFromLister_key=113\r\n");
    const struct {
        std::wstring command;
        std::wstring started;
    } cases[] = {{L"\"" + sysApp + L"\" /tolvown \"%1\"", L"/tolvown"},
                 {L"\"" + sysApp + L"\" \"%1\"", L"\"" + sysApp + L"\" \"" + file + L"\""}};
    for (const auto& c : cases) {
        Associate(c.command);
        const std::vector<std::wstring> lines = PressUntilLaunched(kF2);
        ASSERT_EQ(lines.size(), 1u) << c.command;
        EXPECT_TRUE(Mentions(lines[0], c.started) && Mentions(lines[0], file)) << lines[0];
    }
    // Names past the shell's 259 characters, in a deep folder: the shell gets the short form where the
    // volume has one (long components); with none (components short already), the association's
    // program is started with the whole name. Either way the program gets a name that opens the file.
    Associate(cases[0].command);
    std::wstring deep = dir.Path(), flat = dir.Path();
    for (wchar_t c = L'a'; deep.size() < 300; ++c) {
        deep += std::wstring(50, c) + L"\\";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    for (int i = 100; flat.size() < 300; ++i) {
        flat += L"d" + std::to_wstring(i) + L"\\";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + flat).c_str(), nullptr));
    }
    for (const std::wstring& folder : {deep, flat}) {
        const std::wstring longFile = folder + L"doc.tolvhk";
        ASSERT_TRUE(WriteTextFile(L"\\\\?\\" + longFile, "deep text"));
        FileNameByListerWindow[lister] = longFile;
        MessageBoxCatcher failures;
        const std::vector<std::wstring> lines = PressUntilLaunched(kF2);
        for (const std::wstring& text : failures.Texts())
            ADD_FAILURE() << WideToUtf8(text);
        ASSERT_EQ(lines.size(), 1u) << WideToUtf8(longFile);
        const std::vector<std::wstring> args = ArgumentsOf(lines[0]);
        ASSERT_EQ(args.size(), 3u) << WideToUtf8(lines[0]);
        EXPECT_EQ(args[1], L"/tolvown");
        const bool shortForm = folder == deep;
        EXPECT_EQ(args[2].size() <= 259, shortForm) << WideToUtf8(args[2]);
        EXPECT_EQ(ReadFileBytes(shortForm ? args[2] : L"\\\\?\\" + args[2]), "deep text")
            << WideToUtf8(args[2]);
    }
    FileNameByListerWindow[lister] = file;

    // A configured application that is no program (here a document of the associated kind) is opened
    // by the shell, as a double-click would: through its association.
    const std::wstring document = dir / L"helper.tolvhk";
    ASSERT_TRUE(WriteTextFile(document, "text"));
    Associate(cases[0].command);
    Configure("AppFromLister_key=113\r\n", document);
    const std::vector<std::wstring> lines = PressUntilLaunched(kF2);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Mentions(lines[0], L"/tolvown") && Mentions(lines[0], document)) << lines[0];
}

// With UseSystemAssociations=1 the first hotkey opens a type nothing configures in its association.
TEST_F(HotKeys, FirstHotKeyTakesTheSystemsAssociationForWhatNothingConfigures) {
    Associate(L"\"" + Program(L"sysapp.exe") + L"\" \"%1\"");
    Configure("AppFromLister_key=113\r\n", L"");
    TolvanierOptions.UseSystemAssociations = true;
    const std::vector<std::wstring> lines = PressUntilLaunched(kF2);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Mentions(lines[0], sysApp) && Mentions(lines[0], file)) << lines[0];
}

TEST_F(HotKeys, NothingInTheQuickViewPanel) {
    Configure("AppFromLister_key=113\r\n");
    HWND quickView = host.CreateLister(true);
    ShowWindow(quickView, SW_SHOW);
    FileNameByListerWindow[quickView] = file;
    Activate(hwMain);
    Press(kF2);
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
}

TEST_F(HotKeys, EnablingFlagsChangeOnlyWhenTheOptionsAreReadAgain) {
    Configure("");
    ASSERT_FALSE(TolvanierOptions.AppFromLister_key);
    WriteTextFile(OptionsIniName,
                  "[Editor]\r\ntolvhk=" + WideToUtf8(app) + "\r\n[HotKeys]\r\nAppFromLister_key=113\r\n");
    Press(kF2);
    EXPECT_EQ(ctLastHotKeyFromLister, 0) << "the flag was false at the last reading";
    TolvanierOptions = config::ReadOptionBlock(OptionsIniName);
    Press(kF2);
    EXPECT_NE(ctLastHotKeyFromLister, 0);
    // A key written as a name is enabled but reads as 0 and never matches.
    LiftDebounce();
    const int32_t before = ctLastHotKeyFromLister;
    Configure("AppFromLister_key=F2\r\n");
    ASSERT_TRUE(TolvanierOptions.AppFromLister_key);
    Press(kF2);
    EXPECT_EQ(ctLastHotKeyFromLister, before);
}

TEST_F(HotKeys, MissingApplicationShowsItsBoxAndTheThreadGoesOn) {
    const std::wstring missing = dir / L"missing\\nothere.exe";
    Configure("AppFromLister_key=113\r\n", missing);
    g_boxTexts.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissMessageBox);
    SendKey(kF2, false);
    PumpFor(300);
    // No command came back: the clock stays, so the key-up tries again (with the Lister active again).
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
    Activate(lister);
    SendKey(kF2, true);
    PumpFor(300);
    KillTimer(nullptr, timer);
    const std::wstring expected = L"Tolvanier|Application not found:\n" + missing;
    EXPECT_EQ(g_boxTexts, (std::vector<std::wstring>{expected, expected}));
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
    EXPECT_TRUE(Launches(0, 100).empty());

    // Found, but no program: one box that says so; the clock moved, so the key-up does not try again.
    const std::wstring notAProgram = dir / L"notaprogram.exe";
    ASSERT_TRUE(WriteTextFile(notAProgram, "text, not a program"));
    Configure("AppFromLister_key=113\r\n", notAProgram);
    g_boxTexts.clear();
    const UINT_PTR again = SetTimer(nullptr, 0, 50, DismissMessageBox);
    Activate(lister);
    Press(kF2);
    PumpFor(300);
    KillTimer(nullptr, again);
    ASSERT_EQ(g_boxTexts.size(), 1u);
    const std::wstring head =
        L"Tolvanier|Application could not be started:\n\"" + notAProgram + L"\" \"" + file + L"\"\n";
    EXPECT_EQ(g_boxTexts[0].substr(0, head.size()), head);
    EXPECT_NE(ctLastHotKeyFromLister, 0);
}

TEST_F(HotKeys, ListerWithoutRecordedFileStartsNothing) {
    Configure("AppFromLister_key=113\r\n");
    FileNameByListerWindow.clear();
    Press(kF2);
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
}

TEST_F(HotKeys, HookIsConfinedToTheHostThread) {
    RemoveKeyboardHook();
    EXPECT_EQ(KeyboardHook, nullptr);
    hwMain = nullptr;
    InstallKeyboardHook();
    EXPECT_EQ(KeyboardHook, nullptr) << "no host window: no hook, never one for the whole desktop";
    hwMain = hwTCMain;
    InstallKeyboardHook();
    HHOOK first = KeyboardHook;
    ASSERT_NE(first, nullptr);
    InstallKeyboardHook();
    EXPECT_EQ(KeyboardHook, first) << "an installed hook is kept";
}

TEST_F(HotKeys, LastListerClosedRemovesTheHook) {
    HWND other = host.CreateLister();
    FileNameByListerWindow[other] = file;
    HWND child = CreateWindowExW(0, L"TStandInPlain", L"", WS_CHILD, 0, 0, 1, 1, lister, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND otherChild = CreateWindowExW(0, L"TStandInPlain", L"", WS_CHILD, 0, 0, 1, 1, other, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    ListCloseWindow(child);
    EXPECT_NE(KeyboardHook, nullptr);
    ListCloseWindow(otherChild);
    EXPECT_EQ(KeyboardHook, nullptr);
    EXPECT_TRUE(FileNameByListerWindow.empty());
}

TEST_F(HotKeys, AnEditTakesEffectAtTheNextKeyEvent) {
    // Written just now: read at every event.
    Configure("AppFromLister_key=113\r\n");
    Press(VK_F3);
    ASSERT_TRUE(WriteTextFile(OptionsIniName, "[Editor]\r\ntolvhk=" + WideToUtf8(app) +
                                                  "\r\n[HotKeys]\r\nAppFromLister_key=114\r\n"));
    std::vector<std::wstring> lines = PressUntilLaunched(VK_F3);
    ASSERT_EQ(lines.size(), 1u);

    // Written long ago: the values are kept while the file's time stamp and size stay.
    Configure("AppFromLister_key=113\r\n");
    ASSERT_TRUE(AgeFile(OptionsIniName, 60));
    LiftDebounce();
    Press(VK_F3);
    const unsigned long long reads = config::IniPlatformReads();
    Press(VK_F3);
    Press(VK_F4);
    EXPECT_EQ(config::IniPlatformReads(), reads) << "an unchanged file is not read again";
    EXPECT_EQ(Launches(0, 300).size(), 1u);

    // An edit of the same size whose time stamp is old as well: the next key event sees it.
    ASSERT_TRUE(WriteTextFile(OptionsIniName, "[Editor]\r\ntolvhk=" + WideToUtf8(app) +
                                                  "\r\n[HotKeys]\r\nAppFromLister_key=115\r\n"));
    ASSERT_TRUE(AgeFile(OptionsIniName, 30));
    for (int attempt = 0; attempt < 2 && lines.size() < 2; ++attempt) {
        LiftDebounce();
        Press(VK_F4);
        lines = Launches(2);
    }
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(HotKeys, ChooseMenuListsEachProgramOnceInOrderAndStartsTheChosenOne) {
    RegisterOpenWithLists();
    Configure("ChooseAppFromLister_key=113\r\n");
    std::vector<std::wstring> expected = {
        L"app",         L"sysapp",   L"tolvrecent2",
        L"tolvrecent1", L"tolvprog", L"Tolvanier viewer plugin: opens viewed files in outside applications",
        L"notepad"}; // Wine's has no description
    if (SystemHasOpenWithDialog()) expected.insert(expected.end(), {L"", L"Choose another application..."});
    // The fifth application has arguments of its own: the shell opens the file with its class.
    std::vector<std::wstring> lines;
    for (int attempt = 0; attempt < 2 && lines.empty(); ++attempt) {
        MenuDriver menu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
        LiftDebounce();
        Press(kF2);
        EXPECT_EQ(menu.Items(), expected);
        lines = Launches(1);
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Mentions(lines[0], dir / L"tolvprog.exe") && Mentions(lines[0], L"/tolvown") &&
                Mentions(lines[0], file))
        << lines[0];
    EXPECT_NE(ctLastHotKeyFromLister, 0);
}

TEST_F(HotKeys, ChooseMenuEscapeStartsNothingAndOnlyTheKeyGoingDownOpensIt) {
    Configure("ChooseAppFromLister_key=113\r\nChooseAppFromLister_mod=C\r\n");
    {
        MenuDriver menu({VK_ESCAPE}, 1000);
        Press(kF2); // without Ctrl: no menu
        EXPECT_TRUE(menu.Items().empty());
    }
    MenuDriver menu({VK_ESCAPE});
    Press(kF2, {VK_CONTROL});
    EXPECT_EQ(menu.Items().front(), L"app");
    // A repeat of the key held down, and its release, open nothing.
    BYTE state[256] = {};
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    MenuDriver none({VK_ESCAPE}, 500);
    HookKeyboardProc(HC_ACTION, kF2, 0x40000001);
    HookKeyboardProc(HC_ACTION, kF2, static_cast<LPARAM>(0xC0000001u));
    EXPECT_TRUE(none.Items().empty());
    EXPECT_EQ(ctLastHotKeyFromLister, 0);
    EXPECT_TRUE(Launches(0, 300).empty());
}
