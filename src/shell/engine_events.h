// The shell's handler of every engine event: log lines, status texts, Tasks rows, session states and
// the end of connections.
#pragma once

#include "shell/session_control.h"

#include <functional>
#include <limits>
#include <map>
#include <set>

namespace kestovan {

class EngineEventHandler {
public:
    EngineEventHandler(ShellContext& ctx, SessionControl& sessions) : ctx_(ctx), sessions_(sessions) {}

    // 1 when handled; 0 without a connection, or for a text event without text.
    int handle(std::int32_t code, FtpConnection* conn, const EventArg& arg);

    // Logs an engine line for the connection's profile: trailing line ends and blanks removed, a
    // password masked, black when it holds the text of the connection's request.
    void log_line(FtpConnection* conn, std::string_view text, std::uint32_t colour);

    // Fed with every event: the transfer rate sampler of the rate display.
    std::function<void(FtpConnection*)> rate_sample;
    // A listing or other data whose text should go to the log in green (typed LIST/NLST): set by the
    // typed commands for the connection that runs them.
    std::function<void(Session&, Task*)> batch_connection_closed;

private:
    void connection_closed(FtpConnection* conn);
    // Why a control connection went away before or instead of a login: logged in the error colour,
    // and what the status bar keeps after "Disconnected from".
    void connection_failed(FtpConnection* conn, const std::string& reason);
    void transfer_progress(FtpConnection* conn, bool download);
    void ask_password(FtpConnection* conn);
    // TLS: a notice for the log, the certificate dialog, and what follows a refused TLS session.
    void tls_notice(FtpConnection* conn, const EventArg& arg);
    void judge_certificate(FtpConnection* conn);
    void tls_refused(FtpConnection* conn, EngineError sub, const std::string& text);
    void offer_plain_ftp(FtpConnection* conn, const std::string& reason);
    ShellContext& ctx_;
    SessionControl& sessions_;
    // By control connection serial: the failure already reported, and the last refusal the server
    // sent (4xx or 5xx), the reason when the login ends without one of ours.
    std::map<std::uint32_t, std::string> failures_;
    std::map<std::uint32_t, std::string> refusals_;
    // The status bar's rate is shown at most every PROGRESS_SHOW_MS.
    std::int64_t rate_shown_ms_ = std::numeric_limits<std::int64_t>::min() / 2;
    // Control connections whose certificate was put to the user (a refusal then needs no warning).
    std::set<std::uint32_t> asked_;
};

} // namespace kestovan
