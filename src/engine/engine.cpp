#include "engine/engine.h"

#include "engine/control_channel.h"
#include "engine/data_connection.h"
#include "engine/tls_channel.h"
#include "platform/clock.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "ui/language.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace kestovan {

Engine::Engine() = default;

Engine::~Engine()
{
    if (window_) {
        callback_ = nullptr;
        engine_shutdown();
    }
}

int Engine::engine_init(Window& window, int timeout_ms, EventCallback callback)
{
    if (window_ || !callback)
        return 0;
    window_ = &window;
    callback_ = std::move(callback);
    timeout_ms_ = timeout_ms;
    filter_id_ = window.install_filter([this](const Message& m) { return socket_message(m); });
    std::weak_ptr<int> token = token_;
    window.add_destroy_hook([this, token] {
        if (!token.expired() && window_)
            engine_shutdown();
    });
    if (timeout_ms > 0)
        window.set_timer(TIMER_TIMEOUT, timeout_ms);
    window.set_timer(TIMER_PUMP, PUMP_PERIOD_MS);
    return 1;
}

void Engine::set_timeout(int ms)
{
    if (ms == 0) {
        if (window_)
            window_->kill_timer(TIMER_TIMEOUT);
        timeout_ms_ = 0;
        return;
    }
    ms = std::max(ms, MIN_TIMEOUT_MS);
    if (window_ && window_->has_timer(TIMER_TIMEOUT)) {
        if (ms != timeout_ms_)
            window_->set_timer(TIMER_TIMEOUT, ms);
    } else if (window_ && timeout_ms_ == 0) {
        // A time-out switched off earlier and on again takes effect at once.
        window_->set_timer(TIMER_TIMEOUT, ms);
    }
    timeout_ms_ = ms;
}

void Engine::set_tls_trust(std::string ca_file, std::filesystem::path pin_file)
{
    if (ca_file != ca_file_)
        tls_context_.reset();
    ca_file_ = std::move(ca_file);
    pin_file_ = std::move(pin_file);
}

const TlsContext* Engine::tls_context(std::string* error)
{
    if (!tls_context_)
        tls_context_ = TlsContext::create(ca_file_, error);
    return tls_context_.get();
}

void Engine::engine_shutdown()
{
    callback_ = nullptr;
    for (int i = 0; i < 10000 && !records_.empty(); ++i)
        destroy_connection(records_.front().get(), true);
    records_.clear();
    cursor_ = nullptr;
    if (window_) {
        window_->kill_timer(TIMER_TIMEOUT);
        window_->kill_timer(TIMER_PUMP);
        window_->kill_timer(TIMER_CONNECT_PAUSE);
        window_->remove_filter(filter_id_);
    }
    proxy_ = ProxySettings{};
    window_ = nullptr;
}

FtpConnection* Engine::new_connection()
{
    auto record = std::make_unique<FtpConnection>();
    record->serial = ++serial_counter_;
    record->start_time = static_cast<double>(now_ms()) - 100.0;
    records_.push_back(std::move(record));
    return records_.back().get();
}

std::vector<FtpConnection*> Engine::connections() const
{
    std::vector<FtpConnection*> all;
    for (const auto& r : records_)
        all.push_back(r.get());
    return all;
}

bool Engine::is_live_connection(const void* pointer) const
{
    return pointer &&
           std::any_of(records_.begin(), records_.end(), [&](const auto& r) { return r.get() == pointer; });
}

bool Engine::is_live(const FtpConnection* conn, std::uint32_t serial) const
{
    return is_live_connection(conn) && conn->serial == serial;
}

void Engine::close_socket(FtpConnection& conn)
{
    if (conn.socket) {
        async_select(conn.socket, nullptr, 0, 0);
        socket_close(conn.socket);
        conn.socket = 0;
    }
}

