// Reading local folders into rows of the local pane, and the pane's fill and refresh of its rows.
// Volumes, folder creation and the file operations have headers of their own, included here so the
// pane needs only this one.
#pragma once

#include "views/local_entry.h"
#include "views/local_file_ops.h"
#include "views/local_folders.h"
#include "views/local_volumes.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// Flags of scan_folder.
constexpr int SCAN_NO_FOLDERS = 1;     // leave folders out
constexpr int SCAN_HIDDEN_FOLDERS = 4; // list folders whose name starts with "." as folders
constexpr int SCAN_VOLUMES = 8;        // volume mode: "" is the volume list, "/" gets a ".." back to it

// "%02i-%02i-%i %02i:%02i:%02i" in local time: month, day, year, hour, minute, second.
[[nodiscard]] std::string format_local_date(std::time_t time);

// The path without trailing "/" (the root stays "/").
[[nodiscard]] std::string clean_folder_path(std::string_view path);

// The folder's rows in the order the file system returns them, a ".." row first (kind 8, or kind 9
// on the root in volume mode). A folder is a directory (symbolic links followed) that is not hidden
// or is asked for with SCAN_HIDDEN_FOLDERS; a hidden folder otherwise comes as a file of size 0.
// The mask (patterns separated by "," or ";") applies to files only. nullopt when the folder cannot
// be read; in volume mode an empty path gives the volume list.
[[nodiscard]] std::optional<LocalChain> scan_folder(std::string_view path, std::string_view mask, int flags);

// The row for one file or folder as scan_folder would make it, or nullopt when nothing is there.
[[nodiscard]] std::optional<LocalEntry> entry_for_path(const std::string& path);

// The local list of the pane: its folder ("" for the volume list), mask, scan flags and rows.
struct LocalList {
    std::string folder;
    std::string mask;
    // Dot-folders are folders here: on this system "hidden" is only a naming habit, and a folder shown
    // as a file of size 0 would be uploaded or opened as one.
    int flags = SCAN_VOLUMES | SCAN_HIDDEN_FOLDERS;
    LocalChain rows;
};

// Fills the list with path. A folder that does not exist shows the volume list instead (folder
// becomes ""); one that exists but cannot be read shows no rows. In volume mode a folder whose first
// row is no ".." gets the kind-9 ".." on top, so there is always a way back.
void list_folder(LocalList& list, std::string_view path);

// After a download to path: the row with that path gets the file's size and date again, or a row for
// the file is added at the end. Paths compare exactly (POSIX names are case-sensitive). Returns the
// row's index, or nullopt (rows unchanged) when nothing is at path. The caller re-orders the list.
std::optional<std::size_t> refresh_row(LocalChain& rows, const std::string& path);

} // namespace kestovan
