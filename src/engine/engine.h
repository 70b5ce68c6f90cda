// The protocol engine: the list of connection records, the message handler that the engine installs
// on its window, the two timers, host resolution, connecting, the receive step and the rates. The
// command queue and replies live in control_channel.h, the senders in command_set.h, data
// connections in data_connection.h and proxies in proxy.h; they all work on this object.
//
// Everything runs on the one user-interface thread. Any call that can reach the shell (an event,
// a completion callback) may run a nested event loop that destroys records; code that goes on
// afterwards checks `is_live(conn, serial)` first.
#pragma once

#include "engine/ftp_connection.h"
#include "engine/proxy.h"
#include "platform/message.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <string_view>
#include <vector>

namespace kestovan {

class Window;

// Window messages and timers of the engine.
constexpr std::uint32_t TIMER_TIMEOUT = 30000;
constexpr std::uint32_t TIMER_PUMP = 30001;
constexpr std::uint32_t WM_FTP_CONNECT = 30002;
constexpr std::uint32_t WM_FTP_READ = 30003;
constexpr std::uint32_t WM_FTP_WRITE = 30004;
constexpr std::uint32_t WM_FTP_ACCEPT = 30005;
// Ours: ends the pause after a connect without blocking the thread.
constexpr std::uint32_t TIMER_CONNECT_PAUSE = 30006;
// Ours: a new record starts, or a command queued on an idle connection goes out, when this message
// is handled instead of at the pump's next visit (wparam: the record's serial).
constexpr std::uint32_t WM_FTP_KICK = 30007;
constexpr std::uint32_t WM_FTP_LOOKUP_BASE = 30010;
constexpr int LOOKUP_COUNTER_MAX = 9999;

constexpr int PUMP_PERIOD_MS = 50;
constexpr int CONNECT_PAUSE_MS = 50;
constexpr int MIN_TIMEOUT_MS = 4000;
constexpr int DEFAULT_TIMEOUT_MS = 8000;

// Receive sizes: the control connection reads small pieces; data connections read and send large
// blocks so a transfer is not held to a fraction of the machine's speed.
constexpr std::size_t CONTROL_READ_SIZE = 1120;
constexpr std::size_t DATA_BLOCK_SIZE = 256 * 1024;
// Uploads read and send in pieces small enough to stay in the processor's cache between the read
// and the send (measured: 64 KiB beats 256 KiB and sendfile on loopback), several per notification.
constexpr std::size_t UPLOAD_CHUNK_SIZE = 64 * 1024;
constexpr int UPLOAD_ROUNDS = 16;
// Bounds against hostile or broken servers.
constexpr std::size_t MAX_UNTERMINATED_REPLY = 1024 * 1024;
constexpr std::size_t MAX_CONTROL_BUFFER = 4 * 1024 * 1024;
constexpr std::size_t MAX_LISTING_SIZE = 256 * 1024 * 1024;
constexpr std::size_t MAX_STATUS_TEXT = 98;
constexpr std::size_t MAX_BLOCK_TEXT = 1000;

// The argument of an event: a number (error number, command kind) or a text.
struct EventArg {
    std::int64_t number = 0;
    std::string_view text;
};

using EventCallback = std::function<void(std::int32_t code, FtpConnection* conn, const EventArg& arg)>;

constexpr int CLOSE_GUARD_BUSY = -1;

class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // 1 on success; 0 when already initialised or without a callback.
    int engine_init(Window& window, int timeout_ms, EventCallback callback);
    void set_timeout(int ms);
    void engine_shutdown();
    [[nodiscard]] int timeout() const { return timeout_ms_; }
    [[nodiscard]] Window* window() const { return window_; }

    FtpConnection* new_connection();
    void destroy_connection(FtpConnection* conn, bool notify);
    void fail_connection(FtpConnection* conn);
    int close_connection_guarded(FtpConnection* conn);
    int destroy_all_connections();
    [[nodiscard]] bool is_live_connection(const void* pointer) const;
    [[nodiscard]] bool is_live(const FtpConnection* conn, std::uint32_t serial) const;
    void log_text(FtpConnection* conn, std::string_view text);
    void close_socket(FtpConnection& conn);
    [[nodiscard]] std::size_t connection_count() const { return records_.size(); }
    [[nodiscard]] std::vector<FtpConnection*> connections() const;

    // The state step: 1, or -1 after the record was failed or destroyed.
    int run_state(FtpConnection& conn);
    int receive_step(FtpConnection& conn);
    bool socket_message(const Message& message);
    void timer_tick(std::uint32_t timer_id);

