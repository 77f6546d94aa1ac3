#include "config/options.h"

#include "config/ini.h"
#include "config/option_table.h"
#include "shared/state.h"

TTolvanierOptions TolvanierOptions;

namespace config {

int ReadOptionNumber(const wchar_t* ini, const wchar_t* section, const wchar_t* name) {
    return IniReadInt(ini, section, name, OptionDefaultNumber(section, name));
}

std::wstring ReadOptionText(const wchar_t* ini, const wchar_t* section, const wchar_t* name,
                            unsigned capacity) {
    const OptionRow* row = FindOption(section, name);
    return IniReadString(ini, section, name, row ? row->defaultText : L"", capacity);
}

TTolvanierOptions ReadOptionBlock(const wchar_t* ini) {
    TTolvanierOptions o;
    for (const OptionRow& row : OptionTable()) {
        if (row.cachedNumber)
            o.*row.cachedNumber = IniReadInt(ini, row.section, row.name, DefaultNumber(row));
        if (!row.cachedFlag) continue;
        if (row.read == ReadTime::PresenceCached)
            // A hotkey only says whether its code is written at all: read as text into 5 units.
            o.*row.cachedFlag = !IniReadString(ini, row.section, row.name, L"", 5).empty();
        else
            o.*row.cachedFlag = IniReadInt(ini, row.section, row.name, DefaultNumber(row)) != 0;
    }
    return o;
}

bool RefreshOptionCache() {
    const bool fill = FirstLoad || ReadOptionNumber(OptionsIniName, L"Options", L"ReadOptionsEveryTime") != 0;
    if (fill) TolvanierOptions = ReadOptionBlock(OptionsIniName);
    FirstLoad = false;
    return fill;
}

} // namespace config
