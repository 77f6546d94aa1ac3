// The existence test for many names at once: names that share a folder are answered from one listing
// of that folder, with exactly the answers FileExists gives one name at a time; whatever a listing
// cannot answer exactly is tested by FileExists itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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
// names of 260 units or more, and names in the "\\" namespaces.
std::optional<ListingQuery> ListingQueryOf(const std::wstring& name);

// What one complete listing of a folder says about its entries. Entries are matched the way the file
// system matches a name without wildcards: without regard to letter case.
class FolderListing {
  public:
    void Add(const std::wstring& entryName, bool isDirectory);
    // 0 (absent), 1 (file) or 16 (directory) for a component that ListingQueryOf produced; nullopt
    // when the listing cannot tell exactly: entries differing only in case are of both kinds, or an
    // entry with non-ASCII characters of the same length might match under the file system's case
    // rules.
    std::optional<uint8_t> KindOf(const std::wstring& component) const;

  private:
    static constexpr uint8_t kMixedKinds = 0xFF;
    std::unordered_map<std::wstring, uint8_t> kindByFoldedName_;
    std::unordered_set<size_t> nonAsciiLengths_;
};

// ASCII letters in lower case, every other unit unchanged.
std::wstring FoldAsciiCase(const std::wstring& text);

// Folders with at least this many names are listed rather than searched name by name.
constexpr size_t kListingMinNames = 16;
// A listing gives up after this many entries per name to answer, and those names are searched one
// by one: a search costs about as much as listing 30 to 40 entries, so a listing that completes
// always saves time and one that gives up costs at most half as much again.
constexpr size_t kListingEntriesPerName = 16;

// How FileKinds came by its answers.
struct FileKindsCounts {
    size_t listings = 0;      // folders listed to the end
    size_t fromListings = 0;  // names answered by a listing
    size_t searchedAlone = 0; // names given to FileExists
};

// FileExists for every name, in the order given.
std::vector<uint8_t> FileKinds(const std::vector<std::wstring>& names, FileKindsCounts* counts = nullptr);

} // namespace config
