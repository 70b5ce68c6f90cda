// The SOCKS 4 and SOCKS 5 client handshakes, byte by byte and without a socket: the FTP engine and
// the web client feed in what the proxy sent and carry out what the handshake asks for next (send
// these bytes, find the target's address, wait for more, go on through the tunnel, or give up with
// a text for the user). Both clients drive this one object, so they put the same bytes on the wire
// and refuse the same answers with the same words.
//
// SOCKS 4: the CONNECT request with a user id. SOCKS 5: RFC 1928, with the user name and password
// method of RFC 1929 offered only when a user name is set (otherwise no authentication).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestovan {

enum class SocksVersion : std::uint8_t {
    SOCKS4 = 4,
    SOCKS5 = 5,
};

// Where a handshake stands; the numbers are those the connection records keep as their proxy stage.
enum SocksStage : std::uint8_t {
    SOCKS_START = 0,         // nothing asked of the proxy yet (and again once the tunnel is open)
    SOCKS_METHOD = 1,        // SOCKS 5 greeting sent, waiting for the chosen method
    SOCKS_AUTH = 2,          // user name and password sent, waiting for the verdict
    SOCKS_TARGET = 3,        // waiting for the client to name the target's address
    SOCKS_CONNECT_REPLY = 4, // CONNECT sent, waiting for the proxy's reply
};

enum class SocksResult : std::uint8_t {
    SEND,        // send `bytes`, then wait for the proxy's answer
    NEED_TARGET, // look up the target server, then call connect_to
    NEED_MORE,   // the proxy's answer is not complete yet
    DONE,        // the tunnel is open; `bytes` is what followed the proxy's reply (the server's)
    REFUSED,     // give up; `text` says why, in the user's language
};

struct SocksStep {
    SocksResult result = SocksResult::NEED_MORE;
    std::string bytes;
    std::string text;
};

constexpr std::size_t MAX_SOCKS4_USER_ID = 90;
constexpr std::size_t MAX_SOCKS5_CREDENTIAL = 255; // one length byte each (RFC 1929)

// The SOCKS 4 user id: the user name when one is set, else the local host name cut to 90 characters.
[[nodiscard]] std::string socks4_user_id(std::string_view user_name, std::string_view local_host_name);

class SocksHandshake {
public:
    // user_name is the SOCKS 4 user id (see socks4_user_id) or the SOCKS 5 user name.
    SocksHandshake(SocksVersion version, std::string user_name, std::string password);

    // The first step once the connection to the proxy stands: SOCKS 5 sends its greeting, SOCKS 4
    // needs the target first.
    [[nodiscard]] SocksStep start();
    // The CONNECT request for the target (address bytes in network order, port); only in SOCKS_TARGET.
    [[nodiscard]] SocksStep connect_to(const std::array<std::uint8_t, 4>& address, std::uint16_t port);
    // Bytes that arrived from the proxy.
    [[nodiscard]] SocksStep receive(std::string_view data);
    // The proxy closed the connection before the tunnel was open.
    [[nodiscard]] static SocksStep closed();

    [[nodiscard]] SocksStage stage() const { return stage_; }
    [[nodiscard]] SocksVersion version() const { return version_; }

private:
    [[nodiscard]] SocksStep method_reply();
    [[nodiscard]] SocksStep auth_reply();
    [[nodiscard]] SocksStep socks4_reply();
    [[nodiscard]] SocksStep socks5_reply();
    [[nodiscard]] static SocksStep need_more();
    [[nodiscard]] SocksStep need_target();
    [[nodiscard]] SocksStep done(std::size_t reply_length);
    [[nodiscard]] SocksStep send(std::string bytes, SocksStage next);
    [[nodiscard]] static SocksStep refuse(std::string text);

    SocksVersion version_;
    std::string user_name_;
    std::string password_;
    SocksStage stage_ = SOCKS_START;
    std::string reply_; // the proxy's answer so far
};

} // namespace kestovan