void Engine::destroy_connection(FtpConnection* conn, bool notify)
{
    auto it = std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.get() == conn; });
    if (it == records_.end())
        return;
    close_socket(*conn);
    if (notify) {
        const std::uint32_t serial = conn->serial;
        raise(EV_CLOSED, conn);
        if (!is_live(conn, serial))
            return; // the shell destroyed it while handling the event
        it = std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.get() == conn; });
    }
    std::unique_ptr<FtpConnection> record = std::move(*it);
    records_.erase(it);
    if (record->lookup)
        cancel_lookup(record->lookup);
    if (record->file >= 0)
        ::close(record->file);
    record->file = -1;
    // Nothing may keep pointing at a freed record; a data connection or listener left without its
    // control connection serves nothing and goes too.
    std::vector<FtpConnection*> orphans;
    for (auto& r : records_) {
        if (r->data_connection == conn) {
            r->data_connection = nullptr;
            // A transfer held for this connection can now fail without it.
            if (r->busy == 0 && !r->queue.empty())
                kick(*r);
        }
        if (r->parent == conn) {
            r->parent = nullptr;
            orphans.push_back(r.get());
        }
    }
    cursor_ = nullptr;
    record.reset();
    for (FtpConnection* orphan : orphans)
        destroy_connection(orphan, notify);
}

void Engine::fail_connection(FtpConnection* conn)
{
    if (!is_live_connection(conn))
        return;
    const std::uint32_t serial = conn->serial;
    if (!conn->queue.empty() && conn->queue.front()->callback) {
        CommandCallback callback = conn->queue.front()->callback;
        callback(*conn, false);
        if (!is_live(conn, serial))
            return;
    }
    if (conn->login_callback) {
        LoginCallback login = conn->login_callback;
        int result = login(*conn, false);
        if (!is_live(conn, serial) || result == CALLBACK_KEEP_HEAD)
            return;
    }
    if (conn->data_connection)
        destroy_connection(conn->data_connection, true);
    if (is_live(conn, serial))
        destroy_connection(conn, true);
}

int Engine::close_connection_guarded(FtpConnection* conn)
{
    if (in_guarded_close_)
        return CLOSE_GUARD_BUSY;
    if (!is_live_connection(conn))
        return 0;
    in_guarded_close_ = true;
    const std::uint32_t serial = conn->serial;
    if (conn->data_connection)
        destroy_connection(conn->data_connection, true);
    if (is_live(conn, serial))
        destroy_connection(conn, true);
    in_guarded_close_ = false;
    return 1;
}

int Engine::destroy_all_connections()
{
    int count = 0;
    while (!records_.empty()) {
        destroy_connection(records_.front().get(), true);
        ++count;
    }
    return count;
}

void Engine::log_text(FtpConnection* conn, std::string_view text)
{
    raise(EV_LOG, conn, 0, text);
}

void Engine::raise(std::int32_t code, FtpConnection* conn, std::int64_t number, std::string_view text)
{
    if (callback_) {
        EventCallback callback = callback_; // the handler may replace the engine's callback
        callback(code, conn, EventArg{number, text});
    }
}

void Engine::status(FtpConnection* conn, std::string_view text, EngineStatus code)
{
    std::string line = " ";
    line.append(text.substr(0, MAX_STATUS_TEXT));
    raise(EV_STATUS, conn, code, line);
}

const std::string& Engine::host_name()
{
    if (host_name_.empty())
        host_name_ = local_host_name();
    return host_name_;
}

std::uint32_t Engine::next_lookup_message()
{
    if (++lookup_counter_ > LOOKUP_COUNTER_MAX)
        lookup_counter_ = 0;
    return WM_FTP_LOOKUP_BASE + static_cast<std::uint32_t>(lookup_counter_);
}

FtpConnection* Engine::find_by_socket(std::uint64_t socket) const
{
    if (socket == 0)
        return nullptr;
    for (const auto& r : records_)
        if (r->socket == socket)
            return r.get();
    return nullptr;
}

// --- rates -------------------------------------------------------------------------------------

void Engine::update_rate(FtpConnection& conn)
{
    double elapsed = static_cast<double>(now_ms()) - conn.start_time;
    if (elapsed > 0)
        conn.rate = static_cast<float>(static_cast<double>(conn.byte_total) * 8.0 / elapsed);
}

void Engine::update_global_rate()
{
    double now = static_cast<double>(now_ms());
    if (global_rate_time_ == 0) {
        global_rate_ = 0;
        global_rate_time_ = now;
        return;
    }
    double elapsed = now - global_rate_time_;
    if (elapsed > 1000) {
        global_rate_ = accumulator_ * 8000.0 / elapsed;
        global_rate_time_ = now;
        accumulator_ = 0;
    }
}

