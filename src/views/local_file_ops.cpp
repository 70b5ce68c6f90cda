#include "views/local_file_ops.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <stdio.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kestovan {
namespace fs = std::filesystem;
namespace {

std::optional<struct stat> lstat_of(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info;
}

// True when both paths name the same file: a rename that only changes the case of a name on a file
// system that ignores case.
bool same_file(const std::string& a, const std::string& b)
{
    const std::optional<struct stat> x = lstat_of(a);
    const std::optional<struct stat> y = lstat_of(b);
    return x && y && x->st_dev == y->st_dev && x->st_ino == y->st_ino;
}

enum class RenameResult {
    DONE,
    TARGET_EXISTS,
    OTHER_VOLUME,
    FAILED,
};

// rename() without replacing whatever is at to. Where the file system cannot refuse to replace by
// itself, to is looked at first (a narrow window, but nothing better exists there).
RenameResult rename_no_replace(const std::string& from, const std::string& to)
{
    if (from != to && same_file(from, to))
        return ::rename(from.c_str(), to.c_str()) == 0 ? RenameResult::DONE : RenameResult::FAILED;
    int result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        if (lstat_of(to))
            return RenameResult::TARGET_EXISTS;
        result = ::rename(from.c_str(), to.c_str());
    }
    if (result == 0)
        return RenameResult::DONE;
    if (errno == EEXIST)
        return RenameResult::TARGET_EXISTS;
    return errno == EXDEV ? RenameResult::OTHER_VOLUME : RenameResult::FAILED;
}

void keep_modification_time(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(from, error);
    if (!error)
        fs::last_write_time(to, time, error);
}

// Copies a file, folder tree or symbolic link to a path where nothing is yet, keeping modification
// times of files.
bool copy_tree(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(from, error);
    if (error)
        return false;
    if (fs::is_symlink(status)) {
        fs::copy_symlink(from, to, error);
        return !error;
    }
    if (fs::is_directory(status)) {
        if (!fs::create_directory(to, from, error) || error)
            return false;
        // Stepped with increment(error): the range-for form throws on a read error.
        fs::directory_iterator item(from, error);
        for (; !error && item != fs::directory_iterator(); item.increment(error)) {
            if (!copy_tree(item->path(), to / item->path().filename()))
                return false;
        }
        return !error;
    }
    if (!fs::copy_file(from, to, fs::copy_options::none, error) || error)
        return false;
    keep_modification_time(from, to);
    return true;
}

bool move_across_volumes(const std::string& from, const std::string& to)
{
    std::error_code error;
    if (!copy_tree(from, to)) {
        fs::remove_all(to, error);
        return false;
    }
    // Both copies stay when the original cannot be removed completely: nothing is lost, but the move
    // did not happen as asked.
    fs::remove_all(from, error);
    return !error;
}

} // namespace

bool rename_path(const std::string& old_path, const std::string& new_path)
{
    return rename_no_replace(old_path, new_path) == RenameResult::DONE;
}

std::vector<std::string> delete_to_trash(const std::vector<std::string>& paths)
{
    std::vector<std::string> failed;
    for (const std::string& path : paths) {
        if (!QFile::moveToTrash(QFile::decodeName(QByteArray::fromStdString(path))))
            failed.push_back(path);
    }
    return failed;
}

bool copy_file(const std::string& from, const std::string& to)
{
    std::error_code error;
    if (!fs::is_regular_file(from, error) || fs::is_directory(to, error))
        return false;
    if (fs::exists(to, error) && fs::equivalent(from, to, error))
        return false;
    const fs::path target(to);
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".part-XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::close(fd);
    const bool copied = fs::copy_file(from, temp, fs::copy_options::overwrite_existing, error) && !error;
    if (copied)
        keep_modification_time(from, temp);
    if (!copied || ::rename(temp.c_str(), to.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool move_file(const std::string& from, const std::string& to)
{
    switch (rename_no_replace(from, to)) {
    case RenameResult::DONE: return true;
    case RenameResult::TARGET_EXISTS:
    case RenameResult::FAILED: return false;
    case RenameResult::OTHER_VOLUME: return move_across_volumes(from, to);
    }
    return false;
}

std::int64_t file_size(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return ok ? static_cast<std::int64_t>(info.st_size) : 0;
}

bool is_folder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace kestovan
