#include "config/ini.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <map>
#include <optional>
#include <vector>

namespace config {
namespace {

unsigned long long platformReads = 0;
unsigned long long stampChecks = 0;

// A file's identity for the cache, as its folder reports it.
struct FileStamp {
    uint64_t lastWrite = 0;
    uint64_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

uint64_t Ticks(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// A time stamp older than this cannot be given again by a later edit, even on file systems that
// keep the time in steps of 2 seconds: 3 seconds in 100 ns ticks.
constexpr uint64_t kSettledTicks = 30'000'000;

struct CachedFile {
    std::optional<FileStamp> stamp; // none: the file is missing or could not be asked
    bool lasting = false;           // the values may answer later calls as well
    uint64_t scopeGeneration = 0;   // the scope that last asked for the stamp
    std::map<std::wstring, std::wstring> values;
};

// By the file name as given; the plugin reads two files.
std::map<std::wstring, CachedFile> cachedFiles;
constexpr size_t kMaxCachedFiles = 8;
constexpr size_t kMaxCachedValues = 4096;
int scopeDepth = 0;
// Changes whenever what a scope has seen no longer holds: a new outermost scope, or a forget.
uint64_t scopeGeneration = 1;

std::optional<FileStamp> StampOf(const wchar_t* file) {
    ++stampChecks;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file, GetFileExInfoStandard, &data)) return std::nullopt;
    return FileStamp{Ticks(data.ftLastWriteTime),
                     (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

// Only a full path names the same file for the private-profile functions (which look for other
// names in the system's folder) and for the file system.
bool IsFullPath(const wchar_t* file) {
    const bool drive = ((file[0] >= L'A' && file[0] <= L'Z') || (file[0] >= L'a' && file[0] <= L'z')) &&
                       file[1] == L':' && file[2] == L'\\';
    return drive || (file[0] == L'\\' && file[1] == L'\\');
}

bool Settled(const FileStamp& stamp) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Ticks(now) > stamp.lastWrite && Ticks(now) - stamp.lastWrite > kSettledTicks;
}

// The values of file that may answer a read now, or nullptr when the read must go to the file.
std::map<std::wstring, std::wstring>* UsableValues(const wchar_t* file) {
    const auto known = cachedFiles.find(file);
    if (scopeDepth > 0 && known != cachedFiles.end() && known->second.scopeGeneration == scopeGeneration)
        return &known->second.values;

    const bool fullPath = IsFullPath(file);
    const std::optional<FileStamp> stamp = fullPath ? StampOf(file) : std::nullopt;
    const bool lasting = stamp && Settled(*stamp);
    if (scopeDepth == 0 && !lasting) {
        if (known != cachedFiles.end()) cachedFiles.erase(known);
        return nullptr;
    }
    // Kept within bounds whatever is read: a few files, a few thousand values each.
    if (known == cachedFiles.end() && cachedFiles.size() >= kMaxCachedFiles) cachedFiles.clear();
    CachedFile& cached = known != cachedFiles.end() ? known->second : cachedFiles[file];
    if (!(cached.lasting && lasting && cached.stamp == stamp) || cached.values.size() >= kMaxCachedValues)
        cached.values.clear();
    cached.stamp = stamp;
    cached.lasting = lasting;
    cached.scopeGeneration = scopeDepth > 0 ? scopeGeneration : 0;
    return &cached.values;
}

// The arguments of one read as one text; the separator cannot occur in a terminated argument.
std::wstring ReadKey(wchar_t kind, const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                     unsigned capacity) {
    const wchar_t separator = L'\0';
    std::wstring text(1, kind);
    for (const wchar_t* part : {section, key, defaultValue}) {
        text += separator;
        text += part ? part : L"(null)";
    }
    text += separator;
    text += std::to_wstring(capacity);
    return text;
}

// The answer to a read: from what is kept of file when that still holds, else from read(), which is
// then kept.
template <typename Read>
std::wstring ReadThroughCache(const wchar_t* file, const std::wstring& readKey, Read read) {
    std::map<std::wstring, std::wstring>* values = UsableValues(file);
    if (values) {
        const auto it = values->find(readKey);
        if (it != values->end()) return it->second;
    }
    ++platformReads;
    std::wstring value = read();
    if (values) values->emplace(readKey, value);
    return value;
}

} // namespace

IniReadMemo::IniReadMemo() {
    if (scopeDepth++ == 0) ++scopeGeneration;
}

IniReadMemo::~IniReadMemo() {
    if (--scopeDepth == 0) ++scopeGeneration;
}

void IniForgetReads() {
    cachedFiles.clear();
    ++scopeGeneration;
}

unsigned long long IniPlatformReads() {
    return platformReads;
}

unsigned long long IniStampChecks() {
    return stampChecks;
}

std::wstring IniReadString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue, unsigned capacity) {
    if (!file || !*file) return defaultValue ? defaultValue : L"";
    return ReadThroughCache(file, ReadKey(L's', section, key, defaultValue, capacity), [&] {
        std::vector<wchar_t> buffer(capacity + 1, L'\0');
        const DWORD n = GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), capacity, file);
        return std::wstring(buffer.data(), n < capacity ? n : capacity - 1);
    });
}

int IniReadInt(const wchar_t* file, const wchar_t* section, const wchar_t* key, int defaultValue) {
    if (!file || !*file) return defaultValue;
    const std::wstring value =
        ReadThroughCache(file, ReadKey(L'i', section, key, std::to_wstring(defaultValue).c_str(), 0), [&] {
            return std::to_wstring(static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, file)));
        });
    return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

std::wstring IniReadSection(const wchar_t* file, const wchar_t* section) {
    if (!file || !*file) return std::wstring(1, L'\0');
    return ReadThroughCache(file, ReadKey(L'S', section, nullptr, nullptr, 0), [&] {
        std::vector<wchar_t> buffer(kIniSectionCapacity + 2, L'\0');
        const DWORD n = GetPrivateProfileSectionW(section, buffer.data(), kIniSectionCapacity, file);
        std::wstring lines(buffer.data(), n < kIniSectionCapacity ? n : kIniSectionCapacity);
        // A section that filled the buffer has its last line cut; a cut line could name another
        // program or template than the one written, so only the whole lines before it are kept.
        if (n >= kIniSectionCapacity - 2) {
            const size_t lastEnd = lines.rfind(L'\0');
            lines.resize(lastEnd == std::wstring::npos ? 0 : lastEnd + 1);
        }
        // The closing empty text.
        lines.push_back(L'\0');
        return lines;
    });
}

} // namespace config
