#include "engine/control_channel.h"

#include "engine/data_connection.h"
#include "engine/reply_table.h"
#include "engine/tls_channel.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "ui/language.h"

#include <algorithm>
#include <unistd.h>

namespace kestovan {

namespace {

enum class Outcome {
    Continue,
    Destroyed
};

bool positive(int code)
{
    return code >= 200 && code <= 299;
}

std::string block_text(std::string_view text)
{
    return std::string(text.substr(0, MAX_BLOCK_TEXT));
}

std::string_view trim_line(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

void close_held_file(FtpConnection& conn)
{
    if (conn.file >= 0) {
        ::close(conn.file);
        conn.file = -1;
    }
}

int user_callback(Engine& engine, FtpConnection& conn, bool ok)
{
    if (ok)
        return 1;
    const std::uint32_t serial = conn.serial;
    if (conn.login_callback) {
        LoginCallback login = conn.login_callback;
        login(conn, false);
        if (!engine.is_live(&conn, serial))
            return 0;
    }
    clear_queue(engine, conn);
    return 0;
}

// Shared by PASS and ACCT: the login has completed when no further command follows.
int login_step_callback(Engine& engine, FtpConnection& conn, bool ok)
{
    if (!ok) {
        clear_queue(engine, conn);
        return 0;
    }
    if (conn.queue.size() > 1)
        return 1;
    if (conn.login_callback) {
        LoginCallback login = conn.login_callback;
        login(conn, true);
    }
    return 1;
}

CommandCallback make_user_callback(Engine& engine)
{
    return [&engine](FtpConnection& c, bool ok) { return user_callback(engine, c, ok); };
}

CommandCallback make_login_step_callback(Engine& engine)
{
    return [&engine](FtpConnection& c, bool ok) { return login_step_callback(engine, c, ok); };
}

std::string user_text(const Engine& engine, const FtpConnection& conn)
{
    if (engine.proxy().type == PROXY_FTP && !engine.proxy().host.empty())
        return "USER " + conn.user_name + "@" + conn.host + "\r\n";
    return "USER " + conn.user_name + "\r\n";
}

bool holds_listing_reply(const FtpConnection& conn, std::string_view text)
{
    if (!conn.data_connection || conn.data_connection->finished || conn.queue.empty() ||
        conn.queue.front()->kind != CMD_LIST)
        return false;
    // A refusal is not held: no data will come, and waiting would only end in a time-out.
    for (std::size_t pos = 0; pos < text.size();) {
        std::string_view rest = text.substr(pos);
        if (is_final_reply_line(rest, CMD_LIST) && rest[0] >= '4')
            return false;
        std::size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
    }
    return true;
}

Outcome act_on_reply(Engine& engine, FtpConnection& conn, int code, std::string_view rest,
                     std::string_view block)
{
    const std::uint32_t serial = conn.serial;
    FtpCommand* head = conn.queue.front().get();
    const std::uint64_t head_serial = head->serial;
    const std::string_view line = trim_line(rest.substr(0, rest.find('\n') + 1));
    head->reply = std::string(line);
    ReplyContext context{head->kind, code, conn.last_reply_code, !conn.password.empty(),
                         !conn.account.empty()};
    int stored_code = code;
    switch (reply_action(context)) {
    case ReplyAction::None:
        if (head->kind == CMD_LIST && rest.find("226 ") != std::string_view::npos)
            stored_code = 226;
        if (head->kind == CMD_RETR && code == 150 && conn.data_connection) {
            if (auto open = line.find('('); open != std::string_view::npos)
                head->size = std::strtoll(std::string(line.substr(open + 1)).c_str(), nullptr, 10);
        }
        if ((head->kind == CMD_STOR || head->kind == CMD_APPE) && code >= 100 && code < 200)
            release_upload(engine, conn);
        break;
    case ReplyAction::Success: complete_command(engine, conn); break;
    case ReplyAction::Failure: fail_command(engine, conn, block); break;
    case ReplyAction::ResendUser:
        engine.raise(EV_LOG, &conn, 0, head->text);
        if (engine.is_live(&conn, serial) && !send_control_text(engine, conn, head->text)) {
            engine.status(&conn, format_string<IDS_STATUS_REQUEST_SEND_FAILED>(SOCKET_ERROR));
            if (engine.is_live(&conn, serial))
                conn.state = ST_NEW;
        }
        break;
    case ReplyAction::NeedPassword:
        engine.raise(EV_NEED_PASSWORD, &conn);
        // The shell answers with resend_password, or ends the session with close_session; only in
        // the first case is the USER still the head to complete.
        if (engine.is_live(&conn, serial) && !conn.queue.empty() &&
            conn.queue.front()->serial == head_serial && conn.role == ROLE_CONTROL)
            complete_command(engine, conn);
        break;
    case ReplyAction::AskAccount:
        queue_command_next(engine, conn, CMD_ACCT, "ACCT " + conn.account + "\r\n",
                           make_login_step_callback(engine), head->user_data1, head->user_data2);
        if (engine.is_live(&conn, serial))
            complete_command(engine, conn);
        break;
    case ReplyAction::RetryLogin: {
        if (conn.login_retried) {
            // A server that answers every PASS with 503 would otherwise keep us in an endless loop.
            engine.raise(EV_LOG, &conn, 0, line);
            if (!engine.is_live(&conn, serial))
                return Outcome::Destroyed;
            pop_command(engine, conn);
            if (engine.is_live(&conn, serial))
                engine.destroy_connection(&conn, true);
            return Outcome::Destroyed;
        }
        if (positive(conn.last_reply_code)) {
            // USER was already accepted with 2xx, so the server has no use for PASS: an endless
            // USER/PASS round would follow if we asked again.
            complete_command(engine, conn);
            break;
        }
        engine.raise(EV_LOG, &conn, 0, line);
        if (!engine.is_live(&conn, serial))
            return Outcome::Destroyed;
        conn.login_retried = true;
        void* ud1 = head->user_data1;
        void* ud2 = head->user_data2;
        queue_command_next(engine, conn, CMD_PASS, "PASS " + conn.password + "\r\n",
                           make_login_step_callback(engine), ud1, ud2);
        queue_command_next(engine, conn, CMD_USER, user_text(engine, conn), make_user_callback(engine), ud1,
                           ud2);
        if (engine.is_live(&conn, serial))
            pop_command(engine, conn);
        break;
    }
    case ReplyAction::RefusePassword:
        engine.raise(EV_LOG, &conn, 0, line);
        if (!engine.is_live(&conn, serial))
            return Outcome::Destroyed;
        pop_command(engine, conn);
        if (engine.is_live(&conn, serial))
            engine.destroy_connection(&conn, true);
        return Outcome::Destroyed;
    case ReplyAction::Quit:
        conn.role = ROLE_CLOSING;
        if (positive(code))
            complete_command(engine, conn);
        else
            fail_command(engine, conn, block);
        // The session goes as soon as this reply is handled, not at the pump's next visit.
        if (engine.is_live(&conn, serial))
            engine.kick(conn);
        break;
    }
    if (!engine.is_live(&conn, serial))
        return Outcome::Destroyed;
    conn.last_reply_code = static_cast<std::int16_t>(stored_code);
    return Outcome::Continue;
}

} // namespace

bool is_transfer_kind(CommandKind kind)
{
    return kind == CMD_LIST || kind == CMD_RETR || kind == CMD_STOR || kind == CMD_APPE;
}

bool ends_reply_block(std::string_view line)
{
    return line.size() >= 4 &&
           std::all_of(line.begin(), line.begin() + 3, [](char c) { return c >= '0' && c <= '9'; }) &&
           (line[3] == ' ' || line[3] == '\r' || line[3] == '\n');
}

bool is_final_reply_line(std::string_view rest, CommandKind head_kind)
{
    if (rest.find('\n') == std::string_view::npos || rest.size() < 4 || rest[3] != ' ')
        return false;
    if (!std::all_of(rest.begin(), rest.begin() + 3, [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    if (rest.starts_with("220 "))
        return false;
    // ACCT belongs to the login as much as USER and PASS do.
    return !rest.starts_with("230 ") || head_kind == CMD_USER || head_kind == CMD_PASS ||
           head_kind == CMD_ACCT;
}

FtpCommand* queue_command(Engine& engine, FtpConnection* conn, CommandKind kind, std::string text,
                          CommandCallback callback, std::string local_path, void* user_data1,
                          void* user_data2)
{
    if (!conn)
        return nullptr;
    auto command = std::make_unique<FtpCommand>();
    command->serial = engine.next_command_serial();
    command->kind = kind;
    command->text = std::move(text);
    command->local_path = std::move(local_path);
    command->callback = std::move(callback);
    command->user_data1 = user_data1;
    command->user_data2 = user_data2;
    FtpCommand* queued = command.get();
    conn->queue.push_back(std::move(command));
    const std::uint32_t serial = conn->serial;
    // On an idle connection the command goes as soon as the caller's work is done, not at the
    // pump's next visit (which, with many connections open, can be a long while).
    if (conn->queue.size() == 1 && conn->busy == 0 && conn->state == ST_READY && conn->socket)
        engine.kick(*conn);
    engine.raise(EV_QUEUED, conn);
    return engine.is_live(conn, serial) ? queued : nullptr;
}

FtpCommand* queue_command_next(Engine& engine, FtpConnection& conn, CommandKind kind, std::string text,
                               CommandCallback callback, void* user_data1, void* user_data2)
{
    auto command = std::make_unique<FtpCommand>();
    command->serial = engine.next_command_serial();
    command->kind = kind;
    command->text = std::move(text);
    command->callback = std::move(callback);
    command->user_data1 = user_data1;
    command->user_data2 = user_data2;
    FtpCommand* queued = command.get();
    conn.queue.insert(conn.queue.empty() ? conn.queue.end() : conn.queue.begin() + 1, std::move(command));
    const std::uint32_t serial = conn.serial;
    engine.raise(EV_QUEUED, &conn);
    return engine.is_live(&conn, serial) ? queued : nullptr;
}

int pop_command(Engine& engine, FtpConnection& conn)
{
    if (conn.queue.empty())
        return 0;
    conn.queue.pop_front();
    conn.busy = 0;
    if (conn.queue.empty())
        engine.raise(EV_IDLE, &conn);
    return 1;
}

int clear_queue(Engine& engine, FtpConnection& conn)
{
    int count = 0;
    const std::uint32_t serial = conn.serial;
    while (engine.is_live(&conn, serial) && pop_command(engine, conn))
        ++count;
    return count;
}

int send_next_command(Engine& engine, FtpConnection& conn)
{
    if (conn.queue.empty() || tls_holds_commands(conn))
        return 0;
    const std::uint32_t serial = conn.serial;
    FtpCommand* head = conn.queue.front().get();
    const std::uint64_t head_serial = head->serial;
    auto head_unchanged = [&] {
        return engine.is_live(&conn, serial) && !conn.queue.empty() &&
               conn.queue.front()->serial == head_serial;
    };
    if (FtpCommand* transfer = pending_transfer(conn); transfer && !transfer->failure.empty() &&
                                                       !conn.data_connection && head->kind != CMD_PORT &&
                                                       head->kind != CMD_PASV && head->kind != CMD_TYPE) {
        // The data connection failed before the transfer went out: the server never hears of it.
        if (head->kind == CMD_REST)
            pop_command(engine, conn);
        if (!engine.is_live(&conn, serial) || conn.queue.empty())
            return -1;
        const std::string failure = conn.queue.front()->failure;
        fail_command(engine, conn, failure);
        return engine.is_live(&conn, serial) ? 0 : -1;
    }
    if (is_transfer_kind(head->kind) && passive_data_connecting(conn)) {
        // The server (or an FTP proxy in front of it) may refuse a transfer whose data connection
        // has not arrived yet ("425 Can't open data connection"). The connect, or its failure,
        // kicks the queue again.
        return 0;
    }
    if (head->kind == CMD_PORT && !open_listener(engine, conn, *head)) {
        if (engine.is_live(&conn, serial))
            engine.fail_connection(&conn);
        return -1;
    }
    engine.raise(EV_LOG, &conn, 0, head->text);
    if (!head_unchanged())
        return -1;
    close_held_file(conn);
    if (is_transfer_kind(head->kind) && head->kind != CMD_LIST && !open_transfer_file(engine, conn, *head)) {
        // Not sent: the command fails with the system's reason, so whoever waits for it learns of it.
        if (head_unchanged()) {
            const std::string failure = head->failure;
            fail_command(engine, conn, failure);
        }
        return 0;
    }
    engine.raise(EV_COMMAND_START, &conn, head->kind);
    if (!head_unchanged())
        return -1;
    if (head->kind == CMD_MARK) {
        complete_command(engine, conn);
        return 1;
    }
    if (!send_control_text(engine, conn, head->text)) {
        if (!engine.is_live(&conn, serial))
            return -1;
        engine.status(&conn, format_string<IDS_STATUS_REQUEST_SEND_FAILED>(SOCKET_ERROR));
        if (!engine.is_live(&conn, serial))
            return -1;
        conn.state = ST_NEW;
        async_select(conn.socket, engine.window(), 0, 0);
        return 0;
    }
    conn.busy = 1;
    engine.raise(EV_SENT, &conn);
    return 1;
}

void complete_command(Engine& engine, FtpConnection& conn)
{
    if (conn.queue.empty())
        return;
    const std::uint32_t serial = conn.serial;
    FtpCommand* head = conn.queue.front().get();
    const CommandKind kind = head->kind;
    if (head->failure.empty() && kind == CMD_RETR)
        head->failure = short_download_text(conn, *head);
    if (head->failure.empty() && (kind == CMD_STOR || kind == CMD_APPE) && conn.file >= 0)
        head->failure = load_string(IDS_ERR_UPLOAD_NOT_ASKED); // the file never left: no success
    if (!head->failure.empty()) {
        std::string text = head->failure;
        fail_command(engine, conn, text);
        return;
    }
    if (conn.data_connection && kind != CMD_PORT && kind != CMD_PASV) {
        drain_data_connection(engine, *conn.data_connection);
        if (!engine.is_live(&conn, serial))
            return;
    }
    int result = 0;
    if (head->callback) {
        CommandCallback callback = head->callback;
        result = callback(conn, true);
        if (!engine.is_live(&conn, serial))
            return;
    }
    if (conn.data_connection && kind != CMD_PORT && kind != CMD_PASV && kind != CMD_REST) {
        engine.destroy_connection(conn.data_connection, true);
        if (!engine.is_live(&conn, serial))
            return;
        conn.busy = 0;
    }
    if (result != CALLBACK_KEEP_HEAD) {
        pop_command(engine, conn);
        if (!engine.is_live(&conn, serial))
            return;
    }
    if (!conn.queue.empty()) {
        send_next_command(engine, conn);
        if (!engine.is_live(&conn, serial))
            return;
    }
    if (conn.state == ST_HOLD_REPLY)
        conn.state = ST_READY;
}

void fail_command(Engine& engine, FtpConnection& conn, std::string_view reply)
{
    engine.count_failure();
    const std::uint32_t serial = conn.serial;
    const std::string text(reply);
    // A held listing reply that fails its command is done with: nothing is held any more.
    if (conn.state == ST_HOLD_REPLY)
        conn.state = ST_READY;
    if (conn.queue.empty()) {
        engine.raise(make_error_event(ERR_REPLY), &conn, 0, text);
        return;
    }
    FtpCommand* head = conn.queue.front().get();
    const CommandKind kind = head->kind;
    int result = 0;
    if (head->callback) {
        CommandCallback callback = head->callback;
        result = callback(conn, false);
        if (!engine.is_live(&conn, serial))
            return;
    }
    if (result == CALLBACK_KEEP_HEAD) {
        engine.raise(make_error_event(ERR_REPLY), &conn, 0, text);
        return;
    }
    if (result == CALLBACK_HANDLED)
        return;
    engine.raise(make_error_event(ERR_REPLY), &conn, 0, text);
    if (!engine.is_live(&conn, serial))
        return;
    const bool rest_failed =
        kind == CMD_REST && conn.queue.size() > 1 && is_transfer_kind(conn.queue[1]->kind);
    if (is_transfer_kind(kind) || rest_failed) {
        // No data will flow for this command: its listener or data connection and the local file
        // go now.
        if (conn.data_connection)
            engine.destroy_connection(conn.data_connection, true);
        if (!engine.is_live(&conn, serial))
            return;
        close_held_file(conn);
        if (!conn.queue.empty())
            discard_empty_download(*conn.queue.front());
    }
    pop_command(engine, conn);
    if (rest_failed && engine.is_live(&conn, serial)) {
        // A refused REST must not let the transfer behind it run from offset 0 into the middle of
        // the file: that transfer goes too.
        pop_command(engine, conn);
    }
    if (engine.is_live(&conn, serial) && !conn.queue.empty())
        send_next_command(engine, conn);
}

void process_replies(Engine& engine, FtpConnection& conn)
{
    if (conn.role != ROLE_CONTROL && conn.role != ROLE_CLOSING)
        return;
    if (conn.buffer.find('\n') == std::string::npos)
        return;
    if (holds_listing_reply(conn, conn.buffer)) {
        conn.state = ST_HOLD_REPLY;
        return;
    }
    const std::uint32_t serial = conn.serial;
    const std::uint32_t failures = engine.failure_counter();
    std::string text = std::move(conn.buffer);
    conn.buffer.clear();
    engine.status(&conn, block_text(text));
    if (!engine.is_live(&conn, serial))
        return;
    if (text.starts_with("421 ")) {
        // The server's reason for closing goes to the log before the connection goes.
        engine.raise(EV_LOG, &conn, 0, block_text(text));
        if (!engine.is_live(&conn, serial))
            return;
        engine.close_socket(conn);
        if (conn.data_connection)
            engine.destroy_connection(conn.data_connection, true);
        if (engine.is_live(&conn, serial))
            engine.destroy_connection(&conn, true);
        return;
    }
    // A 421 that came in the same read as earlier replies: those are acted on first, then the 421
    // closes the connection as above, before a command sent meanwhile can draw a reset that would
    // hide the server's reason.
    std::string closing;
    if (const std::size_t at = text.find("\n421 "); at != std::string::npos) {
        closing = text.substr(at + 1);
        text.erase(at + 1);
    }
    std::size_t pos = 0;
    std::size_t processed = text.size();
    std::size_t logged = 0; // the text before this has gone to the log (or into a failure report)
    std::string tail;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        if (lf == std::string::npos) {
            tail = text.substr(pos);
            processed = pos;
            break;
        }
        const std::string_view rest = std::string_view(text).substr(pos);
        // Each line of an endless multi-line reply counts as activity, so the time-out never ends
        // it: its size does.
        if (ends_reply_block(rest)) {
            conn.open_reply_bytes = 0;
        } else if ((conn.open_reply_bytes += lf + 1 - pos) > MAX_CONTROL_BUFFER) {
            protocol_violation(engine, conn, load_string(IDS_ERR_REPLY_TOO_LONG));
            return;
        }
        if (!conn.queue.empty() && conn.queue.front()->reply_lines.size() < MAX_BLOCK_TEXT * 64)
            conn.queue.front()->reply_lines.append(trim_line(rest.substr(0, lf - pos + 1))).append("\n");
        if (!conn.queue.empty() && is_final_reply_line(rest, conn.queue.front()->kind)) {
            const int code = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
            const FtpCommand& head = *conn.queue.front();
            if (head.kind == CMD_RETR && positive(code) && conn.data_connection &&
                !conn.data_connection->finished) {
                // The download's data may still be on its way: hold the completion until the data
                // connection has finished, without blocking the thread.
                tail = text.substr(pos);
                processed = pos;
                conn.state = ST_HOLD_REPLY;
                break;
            }
            // The reply goes to the log before it is acted on, so that the commands it sets off
            // follow it there as they follow it on the wire. A failure reports its own lines.
            const std::string_view block = std::string_view(text).substr(logged, lf + 1 - logged);
            const FtpCommand& at_head = *conn.queue.front();
            const ReplyAction action = reply_action(ReplyContext{
                at_head.kind, code, conn.last_reply_code, !conn.password.empty(), !conn.account.empty()});
            const bool reports_itself = action == ReplyAction::Failure || action == ReplyAction::RetryLogin ||
                                        action == ReplyAction::RefusePassword ||
                                        (action == ReplyAction::Quit && !positive(code));
            if (!reports_itself) {
                engine.raise(EV_LOG, &conn, 0, block_text(block));
                if (!engine.is_live(&conn, serial))
                    return;
            }
            logged = lf + 1;
            const bool auth = at_head.kind == CMD_AUTH;
            if (act_on_reply(engine, conn, code, rest, block_text(block)) == Outcome::Destroyed)
                return;
            if (auth && conn.tls) {
                // From here on only what comes through TLS counts: text that followed the AUTH reply
                // in clear could be anyone's.
                conn.buffer.clear();
                return;
            }
        }
        pos = lf + 1;
        while (pos < text.size() &&
               (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n'))
            ++pos;
    }
    // Whatever arrived meanwhile (a nested event loop inside a callback) stays behind the tail.
    conn.buffer.insert(0, tail);
    // Lines that ended no command (a preliminary reply, a reply to nothing) are logged as they are.
    if (engine.failure_counter() == failures && processed > logged) {
        engine.raise(EV_LOG, &conn, 0, block_text(std::string_view(text).substr(logged, processed - logged)));
        if (!engine.is_live(&conn, serial))
            return;
    }
    if (!closing.empty()) {
        conn.buffer.insert(std::min(tail.size(), conn.buffer.size()), closing);
        if (conn.state != ST_HOLD_REPLY)
            process_replies(engine, conn);
    }
}

FtpConnection* open_session(Engine& engine, const std::string& user, const std::string& password,
                            const std::string& account, const std::string& server, int port, void* owner,
                            LoginCallback login_callback, void* user_data1, void* user_data2, TlsMode tls)
{
    if (!engine.window() || server.empty())
        return nullptr;
    FtpConnection* conn = engine.new_connection();
    conn->state = ST_NEW;
    if (port == 0)
        port = tls == TLS_IMPLICIT ? IMPLICIT_TLS_PORT : DEFAULT_FTP_PORT;
    conn->host = server + ":" + std::to_string(port);
    conn->tls_mode = tls;
    conn->role = ROLE_CONTROL;
    conn->account = account;
    conn->user_name = user;
    conn->password = password;
    conn->owner = owner;
    conn->login_callback = std::move(login_callback);
    const std::uint32_t serial = conn->serial;
    queue_command(engine, conn, CMD_USER, user_text(engine, *conn), make_user_callback(engine), {},
                  user_data1, user_data2);
    if (!engine.is_live(conn, serial))
        return nullptr;
    if (!password.empty())
        queue_command(engine, conn, CMD_PASS, "PASS " + password + "\r\n", make_login_step_callback(engine),
                      {}, user_data1, user_data2);
    if (engine.is_live(conn, serial) && (tls == TLS_EXPLICIT || tls == TLS_EXPLICIT_IF_AVAILABLE))
        queue_auth_tls(engine, *conn);
    if (!engine.is_live(conn, serial))
        return nullptr;
    // The record starts (socket, lookup, connect) once the caller's work is done.
    engine.kick(*conn);
    return conn;
}

void resend_password(Engine& engine, FtpConnection& conn, const std::string& password)
{
    conn.password = password;
    void* ud1 = conn.queue.empty() ? nullptr : conn.queue.front()->user_data1;
    void* ud2 = conn.queue.empty() ? nullptr : conn.queue.front()->user_data2;
    queue_command_next(engine, conn, CMD_PASS, "PASS " + password + "\r\n", make_login_step_callback(engine),
                       ud1, ud2);
}

void close_session(Engine& engine, FtpConnection& conn)
{
    const std::uint32_t serial = conn.serial;
    if (conn.data_connection)
        engine.destroy_connection(conn.data_connection, true);
    if (!engine.is_live(&conn, serial))
        return;
    bool quit_queued =
        std::any_of(conn.queue.begin(), conn.queue.end(), [](const auto& c) { return c->kind == CMD_QUIT; });
    if (quit_queued) {
        engine.close_socket(conn);
        engine.destroy_connection(&conn, true);
        return;
    }
    while (conn.queue.size() > 1)
        conn.queue.pop_back();
    clear_queue(engine, conn);
    if (!engine.is_live(&conn, serial))
        return;
    queue_command(engine, &conn, CMD_QUIT, "QUIT\r\n", [&engine](FtpConnection& c, bool) {
        engine.close_socket(c);
        return 1;
    });
}

} // namespace kestovan
