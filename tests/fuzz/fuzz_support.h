// What the fuzz targets share: wide text is built from the input in 16-bit little-endian units, so a
// target sees the same texts whether wchar_t has 16 or 32 bits; a failed property aborts, which
// libFuzzer reports as a crash and keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "property does not hold: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) ::fuzz::Fail(#condition, __FILE__, __LINE__);                                      \
    } while (0)

// The input as 16-bit units; an odd last byte is dropped.
inline std::wstring Units(const uint8_t* data, size_t size) {
    std::wstring units;
    units.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    return units;
}

// Reads units one by one, or fields closed by a nul unit.
class UnitReader {
  public:
    explicit UnitReader(std::wstring units) : units_(std::move(units)) {}

    bool AtEnd() const { return pos_ >= units_.size(); }

    // The next unit, 0 past the end.
    uint16_t Take() { return AtEnd() ? 0 : static_cast<uint16_t>(units_[pos_++]); }

    // The units up to the next nul (which is consumed) or the end.
    std::wstring Field() {
        const size_t start = pos_ < units_.size() ? pos_ : units_.size();
        size_t end = units_.find(L'\0', start);
        if (end == std::wstring::npos) end = units_.size();
        pos_ = end + 1;
        return units_.substr(start, end - start);
    }

    std::wstring Rest() {
        const size_t start = pos_ < units_.size() ? pos_ : units_.size();
        pos_ = units_.size();
        return units_.substr(start);
    }

  private:
    std::wstring units_;
    size_t pos_ = 0;
};

// A text as 16-bit units, for maps that order keys by unsigned code unit independently of the code
// under test. Every text the targets build is made of 16-bit units.
inline std::u16string To16(const std::wstring& s) {
    std::u16string out;
    out.reserve(s.size());
    for (wchar_t c : s) {
        const auto unit = static_cast<uint32_t>(c);
        FUZZ_CHECK(unit <= 0xFFFF);
        out.push_back(static_cast<char16_t>(unit));
    }
    return out;
}

inline uint32_t Hash(const std::wstring& s, uint32_t salt) {
    uint32_t h = 2166136261u ^ salt;
    for (wchar_t c : s) {
        h ^= static_cast<uint32_t>(c);
        h *= 16777619u;
    }
    return h;
}

// The arguments that the C runtime's standard rules read from a command line (the part after the
// program name): blanks separate arguments outside quotes; 2n backslashes before a quote give n
// backslashes and the quote opens or closes quoting, 2n+1 give n backslashes and a literal quote;
// other backslashes are literal; "" inside quotes is a literal quote.
inline std::vector<std::wstring> ParseArguments(const std::wstring& s) {
    std::vector<std::wstring> args;
    size_t i = 0;
    for (;;) {
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t'))
            ++i;
        if (i == s.size()) break;
        std::wstring arg;
        bool quoted = false;
        while (i < s.size()) {
            const wchar_t c = s[i];
            if (!quoted && (c == L' ' || c == L'\t')) break;
            if (c == L'\\') {
                size_t n = 0;
                while (i < s.size() && s[i] == L'\\') {
                    ++n;
                    ++i;
                }
                if (i < s.size() && s[i] == L'"') {
                    arg.append(n / 2, L'\\');
                    if (n % 2 == 1) {
                        arg += L'"';
                        ++i;
                    }
                } else {
                    arg.append(n, L'\\');
                }
                continue;
            }
            if (c == L'"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == L'"') {
                    arg += L'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

} // namespace fuzz
