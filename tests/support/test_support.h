// What the tests share: folders of their own, files, the module's and the test application's paths.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

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

// A program run to its end, its output (standard output and error) read from a pipe while it runs. A
// program still running at the deadline is ended (status 999). The platform now and then starts
// nothing at all (it ends at once with 0 and no output): such a run is tried once more.
struct ProgramRun {
    DWORD status = 999;
    std::string output;
};
ProgramRun RunProgram(const std::wstring& commandLine, DWORD deadlineMs);

// Sets or removes (value null) an environment variable of this process.
void SetEnv(const wchar_t* name, const wchar_t* value);

// Runs the message loop of this thread for about ms milliseconds.
void PumpFor(DWORD ms);

// A real key event through the system's input queue (keyboard hooks see it; a posted message they
// would not).
void SendKey(WORD vk, bool up);

// A popup menu of this process, read and driven from a second thread while the thread that shows it
// runs the menu's loop: the first visible menu window's items (a separator reads as an empty text),
// then the keys posted to it one by one (VK_DOWN, VK_RETURN, VK_ESCAPE).
class MenuDriver {
  public:
    explicit MenuDriver(std::vector<WORD> keys, DWORD timeoutMs = 5000);
    ~MenuDriver();
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;
    // Waits for the driver to finish. Empty when no menu was seen.
    const std::vector<std::wstring>& Items();
    // win::CounterMs when the menu was first seen; 0 if never.
    double SeenAtMs();

  private:
    std::vector<std::wstring> items_;
    double seenAtMs_ = 0;
    std::thread thread_;
};

} // namespace testing_support
