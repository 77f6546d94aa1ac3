// The existence test for many names at once: names that share a folder are answered from one listing
// of that folder (or, in a folder far larger than the names asked of it, from each name's
// attributes), with exactly the answers FileExists gives one name at a time; whatever neither can
// answer exactly is tested by FileExists itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace config {

// A name that the listing of its folder can answer: the folder as written up to and including the
// last backslash, and the last component.
struct ListingQuery {
    std::wstring folder;
    std::wstring component;
};

// The query for name, after the one trailing backslash FileExists removes; nullopt when only a search
// for the name itself gives the exact answer: wildcards and other characters the search treats
// specially, a short-name marker "~", a last component that the platform's path rules would change
// (trailing dot or space, "." and ".."), device names, non-ASCII last components, forward slashes,
// names beyond the platform's 32,767 units, and names in the "\\" namespaces.
std::optional<ListingQuery> ListingQueryOf(const std::wstring& name);

// ListingQueryOf as positions in name: the query's folder is name[0, separator], its component
// name(separator + 1, length - separator - 1).
struct ListingSplit {
    size_t separator = 0;
    size_t length = 0;
};
std::optional<ListingSplit> ListingSplitOf(const std::wstring& name);

// What one complete listing of a folder says about its entries. Entries are matched the way the file
// system matches a name without wildcards: without regard to letter case.
class FolderListing {
  public:
    FolderListing() = default;
    // Its index points into its own text.
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    void Add(std::wstring_view entryName, bool isDirectory);
    // 0 (absent), 1 (file) or 16 (directory) for a component that ListingQueryOf produced; nullopt
    // when the listing cannot tell exactly: entries differing only in case are of both kinds, or an
    // entry with non-ASCII characters of the same length might match under the file system's case
    // rules.
    std::optional<uint8_t> KindOf(std::wstring_view component) const;

  private:
    static constexpr uint8_t kMixedKinds = 0xFF;
    struct Entry {
        size_t offset;
        size_t length;
        uint8_t kind;
    };
    void BuildIndex() const;

    // Every entry's name in lower case, one after another: a folder may hold tens of thousands.
    std::wstring foldedNames_;
    std::vector<Entry> entries_;
    // Views into foldedNames_, made at the first question after the last entry was added.
    mutable std::unordered_map<std::wstring_view, uint8_t> kindByFoldedName_;
    mutable bool indexed_ = false;
    std::unordered_set<size_t> nonAsciiLengths_;
    // The folded component of a question: one buffer for all of them.
    mutable std::wstring folded_;
};

// Folders with at least this many names are listed rather than searched name by name.
constexpr size_t kListingMinNames = 16;
// A listing gives up after this many entries per name to answer. The names of a folder that large
// are then asked for their attributes one by one instead: where the folder can be listed, that gives
// the search's answer for a plain name, at a twentieth of a search's cost under Wine, where it costs
// about as much as listing two entries.
constexpr size_t kListingEntriesPerName = 2;

// How FileKinds came by its answers.
struct FileKindsCounts {
    size_t listings = 0;       // folders listed to the end
    size_t fromListings = 0;   // names answered by a listing
    size_t fromAttributes = 0; // names answered by their attributes, in a folder too large to list
    size_t searchedAlone = 0;  // names given to FileExists
};

// The kind of an entry from its attributes; nullopt when the answer is not a plain "found" or "not
// there" (any other failure), and the search must be asked.
std::optional<uint8_t> KindFromAttributes(bool found, uint32_t attributes, uint32_t error);

// FileExists for every name, in the order given.
std::vector<uint8_t> FileKinds(const std::vector<std::wstring>& names, FileKindsCounts* counts = nullptr);

} // namespace config
