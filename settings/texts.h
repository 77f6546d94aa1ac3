// The settings window's texts in the language it shows, from the string tables of its resources, with
// numbered inserts (%1 ... %9; %% is a percent sign).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "lang/ids.h"

namespace settings {

// Where the texts come from: the module holding them and the language to show (English where a text
// has no translation). By default this program's own resources in English.
void UseTexts(HMODULE module, LANGID language);
HMODULE TextModule();
LANGID TextLanguage();

// The text of id with its inserts.
std::wstring Text(unsigned id, std::initializer_list<std::wstring> inserts = {});

} // namespace settings
