// Profile files of tree nodes: where a node's file lives, writing it and reading it back.
#include "profiles/private_files.h"
#include "profiles/profile_names.h"
#include "profiles/site_profile.h"
#include "profiles/state_text.h"

#include <vector>

namespace kestovan {

namespace {

// The file or folder name that the node was found under or last written to, when the node's display
// name and kind still fit it; a node renamed since then gets a new name.
std::optional<std::string> kept_file_name(const DirEntry& node, bool as_folder)
{
    if (!node.path)
        return std::nullopt;
    std::string stored = std::filesystem::path(*node.path).filename().string();
    if (!is_safe_path_component(stored) || display_name_of(stored) != node.name)
        return std::nullopt;
    if (as_folder)
        return node.kind == KIND_PROFILE_FOLDER ? std::optional(stored) : std::nullopt;
    const std::uint8_t file_kind = profile_kind_of_file_name(stored);
    const std::uint8_t wanted = node.kind == KIND_URL_PROFILE ? KIND_URL_PROFILE : KIND_SITE;
    return file_kind == wanted ? std::optional(stored) : std::nullopt;
}

// The path component of one node: the kept name, else the display name (with the file extension for
// the node itself when it is not a folder).
std::optional<std::string> component_of(const DirEntry& node, bool is_target)
{
    const bool as_folder = !is_target || node.kind == KIND_PROFILE_FOLDER;
    if (auto kept = kept_file_name(node, as_folder))
        return kept;
    if (!is_safe_path_component(node.name))
        return std::nullopt;
    return as_folder ? node.name : node.name + std::string(profile_extension(node.kind));
}

} // namespace

SiteProfile& attach_profile(DirEntry& node, std::unique_ptr<SiteProfile> profile)
{
    node.profile = OwnedSiteProfile(profile.release());
    node.session = node.profile.get();
    return *node.profile;
}

std::optional<std::filesystem::path> profile_file_path(const DirEntry& node,
                                                       const std::filesystem::path& profiles)
{
    std::vector<const DirEntry*> chain;
    for (const DirEntry* at = &node; at; at = at->parent)
        chain.push_back(at);
    std::filesystem::path path = profiles;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const auto component = component_of(**it, *it == &node);
        if (!component)
            return std::nullopt;
        path /= *component;
    }
    return path;
}

bool write_profile_file(const DirEntry& node, const std::filesystem::path& path)
{
    if (!node.session)
        return false;
    return write_file_atomically(path, format_profile_file(*node.session, node.kind, node.name));
}

SaveResult save_profile_file(DirEntry& node, const std::filesystem::path& profiles)
{
    if (!is_modified(node) || !node.session || node.session->temporary)
        return {};
    const auto path = profile_file_path(node, profiles);
    if (!path)
        return {SaveOutcome::FAILED, ProfileError{IDS_ERR_CREATE_FILE, node.name, true}};
    if (node.kind == KIND_PROFILE_FOLDER) {
        if (!make_private_folders(*path))
            return {SaveOutcome::FAILED, ProfileError{IDS_ERR_CREATE_FILE, path->string(), false}};
        return {SaveOutcome::FOLDER_MADE, std::nullopt};
    }
    if (!make_private_folders(path->parent_path()) || !write_profile_file(node, *path))
        return {SaveOutcome::FAILED, ProfileError{IDS_ERR_CREATE_FILE, path->string(), false}};
    node.path = path->string();
    node.session->file_path = node.path;
    set_modified(node, false);
    return {SaveOutcome::WRITTEN, std::nullopt};
}

bool load_profile_file(DirEntry& node)
{
    if (!node.path)
        return false;
    const std::filesystem::path path(*node.path);
    if (const std::uint8_t kind = profile_kind_of_file_name(path.filename().string()))
        node.kind = kind;
    const auto text = read_state_file(path);
    if (!text)
        return false;
    if (!node.session) {
        auto profile = std::make_unique<SiteProfile>();
        profile->name = node.name;
        profile->file_path = node.path;
        attach_profile(node, std::move(profile));
    }
    // A file holds one profile or link: its TYP line may turn one into the other, nothing else.
    std::uint8_t kind = node.kind;
    parse_profile_text(*text, *node.session, kind);
    if (kind == KIND_SITE || kind == KIND_URL_PROFILE)
        node.kind = kind;
    return true;
}

} // namespace kestovan
