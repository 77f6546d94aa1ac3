#include "config/options.h"

#include "config/ini.h"
#include "shared/state.h"

TTolvanierOptions TolvanierOptions;

namespace config {
namespace {

bool ReadFlag(const wchar_t* ini, const wchar_t* key, int defaultValue) {
    return IniReadInt(ini, L"Options", key, defaultValue) != 0;
}

// The hotkey flags only say whether a code is written at all: read as text into 5 units.
bool HotKeyPresent(const wchar_t* ini, const wchar_t* key) {
    return !IniReadString(ini, L"HotKeys", key, L"", 5).empty();
}

} // namespace

TTolvanierOptions ReadOptionBlock(const wchar_t* ini) {
    TTolvanierOptions o;
    o.ScrollLockControl = ReadFlag(ini, L"ScrollLockControl", 0);
    o.ModalOnly = ReadFlag(ini, L"ModalOnly", 0);
    o.FindFiles = ReadFlag(ini, L"FindFiles", 1);
    o.SyncDirs = ReadFlag(ini, L"SyncDirs", 1);
    o.TCWindow = ReadFlag(ini, L"TCWindow", 1);
    o.QuickView = ReadFlag(ini, L"QuickView", 0);
    o.Lister4 = ReadFlag(ini, L"Lister4", 0);
    o.ListerDirectly = ReadFlag(ini, L"ListerDirectly", 0);
    o.OverWrite = ReadFlag(ini, L"OverWrite", 1);
    o.IfIsExtOnly = ReadFlag(ini, L"IfIsExtOnly", 0);
    o.ListerState = IniReadInt(ini, L"Options", L"ListerState", 1);
    o.NextPlugin = ReadFlag(ini, L"NextPlugin", 1);
    o.UseTCExtensions = ReadFlag(ini, L"UseTCExtensions", 0);
    o.CopySearchTextToClip = ReadFlag(ini, L"CopySearchTextToClip", 1);
    o.ParamsMode = IniReadInt(ini, L"Options", L"ParamsMode", 1);
    o.ParamsByExtMode = IniReadInt(ini, L"Options", L"ParamsByExtMode", 0);
    o.UseSystemAssociations = ReadFlag(ini, L"UseSystemAssociations", 0);
    o.KeepChangedCopies = ReadFlag(ini, L"KeepChangedCopies", 1);
    o.AppFromLister_key = HotKeyPresent(ini, L"AppFromLister_key");
    o.DefSysAppFromLister_key = HotKeyPresent(ini, L"DefSysAppFromLister_key");
    o.ChooseAppFromLister_key = HotKeyPresent(ini, L"ChooseAppFromLister_key");
    return o;
}

bool RefreshOptionCache() {
    const bool fill = FirstLoad || IniReadInt(OptionsIniName, L"Options", L"ReadOptionsEveryTime", 0) != 0;
    if (fill) TolvanierOptions = ReadOptionBlock(OptionsIniName);
    FirstLoad = false;
    return fill;
}

} // namespace config
