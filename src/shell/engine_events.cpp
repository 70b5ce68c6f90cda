#include "shell/engine_events.h"

#include "engine/control_channel.h"
#include "engine/proxy.h"
#include "engine/tls_channel.h"
#include "platform/certificate_store.h"
#include "platform/clock.h"
#include "profiles/profile_folder.h"
#include "profiles/site_profile.h"
#include "shell/rate_display.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <cctype>

namespace kestovan {

namespace {

int fixed_error_text(EngineError sub)
{
    switch (sub) {
    case ERR_LISTEN: return IDS_ERR_SOCKET_LISTEN;
    case ERR_SOCKET: return IDS_ERR_SOCKET_CREATE;
    case ERR_BIND: return IDS_ERR_SOCKET_BIND;
    case ERR_SELECT: return IDS_ERR_SOCKET_SELECT;
    case ERR_SOCKNAME: return IDS_ERR_SOCKET_NAME;
    case ERR_MEMORY: return IDS_ERR_SOCKET_MEMORY;
    default: return 0;
    }
}

std::string trimmed(std::string_view text)
{
    std::string line(text);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

// The status bar has room for one line: of a text holding several replies, the last one (joining
// them would run "150 ...listing.226 ...OK." together).
std::string last_line(const std::string& text)
{
    std::string_view rest(text);
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n'))
        rest.remove_suffix(1);
    const auto end = rest.find_last_of("\r\n");
    return std::string(end == std::string_view::npos ? rest : rest.substr(end + 1));
}

std::string socket_error_reason(std::int64_t error)
{
    const int code = static_cast<int>(error);
    switch (code) {
    case 10061: return format_string(IDS_SOCKET_REFUSED, code);
    case 10060: return format_string(IDS_SOCKET_TIMED_OUT, code);
    case 10050:
    case 10051:
    case 10064:
    case 10065: return format_string(IDS_SOCKET_UNREACHABLE, code);
    case 10053:
    case 10054: return format_string(IDS_SOCKET_RESET, code);
    default: return format_string(IDS_STATUS_WINSOCK_ERROR, code);
    }
}

bool is_refusal(std::string_view line)
{
    return line.size() >= 4 && (line[0] == '4' || line[0] == '5') &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2]));
}

std::vector<std::string> certificate_reasons(const CertificateInfo& certificate, const std::string& host)
{
    std::vector<std::string> reasons;
    for (CertificateProblem problem : certificate_problems(certificate)) {
        switch (problem) {
        case CertificateProblem::UNTRUSTED_ISSUER:
            reasons.push_back(load_string(IDS_CERT_UNTRUSTED_ISSUER));
            break;
        case CertificateProblem::EXPIRED: reasons.push_back(load_string(IDS_CERT_EXPIRED)); break;
        case CertificateProblem::NOT_YET_VALID: reasons.push_back(load_string(IDS_CERT_NOT_YET_VALID)); break;
        case CertificateProblem::NAME_MISMATCH:
            reasons.push_back(format_string(IDS_CERT_NAME_MISMATCH, host));
            break;
        case CertificateProblem::OTHER:
            reasons.push_back(format_string(IDS_CERT_OTHER_PROBLEM, certificate.chain_error_text));
            break;
        }
    }
    return reasons;
}

} // namespace

void EngineEventHandler::connection_failed(FtpConnection* conn, const std::string& reason)
{
    Session* session = ctx_.session_of(conn);
    SiteProfile* profile = session ? session->profile : nullptr;
    ctx_.log.append(profile, reason, LOG_BLUE);
    ctx_.status.set_text(STATUS_MESSAGE, reason);
    failures_[conn->serial] = reason;
}

