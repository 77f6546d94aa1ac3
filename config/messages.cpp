#include "config/messages.h"

#include "config/ini.h"
#include "config/languages.h"
#include "config/texts.h"
#include "lang/ids.h"
#include "shared/state.h"
#include "win/errors.h"

namespace config {

void ShowPluginMessage(const std::wstring& text) {
    ShowPluginMessage(text, MB_OK | MB_ICONERROR);
}

void ShowPluginMessage(const std::wstring& text, UINT style) {
    // What a key event reads while the box is open, and what is read after it, comes from the files
    // as they are then.
    IniForgetReads();
    MessageBoxW(hwMain, text.c_str(), kMessageCaption, style);
    IniForgetReads();
}

std::wstring ErrorText(DWORD error) {
    const std::wstring text = win::SystemErrorText(error, TextLanguage());
    return text.empty() ? Text(IDS_ERROR_NUMBER, {std::to_wstring(error)}) : text;
}

} // namespace config

void ShowStartFailure(const std::wstring& what, DWORD error) {
    // A box as wide as a line of thousands of names would hide its own reason and button.
    constexpr size_t kShownLimit = 1024;
    const std::wstring shown = what.size() > kShownLimit ? what.substr(0, kShownLimit) + L"..." : what;
    config::ShowPluginMessage(config::Text(IDS_START_FAILED, {shown, config::ErrorText(error)}));
}

std::wstring KeptCopyText(const std::wstring& kept, const std::wstring& expectedFolder,
                          const std::wstring& why) {
    if (expectedFolder.empty()) return config::Text(IDS_COPY_KEPT, {kept});
    return config::Text(IDS_COPY_KEPT_ELSEWHERE, {kept, expectedFolder, why});
}

std::wstring CopyNotKeptText(const std::wstring& copy, DWORD error) {
    return config::Text(IDS_COPY_NOT_KEPT, {copy, config::ErrorText(error)});
}

std::wstring NotAFullPathText() {
    return config::Text(IDS_NOT_A_FULL_PATH);
}
