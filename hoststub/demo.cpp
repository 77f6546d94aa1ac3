// The demo: the plugin installed into a folder of its own beside this program, the settings written
// there, and a viewing session with real applications. Each step does what a person does, then tells
// what happened as it finds it afterwards (the command lines the applications logged, what became of
// the viewer, the clipboard, a file), and checks that against what the step shows; a step that did
// not do what it says makes the demo end with a non-zero status.
#include "hoststub/demo.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hoststub/desktop.h"
#include "hoststub/host_standin.h"
#include "win/handles.h"
#include "win/paths.h"

namespace hoststub {
namespace {

// The test application's window class, and notepad's.
constexpr wchar_t kViewAppClass[] = L"ViewAppWindow";
constexpr wchar_t kNotepadClass[] = L"Notepad";
// The made-up file type the demo associates with a program of its own in the registry.
constexpr wchar_t kDemoExtension[] = L".tvplan";
constexpr wchar_t kDemoClass[] = L"TolvanierDemo.Plan";
// How long a step waits for what it expects before it tells what it found.
constexpr DWORD kSettleMs = 5000;

void Print(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

std::string Utf8(const std::wstring& w) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), bytes, nullptr, nullptr);
    s.resize(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0));
    return s;
}

std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    const win::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// The lines of a UTF-8 text, without their line ends.
std::vector<std::wstring> LinesOf(const std::string& text) {
    std::vector<std::wstring> lines;
    for (size_t from = 0; from < text.size();) {
        const size_t nl = std::min(text.find('\n', from), text.size());
        std::wstring line = Wide(text.substr(from, nl - from));
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(std::move(line));
        from = nl + 1;
    }
    return lines;
}

// A file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path) {
    const win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

// The lines of a UTF-8 text file (the applications' log, the settings as written).
std::vector<std::wstring> ReadLines(const std::wstring& path) {
    return LinesOf(ReadFileBytes(path));
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The files of a folder (not its subfolders) deleted: what an earlier run left there.
void DeleteFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const win::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.Get(), &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + found.cFileName).c_str());
}

std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

std::wstring Quoted(const std::wstring& s) {
    return L"\"" + s + L"\"";
}

// A command line as the plugin builds it: the program in quotes, a space, the arguments.
std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments) {
    return Quoted(program) + L" " + arguments;
}

void Activate(HWND w) {
    SetForegroundWindow(w);
    SetActiveWindow(w);
}

// Handles this thread's messages until done() or ms have passed; returns done().
bool WaitUntil(DWORD ms, const std::function<bool()>& done) {
    const ULONGLONG until = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() >= until) return done();
        PumpMessages(20);
    }
    return true;
}

std::wstring TitleOf(HWND w) {
    wchar_t title[512] = L"";
    GetWindowTextW(w, title, 512);
    return title;
}

// A visible top-level window of the class whose title begins with titleStart; null if none.
HWND FindShownWindow(const wchar_t* className, const std::wstring& titleStart) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExW(nullptr, w, className, nullptr))
        if (IsWindowVisible(w) && TitleOf(w).starts_with(titleStart)) return w;
    return nullptr;
}

// Closes every top-level window of the class, as a person closes an application, and waits until their
// processes have ended. Returns false when one still runs after timeoutMs.
bool CloseApplicationsOfClass(const wchar_t* className, DWORD timeoutMs) {
    std::vector<win::UniqueHandle> processes;
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExW(nullptr, w, className, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (win::UniqueHandle process{OpenProcess(SYNCHRONIZE, FALSE, pid)})
            processes.push_back(std::move(process));
        PostMessageW(w, WM_CLOSE, 0, 0);
    }
    return WaitUntil(timeoutMs, [&] {
        return std::all_of(processes.begin(), processes.end(), [](const win::UniqueHandle& p) {
            return WaitForSingleObject(p.Get(), 0) == WAIT_OBJECT_0;
        });
    });
}

// The association of the demo's made-up type in HKEY_CLASSES_ROOT (this platform shows associations
// written there, not under the user's classes), removed again when the demo ends: the type opens in
// program, and viewapp.exe is in its Open with list.
class DemoAssociation {
  public:
    explicit DemoAssociation(const std::wstring& program) {
        Remove();
        written_ =
            SetText(kDemoExtension, kDemoClass) &&
            SetText(std::wstring(kDemoClass) + L"\\shell\\open\\command", Quoted(program) + L" \"%1\"") &&
            SetText(std::wstring(kDemoExtension) + L"\\OpenWithList\\viewapp.exe", L"");
    }
    ~DemoAssociation() { Remove(); }
    DemoAssociation(const DemoAssociation&) = delete;
    DemoAssociation& operator=(const DemoAssociation&) = delete;
    bool Written() const { return written_; }

