// The host stand-in as a program. With --demo it installs the plugin into a folder of its own beside
// this program and runs a short scripted viewing session with real applications, printing what a
// person would see: the file viewed, the decision, the command line started, what became of the Lister.
#include <windows.h>

#include <cstdio>
#include <string>

#include "hoststub/demo.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring first = argc > 1 ? argv[1] : L"";
    const std::wstring second = argc > 2 ? argv[2] : L"";
    if (first != L"--demo" || argc > 3 || (argc == 3 && second != L"--moments")) {
        std::printf(
            "usage: tolvanier-host --demo [--moments]\n"
            "  --moments  wait at each key moment until its file in demo\\moments is gone (a screenshot)\n");
        return 2;
    }
    hoststub::DemoOptions options;
    options.waitAtMoments = argc == 3;
    return hoststub::RunDemo(options);
}
