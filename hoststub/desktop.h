// What a person does at the desktop beside the file manager, for the tests and the demo: a key pressed,
// a popup menu read and chosen from, a message box read and answered, a program run to its end with
// what it printed.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace hoststub {

// A real key event through the system's input queue (keyboard hooks see it; a posted message they
// would not).
void SendKey(WORD vk, bool up);
// A key pressed and let go.
void PressKey(WORD vk);

// A popup menu of this process, read and driven from a second thread while the thread that shows it
// runs the menu's loop: the first visible menu window's items (a separator reads as an empty text),
// then what drive does with it.
class MenuDriver {
  public:
    // Runs on the driver's thread once the menu is on the screen and its items are read.
    using Drive = std::function<void(HWND menuWindow, const std::vector<std::wstring>& items)>;

    // Posts keys to the menu one by one (VK_DOWN, VK_RETURN, VK_ESCAPE).
    explicit MenuDriver(std::vector<WORD> keys, DWORD timeoutMs = 5000);
    MenuDriver(Drive drive, DWORD timeoutMs);
    ~MenuDriver();
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;
    // Waits for the driver to finish. Empty when no menu was seen.
    const std::vector<std::wstring>& Items();
    // win::CounterMs when the menu was first seen; 0 if never.
    double SeenAtMs();

    static void PostKeys(HWND menuWindow, const std::vector<WORD>& keys);

  private:
    std::vector<std::wstring> items_;
    double seenAtMs_ = 0;
    std::thread thread_;
};

// A message box as a person reads it: its title, its text and the window it belongs to.
struct CaughtBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
};

CaughtBox ReadMessageBox(HWND box);
// Hides the box at once (so that nobody reads it again) and presses its OK.
void PressOk(HWND box);
// Reads and dismisses every visible message box of this process, nested ones included.
std::vector<CaughtBox> DismissOwnMessageBoxes();

// A message box of this process, read and answered from a second thread while the thread that shows it
// waits in the box's loop (which also serves the reading): the first visible box, then what answer does
// with it. The thread that shows boxes must handle its messages until Finished().
class MessageBoxDriver {
  public:
    // Runs on the driver's thread once the box is on the screen and read; it must close the box.
    using Answer = std::function<void(HWND box, const CaughtBox& seen)>;

    MessageBoxDriver(Answer answer, DWORD timeoutMs);
    ~MessageBoxDriver();
    MessageBoxDriver(const MessageBoxDriver&) = delete;
    MessageBoxDriver& operator=(const MessageBoxDriver&) = delete;
    // The box was answered, or none came in time.
    bool Finished() const { return finished_; }
    // Waits for the driver to finish. Empty when no box was seen.
    const std::optional<CaughtBox>& Box();

  private:
    std::optional<CaughtBox> box_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// A program run to its end, its output (standard output and error) read from a pipe while it runs. A
// program still running at the deadline is ended (status 999). The platform now and then starts
// nothing at all (it ends at once with 0 and no output): such a run is tried once more.
struct ProgramRun {
    DWORD status = 999;
    std::string output;
};
ProgramRun RunProgram(const std::wstring& commandLine, DWORD deadlineMs);

} // namespace hoststub
