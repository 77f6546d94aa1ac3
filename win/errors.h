// The system's own words for an error code.
#pragma once

#include <windows.h>

#include <string>

#include "win/text.h"

namespace win {

// The system's text for error, without its line end; empty when the system has none.
inline std::wstring SystemErrorText(DWORD error) {
    wchar_t text[1024] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                   0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring message(text, BoundedLength(text, n < std::size(text) ? n : 0));
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    return message;
}

} // namespace win
