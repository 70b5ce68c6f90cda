#include "engine/tls_channel.h"

#include "engine/control_channel.h"
#include "engine/data_connection.h"
#include "engine/proxy.h"
#include "platform/certificate_store.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "ui/language.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kestovan {

namespace {

bool is_data_role(Role role)
{
    return role == ROLE_LIST || role == ROLE_DOWNLOAD || role == ROLE_UPLOAD;
}

bool is_login_kind(CommandKind kind)
{
    return kind == CMD_USER || kind == CMD_PASS || kind == CMD_ACCT;
}

// A record that speaks TLS always listens for input (handshake messages and the peer's records come
// whatever the role), and for room in the socket while bytes wait or an upload runs.
void select_events(Engine& engine, FtpConnection& conn)
{
    if (!conn.socket || !conn.tls)
        return;
    const bool uploading =
        conn.role == ROLE_UPLOAD && conn.tls_stage == TLS_READY && conn.file >= 0 && !conn.upload_sent;
    std::uint32_t events = FD_READ | FD_CLOSE;
    if (uploading || !conn.tls->output().empty())
        events |= FD_WRITE;
    async_select(conn.socket, engine.window(), WM_FTP_READ, events);
}

// Sends what the session holds, as much as the socket takes now. 0, or the Windows Sockets error.
int flush(Engine& engine, FtpConnection& conn)
{
    while (conn.socket && conn.tls && !conn.tls->output().empty()) {
        const std::string_view out = conn.tls->output();
        const long sent = socket_send(conn.socket, out.data(), out.size());
        if (sent < 0) {
            const int error = last_socket_error();
            if (error == WSAEWOULDBLOCK)
                break;
            return error;
        }
        conn.tls->consume(static_cast<std::size_t>(sent));
    }
    select_events(engine, conn);
    return 0;
}

int fail_socket(Engine& engine, FtpConnection& conn, int error)
{
    const std::uint32_t serial = conn.serial;
    engine.raise(EV_SOCKET_ERROR, &conn, error);
    if (engine.is_live(&conn, serial)) {
        mark_data_failure(engine, conn, error);
        engine.fail_connection(&conn);
    }
    return -1;
}

// Ends a control connection before anything of its login goes out: the queue goes without a word to
// the server, then the login fails.
int end_before_login(Engine& engine, FtpConnection& conn, EngineError sub, const std::string& text)
{
    const std::uint32_t serial = conn.serial;
    engine.raise(make_error_event(sub), &conn, 0, text);
    if (!engine.is_live(&conn, serial))
        return -1;
    clear_queue(engine, conn);
    if (engine.is_live(&conn, serial))
        engine.fail_connection(&conn);
    return -1;
}

// TLS could not be set up on a record (no context, a failed handshake, a closed connection).
int tls_failed(Engine& engine, FtpConnection& conn, const std::string& reason)
{
    if (conn.role == ROLE_CONTROL)
        return end_before_login(engine, conn, ERR_TLS_UNAVAILABLE,
                                format_string<IDS_ERR_TLS_HANDSHAKE>(host_of(conn.host), reason));
    protocol_violation(engine, conn, format_string<IDS_ERR_TLS_BROKEN>(reason));
    return -1;
}

FtpCommand* insert_command(Engine& engine, FtpConnection& conn, std::size_t at, CommandKind kind,
                           std::string text, CommandCallback callback)
{
    auto command = std::make_unique<FtpCommand>();
    command->serial = engine.next_command_serial();
    command->kind = kind;
    command->text = std::move(text);
    command->callback = std::move(callback);
    FtpCommand* queued = command.get();
    conn.queue.insert(conn.queue.begin() + static_cast<std::ptrdiff_t>(std::min(at, conn.queue.size())),
                      std::move(command));
    const std::uint32_t serial = conn.serial;
    engine.raise(EV_QUEUED, &conn);
    return engine.is_live(&conn, serial) ? queued : nullptr;
}

// PROT P ends the login of a TLS session, as PASS or ACCT would without TLS: the login callback
// follows when nothing else was queued behind it.
int protection_callback(FtpConnection& conn, bool ok)
{
    conn.protected_data = ok;
    if (conn.queue.size() == 1 && conn.login_callback) {
        LoginCallback login = conn.login_callback;
        login(conn, true);
    }
    return 1;
}

// PBSZ 0 and PROT P go right behind the login (USER, PASS, ACCT), ahead of anything queued after it.
void queue_data_protection(Engine& engine, FtpConnection& conn)
{
    std::size_t at = 0;
    while (at < conn.queue.size() && is_login_kind(conn.queue[at]->kind))
        ++at;
    if (!insert_command(engine, conn, at, CMD_PBSZ, "PBSZ 0\r\n", {}))
        return;
    insert_command(engine, conn, at + 1, CMD_PROT, "PROT P\r\n", protection_callback);
}

int control_established(Engine& engine, FtpConnection& conn)
{
    const std::uint32_t serial = conn.serial;
    engine.raise(EV_TLS, &conn, TLS_NOTICE_ESTABLISHED,
                 format_string<IDS_LOG_TLS_ESTABLISHED>(conn.tls->version(), conn.tls->cipher()));
    if (!engine.is_live(&conn, serial))
        return -1;
    const std::string server = host_of(conn.host);
    const int port = host_text_port(conn.host);
    const std::optional<CertificateInfo> certificate = conn.tls->peer_certificate();
    if (!certificate)
        return end_before_login(engine, conn, ERR_TLS_CERTIFICATE,
                                format_string<IDS_ERR_TLS_NO_CERTIFICATE>(server));
    bool trusted = false;
    if (!engine.pin_file().empty()) {
        if (auto pinned = CertificateStore(engine.pin_file()).pinned(server, port)) {
            if (*pinned != certificate->sha256)
                return end_before_login(
                    engine, conn, ERR_TLS_CERTIFICATE,
                    format_string<IDS_ERR_TLS_CERTIFICATE_CHANGED>(server + ":" + std::to_string(port),
                                                                   *pinned, certificate->sha256));
            trusted = true;
        }
    }
    if (!trusted && !certificate->verified()) {
        conn.tls_stage = TLS_DECIDING;
        engine.raise(EV_CERTIFICATE, &conn);
        if (!engine.is_live(&conn, serial))
            return -1;
        if (conn.tls_stage != TLS_READY)
            return end_before_login(
                engine, conn, ERR_TLS_CERTIFICATE,
                format_string<IDS_ERR_TLS_CERTIFICATE_NOT_TRUSTED>(server, certificate->sha256));
    }
    conn.tls_stage = TLS_READY;
    conn.tls_fingerprint = certificate->sha256;
    queue_data_protection(engine, conn);
    if (engine.is_live(&conn, serial) && conn.busy == 0 && !conn.queue.empty())
        send_next_command(engine, conn);
    return engine.is_live(&conn, serial) ? 1 : -1;
}

int data_established(Engine& engine, FtpConnection& conn)
{
    // The data connection must reach the server the control connection trusts.
    const std::optional<CertificateInfo> certificate = conn.tls->peer_certificate();
    const std::string offered = certificate ? certificate->sha256 : std::string("-");
    if (!conn.parent || offered != conn.parent->tls_fingerprint) {
        protocol_violation(engine, conn, format_string<IDS_ERR_TLS_DATA_CERTIFICATE>(offered));
        return -1;
    }
    conn.tls_stage = TLS_READY;
    select_events(engine, conn);
    return conn.role == ROLE_UPLOAD ? tls_upload_step(engine, conn) : 1;
}

int handshake_step(Engine& engine, FtpConnection& conn)
{
    const TlsStatus status = conn.tls->handshake();
    if (int error = flush(engine, conn))
        return fail_socket(engine, conn, error);
    switch (status) {
    case TlsStatus::WANT_MORE: return 1;
    case TlsStatus::FAILED: return tls_failed(engine, conn, conn.tls->error());
    case TlsStatus::DONE:
        return conn.role == ROLE_CONTROL ? control_established(engine, conn) : data_established(engine, conn);
    }
    return 1;
}

int begin_tls(Engine& engine, FtpConnection& conn, std::string_view host, const TlsSession* resume)
{
    std::string error;
    if (const TlsContext* context = engine.tls_context(&error))
        conn.tls = TlsSession::client(*context, host, resume);
    if (!conn.tls)
        return tls_failed(engine, conn, error.empty() ? load_string(IDS_ERR_TLS_NO_SESSION) : error);
    conn.tls_stage = TLS_HANDSHAKE;
    return handshake_step(engine, conn);
}

int auth_callback(Engine& engine, FtpConnection& conn, bool ok)
{
    if (ok) {
        begin_tls(engine, conn, host_of(conn.host), nullptr);
        return 1;
    }
    const std::uint32_t serial = conn.serial;
    const std::string reply = conn.queue.empty() ? std::string() : conn.queue.front()->reply;
    if (conn.tls_mode != TLS_EXPLICIT_IF_AVAILABLE) {
        end_before_login(engine, conn, ERR_TLS_UNAVAILABLE, format_string<IDS_ERR_TLS_REFUSED>(reply));
        return CALLBACK_HANDLED;
    }
    engine.raise(EV_TLS, &conn, TLS_NOTICE_PLAIN_FALLBACK, format_string<IDS_LOG_TLS_PLAIN_FALLBACK>(reply));
    if (engine.is_live(&conn, serial))
        pop_command(engine, conn);
    if (engine.is_live(&conn, serial) && !conn.queue.empty())
        send_next_command(engine, conn);
    return CALLBACK_HANDLED;
}

// The end of an upload: our close_notify, then our side of the TCP connection. The socket is not
// closed here: records the server still sends (TLS 1.3 session tickets) would arrive unread and
// turn the close into a reset, and a reset can cost the server the end of the file. The server's
// close, or the transfer's final reply, ends the record.
int finish_tls_upload(Engine& engine, FtpConnection& conn)
{
    if (!conn.upload_sent) {
        conn.upload_sent = true;
        conn.tls->close_notify();
    }
    if (int error = flush(engine, conn))
        return fail_socket(engine, conn, error);
    if (!conn.tls->output().empty())
        return 0;
    if (socket_shutdown_send(conn.socket) != 0)
        return finish_upload(engine, conn);
    return 0;
}

} // namespace

