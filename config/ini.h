// Reads of the plugin's and the host's INI files through the platform's private-profile functions.
// An empty file name stands for "no usable file" (a path that did not fit its buffer): every read
// then yields its default, as for a missing file.
#pragma once

#include <string>

namespace config {

// Capacity of a single value read, terminator included.
constexpr unsigned kIniValueCapacity = 260;
// Capacity of a whole section read, terminator included.
constexpr unsigned kIniSectionCapacity = 32767;

std::wstring IniReadString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           const wchar_t* defaultValue, unsigned capacity = kIniValueCapacity);
int IniReadInt(const wchar_t* file, const wchar_t* section, const wchar_t* key, int defaultValue);
// The section's lines as the platform returns them: "key=value" texts, each terminated, closed by an
// empty text. The result keeps the inner terminators.
std::wstring IniReadSection(const wchar_t* file, const wchar_t* section);

} // namespace config
