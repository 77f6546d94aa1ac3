// Small window queries used across the plugin.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Class names are at most 256 units with the terminator.
constexpr int kClassNameCapacity = 256;

inline std::wstring ClassNameOf(HWND hwnd) {
    if (!hwnd) return {};
    wchar_t name[kClassNameCapacity] = {};
    const int n = GetClassNameW(hwnd, name, kClassNameCapacity);
    return n > 0 ? std::wstring(name, static_cast<size_t>(n)) : std::wstring();
}

inline bool HasClass(HWND hwnd, const wchar_t* className) {
    return hwnd && ClassNameOf(hwnd) == className;
}

} // namespace win
