#include "config/messages.h"

#include "config/ini.h"
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
    MessageBoxW(hwMain, text.c_str(), L"Tolvanier", style);
    IniForgetReads();
}

} // namespace config

void ShowStartFailure(const std::wstring& what, DWORD error) {
    // A box as wide as a line of thousands of names would hide its own reason and button.
    constexpr size_t kShownLimit = 1024;
    const std::wstring shown = what.size() > kShownLimit ? what.substr(0, kShownLimit) + L"..." : what;
    std::wstring reason = win::SystemErrorText(error);
    if (reason.empty()) reason = L"Error " + std::to_wstring(error) + L".";
    config::ShowPluginMessage(L"Application could not be started:\n" + shown + L"\n" + reason);
}

std::wstring KeptCopyText(const std::wstring& kept, const std::wstring& expectedFolder,
                          const std::wstring& why) {
    std::wstring text = L"Changes saved in a copy from an archive were kept:\n" + kept;
    if (!expectedFolder.empty()) text += L"\nThe folder " + expectedFolder + L" could not be written: " + why;
    return text;
}

std::wstring CopyNotKeptText(const std::wstring& copy, DWORD error) {
    std::wstring reason = win::SystemErrorText(error);
    if (reason.empty()) reason = L"Error " + std::to_wstring(error) + L".";
    return L"Changes saved in a copy from an archive could not be kept:\n" + copy + L"\n" + reason +
           L"\nThe copy stays there until you press OK: save the changes elsewhere from the application, or "
           L"copy the file, before that.";
}

std::wstring NotAFullPathText() {
    return L"it is no full path.";
}
