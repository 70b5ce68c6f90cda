// The profile-tree text (ftp.sav, default.sav, the importer's output): the lines of a profile file
// with NAME starting each entry, and "#BRANCH" / "#EOB" around the entries of a folder.
//
// Reading is forgiving, so an imported or damaged file yields every entry it can:
// - a "#BRANCH" with no entry before it on its level has nothing to hang from: its entries join the
//   level it appears on;
// - an "#EOB" on the top level closes nothing and is skipped (the rest of the file is still read);
// - levels deeper than MAX_TREE_DEPTH are read into the deepest allowed level;
// - TYP values that are no kind of the profile tree are ignored.
#pragma once

#include "profiles/private_files.h"
#include "profiles/site_profile.h"
#include "views/dir_entry.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kestovan {

inline constexpr std::string_view BRANCH_LINE = "#BRANCH";
inline constexpr std::string_view END_OF_BRANCH_LINE = "#EOB";

// Nesting beyond this is flattened: deeper paths could not be made on disk anyway, and the tree is
// walked and freed recursively.
inline constexpr std::size_t MAX_TREE_DEPTH = 32;

// A new unmodified node of kind with a new profile, both named name.
[[nodiscard]] std::unique_ptr<DirEntry> make_profile_node(std::string_view name, std::uint8_t kind);

// The kinds a tree text may give its entries: site, URL profile, web link and folder.
[[nodiscard]] bool is_profile_tree_kind(std::uint8_t kind);

// The site or URL profile node whose profile was read from the file at path, searching profile
// folders too; null when none is.
[[nodiscard]] DirEntry* find_profile_by_file(const EntryChain& level, const std::string& path);
// The first site or URL profile node of that display name, depth first.
[[nodiscard]] DirEntry* find_profile_by_name(const EntryChain& level, std::string_view name);

// The top-level entries of a tree text, children filled, in file order.
[[nodiscard]] EntryChain parse_profile_tree(std::string_view text);

// The same from a file; empty when it cannot be read.
[[nodiscard]] EntryChain read_profile_tree(const std::filesystem::path& path);

// The tree text of nodes and their descendants: each entry's NAME (its display name) and key lines,
// then, when it has children, "#BRANCH", the children and "#EOB". Web links (kind 5) and nodes without
// a profile are left out with their children.
[[nodiscard]] std::string format_profile_tree(const EntryChain& nodes);

// One entry of a tree text: NAME, the key lines, and the entries' text of its children (when there
// is any) between "#BRANCH" and "#EOB".
void append_tree_entry(std::string& out, std::string_view name, const SiteProfile& profile, std::uint8_t kind,
                       std::string_view children);

// Writes format_profile_tree to path, atomically and readable by the owner only.
[[nodiscard]] bool save_profile_tree(const std::filesystem::path& path, const EntryChain& nodes,
                                     const AtomicWriteHooks& hooks = {});

} // namespace kestovan
