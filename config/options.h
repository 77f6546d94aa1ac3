// The option cache: the [Options] values and hotkey presence flags read from the plugin INI.
#pragma once

#include <cstdint>
#include <string>

struct TTolvanierOptions {
    bool ScrollLockControl = false;
    bool ModalOnly = false;
    bool FindFiles = false;
    bool SyncDirs = false;
    bool TCWindow = false;
    bool QuickView = false;
    bool Lister4 = false;
    bool ListerDirectly = false;
    bool OverWrite = false;
    bool IfIsExtOnly = false;
    bool NextPlugin = false;
    bool UseTCExtensions = false;
    bool CopySearchTextToClip = false;
    bool AppFromLister_key = false;
    bool DefSysAppFromLister_key = false;
    // An extension key that nothing configures opens in the system's associated application.
    bool UseSystemAssociations = false;
    // Whether the key of the menu of applications (the third hotkey) is written at all.
    bool ChooseAppFromLister_key = false;
    // A copy from an archive that its application changed is kept when its viewer closes.
    bool KeepChangedCopies = false;
    int32_t ParamsMode = 0;
    int32_t ParamsByExtMode = 0;
    int32_t ListerState = 0;
};

// Until the first load every field is false or 0.
extern TTolvanierOptions TolvanierOptions;

namespace config {

// Reads every key the option cache keeps from iniName, as the table of options (config/option_table.h)
// names them, with its defaults.
TTolvanierOptions ReadOptionBlock(const wchar_t* iniName);

// A key of the table of options read as the plugin reads it, with the table's default (0 or empty for a
// key not in the table).
int ReadOptionNumber(const wchar_t* ini, const wchar_t* section, const wchar_t* name);
std::wstring ReadOptionText(const wchar_t* ini, const wchar_t* section, const wchar_t* name,
                            unsigned capacity);

// The filling rule of a load: at the first load (FirstLoad) always, later only while
// [Options] ReadOptionsEveryTime is not 0. Clears FirstLoad. Returns whether the cache was filled.
bool RefreshOptionCache();

} // namespace config
