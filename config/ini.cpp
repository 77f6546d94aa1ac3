#include "config/ini.h"

#include <windows.h>

#include <vector>

namespace config {
namespace {

unsigned long long platformReads = 0;
IniReadMemo* innermostMemo = nullptr;

// The arguments of one read as one text; the separator cannot occur in a terminated argument.
std::wstring MemoKey(wchar_t kind, const wchar_t* file, const wchar_t* section, const wchar_t* key,
                     const wchar_t* defaultValue, unsigned capacity) {
    const wchar_t separator = L'\0';
    std::wstring text(1, kind);
    for (const wchar_t* part : {file, section, key, defaultValue}) {
        text += separator;
        text += part ? part : L"(null)";
    }
    text += separator;
    text += std::to_wstring(capacity);
    return text;
}

} // namespace

const std::wstring* IniMemoFind(const std::wstring& key) {
    if (!innermostMemo) return nullptr;
    const auto it = innermostMemo->values_.find(key);
    return it == innermostMemo->values_.end() ? nullptr : &it->second;
}

void IniMemoStore(const std::wstring& key, const std::wstring& value) {
    if (innermostMemo) innermostMemo->values_[key] = value;
}

IniReadMemo::IniReadMemo() : outer_(innermostMemo) {
    innermostMemo = this;
}

IniReadMemo::~IniReadMemo() {
    innermostMemo = outer_;
}

void IniForgetReads() {
    for (IniReadMemo* memo = innermostMemo; memo; memo = memo->outer_)
        memo->values_.clear();
}

unsigned long long IniPlatformReads() {
    return platformReads;
}

std::wstring IniReadString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue, unsigned capacity) {
    if (!file || !*file) return defaultValue ? defaultValue : L"";
    const std::wstring memoKey =
        innermostMemo ? MemoKey(L's', file, section, key, defaultValue, capacity) : L"";
    if (const std::wstring* known = IniMemoFind(memoKey)) return *known;
    std::vector<wchar_t> buffer(capacity + 1, L'\0');
    ++platformReads;
    const DWORD n = GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), capacity, file);
    std::wstring value(buffer.data(), n < capacity ? n : capacity - 1);
    IniMemoStore(memoKey, value);
    return value;
}

int IniReadInt(const wchar_t* file, const wchar_t* section, const wchar_t* key, int defaultValue) {
    if (!file || !*file) return defaultValue;
    ++platformReads;
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, file));
}

std::wstring IniReadSection(const wchar_t* file, const wchar_t* section) {
    if (!file || !*file) return std::wstring(1, L'\0');
    const std::wstring memoKey = innermostMemo ? MemoKey(L'S', file, section, nullptr, nullptr, 0) : L"";
    if (const std::wstring* known = IniMemoFind(memoKey)) return *known;
    std::vector<wchar_t> buffer(kIniSectionCapacity + 2, L'\0');
    ++platformReads;
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
    IniMemoStore(memoKey, lines);
    return lines;
}

} // namespace config
