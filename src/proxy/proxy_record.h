// The proxy a client goes through, as the FTP engine and the web client take it. It lives below
// both clients so that the settings layer, which reads the user's choice from the registry and
// config.ini, can fill it without reaching up into either of them.
#pragma once

#include <cstdint>
#include <string>

namespace kestovan {

enum ProxyType : std::uint8_t {
    PROXY_NONE = 0,
    PROXY_FTP = 1, // "USER user@host" through an FTP proxy
    PROXY_SOCKS4 = 2,
    PROXY_SOCKS5 = 3,
};

constexpr int DEFAULT_FTP_PROXY_PORT = 21;

struct ProxySettings {
    ProxyType type = PROXY_NONE;
    std::string host; // empty: no proxy
    int port = DEFAULT_FTP_PROXY_PORT;
    std::string user_name; // SOCKS 4 user id; SOCKS 5 user name
    std::string password;  // SOCKS 5 only
};

} // namespace kestovan
