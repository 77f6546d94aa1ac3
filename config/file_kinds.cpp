#include "config/file_kinds.h"

#include <windows.h>

#include <map>

#include "config/commands.h"
#include "win/handles.h"

namespace config {
namespace {

// Lists folder (ending in a backslash) with the same directory search FileExists uses. nullopt when
// the listing fails, stops early, or holds more than maxEntries entries.
std::optional<FolderListing> ListFolder(const std::wstring& folder, size_t maxEntries) {
    WIN32_FIND_DATAW found;
    const win::UniqueFind search(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found,
                                                  FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return std::nullopt;
    FolderListing listing;
    size_t entries = 0;
    do {
        if (++entries > maxEntries) return std::nullopt;
        listing.Add(found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return listing;
}

} // namespace

std::vector<uint8_t> FileKinds(const std::vector<std::wstring>& names, FileKindsCounts* counts) {
    FileKindsCounts tally;
    std::vector<uint8_t> kinds(names.size(), 0);
    std::vector<bool> answered(names.size(), false);

    std::map<std::wstring, std::vector<size_t>> byFolder;
    std::vector<std::optional<ListingQuery>> queries(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        queries[i] = ListingQueryOf(names[i]);
        if (queries[i]) byFolder[queries[i]->folder].push_back(i);
    }
    for (const auto& [folder, indices] : byFolder) {
        if (indices.size() < kListingMinNames) continue;
        const std::optional<FolderListing> listing =
            ListFolder(folder, kListingEntriesPerName * indices.size());
        if (!listing) continue;
        ++tally.listings;
        for (size_t i : indices) {
            const std::optional<uint8_t> kind = listing->KindOf(queries[i]->component);
            if (!kind) continue;
            kinds[i] = *kind;
            answered[i] = true;
            ++tally.fromListings;
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (answered[i]) continue;
        kinds[i] = FileExists(names[i]);
        ++tally.searchedAlone;
    }
    if (counts) *counts = tally;
    return kinds;
}

} // namespace config
