#include "profiles/private_files.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestovan {

namespace {

constexpr mode_t PRIVATE_FILE_MODE = 0600;
constexpr mode_t PRIVATE_FOLDER_MODE = 0700;

bool write_all(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be opened or synced is not a failure of the
// write, which has already taken place.
void sync_folder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// ".config.ini.writing-" for config.ini: a name no one gives a file of their own, so that leftovers
// can be told apart from a user's hidden copies.
std::string temporary_prefix(const std::filesystem::path& path)
{
    return "." + path.filename().string() + ".writing-";
}

// Writes bytes to a new temporary file (mode 0600) beside path and flushes it; the temporary path,
// or an empty path when that failed (nothing is left behind then).
std::filesystem::path write_temporary(const std::filesystem::path& path, std::string_view bytes)
{
    const std::string pattern = (path.parent_path() / (temporary_prefix(path) + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    const int fd = ::mkostemp(name.data(), O_CLOEXEC); // mkostemp creates the file with mode 0600
    if (fd < 0)
        return {};
    const std::filesystem::path temp(name.data());
    bool ok = ::fchmod(fd, PRIVATE_FILE_MODE) == 0 && write_all(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        return {};
    }
    return temp;
}

// A write killed between creating its temporary file and the rename leaves that file behind. The
// next successful write of the same file removes such leftovers, but only old ones: a fresh one may
// belong to another instance of the program writing at this moment.
void remove_stale_temporaries(const std::filesystem::path& path)
{
    constexpr auto STALE_AFTER = std::chrono::minutes(10);
    const std::string prefix = temporary_prefix(path);
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::error_code error;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
            continue;
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored))
            continue;
        const auto written = it->last_write_time(ignored);
        if (!ignored && now - written > STALE_AFTER)
            std::filesystem::remove(it->path(), ignored);
    }
}

} // namespace

bool write_file_atomically(const std::filesystem::path& path, std::string_view bytes,
                           const AtomicWriteHooks& hooks)
{
    if (path.empty() || !path.has_filename())
        return false;
    const std::filesystem::path temp = write_temporary(path, bytes);
    if (temp.empty())
        return false;
    bool ok = !hooks.after_temp_written || hooks.after_temp_written(temp);
    if (ok)
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    sync_folder(path.parent_path());
    remove_stale_temporaries(path);
    return true;
}

bool make_private_folders(const std::filesystem::path& path)
{
    if (path.empty())
        return false;
    std::filesystem::path partial;
    for (const auto& part : path) {
        partial /= part;
        if (part.empty() || part == "/")
            continue;
        if (::mkdir(partial.c_str(), PRIVATE_FOLDER_MODE) != 0 && errno != EEXIST)
            return false;
    }
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool create_private_file(const std::filesystem::path& path, std::string_view bytes)
{
    if (path.empty() || !path.has_filename())
        return false;
    const std::filesystem::path temp = write_temporary(path, bytes);
    if (temp.empty())
        return false;
    // link() fails when anything exists at path, so an existing file is never replaced and a reader
    // never sees a half-written one.
    const bool linked = ::link(temp.c_str(), path.c_str()) == 0;
    const int link_error = errno;
    ::unlink(temp.c_str());
    if (linked) {
        sync_folder(path.parent_path());
        return true;
    }
    if (link_error == EEXIST)
        return false;
    // A file system without hard links: exclusive creation still never replaces anything.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, PRIVATE_FILE_MODE);
    if (fd < 0)
        return false;
    bool ok = write_all(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(path.c_str());
    return ok;
}

} // namespace kestovan
