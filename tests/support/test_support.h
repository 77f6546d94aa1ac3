// What the tests share: folders of their own, files, the module's and the test application's paths.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "hoststub/desktop.h"

namespace testing_support {

// The build folder and the source folder, as Wine shows them (Z:\...).
std::wstring BuildDir();
std::wstring SourceDir();
// The real module and the test application.
std::wstring ModulePath();
std::wstring ViewAppPath();

// A fresh folder below the build folder, emptied first and removed at the end of the test.
class TempDir {
  public:
    explicit TempDir(const std::wstring& name);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; } // ends in a backslash
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

  private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool WriteTextFile(const std::wstring& path, const std::string& utf8);
bool WriteUtf16File(const std::wstring& path, const std::wstring& text, bool byteOrderMark = true);
std::string ReadFileBytes(const std::wstring& path);
bool FileExistsW(const std::wstring& path);
// Moves the file's last-write time minutes into the past.
bool AgeFile(const std::wstring& path, int minutes);
std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);

// Lines the test application appended to its log (its command lines), waiting up to timeoutMs for
// at least count lines.
std::vector<std::wstring> ReadLogLines(const std::wstring& logPath, size_t count = 0, DWORD timeoutMs = 0);

// A program run to its end with its output; a key pressed; a popup menu read and driven.
using hoststub::MenuDriver;
using hoststub::ProgramRun;
using hoststub::RunProgram;
using hoststub::SendKey;

// Sets or removes (value null) an environment variable of this process.
void SetEnv(const wchar_t* name, const wchar_t* value);

// Runs the message loop of this thread for about ms milliseconds.
void PumpFor(DWORD ms);

} // namespace testing_support
