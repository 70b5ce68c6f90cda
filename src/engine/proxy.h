// Proxy and firewall traversal on the engine side: which host and port a record connects to, the
// USER form of an FTP proxy, and the SOCKS 4 and SOCKS 5 handshakes.
#pragma once

#include <cstdint>
#include <string>

namespace kestovan {

class Engine;
struct FtpConnection;

enum ProxyType : std::uint8_t {
    PROXY_NONE = 0,
    PROXY_FTP = 1, // "USER user@host" through an FTP proxy
    PROXY_SOCKS4 = 2,
    PROXY_SOCKS5 = 3,
};

struct ProxySettings {
    ProxyType type = PROXY_NONE;
    std::string host;
    int port = 21;
    std::string user_name;
    std::string password;
    std::string local_host_name; // remembered after the first SOCKS 4 request that needed it
};

void set_proxy(Engine& engine, int type, const std::string& host, int port, const std::string& user_name,
               const std::string& password);

[[nodiscard]] bool is_proxied(const Engine& engine, const FtpConnection& conn);
[[nodiscard]] bool uses_socks(const Engine& engine, const FtpConnection& conn);
// The host text's host part: after "//", after a user's "@" that precedes the first "/", cut at
// "/" and ":".
[[nodiscard]] std::string host_of(const std::string& host_text);
[[nodiscard]] std::string connect_name(const Engine& engine, const FtpConnection& conn);
[[nodiscard]] int connect_port(const Engine& engine, const FtpConnection& conn);
// The port of the host text (searched from the first "//"), or 21.
[[nodiscard]] int host_text_port(const std::string& host_text);

// One step of a SOCKS handshake: at the connect (count 0) and with every read in ST_PROXY. It may
// consume bytes from the front of `data`; `count` is updated to what is left. Returns 1, or -1 when
// the record was failed or destroyed.
int proxy_step(Engine& engine, FtpConnection& conn, char* data, std::size_t& count);

} // namespace kestovan
