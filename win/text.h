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

// Length of a terminated text inside a buffer of capacity units; capacity when no terminator is there.
inline size_t BoundedLength(const wchar_t* s, size_t capacity) {
    size_t n = 0;
    while (n < capacity && s[n] != L'\0')
        ++n;
    return n;
}

} // namespace win
