// The engine's records: one FtpConnection per socket (control connection, active-mode listener or
// data connection) and one FtpCommand per queued command, with the codes that go with them.
#pragma once

#include "platform/async_socket.h"
#include "platform/host_lookup.h"
#include "platform/tls_session.h"
#include "proxy/socks_handshake.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan {

struct FtpConnection;

enum Role : std::int32_t {
    ROLE_NONE = 0,
    ROLE_LIST = 1,
    ROLE_UPLOAD = 2,
    ROLE_DOWNLOAD = 4,
    ROLE_CLOSING = 21,
    ROLE_CONTROL = 512,
};

enum ConnectionState : std::int32_t {
    ST_NEW = 0,
    ST_RESOLVED = 1,
    ST_CONNECTED = 2,
    ST_READY = 4,
    ST_SENDING = 5,
    ST_LISTENING = 6,
    ST_HOLD_REPLY = 7,
    ST_PROXY = 9,
    ST_RESOLVING = 10,
};

enum CommandKind : std::int32_t {
    CMD_NONE = 0,
    CMD_USER = 1,
    CMD_PASS = 2,
    CMD_PWD = 3,
    CMD_PORT = 4,
    CMD_LIST = 5,
    CMD_CWD = 6,
    CMD_RETR = 7,
    CMD_STOR = 8,
    CMD_DELE = 9,
    CMD_MKD = 10,
    CMD_RMD = 11,
    CMD_RNFR = 12,
    CMD_RNTO = 13,
    CMD_TYPE = 14,
    CMD_PASV = 15,
    CMD_ACCT = 17,
    CMD_QUIT = 18,
    CMD_APPE = 19,
    CMD_REST = 20,
    CMD_MARK = 22,
    CMD_RAW = 23,
    // Ours: the TLS commands (RFC 4217).
    CMD_AUTH = 24,
    CMD_PBSZ = 25,
    CMD_PROT = 26,
};

enum EngineEvent : std::int32_t {
    EV_TICK = 0,
    EV_RECEIVED = 1,
    EV_SENT = 2,
    EV_STATUS = 3,
    EV_IDLE = 4,
    EV_ERROR = 5,
    EV_LOG = 6,
    EV_COMMAND_START = 7,
    EV_CONNECTED = 8,
    EV_SOCKET_ERROR = 9,
    EV_CLOSED = 10,
    EV_CONNECTING = 11,
    EV_NEED_PASSWORD = 12,
    EV_RESOLVING = 13,
    EV_QUEUED = 14,
    EV_TIMEOUT = 15,
    // Ours. The certificate of a control connection is neither verified nor pinned: the handler
    // calls accept_certificate (tls_channel.h) to go on, else the session ends.
    EV_CERTIFICATE = 16,
    // A TLS notice for the session log; the number is a TlsNotice, the text says it.
    EV_TLS = 17,
};

enum TlsNotice : std::int32_t {
    TLS_NOTICE_ESTABLISHED = 1,    // the text names the TLS version and cipher
    TLS_NOTICE_PLAIN_FALLBACK = 2, // TLS was wanted if available, and the server does not offer it
};

// Sub-codes of EV_ERROR, carried in the upper 16 bits of the event code.
enum EngineError : std::int32_t {
    ERR_NONE = 0,
    ERR_LISTEN = 1,
    ERR_SOCKET = 2,
    ERR_BIND = 3,
    ERR_SELECT = 4,
    ERR_SOCKNAME = 5,
    ERR_MEMORY = 6,
    ERR_REPLY = 7,
    ERR_LOCAL_FILE = 10,
    // Our own additions: refusals that protect the user; the text argument says what happened.
    ERR_BAD_ARGUMENT = 11,    // a command argument held CR or LF; nothing was sent
    ERR_PROTOCOL = 12,        // the server broke the protocol (endless reply, oversized listing, ...)
    ERR_TRANSFER = 13,        // a transfer ended short of the size the server announced
    ERR_TLS_UNAVAILABLE = 14, // TLS was required and the server refused it or the handshake failed
    ERR_TLS_CERTIFICATE = 15, // the server's certificate was refused (changed pin, not trusted)
};

// The number argument of EV_STATUS: which status the text reports, for callers that act on one
// (the text itself is translated).
enum EngineStatus : std::int32_t {
    STATUS_TEXT = 0, // any other status
    STATUS_HOST_NOT_FOUND = 1,
};

constexpr std::int32_t make_error_event(EngineError sub)
{
    return EV_ERROR | (sub << 16);
}
constexpr EngineEvent event_code(std::int32_t code)
{
    return static_cast<EngineEvent>(code & 0xFFFF);
}
constexpr EngineError event_subcode(std::int32_t code)
{
    return static_cast<EngineError>((code >> 16) & 0xFFFF);
}

