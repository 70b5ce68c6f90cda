// Turns the text of a LIST reply into a chain of directory entries, one per recognised line, sorted
// when the user asked for sorted listings. Sizes and dates stay the text the server sent.
#pragma once

#include "views/dir_entry.h"
#include "views/listing_fields.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

struct ListingOptions {
    bool sort = false;              // the "sort" setting
    std::string start_folder;       // the session's remote start folder, used when the folder has no path
    SiteProfile* session = nullptr; // stored in every entry
};

// A link name "www -> /var/www" split at its arrow: name "www", target "/var/www". The target is
// absent when there is no arrow and empty when the name ends at the arrow.
struct LinkParts {
    std::string_view name;
    std::optional<std::string_view> target;
};
[[nodiscard]] LinkParts split_link_name(std::string_view name);

// Builds the entry of one placed line, with its path joined under folder_path. Null for the "." line,
// which never becomes an entry.
[[nodiscard]] std::unique_ptr<DirEntry> build_entry(const PlacedFields& fields, std::string_view folder_path,
                                                    SiteProfile* session);

// The listing order: folders (kind 1) before everything else, then by name without regard to ASCII
// case, then by the exact bytes of the name so that names differing only in case keep a fixed order.
[[nodiscard]] bool sorts_before(const DirEntry& a, const DirEntry& b);

// Sorts by sorts_before. Of several entries in the same group with exactly the same name only the
// one that came last in the listing is kept. Names that differ only in case are distinct files on
// most servers, so both stay.
void sort_chain(EntryChain& chain);

// Parses the listing received for folder. An empty chain means that the listing produced no entry;
// the folder itself is not changed: setting or clearing its listed flag is the caller's step.
[[nodiscard]] EntryChain parse_listing(std::string_view text, const DirEntry& folder,
                                       const ListingOptions& options);

// The same entries in listing order (options.sort is not applied), handed over one at a time so that
// a caller that only prints them never holds the whole listing as entries. Returns their number.
std::size_t visit_listing(std::string_view text, const DirEntry& folder, const ListingOptions& options,
                          const std::function<void(const DirEntry&)>& visit);

} // namespace kestovan
