#include "profiles/profile_folder.h"

#include "common/text.h"
#include "profiles/private_files.h"
#include "profiles/state_text.h"
#include "ui/language.h"

#include <algorithm>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace kestovan {

namespace {

struct FolderId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FolderId&) const = default;
};

std::optional<FolderId> folder_id(const std::filesystem::path& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

void set_paths(DirEntry& node, const std::filesystem::path& path)
{
    node.path = path.string();
    node.session->file_path = node.path;
}

// Scans one folder; ancestors holds the folders above it, so that a link back up is not followed.
EntryChain scan_folder(const std::filesystem::path& folder, std::vector<FolderId>& ancestors)
{
    EntryChain level;
    const auto id = folder_id(folder);
    if (!id || ancestors.size() >= MAX_TREE_DEPTH ||
        std::find(ancestors.begin(), ancestors.end(), *id) != ancestors.end())
        return level;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error)
        return level;
    ancestors.push_back(*id);
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::filesystem::path path = it->path();
        const std::string name = path.filename().string();
        std::error_code type_error;
        if (it->is_directory(type_error)) {
            auto node = make_profile_node(display_name_of(name), KIND_PROFILE_FOLDER);
            set_paths(*node, path);
            for (auto& child : scan_folder(path, ancestors))
                node->add_child(std::move(child));
            level.push_back(std::move(node));
        } else if (const std::uint8_t kind = profile_kind_of_file_name(name)) {
            auto node = make_profile_node(display_name_of(name), kind);
            set_paths(*node, path);
            load_profile_file(*node); // an unreadable file keeps its node, named and of its kind
            level.push_back(std::move(node));
        }
        if (error)
            break;
    }
    ancestors.pop_back();
    return level;
}

// Removes the first "(" + digit ... ")" group, so that numbering a numbered name replaces its number.
void remove_number_group(std::string& name)
{
    for (std::size_t open = name.find('('); open != std::string::npos; open = name.find('(', open + 1)) {
        if (open + 1 < name.size() && name[open + 1] >= '0' && name[open + 1] <= '9') {
            const std::size_t close = name.find(')', open);
            if (close != std::string::npos)
                name.erase(open, close - open + 1);
            return;
        }
    }
}

std::optional<int> default_name_id(std::uint8_t kind)
{
    switch (kind) {
    case KIND_SITE: return IDS_DEFAULT_FTP_PROFILE_NAME;
    case KIND_URL_PROFILE: return IDS_DEFAULT_LINK_NAME;
    case KIND_PROFILE_FOLDER: return IDS_DEFAULT_FOLDER_NAME;
    default: return std::nullopt;
    }
}

bool is_stored_kind(std::uint8_t kind)
{
    return kind == KIND_SITE || kind == KIND_URL_PROFILE || kind == KIND_PROFILE_FOLDER;
}

class PendingTreeWriter {
public:
    explicit PendingTreeWriter(ConversionResult& result) : result_(result) {}

    bool failed() const { return failed_; }

    void store_level(EntryChain& nodes, const std::filesystem::path& folder)
    {
        for (auto& node : nodes) {
            if (!is_stored_kind(node->kind) || !node->session)
                continue;
            const auto name = usable_entry_name(node->name);
            if (!name) {
                result_.problems.push_back(ProfileError{IDS_ERR_CREATE_FILE, node->name, true});
                refused_.insert(node.get());
                continue;
            }
            const auto path = store_node(*node, folder, *name);
            if (!path || node->children.empty())
                continue;
            const std::filesystem::path child_folder =
                node->kind == KIND_PROFILE_FOLDER ? *path : folder / *name;
            child_folders_[node.get()] = child_folder.filename().string();
            if (make_private_folders(child_folder))
                store_level(node->children, child_folder);
            else
                fail(child_folder);
        }
    }

    // The tree text of what is not on disk yet: entries that failed or were never tried, inside
    // folder entries for the places already made (the next try shares those folders).
    std::string remaining(const EntryChain& nodes) const
    {
        std::string out;
        for (const auto& node : nodes) {
            if (!is_stored_kind(node->kind) || !node->session || refused_.contains(node.get()))
                continue;
            const std::string children = remaining(node->children);
            if (!stored_.contains(node.get())) {
                append_tree_entry(out, node->name, *node->session, node->kind, children);
            } else if (!children.empty()) {
                const bool is_folder = node->kind == KIND_PROFILE_FOLDER;
                append_tree_entry(out, child_folders_.at(node.get()),
                                  is_folder ? *node->session : SiteProfile{}, KIND_PROFILE_FOLDER, children);
            }
        }
        return out;
    }

private:
    // Writes one node; its path, or nothing when that failed.
    std::optional<std::filesystem::path> store_node(DirEntry& node, const std::filesystem::path& folder,
                                                    const std::string& name)
    {
        const bool is_folder = node.kind == KIND_PROFILE_FOLDER;
        std::filesystem::path wanted = folder / (name + std::string(profile_extension(node.kind)));
        std::error_code error;
        if (is_folder && std::filesystem::is_directory(wanted, error))
            return finish(node, wanted); // an existing folder is shared, its files are not replaced
        const auto path = unique_path(wanted);
        const bool made =
            path &&
            (is_folder
                 ? make_private_folders(*path)
                 : create_private_file(*path, format_profile_file(*node.session, node.kind, node.name)));
        if (!made) {
            fail(path.value_or(wanted));
            return std::nullopt;
        }
        return finish(node, *path);
    }

