// The SOCKS 4 and SOCKS 5 handshakes of the web client, with the same bytes as the FTP engine's:
// after the connect to the proxy the server's address is looked up by the client itself, then
// the proxy is asked to connect to it; once it has, the HTTP request goes through the tunnel.
#include "platform/host_lookup.h"
#include "web/http_text.h"
#include "web/web_client.h"

namespace kestovan {

namespace {

enum SocksStage : std::uint8_t {
    STAGE_NONE = 0,
    STAGE_METHOD = 1,
    STAGE_AUTH = 2,
    STAGE_TARGET = 3,
    STAGE_CONNECT_REPLY = 4,
};

constexpr std::size_t MAX_SOCKS_REPLY = 512;
constexpr std::size_t MAX_SOCKS4_USER_ID = 90;
constexpr unsigned char SOCKS4_GRANTED = 90;
constexpr char SOCKS5_NO_AUTHENTICATION = 0;
constexpr char SOCKS5_USER_PASSWORD = 2;

std::string address_bytes(std::uint32_t ip)
{
    return {static_cast<char>(ip >> 24), static_cast<char>((ip >> 16) & 0xFF),
            static_cast<char>((ip >> 8) & 0xFF), static_cast<char>(ip & 0xFF)};
}

std::string port_bytes(int port)
{
    return {static_cast<char>((port >> 8) & 0xFF), static_cast<char>(port & 0xFF)};
}

// The length of a SOCKS 5 CONNECT reply by its address type, or 0 while too little has arrived.
std::size_t socks5_reply_length(const std::string& buffer)
{
    if (buffer.size() < 5)
        return 0;
    const auto type = static_cast<unsigned char>(buffer[3]);
    const std::size_t address = type == 4 ? 16 : type == 3 ? 1 + static_cast<unsigned char>(buffer[4]) : 4;
    const std::size_t length = 4 + address + 2;
    return buffer.size() >= length ? length : 0;
}

} // namespace

void WebClient::socks_start(WebRequest& request)
{
    request.state = WST_SOCKS;
    request.buffer.clear();
    if (!register_read(request))
        return;
    if (proxy_.type == WEB_PROXY_SOCKS4) {
        socks_continue(request);
        return;
    }
    const char method = proxy_.user_name.empty() ? SOCKS5_NO_AUTHENTICATION : SOCKS5_USER_PASSWORD;
    request.proxy_stage = STAGE_METHOD;
    socks_send(request, std::string{5, 1, method});
}

// Authentication is done: learn the server's address, then ask the proxy for the connection.
void WebClient::socks_continue(WebRequest& request)
{
    request.proxy_stage = STAGE_TARGET;
    resolve(request, url_host_port(request.url));
}

void WebClient::socks_target_resolved(WebRequest& request)
{
    request.state = WST_SOCKS;
    const auto ip = parse_dotted(request.address_text);
    const int port = url_port(request.url);
    if (!ip || port <= 0) {
        fail(request, "Address Translation Error");
        return;
    }
    std::string bytes;
    if (proxy_.type == WEB_PROXY_SOCKS4) {
        std::string user_id = proxy_.user_name;
        if (user_id.empty())
            user_id = local_host_name().substr(0, MAX_SOCKS4_USER_ID);
        bytes = std::string{4, 1} + port_bytes(port) + address_bytes(*ip) + user_id;
        bytes.push_back('\0');
    } else {
        bytes = std::string{5, 1, 0, 1} + address_bytes(*ip) + port_bytes(port);
    }
    request.proxy_stage = STAGE_CONNECT_REPLY;
    socks_send(request, bytes);
}

void WebClient::socks_send(WebRequest& request, const std::string& bytes)
{
    const long sent = socket_send(request.socket, bytes.data(), bytes.size());
    if (sent != static_cast<long>(bytes.size()))
        fail(request, "Request send Failed (" + std::to_string(sent) + ")");
}

void WebClient::socks_receive(WebRequest& request, const char* data, std::size_t count)
{
    request.idle_count = 0;
    request.buffer.append(data, count);
    if (request.buffer.size() > MAX_SOCKS_REPLY) {
        fail(request, "The SOCKS proxy sent more than it was asked for.");
        return;
    }
    const std::string& reply = request.buffer;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(reply[i]); };
    if (proxy_.type == WEB_PROXY_SOCKS4) {
        if (request.proxy_stage != STAGE_CONNECT_REPLY || reply.size() < 8)
            return;
        if (byte(0) != 0 && byte(0) != 4)
            fail(request, "The SOCKS 4 proxy sent an answer that is not SOCKS 4.");
        else if (byte(1) != SOCKS4_GRANTED)
            fail(request,
                 "The SOCKS 4 proxy refused the connection (status " + std::to_string(byte(1)) + ").");
        else
            socks_done(request);
        return;
    }
    switch (request.proxy_stage) {
    case STAGE_METHOD:
        if (reply.size() < 2)
            return;
        if (byte(1) == static_cast<unsigned char>(SOCKS5_USER_PASSWORD) && !proxy_.user_name.empty()) {
            request.buffer.clear();
            std::string auth{1, static_cast<char>(std::min<std::size_t>(proxy_.user_name.size(), 255))};
            auth += proxy_.user_name.substr(0, 255);
            auth.push_back(static_cast<char>(std::min<std::size_t>(proxy_.password.size(), 255)));
            auth += proxy_.password.substr(0, 255);
            request.proxy_stage = STAGE_AUTH;
            socks_send(request, auth);
        } else if (byte(1) == SOCKS5_NO_AUTHENTICATION) {
            request.buffer.clear();
            socks_continue(request);
        } else {
            fail(request, "The SOCKS 5 proxy accepts none of the offered authentication methods (method " +
                              std::to_string(byte(1)) + ").");
        }
        return;
    case STAGE_AUTH:
        if (reply.size() < 2)
            return;
        if (byte(1) != 0) {
            fail(request, "The SOCKS 5 proxy refused the user name or password (status " +
                              std::to_string(byte(1)) + ").");
            return;
        }
        request.buffer.clear();
        socks_continue(request);
        return;
    case STAGE_CONNECT_REPLY:
        if (socks5_reply_length(reply) == 0)
            return;
        if (byte(1) != 0)
            fail(request, "The SOCKS 5 proxy could not connect to the server (reply " +
                              std::to_string(byte(1)) + ").");
        else
            socks_done(request);
        return;
    case STAGE_NONE:
    case STAGE_TARGET:
    default: return;
    }
}

void WebClient::socks_done(WebRequest& request)
{
    request.buffer.clear();
    request.proxy_stage = STAGE_NONE;
    request.state = WST_CONNECTED;
    send_request(request);
}

} // namespace kestovan
