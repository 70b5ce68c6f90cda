#include "profiles/profile_manager_files.h"

#include "profiles/profile_names.h"
#include "profiles/site_profile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace kestovan {

namespace {

bool exists_or_dangling(const std::filesystem::path& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void set_path(DirEntry& node, const std::string& path)
{
    node.path = path;
    if (node.profile)
        node.profile->file_path = path;
}

} // namespace

RenamePlan plan_rename(const DirEntry& node, std::string_view text)
{
    RenamePlan plan;
    if (!node.path)
        return plan;
    plan.from = *node.path;
    const std::string name =
        std::string(text.substr(0, MAX_RENAME_LENGTH)) + std::string(profile_extension(node.kind));
    plan.to = plan.from.parent_path() / name;
    plan.usable = is_safe_path_component(name) && name.find('\\') == std::string::npos;
    return plan;
}

bool move_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace move: look first, then move.
    if (exists_or_dangling(to))
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void rebase_paths(DirEntry& node, const std::string& from, const std::string& to)
{
    if (node.path && node.path->compare(0, from.size(), from) == 0 &&
        (node.path->size() == from.size() || (*node.path)[from.size()] == '/'))
        set_path(node, to + node.path->substr(from.size()));
    for (auto& child : node.children)
        rebase_paths(*child, from, to);
}

bool delete_entry_files(const DirEntry& node)
{
    if (!node.path)
        return false;
    const std::filesystem::path path = *node.path;
    std::error_code ec;
    if (node.kind == KIND_PROFILE_FOLDER) {
        // A folder is only emptied when it is one: a link in its place is removed as a link.
        std::filesystem::remove_all(path, ec);
    } else {
        std::filesystem::remove(path, ec);
    }
    return !ec && !exists_or_dangling(path);
}

} // namespace kestovan
