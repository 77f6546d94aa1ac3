#include "hoststub/desktop.h"

#include <algorithm>

#include "win/clock.h"
#include "win/handles.h"

namespace hoststub {

void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

namespace {

// The visible top-level windows of this process of a class: menus ("#32768"), dialogs ("#32770").
std::vector<HWND> OwnVisibleWindows(const wchar_t* className) {
    std::vector<HWND> windows;
    for (HWND w = FindWindowW(className, nullptr); w; w = FindWindowExW(nullptr, w, className, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w)) windows.push_back(w);
    }
    return windows;
}

// A window's whole text (a message box's text may hold a long path).
std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(std::max(GetWindowTextLengthW(window), 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The first of them to show up within timeoutMs; null if none did.
HWND WaitForOwnWindow(const wchar_t* className, DWORD timeoutMs) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<HWND> windows = OwnVisibleWindows(className);
        if (!windows.empty()) return windows.front();
        if (GetTickCount64() >= until) return nullptr;
        Sleep(1);
    }
}

} // namespace

void PressKey(WORD vk) {
    SendKey(vk, false);
    SendKey(vk, true);
}

MenuDriver::MenuDriver(std::vector<WORD> keys, DWORD timeoutMs)
    : MenuDriver([keys](HWND window, const std::vector<std::wstring>&) { PostKeys(window, keys); },
                 timeoutMs) {}

MenuDriver::MenuDriver(Drive drive, DWORD timeoutMs) {
    thread_ = std::thread([this, drive, timeoutMs] {
        constexpr UINT kGetMenuHandle = 0x01E1; // MN_GETHMENU
        const HWND window = WaitForOwnWindow(L"#32768", timeoutMs);
        if (!window) return;
        seenAtMs_ = win::CounterMs();
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, kGetMenuHandle, 0, 0));
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            wchar_t text[512] = L"";
            GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
            items_.emplace_back(text);
        }
        // A key posted the moment the menu shows is lost: its loop is not yet running (seen under Wine).
        Sleep(100);
        drive(window, items_);
    });
}

void MenuDriver::PostKeys(HWND menuWindow, const std::vector<WORD>& keys) {
    for (WORD key : keys) {
        PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
        Sleep(30);
    }
}

MenuDriver::~MenuDriver() {
    if (thread_.joinable()) thread_.join();
}

const std::vector<std::wstring>& MenuDriver::Items() {
    if (thread_.joinable()) thread_.join();
    return items_;
}

double MenuDriver::SeenAtMs() {
    if (thread_.joinable()) thread_.join();
    return seenAtMs_;
}

CaughtBox ReadMessageBox(HWND box) {
    constexpr int kTextId = 0xFFFF; // the box's text is its static control of ID -1
    return {WindowText(box), WindowText(GetDlgItem(box, kTextId)), GetWindow(box, GW_OWNER)};
}

void PressOk(HWND box) {
    ShowWindow(box, SW_HIDE);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

std::vector<CaughtBox> DismissOwnMessageBoxes() {
    std::vector<CaughtBox> caught;
    for (const HWND box : OwnVisibleWindows(L"#32770")) {
        caught.push_back(ReadMessageBox(box));
        PressOk(box);
    }
    return caught;
}

MessageBoxDriver::MessageBoxDriver(Answer answer, DWORD timeoutMs) {
    thread_ = std::thread([this, answer, timeoutMs] {
        if (const HWND box = WaitForOwnWindow(L"#32770", timeoutMs)) {
            box_ = ReadMessageBox(box);
            answer(box, *box_);
        }
        finished_ = true;
    });
}

MessageBoxDriver::~MessageBoxDriver() {
    if (thread_.joinable()) thread_.join();
}

const std::optional<CaughtBox>& MessageBoxDriver::Box() {
    if (thread_.joinable()) thread_.join();
    return box_;
}

ProgramRun RunProgram(const std::wstring& commandLine, DWORD deadlineMs) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
        win::UniqueHandle reader(readEnd), writer(writeEnd);
        SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = writer.Get();
        std::wstring line = commandLine;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &si, &pi))
            return {};
        const win::UniqueProcessInfo process(pi);
        writer.Reset();
        ProgramRun run;
        // Read while it runs, never past the deadline.
        const ULONGLONG deadline = GetTickCount64() + deadlineMs;
        for (bool ended = false; !ended;) {
            ended = WaitForSingleObject(process.process.Get(), 20) == WAIT_OBJECT_0;
            DWORD waiting = 0;
            char chunk[4096];
            while (PeekNamedPipe(reader.Get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
                DWORD got = 0;
                if (!ReadFile(reader.Get(), chunk, sizeof(chunk), &got, nullptr) || got == 0) break;
                run.output.append(chunk, got);
            }
            if (!ended && GetTickCount64() > deadline) {
                TerminateProcess(process.process.Get(), 999);
                WaitForSingleObject(process.process.Get(), 5000);
                ended = true;
            }
        }
        GetExitCodeProcess(process.process.Get(), &run.status);
        if (run.status != 0 || !run.output.empty()) return run;
    }
    return {};
}

} // namespace hoststub
