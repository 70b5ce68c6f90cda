#include "importer/source_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestovan {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }

    // Closes now, reporting whether the close succeeded (a delayed write error shows up here).
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool write_all(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

SourceFile read_source_file(const char* path, std::uint64_t limit)
{
    SourceFile result;
    // Non-blocking, so that opening a pipe without writer does not wait; only regular files are read.
    FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return result;
    result.identity = FileIdentity{info.st_dev, info.st_ino};
    result.status = ReadStatus::ReadFailed;
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > limit)
        return result;
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            break;
        if (result.bytes.size() + static_cast<std::size_t>(got) > limit) { // grew while being read
            result.bytes.clear();
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    result.status = ReadStatus::Ok;
    return result;
}

std::optional<FileIdentity> regular_file_identity(const char* path)
{
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

AppendStatus append_to_target(const char* path, std::string_view text)
{
    FileDescriptor fd(
        ::open(path, O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return AppendStatus::OpenFailed;
    // A file whose last line has no line feed would swallow the first line appended to it.
    char last = '\n';
    if (info.st_size > 0 && ::pread(fd.get(), &last, 1, info.st_size - 1) != 1)
        return AppendStatus::WriteFailed;
    const bool written = (last == '\n' || write_all(fd.get(), "\n")) && write_all(fd.get(), text);
    if (!written) {
        // Half an entry would make the rest of the file read wrongly: take back what went out.
        (void)::ftruncate(fd.get(), info.st_size);
        return AppendStatus::WriteFailed;
    }
    return fd.close() ? AppendStatus::Ok : AppendStatus::WriteFailed;
}

} // namespace kestovan
