// The settings window's texts: the one loader of the texts (config/texts.h), in the language chosen at
// the start, with the window's string ids.
#pragma once

#include "config/texts.h"
#include "lang/ids.h"

namespace settings {

using config::Text;

} // namespace settings
