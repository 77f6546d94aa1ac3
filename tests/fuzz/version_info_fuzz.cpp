// The description read from a program's version resource (a VS_VERSIONINFO block of blocks, each
// with a length, a key, a value and blocks below it), on bytes as an untrusted program file holds them.
//
// Input: the resource's bytes, copied to a buffer of exactly that size, so the sanitizer sees any read
// past it. The description, when there is one, is a text the input holds (UTF-16 LE), without a nul
// and without blanks around it.
#include <cstring>
#include <memory>

#include "config/open_with.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(exact.get(), data, size);
    const std::wstring description = config::DescriptionInVersionResource(size ? exact.get() : nullptr, size);
    if (description.empty()) return 0;
    FUZZ_CHECK(description.find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(description.front() != L' ' && description.front() != L'\t');
    FUZZ_CHECK(description.back() != L' ' && description.back() != L'\t');
    std::string bytes;
    for (wchar_t c : description) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    FUZZ_CHECK(std::string(reinterpret_cast<const char*>(data), size).find(bytes) != std::string::npos);
    return 0;
}