    std::filesystem::path finish(DirEntry& node, const std::filesystem::path& path)
    {
        node.name = display_name_of(path.filename().string());
        set_paths(node, path);
        set_modified(node, false);
        stored_.insert(&node);
        ++result_.written;
        return path;
    }

    void fail(const std::filesystem::path& path)
    {
        result_.problems.push_back(ProfileError{IDS_ERR_CREATE_FILE, path.string(), false});
        failed_ = true;
    }

    ConversionResult& result_;
    bool failed_ = false;
    std::unordered_set<const DirEntry*> stored_;
    std::unordered_set<const DirEntry*> refused_;
    std::unordered_map<const DirEntry*, std::string> child_folders_;
};

} // namespace

EntryChain load_profile_folder(const std::filesystem::path& folder)
{
    std::vector<FolderId> ancestors;
    return scan_folder(folder, ancestors);
}

std::optional<std::filesystem::path> unique_path(const std::filesystem::path& path)
{
    if (!file_exists(path))
        return path;
    std::filesystem::path trimmed = path;
    if (!trimmed.has_filename())
        trimmed = trimmed.parent_path(); // "a/b/" names b
    const std::filesystem::path folder = trimmed.parent_path();
    std::string name = trimmed.filename().string();
    remove_number_group(name);
    const std::size_t dot = name.rfind('.');
    const std::size_t insert_at = dot == std::string::npos ? name.size() : dot;
    for (int n = 1; n < UNIQUE_PATH_LIMIT; ++n) {
        std::string candidate = name;
        candidate.insert(insert_at, "(" + std::to_string(n) + ")");
        const std::filesystem::path variant = folder / candidate;
        if (!file_exists(variant))
            return variant;
    }
    return std::nullopt;
}

NewEntryResult new_named_entry(const std::filesystem::path& parent_folder, std::string_view name,
                               std::uint8_t kind)
{
    const auto clean = usable_entry_name(name);
    if (!clean)
        return {nullptr, ProfileError{IDS_ERR_CREATE_PROFILE, std::string(name), true}};
    const std::filesystem::path wanted = parent_folder / (*clean + std::string(profile_extension(kind)));
    const auto path = unique_path(wanted);
    if (!path)
        return {nullptr, ProfileError{IDS_ERR_CREATE_PROFILE, wanted.string(), false}};

    const std::string file_name = path->filename().string();
    auto node = make_profile_node(display_name_of(file_name), kind);
    node->session->name = file_name;
    set_paths(*node, *path);
    set_modified(*node, true);
    if (kind == KIND_PROFILE_FOLDER) {
        if (!make_private_folders(*path))
            return {nullptr, std::nullopt};
        return {std::move(node), std::nullopt};
    }
    // Created only where nothing exists, so a name taken since unique_path looked is not overwritten.
    if (!make_private_folders(parent_folder) ||
        !create_private_file(*path, format_profile_file(*node->session, kind, node->name)))
        return {nullptr, ProfileError{IDS_ERR_CREATE_PROFILE, path->string(), false}};
    return {std::move(node), std::nullopt};
}

NewEntryResult new_profile_entry(const DirEntry* selected, std::uint8_t kind,
                                 const std::filesystem::path& profiles)
{
    const auto name_id = default_name_id(kind);
    if (!name_id)
        return {};
    const DirEntry* folder = nullptr;
    if (selected && selected->kind == KIND_PROFILE_FOLDER)
        folder = selected;
    else if (selected && selected->parent && selected->parent->kind == KIND_PROFILE_FOLDER)
        folder = selected->parent;
    std::filesystem::path parent = profiles;
    if (folder) {
        const auto path = profile_file_path(*folder, profiles);
        if (!path)
            return {nullptr, ProfileError{IDS_ERR_CREATE_PROFILE, folder->name, true}};
        parent = *path;
    }
    return new_named_entry(parent, load_string(*name_id), kind);
}

bool prepare_pending_tree(const std::filesystem::path& working_folder)
{
    const std::filesystem::path pending = working_folder / PENDING_TREE_FILE;
    if (!file_exists(pending)) {
        if (const auto seed = read_state_file(working_folder / SEED_TREE_FILE))
            (void)create_private_file(pending, *seed); // fails only when the file appeared meanwhile
    }
    return file_exists(pending);
}

std::optional<EntryChain> read_pending_tree(const std::filesystem::path& working_folder)
{
    const std::filesystem::path pending = working_folder / PENDING_TREE_FILE;
    if (!file_exists(pending))
        return std::nullopt;
    return read_profile_tree(pending);
}

ConversionResult store_pending_tree(EntryChain& tree, const std::filesystem::path& working_folder,
                                    const std::filesystem::path& profiles)
{
    ConversionResult result;
    if (!make_private_folders(profiles)) {
        result.problems.push_back(ProfileError{IDS_ERR_CREATE_FILE, profiles.string(), false});
        return result;
    }
    PendingTreeWriter writer(result);
    writer.store_level(tree, profiles);
    if (writer.failed()) {
        // Keep only what still has to be stored, so the next try neither loses nor repeats anything.
        (void)write_file_atomically(working_folder / PENDING_TREE_FILE, writer.remaining(tree));
        return result;
    }
    std::error_code pending_error;
    std::error_code seed_error;
    std::filesystem::remove(working_folder / PENDING_TREE_FILE, pending_error);
    std::filesystem::remove(working_folder / SEED_TREE_FILE, seed_error);
    result.removed_tree_files = !pending_error && !seed_error;
    return result;
}

} // namespace kestovan
