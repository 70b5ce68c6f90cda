#include "cli/web_commands.h"

#include "cli/cli_arguments.h"
#include "cli/ftp_url.h"
#include "engine/proxy.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "views/link_harvest.h"
#include "web/http_text.h"
#include "web/web_client.h"

#include <QCoreApplication>

#include <iostream>

namespace kestovan {

namespace {

constexpr std::int64_t PROGRESS_INTERVAL_MS = 500;

// One fetch on its own window and client, driven by the Qt event loop until it has ended.
class WebRun {
public:
    explicit WebRun(const WebCommandOptions& options) : options_(options)
    {
        client_.web_init(window_, std::string(WEB_USER_AGENT),
                         [this](std::int32_t code, WebRequest* request, const WebEventArg& arg) {
                             on_event(code, request, arg);
                         });
        client_.web_set_timeout(options.timeout_ms);
        if (options.http_proxy)
            client_.web_set_proxy(PROXY_FTP, options.http_proxy->host, options.http_proxy->port,
                                  options.http_proxy->user, options.http_proxy->password);
        else if (options.socks.type == PROXY_SOCKS4 || options.socks.type == PROXY_SOCKS5)
            client_.web_set_proxy(options.socks.type, options.socks.host, options.socks.port,
                                  options.socks.user, options.socks.password);
        if (!options.ca_file.empty())
            client_.set_https_ca_file(options.ca_file);
    }

    // True when the fetch succeeded; the request as it ended is in the members below. destination is
    // taken by reference: g++ 12 at -O3 reports a false "may be used uninitialized" when a by-value
    // std::optional<std::string> made from nullopt is destroyed.
    bool run(const std::string& url, const std::optional<std::string>& destination)
    {
        WebRequest* request = client_.web_fetch(url, destination, 0, nullptr, [this](WebRequest& r, void*) {
            if (client_.can_follow(r)) {
                verbose("redirected to " + redirect_target(r.buffer, r.url).value_or("?"));
                return WEB_FOLLOW_REDIRECT;
            }
            ended_ = true;
            ok_ = !r.failed();
            final_url_ = r.url;
            status_ = r.status_code;
            body_ = std::string(r.body());
            bytes_ = r.body_written > 0 ? r.body_written : static_cast<std::int64_t>(body_.size());
            error_ = r.error_text;
            if (!ok_ && error_.empty())
                error_ = "the fetch of " + r.url + " failed (status " + std::to_string(r.status_code) + ")";
            return 0;
        });
        if (!request && !ended_) {
            error_ = client_.last_error().empty() ? "the fetch could not start" : client_.last_error();
            return false;
        }
        while (!ended_ || client_.request_count() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return ok_;
    }

    std::string final_url_;
    std::string body_;
    std::string error_;
    std::int64_t bytes_ = 0;
    std::uint16_t status_ = 0;

private:
    void verbose(const std::string& line) const
    {
        if (options_.verbose)
            std::cerr << line << "\n";
    }

    void on_event(std::int32_t code, WebRequest* request, const WebEventArg& arg)
    {
        switch (code) {
        case WEB_EV_STATUS:
        case WEB_EV_ERROR: verbose(std::string(arg.text)); break;
        case WEB_EV_SOCKET_ERROR: verbose("socket error " + std::to_string(arg.number)); break;
        case WEB_EV_SENT: verbose("request sent to " + (request ? request->url : std::string())); break;
        case WEB_EV_RECEIVED:
            if (request && options_.verbose && now_ms() - last_progress_ms_ >= PROGRESS_INTERVAL_MS) {
                last_progress_ms_ = now_ms();
                auto percent = progress_percent(request->bytes_received, request->header_length,
                                                request->content_length);
                std::cerr << request->bytes_received << " bytes"
                          << (percent ? " (" + std::to_string(*percent) + "%)" : std::string()) << "\n";
            }
            break;
        default: break;
        }
    }

    const WebCommandOptions& options_;
    Window window_;
    WebClient client_;
    bool ended_ = false;
    bool ok_ = false;
    std::int64_t last_progress_ms_ = 0;
};

} // namespace

std::optional<ProxySpec> parse_http_proxy_spec(const std::string& text, std::string* error)
{
    std::string rest = text;
    if (starts_with_nocase(rest, "http://"))
        rest = rest.substr(7);
    // The FTP URL parser does user, password, host and port; the scheme is ours.
    auto url = parse_ftp_url("ftp://" + rest, error);
    if (!url)
        return std::nullopt;
    const std::size_t at = rest.rfind('@');
    if (rest.find(':', at == std::string::npos ? 0 : at) == std::string::npos) {
        if (error)
            *error = "the HTTP proxy needs a port";
        return std::nullopt;
    }
    ProxySpec chosen;
    chosen.type = PROXY_FTP;
    chosen.host = url->host;
    chosen.port = url->port;
    chosen.user = url->user;
    chosen.password = url->password.value_or("");
    return chosen;
}

int run_web_fetch(const std::string& url, const std::string& file, const WebCommandOptions& options,
                  std::ostream& out, std::string& error)
{
    WebRun run(options);
    if (!run.run(url, file)) {
        error = run.error_;
        return 1;
    }
    out << "saved " << run.bytes_ << " bytes from " << run.final_url_ << " to " << file << "\n";
    return 0;
}

int run_web_links(const std::string& url, const WebCommandOptions& options, std::ostream& out,
                  std::string& error)
{
    WebRun run(options);
    if (!run.run(url, std::nullopt)) {
        error = run.error_;
        return 1;
    }
    for (const std::string& link : harvest_links(run.body_))
        out << link << "\n";
    return 0;
}

int run_web_command(const CliArguments& arguments)
{
    WebCommandOptions options;
    options.timeout_ms = arguments.options.timeout_ms;
    options.verbose = arguments.options.verbose;
    options.socks = arguments.options.proxy;
    options.http_proxy = arguments.http_proxy;
    options.ca_file = arguments.ca_file;
    std::string error;
    const int status = arguments.command == "fetch"
                           ? run_web_fetch(arguments.web_url, arguments.local_file, options, std::cout, error)
                           : run_web_links(arguments.web_url, options, std::cout, error);
    std::cout.flush();
    if (status != 0)
        std::cerr << "kestovan-ftp-cli: " << error << "\n";
    return status;
}

} // namespace kestovan