void EngineEventHandler::log_line(FtpConnection* conn, std::string_view text, std::uint32_t colour)
{
    std::string line = mask_password(trimmed(text));
    FtpConnection* control = conn && conn->parent ? conn->parent : conn;
    if (control && !control->queue.empty()) {
        const std::string request = trimmed(control->queue.front()->text);
        if (!request.empty() && line.find(request) != std::string::npos)
            colour = LOG_BLACK;
    }
    Session* session = ctx_.session_of(conn);
    ctx_.log.append(session ? session->profile : nullptr, line, colour);
    const std::string shown = last_line(line);
    ctx_.status.set_text(STATUS_MESSAGE, shown);
    if (conn && conn->role == ROLE_CONTROL && is_refusal(shown))
        refusals_[conn->serial] = shown;
}

int EngineEventHandler::handle(std::int32_t code, FtpConnection* conn, const EventArg& arg)
{
    if (rate_sample)
        rate_sample(conn);
    if (!conn && event_code(code) != EV_STATUS)
        return 0;
    switch (event_code(code)) {
    case EV_TICK: show_rate(ctx_, true); return 1;
    case EV_RECEIVED: transfer_progress(conn, true); return 1;
    case EV_SENT: transfer_progress(conn, false); return 1;
    case EV_STATUS:
        if (arg.text.empty())
            return 0;
        // A block of replies shows its last line: the status bar has room for one.
        ctx_.status.set_text(STATUS_MESSAGE, last_line(std::string(arg.text)));
        return 1;
    case EV_IDLE: {
        Session* session = ctx_.session_of(conn);
        SiteProfile* profile = session ? session->profile : nullptr;
        if (profile && profile->refresh_path && profile->refresh_node && conn->busy == 0 &&
            conn->queue.empty()) {
            std::string path = *profile->refresh_path;
            profile->refresh_path.reset();
            if (sessions_.request_node_listing)
                sessions_.request_node_listing(*session, *profile->refresh_node);
        }
        ctx_.status.clear_transfer();
        ctx_.view->command_states_changed();
        return 1;
    }
    case EV_ERROR: {
        ctx_.sounds.play(SOUND_FTP_ERROR);
        const EngineError sub = event_subcode(code);
        if (int id = fixed_error_text(sub)) {
            log_line(conn, load_string(id), LOG_BLUE);
        } else if (sub == ERR_LOCAL_FILE) {
            ctx_.prompts.message(load_string(IDS_CAPTION_ERROR), load_string(IDS_ERR_OPEN_FOR_WRITING),
                                 PromptIcon::Error);
        } else if (!arg.text.empty()) {
            // Replies that failed a command, and our own protocol and argument refusals.
            log_line(conn, arg.text, LOG_BLUE);
            if (sub == ERR_PROTOCOL && conn->role == ROLE_CONTROL)
                failures_[conn->serial] = last_line(std::string(arg.text));
            if ((sub == ERR_TLS_UNAVAILABLE || sub == ERR_TLS_CERTIFICATE) && conn->role == ROLE_CONTROL)
                tls_refused(conn, sub, std::string(arg.text));
        }
        return 1;
    }
    case EV_TLS: tls_notice(conn, arg); return 1;
    case EV_CERTIFICATE: judge_certificate(conn); return 1;
    case EV_LOG:
        if (arg.text.empty())
            return 0;
        log_line(conn, arg.text, LOG_MAROON);
        return 1;
    case EV_COMMAND_START:
        if (arg.number == CMD_RETR || arg.number == CMD_STOR || arg.number == CMD_APPE) {
            Session* session = ctx_.session_of(conn);
            if (session && !conn->queue.empty()) {
                const FtpCommand& command = *conn->queue.front();
                std::string name = command.text.substr(5);
                name = trimmed(name);
                const std::int64_t size = command.size > 0 ? command.size : command.listed_size;
                Task& row =
                    ctx_.tasks.add_row(session, session->profile,
                                       arg.number == CMD_RETR ? ROW_DOWNLOAD : ROW_UPLOAD, name, size);
                row.command_serial = command.serial;
                session->task_row = row.row_id;
                ctx_.view->command_states_changed();
            }
        }
        return 1;
    case EV_CONNECTED: {
        Session* session = ctx_.session_of(conn);
        std::string server = session && session->profile ? ctx_.server_of(session->profile) : conn->host;
        if (conn->role == ROLE_CONTROL)
            ctx_.log.append(session ? session->profile : nullptr, format_string(IDS_LOG_CONNECTED_TO, server),
                            LOG_GREEN);
        return 1;
    }
    case EV_SOCKET_ERROR: {
        const auto error = arg.number;
        if (conn->role == ROLE_CONTROL) {
            const std::string server = ctx_.session_of(conn) && ctx_.session_of(conn)->profile
                                           ? ctx_.server_of(ctx_.session_of(conn)->profile)
                                           : conn->host;
            connection_failed(conn,
                              format_string(IDS_LOG_CONNECT_FAILED, server, socket_error_reason(error)));
        }
        // A refused or unreachable data connection fails its transfer; the session stays connected.
        if (error >= 10051 && error <= 10065 && conn->role == ROLE_CONTROL) {
            Session* session = ctx_.session_of(conn);
            if (session && session->profile && session->profile->sessions == session) {
                session->state = SESSION_IDLE;
                if (session->profile->node)
                    ctx_.view->tree_item_changed(*session->profile->node);
                ctx_.unlink_session(*session);
            }
        } else if (conn->role != ROLE_CONTROL) {
            ctx_.status.set_text(STATUS_MESSAGE,
                                 format_string(IDS_STATUS_WINSOCK_ERROR, static_cast<int>(error)));
        }
        return 1;
    }
    case EV_CLOSED: connection_closed(conn); return 1;
    case EV_NEED_PASSWORD: ask_password(conn); return 1;
    case EV_QUEUED: ctx_.view->command_states_changed(); return 1;
    case EV_TIMEOUT:
        log_line(conn, load_string(IDS_LOG_CONNECT_TIMEOUT), LOG_MAROON);
        if (Session* session = ctx_.session_of(conn); session && session->state == SESSION_CONNECTING)
            failures_[conn->serial] = load_string(IDS_LOG_CONNECT_TIMEOUT);
        return 1;
    case EV_CONNECTING:
    case EV_RESOLVING: return 1;
    }
    return 1;
}

