// Proxy and firewall traversal on the engine side: which host and port a record connects to, the
// USER form of an FTP proxy, and the engine's part in the SOCKS 4 and SOCKS 5 handshakes (the bytes
// and the refusals are proxy/socks_handshake.h, shared with the web client).
#pragma once

#include "proxy/proxy_record.h"

#include <string>
#include <string_view>

namespace kestovan {

class Engine;
struct FtpConnection;

// Replaces the engine's proxy settings; the port becomes 21 unless a non-zero one is given. No
// host, or a type outside 1..3, means no proxy. Records connect with the settings current when they
// connect, so the shell calls this before each new session.
void set_proxy(Engine& engine, int type, const std::string& host, int port, const std::string& user_name,
               const std::string& password);
// The same from a record (the settings layer fills one from the stored preferences).
void set_proxy(Engine& engine, const ProxySettings& settings);

// Whether a record connects to the proxy rather than to its own host.
[[nodiscard]] bool is_proxied(const Engine& engine, const FtpConnection& conn);
// Whether a record goes through a SOCKS proxy. SOCKS carries only connections we open, so such a
// control connection transfers in passive mode (see send_data_command).
[[nodiscard]] bool uses_socks(const Engine& engine, const FtpConnection& conn);
// The host text's host part: after "//", after a user's "@" that precedes the first "/", cut at
// "/" and ":".
[[nodiscard]] std::string host_of(const std::string& host_text);
[[nodiscard]] std::string connect_name(const Engine& engine, const FtpConnection& conn);
[[nodiscard]] int connect_port(const Engine& engine, const FtpConnection& conn);
// The port of the host text (searched from the first "//"), or 21.
[[nodiscard]] int host_text_port(const std::string& host_text);

// A SOCKS handshake step without received bytes: once the connect to the proxy has completed (the
// handshake starts), and once the target's address is known (stage 3: the CONNECT request goes out).
// Returns 1, or -1 when the record was failed or destroyed.
int proxy_step(Engine& engine, FtpConnection& conn);
// Bytes received in ST_PROXY. When the handshake completes the record is in ST_READY with stage 0 and
// `rest` holds what followed the proxy's reply. A refusal, or an answer that is not SOCKS, fails the
// record at once with an EV_ERROR/ERR_PROTOCOL text naming the proxy's answer (a data connection
// fails its transfer). Returns 1, or -1 when the record was failed or destroyed.
int proxy_step(Engine& engine, FtpConnection& conn, std::string_view received, std::string& rest);
// The proxy closed the connection during the handshake: fails the record like a refusal; -1.
int proxy_closed(Engine& engine, FtpConnection& conn);

} // namespace kestovan
