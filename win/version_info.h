// What a program's version resource says of it.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "win/library.h"
#include "win/text.h"

namespace win {

// Reads version resources while it lives (version.dll from the system folder).
class VersionReader {
    using SizeProc = DWORD(WINAPI*)(const wchar_t*, DWORD*);
    using InfoProc = BOOL(WINAPI*)(const wchar_t*, DWORD, DWORD, void*);
    using QueryProc = BOOL(WINAPI*)(const void*, const wchar_t*, void**, UINT*);

    UniqueLibrary library_ = LoadSystemLibrary(L"version.dll");
    SizeProc size_ = ProcedureOf<SizeProc>(library_, "GetFileVersionInfoSizeW");
    InfoProc info_ = ProcedureOf<InfoProc>(library_, "GetFileVersionInfoW");
    QueryProc query_ = ProcedureOf<QueryProc>(library_, "VerQueryValueW");

  public:
    // The program's "FileDescription" in its first listed translation (else US English in Unicode or
    // the Windows code page), without surrounding blanks; empty when it has none.
    std::wstring FileDescriptionOf(const std::wstring& path) const {
        if (!size_ || !info_ || !query_) return {};
        DWORD ignored = 0;
        const DWORD size = size_(path.c_str(), &ignored);
        if (size == 0) return {};
        std::vector<BYTE> data(size);
        if (!info_(path.c_str(), 0, size, data.data())) return {};
        struct Translation {
            WORD language;
            WORD codePage;
        };
        std::vector<Translation> translations;
        void* listed = nullptr;
        UINT bytes = 0;
        if (query_(data.data(), L"\\VarFileInfo\\Translation", &listed, &bytes) && listed)
            translations.assign(static_cast<Translation*>(listed),
                                static_cast<Translation*>(listed) + bytes / sizeof(Translation));
        translations.push_back({0x0409, 0x04B0});
        translations.push_back({0x0409, 0x04E4});
        for (const Translation& t : translations) {
            wchar_t query[64];
            swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", t.language, t.codePage);
            void* text = nullptr;
            UINT length = 0;
            if (!query_(data.data(), query, &text, &length) || !text || length == 0) continue;
            std::wstring description(static_cast<const wchar_t*>(text),
                                     BoundedLength(static_cast<const wchar_t*>(text), length));
            const size_t first = description.find_first_not_of(L" \t");
            if (first == std::wstring::npos) continue;
            return description.substr(first, description.find_last_not_of(L" \t") - first + 1);
        }
        return {};
    }
};

} // namespace win
