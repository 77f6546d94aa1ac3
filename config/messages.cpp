#include "config/messages.h"

#include "config/ini.h"
#include "shared/state.h"
#include "win/errors.h"

namespace config {

void ShowPluginMessage(const std::wstring& text) {
    // What a key event reads while the box is open, and what is read after it, comes from the files
    // as they are then.
    IniForgetReads();
    MessageBoxW(hwMain, text.c_str(), L"Tolvanier", 0x10);
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
