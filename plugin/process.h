// Starting one command line as an independent process.
#pragma once

#include <string>

#include "win/handles.h"

// The platform's limit for a command line, terminator included.
constexpr size_t kCommandLineLimit = 32767;

// Starts commandLine whole (no separate application name, no inherited handles, the host's
// environment and current directory, a zeroed start-up record). A line that does not fit the
// platform's limit is not started. The returned owner is empty when nothing was started.
win::UniqueProcessInfo StartCommandLine(const std::wstring& commandLine);
