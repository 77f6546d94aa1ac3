#include "settings/texts.h"

#include <vector>

namespace settings {
namespace {

HMODULE module = nullptr;
LANGID language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// TEMPORARY until the loader of win/ lands.
std::wstring LoadIn(unsigned id, LANGID lang) {
    const HMODULE from = module ? module : GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceExW(from, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), lang);
    const HGLOBAL loaded = found ? LoadResource(from, found) : nullptr;
    const auto* p = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!p) return L"";
    for (unsigned i = 0; i < id % 16; ++i)
        p += 1 + *p;
    return std::wstring(p + 1, *p);
}

std::wstring Format(const std::wstring& pattern, std::initializer_list<std::wstring> inserts) {
    const std::vector<std::wstring> args(inserts);
    std::wstring out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            const wchar_t n = pattern[i + 1];
            if (n == L'%') {
                out += L'%';
                ++i;
                continue;
            }
            if (n >= L'1' && n <= L'9') {
                const size_t k = static_cast<size_t>(n - L'1');
                if (k < args.size()) out += args[k];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace

void UseTexts(HMODULE m, LANGID l) {
    module = m;
    language = l;
}

HMODULE TextModule() {
    return module ? module : GetModuleHandleW(nullptr);
}

LANGID TextLanguage() {
    return language;
}

std::wstring Text(unsigned id, std::initializer_list<std::wstring> inserts) {
    std::wstring pattern = LoadIn(id, language);
    if (pattern.empty()) pattern = LoadIn(id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    return Format(pattern, inserts);
}

} // namespace settings
