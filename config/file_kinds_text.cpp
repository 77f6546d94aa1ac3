// The rules that decide when a folder's listing answers the existence test exactly. No platform call.
#include "config/file_kinds.h"

namespace config {
namespace {

// Units that a directory search gives a meaning of its own (wildcards, the DOS wildcards < > ",
// streams, the pipe), the other separator, and "~", which may name an entry by its short name.
bool IsSpecialUnit(wchar_t c) {
    switch (c) {
    case L'*':
    case L'?':
    case L'<':
    case L'>':
    case L'"':
    case L'|':
    case L':':
    case L'/':
    case L'~':
    case L'\\': return true;
    default: return false;
    }
}

bool IsPlainAscii(wchar_t c) {
    const auto u = static_cast<uint32_t>(c);
    return u >= 0x20 && u < 0x7F;
}

wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with or without an extension: the platform
// may resolve these to devices in any folder.
bool IsDeviceName(const std::wstring& component) {
    std::wstring base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (wchar_t& c : base)
        c = UpperAscii(c);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'0' && base[3] <= L'9';
}

} // namespace

std::wstring FoldAsciiCase(const std::wstring& text) {
    std::wstring folded = text;
    for (wchar_t& c : folded)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return folded;
}

std::optional<ListingQuery> ListingQueryOf(const std::wstring& name) {
    std::wstring tested = name;
    if (!tested.empty() && tested.back() == L'\\') tested.pop_back();
    // The search takes the whole name; the listing would find the entry of a name too long to search.
    if (tested.empty() || tested.size() >= 260) return std::nullopt;
    if (tested.size() >= 2 && tested[0] == L'\\' && tested[1] == L'\\') return std::nullopt;
    const size_t lastSeparator = tested.rfind(L'\\');
    if (lastSeparator == std::wstring::npos) return std::nullopt;

    ListingQuery query{tested.substr(0, lastSeparator + 1), tested.substr(lastSeparator + 1)};
    for (wchar_t c : query.folder) {
        const auto u = static_cast<uint32_t>(c);
        if (u < 0x20 || (c != L'\\' && c != L':' && c != L'~' && IsSpecialUnit(c))) return std::nullopt;
    }
    const std::wstring& component = query.component;
    if (component.empty()) return std::nullopt;
    for (wchar_t c : component)
        if (!IsPlainAscii(c) || IsSpecialUnit(c)) return std::nullopt;
    // The platform drops trailing dots and spaces of the last component before it searches.
    if (component.back() == L'.' || component.back() == L' ') return std::nullopt;
    if (IsDeviceName(component)) return std::nullopt;
    return query;
}

void FolderListing::Add(const std::wstring& entryName, bool isDirectory) {
    bool ascii = true;
    for (wchar_t c : entryName)
        if (static_cast<uint32_t>(c) >= 0x80) ascii = false;
    // Case rules beyond ASCII are the file system's own, but they never change a name's length.
    if (!ascii) nonAsciiLengths_.insert(entryName.size());
    const uint8_t kind = isDirectory ? 16 : 1;
    auto [it, inserted] = kindByFoldedName_.emplace(FoldAsciiCase(entryName), kind);
    if (!inserted && it->second != kind) it->second = kMixedKinds;
}

std::optional<uint8_t> FolderListing::KindOf(const std::wstring& component) const {
    if (nonAsciiLengths_.count(component.size()) != 0) return std::nullopt;
    const auto it = kindByFoldedName_.find(FoldAsciiCase(component));
    if (it == kindByFoldedName_.end()) return 0;
    if (it->second == kMixedKinds) return std::nullopt;
    return it->second;
}

} // namespace config
