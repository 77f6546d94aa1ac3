// The texts of the resources for pure code fuzzed natively, without resources: a text is its number,
// then its inserts.
#include "config/texts.h"

namespace config {

std::wstring Text(unsigned id) {
    return L"#" + std::to_wstring(id);
}

std::wstring Text(unsigned id, std::initializer_list<std::wstring_view> inserts) {
    std::wstring text = Text(id);
    for (const std::wstring_view insert : inserts)
        text.append(L" ").append(insert);
    return text;
}

} // namespace config
