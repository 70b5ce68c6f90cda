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

constexpr std::array<std::string_view, 3> REMOVABLE_PARENTS = {"/media/", "/run/media/", "/mnt/"};

constexpr std::array<std::string_view, 14> NETWORK_TYPES = {
    "nfs", "nfs4", "cifs",      "smb3", "smbfs", "fuse.sshfs",  "sshfs",
    "afs", "ceph", "glusterfs", "9p",   "davfs", "fuse.davfs2", "fuse.rclone",
};

LocalEntry volume_row(const std::string& mount_point)
{
    return LocalEntry{
        .name = mount_point, .kind = LOCAL_VOLUME, .date = {}, .size = "0", .path = mount_point};
}

} // namespace

bool volume_worth_showing(std::string_view mount_point, std::string_view file_system_type)
{
    if (std::find(NETWORK_TYPES.begin(), NETWORK_TYPES.end(), file_system_type) != NETWORK_TYPES.end())
        return true;
    return std::any_of(REMOVABLE_PARENTS.begin(), REMOVABLE_PARENTS.end(), [&](std::string_view parent) {
        return mount_point.starts_with(parent) && mount_point.size() > parent.size();
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
