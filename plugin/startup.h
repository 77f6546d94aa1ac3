// Start-up and unload of the module: the host's windows, the settings file, and what an unload takes
// back.
#pragma once

#include <windows.h>

#include <string>

// Returns a top-level window of this process with no parent and no owner and exactly that class.
HWND FindMainWindow(const wchar_t* className);

// Where the settings file lies: beside the module when it is there or can be made there (an
// administrator may have put a configured one beside a module in a folder users cannot write);
// otherwise beside the host's own settings, which the user can write; otherwise in the user's
// application data.
enum class SettingsPlace { BesideModule, BesideHostSettings, UserAppData };
struct SettingsLocation {
    std::wstring path;
    SettingsPlace place = SettingsPlace::BesideModule;
    bool exists = false;
};
// moduleFolder ends in a backslash; hostIni is the host INI's path. make: as at attach, the sample is
// copied and the application data folder made. Without it the choice is the same but nothing is left
// on disk (the checker), and the file may not exist yet: path is then where the plugin would make it.
SettingsLocation LocateSettingsFile(const std::wstring& moduleFolder, const std::wstring& hostIni, bool make);

// The attach sequence of the module entry point, for the module hinst.
void AttachPlugin(HINSTANCE hinst);
// Unload by FreeLibrary: take back what would call into unmapped code.
void DetachPlugin();
