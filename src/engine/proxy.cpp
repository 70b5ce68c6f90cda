#include "engine/proxy.h"

#include "engine/data_connection.h"
#include "engine/engine.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "proxy/socks_handshake.h"
#include "ui/language.h"

#include <array>
#include <cstdlib>

namespace kestovan {

namespace {

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

SocksHandshake make_handshake(Engine& engine)
{
    const ProxySettings& proxy = engine.proxy();
    if (proxy.type == PROXY_SOCKS4)
        return {SocksVersion::SOCKS4, socks4_user_id(proxy.user_name, engine.host_name()), {}};
    return {SocksVersion::SOCKS5, proxy.user_name, proxy.password};
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
    conn.socks.reset();
    protocol_violation(engine, conn, text);
    return -1;
}

int send_bytes(Engine& engine, FtpConnection& conn, const std::string& bytes)
{
    const long sent = socket_send(conn.socket, bytes.data(), bytes.size());
    if (sent == static_cast<long>(bytes.size())) {
        conn.state = ST_PROXY;
        return 1;
    }
    const std::uint32_t serial = conn.serial;
    engine.status(&conn, format_string<IDS_STATUS_REQUEST_SEND_FAILED>(sent));
    if (!engine.is_live(&conn, serial))
        return -1;
    // The pump starts the record over, handshake and all.
    conn.state = ST_NEW;
    async_select(conn.socket, engine.window(), 0, 0);
    return 1;
}

int carry_out(Engine& engine, FtpConnection& conn, SocksStep step, std::string* rest);

int connect_target(Engine& engine, FtpConnection& conn)
{
    const auto port = static_cast<std::uint16_t>(host_text_port(conn.host));
    return carry_out(engine, conn, conn.socks->connect_to(address_bytes(target_address(conn)), port),
                     nullptr);
}

// Does what the handshake asks for next.
int carry_out(Engine& engine, FtpConnection& conn, SocksStep step, std::string* rest)
{
    conn.proxy_stage = conn.socks->stage();
    switch (step.result) {
    case SocksResult::SEND: return send_bytes(engine, conn, step.bytes);
    case SocksResult::NEED_TARGET: {
        if (conn.role != ROLE_CONTROL)
            return connect_target(engine, conn);
        // A control connection learns the server's address itself; in stage 3 connect_name gives
        // the server, and the lookup's end comes back to proxy_step.
        const std::uint32_t serial = conn.serial;
        engine.resolve_host(conn);
        return engine.is_live(&conn, serial) ? 1 : -1;
    }
    case SocksResult::NEED_MORE: return 1;
    case SocksResult::DONE:
        conn.socks.reset();
        conn.state = ST_READY;
        if (rest)
            *rest = std::move(step.bytes);
        return 1;
    case SocksResult::REFUSED: return refuse(engine, conn, step.text);
    }
    return 1;
}

int start_handshake(Engine& engine, FtpConnection& conn)
{
    if (!register_read(engine, conn))
        return 1;
    conn.socks.emplace(make_handshake(engine));
    conn.state = ST_PROXY;
    SocksStep step = conn.socks->start();
    if (step.result == SocksResult::SEND) {
        const std::uint32_t serial = conn.serial;
        engine.status(&conn, format_string<IDS_STATUS_CONNECTED_TO>(engine.proxy().host));
        if (!engine.is_live(&conn, serial))
            return -1;
    }
    return carry_out(engine, conn, std::move(step), nullptr);
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

int proxy_step(Engine& engine, FtpConnection& conn)
{
    if (!uses_socks(engine, conn))
        return 1;
    if (!conn.socks)
        return start_handshake(engine, conn);
    if (conn.socks->stage() == SOCKS_TARGET)
        return connect_target(engine, conn);
    return 1;
}

int proxy_step(Engine& engine, FtpConnection& conn, std::string_view received, std::string& rest)
{
    if (!conn.socks)
        return 1;
    return carry_out(engine, conn, conn.socks->receive(received), &rest);
}

int proxy_closed(Engine& engine, FtpConnection& conn)
{
    return refuse(engine, conn, SocksHandshake::closed().text);
}

} // namespace kestovan
