// The benchmark: times a view of one file beside a bare process start, a copy from an archive with
// every kind of application, the paths that grow with the selection and the key events of the hotkey
// hook, beside the platform calls they are compared with, and counts the configuration reads. All
// figures of one table come from the same run; each is the median of repeated runs unless it says
// otherwise.
//
//   tolvanier-bench.exe [--quick]      (scripts/bench.sh builds it and runs it under Wine)
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/commands.h"
#include "config/ini.h"
#include "config/open_with.h"
#include "config/options.h"
#include "host/copydata.h"
#include "host/file_list.h"
#include "host/hotkeys.h"
#include "hoststub/host_standin.h"
#include "plugin/exports.h"
#include "shared/process.h"
#include "shared/state.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_support.h"
#include "win/clock.h"
#include "win/handles.h"
#include "win/paths.h"
#include "win/text.h"

using namespace testing_support;

namespace {

const int kSelections[] = {10, 100, 1000, 10000};
const int kExtensionCounts[] = {1, 10, 50};

bool quick = false;

// Wine now and then fails a process start ("Internal error"); the plugin then says so in a message
// box, which nobody would press here. Every box is pressed as it comes, and a run that showed one is
// run again, so that a failed start neither hangs the benchmark nor enters its figures.
MessageBoxDismisser* startFailures = nullptr;
size_t failuresSeen = 0;

bool StartFailedSinceLastLook() {
    const size_t now = startFailures->Count();
    const bool failed = now != failuresSeen;
    failuresSeen = now;
    return failed;
}

// Median of runs timings of body, in milliseconds.
double MedianMs(int runs, const std::function<void()>& body) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double start = win::CounterMs();
        body();
        ms.push_back(win::CounterMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Waits (at most 10 s) until no process that runs exeName (the benchmark's own copy of the test
// application; a launcher's copy is no child of this program) is left, so that each timing starts on
// a quiet machine: a Wine process that is still starting competes for the same two cores and the same
// server as the call being timed.
void WaitForChildrenToEnd(const std::wstring& exeName) {
    const double deadline = win::CounterMs() + 10000;
    while (win::CounterMs() < deadline) {
        bool running = false;
        const HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        win::UniqueHandle snapshot(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more && !running;
             more = Process32NextW(snapshot.Get(), &entry))
            running = _wcsicmp(entry.szExeFile, exeName.c_str()) == 0;
        if (!running) return;
        PumpFor(10);
    }
}

std::wstring Extension(int e) {
    wchar_t text[8];
    swprintf(text, 8, L"x%02d", e);
    return text;
}

std::wstring FileName(int i, int extensions) {
    wchar_t text[32];
    swprintf(text, 32, L"n%05d.", i);
    return text + Extension(i % extensions);
}

// A plugin INI of about 400 lines, as a configured installation has: the options, 50 extensions
// with applications and templates, the hotkeys and the sample's comments.
std::string PluginIni(const std::wstring& app) {
    std::string ini = "[Options]\r\nReadOptionsEveryTime=0\r\nParamsMode=1\r\nParamsByExtMode=0\r\n";
    for (int i = 0; i < 150; ++i)
        ini += "; a comment line as the sample has, explaining one of the options in a sentence or two\r\n";
    ini += "[Editor]\r\n";
    for (int e = 0; e < 50; ++e) {
        const std::string ext = WideToUtf8(Extension(e));
        ini += ext + "=" + WideToUtf8(app) + "\r\n" + ext + "_params=-p %1\r\n";
    }
    for (int i = 0; i < 100; ++i)
        ini += "; more comment lines\r\n";
    ini += "[HotKeys]\r\nAppFromLister_key=113\r\nAppFromLister_mod=C\r\nDefSysAppFromLister_key=114\r\n"
           "DefSysAppFromLister_mod=S\r\n";
    return ini;
}

// A folder that grows to the size of each selection: the selection is the whole folder.
struct Folder {
    std::wstring path; // ends in a backslash
    int extensions = 1;
    std::vector<std::wstring> names;

    void GrowTo(int count) {
        while (static_cast<int>(names.size()) < count) {
            names.push_back(FileName(static_cast<int>(names.size()), extensions));
            const std::wstring full = path + names.back();
            win::UniqueHandle file(
                CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
};

Folder MakeFolder(const TempDir& root, const std::wstring& name, int extensions) {
    Folder f;
    f.path = root / (name + L"\\");
    f.extensions = extensions;
    CreateDirectoryW(f.path.c_str(), nullptr);
    return f;
}

// Every step-th name of the folder.
std::vector<int> Spread(const Folder& f, int step) {
    std::vector<int> picked;
    for (int i = 0; i < static_cast<int>(f.names.size()); i += step)
        picked.push_back(i);
    return picked;
}

std::vector<std::wstring> FullNames(const Folder& f, const std::vector<int>& picked) {
    std::vector<std::wstring> full;
    for (int i : picked)
        full.push_back(f.path + f.names[static_cast<size_t>(i)]);
    return full;
}

std::vector<std::wstring> FullNames(const Folder& f, int count) {
    std::vector<int> picked;
    for (int i = 0; i < count; ++i)
        picked.push_back(i);
    return FullNames(f, picked);
}

size_t BuildCommands(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> lines;
    GetCommandsList(names, lines, false, false);
    return lines.size();
}

// The part of a load that grows with the selection, without the start of processes: the host INI's
// two values, the panel's selection, one read per entry, the panel's directory from the host, the
// names put together, and the command lines.
size_t LoadSelection(HWND panel) {
    const int viewerType = config::IniReadInt(TCIniName, L"Configuration", L"Viewertype", 1);
    const int mode = config::IniReadInt(TCIniName, L"Configuration", L"GetTextMode", 1);
    if (viewerType != 1) return 0;
    const LRESULT count = SendMessageW(panel, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) return 0;
    std::vector<int> indices(static_cast<size_t>(count));
    SendMessageW(panel, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(indices.data()));
    std::vector<std::wstring> names;
    for (int index : indices)
        FileToListByIndex(index, names, panel, mode);
    static const char kRequest[2] = {'S', 'P'};
    // The load's reply buffer: the platform's longest path.
    std::vector<wchar_t> directory(win::kLongPathCapacity, L'\0');
    COPYDATASTRUCT request{0x5747, sizeof(kRequest), const_cast<char*>(kRequest)};
    COPYDATASTRUCT reply{0, static_cast<DWORD>(directory.size() * sizeof(wchar_t)), directory.data()};
    if (SendCopyData(request, reply))
        for (auto& name : names)
            name.insert(0, directory.data());
    return BuildCommands(names);
}

// One probe per name, as the platform's directory search answers it: the floor of the comparison.
size_t ProbeOneByOne(const std::vector<std::wstring>& names) {
    size_t found = 0;
    for (const auto& name : names) {
        WIN32_FIND_DATAW data;
        win::UniqueFind search(FindFirstFileW(name.c_str(), &data));
        if (search) ++found;
    }
    return found;
}

void PlatformCosts(const Folder& folder) {
    std::printf("\nPlatform calls under this Wine (medians):\n");
    const std::wstring one = folder.path + folder.names[folder.names.size() / 2];
    const int n = quick ? 100 : 500;
    double ms = MedianMs(5, [&] {
        for (int i = 0; i < n; ++i)
            config::IniReadInt(OptionsIniName, L"HotKeys", L"AppFromLister_key", 0);
    });
    std::printf("  GetPrivateProfileIntW, 400-line INI           %8.4f ms\n", ms / n);
    ms = MedianMs(5, [&] {
        for (int i = 0; i < n; ++i)
            ProbeOneByOne({one});
    });
    std::printf("  FindFirstFileW + FindClose, folder of %5zu   %8.4f ms\n", folder.names.size(), ms / n);
    ms = MedianMs(5, [&] {
        for (int i = 0; i < n; ++i) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            GetFileAttributesExW(OptionsIniName, GetFileExInfoStandard, &data);
        }
    });
    std::printf("  GetFileAttributesExW                          %8.4f ms\n", ms / n);
    ms = MedianMs(3, [&] {
        WIN32_FIND_DATAW data;
        win::UniqueFind h(FindFirstFileExW((folder.path + L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        while (h && FindNextFileW(h.Get(), &data)) {
        }
    });
    std::printf("  Listing that folder once                      %8.4f ms (%.4f ms per entry)\n", ms,
                ms / static_cast<double>(folder.names.size()));
}

struct Row {
    double commands = 0, load = 0, probes = 0;
};

void ShowPanel(hoststub::HostStandIn& host, const Folder& folder) {
    std::vector<std::wstring> entries;
    for (const auto& name : folder.names)
        entries.push_back(name + L"\t0\t2024-01-01 00:00");
    host.SetPanelEntries(entries);
    host.SetDirectoryReply(hoststub::DirectoryReply::Normal, folder.path);
}

void PrintRow(const std::wstring& label, int count, int extensions, const Row& row, const Row* previous) {
    auto growth = [](double now, double before) { return before > 0 ? now / before : 0.0; };
    std::printf("%-14ls %4d | %9.2f %8.1f %6.2f | %9.2f %8.1f %6.2f | %9.2f %8.1f | %7.3f %7.3f\n",
                label.c_str(), extensions, row.commands, 1000 * row.commands / count,
                previous ? growth(row.commands, previous->commands) : 0.0, row.load, 1000 * row.load / count,
                previous ? growth(row.load, previous->load) : 0.0, row.probes, 1000 * row.probes / count,
                row.commands / row.probes, row.load / row.probes);
}

std::vector<int> AllOf(const Folder& folder) {
    std::vector<int> all(folder.names.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return all;
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Times selections of the panel (picked entries of their folders) three ways. The selections are
// timed in turn, run after run, so that a burst of load on this shared machine falls on all of them
// alike and the ratios between them hold.
std::vector<Row> TimeSelections(hoststub::HostStandIn& host, const std::vector<const Folder*>& folders,
                                const std::vector<std::vector<int>>& picks) {
    const int runs = quick ? 3 : 5;
    std::vector<std::vector<double>> commands(folders.size()), loads(folders.size()), probes(folders.size());
    for (int run = 0; run < runs; ++run) {
        for (size_t k = 0; k < folders.size(); ++k) {
            ShowPanel(host, *folders[k]);
            host.SelectPanelEntries(picks[k]);
            const std::vector<std::wstring> names = FullNames(*folders[k], picks[k]);
            size_t lines = 0, loadLines = 0, probed = names.size();
            commands[k].push_back(MedianMs(1, [&] { lines = BuildCommands(names); }));
            loads[k].push_back(MedianMs(1, [&] { loadLines = LoadSelection(host.Panel()); }));
            // The probes of 10,000 names take seconds: three runs give their median.
            if (run < 3) probes[k].push_back(MedianMs(1, [&] { probed = ProbeOneByOne(names); }));
            if (lines == 0 || loadLines != lines || probed != names.size())
                std::printf("  (unexpected: %zu lines, %zu from the load, %zu found)\n", lines, loadLines,
                            probed);
        }
    }
    std::vector<Row> rows;
    for (size_t k = 0; k < folders.size(); ++k)
        rows.push_back({Median(commands[k]), Median(loads[k]), Median(probes[k])});
    return rows;
}

// Selections that are whole folders, one folder per size, and a few names of a large folder. Returns
// the largest folder of ten extensions.
Folder SelectionTable(hoststub::HostStandIn& host, const TempDir& root) {
    std::printf("\nSelections (ms for the whole selection; us per name):\n");
    std::printf("%-14s %4s | %9s %8s %6s | %9s %8s %6s | %9s %8s | %7s %7s\n", "names", "ext", "commands",
                "us/name", "x10", "load", "us/name", "x10", "probes", "us/name", "cmd/prb", "load/prb");
    Folder large;
    for (int extensions : kExtensionCounts) {
        std::vector<Folder> sized;
        for (int count : kSelections) {
            if (quick && count > 1000) break;
            sized.push_back(MakeFolder(
                root, L"whole" + std::to_wstring(count) + L"_" + std::to_wstring(extensions), extensions));
            sized.back().GrowTo(count);
        }
        std::vector<const Folder*> folders;
        std::vector<std::vector<int>> picks;
        for (const Folder& f : sized) {
            folders.push_back(&f);
            picks.push_back(AllOf(f));
        }
        const std::vector<Row> rows = TimeSelections(host, folders, picks);
        for (size_t k = 0; k < rows.size(); ++k) {
            const int count = static_cast<int>(sized[k].names.size());
            PrintRow(std::to_wstring(count) + L" of " + std::to_wstring(count), count, extensions, rows[k],
                     k ? &rows[k - 1] : nullptr);
        }
        if (extensions == 10) large = sized.back();
    }
    // A few names of a large folder: the listing of the folder may cost more than it saves.
    const std::vector<int> steps{100, 10};
    std::vector<std::vector<int>> picks;
    for (int step : steps)
        picks.push_back(Spread(large, step));
    const std::vector<Row> rows = TimeSelections(host, {&large, &large}, picks);
    for (size_t k = 0; k < rows.size(); ++k)
        PrintRow(std::to_wstring(picks[k].size()) + L" of " + std::to_wstring(large.names.size()),
                 static_cast<int>(picks[k].size()), 10, rows[k], nullptr);
    std::printf(
        "  commands: GetCommandsList; load: the host INI's values, the panel's selection read entry by\n"
        "  entry, the panel's directory from the host, then GetCommandsList; probes: FindFirstFileW per\n"
        "  name; x10: time over the time of a tenth of the names. Medians of %d runs (probes: 3), the\n"
        "  sizes of one table part timed in turn in each run.\n",
        quick ? 3 : 5);
    return large;
}

// [Types] over whole folders of ten extensions: the command list without the section, with 50 lines of
// masks only that take no name (from a tenth of the names to all of them), and with a last line that
// takes every file by its content; each beside one search per name. Each way has a settings file of its
// own, unchanged for minutes, and the ways and sizes are timed in turn within each run.
void TypesTable(const TempDir& root, const Folder& large, const std::wstring& app) {
    const std::string plain = PluginIni(app);
    std::string masks = "[Types]\r\n";
    for (int i = 0; i < 50; ++i)
        masks += "*.none" + std::to_string(i) + ";none" + std::to_string(i) + ".*;*\\nowhere" +
                 std::to_string(i) + "\\*=t" + std::to_string(i) + "\r\n";
    const std::string text = masks + "*=textual text\r\n[Editor]\r\ntextual=" + WideToUtf8(app) + "\r\n";
    const std::wstring savedIni = OptionsIniName;
    std::vector<std::wstring> inis;
    for (const auto& [name, content] : {std::pair{L"types-none.ini", plain},
                                        {L"types-masks.ini", plain + masks},
                                        {L"types-text.ini", text}}) {
        inis.push_back(root / name);
        WriteTextFile(inis.back(), content);
        AgeFile(inis.back(), 10);
    }
    Folder tenth = MakeFolder(root, L"types" + std::to_wstring(large.names.size() / 10), 10);
    tenth.GrowTo(static_cast<int>(large.names.size() / 10));
    // Files of a few kilobytes of text: each is read up to its first 4,096 bytes.
    Folder texts = MakeFolder(root, L"typestext", 10);
    texts.GrowTo(1000);
    const std::string line(79, 'x');
    std::string content;
    while (content.size() < 5000)
        content += line + "\r\n";
    for (const std::wstring& name : texts.names)
        WriteTextFile(texts.path + name, content);

    struct Way {
        const char* label;
        size_t ini;
        const Folder* folder;
    };
    const Way ways[] = {{"none", 0, &tenth},
                        {"50 lines, masks only, taking no name", 1, &tenth},
                        {"50 lines, masks only, taking no name", 1, &large},
                        {"none", 0, &texts},
                        {"the 50, then *=textual text", 2, &texts}};
    const int runs = quick ? 3 : 5;
    std::vector<std::vector<double>> commands(std::size(ways)), probes(std::size(ways));
    for (int run = 0; run < runs; ++run) {
        for (size_t k = 0; k < std::size(ways); ++k) {
            win::CopyTo(OptionsIniName, inis[ways[k].ini]);
            const std::vector<std::wstring> names =
                FullNames(*ways[k].folder, static_cast<int>(ways[k].folder->names.size()));
            size_t lines = 0, probed = 0;
            commands[k].push_back(MedianMs(1, [&] { lines = BuildCommands(names); }));
            if (run < 3) probes[k].push_back(MedianMs(1, [&] { probed = ProbeOneByOne(names); }));
            if (lines == 0 || (run < 3 && probed != names.size()))
                std::printf("  (unexpected: %zu lines, %zu found)\n", lines, probed);
        }
    }
    std::printf("\n[Types] (ms for the whole selection; us per name):\n");
    std::printf("  %-13s %-38s | %9s %8s %6s | %9s %8s | %7s\n", "names", "[Types]", "commands", "us/name",
                "x10", "probes", "us/name", "cmd/prb");
    for (size_t k = 0; k < std::size(ways); ++k) {
        const double c = Median(commands[k]), p = Median(probes[k]);
        const size_t n = ways[k].folder->names.size();
        const double growth = k == 2 ? c / Median(commands[1]) : 0.0;
        std::printf("  %-13s %-38s | %9.2f %8.1f %6.2f | %9.2f %8.1f | %7.3f\n",
                    (std::to_string(n) + (ways[k].folder == &texts ? " of text" : "")).c_str(), ways[k].label,
                    c, 1000 * c / static_cast<double>(n), growth, p, 1000 * p / static_cast<double>(n),
                    c / p);
    }
    std::printf(
        "  commands: GetCommandsList over the whole folder (10 extensions); probes: FindFirstFileW per\n"
        "  name; x10: time over the time of a tenth of the names. Targets: 50 lines of masks at most 0.3\n"
        "  of the probes, ten times the names at most eleven times the time, a text condition that every\n"
        "  file meets at most 3 times the probes. Medians of %d runs (probes: 3).\n",
        runs);
    win::CopyTo(OptionsIniName, savedIni);
}

void HookTable(hoststub::HostStandIn& host) {
    HWND lister = host.CreateLister();
    ShowWindow(lister, SW_SHOW);
    SetForegroundWindow(lister);
    SetActiveWindow(lister);
    PumpFor(20);
    const bool active = GetActiveWindow() == lister;
    const int n = quick ? 200 : 1000;
    std::printf("\nKey event that is no hotkey, in an active Lister%s (ms per event):\n",
                active ? "" : " (NOT ACTIVE: figures do not apply)");
    // Every hook passes the event on with CallNextHookEx, which is a request to the Wine server here
    // and whose cost drifts with the server's state; each run times the hook and then that call alone,
    // and the plugin's own part is the median of the runs' differences.
    auto perEvent = [&](const std::function<void()>& event) {
        const double start = win::CounterMs();
        for (int i = 0; i < n; ++i)
            event();
        return (win::CounterMs() - start) / n;
    };
    for (int enabled = 1; enabled >= 0; --enabled) {
        TolvanierOptions.AppFromLister_key = enabled != 0;
        TolvanierOptions.DefSysAppFromLister_key = enabled != 0;
        TolvanierOptions.ChooseAppFromLister_key = enabled != 0;
        const unsigned long long readsBefore = config::IniPlatformReads();
        std::vector<double> hook, passOn, own;
        for (int run = 0; run < 5; ++run) {
            hook.push_back(perEvent([] {
                ctLastHotKeyFromLister = ClockNow() - 5000;
                HookKeyboardProc(HC_ACTION, 'A', 0x001E0001);
            }));
            passOn.push_back(perEvent([] {
                ctLastHotKeyFromLister = ClockNow() - 5000;
                CallNextHookEx(nullptr, HC_ACTION, 'A', 0x001E0001);
            }));
            own.push_back(hook.back() - passOn.back());
        }
        const double reads = static_cast<double>(config::IniPlatformReads() - readsBefore) / (5.0 * n);
        std::printf("  %-26s hook %7.4f | CallNextHookEx alone %7.4f | own part %7.4f   INI reads per "
                    "event %.2f\n",
                    enabled ? "all three hotkeys enabled" : "no hotkey enabled", Median(hook), Median(passOn),
                    Median(own), reads);
    }
    host.CloseLister(lister);
}

// The menu of the third hotkey for a type with 21 programs to offer (the default editor and 20 file
// types registered for the extension, each program a copy of the module, which has a version
// resource): the time from the key event to the menu's window on the screen, and of its list alone.
void MenuTable(hoststub::HostStandIn& host, const TempDir& root) {
    const std::wstring ext = L".tolvbench";
    const std::wstring folder = root / L"menuapps\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> classes;
    HKEY progids = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, (ext + L"\\OpenWithProgids").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &progids, nullptr);
    for (int i = 1; i <= 20; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"TolvBenchApp%02d", i);
        const std::wstring program = folder + name + L".exe";
        CopyFileW(ModulePath().c_str(), program.c_str(), FALSE);
        classes.push_back(name);
        const std::wstring command = L"\"" + program + L"\" \"%1\"";
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, (classes.back() + L"\\shell\\open\\command").c_str(), 0, nullptr,
                        0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        RegSetValueExW(progids, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    }
    RegCloseKey(progids);

    const std::wstring savedIni = OptionsIniName;
    const TTolvanierOptions savedOptions = TolvanierOptions;
    const std::wstring ini = root / L"menu.ini";
    WriteTextFile(ini, "[HotKeys]\r\nChooseAppFromLister_key=115\r\n");
    AgeFile(ini, 10);
    win::CopyTo(OptionsIniName, ini);
    TolvanierOptions = config::ReadOptionBlock(OptionsIniName);
    const std::wstring file = folder + L"doc" + ext;
    WriteTextFile(file, "x");
    HWND lister = host.CreateLister();
    ShowWindow(lister, SW_SHOW);
    SetForegroundWindow(lister);
    SetActiveWindow(lister);
    FileNameByListerWindow[lister] = file;
    BYTE keys[256] = {};
    SetKeyboardState(keys);

    const int runs = quick ? 3 : 7;
    size_t listed = 0, itemsShown = 0;
    // Each run shows the menu and then makes its list alone, so both meet the same caches; the first
    // run is the user's first press for this type, with the registry and the programs' files not yet
    // read by this process.
    std::vector<double> shown, lists;
    for (int i = 0; i < runs; ++i) {
        ctLastHotKeyFromLister = ClockNow() - 5000;
        MenuDriver menu({VK_ESCAPE});
        const double pressed = win::CounterMs();
        HookKeyboardProc(HC_ACTION, VK_F4, 0x003E0001);
        if (menu.SeenAtMs() > 0) shown.push_back(menu.SeenAtMs() - pressed);
        itemsShown = menu.Items().size();
        lists.push_back(MedianMs(1, [&] { listed = config::ListOpenWithChoices(file).size(); }));
    }
    std::printf("\nMenu of applications (ChooseAppFromLister), %zu applications listed, %zu menu items:\n",
                listed, itemsShown);
    if (shown.size() == static_cast<size_t>(runs))
        std::printf("  key event to the menu on the screen %8.2f ms (median of %d; the first %.2f ms; target "
                    "100 ms); its list alone %.2f ms\n",
                    Median(shown), runs, shown.front(), Median(lists));
    else
        std::printf("  THE MENU WAS NOT SEEN in %d of %d runs; its list alone %.2f ms\n",
                    runs - static_cast<int>(shown.size()), runs, Median(lists));

    host.CloseLister(lister);
    FileNameByListerWindow.clear();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, ext.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, ext.c_str());
    for (const std::wstring& name : classes) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, name.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, name.c_str());
    }
    win::CopyTo(OptionsIniName, savedIni);
    TolvanierOptions = savedOptions;
}

void IniReadsTable(std::map<int, Folder>& folders, const std::wstring& app) {
    std::printf("\nINI reads (platform private-profile calls) per command list:\n");
    folders.at(1).GrowTo(1);
    folders.at(10).GrowTo(100);
    auto count = [](const std::vector<std::wstring>& names) {
        const unsigned long long before = config::IniPlatformReads();
        BuildCommands(names);
        return config::IniPlatformReads() - before;
    };
    const std::string direct = ReadFileBytes(OptionsIniName);
    std::string composite = "[Editor]\r\n";
    for (int e = 0; e < 50; ++e)
        composite += (e ? "," : "") + WideToUtf8(Extension(e));
    composite += "=" + WideToUtf8(app) + "\r\n";
    for (int e = 0; e < 50; ++e)
        composite += (e ? "," : "") + WideToUtf8(Extension(e));
    composite += "_params=-p %1\r\n";
    for (const auto& [label, ini] : {std::pair<const char*, std::string>{"one key per extension", direct},
                                     {"one composite key for all", composite}}) {
        WriteTextFile(OptionsIniName, ini);
        for (int byExt = 0; byExt <= 2; ++byExt) {
            TolvanierOptions.ParamsByExtMode = byExt;
            const unsigned long long one = count(FullNames(folders.at(1), 1));
            const unsigned long long ten = count(FullNames(folders.at(10), 10));
            const unsigned long long hundred = count(FullNames(folders.at(10), 100));
            std::printf(
                "  [Editor] %-26s ParamsByExtMode %d: 1 file %3llu; 10 files, 10 extensions %3llu; 100 "
                "files, 10 extensions %3llu\n",
                label, byExt, one, ten, hundred);
        }
    }
    WriteTextFile(OptionsIniName, direct);
    AgeFile(OptionsIniName, 10);
    TolvanierOptions.ParamsByExtMode = 0;
}

// The configuration reads of whole loads (the linked code, in the host stand-in): one file, and ten
// selected files of ten extensions, with the INI files written just now and unchanged for minutes.
void ReadsPerLoadTable(hoststub::HostStandIn& host, Folder& folder) {
    std::printf("\nConfiguration reads per load (private-profile calls + looks at a file's time stamp):\n");
    host.Plugin().BindLinked(ListLoadW, ListLoad, ListCloseWindow, nullptr);
    win::CopyTo(TCListBoxClasName, L"LCLListBox"); // as the module's start-up sets it
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
    folder.GrowTo(10);
    ShowPanel(host, folder);
    const std::wstring appName = L"benchapp.exe";
    FirstLoad = true;
    auto load = [&](bool selection) {
        host.SelectPanelEntries(selection ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}
                                          : std::vector<int>{});
        HWND lister = host.CreateLister();
        SetForegroundWindow(host.MainWindow());
        SetActiveWindow(host.MainWindow());
        host.FocusPanel();
        std::wstring name = folder.path + folder.names[0];
        const unsigned long long reads = config::IniPlatformReads(), looks = config::IniStampChecks();
        const bool taken = host.Plugin().ListLoadW(lister, name.data(), 0) != nullptr;
        const unsigned long long readsMade = config::IniPlatformReads() - reads;
        const unsigned long long looksMade = config::IniStampChecks() - looks;
        host.Pump(30);
        if (host.ListerAlive(lister)) host.CloseLister(lister);
        WaitForChildrenToEnd(appName);
        char text[64];
        std::snprintf(text, sizeof text, "%2llu + %llu%s", readsMade, looksMade, taken ? "" : " (NOT TAKEN)");
        return std::string(text);
    };
    load(false); // the first load fills the option cache
    const std::string plugin = ReadFileBytes(OptionsIniName), hostIni = ReadFileBytes(TCIniName);
    for (bool settled : {false, true}) {
        WriteTextFile(OptionsIniName, plugin);
        WriteTextFile(TCIniName, hostIni);
        if (settled) {
            AgeFile(OptionsIniName, 10);
            AgeFile(TCIniName, 10);
        }
        const std::string one = load(false), ten = load(true);
        const std::string oneAgain = load(false), tenAgain = load(true);
        std::printf("  INI files %s\n    first load: one file %s; 10 files of 10 extensions %s\n"
                    "    next load:  one file %s; 10 files of 10 extensions %s\n",
                    settled ? "unchanged for minutes (kept while their stamps stay):"
                            : "written just now (read at every load):",
                    one.c_str(), ten.c_str(), oneAgain.c_str(), tenAgain.c_str());
    }
    RemoveKeyboardHook();
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", nullptr);
}

// The real module in a folder of its own, beside its INI, loaded by the host stand-in.
struct InstalledModule {
    std::wstring folder;
    std::wstring app;
    std::wstring file;
};

InstalledModule Install(const TempDir& root, const std::wstring& app) {
    InstalledModule m{root / L"module\\", app, L""};
    CreateDirectoryW(m.folder.c_str(), nullptr);
    CopyFileW(ModulePath().c_str(), (m.folder + L"Tolvanier64.wlx64").c_str(), FALSE);
    WriteTextFile(m.folder + L"Tolvanier.ini", PluginIni(app));
    // Configured a while ago, as it is when the user views files.
    AgeFile(m.folder + L"Tolvanier.ini", 10);
    m.file = m.folder + L"doc.x00";
    WriteTextFile(m.file, "x");
    return m;
}

// One view of file in a new separate Lister opened from the main window; ms inside ListLoadW. afterLoad
// runs before the Lister is closed (by default a short pump, so the host sees what was posted).
double TimedView(hoststub::HostStandIn& host, const std::wstring& file, bool* taken,
                 const std::function<void()>& afterLoad = {}) {
    HWND lister = host.CreateLister();
    SetForegroundWindow(host.MainWindow());
    SetActiveWindow(host.MainWindow());
    std::wstring name = file;
    const double start = win::CounterMs();
    HWND result = host.Plugin().ListLoadW(lister, name.data(), 0);
    const double ms = win::CounterMs() - start;
    if (taken) *taken = result != nullptr;
    if (afterLoad)
        afterLoad();
    else
        host.Pump(30);
    if (host.ListerAlive(lister)) host.CloseLister(lister);
    return ms;
}

double BareStart(const std::wstring& commandLine) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const double start = win::CounterMs();
    if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const double ms = win::CounterMs() - start;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return ms;
    }
    return -1;
}

// Runs this thread's message loop for ms milliseconds; returns the longest single timer step (the
// plugin's timers run on the host's thread too).
double PumpTimingTimers(double ms) {
    double longest = 0;
    const double end = win::CounterMs() + ms;
    MSG msg;
    while (win::CounterMs() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double start = win::CounterMs();
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (msg.message == WM_TIMER) longest = std::max(longest, win::CounterMs() - start);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return longest;
}

// A copy of the test application started by the benchmark itself (not by the plugin) in mode, beside
// the copies the plugin starts, which have another program name. Ended with the row it serves.
win::UniqueProcessInfo StartOwnCopy(const wchar_t* mode, const std::wstring& windowClass) {
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", mode);
    SetEnv(L"TOLVANIER_VIEWAPP_MS", L"600000");
    win::UniqueProcessInfo copy = StartCommandLine(L"\"" + ViewAppPath() + L"\" running");
    const double deadline = win::CounterMs() + 10000;
    while (win::CounterMs() < deadline && !FindWindowW(windowClass.c_str(), nullptr))
        PumpFor(20);
    PumpFor(500); // every window shown
    return copy;
}

void EndOwnCopy(win::UniqueProcessInfo& copy) {
    if (!copy.process) return;
    TerminateProcess(copy.process.Get(), 0);
    WaitForSingleObject(copy.process.Get(), 10000);
    copy = {};
}

// A copy from an archive with ListerState 1, for each kind of application: the longest time ListLoadW
// holds the host's thread, beside a bare start of the same command line, and the longest timer step
// on that thread while the application starts with its Lister kept.
void TemporaryCopyTable(hoststub::HostStandIn& host, const TempDir& root, const std::wstring& app) {
    const std::wstring temp = root / L"temp";
    CreateDirectoryW(temp.c_str(), nullptr);
    CreateDirectoryW((temp + L"\\_tc").c_str(), nullptr);
    const std::wstring copy = temp + L"\\_tc\\doc.x00";
    WriteTextFile(copy, "x");
    SetEnv(L"TEMP", temp.c_str());
    struct Kind {
        const wchar_t* label;
        const wchar_t* mode;
        const wchar_t* lifetimeMs;
        const wchar_t* runningCopy; // the mode of a copy of the application that runs already
    };
    // The busy one outlives the old bound of 5 s on the wait for input idle. The one handed the file
    // names it in its title 1.5 s later; the windows of the last row's own copy name other files.
    const Kind kinds[] = {{L"ready at once", nullptr, L"2000", nullptr},
                          {L"slow start (window after 1.5 s)", L"slow", L"2000", nullptr},
                          {L"never ready (busy for 6 s)", L"busy", L"6000", nullptr},
                          {L"launcher (its copy shows the window)", L"launcher", L"2000", nullptr},
                          {L"hands the file to a copy running", L"single", L"2000", L"single"},
                          {L"hands it over, 100 other windows", L"single", L"2000", L"windows"}};
    SetEnv(L"TOLVANIER_VIEWAPP_DELAY_MS", L"1500");
    const int runs = quick ? 2 : 5;
    const std::wstring appName = app.substr(app.find_last_of(L'\\') + 1);
    std::printf("Temporary copy, ListerState 1 (longest of %d runs):\n", runs);
    std::printf("  %-38s %12s %12s %7s %12s\n", "application", "ListLoadW", "bare start", "ratio",
                "timer step");
    for (const Kind& kind : kinds) {
        win::UniqueProcessInfo running, windows;
        if (kind.runningCopy) running = StartOwnCopy(L"single", L"ViewAppRunning");
        if (kind.runningCopy && std::wcscmp(kind.runningCopy, L"windows") == 0)
            windows = StartOwnCopy(L"windows", L"ViewAppWindow");
        SetEnv(L"TOLVANIER_VIEWAPP_MODE", kind.mode);
        SetEnv(L"TOLVANIER_VIEWAPP_MS", kind.lifetimeMs);
        double held = 0, bare = 0, step = 0;
        bool taken = true;
        int retried = 0;
        for (int i = 0; i < runs; ++i) {
            WaitForChildrenToEnd(appName);
            StartFailedSinceLastLook();
            bool ok = false;
            double runStep = 0;
            const double runHeld = TimedView(host, copy, &ok, [&] { runStep = PumpTimingTimers(2500); });
            if (StartFailedSinceLastLook() && retried < runs) {
                ++retried;
                --i;
                continue;
            }
            held = std::max(held, runHeld);
            step = std::max(step, runStep);
            taken = ok && taken;
            WaitForChildrenToEnd(appName);
            bare = std::max(bare, BareStart(L"\"" + app + L"\" \"" + copy + L"\""));
        }
        std::printf("  %-38ls %9.1f ms %9.1f ms %6.2fx %9.2f ms%s", kind.label, held, bare, held / bare, step,
                    taken ? "" : " (NOT TAKEN)");
        if (retried)
            std::printf(" (%d run(s) again: the start failed: %ls)", retried,
                        MessageBoxDismisser::LastText().c_str());
        std::printf("\n");
        EndOwnCopy(windows);
        EndOwnCopy(running);
    }
    std::printf("  timer step: the longest single timer callback on the host's thread in the 2.5 s after\n"
                "  each load, with the Lister kept (the hide timer, the watch of the application and of\n"
                "  the titles that name the copy); the last row with 100 more visible windows of another\n"
                "  process open\n");
    SetEnv(L"TOLVANIER_VIEWAPP_DELAY_MS", nullptr);
}

void SingleFileAndTemporaryCopy(const TempDir& root, const std::wstring& app) {
    const InstalledModule m = Install(root, app);
    SetEnv(L"COMMANDER_INI", (root / L"wincmd.ini").c_str());
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", L"exit");
    SetEnv(L"TOLVANIER_VIEWAPP_LOG", nullptr);
    hoststub::HostStandIn host;
    host.CreateMainWindow();
    if (!host.LoadPlugin(m.folder + L"Tolvanier64.wlx64")) {
        std::printf("\nThe module did not load.\n");
        return;
    }
    bool taken = false;
    TimedView(host, m.file, &taken); // the first load fills the option cache
    // Pairs of one view and one bare start, each on a quiet machine; the overhead is the median of
    // the pairs' differences, which is steadier than the difference of the two medians.
    const int runs = quick ? 9 : 41;
    std::vector<double> loads, bare, differences;
    const std::wstring appName = app.substr(app.find_last_of(L'\\') + 1);
    int retried = 0;
    for (int i = 0; i < runs; ++i) {
        WaitForChildrenToEnd(appName);
        StartFailedSinceLastLook();
        const double load = TimedView(host, m.file, &taken);
        if (StartFailedSinceLastLook() && retried < runs) {
            ++retried;
            --i;
            continue;
        }
        loads.push_back(load);
        WaitForChildrenToEnd(appName);
        bare.push_back(BareStart(L"\"" + app + L"\" \"" + m.file + L"\""));
        differences.push_back(loads.back() - bare.back());
        host.Pump(50);
    }
    const double load = Median(loads), start = Median(bare), overhead = Median(differences);
    std::printf("\nSingle file, options cached (real module in the host stand-in; medians of %d pairs):\n",
                runs);
    std::printf("  ListLoadW %8.2f ms | bare CreateProcessW %8.2f ms | overhead %7.2f ms = %5.1f %% of the "
                "bare start%s\n",
                load, start, overhead, 100 * overhead / start, taken ? "" : " (NOT TAKEN)");
    if (retried) std::printf("  (%d view(s) again: the start failed)\n", retried);

    // Where the overhead goes: the command list of the file, and a window made and put into a Lister
    // as the plugin's window is (linked code, same platform calls).
    {
        const std::wstring savedIni = OptionsIniName;
        const TTolvanierOptions savedOptions = TolvanierOptions;
        win::CopyTo(OptionsIniName, m.folder + L"Tolvanier.ini");
        TolvanierOptions = config::ReadOptionBlock(OptionsIniName);
        const double commands = MedianMs(runs, [&] { BuildCommands({m.file}); });
        HWND lister = host.CreateLister();
        const double window = MedianMs(runs, [&] {
            HWND w = CreateWindowExW(0, L"STATIC", L"w", WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, lister, nullptr, nullptr, nullptr);
            DestroyWindow(w);
        });
        const double ini = MedianMs(
            runs, [&] { GetPrivateProfileIntW(L"Options", L"X", 0, (m.folder + L"Tolvanier.ini").c_str()); });
        host.CloseLister(lister);
        win::CopyTo(OptionsIniName, savedIni);
        TolvanierOptions = savedOptions;
        std::printf("  of which: GetCommandsList %.2f ms, one private-profile read %.2f ms, a child window "
                    "made in the Lister "
                    "(and destroyed) %.2f ms\n",
                    commands, ini, window);
    }

    TemporaryCopyTable(host, root, app);
    SetEnv(L"TOLVANIER_VIEWAPP_MODE", nullptr);
    SetEnv(L"TOLVANIER_VIEWAPP_MS", nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::wcscmp(argv[i], L"--quick") == 0) quick = true;

    MessageBoxDismisser dismisser;
    startFailures = &dismisser;
    TempDir root(L"bench");
    const std::wstring app = root / L"benchapp.exe";
    CopyFileW(ViewAppPath().c_str(), app.c_str(), FALSE);
    WriteTextFile(root / L"Tolvanier.ini", PluginIni(app));
    WriteTextFile(root / L"wincmd.ini", "[Configuration]\r\nViewertype=1\r\nGetTextMode=1\r\n");
    AgeFile(root / L"wincmd.ini", 10);
    win::CopyTo(OptionsIniName, root / L"Tolvanier.ini");
    win::CopyTo(TCIniName, root / L"wincmd.ini");
    TolvanierOptions = config::ReadOptionBlock(OptionsIniName);

    SingleFileAndTemporaryCopy(root, app);

    hoststub::HostStandIn host;
    hInstance = GetModuleHandleW(nullptr);
    wcSendCopyData.hInstance = hInstance;
    RegisterClassW(&wcSendCopyData);
    hwTCMain = hwMain = host.CreateMainWindow();

    std::map<int, Folder> folders;
    for (int extensions : kExtensionCounts)
        folders[extensions] = MakeFolder(root, L"sel" + std::to_wstring(extensions), extensions);

    IniReadsTable(folders, app);
    ReadsPerLoadTable(host, folders.at(10));
    const Folder large = SelectionTable(host, root);
    TypesTable(root, large, app);
    PlatformCosts(large);
    HookTable(host);
    MenuTable(host, root);

    OptionsIniName[0] = L'\0';
    TCIniName[0] = L'\0';
    hwTCMain = hwMain = nullptr;
    return 0;
}
