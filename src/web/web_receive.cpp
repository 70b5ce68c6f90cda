// The response: receiving into the buffer or the destination file, the headers, the end of a
// request, redirections and the proxy's request for authentication.
#include "platform/socket_error.h"
#include "ui/language.h"
#include "web/http_text.h"
#include "web/web_client.h"
#include "web/web_https.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kestovan {

namespace {

bool is_success(std::uint16_t status)
{
    return status >= 200 && status <= 299;
}

// 303, 307 and 308 mean the same for a GET as the two codes of HTTP/1.0.
bool is_redirection(std::uint16_t status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

constexpr std::uint16_t PROXY_AUTHENTICATION_REQUIRED = 407;

bool write_all(int fd, const char* data, std::size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(fd, data, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

bool WebClient::on_read(const Message& m)
{
    WebRequest* request = find_by_socket(m.wparam);
    if (!request)
        return false;
    if (const int error = select_error(m)) {
        socket_failure(*request, error);
        return true;
    }
    if (select_event(m) & FD_READ)
        receive(*request);
    else if ((select_event(m) & FD_CLOSE) && request->socks)
        fail(*request, SocksHandshake::closed().text);
    else if (select_event(m) & FD_CLOSE)
        end_request(*request, true);
    return true;
}

std::size_t WebClient::read_size(const WebRequest& request) const
{
    std::size_t want = request.file >= 0 ? WEB_FILE_READ_SIZE : WEB_PAGE_READ_SIZE;
    if (request.byte_limit > 0)
        want = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(want),
                                                               request.byte_limit - request.bytes_received));
    return want;
}

void WebClient::receive(WebRequest& request)
{
    const long got =
        socket_recv(request.socket, scratch_.data(), std::max<std::size_t>(read_size(request), 1));
    if (got < 0) {
        const int error = last_socket_error();
        if (error != WSAEWOULDBLOCK)
            socket_failure(request, error);
        return;
    }
    if (got == 0)
        return; // the close notification follows
    if (request.socks) {
        socks_receive(request, std::string_view(scratch_.data(), static_cast<std::size_t>(got)));
        return;
    }
    const std::uint32_t serial = request.serial;
    if (!take_bytes(request, scratch_.data(), static_cast<std::size_t>(got)) || !is_live(&request, serial))
        return;
    // A body of the announced length is complete: a server that keeps the connection open after it
    // would otherwise hold the request until the time-out failed it.
    const bool complete = request.header_seen && request.has_content_length &&
                          request.bytes_received - request.header_length >= request.content_length;
    if (complete || (request.byte_limit > 0 && request.bytes_received >= request.byte_limit))
        end_request(request, true);
}

// Bytes of the response, from either client; false when the request ended or went away.
bool WebClient::take_bytes(WebRequest& request, const char* data, std::size_t count)
{
    const std::uint32_t serial = request.serial;
    request.idle_count = 0;
    if (request.header_seen && request.has_content_length) {
        // Bytes beyond the announced length are no part of the body.
        const std::int64_t room = request.header_length + request.content_length - request.bytes_received;
        count = static_cast<std::size_t>(std::clamp<std::int64_t>(room, 0, static_cast<std::int64_t>(count)));
    }
    request.bytes_received += static_cast<std::int64_t>(count);
    add_received(static_cast<std::int64_t>(count));
    if (!request.header_seen) {
        request.buffer.append(data, count);
        if (!headers_complete(request))
            return false;
    } else if (!write_body(request, data, count)) {
        return false;
    }
    if (!is_live(&request, serial))
        return false;
    raise(WEB_EV_RECEIVED, &request, request.bytes_received);
    return is_live(&request, serial) && !request.finished;
}

// Looks for the end of the headers; true while the request goes on.
bool WebClient::headers_complete(WebRequest& request)
{
    const auto end = find_header_end(request.buffer);
    if (!end) {
        if (request.buffer.size() > MAX_RESPONSE_HEADERS) {
            fail(request, format_string<IDS_WEB_HEADERS_WITHOUT_END>(MAX_RESPONSE_HEADERS / 1024));
            return false;
        }
        return true;
    }
    request.header_seen = true;
    request.header_length = static_cast<std::int64_t>(*end);
    const ResponseHead head = parse_response_head(std::string_view(request.buffer).substr(0, *end));
    request.status_code = head.status_code;
    request.content_length = head.content_length;
    request.has_content_length = head.has_content_length;
    request.last_modified = head.last_modified;
    if (request.has_content_length &&
        request.buffer.size() - *end > static_cast<std::uint64_t>(request.content_length)) {
        const std::size_t excess =
            request.buffer.size() - *end - static_cast<std::size_t>(request.content_length);
        request.buffer.resize(request.buffer.size() - excess);
        request.bytes_received -= static_cast<std::int64_t>(excess);
    }
    // Only a successful response replaces the destination file; an error page or a redirection
    // body stays in the buffer, where a redirection is looked for.
    if (!request.destination || !is_success(request.status_code))
        return true;
    request.file = ::open(request.destination->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (request.file < 0) {
        fail(request, format_string<IDS_WEB_CREATE_FILE>(*request.destination, std::strerror(errno)));
        return false;
    }
    std::string body = request.buffer.substr(*end);
    request.buffer.resize(*end);
    request.buffer.shrink_to_fit();
    return write_body(request, body.data(), body.size());
}

bool WebClient::write_body(WebRequest& request, const char* data, std::size_t count)
{
    if (request.file >= 0) {
        if (!write_all(request.file, data, count)) {
            fail(request,
                 format_string<IDS_WEB_WRITE_FILE>(request.destination.value_or(""), std::strerror(errno)));
            return false;
        }
        request.body_written += static_cast<std::int64_t>(count);
        return true;
    }
    if (request.buffer.size() + count > MAX_PAGE_SIZE) {
        fail(request, format_string<IDS_WEB_PAGE_TOO_LARGE>(MAX_PAGE_SIZE / (1024 * 1024)));
        return false;
    }
    request.buffer.append(data, count);
    return true;
}

void WebClient::fail(WebRequest& request, std::string_view text)
{
    const std::uint32_t serial = request.serial;
    status(request, text);
    if (!is_live(&request, serial) || request.finished)
        return;
    request.result_flags |= WEB_FAILED;
    end_request(request, false);
}

void WebClient::judge(WebRequest& request)
{
    const std::uint16_t code = request.status_code;
    if (request.bytes_received == 0) {
        request.result_flags |= WEB_FAILED;
        if (request.error_text.empty())
            request.error_text = load_string(IDS_WEB_NO_ANSWER);
        return;
    }
    if (is_success(code)) {
        const std::int64_t body = request.bytes_received - request.header_length;
        const bool limited = request.byte_limit > 0 && request.bytes_received >= request.byte_limit;
        if (request.has_content_length && body < request.content_length && !limited) {
            // A body cut short is a failure, not a smaller file.
            request.result_flags |= WEB_FAILED;
            request.error_text = format_string<IDS_WEB_BODY_CUT_SHORT>(body, request.content_length);
        }
        return;
    }
    if (is_redirection(code)) {
        request.result_flags |= WEB_REDIRECTED | WEB_FAILED;
        return;
    }
    request.result_flags |= WEB_FAILED;
    request.error_text =
        code == 0 ? load_string(IDS_WEB_NOT_HTTP_ANSWER) : format_string<IDS_WEB_STATUS_CODE>(int{code});
}

void WebClient::end_request(WebRequest& request, bool judge_status)
{
    if (request.finished)
        return;
    close_socket(request);
    if (https_)
        https_->stop(request);
    if (judge_status && request.status_code == PROXY_AUTHENTICATION_REQUIRED &&
        start_proxy_authentication(request))
        return;
    request.finished = true;
    request.result_flags |= WEB_ENDED;
    if (judge_status)
        judge(request);
    close_file(request);
    const std::uint32_t serial = request.serial;
    int answer = 0;
    if (request.callback) {
        WebCompletion callback = request.callback;
        answer = callback(request, request.owner);
        if (!is_live(&request, serial))
            return;
    }
    if (answer == WEB_FOLLOW_REDIRECT && (request.result_flags & WEB_REDIRECTED) && may_follow(request)) {
        if (auto target = redirect_target(request.buffer, request.url)) {
            restart(request, std::move(*target));
            return;
        }
    }
    destroy(&request);
}

bool WebClient::can_follow(const WebRequest& request) const
{
    return (request.result_flags & WEB_REDIRECTED) && may_follow(request) &&
           redirect_target(request.buffer, request.url).has_value();
}

bool WebClient::may_follow(const WebRequest& request) const
{
    const int followed = request.redirections - (request.auth_retried ? 1 : 0);
    return followed < MAX_WEB_REDIRECTIONS;
}

bool WebClient::start_proxy_authentication(WebRequest& request)
{
    // Answered once, and only to an HTTP proxy: a web server asking for proxy credentials gets none.
    if (!via_http_proxy() || !proxy_.credentials.empty() || proxy_.user_name.empty() || request.auth_retried)
        return false;
    proxy_.credentials = basic_credentials(proxy_.user_name, proxy_.password);
    request.auth_retried = true;
    restart(request, request.url);
    return true;
}

void WebClient::restart(WebRequest& request, std::string url)
{
    close_socket(request);
    close_file(request);
    request.url = std::move(url);
    request.buffer.clear();
    request.buffer.shrink_to_fit();
    request.result_flags = 0;
    request.status_code = 0;
    request.header_seen = false;
    request.header_length = 0;
    request.content_length = 0;
    request.has_content_length = false;
    request.last_modified.reset();
    request.bytes_received = 0;
    request.body_written = 0;
    request.idle_count = 0;
    request.socks.reset();
    request.finished = false;
    request.error_text.clear();
    ++request.redirections;
    request.https = is_https_url(request.url);
    if (request.https) {
        https_->start(request);
        return;
    }
    const std::uint32_t serial = request.serial;
    if (!open_socket(request)) {
        if (is_live(&request, serial)) {
            request.result_flags |= WEB_FAILED;
            end_request(request, false);
        }
        return;
    }
    start_request(request);
}

} // namespace kestovan
