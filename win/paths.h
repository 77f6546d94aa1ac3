// Paths the platform gives: the module's file, the system's folders, environment values, full paths.
// Each is returned whole or not at all; none is cut to fit a buffer.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

// The longest path the platform's wide functions take.
constexpr DWORD kLongPathCapacity = 32768;

// The file name of module (null: the program's), whole; empty when the platform cannot give it.
inline std::wstring ModuleFileName(HMODULE module) {
    std::wstring name(kLongPathCapacity, L'\0');
    const DWORD n = GetModuleFileNameW(module, name.data(), kLongPathCapacity);
    if (n == 0 || n >= kLongPathCapacity) return {};
    name.resize(n);
    return name;
}

// Drive and folder of a path, ending in its separator: everything up to the last '\' or '/'.
inline std::wstring DirectoryOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// The value of an environment variable; empty when it is not set.
inline std::wstring EnvironmentValue(const wchar_t* name) {
    std::wstring value(kLongPathCapacity, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), kLongPathCapacity);
    if (n == 0 || n >= kLongPathCapacity) return {};
    value.resize(n);
    return value;
}

inline std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

inline std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

// Whether path names an existing file, not a folder. A name with a terminator inside would test a
// shorter, different name.
inline bool IsExistingFile(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether path names an existing folder.
inline bool IsExistingFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full form of an absolute path ("." and ".." segments resolved); nullopt when the platform
// cannot give it.
inline std::optional<std::wstring> FullPathOf(const std::wstring& path) {
    std::wstring full(kLongPathCapacity, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), kLongPathCapacity, full.data(), nullptr);
    if (n == 0 || n >= kLongPathCapacity) return std::nullopt;
    full.resize(n);
    return full;
}

// The folder the system's temporary-folder function reports (TMP, else TEMP, else the profile or the
// Windows folder), as it gives it; empty when it gives none.
inline std::wstring TemporaryPath() {
    std::wstring path(kLongPathCapacity, L'\0');
    const DWORD n = GetTempPathW(kLongPathCapacity, path.data());
    if (n == 0 || n >= kLongPathCapacity) return {};
    path.resize(n);
    return path;
}

// path as GetLongPathNameW or GetShortPathNameW converts it, whole; empty when it cannot.
inline std::wstring ConvertedPath(DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD), const std::wstring& path) {
    std::wstring converted(kLongPathCapacity, L'\0');
    const DWORD n = convert(path.c_str(), converted.data(), kLongPathCapacity);
    if (n == 0 || n >= kLongPathCapacity) return {};
    converted.resize(n);
    return converted;
}

// The long and the short (8.3) form of an existing path; empty when the platform cannot convert it
// (the path does not exist). Where short names are off on the volume, the short form is the long one.
inline std::wstring LongPathOf(const std::wstring& path) {
    return ConvertedPath(GetLongPathNameW, path);
}
inline std::wstring ShortPathOf(const std::wstring& path) {
    return ConvertedPath(GetShortPathNameW, path);
}

// Names up to this length work with every file function; a longer one works without the system's
// long-path setting only in its extended-length form.
constexpr size_t kPlainPathLimit = MAX_PATH - 1;

// Whether path is in the "\\?\" or "\\.\" namespace, where the platform takes it as it stands.
inline bool IsNamespacedPath(const std::wstring& path) {
    return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'?' || path[2] == L'.') &&
           path[3] == L'\\';
}

// The extended-length form of a full path: "\\?\C:\..." for a drive, "\\?\UNC\server\share\..." for a
// share. A namespaced path, and anything that is not a full path, is returned unchanged. The form
// turns off the platform's own clean-up of the name, so it is made from a full path that has had it.
inline std::wstring ExtendedLengthForm(const std::wstring& fullPath) {
    if (IsNamespacedPath(fullPath)) return fullPath;
    if (fullPath.size() >= 3 && fullPath[0] == L'\\' && fullPath[1] == L'\\')
        return L"\\\\?\\UNC\\" + fullPath.substr(2);
    const wchar_t letter = fullPath.empty() ? L'\0' : fullPath[0];
    const bool drive = fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\' &&
                       ((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'));
    return drive ? L"\\\\?\\" + fullPath : fullPath;
}

// The name to hand the file system for name: itself up to kPlainPathLimit, else the extended-length
// form of its full path (unchanged when the platform cannot make that), so that a name the host shows
// is found on Windows without the long-path setting. Programs get the name as the host gave it.
inline std::wstring FileSystemName(const std::wstring& name) {
    if (name.size() <= kPlainPathLimit || IsNamespacedPath(name)) return name;
    const std::optional<std::wstring> full = FullPathOf(name);
    return full ? ExtendedLengthForm(*full) : name;
}

} // namespace win