// --- the message handler -------------------------------------------------------------------------

bool Engine::socket_message(const Message& m)
{
    if (records_.empty())
        return false;
    switch (m.id) {
    case WM_TIMER:
        if (m.wparam == TIMER_TIMEOUT || m.wparam == TIMER_PUMP) {
            timer_tick(static_cast<std::uint32_t>(m.wparam));
            return true;
        }
        if (m.wparam == TIMER_CONNECT_PAUSE) {
            connect_pause_tick();
            return true;
        }
        update_global_rate();
        return false;
    case WM_FTP_KICK: on_kick(static_cast<std::uint32_t>(m.wparam)); return true;
    case WM_FTP_CONNECT: return on_connect(m);
    case WM_FTP_READ: return on_read(m);
    case WM_FTP_WRITE: return on_write(m);
    case WM_FTP_ACCEPT: {
        FtpConnection* listener = find_by_socket(m.wparam);
        if (!listener)
            return false;
        accept_data_connection(*this, *listener);
        return true;
    }
    default:
        if (m.id > 29999 && on_lookup(m))
            return true;
        update_global_rate();
        return false;
    }
}

void Engine::socket_failure(FtpConnection& conn, int error)
{
    const std::uint32_t serial = conn.serial;
    raise(EV_SOCKET_ERROR, &conn, error);
    if (!is_live(&conn, serial))
        return;
    mark_data_failure(*this, conn, error);
    conn.busy += 8;
    fail_connection(&conn);
}

void Engine::kick(const FtpConnection& conn)
{
    if (window_)
        window_->post_message(WM_FTP_KICK, conn.serial);
}

void Engine::on_kick(std::uint32_t serial)
{
    for (auto& r : records_)
        if (r->serial == serial) {
            if (r->state == ST_NEW)
                run_state(*r);
            else if (r->busy == 0 && !r->queue.empty() && r->state == ST_READY && r->socket)
                send_next_command(*this, *r);
            else if (r->role == ROLE_CLOSING)
                close_answered_session(*r);
            return;
        }
}

void Engine::close_answered_session(FtpConnection& conn)
{
    const std::uint32_t serial = conn.serial;
    if (conn.data_connection)
        destroy_connection(conn.data_connection, true);
    if (is_live(&conn, serial))
        destroy_connection(&conn, true);
}

bool Engine::on_connect(const Message& m)
{
    FtpConnection* conn = find_by_socket(m.wparam);
    if (!conn)
        return false;
    if (int error = select_error(m)) {
        socket_failure(*conn, error);
        return true;
    }
    if (conn->state == ST_CONNECTED)
        return false;
    const std::uint32_t serial = conn->serial;
    raise(EV_CONNECTED, conn);
    if (!is_live(conn, serial))
        return true;
    if (conn->role != ROLE_CONTROL) {
        // The pause after a connect is for control connections; a data connection pays it on every
        // listing and every file for nothing.
        end_connect_pause(*conn);
        return true;
    }
    // The pause after a connect runs on a timer instead of blocking the thread. It is there so that
    // nothing is sent before the server is ready: a server whose greeting has arrived is, so the
    // pause ends with it (a silent server still gets the whole pause).
    conn->connect_pause_until = now_ms() + CONNECT_PAUSE_MS;
    if (!uses_socks(*this, *conn))
        async_select(conn->socket, window_, WM_FTP_READ, FD_READ | FD_CLOSE);
    if (window_ && !window_->has_timer(TIMER_CONNECT_PAUSE))
        window_->set_timer(TIMER_CONNECT_PAUSE, CONNECT_PAUSE_MS);
    return true;
}

void Engine::connect_pause_tick()
{
    std::int64_t now = now_ms();
    std::int64_t next_due = 0;
    std::vector<std::pair<FtpConnection*, std::uint32_t>> due;
    for (auto& r : records_) {
        if (r->connect_pause_until == 0)
            continue;
        if (r->connect_pause_until <= now)
            due.emplace_back(r.get(), r->serial);
        else if (next_due == 0 || r->connect_pause_until < next_due)
            next_due = r->connect_pause_until;
    }
    if (window_) {
        if (next_due)
            window_->set_timer(TIMER_CONNECT_PAUSE,
                               static_cast<int>(std::max<std::int64_t>(1, next_due - now)));
        else
            window_->kill_timer(TIMER_CONNECT_PAUSE);
    }
    for (auto [conn, serial] : due)
        if (is_live(conn, serial))
            end_connect_pause(*conn);
}

