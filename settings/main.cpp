// TolvanierSettings.exe: the plugin's settings in a window. A Windows program: no console, ever.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

#include "config/languages.h"
#include "config/ini.h"
#include "config/options.h"
#include "settings/model.h"
#include "settings/texts.h"
#include "settings/window.h"
#include "win/paths.h"

namespace {

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int n = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &n)) {
        for (int i = 1; i < n; ++i)
            args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    return args;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    try {
        const std::vector<std::wstring> args = Arguments();
        std::wstring ini;
        if (args.size() == 2 && args[0] == L"--ini" && !args[1].empty()) {
            ini = args[1];
        } else if (!args.empty()) {
            MessageBoxW(nullptr, settings::Text(IDS_SETTINGS_USAGE).c_str(),
                        settings::Text(IDS_SETTINGS_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
            return args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?" ? 0 : 2;
        }
        const std::wstring folder = win::DirectoryOf(win::ModuleFileName(nullptr));
        settings::SettingsModel model(folder);
        model.Open(settings::LocateSettings(ini, folder)); // a file it cannot read is said in the window
        // The language the file chooses, for the rest of the run (Windows' own parts too: the buttons of
        // message boxes, the Open dialog).
        const config::Language language = config::ChosenLanguage(config::ReadOptionText(
            model.File().path.c_str(), L"Options", L"Language", config::kIniValueCapacity));
        config::SetTextLanguage(language);
        SetThreadUILanguage(config::ThreadLanguageOf(language));
        return settings::RunSettingsWindow(instance, model, show);
    } catch (...) {
        try {
            MessageBoxW(nullptr, settings::Text(IDS_SETTINGS_OUT_OF_MEMORY).c_str(),
                        settings::Text(IDS_SETTINGS_CAPTION).c_str(), MB_OK | MB_ICONERROR);
        } catch (...) {
            // Not even room for the message.
        }
        return 2;
    }
}
