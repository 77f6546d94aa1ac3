// Strings of a module's string tables in a language asked for by number, without the thread's language:
// the plugin runs on the host's thread, whose language is the host's to set. (Wine 8 also ignores a
// thread's language in LoadStringW and FindResourceW, so the programs beside the plugin load this way
// as well.)
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win/text.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win {

// English (United States): the language every string exists in, and the one a missing string falls
// back to.
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The module this code is linked into, the plugin's or a program's: the one that holds its texts.
inline HMODULE ThisModule() {
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

// The string id of module exactly in language; nullopt when that language has no block for it or the
// entry is empty.
inline std::optional<std::wstring> LoadStringExactly(HMODULE module, unsigned id, LANGID language) {
    // A string table is stored in blocks of 16, numbered from 1.
    const HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!found) return std::nullopt;
    const HGLOBAL loaded = LoadResource(module, found); // a module's resource: never freed
    const auto* block = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!block) return std::nullopt;
    const std::optional<std::wstring_view> entry =
        StringTableEntry(std::wstring_view(block, SizeofResource(module, found) / sizeof(wchar_t)), id % 16);
    if (!entry || entry->empty()) return std::nullopt;
    return std::wstring(*entry);
}

// The same, in English when language has no such string; empty when neither has it.
inline std::wstring LoadStringIn(HMODULE module, unsigned id, LANGID language) {
    if (std::optional<std::wstring> text = LoadStringExactly(module, id, language)) return std::move(*text);
    return LoadStringExactly(module, id, kEnglish).value_or(L"");
}

// The languages of the block that holds the string id, in the order of the module's resources.
inline std::vector<LANGID> StringLanguages(HMODULE module, unsigned id) {
    std::vector<LANGID> languages;
    const auto add = [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) -> BOOL {
        try { // nothing may unwind through the system's frames
            reinterpret_cast<std::vector<LANGID>*>(found)->push_back(language);
            return TRUE;
        } catch (...) {
            return FALSE;
        }
    };
    // The module's own resources only, not those of language files beside it.
    EnumResourceLanguagesExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), add,
                             reinterpret_cast<LONG_PTR>(&languages), RESOURCE_ENUM_LN, 0);
    return languages;
}

} // namespace win
