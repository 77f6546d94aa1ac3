// What a program's version resource says of it.
#pragma once

#include <windows.h>
// After windows.h.
#include <winver.h>

#include <cwchar>
#include <string>
#include <vector>

#include "win/text.h"

namespace win {

// The program's "FileDescription" in its first listed translation (else US English in Unicode or
// the Windows code page), without surrounding blanks; empty when it has none.
inline std::wstring FileDescriptionOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
    struct Translation {
        WORD language;
        WORD codePage;
    };
    std::vector<Translation> translations;
    void* listed = nullptr;
    UINT bytes = 0;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &listed, &bytes) && listed)
        translations.assign(static_cast<Translation*>(listed),
                            static_cast<Translation*>(listed) + bytes / sizeof(Translation));
    translations.push_back({0x0409, 0x04B0});
    translations.push_back({0x0409, 0x04E4});
    for (const Translation& t : translations) {
        wchar_t query[64];
        swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", t.language, t.codePage);
        void* text = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data.data(), query, &text, &length) || !text || length == 0) continue;
        std::wstring description(static_cast<const wchar_t*>(text),
                                 BoundedLength(static_cast<const wchar_t*>(text), length));
        const size_t first = description.find_first_not_of(L" \t");
        if (first == std::wstring::npos) continue;
        return description.substr(first, description.find_last_not_of(L" \t") - first + 1);
    }
    return {};
}

} // namespace win
