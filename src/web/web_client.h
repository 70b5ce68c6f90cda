// The web client: HTTP/1.0 fetches of web pages and files, message-driven on the main window like
// the FTP engine but with records, message ids, timers and an event callback of its own. "https://"
// addresses go through Qt Network on the same thread (web_https.cpp). The connection steps live in
// web_connect.cpp, the response in web_receive.cpp, the SOCKS handshakes in web_socks.cpp.
//
// Everything runs on the one user-interface thread. Any call that can reach the shell (an event,
// a completion callback) may run a nested event loop that destroys requests; code that goes on
// afterwards checks `is_live(request, serial)` first.
#pragma once

#include "platform/message.h"
#include "ui/string_table.h"
#include "web/web_request.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

class Window;
class HttpsFetcher;

// Window messages and timers of the web client.
constexpr std::uint32_t TIMER_WEB_TIMEOUT = 20000;
constexpr std::uint32_t TIMER_WEB_TICK = 20001;
constexpr std::uint32_t WM_WEB_CONNECT = 20002;
constexpr std::uint32_t WM_WEB_READ = 20003;
constexpr std::uint32_t WM_WEB_LOOKUP_BASE = 20010;
constexpr int WEB_LOOKUP_COUNTER_MAX = 9900;

constexpr int WEB_TICK_MS = 100;
constexpr int WEB_DEFAULT_TIMEOUT_MS = 8000;
constexpr int WEB_DEFAULT_PROXY_PORT = 80;
constexpr int MAX_WEB_REDIRECTIONS = 5;
// Idle time-out periods a request may pass while it is still resolving or connecting, and at all.
constexpr int WEB_CONNECT_IDLE_LIMIT = 1;
constexpr int WEB_IDLE_LIMIT = 10;

// Bounds against hostile or broken servers, and read sizes: a page is read in moderate pieces, a
// file in large blocks so a download is not held to a fraction of the machine's speed.
constexpr std::size_t MAX_RESPONSE_HEADERS = 64 * 1024;
constexpr std::size_t MAX_PAGE_SIZE = 64 * 1024 * 1024;
constexpr std::size_t WEB_PAGE_READ_SIZE = 64 * 1024;
constexpr std::size_t WEB_FILE_READ_SIZE = 256 * 1024;
constexpr std::size_t MAX_WEB_STATUS_TEXT = 98;

// The User-Agent of every request, from the window and the command-line client alike: the
// application title, untranslated, since servers read it and not the user.
inline constexpr std::string_view WEB_USER_AGENT = *english_text(IDS_APP_TITLE);

// The proxy types of the shared proxy settings; SOCKS types tunnel, any other type with a host is
// an HTTP proxy.
constexpr int WEB_PROXY_SOCKS4 = 2;
constexpr int WEB_PROXY_SOCKS5 = 3;

struct WebEventArg {
    std::int64_t number = 0;
    std::string_view text;
};
using WebEventCallback = std::function<void(std::int32_t event, WebRequest* request, const WebEventArg& arg)>;

struct WebProxy {
    int type = 0;
    std::string host; // empty: no proxy
    int port = WEB_DEFAULT_PROXY_PORT;
    std::string user_name;
    std::string password;
    std::string credentials; // Base64 "user:password", built after the proxy asked for it
};

class WebClient {
public:
    WebClient();
    ~WebClient();
    WebClient(const WebClient&) = delete;
    WebClient& operator=(const WebClient&) = delete;

    // 1 on success; 0 when already initialised or without a callback.
    int web_init(Window& window, std::string user_agent, WebEventCallback callback);
    void web_set_timeout(int ms);
    void web_set_proxy(int type, const std::string& host, int port, const std::string& user_name,
                       const std::string& password);
    // A new request, or null when the address is not "http://" or "https://", holds a line break,
    // or cannot be started (the reason went to the event callback and last_error()). The completion
    // callback may already have run when this returns null.
    WebRequest* web_fetch(const std::string& url, std::optional<std::string> destination,
                          std::int64_t byte_limit, void* owner, WebCompletion callback);
    void web_shutdown();
    // Ends a running fetch as failed and cancelled; its completion callback runs.
    void cancel(WebRequest* request);
    // During a completion callback: true when answering WEB_FOLLOW_REDIRECT will restart the request
    // at a new address (a redirection within the limit, to an http or https address).
    [[nodiscard]] bool can_follow(const WebRequest& request) const;

