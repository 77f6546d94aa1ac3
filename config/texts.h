// The texts a person reads, by their numbers in lang/ids.h: from this module's string tables, in the
// language of the texts (config/languages.h), falling back to English. Defined in config/languages.cpp;
// the fuzz targets, which drive pure code natively without resources, give their own.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace config {

// "%%" in a text is a percent sign.
std::wstring Text(unsigned id);
// With its numbered inserts (%1 ... %9) put in.
std::wstring Text(unsigned id, std::initializer_list<std::wstring_view> inserts);
// A count in words ("3 names"): four forms at consecutive ids from firstId, as languages with Slavic
// plurals need them: for 1, for a number ending in 1 but not 11 (21), ending in 2 to 4 but not 12 to
// 14 (23), and for any other; a language with one plural form repeats it. %1 is the number.
std::wstring CountText(unsigned firstId, size_t count);
// Which of the four forms (0 to 3) a count takes.
unsigned CountForm(size_t count);

} // namespace config
