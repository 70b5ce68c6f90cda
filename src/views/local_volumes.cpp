#include "views/local_volumes.h"

#include "views/local_fs.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace kestovan {
namespace {

// Where media and user mounts appear, with how many folder levels below the parent the mount
// point sits: /media/<disk> or /media/<user>/<disk>, /run/media/<user>/<disk>, /mnt/<disk>. Deeper
// mounts there belong to programs (a runtime's private mount), not to the user.
struct MountPlace {
    std::string_view parent;
    std::size_t min_depth;
    std::size_t max_depth;
};
constexpr std::array<MountPlace, 3> USER_MOUNT_PLACES = {{
    {"/media/", 1, 2},
    {"/run/media/", 2, 2},
    {"/mnt/", 1, 1},
}};

constexpr std::array<std::string_view, 14> NETWORK_TYPES = {
    "nfs", "nfs4", "cifs",      "smb3", "smbfs", "fuse.sshfs",  "sshfs",
    "afs", "ceph", "glusterfs", "9p",   "davfs", "fuse.davfs2", "fuse.rclone",
};

// File systems of the kernel and of programs' private mounts, never a place for the user's files.
constexpr std::array<std::string_view, 22> SYSTEM_TYPES = {
    "tmpfs",    "ramfs",    "proc",    "sysfs",       "devtmpfs",  "devpts",  "cgroup",     "cgroup2",
    "squashfs", "overlay",  "autofs",  "mqueue",      "debugfs",   "tracefs", "securityfs", "pstore",
    "bpf",      "configfs", "fusectl", "binfmt_misc", "hugetlbfs", "nsfs",
};

std::size_t depth_below(std::string_view path, std::string_view parent)
{
    std::string_view rest = path.substr(parent.size());
    while (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    return rest.empty() ? 0 : static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '/')) + 1;
}

LocalEntry volume_row(const std::string& mount_point)
{
    return LocalEntry{
        .name = mount_point, .kind = LOCAL_VOLUME, .date = {}, .size = "0", .path = mount_point};
}

} // namespace

bool volume_worth_showing(std::string_view mount_point, std::string_view file_system_type)
{
    if (std::find(SYSTEM_TYPES.begin(), SYSTEM_TYPES.end(), file_system_type) != SYSTEM_TYPES.end())
        return false;
    if (std::find(NETWORK_TYPES.begin(), NETWORK_TYPES.end(), file_system_type) != NETWORK_TYPES.end())
        return true;
    return std::any_of(USER_MOUNT_PLACES.begin(), USER_MOUNT_PLACES.end(), [&](const MountPlace& place) {
        if (!mount_point.starts_with(place.parent))
            return false;
        const std::size_t depth = depth_below(mount_point, place.parent);
        return depth >= place.min_depth && depth <= place.max_depth;
    });
}

LocalChain list_volumes()
{
    std::vector<std::string> mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const std::string root = volume.rootPath().toStdString();
        if (volume_worth_showing(root, volume.fileSystemType().toStdString()))
            mounts.push_back(root);
    }
    std::sort(mounts.begin(), mounts.end());
    LocalChain rows;
    const auto add = [&rows](const std::string& path) {
        const bool seen =
            std::any_of(rows.begin(), rows.end(), [&](const LocalEntry& r) { return r.path == path; });
        if (!path.empty() && !seen)
            rows.push_back(volume_row(path));
    };
    add("/");
    add(clean_folder_path(QDir::homePath().toStdString()));
    for (const std::string& mount : mounts)
        add(mount);
    return rows;
}

} // namespace kestovan
