// Bounded copies into fixed buffers and the bounded length of a buffer's text.
//
// Input, in 16-bit units: a capacity unit (0-299), then the source text, nul units included. The
// buffers are allocated to their exact capacity, so the sanitizer sees any write or read past them.
#include <algorithm>
#include <memory>

#include "fuzz_support.h"
#include "win/text.h"

namespace {

constexpr wchar_t kUntouched = 0xFFFE;

void CheckCopy(wchar_t* dst, size_t capacity, const std::wstring& src, bool fitted) {
    if (capacity == 0) {
        FUZZ_CHECK(fitted == src.empty());
        return;
    }
    const size_t n = src.size() < capacity ? src.size() : capacity - 1;
    FUZZ_CHECK(fitted == (n == src.size()));
    FUZZ_CHECK(src.compare(0, n, dst, n) == 0);
    FUZZ_CHECK(dst[n] == L'\0');
    for (size_t i = n + 1; i < capacity; ++i)
        FUZZ_CHECK(dst[i] == kUntouched);
    // The text as the platform sees it ends at the first nul, within the buffer.
    const size_t firstNul = src.substr(0, n).find(L'\0');
    FUZZ_CHECK(win::BoundedLength(dst, capacity) == (firstNul == std::wstring::npos ? n : firstNul));
}

template <size_t N> void CheckFixed(const std::wstring& src) {
    wchar_t buffer[N];
    std::fill(buffer, buffer + N, kUntouched);
    CheckCopy(buffer, N, src, win::CopyTo(buffer, src));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::UnitReader in(fuzz::Units(data, size));
    const size_t capacity = in.Take() % 300;
    const std::wstring src = in.Rest();

    const std::unique_ptr<wchar_t[]> buffer(new wchar_t[capacity ? capacity : 1]);
    std::fill(buffer.get(), buffer.get() + capacity, kUntouched);
    CheckCopy(buffer.get(), capacity, src, win::CopyTo(buffer.get(), capacity, src));
    CheckFixed<1>(src);
    CheckFixed<2>(src);
    CheckFixed<260>(src);

    // A buffer filled to the brim without a terminator: the length stops at its end.
    const size_t fill = src.size() < 300 ? src.size() : 300;
    const std::unique_ptr<wchar_t[]> raw(new wchar_t[fill ? fill : 1]);
    std::copy(src.begin(), src.begin() + fill, raw.get());
    const size_t firstNul = src.substr(0, fill).find(L'\0');
    FUZZ_CHECK(win::BoundedLength(raw.get(), fill) == (firstNul == std::wstring::npos ? fill : firstNul));
    return 0;
}
