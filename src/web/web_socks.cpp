// The web client's part in the SOCKS 4 and SOCKS 5 handshakes of proxy/socks_handshake.h (the same
// bytes and refusals as the FTP engine's): after the connect to the proxy the server's address is
// looked up by the client itself, then the proxy is asked to connect to it; once it has, the HTTP
// request goes through the tunnel.
#include "platform/host_lookup.h"
#include "platform/socket_address.h"
#include "ui/language.h"
#include "web/http_text.h"
#include "web/web_client.h"

namespace kestovan {

namespace {

std::array<std::uint8_t, 4> address_bytes(std::uint32_t ip)
{
    return {static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>((ip >> 16) & 0xFF),
            static_cast<std::uint8_t>((ip >> 8) & 0xFF), static_cast<std::uint8_t>(ip & 0xFF)};
}

} // namespace

void WebClient::socks_start(WebRequest& request)
{
    request.state = WST_SOCKS;
    request.buffer.clear();
    if (!register_read(request))
        return;
    if (proxy_.type == WEB_PROXY_SOCKS4)
        request.socks.emplace(SocksVersion::SOCKS4, socks4_user_id(proxy_.user_name, local_host_name()),
                              std::string());
    else
        request.socks.emplace(SocksVersion::SOCKS5, proxy_.user_name, proxy_.password);
    socks_carry_out(request, request.socks->start());
}

void WebClient::socks_target_resolved(WebRequest& request)
{
    request.state = WST_SOCKS;
    const auto ip = parse_dotted(request.address_text);
    const int port = url_port(request.url);
    if (!ip || port <= 0 || port > 65535) {
        fail(request, load_string(IDS_WEB_ADDRESS_TRANSLATION));
        return;
    }
    socks_carry_out(request, request.socks->connect_to(address_bytes(*ip), static_cast<std::uint16_t>(port)));
}

void WebClient::socks_receive(WebRequest& request, std::string_view data)
{
    request.idle_count = 0;
    socks_carry_out(request, request.socks->receive(data));
}

// Does what the handshake asks for next.
void WebClient::socks_carry_out(WebRequest& request, SocksStep step)
{
    switch (step.result) {
    case SocksResult::SEND: {
        const long sent = socket_send(request.socket, step.bytes.data(), step.bytes.size());
        if (sent != static_cast<long>(step.bytes.size()))
            fail(request, format_string<IDS_WEB_SOCKS_SEND_FAILED>(sent));
        return;
    }
    case SocksResult::NEED_TARGET: resolve(request, url_host_port(request.url)); return;
    case SocksResult::NEED_MORE: return;
    case SocksResult::DONE: socks_done(request, step.bytes); return;
    case SocksResult::REFUSED: fail(request, step.text); return;
    }
}

void WebClient::socks_done(WebRequest& request, const std::string& rest)
{
    request.socks.reset();
    request.state = WST_CONNECTED;
    const std::uint32_t serial = request.serial;
    send_request(request);
    // What came through the tunnel with the proxy's reply is the start of the server's response.
    if (!rest.empty() && is_live(&request, serial) && request.state == WST_RECEIVING)
        take_bytes(request, rest.data(), rest.size());
}

} // namespace kestovan
