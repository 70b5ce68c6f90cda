#include "cli/cli_client.h"

#include "cli/cli_trust.h"
#include "cli/listing_output.h"
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "engine/tls_channel.h"
#include "platform/clock.h"
#include "views/dir_entry.h"
#include "views/listing_parser.h"
#include "views/listing_request.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace kestovan {

namespace {

constexpr std::uint32_t WM_CLOSE_SESSION = WM_USER + 1;
constexpr const char* ANONYMOUS_USER = "anonymous";
constexpr const char* ANONYMOUS_PASSWORD = "guest@example.com";

std::string masked(std::string_view text)
{
    std::string line(text);
    if (line.rfind("PASS ", 0) == 0)
        line = "PASS ****\r\n";
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

std::string trimmed(std::string_view text)
{
    std::string line(text);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::string socket_error_text(std::int64_t error)
{
    switch (error) {
    case 10060: return "connection timed out (Winsock Error 10060)";
    case 10061: return "connection refused (Winsock Error 10061)";
    case 10051: return "network unreachable (Winsock Error 10051)";
    case 10065: return "host unreachable (Winsock Error 10065)";
    case 10054: return "connection reset by the server (Winsock Error 10054)";
    default: return "Winsock Error " + std::to_string(error);
    }
}

} // namespace

CliClient::CliClient(CliOptions options, FtpUrl url)
    : options_(std::move(options)), url_(std::move(url)),
      progress_(stderr, progress_wanted(stderr, options_.quiet))
{
    engine_.engine_init(
        window_, options_.timeout_ms,
        [this](std::int32_t code, FtpConnection* conn, const EventArg& arg) { on_event(code, conn, arg); });
    if (options_.proxy.type != 0)
        set_proxy(engine_, options_.proxy.type, options_.proxy.host, options_.proxy.port, options_.proxy.user,
                  options_.proxy.password);
    // The command line states the whole trust: no pins kept by the desktop program apply here.
    engine_.set_tls_trust(options_.ca_file, {});
    window_.set_handler([this](const Message& m) {
        if (m.id != WM_CLOSE_SESSION)
            return false;
        if (engine_.is_live(control_, control_serial_))
            close_session(engine_, *control_);
        else
            ended_ = true;
        return true;
    });
}

CliClient::~CliClient() = default;

bool CliClient::start_session()
{
    std::string user = url_.user.empty() ? ANONYMOUS_USER : url_.user;
    std::string password = url_.password.value_or(url_.user.empty() ? ANONYMOUS_PASSWORD : "");
    control_ = open_session(
        engine_, user, password, "", url_.host, url_.port, nullptr,
        [this](FtpConnection& conn, bool ok) {
            if (ok)
                return 0;
            // The refusal itself is logged only after this call.
            const FtpCommand* head = conn.queue.empty() ? nullptr : conn.queue.front().get();
            if (error_.empty() && head && !head->reply.empty())
                error_ = head->reply;
            if (error_.empty())
                error_ = last_reply_.empty() ? "login failed" : last_reply_;
            // A refused login can leave the connection open with nothing
            // queued, where no time-out would ever end the run.
            finish(false);
            return 0;
        },
        nullptr, nullptr, url_.tls);
    if (!control_) {
        error_ = "cannot open a session to " + url_.host;
        return false;
    }
    control_serial_ = control_->serial;
    control_->passive = options_.active ? 0 : 1;
    return true;
}

CommandCallback CliClient::step_callback()
{
    return [this](FtpConnection& conn, bool ok) {
        if (!ok && error_.empty()) {
            // Our own finding (a short download, a failed data connection) says more than the
            // server's reply, which may even read "226 Transfer complete".
            const FtpCommand* head = conn.queue.empty() ? nullptr : conn.queue.front().get();
            if (head && !head->failure.empty())
                error_ = head->failure;
            else if (head && !head->reply.empty())
                error_ = head->reply;
            else
                error_ = last_reply_;
        }
        return 1;
    };
}

void CliClient::finish(bool ok)
{
    ok_ = ok && error_.empty();
    if (closing_ || !engine_.is_live(control_, control_serial_))
        return;
    closing_ = true;
    // Callbacks call this while the engine is still completing their command: the session is
    // closed once that has finished.
    window_.post_message(WM_CLOSE_SESSION);
}

void CliClient::fail(const std::string& message)
{
    if (error_.empty())
        error_ = message;
    finish(false);
}

int CliClient::wait_for_end()
{
    QEventLoop loop;
    while (!ended_)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    progress_.finish();
    if (ok_ && error_.empty())
        return 0;
    if (error_.empty())
        error_ = last_reply_.empty() ? "the session ended before the command completed" : last_reply_;
    return 1;
}

void CliClient::on_event(std::int32_t code, FtpConnection* conn, const EventArg& arg)
{
    const bool control = conn && conn == control_ && engine_.is_live(control_, control_serial_);
    switch (event_code(code)) {
    case EV_LOG: {
        const bool echo = control && !conn->queue.empty() && conn->queue.front()->text == arg.text;
        if (echo && arg.text.empty())
            break; // a marker: nothing goes on the wire
        if (echo) {
            // A command sent while a reply block is being worked through is shown after that
            // block, so the log reads in the order things happened on the wire.
            std::string line = "> " + masked(arg.text);
            if (reply_block_open_)
                held_commands_.push_back(line);
            else
                verbose_line(line);
        } else {
            verbose_line(masked(arg.text));
            end_reply_block();
            if (!arg.text.empty())
                last_reply_ = trimmed(arg.text);
        }
        break;
    }
    case EV_ERROR: {
        std::string text = trimmed(arg.text);
        verbose_line("! " + text);
        end_reply_block();
        last_reply_ = text;
        // A local file that cannot be opened fails its command, which names the reason.
        if (event_subcode(code) == ERR_LOCAL_FILE)
            break;
        if (event_subcode(code) != ERR_REPLY && error_.empty())
            error_ = text.empty() ? "error " + std::to_string(event_subcode(code)) : text;
        break;
    }
    case EV_STATUS:
        // The engine shows every reply block as a status first, before it acts on it.
        if (arg.text.size() > 1 && std::isdigit(static_cast<unsigned char>(arg.text[1])))
            reply_block_open_ = true;
        else
            verbose_line("*" + trimmed(arg.text));
        if (arg.number == STATUS_HOST_NOT_FOUND && error_.empty())
            error_ = "Host Not Found: " + url_.host;
        break;
    case EV_SOCKET_ERROR:
        verbose_line("! Winsock Error " + std::to_string(arg.number));
        if (error_.empty())
            error_ = socket_error_text(arg.number);
        break;
    case EV_TIMEOUT:
        // A server that leaves QUIT unanswered does not undo the work that was done.
        if (closing_)
            break;
        // A timed-out transfer fails its command with a text of its own right after this event.
        if (error_.empty() &&
            !(control && !conn->queue.empty() && is_transfer_kind(conn->queue.front()->kind)))
            // The last thing the server said often names the fault (a reply the client could
            // not read, a login it keeps refusing).
            error_ = last_reply_.empty() ? "Connect Timeout" : "Connect Timeout after: " + last_reply_;
        if (control)
            finish(false);
        break;
    case EV_NEED_PASSWORD: fail("the server asks for a password; give one in the URL or in ~/.netrc"); break;
    case EV_TLS: verbose_line("* " + trimmed(arg.text)); break;
    case EV_CERTIFICATE:
        if (control)
            judge_certificate(*conn);
        break;
    case EV_CLOSED:
        if (conn == control_) {
            ended_ = true;
            if (!closing_)
                ok_ = false;
        }
        break;
    case EV_RECEIVED:
    case EV_SENT:
        if (conn && conn->role != ROLE_CONTROL && conn->role != ROLE_LIST)
            show_progress(*conn);
        break;
    case EV_TICK:
    case EV_IDLE:
    case EV_COMMAND_START:
    case EV_CONNECTED:
    case EV_CONNECTING:
    case EV_RESOLVING:
    case EV_QUEUED: break;
    }
}

void CliClient::judge_certificate(FtpConnection& conn)
{
    if (trust_certificate(conn, options_.pin_sha256, url_.host, &error_))
        verbose_line("* certificate trusted by --pin-sha256");
}

void CliClient::verbose_line(const std::string& line)
{
    if (options_.verbose)
        std::cerr << line << "\n";
}

void CliClient::end_reply_block()
{
    reply_block_open_ = false;
    for (const std::string& line : held_commands_)
        verbose_line(line);
    held_commands_.clear();
}

void CliClient::show_progress(const FtpConnection& data, bool force)
{
    if (!progress_.enabled())
        return;
    if (control_ && !control_->queue.empty() && control_->queue.front()->size > 0)
        expected_size_ = control_->queue.front()->size;
    progress_.update(data.byte_total + progress_offset_, expected_size_, now_ms(), force);
}

int CliClient::run_ls()
{
    if (!start_session())
        return 1;
    auto on_listing = [this](FtpConnection& conn, bool ok) {
        if (!ok) {
            step_callback()(conn, ok);
            return 1;
        }
        const FtpConnection* data = conn.data_connection;
        const std::string_view text = data ? std::string_view(data->buffer) : std::string_view();
        DirEntry folder;
        folder.path =
            url_.path.empty() ? std::optional<std::string>() : std::optional<std::string>(url_.path);
        ListingOptions options;
        options.start_folder = url_.path;
        // Printed as parsed: a large folder is never held as entries as well as text.
        std::string line;
        const std::size_t printed = visit_listing(text, folder, options, [&line](const DirEntry& entry) {
            line = format_entry_line(entry);
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
        });
        if (printed == 0 && !text.empty() && !listing_is_empty_folder(text))
            error_ = "ERROR F101: Directory Command Failed";
        finish(true);
        return 1;
    };
    if (!request_listing(engine_, control_, url_.path, on_listing))
        fail("cannot queue the listing of " + url_.path);
    return wait_for_end();
}

int CliClient::run_get(const std::string& local_file, bool resume)
{
    if (!start_session())
        return 1;
    std::error_code ec;
    std::int64_t offset = 0;
    if (resume && std::filesystem::is_regular_file(local_file, ec))
        offset = static_cast<std::int64_t>(std::filesystem::file_size(local_file, ec));
    progress_offset_ = offset;
    // Not every server names the size in its 150 reply; the progress line needs it for the percent
    // and the time left. Asked only for the line, and in image mode, where SIZE counts bytes.
    if (progress_.enabled() && binary())
        ask_size_for_progress();
    auto done = [this](FtpConnection& conn, bool ok) {
        if (!conn.queue.empty() && conn.queue.front()->kind == CMD_REST) {
            if (ok)
                return 1;
            step_callback()(conn, ok);
            finish(false);
            return 0;
        }
        if (conn.data_connection)
            show_progress(*conn.data_connection, true);
        step_callback()(conn, ok);
        finish(ok);
        return 1;
    };
    FtpCommand* queued =
        offset > 0 ? send_retr_resume(engine_, control_, url_.path, local_file, binary(), offset, done)
                   : send_retr(engine_, control_, url_.path, local_file, binary(), done);
    if (!queued)
        fail("cannot queue the download of " + url_.path);
    return wait_for_end();
}

void CliClient::ask_size_for_progress()
{
    send_type(engine_, control_, true);
    send_raw(engine_, control_, "SIZE " + url_.path, [this](FtpConnection& conn, bool ok) {
        if (ok && !conn.queue.empty()) {
            const std::string& reply = conn.queue.front()->reply;
            expected_size_ = reply.size() > 4 ? std::strtoll(reply.c_str() + 4, nullptr, 10) : 0;
            return 1;
        }
        // A server without SIZE gets a line without a total.
        pop_command(engine_, conn);
        return CALLBACK_HANDLED;
    });
}

int CliClient::run_put(const std::string& local_file, bool resume, bool append)
{
    if (!start_session())
        return 1;
    if (!std::filesystem::is_regular_file(local_file)) {
        fail("no such local file: " + local_file);
        return wait_for_end();
    }
    auto done = [this](FtpConnection& conn, bool ok) {
        if (!conn.queue.empty() && conn.queue.front()->kind == CMD_REST) {
            if (ok)
                return 1;
            step_callback()(conn, ok);
            finish(false);
            return 0;
        }
        if (conn.data_connection)
            show_progress(*conn.data_connection, true);
        step_callback()(conn, ok);
        finish(ok);
        return 1;
    };
    if (append) {
        if (!send_appe(engine_, control_, local_file, url_.path, binary(), done))
            fail("cannot queue the upload of " + local_file);
        return wait_for_end();
    }
    if (!resume) {
        if (!send_stor(engine_, control_, local_file, url_.path, binary(), done))
            fail("cannot queue the upload of " + local_file);
        return wait_for_end();
    }
    // Resuming needs the size the server already has; SIZE is answered in image mode.
    send_type(engine_, control_, true);
    send_raw(engine_, control_, "SIZE " + url_.path, [this, local_file, done](FtpConnection& conn, bool ok) {
        std::int64_t offset = 0;
        if (ok && !conn.queue.empty()) {
            const std::string& reply = conn.queue.front()->reply;
            offset = reply.size() > 4 ? std::strtoll(reply.c_str() + 4, nullptr, 10) : 0;
        }
        progress_offset_ = offset;
        FtpCommand* queued =
            offset > 0 ? send_stor_resume(engine_, &conn, local_file, url_.path, binary(), offset, done)
                       : send_stor(engine_, &conn, local_file, url_.path, binary(), done);
        if (!queued)
            fail("cannot queue the upload of " + local_file);
        if (ok)
            return 1;
        // A missing remote file is no failure here: the upload starts from the beginning.
        pop_command(engine_, conn);
        return CALLBACK_HANDLED;
    });
    return wait_for_end();
}

int CliClient::run_quote(const std::vector<std::string>& commands)
{
    if (!start_session())
        return 1;
    auto all_ok = std::make_shared<bool>(true);
    for (const std::string& command : commands) {
        if (!send_raw(engine_, control_, command, [all_ok](FtpConnection& conn, bool ok) {
                if (!ok)
                    *all_ok = false;
                const FtpCommand& head = *conn.queue.front();
                std::cout << "> " << trimmed(head.text) << "\n" << head.reply_lines;
                return 1;
            })) {
            fail("the command holds a line break and was not sent");
            return wait_for_end();
        }
    }
    send_marker(engine_, control_, [this, all_ok](FtpConnection&, bool) {
        if (!*all_ok && error_.empty())
            error_ = last_reply_;
        finish(*all_ok);
        return 1;
    });
    return wait_for_end();
}

} // namespace kestovan
