// TolvanierCheck.exe: checks the plugin's settings and says what the plugin would start, in the language
// --language names, else [Options] Language of the settings, else the display language.
#include <windows.h>

#include <string>
#include <vector>

#include "checker/check.h"
#include "checker/ini_check.h"
#include "config/languages.h"
#include "config/texts.h"
#include "lang/ids.h"
#include "win/paths.h"

namespace {

// A console gets the text as it is; a file or pipe gets UTF-8, which any viewer of a redirected
// report reads, whatever the console's code page.
void Write(DWORD which, std::wstring text) {
    std::wstring lines;
    lines.reserve(text.size() + text.size() / 32);
    for (wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    const HANDLE out = GetStdHandle(which); // the process's own handle: not ours to close
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        for (size_t at = 0; at < lines.size();) {
            const DWORD chunk = static_cast<DWORD>(lines.size() - at < 8192 ? lines.size() - at : 8192);
            DWORD written = 0;
            if (!WriteConsoleW(out, lines.data() + at, chunk, &written, nullptr) || written == 0) return;
            at += written;
        }
        return;
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return;
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), bytes.data(), n, nullptr,
                        nullptr);
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0)
            return;
        at += written;
    }
}

std::wstring OwnFolder() {
    return win::DirectoryOf(win::ModuleFileName(nullptr));
}

// The texts in language, and Windows' own parts of this thread (its messages) too where it has them.
void UseLanguage(const config::Language& language) {
    config::SetTextLanguage(language);
    SetThreadUILanguage(config::ThreadLanguageOf(language));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring outOfMemory = L"TolvanierCheck: out of memory\n"; // the resources may be out of reach then
    try {
        // The display language says why arguments are wrong; the settings file may choose another.
        UseLanguage(config::ChosenLanguage(L""));
        outOfMemory = L"TolvanierCheck: " + config::Text(IDS_CHECK_OUT_OF_MEMORY) + L"\n";
        std::vector<std::wstring> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        std::wstring error;
        const std::optional<checker::Arguments> parsed = checker::ParseArguments(args, error);
        const std::vector<config::Language> languages = config::PresentLanguages();
        std::wstring codes;
        for (const std::wstring& code : config::CodesOf(languages))
            codes += (codes.empty() ? L"" : L", ") + code;
        if (!parsed) {
            Write(STD_ERROR_HANDLE,
                  L"TolvanierCheck: " + error + L"\n" + config::Text(IDS_CHECK_USAGE, {codes}));
            return 2;
        }
        if (!parsed->language.empty()) {
            const std::optional<config::Language> asked = config::FindLanguage(parsed->language);
            if (!asked) {
                Write(STD_ERROR_HANDLE,
                      L"TolvanierCheck: " +
                          config::Text(IDS_CHECK_UNKNOWN_LANGUAGE_ARGUMENT, {parsed->language, codes}) +
                          L"\n");
                return 2;
            }
            UseLanguage(*asked);
        } else {
            UseLanguage(config::ChosenLanguage(checker::LanguageOfSettings(*parsed, OwnFolder())));
        }
        outOfMemory = L"TolvanierCheck: " + config::Text(IDS_CHECK_OUT_OF_MEMORY) + L"\n";
        if (parsed->help) {
            Write(STD_OUTPUT_HANDLE, config::Text(IDS_CHECK_USAGE, {codes}));
            return 0;
        }
        std::wstring report;
        const int status = checker::RunCheck(*parsed, OwnFolder(), report);
        Write(status == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, report);
        return status;
    } catch (...) {
        try {
            Write(STD_ERROR_HANDLE, outOfMemory);
        } catch (...) {
        }
        return 2;
    }
}
