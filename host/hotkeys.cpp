#include "host/hotkeys.h"

#include <vector>

#include "config/app_lookup.h"
#include "config/command_text.h"
#include "config/commands.h"
#include "config/ini.h"
#include "config/messages.h"
#include "config/options.h"
#include "host/host_text.h"
#include "shared/host_names.h"
#include "shared/process.h"
#include "shared/state.h"
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
};

// Read at every key event that may be a hotkey. Kept while the file is unchanged (config/ini.h): the
// four reads would cost a quarter millisecond each, at every key the user types in a Lister.
HotKeyValues ReadHotKeyValues() {
    const config::IniReadMemo oneLookAtTheFile;
    HotKeyValues v;
    v.appKey = config::IniReadInt(OptionsIniName, L"HotKeys", L"AppFromLister_key", 0);
    v.appMod =
        config::IniReadString(OptionsIniName, L"HotKeys", L"AppFromLister_mod", L"", kModifierTextCapacity);
    v.sysKey = config::IniReadInt(OptionsIniName, L"HotKeys", L"DefSysAppFromLister_key", 0);
    v.sysMod = config::IniReadString(OptionsIniName, L"HotKeys", L"DefSysAppFromLister_mod", L"",
                                     kModifierTextCapacity);
    return v;
}

bool Matches(int key, WPARAM vk) {
    return key != 0 && static_cast<WPARAM>(key) == vk;
}

void OnKeyEvent(WPARAM vk) {
    if (!DebounceOver() || IsModifierKey(vk)) return;
    const bool appEnabled = TolvanierOptions.AppFromLister_key;
    const bool sysEnabled = TolvanierOptions.DefSysAppFromLister_key;
    // The window is asked only for a key that is a hotkey: the answers are the same, and an ordinary
    // key costs no window query.
    if (!appEnabled && !sysEnabled) return;
    HotKeyValues values = ReadHotKeyValues();
    if (!(appEnabled && Matches(values.appKey, vk)) && !(sysEnabled && Matches(values.sysKey, vk))) return;
    HWND active = GetActiveWindow();
    if (!win::HasClass(active, TCListerClasName)) return;
    if (appEnabled && Matches(values.appKey, vk) && IsRightModState(values.appMod)) {
        LoadAppByListerWindow(active, false);
        // The start may have waited on a message box; the second hotkey reads the file as it is now.
        values = ReadHotKeyValues();
    }
    // Runs even when the first hotkey started something: both may share one key.
    if (sysEnabled && Matches(values.sysKey, vk) && IsRightModState(values.sysMod))
        LoadAppByListerWindow(active, true);
}

bool IsHeld(int vk) {
    return (GetKeyState(vk) & 0x80) != 0;
}

} // namespace

LRESULT CALLBACK HookKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        try {
            OnKeyEvent(wParam);
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
        started = OpenWithShell(file);
    } else {
        std::vector<std::wstring> commandLines;
        GetCommandsList({file}, commandLines, true, useSystemAssociation);
        if (commandLines.empty()) return;
        // Started whole, whatever its length; the handles are closed at once, the process is nobody's.
        what = commandLines.front();
        started = StartApplication(what);
    }
    // Moved before a failure's box: the key-up arriving while it is open must not try again.
    ctLastHotKeyFromLister = ClockNow();
    if (!started.started) ShowStartFailure(what, started.error);
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
