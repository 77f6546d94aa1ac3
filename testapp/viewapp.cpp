// A small outside application for the tests and the demo. It appends its whole command line (one
// UTF-8 line) to the file named by TOLVANIER_VIEWAPP_LOG, shows a visible top-level window and ends
// after TOLVANIER_VIEWAPP_MS milliseconds (default 3000) or when the window is closed. The window is
// titled "<file name> - <program name>" as an editor's is (its first argument that is no option, and
// its own file name, so that a copy under another name calls itself so), and shows the names of the
// files it was given and its whole command line.
//   TOLVANIER_VIEWAPP_CLASS  class name of its window (default "ViewAppWindow")
//   TOLVANIER_VIEWAPP_MODE   "exit": log and end at once, no window;
//                            "busy": log, then never pump messages (never idle) until the time is up;
//                            "hidden": a window that is never shown;
//                            "hung": a window shown, then never a message pumped until the time is up;
//                            "slow": log, then busy for TOLVANIER_VIEWAPP_DELAY_MS before the window
//                            exists (a splash-less start that takes a while);
//                            "splash": log, show a window of class "ViewAppSplash" for
//                            TOLVANIER_VIEWAPP_DELAY_MS, close it, then show the main window;
//                            "launcher": start a copy of itself with the same command line in mode
//                            TOLVANIER_VIEWAPP_CHILD_MODE (default: the window) and end at once,
//                            without logging: the copy logs;
//                            "single": a program that runs once: when a copy of it already runs (a
//                            window of class "ViewAppRunning"), log, hand it the command line and end
//                            at once, without a window; otherwise be that copy: its window, titled
//                            "viewapp", shows "<file name> - viewapp" TOLVANIER_VIEWAPP_DELAY_MS (default
//                            1500) after it got a file (its own first argument, or one handed to it);
//                            "holder": as "single", but the running copy opens each file it gets
//                            without delete sharing and keeps it open, its title naming none;
//                            "windows": log, show TOLVANIER_VIEWAPP_WINDOWS (default 100) windows titled
//                            "window <n> - viewapp".
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::wstring Env(const wchar_t* name, const wchar_t* fallback) {
    wchar_t value[512];
    const DWORD n = GetEnvironmentVariableW(name, value, 512);
    return n > 0 && n < 512 ? std::wstring(value, n) : std::wstring(fallback);
}

void AppendLine(const std::wstring& path, const std::wstring& line) {
    if (path.empty()) return;
    const std::wstring text = line + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(20);
    }
}

constexpr wchar_t kRunningClass[] = L"ViewAppRunning";
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT_PTR kTitleTimer = 2;
std::wstring titleToShow;

// The arguments of commandLine that are no options (those begin with "-") and not empty, as files to show.
std::vector<std::wstring> FilesOf(const std::wstring& commandLine) {
    std::vector<std::wstring> files;
    int n = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &n);
    for (int i = 1; argv && i < n; ++i)
        if (argv[i][0] != L'-' && argv[i][0] != L'\0') files.emplace_back(argv[i]);
    LocalFree(argv);
    return files;
}

std::wstring LastPart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// This program's file name without its extension.
std::wstring ProgramName() {
    wchar_t self[MAX_PATH] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = LastPart(std::wstring(self, n < MAX_PATH ? n : 0));
    const size_t dot = name.find_last_of(L'.');
    return name.empty() ? L"viewapp" : name.substr(0, dot);
}

// "<file name> - <program>", as an editor names the file it shows; the program alone without a file.
std::wstring TitleFor(const std::wstring& commandLine) {
    const std::vector<std::wstring> files = FilesOf(commandLine);
    return files.empty() ? ProgramName() : LastPart(files.front()) + L" - " + ProgramName();
}

// Files the running copy of "holder" keeps open, as a program that keeps its document locked.
std::vector<HANDLE> heldFiles;

