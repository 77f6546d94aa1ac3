// The host stand-in as a program. With --demo it installs the plugin into a folder of its own beside
// this program and runs a short scripted viewing session with real applications, printing what a
// person would see: the file viewed, the decision, the command line started, what became of the Lister.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hoststub/host_standin.h"

namespace {

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

void Print(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}

std::string Utf8(const std::wstring& w) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), bytes, nullptr, nullptr);
    s.resize(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0));
    return s;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    size_t from = 0;
    for (size_t nl = bytes.find('\n'); nl != std::string::npos; nl = bytes.find('\n', from)) {
        const std::string line = bytes.substr(from, nl - from);
        const int n = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), w.data(), n);
        lines.push_back(w);
        from = nl + 1;
    }
    return lines;
}

void Activate(HWND w) {
    SetForegroundWindow(w);
    SetActiveWindow(w);
}

// Presses and releases a key, as a person would, through the system's input queue.
void PressKey(WORD vk) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = vk;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

class Demo {
  public:
    Demo() : dir_(ExeDirectory() + L"demo\\") {}

    int Run() {
        if (!Prepare()) return 1;
        OneFile();
        Selection();
        FindFiles();
        TemporaryCopy();
        HotKey();
        DefaultEditor();
        HoldForScreenshot();
        Print(L"");
        Print(L"Demo finished.");
        return 0;
    }

  private:
    std::wstring dir_;
    std::wstring plugin_;
    std::wstring appLog_;
    hoststub::HostStandIn host_;
    size_t startedSeen_ = 0;

    std::wstring File(const std::wstring& name) {
        const std::wstring path = dir_ + name;
        WriteFileText(path, "demo file\r\n");
        return path;
    }

    bool Prepare() {
        const std::wstring exeDir = ExeDirectory();
        plugin_ = dir_ + L"plugin\\";
        CreateDirectoryW(dir_.c_str(), nullptr);
        CreateDirectoryW(plugin_.c_str(), nullptr);
        CreateDirectoryW((dir_ + L"tmp").c_str(), nullptr);
        CreateDirectoryW((dir_ + L"tmp\\_tc1").c_str(), nullptr);
        CopyFileW((exeDir + L"Tolvanier64.wlx64").c_str(), (plugin_ + L"Tolvanier64.wlx64").c_str(), FALSE);
        const std::wstring app = exeDir + L"viewapp.exe";
        appLog_ = dir_ + L"started.log";
        DeleteFileW(appLog_.c_str());
        SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_LOG", appLog_.c_str());
        SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_MS", L"1500");
        SetEnvironmentVariableW(L"COMMANDER_INI", (dir_ + L"wincmd.ini").c_str());
        SetEnvironmentVariableW(L"TEMP", (dir_ + L"tmp").c_str());
        WriteFileText(dir_ + L"wincmd.ini", "[Configuration]\r\nViewertype=1\r\nGetTextMode=1\r\n");
        WriteFileText(plugin_ + L"Tolvanier.ini",
                      "[Options]\r\nDefaultEditor=notepad\r\n"
                      "[HotKeys]\r\nAppFromLister_key=113\r\nAppFromLister_mod=\r\n"
                      "[Editor]\r\ntxt,md=" +
                          Utf8(app) + "\r\ntxt_params=--view %1\r\n");

        host_.CreateMainWindow();
        Print(L"Host stand-in: main window \"TTOTAL_CMD\" with a file panel; plugin in " + plugin_);
        if (!host_.LoadPlugin(plugin_ + L"Tolvanier64.wlx64")) {
            Print(L"The plugin did not load.");
            return false;
        }
        char detect[64] = {};
        host_.Plugin().ListGetDetectString(detect, sizeof(detect));
        std::printf("Detect string: %s\n", detect);
        Print(L"Configured: txt and md open in viewapp with \"--view %1\"; F2 (113) in a viewer is the "
              L"hotkey.");
        return true;
    }

    void Report(const std::wstring& what, HWND pluginWindow, HWND lister) {
        host_.Pump(400);
        Print(L"");
        Print(L"* " + what);
        Print(std::wstring(L"  decision: ") + (pluginWindow ? L"taken" : L"declined"));
        const auto lines = ReadStarted(pluginWindow ? 1 : 0);
        for (size_t i = startedSeen_; i < lines.size(); ++i)
            Print(L"  started:  " + lines[i]);
        startedSeen_ = lines.size();
        std::wstring fate = L"closed";
        if (host_.ListerAlive(lister)) fate = IsWindowVisible(lister) ? L"left open" : L"kept, hidden";
        Print(L"  viewer:   " + fate);
    }

    std::vector<std::wstring> ReadStarted(size_t atLeastNew) {
        std::vector<std::wstring> lines;
        for (int i = 0; i < 100; ++i) {
            lines = ReadLines(appLog_);
            if (lines.size() >= startedSeen_ + atLeastNew) break;
            host_.Pump(30);
        }
        return lines;
    }

    void OneFile() {
        const std::wstring file = File(L"report.txt");
        Activate(host_.MainWindow());
        HWND lister = host_.CreateLister();
        HWND result = host_.ViewFile(lister, file);
        Report(L"View " + file + L" from the main window", result, lister);
    }

