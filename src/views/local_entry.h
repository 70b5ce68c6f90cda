// A row of the local pane: a file, a folder, a volume (a mount point standing where a drive stood)
// or one of the two ".." rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {

enum LocalKind : std::uint8_t {
    LOCAL_FILE = 0,
    LOCAL_FOLDER = 1,
    LOCAL_VOLUME = 2,
    LOCAL_PARENT = 8,      // ".." to the parent folder
    LOCAL_VOLUME_LIST = 9, // ".." on top of the root folder, back to the volume list
};

struct LocalEntry {
    std::string name;               // as shown; for a volume its mount point
    std::uint8_t kind = LOCAL_FILE; // LocalKind
    std::string date;               // last-write time, "%02i-%02i-%i %02i:%02i:%02i" (month first)
    std::string size;               // file size in bytes, 64-bit decimal; "0" for folders
    std::string path;               // full local path; for a volume its mount point
    std::uint32_t mark = 0;         // per-operation mark of the pane commands

    // A copy for the clipboard: name, path, size, date and kind, without the mark.
    [[nodiscard]] LocalEntry copy() const { return {name, kind, date, size, path, 0}; }
    bool operator==(const LocalEntry&) const = default;
};

using LocalChain = std::vector<LocalEntry>;

} // namespace kestovan