// The running copy names a file in its title a while after it got it, as a program that loads it first.
void ShowFileLater(HWND hwnd, const std::wstring& commandLine) {
    if (Env(L"TOLVANIER_VIEWAPP_MODE", L"") == L"holder") {
        for (const std::wstring& file : FilesOf(commandLine))
            heldFiles.push_back(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return;
    }
    if (FilesOf(commandLine).empty()) return;
    titleToShow = TitleFor(commandLine);
    SetTimer(hwnd, kTitleTimer, static_cast<UINT>(_wtoi(Env(L"TOLVANIER_VIEWAPP_DELAY_MS", L"1500").c_str())),
             nullptr);
}

// The window's two fonts, the system's message font and a larger bold one, made at the first paint.
HFONT fonts[2] = {};

void MakeFonts() {
    if (fonts[0]) return;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    fonts[0] = CreateFontIndirectW(&metrics.lfMessageFont);
    LOGFONTW large = metrics.lfMessageFont;
    large.lfHeight = large.lfHeight * 3 / 2;
    large.lfWeight = FW_BOLD;
    fonts[1] = CreateFontIndirectW(&large);
}

// Shows what it was started with, so that a screenshot tells the applications apart: the names of its
// files, large, then its whole command line, broken where it does not fit.
void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    MakeFonts();
    RECT r;
    GetClientRect(hwnd, &r);
    InflateRect(&r, -12, -10);
    SetBkMode(dc, TRANSPARENT);
    const std::wstring commandLine = GetCommandLineW();
    std::wstring names;
    for (const std::wstring& file : FilesOf(commandLine))
        names += (names.empty() ? L"" : L"\n") + LastPart(file);
    const HGDIOBJ old = SelectObject(dc, fonts[1]);
    RECT used = r;
    DrawTextW(dc, names.c_str(), -1, &used, DT_NOPREFIX | DT_END_ELLIPSIS | DT_CALCRECT);
    DrawTextW(dc, names.c_str(), -1, &r, DT_NOPREFIX | DT_END_ELLIPSIS);
    if (!names.empty()) r.top = used.bottom + 10;
    SelectObject(dc, fonts[0]);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, L"Command line:", -1, &r, DT_NOPREFIX | DT_SINGLELINE);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    r.top += tm.tmHeight + 2;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, commandLine.c_str(), -1, &r, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kTitleTimer) {
            KillTimer(hwnd, kTitleTimer);
            SetWindowTextW(hwnd, titleToShow.c_str());
        } else {
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->lpData)
            ShowFileLater(hwnd, std::wstring(static_cast<const wchar_t*>(data->lpData),
                                             data->cbData / sizeof(wchar_t)));
        return TRUE;
    }
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_DESTROY:
        for (HFONT& font : fonts) {
            DeleteObject(font);
            font = nullptr;
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Starts this program again with the same command line; the copy inherits the environment.
void StartCopy() {
    const std::wstring childMode = Env(L"TOLVANIER_VIEWAPP_CHILD_MODE", L"");
    // A launcher copy would start copies without end.
    const bool plain = childMode.empty() || childMode == L"launcher";
    SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_MODE", plain ? nullptr : childMode.c_str());
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

// A splash screen that answers messages while the main window is made ready, then closes.
void ShowSplash(HINSTANCE instance, DWORD ms) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"ViewAppSplash";
    RegisterClassW(&wc);
    HWND splash = CreateWindowExW(0, wc.lpszClassName, L"splash", WS_POPUP | WS_VISIBLE, 300, 200, 200, 80,
                                  nullptr, nullptr, instance, nullptr);
    const ULONGLONG until = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    DestroyWindow(splash);
}

// Hands the command line to the copy already running, as a program that runs once does. Returns
// false when none runs.
bool HandToRunningCopy() {
    HWND running = FindWindowW(kRunningClass, nullptr);
    if (!running) return false;
    const std::wstring commandLine = GetCommandLineW();
    COPYDATASTRUCT data{0, static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(commandLine.c_str())};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const std::wstring mode = Env(L"TOLVANIER_VIEWAPP_MODE", L"");
    if (mode == L"launcher") {
        StartCopy();
        return 0;
    }
    AppendLine(Env(L"TOLVANIER_VIEWAPP_LOG", L""), GetCommandLineW());
    const UINT lifetime = static_cast<UINT>(_wtoi(Env(L"TOLVANIER_VIEWAPP_MS", L"3000").c_str()));
    if (mode == L"exit") return 0;
    if (mode == L"busy") {
        Sleep(lifetime);
        return 0;
    }
    const DWORD delay = static_cast<DWORD>(_wtoi(Env(L"TOLVANIER_VIEWAPP_DELAY_MS", L"0").c_str()));
    if (mode == L"slow") Sleep(delay);
    if (mode == L"splash") ShowSplash(instance, delay);
    const bool single = mode == L"single" || mode == L"holder";
    if (single && HandToRunningCopy()) return 0;
    const std::wstring className = single ? kRunningClass : Env(L"TOLVANIER_VIEWAPP_CLASS", L"ViewAppWindow");
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className.c_str();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    // The running copy of "single" and "holder" names its file only once it got one ("holder" never).
    const std::wstring title = single ? ProgramName() : TitleFor(GetCommandLineW());
    HWND window = CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 540, 330, 640,
                                  240, nullptr, nullptr, instance, nullptr);
    if (mode != L"hidden") ShowWindow(window, SW_SHOW);
    if (mode == L"hung") {
        Sleep(lifetime);
        return 0;
    }
    if (single) ShowFileLater(window, GetCommandLineW());
    if (mode == L"windows") {
        const int count = _wtoi(Env(L"TOLVANIER_VIEWAPP_WINDOWS", L"100").c_str());
        for (int i = 1; i < count; ++i) {
            const std::wstring numbered = L"window " + std::to_wstring(i) + L" - viewapp";
            CreateWindowExW(0, className.c_str(), numbered.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10 + i,
                            10 + i, 300, 100, nullptr, nullptr, instance, nullptr);
        }
    }
    SetTimer(window, kLifetimeTimer, lifetime, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
