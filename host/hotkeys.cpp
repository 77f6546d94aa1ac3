#include "host/hotkeys.h"

#include <vector>

#include "config/commands.h"
#include "config/ini.h"
#include "config/options.h"
#include "host/host_text.h"
#include "plugin/host_names.h"
#include "plugin/process.h"
#include "plugin/state.h"
#include "win/window.h"

namespace {

// Modifier texts are at most 3 characters: a buffer of 4 units.
constexpr unsigned kModifierTextCapacity = 4;

bool IsModifierKey(WPARAM vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
}

// More than one second since the last hotkey start. The difference is taken in 32 bits, so it stays
// right when the clock value wraps.
bool DebounceOver() {
    const auto elapsed = static_cast<int32_t>(static_cast<uint32_t>(ClockNow()) -
                                              static_cast<uint32_t>(ctLastHotKeyFromLister));
    return elapsed / 1000.0 > 1.0;
}

// One hotkey: its key code and modifier text are read anew at each event, so edits apply at once.
void TryHotKey(const wchar_t* keyName, const wchar_t* modName, WPARAM vk, HWND lister,
               bool useSystemAssociation) {
    const int key = config::IniReadInt(OptionsIniName, L"HotKeys", keyName, 0);
    if (key == 0 || static_cast<WPARAM>(key) != vk) return;
    const std::wstring mod =
        config::IniReadString(OptionsIniName, L"HotKeys", modName, L"", kModifierTextCapacity);
    if (IsRightModState(mod)) LoadAppByListerWindow(lister, useSystemAssociation);
}

void OnKeyEvent(WPARAM vk) {
    if (!DebounceOver() || IsModifierKey(vk)) return;
    HWND active = GetActiveWindow();
    if (!win::HasClass(active, TCListerClasName)) return;
    if (TolvanierOptions.AppFromLister_key)
        TryHotKey(L"AppFromLister_key", L"AppFromLister_mod", vk, active, false);
    // Runs even when the first hotkey started something: both may share one key.
    if (TolvanierOptions.DefSysAppFromLister_key)
        TryHotKey(L"DefSysAppFromLister_key", L"DefSysAppFromLister_mod", vk, active, true);
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

bool IsRightModState(const std::wstring& spec) {
    const ModifierSpec wanted = ParseModifierSpec(spec);
    return IsHeld(VK_MENU) == wanted.alt && IsHeld(VK_CONTROL) == wanted.ctrl &&
           IsHeld(VK_SHIFT) == wanted.shift;
}

void LoadAppByListerWindow(HWND listerWindow, bool useSystemAssociation) {
    const auto it = FileNameByListerWindow.find(listerWindow);
    const std::vector<std::wstring> fileNames{it != FileNameByListerWindow.end() ? it->second
                                                                                 : std::wstring()};
    std::vector<std::wstring> commandLines;
    GetCommandsList(fileNames, commandLines, true, useSystemAssociation);
    if (commandLines.empty()) return;
    // Started whole, whatever its length; the handles are closed at once, the process is nobody's.
    StartCommandLine(commandLines.front());
    ctLastHotKeyFromLister = ClockNow();
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