    // Only these certificates (PEM) are trusted for "https://" from now on; empty: the system's.
    void set_https_ca_file(const std::string& pem_path);
    [[nodiscard]] const std::string& https_ca_file() const { return https_ca_file_; }

    [[nodiscard]] bool is_live(const WebRequest* request, std::uint32_t serial) const;
    [[nodiscard]] bool is_live_request(const void* pointer) const;
    [[nodiscard]] std::size_t request_count() const { return requests_.size(); }
    [[nodiscard]] std::vector<WebRequest*> requests() const;
    [[nodiscard]] int timeout() const { return timeout_ms_; }
    [[nodiscard]] const WebProxy& proxy() const { return proxy_; }
    [[nodiscard]] const std::string& user_agent() const { return user_agent_; }
    [[nodiscard]] Window* window() const { return window_; }
    [[nodiscard]] const std::string& last_error() const { return last_error_; }
    // Bits per second received by all requests over the last second or so.
    [[nodiscard]] double global_rate() const { return global_rate_; }
    [[nodiscard]] std::uint32_t next_lookup_message();

    // Messages of the web client; true when consumed.
    bool message(const Message& message);

private:
    friend class HttpsFetcher;

    // web_client.cpp: records, events, timers.
    void raise(std::int32_t code, WebRequest* request, std::int64_t number = 0, std::string_view text = {});
    void status(WebRequest& request, std::string_view text);
    void error(WebRequest& request, std::string_view text);
    void destroy(WebRequest* request);
    WebRequest* find_by_socket(SocketHandle socket) const;
    void close_socket(WebRequest& request);
    void close_file(WebRequest& request);
    void timer_tick();
    void timeout_tick();
    void add_received(std::int64_t bytes);
    [[nodiscard]] bool via_http_proxy() const;
    [[nodiscard]] bool via_socks() const;

    // web_connect.cpp: starting, resolving, connecting, sending.
    bool open_socket(WebRequest& request);
    void start_request(WebRequest& request);
    void resolve(WebRequest& request, const std::string& host_port);
    bool on_lookup(const Message& m);
    void connect(WebRequest& request);
    bool on_connect(const Message& m);
    void send_request(WebRequest& request);
    void socket_failure(WebRequest& request, int error);
    [[nodiscard]] bool register_read(WebRequest& request);

    // web_receive.cpp: the response, the end, redirections and proxy authentication.
    bool on_read(const Message& m);
    void receive(WebRequest& request);
    bool take_bytes(WebRequest& request, const char* data, std::size_t count);
    bool headers_complete(WebRequest& request);
    bool write_body(WebRequest& request, const char* data, std::size_t count);
    void fail(WebRequest& request, std::string_view text);
    void end_request(WebRequest& request, bool judge_status);
    void judge(WebRequest& request);
    bool start_proxy_authentication(WebRequest& request);
    void restart(WebRequest& request, std::string url);
    [[nodiscard]] bool may_follow(const WebRequest& request) const;
    [[nodiscard]] std::size_t read_size(const WebRequest& request) const;

    // web_socks.cpp: the SOCKS 4 and SOCKS 5 handshakes with the proxy.
    void socks_start(WebRequest& request);
    void socks_target_resolved(WebRequest& request);
    void socks_receive(WebRequest& request, std::string_view data);
    void socks_carry_out(WebRequest& request, SocksStep step);
    void socks_done(WebRequest& request, const std::string& rest);

    std::list<std::unique_ptr<WebRequest>> requests_;
    WebRequest* cursor_ = nullptr; // round-robin cursor; null: start at the head
    Window* window_ = nullptr;
    int filter_id_ = 0;
    std::shared_ptr<int> token_ = std::make_shared<int>(0);
    WebEventCallback callback_;
    std::string user_agent_;
    WebProxy proxy_;
    int timeout_ms_ = WEB_DEFAULT_TIMEOUT_MS;
    int lookup_counter_ = 0;
    std::uint32_t serial_counter_ = 0;
    std::string last_error_;
    std::string https_ca_file_;
    double accumulator_ = 0;
    double global_rate_ = 0;
    std::int64_t global_rate_time_ = 0;
    std::vector<char> scratch_ = std::vector<char>(WEB_FILE_READ_SIZE);
    std::unique_ptr<HttpsFetcher> https_;
};

} // namespace kestovan
