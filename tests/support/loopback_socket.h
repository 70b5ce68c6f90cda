// Small blocking-socket helpers for test code that talks to servers on 127.0.0.1: an owning file
// descriptor, listeners and connections on loopback, and reads and writes bounded by a deadline.
// Failures throw std::runtime_error with the system's reason; test code lets them fail the case.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan::test {

using Clock = std::chrono::steady_clock;

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// A listening TCP socket on 127.0.0.1 (port 0: the system picks one).
[[nodiscard]] UniqueFd listen_loopback(std::uint16_t port = 0);
// The local port a socket is bound to.
[[nodiscard]] std::uint16_t bound_port(int fd);
// A port on 127.0.0.1 that was free a moment ago, for servers that must be told a number.
[[nodiscard]] std::uint16_t free_loopback_port();

// Connects to 127.0.0.1:port; throws when refused or not done within timeout.
[[nodiscard]] UniqueFd connect_loopback(std::uint16_t port,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Accepts one connection on a listener; throws when none arrives within timeout.
[[nodiscard]] UniqueFd accept_within(int listener, std::chrono::milliseconds timeout);

// Writes all bytes; throws on error or when the peer takes nothing for timeout.
void write_all(int fd, std::string_view bytes, std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Reads until the peer closes; throws on error or when nothing arrives for timeout.
[[nodiscard]] std::string read_to_end(int fd, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// "h1,h2,h3,h4,p1,p2" for 127.0.0.1 and port, as PORT commands and 227 replies write it.
[[nodiscard]] std::string loopback_tuple(std::uint16_t port);

struct HostPort {
    std::uint32_t ip = 0; // host byte order
    std::uint16_t port = 0;
};
// The first well-formed "h1,h2,h3,h4,p1,p2" in text (each number 0..255); nullopt when there is none.
[[nodiscard]] std::optional<HostPort> find_host_port_tuple(std::string_view text);
[[nodiscard]] bool is_loopback(std::uint32_t ip);

} // namespace kestovan::test