    // Events to the shell. status() adds the leading space and cuts the text to 98 characters; its
    // code lets a caller tell a status apart whatever language the text is in.
    void raise(std::int32_t code, FtpConnection* conn, std::int64_t number = 0, std::string_view text = {});
    void status(FtpConnection* conn, std::string_view text, EngineStatus code = STATUS_TEXT);

    // Rates.
    // Asks for the head of an idle connection's queue to be sent once the current message is done.
    void kick(const FtpConnection& conn);

    void update_rate(FtpConnection& conn);
    void update_global_rate();
    void add_to_accumulator(std::int64_t bytes) { accumulator_ += static_cast<double>(bytes); }
    [[nodiscard]] double global_rate() const { return global_rate_; }

    [[nodiscard]] std::uint32_t failure_counter() const { return failure_counter_; }
    void count_failure() { ++failure_counter_; }
    [[nodiscard]] ProxySettings& proxy() { return proxy_; }
    [[nodiscard]] const ProxySettings& proxy() const { return proxy_; }
    // The local host name, looked up on first use and remembered (the SOCKS 4 user id when no user
    // name is set).
    [[nodiscard]] const std::string& host_name();
    [[nodiscard]] std::vector<char>& scratch() { return scratch_; }
    [[nodiscard]] std::uint32_t next_lookup_message();
    [[nodiscard]] std::uint64_t next_command_serial() { return ++command_serial_; }

    // TLS trust: a CA file trusted instead of the system's store (empty: the system's), and the file of the
    // certificates the user chose to trust always (empty: none, every unverified certificate is put
    // to the shell). Takes effect for connections that start TLS afterwards.
    void set_tls_trust(std::string ca_file, std::filesystem::path pin_file);
    [[nodiscard]] const std::filesystem::path& pin_file() const { return pin_file_; }
    // The TLS client context, made on first use; null (with the reason) when the CA file is unusable.
    [[nodiscard]] const TlsContext* tls_context(std::string* error);

    // Plaintext that arrived on a record, as from its socket: into the file of a download, the
    // buffer of a listing, or the replies of a control connection. 1, or -1 when the record went.
    int deliver_received(FtpConnection& conn, const char* data, std::size_t count);
    // The end of a data connection's data (the peer closed it).
    void data_closed(FtpConnection& conn);

    // Starts the host resolution of a record that has a socket (the ST_NEW step and the proxies).
    void resolve_host(FtpConnection& conn);
    // Takes over the parent's local file when the parent holds one.
    static void take_parent_file(FtpConnection& conn);

private:
    FtpConnection* find_by_socket(std::uint64_t socket) const;
    int step_new(FtpConnection& conn);
    int step_resolved(FtpConnection& conn);
    int step_connected(FtpConnection& conn);
    bool on_connect(const Message& m);
    bool on_read(const Message& m);
    bool on_write(const Message& m);
    bool on_lookup(const Message& m);
    void on_kick(std::uint32_t serial);
    // A session whose QUIT was answered (or refused) goes with its data connection.
    void close_answered_session(FtpConnection& conn);
    void socket_failure(FtpConnection& conn, int error);
    void end_connect_pause(FtpConnection& conn);
    void connect_pause_tick();
    void timeout_visits();
    void timeout_visit(FtpConnection& conn);
    int proxy_received(FtpConnection& conn, std::string_view data);

    std::list<std::unique_ptr<FtpConnection>> records_;
    FtpConnection* cursor_ = nullptr; // round-robin cursor; null: start at the head
    Window* window_ = nullptr;
    int filter_id_ = 0;
    std::shared_ptr<int> token_ = std::make_shared<int>(0);
    EventCallback callback_;
    int timeout_ms_ = DEFAULT_TIMEOUT_MS;
    int lookup_counter_ = 0;
    std::uint32_t serial_counter_ = 0;
    std::uint64_t command_serial_ = 0;
    double accumulator_ = 0;
    double global_rate_ = 0;
    double global_rate_time_ = 0;
    std::uint32_t failure_counter_ = 0;
    bool in_guarded_close_ = false;
    ProxySettings proxy_;
    std::string host_name_;
    std::vector<char> scratch_ = std::vector<char>(DATA_BLOCK_SIZE);
    std::string ca_file_;
    std::filesystem::path pin_file_;
    std::unique_ptr<TlsContext> tls_context_;
};

} // namespace kestovan
