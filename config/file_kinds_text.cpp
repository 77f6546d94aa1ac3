// The rules that decide when a folder's listing answers the existence test exactly. No platform call.
#include "config/file_kinds.h"

#include "win/text.h"

namespace config {
namespace {

// The longest path the platform's wide functions take, in units with the terminator.
constexpr size_t kLongestPath = 32767;

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
bool IsDeviceName(std::wstring_view component) {
    std::wstring_view base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.remove_suffix(1);
    if (base.size() < 3 || base.size() > 7) return false;
    wchar_t upper[7];
    for (size_t i = 0; i < base.size(); ++i)
        upper[i] = UpperAscii(base[i]);
    const std::wstring_view u(upper, base.size());
    if (u == L"CON" || u == L"PRN" || u == L"AUX" || u == L"NUL" || u == L"CONIN$" || u == L"CONOUT$")
        return true;
    return u.size() == 4 && (u.substr(0, 3) == L"COM" || u.substr(0, 3) == L"LPT") && u[3] >= L'0' &&
           u[3] <= L'9';
}

} // namespace

std::optional<ListingSplit> ListingSplitOf(const std::wstring& name) {
    size_t length = name.size();
    if (length > 0 && name[length - 1] == L'\\') --length;
    // Long names are listed and searched in the same extended-length form (win::FileSystemName); one
    // beyond the platform's longest path is left to the search, which fails on it.
    if (length == 0 || length >= kLongestPath) return std::nullopt;
    if (length >= 2 && name[0] == L'\\' && name[1] == L'\\') return std::nullopt;
    const size_t separator = name.rfind(L'\\', length - 1);
    if (separator == std::wstring::npos) return std::nullopt;

    for (size_t i = 0; i < separator; ++i) {
        const wchar_t c = name[i];
        const auto u = static_cast<uint32_t>(c);
        if (u < 0x20 || (c != L'\\' && c != L':' && c != L'~' && IsSpecialUnit(c))) return std::nullopt;
    }
    const std::wstring_view component(name.data() + separator + 1, length - separator - 1);
    if (component.empty()) return std::nullopt;
    for (wchar_t c : component)
        if (!IsPlainAscii(c) || IsSpecialUnit(c)) return std::nullopt;
    // The platform drops trailing dots and spaces of the last component before it searches.
    if (component.back() == L'.' || component.back() == L' ') return std::nullopt;
    if (IsDeviceName(component)) return std::nullopt;
    return ListingSplit{separator, length};
}

std::optional<ListingQuery> ListingQueryOf(const std::wstring& name) {
    const std::optional<ListingSplit> split = ListingSplitOf(name);
    if (!split) return std::nullopt;
    return ListingQuery{name.substr(0, split->separator + 1),
                        name.substr(split->separator + 1, split->length - split->separator - 1)};
}

void FolderListing::Add(std::wstring_view entryName, bool isDirectory) {
    bool ascii = true;
    for (wchar_t c : entryName)
        if (static_cast<uint32_t>(c) >= 0x80) ascii = false;
    // Case rules beyond ASCII are the file system's own, but they never change a name's length.
    if (!ascii) nonAsciiLengths_.insert(entryName.size());
    const size_t offset = foldedNames_.size();
    for (wchar_t c : entryName)
        foldedNames_ += win::FoldAsciiCase(c);
    entries_.push_back({offset, entryName.size(), static_cast<uint8_t>(isDirectory ? 16 : 1)});
    indexed_ = false;
}

void FolderListing::BuildIndex() const {
    kindByFoldedName_.clear();
    kindByFoldedName_.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        const std::wstring_view name(foldedNames_.data() + entry.offset, entry.length);
        auto [it, inserted] = kindByFoldedName_.emplace(name, entry.kind);
        if (!inserted && it->second != entry.kind) it->second = kMixedKinds;
    }
    indexed_ = true;
}

std::optional<uint8_t> FolderListing::KindOf(std::wstring_view component) const {
    if (nonAsciiLengths_.count(component.size()) != 0) return std::nullopt;
    if (!indexed_) BuildIndex();
    folded_.assign(component);
    for (wchar_t& c : folded_)
        c = win::FoldAsciiCase(c);
    const auto it = kindByFoldedName_.find(folded_);
    if (it == kindByFoldedName_.end()) return 0;
    if (it->second == kMixedKinds) return std::nullopt;
    return it->second;
}

std::optional<uint8_t> KindFromAttributes(bool found, uint32_t attributes, uint32_t error) {
    constexpr uint32_t kDirectory = 0x10, kFileNotFound = 2, kPathNotFound = 3;
    if (found) return (attributes & kDirectory) ? 16 : 1;
    if (error == kFileNotFound || error == kPathNotFound) return 0;
    return std::nullopt;
}

} // namespace config
