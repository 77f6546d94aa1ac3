// The host stand-in as a program: loads the plugin beside it and runs a short viewing session,
// printing what happens.
#include <windows.h>

#include <cstdio>
#include <string>

#include "hoststub/host_standin.h"

namespace {

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

void Print(const std::wstring& text) {
    fputws(text.c_str(), stdout);
    fputws(L"\n", stdout);
    fflush(stdout);
}

} // namespace

int wmain(int, wchar_t**) {
    hoststub::HostStandIn host;
    host.CreateMainWindow();
    const std::wstring dir = ExeDirectory();
    Print(L"Host stand-in: main window \"TTOTAL_CMD\" with a file panel \"LCLListBox\"");
    if (!host.LoadPlugin(dir + L"Tolvanier64.wlx64")) {
        Print(L"The plugin did not load.");
        return 1;
    }
    char detect[64] = {};
    host.Plugin().ListGetDetectString(detect, sizeof(detect));
    std::printf("Detect string: %s\n", detect);
    const bool iniPresent = GetFileAttributesW((dir + L"Tolvanier.ini").c_str()) != INVALID_FILE_ATTRIBUTES;
    Print(std::wstring(L"Plugin INI beside the module: ") + (iniPresent ? L"present" : L"absent"));
    HWND lister = host.CreateLister();
    host.ViewFile(lister, dir + L"IniSample\\Tolvanier.ini");
    host.Pump(500);
    for (const auto& line : host.Log())
        Print(L"  host: " + line);
    return 0;
}