  private:
    static bool SetText(const std::wstring& keyPath, const std::wstring& text) {
        win::UniqueRegKey key;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.Put(), nullptr) != ERROR_SUCCESS)
            return false;
        return text.empty() ||
               RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    static void Remove() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kDemoExtension);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kDemoClass);
    }
    bool written_ = false;
};

// What became of a viewer window after a load.
enum class Fate { Closed, KeptHidden, LeftOpen };

const wchar_t* FateText(Fate fate) {
    switch (fate) {
    case Fate::Closed: return L"closed";
    case Fate::KeptHidden: return L"kept, hidden";
    case Fate::LeftOpen: return L"left open";
    }
    return L"";
}

// What a view should do: take the file or decline it, the command lines started, the viewer's fate.
struct Expected {
    bool taken = true;
    std::vector<std::wstring> started;
    Fate viewer = Fate::Closed;
};

class Demo {
  public:
    explicit Demo(DemoOptions options) : options_(options) {}

    int Run() {
        // The steps in the order they are shown. Each tells what happened and checks it.
        using Step = void (Demo::*)();
        static constexpr Step kSteps[] = {
            &Demo::OneFile,            // a file viewed from the main window
            &Demo::Selection,          // the files selected in the focused panel
            &Demo::FindFiles,          // from the Find Files dialog: its search text to the clipboard
            &Demo::CopyFromArchive,    // the hidden viewer of a copy from an archive, closed afterwards
            &Demo::ChangedCopy,        // a change saved in such a copy, kept as its viewer closes
            &Demo::HotKey,             // a viewer the plugin left open, and its first hotkey
            &Demo::SystemAssociation,  // an unconfigured type in its associated program
            &Demo::Types,              // names the extension does not tell apart, typed by [Types]
            &Demo::MenuOfApplications, // the third hotkey's menu
            &Demo::DefaultEditor,      // nothing configured, nothing associated
            &Demo::CheckerReport,      // the checker on these settings
        };
        if (Prepare())
            for (const Step step : kSteps)
                RunStep(step);
        else
            Expect(false, L"the host stand-in could not set the demo up");
        CloseApplicationsOfClass(kViewAppClass, kSettleMs);
        Print(L"");
        if (!failures_.empty()) {
            Print(L"Not as the demo says (" + std::to_wstring(failures_.size()) + L"):");
            for (const std::wstring& f : failures_)
                Print(L"  " + f);
        }
        Print(L"Demo finished.");
        return failures_.empty() ? 0 : 1;
    }

  private:
    // Runs a step. The platform now and then runs nothing at all for a start (the process ends at once
    // and the application never logs): a step that failed only where an application should have
    // started runs once more, and says so.
    template <typename Step> void RunStep(Step step) {
        const size_t failed = failures_.size();
        nothingStarted_ = false;
        (this->*step)();
        if (failures_.size() == failed || !nothingStarted_) return;
        Print(L"  (an application that should have started ran not at all: the step runs once more)");
        failures_.resize(failed);
        (this->*step)();
    }

    DemoOptions options_;
    std::wstring exeDir_ = win::DirectoryOf(win::ModuleFileName(nullptr));
    std::wstring dir_ = exeDir_ + L"demo\\";
    std::wstring files_ = dir_ + L"files\\";     // the user's folder, in the left panel
    std::wstring plugin_ = dir_ + L"plugin\\";   // where the plugin is installed, in the right panel
    std::wstring temp_ = dir_ + L"tmp\\";        // the file manager's temporary folder
    std::wstring changed_ = dir_ + L"changed\\"; // where the plugin keeps changed copies from archives
    std::wstring viewApp_ = exeDir_ + L"viewapp.exe";
    std::wstring planView_ = dir_ + L"apps\\planview.exe"; // the test application under another name
    std::wstring appLog_ = dir_ + L"started.log";
    HostStandIn host_;
    std::unique_ptr<DemoAssociation> association_;
    size_t startedSeen_ = 0;
    ULONGLONG lastHotKeyAt_ = 0;
    std::vector<std::wstring> menuItems_;
    std::vector<std::wstring> failures_;
    std::wstring step_;           // the heading of the step that runs
    bool nothingStarted_ = false; // an application the step expected logged nothing

