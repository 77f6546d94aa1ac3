#include "tests/support/test_support.h"

#include "hoststub/host_standin.h"
#include "win/handles.h"

namespace testing_support {

std::wstring BuildDir() {
    return hoststub::WinePathOf(TOLVANIER_BUILD_DIR) + L"\\";
}
std::wstring SourceDir() {
    return hoststub::WinePathOf(TOLVANIER_SOURCE_DIR) + L"\\";
}
std::wstring ModulePath() {
    return BuildDir() + L"Tolvanier64.wlx64";
}
std::wstring ViewAppPath() {
    return BuildDir() + L"viewapp.exe";
}

void RemoveTree(const std::wstring& path) {
    std::wstring base = path;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = base + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(base.c_str());
}

TempDir::TempDir(const std::wstring& name) {
    const std::wstring root = BuildDir() + L"testdata";
    CreateDirectoryW(root.c_str(), nullptr);
    path_ = root + L"\\" + name + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text, bool byteOrderMark) {
    std::string bytes;
    if (byteOrderMark) bytes += "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return WriteTextFile(path, bytes);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool FileExistsW(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Utf8ToWide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string WideToUtf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

bool AgeFile(const std::wstring& path, int minutes) {
    const HANDLE raw = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    const win::UniqueHandle file(raw);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(minutes) * 60 * 10'000'000;
    const FILETIME old{t.LowPart, t.HighPart};
    return SetFileTime(file.Get(), nullptr, nullptr, &old) != 0;
}

std::vector<std::wstring> ReadLogLines(const std::wstring& logPath, size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::wstring> lines;
        const std::wstring text = Utf8ToWide(ReadFileBytes(logPath));
        size_t from = 0;
        for (size_t nl = text.find(L'\n'); nl != std::wstring::npos; nl = text.find(L'\n', from)) {
            lines.push_back(text.substr(from, nl - from));
            from = nl + 1;
        }
        if (lines.size() >= count || GetTickCount() - start >= timeoutMs) return lines;
        PumpFor(20);
    }
}

void SetEnv(const wchar_t* name, const wchar_t* value) {
    SetEnvironmentVariableW(name, value);
}

void PumpFor(DWORD ms) {
    // The stand-in's loop is the one every test thread runs.
    hoststub::PumpMessages(ms);
}

} // namespace testing_support
