// A viewing session for end-to-end tests: the real module installed in a folder of its own with its
// own Tolvanier.ini, driven by the host stand-in, and the test application logging what it was given.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <psapi.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "hoststub/host_standin.h"
#include "tests/support/test_support.h"

namespace testing_support {

inline std::wstring Quoted(const std::wstring& s) {
    return L"\"" + s + L"\"";
}

// Sets what GetKeyState reports on this thread for one key.
inline void SetKeyState(int vk, bool down, bool toggled) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = static_cast<BYTE>((down ? 0x80 : 0) | (toggled ? 1 : 0));
    SetKeyboardState(keys);
}

// The arguments a started application sees in its logged command line, as standard parsing reads them
// (the first is the program itself).
inline std::vector<std::wstring> ArgumentsOf(const std::wstring& commandLine) {
    std::vector<std::wstring> args;
    int n = 0;
    if (LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &n)) {
        for (int i = 0; i < n; ++i)
            args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    return args;
}

// GetProcessHandleCount reports 0 under Wine: count the handle values that name an open handle.
inline size_t CountOpenHandles() {
    size_t n = 0;
    for (uintptr_t v = 4; v < 0x20000; v += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++n;
    }
    return n;
}

// Windows of this process, children included (GetGuiResources reports no USER objects under Wine).
inline size_t CountOwnWindows() {
    struct Count {
        static BOOL CALLBACK Child(HWND, LPARAM n) {
            ++*reinterpret_cast<size_t*>(n);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND w, LPARAM n) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != GetCurrentProcessId()) return TRUE;
            ++*reinterpret_cast<size_t*>(n);
            EnumChildWindows(w, Child, n);
            return TRUE;
        }
    };
    size_t n = 0;
    EnumWindows(Count::Top, reinterpret_cast<LPARAM>(&n));
    return n;
}

// The process's private (committed) memory. Wine reports PrivateUsage as 0 but fills PagefileUsage,
// which is the same commit charge on Windows.
inline SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// Writes the default value of HKEY_CLASSES_ROOT\keyPath (this platform shows associations written
// there, not under the user's classes); tests use made-up extensions and remove them afterwards.
inline void SetRegistryDefault(const std::wstring& keyPath, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              0);
    RegSetValueExW(key, nullptr, 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
}

inline void SetRegistryText(const std::wstring& keyPath, const std::wstring& text) {
    SetRegistryDefault(keyPath, REG_SZ, text.c_str(),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void RemoveRegistryKey(const std::wstring& keyPath) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, keyPath.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, keyPath.c_str());
}

struct ViewingSessionBase : testing::Test {
    TempDir dir{L"sess_" + Utf8ToWide(testing::UnitTest::GetInstance()->current_test_info()->name())};
    std::wstring appLog = dir / L"viewapp.log";
    std::wstring app = ViewAppPath();
    std::unique_ptr<hoststub::HostStandIn> host;
    HWND main = nullptr;

    void SetUp() override {
        ASSERT_TRUE(CopyFileW(ModulePath().c_str(), (dir / L"Tolvanier64.wlx64").c_str(), FALSE));
        SetEnv(L"TOLVANIER_VIEWAPP_LOG", appLog.c_str());
        SetEnv(L"TOLVANIER_VIEWAPP_MS", L"1500");
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
        SetEnv(L"COMMANDER_INI", (dir / L"wincmd.ini").c_str());
        SetKeyState(VK_SHIFT, false, false);
        SetKeyState(VK_SCROLL, false, false);
        NewHost();
    }
    void TearDown() override {
        host.reset();
        SetEnv(L"COMMANDER_INI", nullptr);
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", nullptr);
    }
    void NewHost() {
        host.reset();
        host = std::make_unique<hoststub::HostStandIn>();
        main = host->CreateMainWindow();
    }
    // Writes the plugin INI (options and [Editor] lines) and loads the module, as the host starts.
    void Install(const std::string& options, const std::string& editor = "") {
        const std::string ini =
            "[Options]\r\n" + options + "\r\n[Editor]\r\ntxt=" + WideToUtf8(app) + "\r\n" + editor;
        ASSERT_TRUE(WriteTextFile(dir / L"Tolvanier.ini", ini));
        ASSERT_TRUE(host->LoadPlugin(dir / L"Tolvanier64.wlx64"));
    }
    std::wstring MakeFile(const std::wstring& name) {
        const std::wstring path = dir / name;
        EXPECT_TRUE(WriteTextFile(path, "text\r\n"));
        return path;
    }
    // A file as the host extracts it from an archive: in a "_tc" folder under %TEMP%, which now
    // names a folder of this test.
    std::wstring MakeTemporaryCopy(const std::wstring& name) {
        const std::wstring temp = dir / L"tmp";
        CreateDirectoryW(temp.c_str(), nullptr);
        CreateDirectoryW((temp + L"\\_tc").c_str(), nullptr);
        SetEnv(L"TEMP", temp.c_str());
        return MakeFile(L"tmp\\_tc\\" + name);
    }
    void Activate(HWND w) {
        SetForegroundWindow(w);
        SetActiveWindow(w);
        ASSERT_EQ(GetActiveWindow(), w);
    }
    std::vector<std::wstring> Started(size_t expected, DWORD timeoutMs = 5000) {
        return ReadLogLines(appLog, expected, expected ? timeoutMs : 300);
    }
    // The file arguments of every start so far, each start's list after the program itself.
    std::vector<std::vector<std::wstring>> StartedArguments(size_t expected) {
        std::vector<std::vector<std::wstring>> all;
        for (const auto& line : Started(expected)) {
            auto args = ArgumentsOf(line);
            if (!args.empty()) args.erase(args.begin());
            all.push_back(args);
        }
        return all;
    }
};

} // namespace testing_support
