// IPv4 socket addresses in host byte order, and the dotted text form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

struct SocketAddress {
    std::uint32_t ip = 0; // host byte order
    std::uint16_t port = 0;
};

// Strict dotted-quad parse ("a.b.c.d", each 0..255); nullopt for anything else.
[[nodiscard]] std::optional<std::uint32_t> parse_dotted(std::string_view text);
[[nodiscard]] std::string format_dotted(std::uint32_t ip);

} // namespace kestovan