void Engine::end_connect_pause(FtpConnection& conn)
{
    conn.connect_pause_until = 0;
    if (conn.role != ROLE_CONTROL && conn.parent) {
        take_parent_file(conn);
        conn.restart_offset = conn.parent->restart_offset;
    }
    if (uses_socks(*this, conn)) {
        conn.proxy_stage = 0;
        conn.socks.reset();
        proxy_step(*this, conn);
        return;
    }
    conn.state = ST_CONNECTED;
    run_state(conn);
}

void Engine::take_parent_file(FtpConnection& conn)
{
    if (conn.parent && conn.parent->file >= 0 && conn.file < 0) {
        conn.file = conn.parent->file;
        conn.parent->file = -1;
    }
}

bool Engine::on_read(const Message& m)
{
    FtpConnection* conn = find_by_socket(m.wparam);
    if (!conn)
        return false;
    if (int error = select_error(m)) {
        socket_failure(*conn, error);
        return true;
    }
    if (conn->connect_pause_until != 0) {
        // The greeting (or a close) during the pause: USER goes now, and what arrived is read after
        // it, as it would have been after the whole pause.
        end_connect_pause(*conn);
        return true;
    }
    // A record that speaks TLS listens for every event under one message.
    if (conn->tls && (select_event(m) & FD_WRITE)) {
        tls_writable(*this, *conn);
        return true;
    }
    if (conn->state != ST_PROXY)
        conn->state = ST_READY;
    if (select_event(m) & FD_READ) {
        run_state(*conn);
    } else if (select_event(m) & FD_CLOSE) {
        if (conn->state == ST_PROXY)
            proxy_closed(*this, *conn);
        else if (conn->upload_sent)
            tls_peer_closed(*this, *conn);
        else if (conn->role != ROLE_CONTROL)
            data_closed(*conn);
        else if (conn->tls)
            tls_peer_closed(*this, *conn);
    }
    return true;
}

void Engine::data_closed(FtpConnection& conn)
{
    const std::uint32_t serial = conn.serial;
    drain_data_connection(*this, conn);
    if (!is_live(&conn, serial))
        return;
    close_socket(conn);
    conn.finished = true;
    FtpConnection* parent = conn.parent;
    if (parent && parent->state == ST_HOLD_REPLY)
        process_replies(*this, *parent);
}

bool Engine::on_write(const Message& m)
{
    FtpConnection* conn = find_by_socket(m.wparam);
    if (!conn)
        return false;
    if (int error = select_error(m)) {
        socket_failure(*conn, error);
        return true;
    }
    if (conn->tls) {
        tls_writable(*this, *conn);
        return true;
    }
    conn->state = ST_SENDING;
    run_state(*conn);
    return true;
}

bool Engine::on_lookup(const Message& m)
{
    FtpConnection* conn = nullptr;
    for (auto& r : records_)
        if (r->lookup_message == m.id && r->lookup == m.wparam)
            conn = r.get();
    if (!conn)
        return false;
    LookupHandle handle = conn->lookup;
    conn->lookup = 0;
    conn->lookup_message = 0;
    if (async_error(m) != 0) {
        release_lookup(handle);
        const std::uint32_t serial = conn->serial;
        status(conn, load_string(IDS_STATUS_HOST_NOT_FOUND), STATUS_HOST_NOT_FOUND);
        if (!is_live(conn, serial))
            return true;
        conn->state = ST_NEW;
        conn->busy += 0x108;
        fail_connection(conn);
        return true;
    }
    if (auto address = lookup_first_address(handle))
        conn->address_text = *address;
    release_lookup(handle);
    conn->state = ST_RESOLVED;
    if (conn->proxy_stage != 0) {
        proxy_step(*this, *conn);
    } else {
        run_state(*conn);
    }
    return true;
}

// --- the timer tick ------------------------------------------------------------------------------