FtpCommand* queue_auth_tls(Engine& engine, FtpConnection& control)
{
    return insert_command(engine, control, 0, CMD_AUTH, "AUTH TLS\r\n",
                          [&engine](FtpConnection& c, bool ok) { return auth_callback(engine, c, ok); });
}

bool start_tls_if_wanted(Engine& engine, FtpConnection& conn)
{
    if (conn.tls)
        return false;
    if (conn.role == ROLE_CONTROL) {
        if (conn.tls_mode != TLS_IMPLICIT)
            return false;
        begin_tls(engine, conn, host_of(conn.host), nullptr);
        return true;
    }
    FtpConnection* control = conn.parent;
    if (!is_data_role(conn.role) || !control || !control->protected_data || !control->tls)
        return false;
    begin_tls(engine, conn, host_of(control->host), control->tls.get());
    return true;
}

int tls_received(Engine& engine, FtpConnection& conn, const char* data, std::size_t count)
{
    const std::uint32_t serial = conn.serial;
    conn.tls->feed(data, count);
    if (conn.upload_sent) {
        // Our side is shut: what the server sends now is read and dropped.
        for (TlsRead piece = conn.tls->read(); !piece.data.empty(); piece = conn.tls->read()) {
        }
        return 1;
    }
    if (conn.tls_stage == TLS_HANDSHAKE) {
        if (handshake_step(engine, conn) < 0 || !engine.is_live(&conn, serial))
            return -1;
        if (conn.tls_stage == TLS_HANDSHAKE)
            return 1;
    }
    std::string plain;
    for (;;) {
        const TlsRead piece = conn.tls->read();
        if (piece.failed) {
            protocol_violation(engine, conn, format_string<IDS_ERR_TLS_BROKEN>(conn.tls->error()));
            return -1;
        }
        if (piece.closed && !conn.tls_closed) {
            // Our close_notify answers the peer's: servers that shut TLS down in both directions
            // (vsftpd after a download or listing) wait for it before they report the transfer.
            conn.tls_closed = true;
            conn.tls->close_notify();
        }
        if (piece.data.empty())
            break;
        plain.append(piece.data);
    }
    if (int error = flush(engine, conn))
        return fail_socket(engine, conn, error);
    return plain.empty() ? 1 : engine.deliver_received(conn, plain.data(), plain.size());
}