    // Narration.
    void Heading(const std::wstring& what) {
        step_ = what;
        Print(L"");
        Print(L"* " + what);
    }
    static void Tell(const std::wstring& label, const std::wstring& what) {
        std::wstring line = L"  " + label + L":";
        line.resize(std::max<size_t>(line.size() + 1, 12), L' ');
        Print(line + what);
    }
    // Records and says so when something did not happen as the step says.
    bool Expect(bool happened, const std::wstring& what) {
        if (!happened) {
            Print(L"  FAILED: " + what);
            failures_.push_back(step_ + L": " + what);
        }
        return happened;
    }

    // The plugin's settings for every step: the applications of [Editor] and the types of [Types] they
    // name, the hotkeys the steps press, where changed copies are kept.
    std::string SettingsText() const {
        const std::string viewApp = Utf8(viewApp_), planView = Utf8(planView_);
        const std::string changed = Utf8(changed_.substr(0, changed_.size() - 1)); // as people write folders
        return "[Options]\r\nDefaultEditor=notepad\r\nUseSystemAssociations=1\r\nChangedCopiesFolder=" +
               changed +
               "\r\n[HotKeys]\r\nAppFromLister_key=113\r\nAppFromLister_mod=\r\n"
               "ChooseAppFromLister_key=115\r\nChooseAppFromLister_mod=\r\n"
               "[Types]\r\nMakefile;GNUmakefile;*.mk=make\r\n*.tar.gz;*.tgz=tgz\r\n"
               "[Editor]\r\ntxt,md=" +
               viewApp + "\r\ntxt_params=--view %1\r\nmake=" + viewApp +
               "\r\nmake_params=--make %1\r\ntgz=" + planView + "\r\n";
    }

    bool Prepare() {
        for (const std::wstring& folder : {dir_, files_, plugin_, temp_, temp_ + L"_tc1\\", temp_ + L"_tc2\\",
                                           dir_ + L"apps\\", dir_ + L"moments\\"})
            CreateDirectoryW(folder.c_str(), nullptr);
        // The user's folder holds what this run writes, nothing of an earlier one.
        DeleteFilesIn(files_);
        for (const wchar_t* name : {L"Tolvanier64.wlx64", L"TolvanierCheck.exe"})
            CopyFileW((exeDir_ + name).c_str(), (plugin_ + name).c_str(), FALSE);
        CopyFileW(viewApp_.c_str(), planView_.c_str(), FALSE);
        DeleteFileW(appLog_.c_str());
        // The applications log their command lines and run until the demo closes them.
        SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_LOG", appLog_.c_str());
        SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_MS", L"120000");
        SetEnvironmentVariableW(L"TOLVANIER_VIEWAPP_MODE", nullptr);
        // What the host sets for itself and its plugins: its INI and its own folder.
        SetEnvironmentVariableW(L"COMMANDER_INI", (dir_ + L"wincmd.ini").c_str());
        SetEnvironmentVariableW(L"COMMANDER_PATH", exeDir_.c_str());
        SetEnvironmentVariableW(L"TEMP", temp_.c_str());
        WriteFileText(dir_ + L"wincmd.ini", "[Configuration]\r\nViewertype=1\r\nGetTextMode=1\r\n");
        const std::wstring settings = plugin_ + L"Tolvanier.ini";
        WriteFileText(settings, SettingsText());
        for (const wchar_t* name :
             {L"report.txt", L"one.txt", L"two.md", L"three.txt", L"found.txt", L"next.txt", L"later.txt",
              L"hotkey.md", L"plan.tvplan", L"Makefile", L"backup.tar.gz", L"notes.log"})
            WriteFileText(files_ + name, "This is " + Utf8(name) + ", a file of the demo.\r\n");

        host_.CreateMainWindow();
        MoveWindow(host_.MainWindow(), 30, 30, 1000, 620, TRUE);
        host_.ShowFolder(1, plugin_);
        const bool loaded = host_.LoadPlugin(plugin_ + L"Tolvanier64.wlx64");
        Print(L"Host stand-in: a two-panel file manager, main window \"TTOTAL_CMD\"; the plugin " +
              std::wstring(loaded ? L"loaded from " : L"did not load from ") + plugin_ +
              L"Tolvanier64.wlx64");
        if (!loaded) return false;
        char detect[64] = {};
        host_.Plugin().ListGetDetectString(detect, sizeof(detect));
        Print(L"Detect string: " + Wide(detect));
        Print(L"Settings, " + settings + L":");
        for (const std::wstring& line : ReadLines(settings))
            Print(L"    " + line);
        association_ = std::make_unique<DemoAssociation>(planView_);
        Print(association_->Written()
                  ? L"Windows' association (HKEY_CLASSES_ROOT): " + std::wstring(kDemoExtension) +
                        L" opens in " + planView_ +
                        L" (the test application under another name); viewapp.exe is in its Open with list"
                  : L"Windows' association of " + std::wstring(kDemoExtension) + L" could not be written");
        return association_->Written();
    }

