// Reading the registry: text values, bounded and never cut into another text, and the names below a key.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/handles.h"
#include "win/text.h"

namespace win {

enum class RegistryRead { NoKey, NoValue, Found };

// A text value of root\keyPath (valueName null: the default value) of at most maxLength units.
// anyType: taken as text whatever its type; otherwise it must be a string. A longer value is NoValue.
inline RegistryRead ReadRegistryText(HKEY root, const std::wstring& keyPath, const wchar_t* valueName,
                                     bool anyType, size_t maxLength, std::wstring& text) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return RegistryRead::NoKey;
    std::vector<wchar_t> data(maxLength + 1);
    DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &bytes) != ERROR_SUCCESS ||
        (!anyType && type != REG_SZ && type != REG_EXPAND_SZ))
        return RegistryRead::NoValue;
    // The stored text need not be terminated; it ends at its first terminator or its last unit.
    const size_t length = BoundedLength(data.data(), bytes / sizeof(wchar_t));
    if (length > maxLength) return RegistryRead::NoValue;
    text.assign(data.data(), length);
    return RegistryRead::Found;
}

// The names of the values (subkeys: false) or of the subkeys (true) of root\keyPath, in the
// registry's order; empty when the key cannot be opened. Names longer than the registry allows
// (16,383 units for a value, 255 for a key) do not exist.
inline std::vector<std::wstring> RegistryNamesBelow(HKEY root, const std::wstring& keyPath, bool subkeys) {
    std::vector<std::wstring> names;
    UniqueRegKey key;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return names;
    std::vector<wchar_t> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status =
            subkeys
                ? RegEnumKeyExW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr)
                : RegEnumValueW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

} // namespace win
