#include "common/text_file.h"

#include "common/container.h"
#include "common/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestovan {

namespace {

int open_for_reading(const std::filesystem::path& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t read_some(int fd, char* buffer, std::size_t size)
{
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool is_line_end(char c)
{
    return c == '\r' || c == '\n';
}

// Container text: a line ends at CR or LF, and the run of line ends that follows is skipped.
int for_each_text_line(std::string_view text, const std::function<int(std::string_view)>& callback)
{
    int sum = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto line_end =
            std::find_if(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(), is_line_end);
        const auto end = static_cast<std::size_t>(line_end - text.begin());
        sum += callback(text.substr(at, end - at));
        at = end;
        while (at < text.size() && is_line_end(text[at]))
            ++at;
    }
    return sum;
}

} // namespace

std::optional<std::string> read_whole_file(const std::filesystem::path& path)
{
    const int fd = open_for_reading(path);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> bytes;
    try {
        std::string data;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
            data.reserve(static_cast<std::size_t>(info.st_size));
        constexpr std::size_t CHUNK = 64 * 1024;
        for (;;) {
            const std::size_t used = data.size();
            data.resize(used + CHUNK);
            const ssize_t got = read_some(fd, data.data() + used, CHUNK);
            if (got < 0)
                break; // a read error (or a folder) gives no result rather than a partial one
            data.resize(used + static_cast<std::size_t>(got));
            if (got == 0) {
                bytes = std::move(data);
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        bytes.reset();
    }
    ::close(fd);
    return bytes;
}

LineReader::LineReader(const std::filesystem::path& path) : fd_(open_for_reading(path)) {}

LineReader::LineReader(LineReader&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LineReader& LineReader::operator=(LineReader&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

LineReader::~LineReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t LineReader::read_piece(char* buffer, std::size_t size)
{
    std::size_t n = 0;
    while (n < size) {
        const ssize_t got = read_some(fd_, buffer + n, std::min(READ_SIZE, size - n));
        if (got <= 0)
            break;
        const auto* lf =
            static_cast<const char*>(std::memchr(buffer + n, '\n', static_cast<std::size_t>(got)));
        if (lf) {
            const auto line_end = static_cast<std::size_t>(lf - buffer) + 1;
            const std::size_t surplus = n + static_cast<std::size_t>(got) - line_end;
            if (surplus > 0)
                ::lseek(fd_, -static_cast<off_t>(surplus), SEEK_CUR);
            return line_end;
        }
        n += static_cast<std::size_t>(got);
    }
    return n;
}

std::size_t LineReader::read_line(char* buffer, std::size_t size)
{
    if (fd_ < 0 || !buffer || size == 0)
        return 0;
    for (;;) {
        std::size_t n = read_piece(buffer, size);
        if (n == 0 || buffer[0] != '\0')
            return n;
        --n;
        std::memmove(buffer, buffer + 1, n);
        // A piece that was only the NUL must not read as the end of the file.
        if (n > 0)
            return n;
    }
}

std::optional<std::string> LineReader::read_line(std::size_t size)
{
    std::string piece(size, '\0');
    const std::size_t n = read_line(piece.data(), piece.size());
    if (n == 0)
        return std::nullopt;
    piece.resize(n);
    return piece;
}

std::int64_t LineReader::position() const
{
    return fd_ < 0 ? -1 : static_cast<std::int64_t>(::lseek(fd_, 0, SEEK_CUR));
}

int for_each_line(const std::filesystem::path& path, const std::function<int(std::string_view)>& callback)
{
    if (!callback)
        return 0;
    if (is_container_file(path)) {
        const std::optional<std::string> text = read_container(path);
        return text ? for_each_text_line(*text, callback) : 0;
    }
    LineReader reader(path);
    if (!reader.is_open())
        return 0;
    std::string buffer(LINE_BUFFER_SIZE, '\0');
    int sum = 0;
    while (const std::size_t n = reader.read_line(buffer.data(), buffer.size()))
        sum += callback(trim_line_end(std::string_view(buffer.data(), n)));
    return sum;
}

} // namespace kestovan