void Engine::timer_tick(std::uint32_t timer_id)
{
    if (records_.empty())
        return;
    auto it = records_.begin();
    if (cursor_) {
        it =
            std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.get() == cursor_; });
        if (it == records_.end())
            it = records_.begin();
    }
    FtpConnection* conn = it->get();
    auto next = std::next(it);
    cursor_ = next == records_.end() ? nullptr : next->get();
    const std::uint32_t serial = conn->serial;

    if (timer_id == TIMER_PUMP && !conn->queue.empty()) {
        raise(EV_TICK, conn);
        if (!is_live(conn, serial))
            return;
    }
    if (conn->busy == 0 && !conn->queue.empty() && conn->state == ST_READY) {
        send_next_command(*this, *conn);
    } else if (conn->role == ROLE_CLOSING) {
        close_answered_session(*conn);
        return;
    } else if (conn->state == ST_HOLD_REPLY) {
        if (!conn->data_connection || conn->data_connection->finished)
            process_replies(*this, *conn);
    } else if (conn->state == ST_NEW || conn->state == ST_SENDING) {
        run_state(*conn);
    }
    if (timer_id == TIMER_TIMEOUT)
        timeout_visits();
}

void Engine::timeout_visits()
{
    // Every waiting record counts every period. Counting only the record under the round-robin
    // cursor would stretch the time-out by the number of records: a stalled download (control and
    // data record) took twice as long to give up, twenty open sessions twenty times.
    std::vector<std::pair<FtpConnection*, std::uint32_t>> waiting;
    for (const auto& r : records_) {
        // A certificate before the user's eyes is no stalled server.
        if (r->tls_stage == TLS_DECIDING)
            r->idle_count = 0;
        else if (!r->queue.empty())
            waiting.emplace_back(r.get(), r->serial);
    }
    for (auto [conn, serial] : waiting)
        if (is_live(conn, serial) && !conn->queue.empty())
            timeout_visit(*conn);
}

void Engine::timeout_visit(FtpConnection& conn)
{
    if (++conn.idle_count <= 2)
        return;
    const std::uint32_t serial = conn.serial;
    raise(EV_TIMEOUT, &conn);
    if (records_.empty() || !is_live(&conn, serial))
        return;
    if (conn.data_connection)
        destroy_connection(conn.data_connection, true);
    if (!is_live(&conn, serial))
        return;
    conn.idle_count = 0;
    if (conn.state == ST_HOLD_REPLY && !conn.buffer.empty()) {
        // Replies held for the listing belong to the command that timed out, not to the next one.
        std::string held = std::move(conn.buffer);
        conn.buffer.clear();
        log_text(&conn, held);
        if (!is_live(&conn, serial))
            return;
    }
    conn.state = ST_READY;
    if (conn.queue.empty())
        return;
    CommandKind head = conn.queue.front()->kind;
    if (head == CMD_USER || head == CMD_PASS || head == CMD_ACCT) {
        fail_connection(&conn);
    } else if (head == CMD_QUIT) {
        // A server that does not answer QUIT is done with: the session ends here.
        destroy_connection(&conn, true);
    } else if (is_transfer_kind(head)) {
        // A transfer that has run dry ends as failed, so whoever waits for it (a Tasks row, a folder
        // walk) learns of it; what was queued behind it goes, as for any other command.
        while (conn.queue.size() > 1)
            conn.queue.pop_back();
        FtpCommand& transfer = *conn.queue.front();
        if (transfer.failure.empty())
            transfer.failure = load_string(IDS_ERR_TRANSFER_TIMED_OUT);
        const std::string failure = transfer.failure;
        fail_command(*this, conn, failure);
    } else {
        clear_queue(*this, conn);
    }
}

// --- the state step ------------------------------------------------------------------------------

int Engine::run_state(FtpConnection& conn)
{
    if (!conn.socket && conn.state != ST_NEW) {
        conn.state = ST_NEW;
        return 1;
    }
    if (conn.state != ST_READY)
        conn.idle_count = 0;
    switch (conn.state) {
    case ST_NEW: return step_new(conn);
    case ST_RESOLVED: return step_resolved(conn);
    case ST_CONNECTED: return step_connected(conn);
    case ST_READY:
    case ST_PROXY: return receive_step(conn);
    case ST_SENDING: return upload_step(*this, conn);
    case ST_LISTENING:
    case ST_HOLD_REPLY:
    case ST_RESOLVING: return 1;
    }
    return 1;
}

