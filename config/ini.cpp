#include "config/ini.h"

#include <windows.h>

#include <vector>

namespace config {

std::wstring IniReadString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue, unsigned capacity) {
    if (!file || !*file) return defaultValue ? defaultValue : L"";
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    const DWORD n = GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), capacity, file);
    return std::wstring(buffer.data(), n < capacity ? n : capacity - 1);
}

int IniReadInt(const wchar_t* file, const wchar_t* section, const wchar_t* key, int defaultValue) {
    if (!file || !*file) return defaultValue;
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, file));
}

std::wstring IniReadSection(const wchar_t* file, const wchar_t* section) {
    if (!file || !*file) return std::wstring(1, L'\0');
    std::vector<wchar_t> buffer(kIniSectionCapacity + 2, L'\0');
    const DWORD n = GetPrivateProfileSectionW(section, buffer.data(), kIniSectionCapacity, file);
    std::wstring lines(buffer.data(), n < kIniSectionCapacity ? n : kIniSectionCapacity);
    // A section that filled the buffer has its last line cut; a cut line could name another program
    // or template than the one written, so only the whole lines before it are kept.
    if (n >= kIniSectionCapacity - 2) {
        const size_t lastEnd = lines.rfind(L'\0');
        lines.resize(lastEnd == std::wstring::npos ? 0 : lastEnd + 1);
    }
    // The closing empty text.
    lines.push_back(L'\0');
    return lines;
}

} // namespace config
