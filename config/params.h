// Parameter templates and the composite entries of section [Editor].
#pragma once

#include <cstddef>
#include <string>

// Capacity of a parameter template, terminator included.
constexpr size_t kParamsCapacity = 8136;

// Writes the expanded template for an application (mode 0) or an extension key (mode 1) into
// params[kParamsCapacity], always terminated, possibly empty.
void GetParams(int mode, const std::wstring& name, wchar_t* params, bool usedDefaultEditor);

// value[capacity] := the value of the first composite [Editor] line whose list holds key: an
// application entry (forApplication) or a parameter entry; empty when none matches.
void GetComplexKeyValue(wchar_t* value, size_t capacity, const std::wstring& key, bool forApplication);

namespace config {

// text with its %NAME% references expanded by the platform, whole (undefined references and "%1"
// stay as they stand).
std::wstring ExpandEnvironment(const std::wstring& text);

} // namespace config
