// Bounded text helpers. Every copy into a fixed platform buffer goes through CopyTo, which always
// terminates and says whether the source had to be cut.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace win {

// Copies src into dst[0..capacity), always terminated. Returns false when src did not fit whole
// (dst then holds the longest prefix that fits).
inline bool CopyTo(wchar_t* dst, size_t capacity, std::wstring_view src) {
    if (capacity == 0) return src.empty();
    const size_t n = src.size() < capacity ? src.size() : capacity - 1;
    for (size_t i = 0; i < n; ++i)
        dst[i] = src[i];
    dst[n] = L'\0';
    return n == src.size();
}

template <size_t N> bool CopyTo(wchar_t (&dst)[N], std::wstring_view src) {
    return CopyTo(dst, N, src);
}

// Lower case for the ASCII letters only: every other unit stays as it is, so a text never changes
// its length, and no locale of the process has a say.
inline wchar_t FoldAsciiCase(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
inline std::wstring FoldAsciiCase(std::wstring text) {
    for (wchar_t& c : text)
        c = FoldAsciiCase(c);
    return text;
}

// Length of a terminated text inside a buffer of capacity units; capacity when no terminator is there.
inline size_t BoundedLength(const wchar_t* s, size_t capacity) {
    size_t n = 0;
    while (n < capacity && s[n] != L'\0')
        ++n;
    return n;
}

} // namespace win
