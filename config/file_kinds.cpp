#include "config/file_kinds.h"

#include <windows.h>

#include <map>

#include "config/commands.h"
#include "win/handles.h"
#include "win/paths.h"

namespace config {
namespace {

enum class ListingEnd { Complete, TooLarge, Failed };

// Lists folder (ending in a backslash) with the same directory search FileExists uses, up to
// maxEntries entries. TooLarge means the folder could be opened and read but holds more.
ListingEnd ListFolder(const std::wstring& folder, size_t maxEntries, FolderListing& listing) {
    WIN32_FIND_DATAW found;
    const win::UniqueFind search(FindFirstFileExW(win::FileSystemName(folder + L"*").c_str(), FindExInfoBasic,
                                                  &found, FindExSearchNameMatch, nullptr,
                                                  FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return ListingEnd::Failed;
    size_t entries = 0;
    do {
        if (++entries > maxEntries) return ListingEnd::TooLarge;
        listing.Add(found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES ? ListingEnd::Complete : ListingEnd::Failed;
}

// The search's answer for a plain name (one ListingQueryOf accepts, without its trailing backslash)
// in a folder that the search can list: the entry it would meet is the one the attributes describe.
std::optional<uint8_t> KindByAttributes(const std::wstring& searched) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const bool found =
        GetFileAttributesExW(win::FileSystemName(searched).c_str(), GetFileExInfoStandard, &data) != 0;
    return KindFromAttributes(found, found ? data.dwFileAttributes : 0, found ? 0 : GetLastError());
}

} // namespace

std::vector<uint8_t> FileKinds(const std::vector<std::wstring>& names, FileKindsCounts* counts) {
    FileKindsCounts tally;
    std::vector<uint8_t> kinds(names.size(), 0);
    std::vector<bool> answered(names.size(), false);

    // Positions in the names rather than copies: a selection may hold tens of thousands of names.
    std::vector<std::optional<ListingSplit>> splits(names.size());
    std::map<std::wstring_view, std::vector<size_t>> byFolder;
    for (size_t i = 0; i < names.size(); ++i) {
        splits[i] = ListingSplitOf(names[i]);
        if (splits[i]) byFolder[std::wstring_view(names[i]).substr(0, splits[i]->separator + 1)].push_back(i);
    }
    for (const auto& [folder, indices] : byFolder) {
        if (indices.size() < kListingMinNames) continue;
        FolderListing listing;
        const ListingEnd end =
            ListFolder(std::wstring(folder), kListingEntriesPerName * indices.size(), listing);
        if (end == ListingEnd::Failed) continue;
        if (end == ListingEnd::Complete) ++tally.listings;
        for (size_t i : indices) {
            const ListingSplit& split = *splits[i];
            const std::wstring_view component =
                std::wstring_view(names[i]).substr(split.separator + 1, split.length - split.separator - 1);
            const std::optional<uint8_t> kind = end == ListingEnd::Complete
                                                    ? listing.KindOf(component)
                                                    : KindByAttributes(names[i].substr(0, split.length));
            if (!kind) continue;
            kinds[i] = *kind;
            answered[i] = true;
            ++(end == ListingEnd::Complete ? tally.fromListings : tally.fromAttributes);
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
