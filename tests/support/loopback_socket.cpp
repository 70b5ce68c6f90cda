#include "support/loopback_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace kestovan::test {

namespace {

[[noreturn]] void throw_errno(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

sockaddr_in loopback_address(std::uint16_t port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    return addr;
}

// Waits for events on fd; false on time-out.
bool wait_for(int fd, short events, std::chrono::milliseconds timeout)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, static_cast<int>(timeout.count()));
        if (n > 0)
            return true;
        if (n == 0)
            return false;
        if (errno != EINTR)
            throw_errno("poll");
    }
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

UniqueFd listen_loopback(std::uint16_t port)
{
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        throw_errno("socket");
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in addr = loopback_address(port);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        throw_errno("bind 127.0.0.1:" + std::to_string(port));
    if (::listen(fd.get(), 16) != 0)
        throw_errno("listen");
    return fd;
}

std::uint16_t bound_port(int fd)
{
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw_errno("getsockname");
    return ntohs(addr.sin_port);
}

std::uint16_t free_loopback_port()
{
    // The system picks a port nobody holds; it stays free after close unless someone else takes it,
    // so callers that start a server on it retry with a new port when the bind fails.
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        throw_errno("socket");
    const sockaddr_in addr = loopback_address(0);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        throw_errno("bind 127.0.0.1:0");
    return bound_port(fd.get());
}

UniqueFd connect_loopback(std::uint16_t port, std::chrono::milliseconds timeout)
{
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid())
        throw_errno("socket");
    const sockaddr_in addr = loopback_address(port);
    const std::string target = "connect 127.0.0.1:" + std::to_string(port);
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS)
            throw_errno(target);
        if (!wait_for(fd.get(), POLLOUT, timeout))
            throw std::runtime_error(target + ": timed out");
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &len);
        if (error != 0) {
            errno = error;
            throw_errno(target);
        }
    }
    // Back to blocking: callers bound their waits with the helpers below.
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

UniqueFd accept_within(int listener, std::chrono::milliseconds timeout)
{
    if (!wait_for(listener, POLLIN, timeout))
        throw std::runtime_error("accept: no connection within " + std::to_string(timeout.count()) + " ms");
    UniqueFd fd(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd.valid())
        throw_errno("accept");
    return fd;
}

void write_all(int fd, std::string_view bytes, std::chrono::milliseconds timeout)
{
    while (!bytes.empty()) {
        if (!wait_for(fd, POLLOUT, timeout))
            throw std::runtime_error("write: peer took nothing for " + std::to_string(timeout.count()) +
                                     " ms");
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw_errno("send");
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string read_to_end(int fd, std::chrono::milliseconds timeout)
{
    std::string out;
    char buffer[16384];
    for (;;) {
        if (!wait_for(fd, POLLIN, timeout))
            throw std::runtime_error("read: nothing for " + std::to_string(timeout.count()) + " ms after " +
                                     std::to_string(out.size()) + " bytes");
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0)
            return out;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw_errno("recv");
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string loopback_tuple(std::uint16_t port)
{
    return "127,0,0,1," + std::to_string(port >> 8) + "," + std::to_string(port & 0xff);
}

std::optional<HostPort> find_host_port_tuple(std::string_view text)
{
    const auto is_digit = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    for (std::size_t start = 0; start < text.size(); ++start) {
        if (!is_digit(start) || (start > 0 && is_digit(start - 1)))
            continue;
        unsigned parts[6] = {};
        std::size_t i = start;
        int count = 0;
        for (; count < 6; ++count) {
            const std::size_t first = i;
            while (is_digit(i) && i - first < 4)
                parts[count] = parts[count] * 10 + static_cast<unsigned>(text[i++] - '0');
            if (i == first || i - first > 3 || parts[count] > 255)
                break;
            if (count < 5) {
                if (i >= text.size() || text[i] != ',')
                    break;
                ++i;
            }
        }
        if (count == 6 && !is_digit(i))
            return HostPort{.ip = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3],
                            .port = static_cast<std::uint16_t>(parts[4] * 256 + parts[5])};
    }
    return std::nullopt;
}

bool is_loopback(std::uint32_t ip)
{
    return (ip >> 24) == 127;
}

} // namespace kestovan::test