int Engine::step_new(FtpConnection& conn)
{
    conn.buffer.clear();
    conn.buffer.shrink_to_fit();
    // A record started over in the middle of a handshake connects to the proxy again, not to the
    // target at the proxy's port.
    conn.proxy_stage = 0;
    conn.socks.reset();
    close_socket(conn);
    reset_tls(*this, conn);
    conn.socket = socket_open();
    if (!conn.socket) {
        status(&conn, load_string(IDS_STATUS_NO_SOCKET_WAITING));
        return 1;
    }
    conn.state = ST_RESOLVING;
    conn.lookup_message = next_lookup_message();
    const std::uint32_t serial = conn.serial;
    resolve_host(conn);
    return is_live(&conn, serial) ? 1 : -1;
}

void Engine::resolve_host(FtpConnection& conn)
{
    if (!window_ || conn.host.empty())
        return;
    const std::uint32_t serial = conn.serial;
    raise(EV_RESOLVING, &conn);
    if (!is_live(&conn, serial))
        return;
    std::string name = connect_name(*this, conn);
    bool numeric = !name.empty() && name.find_first_not_of("0123456789.:") == std::string::npos;
    if (numeric) {
        conn.address_text = name.substr(0, name.find(':'));
        conn.state = ST_RESOLVED;
        if (conn.proxy_stage != 0) {
            proxy_step(*this, conn);
        } else {
            run_state(conn);
        }
        return;
    }
    if (conn.lookup_message == 0)
        conn.lookup_message = next_lookup_message();
    conn.lookup = async_get_host_by_name(*window_, conn.lookup_message, name);
    if (!conn.lookup)
        conn.state = ST_NEW;
}

int Engine::step_resolved(FtpConnection& conn)
{
    const std::uint32_t serial = conn.serial;
    raise(EV_CONNECTING, &conn);
    if (!is_live(&conn, serial))
        return -1;
    auto ip = parse_dotted(conn.address_text);
    if (!ip) {
        status(&conn, load_string(IDS_STATUS_ADDRESS_TRANSLATION));
        if (is_live(&conn, serial))
            conn.state = ST_NEW;
        return is_live(&conn, serial) ? 1 : -1;
    }
    conn.address = SocketAddress{*ip, static_cast<std::uint16_t>(connect_port(*this, conn))};
    if (async_select(conn.socket, window_, WM_FTP_CONNECT, FD_CONNECT) != 0) {
        raise(EV_SOCKET_ERROR, &conn, last_socket_error());
        return is_live(&conn, serial) ? 1 : -1;
    }
    if (socket_connect(conn.socket, conn.address) != 0 && last_socket_error() != WSAEWOULDBLOCK) {
        int error = last_socket_error();
        async_select(conn.socket, window_, 0, 0);
        socket_failure(conn, error);
        return -1;
    }
    return 1;
}

int Engine::step_connected(FtpConnection& conn)
{
    const std::uint32_t serial = conn.serial;
    if (start_tls_if_wanted(*this, conn)) {
        if (!is_live(&conn, serial))
            return -1;
        if (conn.role == ROLE_UPLOAD)
            conn.state = ST_SENDING;
    } else if (conn.role == ROLE_UPLOAD) {
        if (async_select(conn.socket, window_, WM_FTP_WRITE, FD_WRITE) != 0) {
            raise(EV_SOCKET_ERROR, &conn, last_socket_error());
            if (is_live(&conn, serial))
                fail_connection(&conn);
            return -1;
        }
        conn.state = ST_SENDING;
    } else if (async_select(conn.socket, window_, WM_FTP_READ, FD_READ | FD_CLOSE) != 0) {
        raise(EV_SOCKET_ERROR, &conn, last_socket_error());
        if (!is_live(&conn, serial))
            return -1;
    }
    status(&conn, format_string<IDS_STATUS_CONNECTED_TO>(conn.host));
    if (!is_live(&conn, serial))
        return -1;
    if (conn.parent && conn.parent->busy == 0 && !conn.parent->queue.empty())
        kick(*conn.parent); // releases the transfer command held for this connection
    if (!conn.queue.empty())
        send_next_command(*this, conn);
    return is_live(&conn, serial) ? 1 : -1;
}

