#include "host/hotkeys.h"

#include <vector>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/commands.h"
#include "config/ini.h"
#include "config/messages.h"
#include "config/open_with.h"
#include "config/options.h"
#include "config/shell_start.h"
#include "config/texts.h"
#include "host/host_text.h"
#include "lang/ids.h"
#include "shared/host_names.h"
#include "shared/process.h"
#include "shared/state.h"
#include "win/handles.h"
#include "win/window.h"

namespace {

// Modifier texts are at most 3 characters: a buffer of 4 units.
constexpr unsigned kModifierTextCapacity = 4;

bool IsModifierKey(WPARAM vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
}

// More than one second since the last hotkey start.
bool DebounceOver() {
    return ElapsedMs(ctLastHotKeyFromLister) / 1000.0 > 1.0;
}

// The [HotKeys] values as the file holds them now.
struct HotKeyValues {
    int appKey = 0;
    std::wstring appMod;
    int sysKey = 0;
    std::wstring sysMod;
    int chooseKey = 0;
    std::wstring chooseMod;
};

// Read at every key event that may be a hotkey. Kept while the file is unchanged (config/ini.h): the
// six reads would cost a quarter millisecond each, at every key the user types in a Lister.
HotKeyValues ReadHotKeyValues() {
    const config::IniReadMemo oneLookAtTheFile;
    const auto code = [](const wchar_t* key) {
        return config::IniReadInt(OptionsIniName, L"HotKeys", key, 0);
    };
    const auto modifiers = [](const wchar_t* key) {
        return config::IniReadString(OptionsIniName, L"HotKeys", key, L"", kModifierTextCapacity);
    };
    HotKeyValues v;
    v.appKey = code(L"AppFromLister_key");
    v.appMod = modifiers(L"AppFromLister_mod");
    v.sysKey = code(L"DefSysAppFromLister_key");
    v.sysMod = modifiers(L"DefSysAppFromLister_mod");
    v.chooseKey = code(L"ChooseAppFromLister_key");
    v.chooseMod = modifiers(L"ChooseAppFromLister_mod");
    return v;
}

bool Matches(int key, WPARAM vk) {
    return key != 0 && static_cast<WPARAM>(key) == vk;
}

// The key went down just now: neither its release nor a repeat of a key held down. The menu opens
// only then: after an Escape, the key still held or let go must not open it again.
bool KeyWentDown(LPARAM flags) {
    return (static_cast<DWORD>(flags) & 0xC0000000u) == 0;
}

// While the menu is open its own loop takes the keys: none of them is a hotkey.
bool menuOpen = false;

void OnKeyEvent(WPARAM vk, LPARAM flags) {
    if (menuOpen || !DebounceOver() || IsModifierKey(vk)) return;
    const bool appEnabled = TolvanierOptions.AppFromLister_key;
    const bool sysEnabled = TolvanierOptions.DefSysAppFromLister_key;
    const bool chooseEnabled = TolvanierOptions.ChooseAppFromLister_key && KeyWentDown(flags);
    // The window is asked only for a key that is a hotkey: the answers are the same, and an ordinary
    // key costs no window query.
    if (!appEnabled && !sysEnabled && !chooseEnabled) return;
    HotKeyValues values = ReadHotKeyValues();
    if (!(appEnabled && Matches(values.appKey, vk)) && !(sysEnabled && Matches(values.sysKey, vk)) &&
        !(chooseEnabled && Matches(values.chooseKey, vk)))
        return;
    HWND active = GetActiveWindow();
    if (!win::HasClass(active, TCListerClasName)) return;
    if (appEnabled && Matches(values.appKey, vk) && IsRightModState(values.appMod)) {
        LoadAppByListerWindow(active, false);
        // The start may have waited on a message box; the others read the file as it is now.
        values = ReadHotKeyValues();
    }
    // Runs even when the first hotkey started something: both may share one key.
    if (sysEnabled && Matches(values.sysKey, vk) && IsRightModState(values.sysMod)) {
        LoadAppByListerWindow(active, true);
        values = ReadHotKeyValues();
    }
    // The menu comes last, and not within the second after a start of the others on the same key.
    if (chooseEnabled && Matches(values.chooseKey, vk) && IsRightModState(values.chooseMod) && DebounceOver())
        ChooseAppFromLister(active);
}

// After a hotkey's start: the one-second rule runs from now, set before a failure's box so that the
// key-up arriving while it is open does not try again.
void FinishHotkeyStart(const std::wstring& what, const StartResult& started) {
    ctLastHotKeyFromLister = ClockNow();
    if (!started.started) ShowStartFailure(what, started.error);
}

// The menu's item of the system's own dialog, behind the applications' numbers.
constexpr UINT kChooseAnotherItem = 1000;

// Starts what the menu's item chosen says, as the hotkey it stands for would; the dialog's item shows
// the system's dialog.
void StartChoice(HWND listerWindow, const std::wstring& file,
                 const std::vector<config::OpenWithChoice>& choices, UINT chosen) {
    std::wstring what = file;
    StartResult started;
    if (chosen == kChooseAnotherItem) {
        const HRESULT shown = ShowSystemOpenWithDialog(listerWindow, file);
        if (SUCCEEDED(shown) || shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return;
        started.error = static_cast<DWORD>(shown);
    } else if (chosen >= 1 && chosen <= choices.size()) {
        const config::OpenWithChoice& choice = choices[chosen - 1];
        if (!choice.commandLine.empty()) {
            what = choice.commandLine;
            started = config::StartCommand(what);
        } else {
            started = config::OpenFile(file, choice.shellClass);
        }
    } else {
        return;
    }
    FinishHotkeyStart(what, started);
}

bool IsHeld(int vk) {
    return (GetKeyState(vk) & 0x80) != 0;
}

} // namespace

LRESULT CALLBACK HookKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const HostCallScope insideHostCall;
        try {
            OnKeyEvent(wParam, lParam);
        } catch (...) {
            // Nothing may unwind into the host's message loop; the key still goes on.
        }
    }
    return CallNextHookEx(KeyboardHook, code, wParam, lParam);
}

