#include "engine/proxy.h"

#include "engine/data_connection.h"
#include "engine/engine.h"
#include "platform/socket_error.h"
#include "platform/window.h"

#include <array>
#include <cstring>
#include <optional>

namespace kestovan {

namespace {

enum Stage : std::uint8_t {
    STAGE_START = 0,
    STAGE_METHOD = 1,
    STAGE_AUTH = 2,
    STAGE_TARGET = 3,
    STAGE_CONNECT_REPLY = 4,
};

constexpr std::size_t SOCKS4_REPLY_SIZE = 8;
constexpr unsigned char SOCKS4_GRANTED = 90;
constexpr unsigned char SOCKS5_VERSION = 5;
constexpr unsigned char SOCKS5_NO_AUTHENTICATION = 0;
constexpr unsigned char SOCKS5_USER_PASSWORD = 2;
constexpr std::size_t SOCKS5_MAX_CREDENTIAL = 255; // one length byte each (RFC 1929)
constexpr std::size_t MAX_LOCAL_HOST_NAME = 90;

// The target's four address bytes, each read from at most three characters of the dotted text.
std::array<std::uint8_t, 4> address_bytes(const std::string& dotted)
{
    std::array<std::uint8_t, 4> bytes{};
    std::size_t pos = 0;
    for (auto& byte : bytes) {
        int value = 0;
        for (int i = 0; i < 3 && pos < dotted.size() && dotted[pos] >= '0' && dotted[pos] <= '9'; ++i, ++pos)
            value = value * 10 + (dotted[pos] - '0');
        byte = static_cast<std::uint8_t>(value);
        while (pos < dotted.size() && dotted[pos] != '.')
            ++pos;
        if (pos < dotted.size())
            ++pos;
    }
    return bytes;
}

std::string target_address(const FtpConnection& conn)
{
    // A control connection resolved the server itself (stage 3); a data connection carries the
    // dotted address in its host text.
    return conn.role == ROLE_CONTROL ? conn.address_text : host_of(conn.host);
}

// The target port in two bytes, high byte first.
std::string port_bytes(int port)
{
    return {static_cast<char>((port >> 8) & 0xFF), static_cast<char>(port & 0xFF)};
}

bool send_bytes(Engine& engine, FtpConnection& conn, const std::string& bytes)
{
    long sent = socket_send(conn.socket, bytes.data(), bytes.size());
    if (sent == static_cast<long>(bytes.size()))
        return true;
    const std::uint32_t serial = conn.serial;
    engine.status(&conn, "Request send Failed (" + std::to_string(sent) + ")");
    if (!engine.is_live(&conn, serial))
        return false;
    conn.state = ST_NEW;
    async_select(conn.socket, engine.window(), 0, 0);
    return false;
}

bool register_read(Engine& engine, FtpConnection& conn)
{
    if (async_select(conn.socket, engine.window(), WM_FTP_READ, FD_READ | FD_CLOSE) == 0)
        return true;
    engine.raise(EV_SOCKET_ERROR, &conn, last_socket_error());
    return false;
}

// A handshake that only waited would sit here until the time-out; a refusal ends the connection at
// once instead (a data connection fails its transfer), with the proxy's answer in the text.
int refuse(Engine& engine, FtpConnection& conn, const std::string& text)
{
    conn.buffer.clear();
    protocol_violation(engine, conn, text);
    return -1;
}

std::string byte_text(unsigned char value)
{
    return std::to_string(static_cast<int>(value));
}

const char* socks4_status_text(unsigned char status)
{
    switch (status) {
    case 91: return "request rejected or failed";
    case 92: return "the proxy cannot reach our identd";
    case 93: return "identd reports another user id";
    default: return "unknown status";
    }
}

const char* socks5_reply_text(unsigned char code)
{
    switch (code) {
    case 1: return "general failure";
    case 2: return "not allowed by the proxy's rules";
    case 3: return "network unreachable";
    case 4: return "host unreachable";
    case 5: return "connection refused";
    case 6: return "TTL expired";
    case 7: return "command not supported";
    case 8: return "address type not supported";
    default: return "unknown reply";
    }
}

// The handshake's bytes wait in the receive buffer until a whole reply is there.
std::size_t take_into_buffer(FtpConnection& conn, char* data, std::size_t& count)
{
    if (data)
        conn.buffer.append(data, count);
    count = 0;
    return conn.buffer.size();
}

// Done: what followed the proxy's reply (the server's greeting, say) is handed back to the caller.
// The buffer held less than a whole reply before this read, so the rest is a tail of `data` and
// fits where it came from.
void finish(FtpConnection& conn, std::size_t reply_length, char* data, std::size_t& count)
{
    std::string rest = conn.buffer.substr(reply_length);
    conn.buffer.clear();
    if (data) {
        std::memcpy(data, rest.data(), rest.size());
        count = rest.size();
    }
    conn.state = ST_READY;
    conn.proxy_stage = STAGE_START;
}

void resolve_target(Engine& engine, FtpConnection& conn)
{
    conn.proxy_stage = STAGE_TARGET;
    engine.resolve_host(conn);
}

int socks4_request(Engine& engine, FtpConnection& conn)
{
    if (!register_read(engine, conn))
        return 1;
    const ProxySettings& proxy = engine.proxy();
    const std::string user_id =
        proxy.user_name.empty() ? engine.host_name().substr(0, MAX_LOCAL_HOST_NAME) : proxy.user_name;
    const auto ip = address_bytes(target_address(conn));
    std::string request = {4, 1};
    request += port_bytes(host_text_port(conn.host));
    request.append(reinterpret_cast<const char*>(ip.data()), ip.size());
    request += user_id;
    request.push_back('\0');
    if (!send_bytes(engine, conn, request))
        return 1;
    conn.state = ST_PROXY;
    conn.proxy_stage = STAGE_CONNECT_REPLY;
    return 1;
}

int socks4_reply(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    // Version and status are judged as soon as they are there: a refusing proxy may close at once.
    if (take_into_buffer(conn, data, count) < 2)
        return 1;
    const auto version = static_cast<unsigned char>(conn.buffer[0]);
    const auto status = static_cast<unsigned char>(conn.buffer[1]);
    if (version != 0 && version != 4)
        return refuse(engine, conn,
                      "The SOCKS 4 proxy sent an answer that is not SOCKS 4 (first byte " +
                          byte_text(version) + ").");
    if (status != SOCKS4_GRANTED)
        return refuse(engine, conn,
                      "The SOCKS 4 proxy refused the connection (status " + byte_text(status) + ": " +
                          socks4_status_text(status) + ").");
    if (conn.buffer.size() < SOCKS4_REPLY_SIZE)
        return 1;
    finish(conn, SOCKS4_REPLY_SIZE, data, count);
    return 1;
}

int socks4_step(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    switch (conn.proxy_stage) {
    case STAGE_START:
        if (conn.role == ROLE_CONTROL) {
            resolve_target(engine, conn);
            return 1;
        }
        return socks4_request(engine, conn);
    case STAGE_TARGET: return socks4_request(engine, conn);
    case STAGE_CONNECT_REPLY: return socks4_reply(engine, conn, data, count);
    default: return 1;
    }
}

int socks5_greeting(Engine& engine, FtpConnection& conn)
{
    if (!register_read(engine, conn))
        return 1;
    const ProxySettings& proxy = engine.proxy();
    if (proxy.user_name.size() > SOCKS5_MAX_CREDENTIAL || proxy.password.size() > SOCKS5_MAX_CREDENTIAL)
        return refuse(engine, conn, "The SOCKS 5 user name and password may have at most 255 bytes each.");
    const std::uint32_t serial = conn.serial;
    engine.status(&conn, "Connected to " + proxy.host);
    if (!engine.is_live(&conn, serial))
        return -1;
    conn.buffer.clear();
    // User name and password when we have them; otherwise no authentication, so that proxies
    // without authentication work too.
    const char method =
        static_cast<char>(proxy.user_name.empty() ? SOCKS5_NO_AUTHENTICATION : SOCKS5_USER_PASSWORD);
    if (!send_bytes(engine, conn, std::string{5, 1, method}))
        return 1;
    conn.state = ST_PROXY;
    conn.proxy_stage = STAGE_METHOD;
    return 1;
}

int socks5_connect_request(Engine& engine, FtpConnection& conn)
{
    const auto ip = address_bytes(target_address(conn));
    std::string request = {5, 1, 0, 1};
    request.append(reinterpret_cast<const char*>(ip.data()), ip.size());
    request += port_bytes(host_text_port(conn.host));
    if (!send_bytes(engine, conn, request))
        return 1;
    conn.state = ST_PROXY;
    conn.proxy_stage = STAGE_CONNECT_REPLY;
    return 1;
}

int socks5_after_auth(Engine& engine, FtpConnection& conn)
{
    conn.buffer.clear();
    if (conn.role == ROLE_CONTROL) {
        resolve_target(engine, conn);
        return 1;
    }
    return socks5_connect_request(engine, conn);
}

int socks5_method(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    if (take_into_buffer(conn, data, count) < 2)
        return 1;
    const ProxySettings& proxy = engine.proxy();
    const auto version = static_cast<unsigned char>(conn.buffer[0]);
    const auto method = static_cast<unsigned char>(conn.buffer[1]);
    if (version != SOCKS5_VERSION)
        return refuse(engine, conn,
                      "The SOCKS 5 proxy sent an answer that is not SOCKS 5 (version " + byte_text(version) +
                          ").");
    if (method == SOCKS5_NO_AUTHENTICATION)
        return socks5_after_auth(engine, conn);
    if (method == SOCKS5_USER_PASSWORD && proxy.user_name.empty())
        return refuse(engine, conn, "The SOCKS 5 proxy asks for a user name and password, but none is set.");
    if (method != SOCKS5_USER_PASSWORD)
        return refuse(engine, conn,
                      "The SOCKS 5 proxy accepts none of the offered authentication methods (method " +
                          byte_text(method) + ").");
    conn.buffer.erase(0, 2);
    std::string auth = {1, static_cast<char>(proxy.user_name.size())};
    auth += proxy.user_name;
    auth.push_back(static_cast<char>(proxy.password.size()));
    auth += proxy.password;
    if (send_bytes(engine, conn, auth))
        conn.proxy_stage = STAGE_AUTH;
    return 1;
}

int socks5_auth(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    if (take_into_buffer(conn, data, count) < 2)
        return 1;
    const auto status = static_cast<unsigned char>(conn.buffer[1]);
    if (status != 0)
        return refuse(engine, conn,
                      "The SOCKS 5 proxy refused the user name or password (status " + byte_text(status) +
                          ").");
    return socks5_after_auth(engine, conn);
}

// The length of a SOCKS 5 CONNECT reply by its address type: 0 while too little has arrived to
// tell, nullopt for an address type that does not exist.
std::optional<std::size_t> socks5_reply_length(const std::string& buffer)
{
    if (buffer.size() < 5)
        return 0;
    std::size_t address = 0;
    switch (static_cast<unsigned char>(buffer[3])) {
    case 1: address = 4; break;
    case 3: address = 1 + static_cast<unsigned char>(buffer[4]); break;
    case 4: address = 16; break;
    default: return std::nullopt;
    }
    return 4 + address + 2;
}

int socks5_connect_reply(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    if (take_into_buffer(conn, data, count) < 2)
        return 1;
    const auto version = static_cast<unsigned char>(conn.buffer[0]);
    const auto code = static_cast<unsigned char>(conn.buffer[1]);
    if (version != SOCKS5_VERSION)
        return refuse(engine, conn,
                      "The SOCKS 5 proxy sent an answer that is not SOCKS 5 (version " + byte_text(version) +
                          ").");
    if (code != 0)
        return refuse(engine, conn,
                      "The SOCKS 5 proxy could not connect to the server (reply " + byte_text(code) + ": " +
                          socks5_reply_text(code) + ").");
    const auto length = socks5_reply_length(conn.buffer);
    if (!length)
        return refuse(engine, conn,
                      "The SOCKS 5 proxy answered with an unknown address type (" +
                          byte_text(static_cast<unsigned char>(conn.buffer[3])) + ").");
    if (*length == 0 || conn.buffer.size() < *length)
        return 1;
    finish(conn, *length, data, count);
    return 1;
}

int socks5_step(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    switch (conn.proxy_stage) {
    case STAGE_START: return socks5_greeting(engine, conn);
    case STAGE_METHOD: return socks5_method(engine, conn, data, count);
    case STAGE_AUTH: return socks5_auth(engine, conn, data, count);
    case STAGE_TARGET: return socks5_connect_request(engine, conn);
    case STAGE_CONNECT_REPLY: return socks5_connect_reply(engine, conn, data, count);
    default: return 1;
    }
}

} // namespace

void set_proxy(Engine& engine, int type, const std::string& host, int port, const std::string& user_name,
               const std::string& password)
{
    ProxySettings& proxy = engine.proxy();
    proxy = ProxySettings{};
    if (type < PROXY_FTP || type > PROXY_SOCKS5 || host.empty())
        return;
    proxy.type = static_cast<ProxyType>(type);
    proxy.host = host;
    proxy.user_name = user_name;
    proxy.password = password;
    // A port outside 1..65535 would wrap to another one on the wire; such a port keeps the default.
    if (port > 0 && port <= 65535)
        proxy.port = port;
}

void set_proxy(Engine& engine, const ProxySettings& settings)
{
    set_proxy(engine, settings.type, settings.host, settings.port, settings.user_name, settings.password);
}

bool is_proxied(const Engine& engine, const FtpConnection& conn)
{
    const ProxySettings& proxy = engine.proxy();
    if (proxy.type == PROXY_NONE || proxy.host.empty())
        return false;
    // An FTP proxy relays the control connection only; passive data goes straight to the address
    // the (proxied) 227 reply names. The control connection itself is always proxied, even at a
    // moment when its queue is empty.
    return !(proxy.type == PROXY_FTP && conn.passive && conn.queue.empty() && conn.role != ROLE_CONTROL);
}

bool uses_socks(const Engine& engine, const FtpConnection& conn)
{
    return is_proxied(engine, conn) &&
           (engine.proxy().type == PROXY_SOCKS4 || engine.proxy().type == PROXY_SOCKS5);
}

std::string host_of(const std::string& host_text)
{
    std::string name = host_text;
    if (auto slashes = name.find("//"); slashes != std::string::npos)
        name = name.substr(slashes + 2);
    if (auto at = name.find('@'); at != std::string::npos && at < name.find('/'))
        name = name.substr(at + 1);
    name = name.substr(0, name.find('/'));
    return name.substr(0, name.find(':'));
}

int host_text_port(const std::string& host_text)
{
    std::size_t from = host_text.find("//");
    from = from == std::string::npos ? 0 : from + 2;
    auto colon = host_text.find(':', from);
    if (colon == std::string::npos)
        return 21;
    int port = std::atoi(host_text.c_str() + colon + 1);
    return port > 0 ? port : 21;
}

std::string connect_name(const Engine& engine, const FtpConnection& conn)
{
    if (is_proxied(engine, conn) && conn.proxy_stage == 0)
        return engine.proxy().host;
    return host_of(conn.host);
}

int connect_port(const Engine& engine, const FtpConnection& conn)
{
    return is_proxied(engine, conn) ? engine.proxy().port : host_text_port(conn.host);
}

int proxy_step(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    // Bytes before anything was asked of the proxy, or while the target is being looked up, are
    // not SOCKS: waiting would only misread them as the answer to come.
    if (data && count > 0 && (conn.proxy_stage == STAGE_START || conn.proxy_stage == STAGE_TARGET))
        return refuse(engine, conn, "The proxy sent data before it was asked for anything.");
    switch (engine.proxy().type) {
    case PROXY_SOCKS4: return socks4_step(engine, conn, data, count);
    case PROXY_SOCKS5: return socks5_step(engine, conn, data, count);
    case PROXY_NONE:
    case PROXY_FTP: return 1;
    }
    return 1;
}

int proxy_closed(Engine& engine, FtpConnection& conn)
{
    return refuse(engine, conn, "The proxy closed the connection before the handshake was complete.");
}

} // namespace kestovan
