// Starting a request: the host to look up, the lookup, the connect and the request text.
#include "platform/socket_error.h"
#include "platform/window.h"
#include "ui/language.h"
#include "web/http_text.h"
#include "web/web_client.h"

namespace kestovan {

bool WebClient::open_socket(WebRequest& request)
{
    close_socket(request);
    request.socket = socket_open();
    if (request.socket)
        return true;
    last_error_ = load_string(IDS_WEB_NO_SOCKET);
    status(request, last_error_);
    return false;
}

void WebClient::start_request(WebRequest& request)
{
    const std::uint32_t serial = request.serial;
    request.state = WST_NEW;
    if (request.redirections == 0) {
        raise(WEB_EV_RESOLVING, &request);
        if (!is_live(&request, serial))
            return;
    }
    // Through a proxy the proxy is looked up first; a SOCKS handshake looks up the server itself.
    const bool to_proxy = !proxy_.host.empty() && !request.socks;
    resolve(request, to_proxy ? proxy_.host : url_host_port(request.url));
}

void WebClient::resolve(WebRequest& request, const std::string& host_port)
{
    if (is_numeric_host(host_port)) {
        request.address_text = host_port.substr(0, host_port.find(':'));
        request.state = WST_RESOLVED;
        if (request.socks)
            socks_target_resolved(request);
        else
            connect(request);
        return;
    }
    request.state = WST_RESOLVING;
    request.lookup_message = next_lookup_message();
    // The port is no part of the name: "localhost:8080" is looked up as "localhost".
    const std::string name = host_port.substr(0, host_port.find(':'));
    request.lookup = async_get_host_by_name(*window_, request.lookup_message, name);
    if (!request.lookup)
        fail(request, load_string(IDS_WEB_HOST_NOT_FOUND));
}

bool WebClient::on_lookup(const Message& m)
{
    WebRequest* request = nullptr;
    for (const auto& r : requests_)
        if (r->lookup_message == m.id && r->lookup == m.wparam)
            request = r.get();
    if (!request)
        return false;
    const LookupHandle handle = request->lookup;
    request->lookup = 0;
    request->lookup_message = 0;
    if (async_error(m) != 0) {
        release_lookup(handle);
        const std::uint32_t serial = request->serial;
        status(*request, load_string(IDS_WEB_HOST_NOT_FOUND));
        if (!is_live(request, serial))
            return true;
        request->result_flags |= WEB_FAILED;
        end_request(*request, false);
        return true;
    }
    request->address_text = lookup_first_address(handle).value_or("");
    release_lookup(handle);
    const std::uint32_t serial = request->serial;
    if (request->redirections == 0) {
        raise(WEB_EV_RESOLVED, request);
        if (!is_live(request, serial))
            return true;
    }
    request->state = WST_RESOLVED;
    if (request->socks)
        socks_target_resolved(*request);
    else
        connect(*request);
    return true;
}

void WebClient::connect(WebRequest& request)
{
    const std::uint32_t serial = request.serial;
    raise(WEB_EV_CONNECTING, &request);
    if (!is_live(&request, serial))
        return;
    const int port = proxy_.host.empty() ? url_port(request.url) : proxy_.port;
    const auto ip = parse_dotted(request.address_text);
    if (!ip || port <= 0 || port > 65535) {
        fail(request, load_string(IDS_WEB_ADDRESS_TRANSLATION));
        return;
    }
    request.peer_address = SocketAddress{*ip, static_cast<std::uint16_t>(port)};
    if (async_select(request.socket, window_, WM_WEB_CONNECT, FD_CONNECT) != 0) {
        socket_failure(request, last_socket_error());
        return;
    }
    if (socket_connect(request.socket, request.peer_address) != 0 && last_socket_error() != WSAEWOULDBLOCK)
        socket_failure(request, last_socket_error());
}

bool WebClient::on_connect(const Message& m)
{
    WebRequest* request = find_by_socket(m.wparam);
    if (!request)
        return false;
    if (const int error = select_error(m)) {
        socket_failure(*request, error);
        return true;
    }
    if (request->state != WST_RESOLVED)
        return true;
    if (via_socks()) {
        socks_start(*request);
        return true;
    }
    request->state = WST_CONNECTED;
    send_request(*request);
    return true;
}

bool WebClient::register_read(WebRequest& request)
{
    if (async_select(request.socket, window_, WM_WEB_READ, FD_READ | FD_CLOSE) == 0)
        return true;
    socket_failure(request, last_socket_error());
    return false;
}

void WebClient::send_request(WebRequest& request)
{
    RequestOptions options;
    options.via_http_proxy = via_http_proxy();
    options.user_agent = user_agent_;
    options.proxy_credentials = proxy_.credentials;
    const std::string text = build_request(request.url, options);
    const long sent = socket_send(request.socket, text.data(), text.size());
    if (sent != static_cast<long>(text.size())) {
        const std::uint32_t serial = request.serial;
        status(request, format_string<IDS_WEB_REQUEST_SEND_FAILED>(sent));
        if (!is_live(&request, serial))
            return;
        async_select(request.socket, window_, 0, 0);
        request.state = WST_IDLE;
        return;
    }
    if (!register_read(request))
        return;
    request.state = WST_RECEIVING;
    raise(WEB_EV_SENT, &request);
}

void WebClient::socket_failure(WebRequest& request, int error_number)
{
    const std::uint32_t serial = request.serial;
    raise(WEB_EV_SOCKET_ERROR, &request, error_number);
    if (!is_live(&request, serial))
        return;
    request.error_text = format_string<IDS_WEB_SOCKET_ERROR>(error_number, url_host_port(request.url));
    request.result_flags |= WEB_SOCKET_ERROR | WEB_FAILED;
    end_request(request, false);
}

} // namespace kestovan
