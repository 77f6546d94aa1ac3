// The system's own words for an error code.
#pragma once

#include <windows.h>

#include <string>

#include "win/text.h"

namespace win {

// The system's text for error, without its line end; empty when the system has none. In language (its
// primary language) when the system has its texts in it, else in the system's own choice.
inline std::wstring SystemErrorText(DWORD error, LANGID language = 0) {
    wchar_t text[1024] = {};
    const auto format = [&](LANGID in) {
        return FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, in,
                              text, static_cast<DWORD>(std::size(text)), nullptr);
    };
    // The system's messages are kept under languages with a sublanguage: "de" asks for German (Germany).
    DWORD n = language ? format(MAKELANGID(PRIMARYLANGID(language), SUBLANG_DEFAULT)) : 0;
    if (n == 0) n = format(0);
    std::wstring message(text, BoundedLength(text, n < std::size(text) ? n : 0));
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    return message;
}

} // namespace win
