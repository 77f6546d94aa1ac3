// One run of the configuration checker: reads the settings through the plugin's own code (option
// block, application lookup, templates, command list builder) and reports what it finds and what the
// plugin would start. It shows no message box, starts nothing and writes no file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "checker/ini_check.h"
#include "plugin/startup.h"

namespace checker {

// The report goes to out, lines ended by "\n". Returns the exit status: 0 no problem and every FILE
// opens, 1 a problem or a FILE that would not open or shows a message, 2 an INI that cannot be read
// (or none yet). checkerFolder ends in a backslash: without --ini, the settings file is the one a
// plugin installed there reads. The file manager's folder comes from COMMANDER_PATH.
int RunCheck(const Arguments& args, const std::wstring& checkerFolder, std::wstring& out);

// While it lives, the plugin's own lookup and builder read the settings file iniPath as a check reads
// it: its options in the option cache, programs named without a folder looked for in the file
// manager's folder from COMMANDER_PATH first (none when it is unset), and what the plugin would show in
// a message box collected instead. Not Usable() for a path longer than the plugin's 259 characters.
class CheckScope {
  public:
    explicit CheckScope(const std::wstring& iniPath);
    ~CheckScope();
    CheckScope(const CheckScope&) = delete;
    CheckScope& operator=(const CheckScope&) = delete;
    bool Usable() const;
    const std::wstring& HostFolder() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// [Options] Language as written in the settings file a check with args reads (empty when it has none):
// the report's language unless --language names one.
std::wstring LanguageOfSettings(const Arguments& args, const std::wstring& checkerFolder);

// Sets TCIniName from COMMANDER_INI as the plugin does at start; returns whether the variable is set.
bool TakeHostIniFromEnvironment();
// Why the plugin reads its settings file where it lies, as the report's first line says it.
std::wstring WhySettingsThere(SettingsPlace place, bool hostIniSet);

// The whole settings file (at most 16 MB); false with the system's error code.
bool ReadIniBytes(const std::wstring& path, std::string& bytes, DWORD& error);
// The file's bytes decoded as the profile functions read them, ANSI in the system's code page (also
// behind a UTF-8 mark whose bytes are no UTF-8).
DecodedIni DecodeIniFile(const std::string& bytes);

} // namespace checker
