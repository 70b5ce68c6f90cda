// The web client's record, one per fetch, with its states, result flags and the events the client
// raises to the shell.
#pragma once

#include "platform/async_socket.h"
#include "platform/host_lookup.h"
#include "proxy/socks_handshake.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kestovan {

struct WebRequest;

enum WebState : std::uint16_t {
    WST_IDLE = 0,      // waiting for its turn
    WST_RESOLVED = 1,  // the address is known
    WST_CONNECTED = 2, // the request is being sent
    WST_RECEIVING = 4,
    WST_RESOLVING = 8,
    WST_SOCKS = 9, // SOCKS handshake with the proxy
    WST_NEW = 10,  // socket made, not yet resolving
    // Kept for its number: a lookup cancelled here posts nothing, so records never wait in it.
    WST_DESTROYING = 88,
};

// WebRequest::result_flags.
constexpr std::uint16_t WEB_ENDED = 0x4;
constexpr std::uint16_t WEB_FAILED = 0x8;
constexpr std::uint16_t WEB_REDIRECTED = 0x20;
constexpr std::uint16_t WEB_SOCKET_ERROR = 0x200;
constexpr std::uint16_t WEB_TIMED_OUT = 0x400;
// Ours: the caller cancelled the fetch (a task stopped by the user), so a partial file is its own.
constexpr std::uint16_t WEB_CANCELLED = 0x800;

enum WebEvent : std::int32_t {
    WEB_EV_TICK = 0,
    WEB_EV_RECEIVED = 1,
    WEB_EV_STATUS = 3,
    WEB_EV_IDLE = 4,
    WEB_EV_ERROR = 5,
    WEB_EV_SENT = 8,
    WEB_EV_SOCKET_ERROR = 9,
    WEB_EV_DESTROYED = 10,
    WEB_EV_CONNECTING = 11,
    WEB_EV_RESOLVING = 13,
    WEB_EV_RESOLVED = 14,
};

// What a completion callback may answer.
constexpr int WEB_FOLLOW_REDIRECT = 2;

// Called once when a fetch ends (not for the proxy-authentication retry).
using WebCompletion = std::function<int(WebRequest& request, void* owner)>;

struct WebRequest {
    std::uint32_t serial = 0;               // identity across a freed record's reused address
    std::string url;                        // replaced by the target of a redirection
    std::string status_text;                // a caption for the shell
    std::optional<std::string> destination; // the body goes to this file; none: into buffer
    std::int64_t byte_limit = 0;            // 0: none; else the response ends after this many bytes
    void* owner = nullptr;
    WebCompletion callback;
    // The response as received: headers, and the body when there is no destination file. With a
    // destination only the headers stay here.
    std::string buffer;
    bool header_seen = false;
    std::int64_t header_length = 0;
    std::uint16_t status_code = 0;
    std::int64_t content_length = 0; // 0 when absent
    bool has_content_length = false;
    std::optional<std::string> last_modified;
    int file = -1;
    SocketHandle socket = 0;
    SocketAddress peer_address;
    std::string address_text;
    std::uint8_t redirections = 0; // restarts: redirections and the proxy-authentication retry
    bool auth_retried = false;
    LookupHandle lookup = 0;
    std::uint32_t lookup_message = 0;
    WebState state = WST_NEW;
    std::uint8_t idle_count = 0;
    std::uint16_t result_flags = 0;
    bool finished = false;
    std::optional<SocksHandshake> socks; // the handshake with a SOCKS proxy, while it runs
    bool https = false;                  // fetched through the TLS-capable client
    // Ours: every byte of the response received so far (headers included), in 64 bits, and the
    // last error text shown for this request.
    std::int64_t bytes_received = 0;
    std::int64_t body_written = 0;
    std::string error_text;

    [[nodiscard]] bool failed() const { return (result_flags & WEB_FAILED) != 0; }
    // The body, when it stayed in the buffer.
    [[nodiscard]] std::string_view body() const;
};

} // namespace kestovan