void tls_listen(Engine& engine, FtpConnection& conn)
{
    select_events(engine, conn);
}

int tls_peer_closed(Engine& engine, FtpConnection& conn)
{
    if (conn.role == ROLE_UPLOAD && conn.upload_sent)
        return finish_upload(engine, conn);
    if (conn.role != ROLE_CONTROL || conn.tls_stage != TLS_HANDSHAKE)
        return 1;
    return tls_failed(engine, conn, load_string(IDS_ERR_TLS_PEER_CLOSED));
}

int tls_writable(Engine& engine, FtpConnection& conn)
{
    if (!conn.tls)
        return 1;
    if (int error = flush(engine, conn))
        return fail_socket(engine, conn, error);
    return conn.role == ROLE_UPLOAD ? tls_upload_step(engine, conn) : 1;
}

int tls_upload_step(Engine& engine, FtpConnection& conn)
{
    if (conn.tls_stage != TLS_READY || conn.file < 0)
        return 1;
    if (conn.upload_sent)
        return finish_tls_upload(engine, conn);
    const std::uint32_t serial = conn.serial;
    for (int round = 0; round < UPLOAD_ROUNDS; ++round) {
        conn.idle_count = 0;
        if (conn.parent)
            conn.parent->idle_count = 0;
        // Encrypted bytes wait until the socket has taken the last ones: no more than one chunk
        // is held in memory.
        if (!conn.tls->output().empty()) {
            if (int error = flush(engine, conn))
                return fail_socket(engine, conn, error);
            if (!conn.tls->output().empty())
                return 0;
        }
        conn.send_buffer.resize(UPLOAD_CHUNK_SIZE);
        const ssize_t got = ::read(conn.file, conn.send_buffer.data(), conn.send_buffer.size());
        if (got < 0) {
            protocol_violation(engine, conn, format_string<IDS_ERR_READ_LOCAL_FILE>(std::strerror(errno)));
            return -1;
        }
        if (got == 0)
            return finish_tls_upload(engine, conn);
        if (!conn.tls->write(conn.send_buffer.data(), static_cast<std::size_t>(got))) {
            protocol_violation(engine, conn, format_string<IDS_ERR_TLS_BROKEN>(conn.tls->error()));
            return -1;
        }
        conn.byte_total += got;
        engine.add_to_accumulator(got);
        engine.update_rate(conn);
        engine.update_global_rate();
        engine.raise(EV_SENT, &conn);
        if (!engine.is_live(&conn, serial))
            return -1;
    }
    if (int error = flush(engine, conn))
        return fail_socket(engine, conn, error);
    return 1;
}

