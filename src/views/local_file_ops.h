// Local file operations the panes start: rename, delete to the trash, copy, move, and the size and
// kind of a path. They report success only; the panes choose the words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {

// Renames old_path to new_path; false when it failed or something is already at new_path (an
// existing file is never replaced by a rename).
[[nodiscard]] bool rename_path(const std::string& old_path, const std::string& new_path);

// Moves every path to the freedesktop.org trash of its volume. Returns the paths that could not be
// moved there (empty when all went); those are left where they were.
[[nodiscard]] std::vector<std::string> delete_to_trash(const std::vector<std::string>& paths);

// Copies the file from to to, replacing an existing file at to. The copy is made beside the target
// and renamed over it only when complete, so a failed copy leaves an existing target as it was. The
// modification time and permissions come along. False for folders, for a file copied onto itself and
// on any failure.
[[nodiscard]] bool copy_file(const std::string& from, const std::string& to);

// Moves a file or folder from to to; false on failure or when something is already at to. Across
// file systems the item is copied and then removed; a copy that fails is removed again and the
// original stays.
[[nodiscard]] bool move_file(const std::string& from, const std::string& to);

// The size of the file in bytes (64-bit); 0 when it cannot be opened for reading or is not a
// regular file.
[[nodiscard]] std::int64_t file_size(const std::string& path);

// True when path exists and is a folder (symbolic links followed).
[[nodiscard]] bool is_folder(const std::string& path);

} // namespace kestovan
