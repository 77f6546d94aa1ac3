// TolvanierSettings.exe: the plugin's settings in a window. A Windows program: no console, ever.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

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

// TEMPORARY until the language choice of the core lands: [Options] Language only.
BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<LANGID>*>(list)->push_back(language);
    return TRUE;
}
LANGID ChosenLanguage(const std::wstring& code) {
    std::vector<LANGID> present;
    EnumResourceLanguagesW(nullptr, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(IDS_SETTINGS_CAPTION / 16 + 1),
                           AddLanguage, reinterpret_cast<LONG_PTR>(&present));
    for (LANGID l : present) {
        wchar_t name[16] = {};
        GetLocaleInfoW(MAKELCID(l, SORT_DEFAULT), LOCALE_SISO639LANGNAME, name, 16);
        if (!code.empty() && _wcsicmp(name, code.c_str()) == 0) return l;
    }
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
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
        wchar_t code[8] = {};
        GetPrivateProfileStringW(L"Options", L"Language", L"", code, 8, model.File().path.c_str());
        const LANGID language = ChosenLanguage(code);
        SetThreadUILanguage(language);
        settings::UseTexts(nullptr, language);
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