bool send_control_text(Engine& engine, FtpConnection& conn, std::string_view text)
{
    if (!conn.tls) {
        // Control commands are short; a send that does not go out whole counts as failed.
        std::size_t sent = 0;
        while (sent < text.size()) {
            const long n = socket_send(conn.socket, text.data() + sent, text.size() - sent);
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Encrypted, the line may wait in the session for room in the socket (a write notification).
    return conn.tls->write(text.data(), text.size()) && flush(engine, conn) == 0;
}

bool tls_holds_commands(const FtpConnection& control)
{
    if (control.role != ROLE_CONTROL || control.queue.empty())
        return false;
    if (control.tls)
        return control.tls_stage != TLS_READY;
    if (control.queue.front()->kind == CMD_AUTH)
        return false;
    return control.tls_mode == TLS_EXPLICIT || control.tls_mode == TLS_IMPLICIT;
}

void accept_certificate(FtpConnection& control)
{
    if (control.tls_stage == TLS_DECIDING)
        control.tls_stage = TLS_READY;
}

void reset_tls(Engine& engine, FtpConnection& conn)
{
    if (!conn.tls && conn.tls_stage == TLS_OFF)
        return;
    conn.tls.reset();
    conn.tls_stage = TLS_OFF;
    conn.protected_data = false;
    conn.tls_closed = false;
    const bool explicit_tls = conn.tls_mode == TLS_EXPLICIT || conn.tls_mode == TLS_EXPLICIT_IF_AVAILABLE;
    if (conn.role == ROLE_CONTROL && explicit_tls &&
        (conn.queue.empty() || conn.queue.front()->kind != CMD_AUTH))
        queue_auth_tls(engine, conn);
}

} // namespace kestovan