// Callback results with a meaning of their own; anything else means "go on".
constexpr int CALLBACK_KEEP_HEAD = -1; // the callback took care of the queue
constexpr int CALLBACK_HANDLED = 666;  // a failure already handled: report nothing, keep the head

using CommandCallback = std::function<int(FtpConnection& conn, bool ok)>;
using LoginCallback = std::function<int(FtpConnection& conn, bool ok)>;

struct FtpCommand {
    std::uint64_t serial = 0; // unique per engine: identity survives a freed record's reused address
    CommandKind kind = CMD_NONE;
    std::string text;       // the line as it goes on the wire, CR LF included ("PORT $" is a template)
    std::string local_path; // local file of a transfer
    CommandCallback callback;
    void* user_data1 = nullptr;
    void* user_data2 = nullptr;
    std::int64_t size = 0;           // upload: local file size; download: size announced in the 150 reply
    std::int64_t restart_offset = 0; // the offset this transfer (or its REST) was queued with
    std::int64_t listed_size = 0;    // download: the size the listing showed (for progress only)
    std::string reply;               // during the callback: the reply line that ended the command
    std::string reply_lines;         // every reply line received while this command was at the head
    // Set when the transfer went wrong on our side or on the data connection; the final reply then
    // fails the command with this text instead of completing it.
    std::string failure;
    bool created_file = false;      // download: the local file did not exist before this command made it
    bool local_file_failed = false; // the local file could not be opened: the server never heard of it
};

// The encryption a control connection asks for.
enum TlsMode : std::uint8_t {
    TLS_NONE = 0,                  // plain FTP
    TLS_EXPLICIT_IF_AVAILABLE = 1, // AUTH TLS; plain when the server refuses it
    TLS_EXPLICIT = 2,              // AUTH TLS, or the session ends before USER
    TLS_IMPLICIT = 3,              // TLS from the first byte
};

// Where a record's TLS stands. Until TLS_READY nothing but AUTH TLS goes out on it.
enum TlsStage : std::uint8_t {
    TLS_OFF = 0,
    TLS_HANDSHAKE = 1,
    TLS_DECIDING = 2, // the certificate waits for the user's word
    TLS_READY = 3,
};

struct FtpConnection {
    SocketHandle socket = 0;
    FtpConnection* parent = nullptr;          // data connection or listener: its control connection
    FtpConnection* data_connection = nullptr; // control: its current data connection or listener
    std::deque<std::unique_ptr<FtpCommand>> queue;
    void* owner = nullptr;
    std::string host; // "server:port" (control) or "a.b.c.d:port" (passive data connection)
    LoginCallback login_callback;
    std::string password, user_name, account;
    int file = -1;
    std::int64_t restart_offset = 0;
    SocketAddress address;
    std::uint8_t case_flags = 0; // bit 0: lower-case upload file names; bit 1: their folders
    std::uint8_t passive = 0;
    std::int16_t last_reply_code = 0;
    std::string buffer; // the receive buffer; its size is "buffer used"
    std::int64_t byte_total = 0;
    ConnectionState state = ST_NEW;
    std::uint8_t idle_count = 0;
    Role role = ROLE_NONE;
    std::uint8_t transfer_type = 0; // 0 ASCII, 1 image
    std::uint32_t busy = 0;
    std::uint8_t proxy_stage = 0;        // the SOCKS handshake's stage while one runs
    std::optional<SocksHandshake> socks; // the handshake with a SOCKS proxy, while it runs
    LookupHandle lookup = 0;
    std::string address_text; // dotted IPv4 address of the peer
    std::uint32_t lookup_message = 0;
    bool finished = false;
    float rate = 0; // kilobits per second
    std::uint32_t serial = 0;
    double start_time = 0;
    std::int64_t connect_pause_until = 0; // after a connect notification: when the next step may run
    std::vector<char> send_buffer;        // upload: bytes read from the file, sent from send_offset on
    std::size_t send_offset = 0;
    bool login_retried = false;       // the one repeat of USER and PASS after a 503 was used
    std::size_t open_reply_bytes = 0; // lines of a reply block whose last line has not come yet
    TlsMode tls_mode = TLS_NONE;      // control: what the session asked for
    std::unique_ptr<TlsSession> tls;
    TlsStage tls_stage = TLS_OFF;
    bool protected_data = false; // control: PROT P was accepted, so data connections speak TLS
    std::string tls_fingerprint; // control: the SHA-256 of the certificate this session trusts
    bool tls_closed = false;     // the peer sent its close_notify
    bool upload_sent = false;    // a TLS upload sent its close_notify and waits for the server to close
};

} // namespace kestovan