void EngineEventHandler::transfer_progress(FtpConnection* conn, bool download)
{
    const std::int64_t now = now_ms();
    if (ctx_.engine.global_rate() != 0 && now - rate_shown_ms_ >= PROGRESS_SHOW_MS) {
        rate_shown_ms_ = now;
        show_rate(ctx_, false);
    }
    if (conn->role != ROLE_DOWNLOAD && conn->role != ROLE_UPLOAD)
        return;
    Session* session = ctx_.session_of(conn);
    Task* found = session ? ctx_.tasks.find(session->task_row) : nullptr;
    if (!found)
        return;
    Task& row = *found;
    std::int64_t total = 0;
    if (conn->parent && !conn->parent->queue.empty()) {
        const FtpCommand& command = *conn->parent->queue.front();
        total = command.size > 0 ? command.size : command.listed_size;
    }
    ctx_.tasks.update_row(row, conn->restart_offset, conn->byte_total, total,
                          bytes_per_second_from_bits(conn->rate * 1000.0));
    // The status bar follows at the pace the row is shown.
    if (row.shown_at_ms < now)
        return;
    DirEntry* selected_site = ctx_.site_node_of(ctx_.selected);
    if (!selected_site || ctx_.profile_of(selected_site) == session->profile ||
        !ctx_.is_connected(selected_site))
        ctx_.status.set_text(STATUS_PERCENT, row.percent_text.value_or(""));
    ctx_.status.set_text(STATUS_MESSAGE,
                         load_string(download ? IDS_STATUS_DOWNLOADING : IDS_STATUS_UPLOADING));
}