    void Selection() {
        File(L"one.txt");
        File(L"two.md");
        File(L"three.txt");
        host_.SetPanelEntries({L"one.txt\t1", L"two.md\t2", L"three.txt\t3"});
        host_.SelectPanelEntries({0, 1, 2});
        host_.SetDirectoryReply(hoststub::DirectoryReply::Normal, dir_);
        Activate(host_.MainWindow());
        host_.FocusPanel();
        HWND lister = host_.CreateLister();
        HWND result = host_.ViewFile(lister, dir_ + L"one.txt");
        Report(L"View with three files selected in the panel (directory asked of the host)", result, lister);
        host_.SelectPanelEntries({});
    }

    void FindFiles() {
        const std::wstring file = File(L"found.txt");
        HWND find = host_.CreateFindFiles({5, 116}, {85, 114}, BST_CHECKED, L"needle");
        Activate(find);
        HWND lister = host_.CreateLister();
        HWND result = host_.ViewFile(lister, file);
        Report(L"View " + file + L" from the Find Files dialog (search text \"needle\")", result, lister);
        std::wstring clip;
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
                if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
                    clip = p;
                    GlobalUnlock(data);
                }
            CloseClipboard();
        }
        Print(L"  clipboard: \"" + clip + L"\"");
        DestroyWindow(find);
    }

    void TemporaryCopy() {
        const std::wstring file = File(L"tmp\\_tc1\\packed.txt");
        Activate(host_.MainWindow());
        HWND lister = host_.CreateLister();
        HWND result = host_.ViewFile(lister, file);
        Report(L"View " + file + L", a copy extracted from an archive", result, lister);
        Print(L"  ... the application ends; the next view closes the hidden viewer");
        // Its window lives 1.5 s; the viewer stays until the process, too, has ended.
        host_.Pump(2500);
        const std::wstring next = File(L"next.txt");
        Activate(host_.MainWindow());
        HWND other = host_.CreateLister();
        HWND again = host_.ViewFile(other, next);
        Report(L"View " + next, again, other);
        Print(std::wstring(L"  the hidden viewer: ") +
              (host_.ListerAlive(lister) ? L"still there" : L"closed"));
    }

    void HotKey() {
        // A viewer switched from an open viewer is declined by default; F2 then opens its file.
        const std::wstring file = File(L"hotkey.md");
        HWND open = host_.CreateLister();
        ShowWindow(open, SW_SHOW);
        Activate(open);
        HWND lister = host_.CreateLister();
        HWND result = host_.ViewFile(lister, file);
        Report(L"View " + file + L" from an open viewer", result, lister);
        Activate(lister);
        host_.Pump(1100); // the hotkeys act once the plugin has been loaded for more than a second
        PressKey(VK_F2);
        host_.Pump(300);
        const auto lines = ReadStarted(1);
        Print(L"* Press F2 in that viewer");
        for (size_t i = startedSeen_; i < lines.size(); ++i)
            Print(L"  started:  " + lines[i]);
        startedSeen_ = lines.size();
        host_.CloseLister(lister);
        host_.CloseLister(open);
    }

    // With TOLVANIER_DEMO_HOLD_MS set, one more view leaves the host and the started application on
    // screen for that long.
    void HoldForScreenshot() {
        wchar_t value[32] = {};
        if (!GetEnvironmentVariableW(L"TOLVANIER_DEMO_HOLD_MS", value, 32)) return;
        const DWORD hold = static_cast<DWORD>(_wtoi(value));
        SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_MS", std::to_wstring(hold + 2000).c_str());
        host_.SetPanelEntries(
            {L"report.txt\t1", L"one.txt\t1", L"two.md\t2", L"three.txt\t3", L"notes.log\t4"});
        const std::wstring file = File(L"shown.txt");
        Activate(host_.MainWindow());
        HWND lister = host_.CreateLister();
        host_.ViewFile(lister, file);
        host_.Pump(2500); // the application's window comes up
        Print(L"");
        Print(L"Holding the windows for " + std::to_wstring(hold) + L" ms");
        WriteFileText(dir_ + L"holding", "");
        host_.Pump(hold);
        DeleteFileW((dir_ + L"holding").c_str());
    }

    void DefaultEditor() {
        const std::wstring file = File(L"notes.log");
        Activate(host_.MainWindow());
        HWND lister = host_.CreateLister();
        HWND result = host_.ViewFile(lister, file);
        host_.Pump(1500);
        Print(L"");
        Print(L"* View " + file + L" (no application configured for log: the default editor)");
        Print(std::wstring(L"  decision: ") + (result ? L"taken" : L"declined"));
        HWND editor = FindWindowW(L"Notepad", nullptr);
        wchar_t title[256] = {};
        if (editor) GetWindowTextW(editor, title, 256);
        Print(editor ? L"  started:  notepad, window \"" + std::wstring(title) + L"\""
                     : L"  no notepad window seen");
        Print(std::wstring(L"  viewer:   ") + (host_.ListerAlive(lister) ? L"left open" : L"closed"));
        if (editor && !GetEnvironmentVariableW(L"TOLVANIER_DEMO_KEEP", nullptr, 0))
            PostMessageW(editor, WM_CLOSE, 0, 0);
    }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool demo = argc > 1 && std::wstring(argv[1]) == L"--demo";
    if (!demo) {
        Print(L"usage: tolvanier-host --demo");
        return 2;
    }
    Demo session;
    return session.Run();
}