bool SystemOpensWithShell(const std::wstring& file) {
    const uint8_t kind = FileExists(file);
    return kind != 0 &&
           config::LookUpApplication(config::ExtensionKeyOf(file, kind == 16), true, true).openWithShell;
}

bool IsRightModState(const std::wstring& spec) {
    const ModifierSpec wanted = ParseModifierSpec(spec);
    return IsHeld(VK_MENU) == wanted.alt && IsHeld(VK_CONTROL) == wanted.ctrl &&
           IsHeld(VK_SHIFT) == wanted.shift;
}

void LoadAppByListerWindow(HWND listerWindow, bool useSystemAssociation) {
    const auto it = FileNameByListerWindow.find(listerWindow);
    const std::wstring file = it != FileNameByListerWindow.end() ? it->second : std::wstring();
    std::wstring what = file;
    StartResult started;
    if (useSystemAssociation && SystemOpensWithShell(file)) {
        started = config::OpenFile(file);
    } else {
        std::vector<std::wstring> commandLines;
        GetCommandsList({file}, commandLines, true, useSystemAssociation);
        if (commandLines.empty()) return;
        // Started whole, whatever its length; the handles are closed at once, the process is nobody's.
        what = commandLines.front();
        started = config::StartCommand(what);
    }
    FinishHotkeyStart(what, started);
}

void ChooseAppFromLister(HWND listerWindow) {
    const auto it = FileNameByListerWindow.find(listerWindow);
    if (it == FileNameByListerWindow.end()) return;
    const std::wstring file = it->second;
    const std::vector<config::OpenWithChoice> choices = config::ListOpenWithChoices(file);
    // The system's dialog is for files; it opens what the user picks there.
    const bool dialog = SystemHasOpenWithDialog() && FileExists(file) == 1;
    if (choices.empty() && !dialog) return;

    win::UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    for (size_t i = 0; i < choices.size(); ++i)
        AppendMenuW(menu.Get(), MF_STRING, i + 1, config::MenuItemText(choices[i].label).c_str());
    if (dialog) {
        if (!choices.empty()) AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.Get(), MF_STRING, kChooseAnotherItem,
                    config::Text(IDS_CHOOSE_ANOTHER_APPLICATION).c_str());
    }
    // Over the middle of the Lister.
    RECT client{};
    GetClientRect(listerWindow, &client);
    POINT at{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(listerWindow, &at);
    menuOpen = true;
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_CENTERALIGN | TPM_VCENTERALIGN, at.x,
        at.y, listerWindow, nullptr));
    menuOpen = false;
    // Escape or a click elsewhere: 0, nothing starts and the clock stays.
    if (chosen != 0) StartChoice(listerWindow, file, choices, chosen);
}

void InstallKeyboardHook() {
    if (KeyboardHook || !hwMain) return;
    // Thread 0 would hook every thread of the desktop: without the host's thread there is no hook.
    const DWORD thread = GetWindowThreadProcessId(hwMain, nullptr);
    if (thread == 0) return;
    KeyboardHook = SetWindowsHookExA(WH_KEYBOARD, HookKeyboardProc, hInstance, thread);
}

void RemoveKeyboardHook() {
    if (KeyboardHook) UnhookWindowsHookEx(KeyboardHook);
    KeyboardHook = nullptr;
}