void EngineEventHandler::ask_password(FtpConnection* conn)
{
    Session* session = ctx_.session_of(conn);
    DirEntry* site = session && session->profile ? session->profile->node : nullptr;
    std::optional<std::string> password;
    if (!ctx_.unattended)
        password = ctx_.prompts.password(format_string(IDS_ASK_PASSWORD, site ? site->name : conn->host));
    // The dialog ran its own event loop: the connection may be gone.
    if (!ctx_.engine.is_live_connection(conn))
        return;
    if (password && !password->empty())
        resend_password(ctx_.engine, *conn, *password);
    else
        close_session(ctx_.engine, *conn);
}

void EngineEventHandler::tls_notice(FtpConnection* conn, const EventArg& arg)
{
    Session* session = ctx_.session_of(conn);
    const std::string text = trimmed(arg.text);
    // A session that asked for TLS and goes on without it says so where it cannot be missed.
    ctx_.log.append(session ? session->profile : nullptr, text,
                    arg.number == TLS_NOTICE_PLAIN_FALLBACK ? LOG_RED : LOG_GREEN);
    ctx_.status.set_text(STATUS_MESSAGE, text);
}

void EngineEventHandler::judge_certificate(FtpConnection* conn)
{
    const std::optional<CertificateInfo> certificate =
        conn->tls ? conn->tls->peer_certificate() : std::nullopt;
    if (!certificate || ctx_.unattended)
        return;
    const std::uint32_t serial = conn->serial;
    asked_.insert(serial);
    const std::string host = host_of(conn->host);
    const int port = host_text_port(conn->host);
    const CertificatePrompt prompt{host + ":" + std::to_string(port),
                                   certificate->subject,
                                   certificate->issuer,
                                   certificate->valid_from,
                                   certificate->valid_until,
                                   certificate->sha256,
                                   certificate_reasons(*certificate, host)};
    const CertificateAnswer answer = ctx_.prompts.certificate(prompt);
    // The dialog ran its own event loop: the connection may be gone.
    if (!ctx_.engine.is_live(conn, serial) || answer == CertificateAnswer::Cancel)
        return;
    Session* session = ctx_.session_of(conn);
    SiteProfile* profile = session ? session->profile : nullptr;
    int logged = IDS_LOG_CERT_TRUSTED_ONCE;
    if (answer == CertificateAnswer::TrustAlways) {
        const std::filesystem::path& pins = ctx_.engine.pin_file();
        if (!pins.empty() && CertificateStore(pins).pin(host, port, certificate->sha256))
            logged = IDS_LOG_CERT_TRUSTED_ALWAYS;
        else
            ctx_.log.append(profile, format_string(IDS_ERR_CERT_NOT_KEPT, pins.string()), LOG_BLUE);
    }
    ctx_.log.append(profile, format_string(logged, certificate->sha256), LOG_GREEN);
    accept_certificate(*conn);
}

void EngineEventHandler::tls_refused(FtpConnection* conn, EngineError sub, const std::string& text)
{
    failures_[conn->serial] = last_line(text);
    if (sub == ERR_TLS_UNAVAILABLE) {
        offer_plain_ftp(conn, text);
        return;
    }
    // A certificate the user was not asked about was refused for a reason of its own (a certificate
    // that changed after "Always trust"): a warning, once the engine has finished with it.
    if (asked_.count(conn->serial) || ctx_.unattended)
        return;
    ctx_.defer([this, text] {
        ctx_.prompts.message(load_string(IDS_CAPTION_CERTIFICATE_CHANGED), text, PromptIcon::Warning);
    });
}

