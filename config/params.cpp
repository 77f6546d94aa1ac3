#include "config/params.h"

#include <windows.h>

#include <vector>

#include "config/command_text.h"
#include "config/ini.h"
#include "shared/state.h"
#include "win/text.h"

namespace config {

std::wstring ExpandEnvironment(const std::wstring& text) {
    // The needed size can change between the two calls when the environment does: measure again.
    std::vector<wchar_t> buffer(text.size() + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed =
            ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) return text;
        if (needed <= buffer.size())
            return std::wstring(buffer.data(), win::BoundedLength(buffer.data(), needed));
        buffer.assign(needed, L'\0');
    }
    return text;
}

} // namespace config

void GetComplexKeyValue(wchar_t* value, size_t capacity, const std::wstring& key, bool forApplication) {
    const std::optional<std::wstring> found =
        config::FindCompositeValue(config::IniReadSection(OptionsIniName, L"Editor"), key, forApplication);
    // A value that does not fit counts as empty: a cut application or template is never used.
    if (!found || !win::CopyTo(value, capacity, *found)) win::CopyTo(value, capacity, L"");
}

void GetParams(int mode, const std::wstring& name, wchar_t* params, bool usedDefaultEditor) {
    const bool defaultEditor = mode == 0 && usedDefaultEditor;
    const std::wstring key = mode == 0 ? name : name + L"_params";
    // One unit more than a direct value may hold, so that a longer value is seen and not cut.
    std::wstring value = config::IniReadString(OptionsIniName, defaultEditor ? L"Options" : L"Editor",
                                               defaultEditor ? L"DefaultEditor_params" : key.c_str(), L"",
                                               config::kIniValueCapacity + 1);
    if (value.size() >= config::kIniValueCapacity) value.clear();
    if (mode == 1 && value.empty()) {
        GetComplexKeyValue(params, kParamsCapacity, name, false);
        value = params;
    }
    // An expansion that does not fit counts as an empty template.
    if (!win::CopyTo(params, kParamsCapacity,
                     config::ExpandAroundPlaceholders(value, config::ExpandEnvironment)))
        win::CopyTo(params, kParamsCapacity, L"");
}
