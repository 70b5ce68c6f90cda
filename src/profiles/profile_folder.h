// The profile folder: its scan into a tree, new entries with their names and paths, and the start-up
// conversion that moves a pending tree text (ftp.sav) into it.
//
// Folders are passed in (normally "Profiles" and the working folder, both relative), so tests work in
// temporary folders.
#pragma once

#include "profiles/profile_names.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view PROFILES_FOLDER = "Profiles";
inline constexpr std::string_view PENDING_TREE_FILE = "ftp.sav";
inline constexpr std::string_view SEED_TREE_FILE = "default.sav";

// The entries of folder, in the order the file system lists them: sub-folders (kind 6, filled
// recursively up to MAX_TREE_DEPTH levels, a folder met again through a link is not entered twice)
// and ".ftp"/".url" files read with load_profile_file. Node and profile paths are folder joined with
// the entry's name. Empty when the folder cannot be read.
[[nodiscard]] EntryChain load_profile_folder(const std::filesystem::path& folder);

// path when nothing exists there; else the first free variant with "(N)" (N = 1, 2, ...) before the
// file name's last "." (or at its end), a "(digits...)" group already in the name being replaced.
// Nothing when no variant below UNIQUE_PATH_LIMIT is free.
inline constexpr int UNIQUE_PATH_LIMIT = 100000;
[[nodiscard]] std::optional<std::filesystem::path> unique_path(const std::filesystem::path& path);

struct NewEntryResult {
    std::unique_ptr<DirEntry> node;    // already on disk; null on failure
    std::optional<ProfileError> error; // none for a folder that could not be made
};
// A new profile (kind 3), link (4) or folder (6), with the default name of its kind, in the folder of
// the selected node (the node itself when it is a folder) or at the top of the profile folder. The
// new profile starts marked modified (its form is still to be filled); the caller inserts the node
// into the tree.
[[nodiscard]] NewEntryResult new_profile_entry(const DirEntry* selected, std::uint8_t kind,
                                               const std::filesystem::path& profiles);

// The same with a given name in a given folder (pastes and renames use the naming rules too): the
// name is cleaned with usable_entry_name, refused names report IDS_ERR_CREATE_PROFILE with
// refused_name set.
[[nodiscard]] NewEntryResult new_named_entry(const std::filesystem::path& parent_folder,
                                             std::string_view name, std::uint8_t kind);

// Before an import: when the pending tree file does not exist and the seed does, the seed is copied to
// it (never over an existing file). True when the pending file exists afterwards.
bool prepare_pending_tree(const std::filesystem::path& working_folder);

// The pending tree text, when the file exists (it may hold no entries).
[[nodiscard]] std::optional<EntryChain> read_pending_tree(const std::filesystem::path& working_folder);

struct ConversionResult {
    std::size_t written = 0;            // files and folders made
    std::vector<ProfileError> problems; // refused names and failed writes, in tree order
    bool removed_tree_files = false;    // ftp.sav and default.sav are gone
};
// Stores every site, URL profile and folder of tree under profiles, nested as in the tree, and then
// deletes the pending and seed tree files. Names are cleaned like new entries and a refused name
// skips its entry (and its children); an existing file is never overwritten: the entry takes the
// next free "(N)" name and its node is renamed to match. Children of a non-folder go into a folder of
// the same name. When a write fails, the pending tree file is rewritten to hold only the entries not
// yet stored (inside their folders), so nothing is lost and the next start neither repeats nor
// duplicates what was done.
ConversionResult store_pending_tree(EntryChain& tree, const std::filesystem::path& working_folder,
                                    const std::filesystem::path& profiles);

} // namespace kestovan
