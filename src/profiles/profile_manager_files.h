// What the profile manager does to the profile folder on disk when an entry is renamed or deleted.
#pragma once

#include "views/dir_entry.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kestovan {

// Labels longer than this are cut before they become a name.
inline constexpr std::size_t MAX_RENAME_LENGTH = 512;

struct RenamePlan {
    std::filesystem::path from;
    std::filesystem::path to;
    bool usable = false; // the new name stays inside the entry's folder
};
// Where an entry goes when renamed to text: its folder, the text and the ".ftp" or ".url" of its kind.
[[nodiscard]] RenamePlan plan_rename(const DirEntry& node, std::string_view text);

// Moves from to to without ever replacing what is at to (a name that is taken fails, as on the
// system the profile folder was designed for). False when nothing was moved.
[[nodiscard]] bool move_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to);

// After a move: the entry and its profile take the new path, and the stored paths of every entry
// below it are rebased from the old folder onto the new one.
void rebase_paths(DirEntry& node, const std::string& from, const std::string& to);

// Deletes the file of a profile or link, or a folder with everything in it (links inside are removed,
// never followed). False when it is still there.
[[nodiscard]] bool delete_entry_files(const DirEntry& node);

} // namespace kestovan
