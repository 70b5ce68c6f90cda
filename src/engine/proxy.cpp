#include "engine/proxy.h"

#include "engine/engine.h"
#include "platform/socket_error.h"
#include "platform/window.h"

#include <array>
#include <cstring>

namespace kestovan {

namespace {

enum Stage : std::uint8_t {
    STAGE_START = 0,
    STAGE_METHOD = 1,
    STAGE_AUTH = 2,
    STAGE_TARGET = 3,
    STAGE_CONNECT_REPLY = 4,
};

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

bool send_bytes(Engine& engine, FtpConnection& conn, const std::string& bytes)
{
    long sent = socket_send(conn.socket, bytes.data(), bytes.size());
    if (sent == static_cast<long>(bytes.size()))
        return true;
    engine.status(&conn, "Request send Failed (" + std::to_string(sent) + ")");
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

int refuse(Engine& engine, FtpConnection& conn, const std::string& text)
{
    const std::uint32_t serial = conn.serial;
    engine.raise(make_error_event(ERR_PROTOCOL), &conn, 0, text);
    if (engine.is_live(&conn, serial))
        engine.fail_connection(&conn);
    return -1;
}

// The handshake's bytes wait in the receive buffer until a whole reply is there.
std::size_t take_into_buffer(FtpConnection& conn, char* data, std::size_t& count)
{
    conn.buffer.append(data, count);
    count = 0;
    return conn.buffer.size();
}

// Done: what followed the proxy's reply (the server's greeting, say) is handed back to the caller.
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
    ProxySettings& proxy = engine.proxy();
    std::string user_id = proxy.user_name;
    if (user_id.empty()) {
        if (proxy.local_host_name.empty())
            proxy.local_host_name = local_host_name().substr(0, 90);
        user_id = proxy.local_host_name;
    }
    const int port = host_text_port(conn.host);
    const auto ip = address_bytes(target_address(conn));
    std::string request = {4, 1, static_cast<char>((port >> 8) & 0xFF), static_cast<char>(port & 0xFF)};
    request.append(reinterpret_cast<const char*>(ip.data()), 4);
    request += user_id;
    request.push_back('\0');
    if (!send_bytes(engine, conn, request))
        return 1;
    conn.state = ST_PROXY;
    conn.proxy_stage = STAGE_CONNECT_REPLY;
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
    case STAGE_CONNECT_REPLY: {
        if (take_into_buffer(conn, data, count) < 8)
            return 1;
        const auto* reply = reinterpret_cast<const unsigned char*>(conn.buffer.data());
        if (reply[0] != 0 && reply[0] != 4)
            return refuse(engine, conn, "The SOCKS 4 proxy sent an answer that is not SOCKS 4.");
        if (reply[1] != 90)
            return refuse(engine, conn,
                          "The SOCKS 4 proxy refused the connection (status " + std::to_string(reply[1]) +
                              ").");
        finish(conn, 8, data, count);
        return 1;
    }
    default: return 1;
    }
}

int socks5_connect_request(Engine& engine, FtpConnection& conn)
{
    const int port = host_text_port(conn.host);
    const auto ip = address_bytes(target_address(conn));
    std::string request = {5, 1, 0, 1};
    request.append(reinterpret_cast<const char*>(ip.data()), 4);
    request.push_back(static_cast<char>((port >> 8) & 0xFF));
    request.push_back(static_cast<char>(port & 0xFF));
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

// The length of a SOCKS 5 CONNECT reply by its address type, or 0 while too little has arrived.
std::size_t socks5_reply_length(const std::string& buffer)
{
    if (buffer.size() < 5)
        return 0;
    const auto type = static_cast<unsigned char>(buffer[3]);
    std::size_t address = type == 1   ? 4
                          : type == 4 ? 16
                          : type == 3 ? 1 + static_cast<unsigned char>(buffer[4])
                                      : 4;
    std::size_t length = 4 + address + 2;
    return buffer.size() >= length ? length : 0;
}

int socks5_step(Engine& engine, FtpConnection& conn, char* data, std::size_t& count)
{
    ProxySettings& proxy = engine.proxy();
    switch (conn.proxy_stage) {
    case STAGE_START: {
        if (!register_read(engine, conn))
            return 1;
        const std::uint32_t serial = conn.serial;
        engine.status(&conn, "Connected to " + proxy.host);
        if (!engine.is_live(&conn, serial))
            return -1;
        conn.buffer.clear();
        // Offer user name and password when we have them, otherwise no authentication.
        const char method = proxy.user_name.empty() ? 0 : 2;
        if (!send_bytes(engine, conn, std::string{5, 1, method}))
            return 1;
        conn.state = ST_PROXY;
        conn.proxy_stage = STAGE_METHOD;
        return 1;
    }
    case STAGE_METHOD: {
        if (take_into_buffer(conn, data, count) < 2)
            return 1;
        const auto method = static_cast<unsigned char>(conn.buffer[1]);
        if (method == 2) {
            conn.buffer.erase(0, 2);
            std::string auth = {1, static_cast<char>(proxy.user_name.size() & 0xFF)};
            auth += proxy.user_name.substr(0, 255);
            auth.push_back(static_cast<char>(proxy.password.size() & 0xFF));
            auth += proxy.password.substr(0, 255);
            if (send_bytes(engine, conn, auth))
                conn.proxy_stage = STAGE_AUTH;
            return 1;
        }
        if (method == 0)
            return socks5_after_auth(engine, conn);
        return refuse(engine, conn,
                      "The SOCKS 5 proxy accepts none of the offered authentication methods (method " +
                          std::to_string(method) + ").");
    }
    case STAGE_AUTH:
        if (take_into_buffer(conn, data, count) < 2)
            return 1;
        if (conn.buffer[1] != 0)
            return refuse(engine, conn,
                          "The SOCKS 5 proxy refused the user name or password (status " +
                              std::to_string(static_cast<unsigned char>(conn.buffer[1])) + ").");
        return socks5_after_auth(engine, conn);
    case STAGE_TARGET: return socks5_connect_request(engine, conn);
    case STAGE_CONNECT_REPLY: {
        take_into_buffer(conn, data, count);
        std::size_t length = socks5_reply_length(conn.buffer);
        if (length == 0)
            return 1;
        if (conn.buffer[1] != 0)
            return refuse(engine, conn,
                          "The SOCKS 5 proxy could not connect to the server (reply " +
                              std::to_string(static_cast<unsigned char>(conn.buffer[1])) + ").");
        finish(conn, length, data, count);
        return 1;
    }
    default: return 1;
    }
}

} // namespace

void set_proxy(Engine& engine, int type, const std::string& host, int port, const std::string& user_name,
               const std::string& password)
{
    ProxySettings& proxy = engine.proxy();
    std::string remembered = proxy.local_host_name;
    proxy = ProxySettings{};
    proxy.local_host_name = remembered;
    if (type == PROXY_NONE || host.empty())
        return;
    proxy.type = static_cast<ProxyType>(type);
    proxy.host = host;
    proxy.user_name = user_name;
    proxy.password = password;
    if (port != 0)
        proxy.port = port;
}

bool is_proxied(const Engine& engine, const FtpConnection& conn)
{
    const ProxySettings& proxy = engine.proxy();
    if (proxy.type == PROXY_NONE || proxy.host.empty())
        return false;
    // An FTP proxy relays the control connection only; passive data goes straight to the server.
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
    switch (engine.proxy().type) {
    case PROXY_SOCKS4: return socks4_step(engine, conn, data, count);
    case PROXY_SOCKS5: return socks5_step(engine, conn, data, count);
    case PROXY_NONE:
    case PROXY_FTP: return 1;
    }
    return 1;
}

} // namespace kestovan
