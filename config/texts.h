// The texts a person reads, by their numbers in lang/ids.h: from this module's string tables, in the
// language of the texts (config/languages.h), falling back to English. Defined in config/languages.cpp;
// the fuzz targets, which drive pure code natively without resources, give their own.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace config {

std::wstring Text(unsigned id);
// With its numbered inserts (%1 ... %9) put in.
std::wstring Text(unsigned id, std::initializer_list<std::wstring_view> inserts);

} // namespace config
