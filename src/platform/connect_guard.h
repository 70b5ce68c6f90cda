// The one place every outgoing connection and host lookup of the program passes. Tests switch it
// on: it then records every target and refuses, without touching the network, any address outside
// loopback and any host name but "localhost", so a test can prove the client never tried to go
// elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {

class ConnectGuard {
public:
    static void set_enabled(bool enabled);
    [[nodiscard]] static bool enabled();

    // Records "a.b.c.d:port"; false when the guard is on and the address is not loopback.
    [[nodiscard]] static bool permit_connect(std::uint32_t ip, std::uint16_t port);
    // Records "lookup name"; false when the guard is on and the name is not a loopback name.
    [[nodiscard]] static bool permit_lookup(const std::string& name);

    [[nodiscard]] static std::vector<std::string> attempts();
    static void clear_attempts();
};

[[nodiscard]] bool is_loopback_ip(std::uint32_t ip);

} // namespace kestovan
