// The widget-free steps of a completed listing: parsing the received text for the requested folder
// and merging the entries into the folder's children. The shell clears the selection, empties the
// list view, writes the log line and redraws, as the result tells it.
#pragma once

#include "views/dir_entry.h"
#include "views/listing_parser.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct ListingMergeResult {
    // The folder whose children were merged: the requested entry, or its parent when a file was
    // requested. Null when a file without a parent was requested; then nothing was changed.
    DirEntry* subject = nullptr;
    bool had_children = false;     // the subject had children before: empty its list view first
    bool directory_failed = false; // log "Directory Command Failed" (F101)
    bool show_expand = false;      // the subject's tree item shows an expand button
    std::vector<DirEntry*> added;  // children appended by this listing, in order
    // Children a refresh no longer found on the server. They are still in the tree: the shell takes
    // them out, so that nothing it holds keeps pointing at them.
    std::vector<DirEntry*> vanished;
};

// Merges a listing into the tree. received is the data connection's receive buffer, has_buffer
// false when it had none; request_path is the path text the request carried, which a site node takes
// as its current remote folder. A first listing adds every entry except ".." (kind 8); a refresh updates the
// same-named children (exact name) in place, keeping their kind, path, children and marks, appends
// new names and reports the children that are no longer listed as vanished (a refresh that kept
// them showed files that had been moved or deleted on the server). A listing that yields nothing is a failure
// when there was no buffer, or when bytes arrived without a "total " line; the subject's listed flag
// is then cleared. It is set whenever at least one entry was produced.
[[nodiscard]] ListingMergeResult merge_listing(DirEntry& requested, std::string_view received,
                                               bool has_buffer, std::optional<std::string> request_path,
                                               const ListingOptions& options);

// Whether text contains "total " without regard to case: a listing that yields nothing but has a
// "total" line is an empty folder, not a failure.
[[nodiscard]] bool contains_total_line(std::string_view text);

} // namespace kestovan
