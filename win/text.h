// Bounded text helpers. Every copy into a fixed platform buffer goes through CopyTo, which always
// terminates and says whether the source had to be cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
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

// A text of the resources with its numbered inserts put in: %1 ... %9 stand for the first to ninth
// insert, %% for a percent sign. An insert is never read for inserts of its own (a template's "%1"
// stays as it is), and a "%" that starts neither (or names an insert not given) stays as written, so a
// fault in a translation shows rather than hides the text.
inline std::wstring FormatNumbered(std::wstring_view pattern, const std::wstring_view* inserts,
                                   size_t count) {
    std::wstring text;
    text.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (c == L'%' && next == L'%') {
            text += L'%';
            ++i;
        } else if (c == L'%' && next >= L'1' && next <= L'9' && static_cast<size_t>(next - L'0') <= count) {
            text += inserts[next - L'1'];
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}
inline std::wstring FormatNumbered(std::wstring_view pattern,
                                   std::initializer_list<std::wstring_view> inserts) {
    return FormatNumbered(pattern, inserts.begin(), inserts.size());
}

// The entry-th (0-15) of the counted strings of a string table block: each a length unit and that many
// units, no terminator. nullopt when the block ends before it; an empty entry is there but empty.
inline std::optional<std::wstring_view> StringTableEntry(std::wstring_view block, unsigned entry) {
    size_t at = 0;
    for (unsigned i = 0;; ++i) {
        if (at >= block.size()) return std::nullopt;
        const size_t length = static_cast<uint16_t>(block[at]);
        if (length > block.size() - at - 1) return std::nullopt;
        if (i == entry) return block.substr(at + 1, length);
        at += 1 + length;
    }
}

} // namespace win
