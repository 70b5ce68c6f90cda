// The remote directory entry. Every node of the remote tree is one: site profiles, profile folders,
// URL profiles, web links, remote folders, files and links, told apart by their kind. Parsed listings
// are chains of entries that have not been attached to the tree yet.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan {

// Kind 2 is deliberately absent: the local pane has kinds of its own.
enum EntryKind : std::uint8_t {
    KIND_FILE = 0, // also any listing line whose permissions start with neither d nor l
    KIND_FOLDER = 1,
    KIND_SITE = 3, // a profile node, the root of one session's remote tree
    KIND_URL_PROFILE = 4,
    KIND_WEB_LINK = 5,
    KIND_PROFILE_FOLDER = 6,
    KIND_LINK = 7,
    KIND_PARENT = 8, // ".."; never attached to the tree
};

// Index into DirEntry::flags of the "listed" mark; the first three are marks of the panes and the
// profile tree.
inline constexpr std::size_t FLAG_LISTED = 3;
// Index of the profile tree's "modified" mark: the node's profile must be written to its file.
inline constexpr std::size_t FLAG_MODIFIED = 0;

struct SiteProfile;

// Frees a SiteProfile (defined with it in profiles/site_profile.cpp), so that this header needs only
// the declaration.
struct SiteProfileDeleter {
    void operator()(SiteProfile* profile) const noexcept;
};
using OwnedSiteProfile = std::unique_ptr<SiteProfile, SiteProfileDeleter>;

struct DirEntry {
    DirEntry* parent = nullptr;                      // tree parent (non-owning)
    std::vector<std::unique_ptr<DirEntry>> children; // tree children in display order
    void* tree_item = nullptr;                       // the widget layer's handle, if any
    std::uint8_t kind = KIND_FILE;
    SiteProfile* session = nullptr; // non-owning; set on site nodes and on parsed entries
    OwnedSiteProfile profile;       // profile-tree nodes own the profile that `session` points to
    std::array<std::uint8_t, 4> flags{};
    std::string name;                // for a link only the part before the arrow
    std::optional<std::string> path; // full remote path; for a link with a target, the target
    std::optional<std::string> date; // date columns as sent, joined by single blanks
    std::optional<std::string> size; // as sent; absent for a folder of a DOS-style listing
    std::optional<std::string> permissions;
    std::optional<std::string> owner;
    std::optional<std::string> group; // absent when the line had no group column
    std::optional<std::string> links; // link-count column
    std::optional<std::string> link_target;
    // A site node's `path` is its profile file; the remote folder its session is in lives here.
    std::optional<std::string> site_folder;

    // Set when a listing of this folder produced at least one entry, cleared when one failed.
    [[nodiscard]] bool listed() const { return flags[FLAG_LISTED] != 0; }
    void set_listed(bool on) { flags[FLAG_LISTED] = on ? 1 : 0; }

    // Takes ownership, sets the child's parent and appends it; returns the child.
    DirEntry& add_child(std::unique_ptr<DirEntry> child);

    // The session of the first node from this one upwards that has one, or null.
    [[nodiscard]] SiteProfile* find_session() const;
};

// Whether node is ancestor itself or lies below it (false for a null node).
[[nodiscard]] bool is_within(const DirEntry& ancestor, const DirEntry* node);

// The remote folder a node stands for: a site node's current remote folder, else the node's path.
[[nodiscard]] const std::optional<std::string>& remote_path_of(const DirEntry& node);

// A parsed listing, in listing order or sorted.
using EntryChain = std::vector<std::unique_ptr<DirEntry>>;

} // namespace kestovan
