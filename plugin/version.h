// The version of the plugin and the programs beside it, for their version resources.
#pragma once

#define TOLVANIER_VERSION 1, 0, 0, 0
#define TOLVANIER_VERSION_TEXT "1.0.0.0"