// --- receiving -----------------------------------------------------------------------------------

int Engine::receive_step(FtpConnection& conn)
{
    const bool control = conn.role == ROLE_CONTROL;
    if (conn.role == ROLE_DOWNLOAD)
        take_parent_file(conn);
    const std::size_t want = control ? CONTROL_READ_SIZE : DATA_BLOCK_SIZE;
    long got = socket_recv(conn.socket, scratch_.data(), want);
    const std::uint32_t serial = conn.serial;
    if (got < 0) {
        int error = last_socket_error();
        if (error != WSAEWOULDBLOCK) {
            raise(EV_SOCKET_ERROR, &conn, error);
            if (is_live(&conn, serial))
                mark_data_failure(*this, conn, error);
        }
        return is_live(&conn, serial) ? 1 : -1;
    }
    // On the control connection only a whole line counts as activity: a server that drips its
    // replies a byte at a time would otherwise hold the session for ever.
    if (!control || got == 0 || std::memchr(scratch_.data(), '\n', static_cast<std::size_t>(got))) {
        conn.idle_count = 0;
        if (conn.parent)
            conn.parent->idle_count = 0;
    }
    if (got == 0)
        return 1;
    if (conn.tls && conn.state != ST_PROXY)
        return tls_received(*this, conn, scratch_.data(), static_cast<std::size_t>(got));
    return deliver_received(conn, scratch_.data(), static_cast<std::size_t>(got));
}

int Engine::proxy_received(FtpConnection& conn, std::string_view data)
{
    const std::uint32_t serial = conn.serial;
    std::string rest;
    if (proxy_step(*this, conn, data, rest) < 0 || !is_live(&conn, serial))
        return -1;
    // Still in the handshake, or started over after a failed send.
    if (conn.state != ST_READY)
        return 1;
    if (conn.role == ROLE_CONTROL && start_tls_if_wanted(*this, conn))
        return 1; // the server speaks only after our TLS hello: nothing followed the proxy's reply
    if (conn.role != ROLE_CONTROL) {
        // Through the proxy now: a data connection goes on as after a direct connect (an upload
        // starts sending); what followed the proxy's reply is the transfer's first data.
        conn.state = ST_CONNECTED;
        if (step_connected(conn) < 0 || !is_live(&conn, serial))
            return -1;
        if (conn.role == ROLE_UPLOAD)
            return 1;
        conn.state = ST_READY;
    }
    return rest.empty() ? 1 : deliver_received(conn, rest.data(), rest.size());
}

int Engine::deliver_received(FtpConnection& conn, const char* data, std::size_t count)
{
    const std::uint32_t serial = conn.serial;
    if (conn.state == ST_PROXY)
        return proxy_received(conn, std::string_view(data, count));
    if (conn.file >= 0 && conn.role == ROLE_DOWNLOAD) {
        if (!write_all(conn.file, data, count)) {
            transfer_write_failed(*this, conn);
            return is_live(&conn, serial) ? 1 : -1;
        }
        conn.byte_total += static_cast<std::int64_t>(count);
        add_to_accumulator(static_cast<std::int64_t>(count));
        update_rate(conn);
        update_global_rate();
        raise(EV_RECEIVED, &conn);
        return is_live(&conn, serial) ? 1 : -1;
    }
    const std::size_t limit = conn.role == ROLE_CONTROL ? MAX_CONTROL_BUFFER : MAX_LISTING_SIZE;
    if (conn.buffer.size() + count > limit) {
        protocol_violation(
            *this, conn,
            load_string(conn.role == ROLE_CONTROL ? IDS_ERR_REPLY_TOO_LONG : IDS_ERR_LISTING_TOO_LARGE));
        return -1;
    }
    conn.buffer.append(data, count);
    raise(EV_RECEIVED, &conn);
    if (!is_live(&conn, serial))
        return -1;
    if (conn.role == ROLE_CONTROL) {
        process_replies(*this, conn);
        if (!is_live(&conn, serial))
            return -1;
        if (conn.buffer.size() > MAX_UNTERMINATED_REPLY && conn.buffer.find('\n') == std::string::npos) {
            protocol_violation(*this, conn, load_string(IDS_ERR_REPLY_WITHOUT_END));
            return -1;
        }
    }
    return 1;
}

} // namespace kestovan