    // The command lines the applications logged since the last look: at least count of them, waited for
    // up to kSettleMs, and any that follow within a moment.
    std::vector<std::wstring> Started(size_t count) {
        std::vector<std::wstring> lines;
        WaitUntil(count ? kSettleMs : 300, [&] {
            lines = ReadLines(appLog_);
            return count && lines.size() >= startedSeen_ + count;
        });
        PumpMessages(100);
        lines = ReadLines(appLog_);
        std::vector<std::wstring> fresh(
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(startedSeen_, lines.size())), lines.end());
        startedSeen_ = lines.size();
        return fresh;
    }

    // Tells the command lines started since the last look and checks them against the expected ones.
    void TellStarted(const std::vector<std::wstring>& expected) {
        const std::vector<std::wstring> started = Started(expected.size());
        nothingStarted_ = nothingStarted_ || (started.empty() && !expected.empty());
        if (started.empty()) Tell(L"started", L"nothing");
        for (const std::wstring& line : started)
            Tell(L"started", line);
        Expect(started == expected,
               expected.empty() ? L"nothing should have started" : L"expected to start: " + expected.front());
    }

    Fate FateOf(HWND lister) const {
        if (!host_.ListerAlive(lister)) return Fate::Closed;
        return IsWindowVisible(lister) ? Fate::LeftOpen : Fate::KeptHidden;
    }

    // Views file in lister as the host does, then tells what happened once the messages the plugin
    // posted were handled: the decision, what started, what became of the viewer.
    HWND ViewAndTell(const std::wstring& heading, HWND lister, const std::wstring& file,
                     const Expected& expected, bool extractedCopy = false) {
        const HWND plugin =
            extractedCopy ? host_.ViewExtractedCopy(lister, file) : host_.ViewFile(lister, file);
        Heading(heading);
        Tell(L"decision", plugin ? L"taken" : L"declined");
        Expect((plugin != nullptr) == expected.taken,
               file + (expected.taken ? L" should have been taken" : L" should have been declined"));
        TellStarted(expected.started);
        PumpMessages(200);
        WaitUntil(kSettleMs, [&] { return FateOf(lister) == expected.viewer; });
        const Fate fate = FateOf(lister);
        const bool showsFile =
            fate == Fate::LeftOpen && host_.Lister(lister) && !host_.Lister(lister)->text.empty();
        Tell(L"viewer", FateText(fate) + std::wstring(showsFile ? L", showing the file itself" : L""));
        Expect(fate == expected.viewer, std::wstring(L"the viewer should be ") + FateText(expected.viewer));
        return plugin;
    }

    // A file viewed in a new viewer opened from the main window, as the host's view key does.
    HWND ViewFromMainWindow(const std::wstring& heading, const std::wstring& file, const Expected& expected) {
        Activate(host_.MainWindow());
        return ViewAndTell(heading, host_.CreateLister(), file, expected);
    }

    // A viewer that is open already moves on to the file: the plugin declines (Lister4=0) and the viewer
    // shows the file itself. Returns the viewer, left open.
    HWND ViewInOpenViewer(const std::wstring& name) {
        const HWND lister = host_.CreateLister();
        ShowWindow(lister, SW_SHOW);
        Activate(lister);
        ViewAndTell(L"View " + name + L" in a viewer that is open already", lister, files_ + name,
                    {false, {}, Fate::LeftOpen});
        return lister;
    }

    // A key moment: with waitAtMoments, the demo waits there for its screenshot. The thread that shows
    // the windows handles its messages meanwhile, unless it is busy in a menu's loop (pump false).
    void Moment(const wchar_t* name, bool pump = true) const {
        if (!options_.waitAtMoments) return;
        if (pump) PumpMessages(700); // every window painted
        const std::wstring marker = dir_ + L"moments\\" + name;
        WriteFileText(marker, "");
        const ULONGLONG until = GetTickCount64() + 30000;
        while (Exists(marker) && GetTickCount64() < until)
            pump ? PumpMessages(50) : Sleep(50);
        DeleteFileW(marker.c_str());
    }

    // The test application's window that shows file, waited for.
    HWND ApplicationWindowOf(const std::wstring& file) {
        HWND window = nullptr;
        WaitUntil(kSettleMs, [&] {
            return (window = FindShownWindow(kViewAppClass, NameOf(file) + L" - ")) != nullptr;
        });
        return window;
    }

    void CloseApplications() { CloseApplicationsOfClass(kViewAppClass, kSettleMs); }

    std::wstring ViewApp(const std::wstring& arguments) const { return CommandLine(viewApp_, arguments); }

    // The steps.

    void OneFile() {
        const std::wstring file = files_ + L"report.txt";
        host_.ShowFolder(0, files_);
        ViewFromMainWindow(L"View report.txt from the main window", file,
                           {true, {ViewApp(L"--view " + Quoted(file))}, Fate::Closed});
        CloseApplications();
    }

    void Selection() {
        const std::wstring one = files_ + L"one.txt", two = files_ + L"two.md", three = files_ + L"three.txt";
        const std::vector<std::wstring> entries = host_.ShowFolder(0, files_);
        std::vector<int> selected;
        for (int i = 0; i < static_cast<int>(entries.size()); ++i)
            for (const wchar_t* name : {L"one.txt\t", L"two.md\t", L"three.txt\t"})
                if (entries[static_cast<size_t>(i)].starts_with(name)) selected.push_back(i);
        host_.SelectPanelEntries(selected);
        Activate(host_.MainWindow());
        host_.FocusPanel(0);
        host_.ClearLog();
        // One application for all three, with the template of the first extension key in order (md has none).
        ViewAndTell(L"View one.txt with one.txt, two.md and three.txt selected in the left panel",
                    host_.CreateLister(), one,
                    {true, {ViewApp(Quoted(two) + L" " + Quoted(one) + L" " + Quoted(three))}, Fate::Closed});
        const auto& log = host_.Log();
        const bool asked = std::find(log.begin(), log.end(), L"main WM_COPYDATA SP") != log.end();
        Tell(L"folder", asked ? L"asked of the file manager, which answered " + files_ : L"never asked");
        Expect(asked, L"the plugin should ask the file manager for the panel's folder");
        ApplicationWindowOf(two);
        Moment(L"selection");
        host_.SelectPanelEntries({});
        CloseApplications();
    }

    void FindFiles() {
        const std::wstring file = files_ + L"found.txt";
        HWND find = host_.CreateFindFiles({5, 116}, {85, 114}, BST_CHECKED, L"needle");
        Activate(find);
        ViewAndTell(L"View found.txt from the Find Files dialog, which searched for the text \"needle\"",
                    host_.CreateLister(), file, {true, {ViewApp(L"--view " + Quoted(file))}, Fate::Closed});
        std::wstring clip;
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
                if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                    clip = text;
                    GlobalUnlock(data);
                }
            CloseClipboard();
        }
        Tell(L"clipboard", Quoted(clip));
        Expect(clip == L"needle", L"the search text should be on the clipboard");
        DestroyWindow(find);
        CloseApplications();
    }

    // A copy from an archive viewed from the main window, whose panel shows the archive's contents; the
    // host's copy of them lies in a folder of its temporary folder. The viewer is kept hidden while the
    // application shows the copy. Returns the viewer.
    HWND ViewCopyFromArchive(const std::wstring& copy) {
        const std::wstring extracted = win::DirectoryOf(copy);
        host_.ShowFolder(0, extracted, files_ + L"archive.zip\\");
        Activate(host_.MainWindow());
        const HWND lister = host_.CreateLister();
        ViewAndTell(L"View " + NameOf(copy) + L" inside archive.zip, which the file manager extracted to " +
                        extracted,
                    lister, copy, {true, {ViewApp(L"--view " + Quoted(copy))}, Fate::KeptHidden}, true);
        return lister;
    }

    // Closes the application that shows the copy (its window app) as a person does; the hidden viewer
    // stays.
    void CloseApplicationOfCopy(HWND app, HWND lister) {
        // The plugin's watch notes the application's window within a few of its ticks.
        PumpMessages(500);
        Heading(L"Close the application that shows the copy");
        const bool ended = app && CloseApplicationsOfClass(kViewAppClass, kSettleMs);
        Tell(L"application", !app    ? L"no window showed the copy"
                             : ended ? L"closed, its process has ended"
                                     : L"still running");
        Expect(ended, L"the application that shows the copy should have ended");
        Tell(L"viewer", FateText(FateOf(lister)));
        Expect(FateOf(lister) == Fate::KeptHidden,
               L"the hidden viewer stays until the plugin starts an application");
    }

    // Views the file name from the main window; that start closes the hidden viewer of copy, whose
    // application has ended, and the file manager deletes the copy.
    void ViewNextAfterCopy(const std::wstring& name, HWND lister, const std::wstring& copy) {
        host_.ShowFolder(0, files_);
        const std::wstring next = files_ + name;
        ViewFromMainWindow(L"View " + name + L" from the main window", next,
                           {true, {ViewApp(L"--view " + Quoted(next))}, Fate::Closed});
        WaitUntil(kSettleMs, [&] { return !host_.ListerAlive(lister); });
        Tell(L"the hidden viewer of " + NameOf(copy), FateText(FateOf(lister)));
        Expect(FateOf(lister) == Fate::Closed,
               L"the hidden viewer should close at the next start after its application ended");
        Tell(L"the copy",
             Exists(copy) ? L"still there" : L"deleted by the file manager as its viewer closed");
        Expect(!Exists(copy), L"the file manager should have deleted the copy");
    }

    // A copy from an archive: the viewer is kept hidden while the application shows the copy; once the
    // application has ended, the plugin's next start closes it, and the file manager deletes the copy.
    void CopyFromArchive() {
        const std::wstring copy = temp_ + L"_tc1\\packed.txt";
        WriteFileText(copy, "a file packed in an archive\r\n");
        const HWND lister = ViewCopyFromArchive(copy);
        const HWND app = ApplicationWindowOf(copy);
        Moment(L"hidden-viewer");
        CloseApplicationOfCopy(app, lister);
        ViewNextAfterCopy(L"next.txt", lister, copy);
        CloseApplications();
    }

    // A change saved in a copy from an archive is kept: as the viewer of the copy closes, the plugin keeps
    // the changed copy in ChangedCopiesFolder before the file manager deletes it, and says where once the
    // file manager's call has returned. The message blocks this thread: a second thread reads it and
    // presses OK.
    void ChangedCopy() {
        const std::wstring copy = temp_ + L"_tc2\\draft.txt";
        const std::wstring kept = changed_ + L"draft.txt";
        DeleteFilesIn(changed_); // a step run once more keeps its file under the same name
        const std::string packed = "a draft packed in an archive\r\n";
        WriteFileText(copy, packed);
        const HWND lister = ViewCopyFromArchive(copy);
        const HWND app = ApplicationWindowOf(copy);

        // The test application has no Save: the demo writes what a Save in it would.
        const std::string saved = packed + "and a line added in the application\r\n";
        const bool written = WriteFileText(copy, saved);
        Heading(L"Save a change in the copy while the application shows it (the demo writes it, as the "
                L"application's Save would)");
        Tell(L"the copy", written
                              ? std::to_wstring(saved.size()) + L" bytes now, " +
                                    std::to_wstring(packed.size()) + L" when the file manager extracted it"
                              : L"could not be written");
        Expect(written, L"the copy should take the change");
        CloseApplicationOfCopy(app, lister);

        bool copyGoneAtMessage = false;
        MessageBoxDriver message(
            [&](HWND box, const CaughtBox&) {
                copyGoneAtMessage = !Exists(copy);
                if (options_.waitAtMoments) {
                    // The application the view of later.txt starts comes up after the message and above
                    // it: for the picture, the message is brought up again.
                    WaitUntil(kSettleMs,
                              [] { return FindShownWindow(kViewAppClass, L"later.txt - ") != nullptr; });
                    PumpMessages(300);
                    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                    SetForegroundWindow(box);
                    Moment(L"kept-copy-message", false);
                }
                PressOk(box);
            },
            options_.waitAtMoments ? 40000 : 3 * kSettleMs);
        ViewNextAfterCopy(L"later.txt", lister, copy);
        WaitUntil(3 * kSettleMs, [&] { return message.Finished(); });
        const std::string keptText = ReadFileBytes(kept);
        Tell(L"kept", !Exists(kept)       ? L"nothing in " + changed_
                      : keptText == saved ? kept + L", with the change saved in the copy"
                                          : kept + L", but not what was saved in the copy");
        Expect(keptText == saved, L"the changed copy should be kept whole in " + changed_);

        const std::optional<CaughtBox>& box = message.Box();
        if (!box) {
            Tell(L"message", L"none shown");
        } else {
            Tell(L"message",
                 Quoted(box->caption) +
                     (box->owner == host_.MainWindow() ? L", over the file manager's main window" : L"") +
                     (copyGoneAtMessage ? L", shown after the file manager had deleted the copy:"
                                        : L", shown while the copy was still there:"));
            for (const std::wstring& line : LinesOf(Utf8(box->text)))
                Print(L"              " + line);
            Tell(L"answered", L"OK");
        }
        Expect(box && box->caption == L"Tolvanier" &&
                   box->text == L"Changes saved in a copy from an archive were kept:\n" + kept,
               L"a message \"Tolvanier\" should say where the changed copy was kept");
        Expect(!box || copyGoneAtMessage,
               L"the message should come once the file manager's call has returned");
        CloseApplications();
    }

    // The first hotkey opens the file of a viewer the plugin left open in its application.
    void HotKey() {
        const std::wstring file = files_ + L"hotkey.md";
        const HWND lister = ViewInOpenViewer(L"hotkey.md");
        PressHotKey(lister, VK_F2);
        Heading(L"Press F2 (AppFromLister) in that viewer");
        TellStarted({ViewApp(Quoted(file))});
        host_.CloseLister(lister);
        CloseApplications();
    }

    void SystemAssociation() {
        const std::wstring file = files_ + L"plan.tvplan";
        ViewFromMainWindow(L"View plan.tvplan from the main window: nothing configured for tvplan, "
                           L"UseSystemAssociations=1",
                           file, {true, {CommandLine(planView_, Quoted(file))}, Fate::Closed});
        CloseApplications();
    }

    // [Types] gives names that the extension does not tell apart a type key, which [Editor] is asked for
    // instead: Makefile has no extension, backup.tar.gz is a "gz". Which line took each is what the
    // checker, with the plugin's own code, finds for it.
    void Types() {
        const std::wstring makefile = files_ + L"Makefile", backup = files_ + L"backup.tar.gz";
        ViewFromMainWindow(L"View Makefile from the main window: a name without an extension", makefile,
                           {true, {ViewApp(L"--make " + Quoted(makefile))}, Fate::Closed});
        TellType(makefile, L"Makefile;GNUmakefile;*.mk=make", L"make");
        ViewFromMainWindow(
            L"View backup.tar.gz from the main window: extension key gz, nothing configured for it", backup,
            {true, {CommandLine(planView_, Quoted(backup))}, Fate::Closed});
        TellType(backup, L"*.tar.gz;*.tgz=tgz", L"tgz");
        CloseApplications();
    }

    // Tells the [Types] line that takes file and the type key it gives, as the checker finds them, and
    // checks that they are typesLine and key.
    void TellType(const std::wstring& file, const std::wstring& typesLine, const std::wstring& key) {
        const ProgramRun run =
            RunProgram(Quoted(plugin_ + L"TolvanierCheck.exe") + L" " + Quoted(file), 30000);
        // The checker names each file with what made its key: "<file> (no extension; [Types] line ...)".
        std::wstring type;
        for (const std::wstring& line : LinesOf(run.output)) {
            const size_t at = line.find(L"; [Types] line ");
            if (line.starts_with(L"  " + file + L" (") && at != std::wstring::npos && line.ends_with(L")"))
                type = line.substr(at + 2, line.size() - at - 3);
        }
        Tell(L"type",
             (type.empty() ? L"no [Types] line takes it" : type) + L", as TolvanierCheck.exe finds it");
        Expect(type.ends_with(Quoted(typesLine) + L": type key " + key),
               L"[Types] should give it the type key " + key + L" by the line " + typesLine);
    }

    void MenuOfApplications() {
        const std::wstring file = files_ + L"plan.tvplan";
        const HWND lister = ViewInOpenViewer(L"plan.tvplan");
        // The driver reads the menu, goes down to viewapp and, once the screenshot is taken, chooses it.
        std::wstring chosen;
        MenuDriver driver(
            [&](HWND menu, const std::vector<std::wstring>& items) {
                const auto it = std::find(items.begin(), items.end(), L"viewapp");
                if (it == items.end()) return MenuDriver::PostKeys(menu, {VK_ESCAPE});
                const auto downs =
                    std::count_if(items.begin(), it + 1, [](const std::wstring& t) { return !t.empty(); });
                MenuDriver::PostKeys(menu, std::vector<WORD>(static_cast<size_t>(downs), VK_DOWN));
                Moment(L"menu", false);
                chosen = *it;
                MenuDriver::PostKeys(menu, {VK_RETURN});
            },
            options_.waitAtMoments ? 40000 : kSettleMs);
        PressHotKey(lister, VK_F4);
        menuItems_ = driver.Items();
        Heading(L"Press F4 (ChooseAppFromLister) in that viewer: the menu of applications");
        std::wstring listed;
        for (const std::wstring& item : menuItems_)
            if (!item.empty()) listed += (listed.empty() ? L"" : L" | ") + item;
        Tell(L"menu", menuItems_.empty() ? L"none shown" : listed);
        Expect(std::count(menuItems_.begin(), menuItems_.end(), L"planview") == 1,
               L"the menu should offer the associated program, planview");
        Tell(L"chosen", chosen.empty() ? L"nothing" : chosen);
        TellStarted({ViewApp(Quoted(file))});
        host_.CloseLister(lister);
        CloseApplications();
    }

    // Presses a hotkey in the viewer as a person does; the plugin takes one start a second from a hotkey.
    void PressHotKey(HWND lister, WORD vk) {
        WaitUntil(1100, [&] { return GetTickCount64() - lastHotKeyAt_ > 1100; });
        Activate(lister);
        PressKey(vk);
        lastHotKeyAt_ = GetTickCount64();
        PumpMessages(300);
    }

    void DefaultEditor() {
        const std::wstring file = files_ + L"notes.log";
        Activate(host_.MainWindow());
        const HWND lister = host_.CreateLister();
        const HWND plugin = host_.ViewFile(lister, file);
        Heading(L"View notes.log: nothing configured for log");
        win::UniqueRegKey association;
        const bool associated =
            RegOpenKeyExW(HKEY_CLASSES_ROOT, L".log", 0, KEY_READ, association.Put()) == ERROR_SUCCESS;
        Tell(L"Windows", associated ? L"has an association for .log" : L"has no association for .log");
        Expect(!associated, L"this step needs a system without an association for .log");
        Tell(L"decision", plugin ? L"taken" : L"declined");
        HWND editor = nullptr;
        WaitUntil(kSettleMs,
                  [&] { return (editor = FindShownWindow(kNotepadClass, L"notes.log")) != nullptr; });
        Tell(L"started", editor ? L"notepad, its window \"" + TitleOf(editor) + L"\"" : L"no notepad window");
        nothingStarted_ = !editor;
        Expect(plugin && editor, L"the default editor should show notes.log");
        WaitUntil(kSettleMs, [&] { return !host_.ListerAlive(lister); });
        Tell(L"viewer", FateText(FateOf(lister)));
        Expect(FateOf(lister) == Fate::Closed, L"the viewer should be closed");
        CloseApplicationsOfClass(kNotepadClass, kSettleMs);
    }

    // The checker beside the plugin, as a user runs it: its report on these settings, and the menu it
    // says the third hotkey shows for one file.
    void CheckerReport() {
        const std::wstring checker = Quoted(plugin_ + L"TolvanierCheck.exe");
        const ProgramRun report = RunProgram(checker, 30000);
        Heading(L"TolvanierCheck.exe beside the plugin: its report on these settings");
        for (const std::wstring& line : LinesOf(report.output))
            for (const wchar_t* shown : {L"settings:", L"no problem", L"problem:", L"hotkey ", L"result:"})
                if (line.starts_with(shown)) Print(L"  " + line);
        Expect(report.status == 0, L"the checker should find no problem in these settings");

        const std::wstring file = files_ + L"plan.tvplan";
        const ProgramRun choose = RunProgram(checker + L" --choose " + Quoted(file), 30000);
        Heading(L"TolvanierCheck.exe --choose plan.tvplan: the menu, as the checker sees it");
        bool inMenu = false;
        for (const std::wstring& line : LinesOf(choose.output)) {
            inMenu = inMenu || line.starts_with(L"the third hotkey");
            if (inMenu || line.starts_with(L"result:")) Print(L"  " + line);
        }
        Expect(choose.status == 0, L"the checker should see no problem for plan.tvplan");
        for (const std::wstring& item : menuItems_)
            if (!item.empty() && item.find(L"...") == std::wstring::npos)
                Expect(choose.output.find(". " + Utf8(item) + " (") != std::string::npos,
                       L"the checker should list the menu's " + item);
    }
};

} // namespace

int RunDemo(const DemoOptions& options) {
    Demo demo(options);
    return demo.Run();
}

} // namespace hoststub
