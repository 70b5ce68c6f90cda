#include "web/web_client.h"

#include "platform/clock.h"
#include "platform/window.h"
#include "ui/language.h"
#include "web/http_text.h"
#include "web/web_https.h"

#include <algorithm>
#include <unistd.h>

namespace kestovan {

std::string_view WebRequest::body() const
{
    if (!header_seen || file >= 0 || static_cast<std::size_t>(header_length) > buffer.size())
        return {};
    return std::string_view(buffer).substr(static_cast<std::size_t>(header_length));
}

WebClient::WebClient() = default;

WebClient::~WebClient()
{
    if (window_) {
        callback_ = nullptr;
        web_shutdown();
    }
}

int WebClient::web_init(Window& window, std::string user_agent, WebEventCallback callback)
{
    if (window_ || !callback)
        return 0;
    window_ = &window;
    user_agent_ = std::move(user_agent);
    callback_ = std::move(callback);
    proxy_ = WebProxy{};
    filter_id_ = window.install_filter([this](const Message& m) { return message(m); });
    std::weak_ptr<int> token = token_;
    window.add_destroy_hook([this, token] {
        if (!token.expired() && window_)
            web_shutdown();
    });
    https_ = std::make_unique<HttpsFetcher>(*this);
    web_set_timeout(timeout_ms_);
    return 1;
}

void WebClient::web_set_timeout(int ms)
{
    timeout_ms_ = std::max(ms, 0);
    if (!window_)
        return;
    if (timeout_ms_ > 0)
        window_->set_timer(TIMER_WEB_TIMEOUT, timeout_ms_);
    else
        window_->kill_timer(TIMER_WEB_TIMEOUT);
    window_->set_timer(TIMER_WEB_TICK, WEB_TICK_MS);
}

void WebClient::web_set_proxy(int type, const std::string& host, int port, const std::string& user_name,
                              const std::string& password)
{
    // Credentials built for one proxy are never offered to another.
    proxy_ = WebProxy{};
    if (host.empty())
        return;
    proxy_.type = type;
    proxy_.host = host;
    proxy_.port = port == 0 ? WEB_DEFAULT_PROXY_PORT : port;
    proxy_.user_name = user_name;
    proxy_.password = password;
}

void WebClient::set_https_ca_file(const std::string& pem_path)
{
    https_ca_file_ = pem_path;
}

bool WebClient::via_http_proxy() const
{
    return !proxy_.host.empty() && proxy_.type != WEB_PROXY_SOCKS4 && proxy_.type != WEB_PROXY_SOCKS5;
}

bool WebClient::via_socks() const
{
    return !proxy_.host.empty() && (proxy_.type == WEB_PROXY_SOCKS4 || proxy_.type == WEB_PROXY_SOCKS5);
}

WebRequest* WebClient::web_fetch(const std::string& url, std::optional<std::string> destination,
                                 std::int64_t byte_limit, void* owner, WebCompletion callback)
{
    last_error_.clear();
    if (!window_)
        return nullptr;
    if ((!is_http_url(url) && !is_https_url(url)) || !is_safe_url(url)) {
        last_error_ = format_string<IDS_WEB_NOT_HTTP_ADDRESS>(url.substr(0, 200));
        raise(WEB_EV_ERROR, nullptr, 0, last_error_);
        return nullptr;
    }
    auto record = std::make_unique<WebRequest>();
    record->serial = ++serial_counter_;
    record->url = url;
    record->status_text = load_string(IDS_WEB_DOWNLOADING);
    record->destination = std::move(destination);
    record->byte_limit = std::max<std::int64_t>(byte_limit, 0);
    record->owner = owner;
    record->callback = std::move(callback);
    record->https = is_https_url(url);
    WebRequest* request = record.get();
    if (!request->https && !open_socket(*request))
        return nullptr;
    requests_.push_back(std::move(record));
    const std::uint32_t serial = request->serial;
    if (request->https)
        https_->start(*request);
    else
        start_request(*request);
    return is_live(request, serial) ? request : nullptr;
}

void WebClient::web_shutdown()
{
    callback_ = nullptr;
    while (!requests_.empty())
        destroy(requests_.front().get());
    cursor_ = nullptr;
    https_.reset();
    if (window_) {
        window_->kill_timer(TIMER_WEB_TIMEOUT);
        window_->kill_timer(TIMER_WEB_TICK);
        window_->remove_filter(filter_id_);
    }
    proxy_ = WebProxy{};
    user_agent_.clear();
    window_ = nullptr;
}

void WebClient::cancel(WebRequest* request)
{
    if (!is_live_request(request) || request->finished)
        return;
    request->result_flags |= WEB_CANCELLED | WEB_FAILED;
    end_request(*request, false);
}

bool WebClient::is_live_request(const void* pointer) const
{
    return pointer &&
           std::any_of(requests_.begin(), requests_.end(), [&](const auto& r) { return r.get() == pointer; });
}

bool WebClient::is_live(const WebRequest* request, std::uint32_t serial) const
{
    return is_live_request(request) && request->serial == serial;
}

std::vector<WebRequest*> WebClient::requests() const
{
    std::vector<WebRequest*> all;
    for (const auto& r : requests_)
        all.push_back(r.get());
    return all;
}

std::uint32_t WebClient::next_lookup_message()
{
    if (++lookup_counter_ > WEB_LOOKUP_COUNTER_MAX)
        lookup_counter_ = 1;
    return WM_WEB_LOOKUP_BASE + static_cast<std::uint32_t>(lookup_counter_);
}

// --- events --------------------------------------------------------------------------------------

void WebClient::raise(std::int32_t code, WebRequest* request, std::int64_t number, std::string_view text)
{
    if (callback_) {
        WebEventCallback callback = callback_; // the handler may replace the client's callback
        callback(code, request, WebEventArg{number, text});
    }
}

void WebClient::status(WebRequest& request, std::string_view text)
{
    request.error_text = std::string(text);
    std::string line = " ";
    line.append(text.substr(0, MAX_WEB_STATUS_TEXT));
    raise(WEB_EV_STATUS, &request, 0, line);
}

void WebClient::error(WebRequest& request, std::string_view text)
{
    request.error_text = std::string(text);
    raise(WEB_EV_ERROR, &request, 0, text);
}

// --- records -------------------------------------------------------------------------------------

WebRequest* WebClient::find_by_socket(SocketHandle socket) const
{
    if (socket == 0)
        return nullptr;
    for (const auto& r : requests_)
        if (r->socket == socket)
            return r.get();
    return nullptr;
}

void WebClient::close_socket(WebRequest& request)
{
    if (request.socket) {
        async_select(request.socket, nullptr, 0, 0);
        socket_close(request.socket);
        request.socket = 0;
    }
}

void WebClient::close_file(WebRequest& request)
{
    if (request.file >= 0)
        ::close(request.file);
    request.file = -1;
}

void WebClient::destroy(WebRequest* request)
{
    auto it =
        std::find_if(requests_.begin(), requests_.end(), [&](const auto& r) { return r.get() == request; });
    if (it == requests_.end())
        return;
    close_socket(*request);
    if (https_)
        https_->stop(*request);
    if (request->lookup)
        cancel_lookup(request->lookup);
    request->lookup = 0;
    close_file(*request);
    const std::uint32_t serial = request->serial;
    raise(WEB_EV_DESTROYED, request);
    if (!is_live(request, serial))
        return; // the shell destroyed it while handling the event
    it = std::find_if(requests_.begin(), requests_.end(), [&](const auto& r) { return r.get() == request; });
    requests_.erase(it);
    cursor_ = nullptr;
    if (requests_.empty())
        raise(WEB_EV_IDLE, nullptr);
}

// --- timers --------------------------------------------------------------------------------------

bool WebClient::message(const Message& m)
{
    switch (m.id) {
    case WM_TIMER:
        if (m.wparam == TIMER_WEB_TICK) {
            timer_tick();
            return true;
        }
        if (m.wparam == TIMER_WEB_TIMEOUT) {
            timeout_tick();
            return true;
        }
        return false;
    case WM_WEB_CONNECT: return on_connect(m);
    case WM_WEB_READ: return on_read(m);
    default:
        if (m.id > WM_WEB_LOOKUP_BASE && m.id <= WM_WEB_LOOKUP_BASE + WEB_LOOKUP_COUNTER_MAX)
            return on_lookup(m);
        return false;
    }
}

void WebClient::add_received(std::int64_t bytes)
{
    accumulator_ += static_cast<double>(bytes);
}

void WebClient::timer_tick()
{
    const std::int64_t now = now_ms();
    if (global_rate_time_ == 0 || now - global_rate_time_ > 1000) {
        const std::int64_t elapsed = now - global_rate_time_;
        global_rate_ =
            global_rate_time_ == 0 || elapsed <= 0 ? 0 : accumulator_ * 8000.0 / static_cast<double>(elapsed);
        global_rate_time_ = now;
        accumulator_ = 0;
    }
    if (requests_.empty())
        return;
    auto it = requests_.begin();
    if (cursor_) {
        it = std::find_if(requests_.begin(), requests_.end(),
                          [&](const auto& r) { return r.get() == cursor_; });
        if (it == requests_.end())
            it = requests_.begin();
    }
    WebRequest* request = it->get();
    auto next = std::next(it);
    cursor_ = next == requests_.end() ? nullptr : next->get();
    raise(WEB_EV_TICK, request);
}

void WebClient::timeout_tick()
{
    // Every request counts its idle periods, so one stalled request among many is not left waiting
    // for the round-robin cursor to come by.
    std::vector<std::pair<WebRequest*, std::uint32_t>> visit;
    for (const auto& r : requests_)
        visit.emplace_back(r.get(), r->serial);
    bool timed_out = false;
    for (auto [request, serial] : visit) {
        if (!is_live(request, serial) || request->finished)
            continue;
        ++request->idle_count;
        const bool connecting = request->state < WST_RECEIVING || request->state == WST_RESOLVING;
        if ((connecting && request->idle_count > WEB_CONNECT_IDLE_LIMIT) ||
            request->idle_count > WEB_IDLE_LIMIT) {
            request->result_flags |= WEB_TIMED_OUT | WEB_FAILED;
            error(*request, format_string<IDS_WEB_TIMED_OUT>(url_host_port(request->url)));
            if (is_live(request, serial))
                end_request(*request, false);
            timed_out = true;
        }
    }
    if (!timed_out)
        return;
    for (const auto& r : requests_) {
        if (r->state == WST_IDLE && !r->https && !r->finished) {
            WebRequest& waiting = *r;
            if (open_socket(waiting))
                start_request(waiting);
            break;
        }
    }
}

} // namespace kestovan