void EngineEventHandler::offer_plain_ftp(FtpConnection* conn, const std::string& reason)
{
    Session* session = ctx_.session_of(conn);
    SiteProfile* profile = session ? session->profile : nullptr;
    DirEntry* site = profile && !profile->temporary ? profile->node : nullptr;
    if (!site || ctx_.unattended || profile->encryption == ENCRYPTION_PLAIN)
        return;
    // Asked once the engine has finished with the connection; nothing changes without a yes.
    ctx_.defer([this, site, reason] {
        if (!ctx_.node_alive(site) || !site->session)
            return;
        const std::string question = format_string(IDS_ASK_SWITCH_TO_PLAIN, reason, site->name);
        if (ctx_.prompts.question(load_string(IDS_CAPTION_ENCRYPTION), question, PromptButtons::YesNo,
                                  PromptIcon::Warning) != PromptAnswer::Yes)
            return;
        if (!ctx_.node_alive(site) || !site->session)
            return;
        SiteProfile& chosen = *site->session;
        // The implicit-TLS port serves no plain FTP.
        if (chosen.encryption == ENCRYPTION_IMPLICIT && chosen.port == DEFAULT_IMPLICIT_TLS_PORT)
            chosen.port = std::string(DEFAULT_PORT);
        chosen.encryption = ENCRYPTION_PLAIN;
        set_modified(*site, true);
        const SaveResult saved = save_profile_file(*site, ctx_.working_folder / PROFILES_FOLDER);
        if (saved.error)
            ctx_.prompts.message(load_string(IDS_CAPTION_ERROR), saved.error->message(), PromptIcon::Error);
        sessions_.connect(site, true);
    });
}

void EngineEventHandler::connection_closed(FtpConnection* conn)
{
    if (conn->role == ROLE_LIST)
        return;
    if (conn->role == ROLE_UPLOAD || conn->role == ROLE_DOWNLOAD) {
        ctx_.status.clear_transfer();
        return;
    }
    Session* session = ctx_.session_of(conn);
    SiteProfile* profile = session ? session->profile : nullptr;
    const bool was_connecting = session && session->state == SESSION_CONNECTING;
    if (session) {
        session->state = SESSION_IDLE;
        if (profile && profile->node)
            ctx_.view->tree_item_changed(*profile->node);
        ctx_.unlink_session(*session);
    }
    ctx_.status.clear_transfer();
    // A login that ends without a failure of ours ended on the server's refusal: say so.
    auto failure = failures_.find(conn->serial);
    auto refusal = refusals_.find(conn->serial);
    std::string reason = failure != failures_.end() ? failure->second : std::string();
    if (reason.empty() && was_connecting && refusal != refusals_.end()) {
        reason = format_string(IDS_LOG_LOGIN_FAILED, refusal->second);
        ctx_.log.append(profile, reason, LOG_BLUE);
    }
    failures_.erase(conn->serial);
    refusals_.erase(conn->serial);
    asked_.erase(conn->serial);
    const std::string line =
        format_string(IDS_LOG_DISCONNECTED_FROM, profile ? ctx_.server_of(profile) : conn->host);
    ctx_.log.append(profile, line, LOG_NAVY);
    ctx_.status.set_text(STATUS_MESSAGE, reason.empty() ? line : reason);
    ctx_.view->command_states_changed();
    ctx_.view->title_changed();
    ctx_.view->terminal_log_changed(profile);
    if (!session)
        return;
    if (profile && profile->temporary && profile->node) {
        DirEntry* node = profile->node;
        ctx_.free_session(*session);
        ctx_.view->tree_node_removing(*node);
        if (ctx_.current_session_node && ctx_.site_node_of(ctx_.current_session_node) == node)
            ctx_.current_session_node = nullptr;
        if (ctx_.selected && ctx_.site_node_of(ctx_.selected) == node)
            ctx_.selected = nullptr;
        if (ctx_.shown_folder && ctx_.site_node_of(ctx_.shown_folder) == node)
            ctx_.shown_folder = nullptr;
        std::erase_if(ctx_.tree, [&](const auto& n) { return n.get() == node; });
        return;
    }
    if (profile && profile->batch_task && batch_connection_closed) {
        Task* task = profile->batch_task;
        batch_connection_closed(*session, task);
    }
    if (Session* still = ctx_.find_session(session))
        ctx_.free_session(*still);
    ctx_.sounds.play(SOUND_FTP_DISCONNECT);
}

} // namespace kestovan
