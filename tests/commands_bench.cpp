// Times GetCommandsList over 1,000 existing names of 10 extensions, each configured in [Editor].
// Not part of the test run: start it by hand under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/commands.h"
#include "config/options.h"
#include "plugin/state.h"
#include "tests/support/test_support.h"
#include "win/text.h"

using namespace testing_support;

int wmain() {
    TempDir dir(L"commands_bench");
    const std::wstring app = dir / L"benchapp.exe";
    CopyFileW(ViewAppPath().c_str(), app.c_str(), FALSE);
    std::string ini = "[Editor]\r\n";
    for (int e = 0; e < 10; ++e)
        ini += "e" + std::to_string(e) + "=" + WideToUtf8(app) + "\r\ne" + std::to_string(e) +
               "_params=-p %1\r\n";
    WriteTextFile(dir / L"Tolvanier.ini", ini);
    win::CopyTo(OptionsIniName, dir / L"Tolvanier.ini");
    TolvanierOptions.ParamsMode = 1;

    std::vector<std::wstring> names;
    for (int i = 0; i < 1000; ++i) {
        const std::wstring name = dir / (L"file" + std::to_wstring(i) + L".e" + std::to_wstring(i % 10));
        WriteTextFile(name, "x");
        names.push_back(name);
    }

    for (int byExt = 0; byExt <= 2; ++byExt) {
        TolvanierOptions.ParamsByExtMode = byExt;
        std::vector<double> ms;
        size_t lines = 0;
        for (int run = 0; run < 7; ++run) {
            LARGE_INTEGER f, t0, t1;
            QueryPerformanceFrequency(&f);
            std::vector<std::wstring> commandLines;
            QueryPerformanceCounter(&t0);
            GetCommandsList(names, commandLines, false, false);
            QueryPerformanceCounter(&t1);
            ms.push_back(1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                         static_cast<double>(f.QuadPart));
            lines = commandLines.size();
        }
        std::sort(ms.begin(), ms.end());
        std::printf(
            "ParamsByExtMode %d: %zu command lines, median %.1f ms (min %.1f, max %.1f) over %zu runs\n",
            byExt, lines, ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    }
    OptionsIniName[0] = L'\0';
    return 0;
}
