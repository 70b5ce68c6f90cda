#include "proxy/socks_handshake.h"

#include "ui/language.h"

namespace kestovan {

namespace {

constexpr std::size_t SOCKS4_REPLY_SIZE = 8;
constexpr unsigned char SOCKS4_COMMAND_CONNECT = 1;
constexpr unsigned char SOCKS4_GRANTED = 90;
constexpr unsigned char SOCKS5_COMMAND_CONNECT = 1;
constexpr unsigned char SOCKS5_ADDRESS_IPV4 = 1;
constexpr unsigned char SOCKS5_ADDRESS_DOMAIN = 3;
constexpr unsigned char SOCKS5_ADDRESS_IPV6 = 4;
constexpr unsigned char SOCKS5_NO_AUTHENTICATION = 0;
constexpr unsigned char SOCKS5_USER_PASSWORD = 2;
constexpr unsigned char RFC1929_VERSION = 1;

int socks4_status_text(unsigned char status)
{
    switch (status) {
    case 91: return IDS_SOCKS4_STATUS_REJECTED;
    case 92: return IDS_SOCKS4_STATUS_NO_IDENTD;
    case 93: return IDS_SOCKS4_STATUS_OTHER_USER;
    default: return IDS_SOCKS4_STATUS_UNKNOWN;
    }
}

int socks5_reply_text(unsigned char code)
{
    switch (code) {
    case 1: return IDS_SOCKS5_REPLY_GENERAL_FAILURE;
    case 2: return IDS_SOCKS5_REPLY_NOT_ALLOWED;
    case 3: return IDS_SOCKS5_REPLY_NETWORK_UNREACHABLE;
    case 4: return IDS_SOCKS5_REPLY_HOST_UNREACHABLE;
    case 5: return IDS_SOCKS5_REPLY_CONNECTION_REFUSED;
    case 6: return IDS_SOCKS5_REPLY_TTL_EXPIRED;
    case 7: return IDS_SOCKS5_REPLY_COMMAND_NOT_SUPPORTED;
    case 8: return IDS_SOCKS5_REPLY_ADDRESS_TYPE_NOT_SUPPORTED;
    default: return IDS_SOCKS5_REPLY_UNKNOWN;
    }
}

std::string port_bytes(std::uint16_t port)
{
    return {static_cast<char>(port >> 8), static_cast<char>(port & 0xFF)};
}

std::string address_text(const std::array<std::uint8_t, 4>& address)
{
    return {reinterpret_cast<const char*>(address.data()), address.size()};
}

} // namespace

std::string socks4_user_id(std::string_view user_name, std::string_view local_host_name)
{
    return std::string(user_name.empty() ? local_host_name.substr(0, MAX_SOCKS4_USER_ID) : user_name);
}

SocksHandshake::SocksHandshake(SocksVersion version, std::string user_name, std::string password)
    : version_(version), user_name_(std::move(user_name)), password_(std::move(password))
{}

SocksStep SocksHandshake::start()
{
    reply_.clear();
    if (version_ == SocksVersion::SOCKS4)
        return need_target();
    if (user_name_.size() > MAX_SOCKS5_CREDENTIAL || password_.size() > MAX_SOCKS5_CREDENTIAL)
        return refuse(load_string(IDS_SOCKS5_CREDENTIALS_TOO_LONG));
    // One method only: user name and password when we have them, else none, so that proxies
    // without authentication work too.
    const unsigned char method = user_name_.empty() ? SOCKS5_NO_AUTHENTICATION : SOCKS5_USER_PASSWORD;
    return send({5, 1, static_cast<char>(method)}, SOCKS_METHOD);
}

SocksStep SocksHandshake::connect_to(const std::array<std::uint8_t, 4>& address, std::uint16_t port)
{
    reply_.clear();
    if (version_ == SocksVersion::SOCKS4) {
        std::string request = {4, static_cast<char>(SOCKS4_COMMAND_CONNECT)};
        request += port_bytes(port) + address_text(address) + user_name_;
        request.push_back('\0');
        return send(std::move(request), SOCKS_CONNECT_REPLY);
    }
    std::string request = {5, static_cast<char>(SOCKS5_COMMAND_CONNECT), 0,
                           static_cast<char>(SOCKS5_ADDRESS_IPV4)};
    request += address_text(address) + port_bytes(port);
    return send(std::move(request), SOCKS_CONNECT_REPLY);
}

SocksStep SocksHandshake::receive(std::string_view data)
{
    if (data.empty())
        return need_more();
    // Bytes before anything was asked of the proxy, or while the target is being looked up, are
    // not SOCKS: waiting would only misread them as the answer to come.
    if (stage_ == SOCKS_START || stage_ == SOCKS_TARGET)
        return refuse(load_string(IDS_SOCKS_DATA_UNASKED));
    reply_.append(data);
    switch (stage_) {
    case SOCKS_METHOD: return method_reply();
    case SOCKS_AUTH: return auth_reply();
    case SOCKS_CONNECT_REPLY: return version_ == SocksVersion::SOCKS4 ? socks4_reply() : socks5_reply();
    case SOCKS_START:
    case SOCKS_TARGET: break;
    }
    return need_more();
}

SocksStep SocksHandshake::closed()
{
    return refuse(load_string(IDS_SOCKS_CLOSED));
}

SocksStep SocksHandshake::method_reply()
{
    if (reply_.size() < 2)
        return need_more();
    const auto version = static_cast<unsigned char>(reply_[0]);
    const auto method = static_cast<unsigned char>(reply_[1]);
    if (version != 5)
        return refuse(format_string<IDS_SOCKS5_NOT_SOCKS5>(int{version}));
    if (method == SOCKS5_NO_AUTHENTICATION)
        return need_target();
    if (method == SOCKS5_USER_PASSWORD && user_name_.empty())
        return refuse(load_string(IDS_SOCKS5_NO_CREDENTIALS));
    if (method != SOCKS5_USER_PASSWORD)
        return refuse(format_string<IDS_SOCKS5_NO_METHOD>(int{method}));
    reply_.erase(0, 2);
    std::string request = {static_cast<char>(RFC1929_VERSION), static_cast<char>(user_name_.size())};
    request += user_name_;
    request.push_back(static_cast<char>(password_.size()));
    request += password_;
    return send(std::move(request), SOCKS_AUTH);
}

SocksStep SocksHandshake::auth_reply()
{
    if (reply_.size() < 2)
        return need_more();
    const auto status = static_cast<unsigned char>(reply_[1]);
    if (status != 0)
        return refuse(format_string<IDS_SOCKS5_AUTH_REFUSED>(int{status}));
    return need_target();
}

SocksStep SocksHandshake::socks4_reply()
{
    // Version and status are judged as soon as they are there: a refusing proxy may close at once.
    if (reply_.size() < 2)
        return need_more();
    const auto version = static_cast<unsigned char>(reply_[0]);
    const auto status = static_cast<unsigned char>(reply_[1]);
    if (version != 0 && version != 4)
        return refuse(format_string<IDS_SOCKS4_NOT_SOCKS4>(int{version}));
    if (status != SOCKS4_GRANTED)
        return refuse(
            format_string<IDS_SOCKS4_REFUSED>(int{status}, load_string(socks4_status_text(status))));
    if (reply_.size() < SOCKS4_REPLY_SIZE)
        return need_more();
    return done(SOCKS4_REPLY_SIZE);
}

SocksStep SocksHandshake::socks5_reply()
{
    if (reply_.size() < 2)
        return need_more();
    const auto version = static_cast<unsigned char>(reply_[0]);
    const auto code = static_cast<unsigned char>(reply_[1]);
    if (version != 5)
        return refuse(format_string<IDS_SOCKS5_NOT_SOCKS5>(int{version}));
    if (code != 0)
        return refuse(
            format_string<IDS_SOCKS5_CONNECT_FAILED>(int{code}, load_string(socks5_reply_text(code))));
    // The reply's length follows from its bound address: IPv4, a counted domain name or IPv6.
    if (reply_.size() < 5)
        return need_more();
    const auto type = static_cast<unsigned char>(reply_[3]);
    std::size_t address = 0;
    switch (type) {
    case SOCKS5_ADDRESS_IPV4: address = 4; break;
    case SOCKS5_ADDRESS_DOMAIN: address = 1 + static_cast<unsigned char>(reply_[4]); break;
    case SOCKS5_ADDRESS_IPV6: address = 16; break;
    default: return refuse(format_string<IDS_SOCKS5_UNKNOWN_ADDRESS_TYPE>(int{type}));
    }
    const std::size_t length = 4 + address + 2;
    if (reply_.size() < length)
        return need_more();
    return done(length);
}

SocksStep SocksHandshake::need_more()
{
    return {SocksResult::NEED_MORE, {}, {}};
}

SocksStep SocksHandshake::need_target()
{
    reply_.clear();
    stage_ = SOCKS_TARGET;
    return {SocksResult::NEED_TARGET, {}, {}};
}

SocksStep SocksHandshake::done(std::size_t reply_length)
{
    std::string rest = reply_.substr(reply_length);
    reply_.clear();
    stage_ = SOCKS_START;
    return {SocksResult::DONE, std::move(rest), {}};
}

SocksStep SocksHandshake::send(std::string bytes, SocksStage next)
{
    stage_ = next;
    return {SocksResult::SEND, std::move(bytes), {}};
}

SocksStep SocksHandshake::refuse(std::string text)
{
    return {SocksResult::REFUSED, {}, std::move(text)};
}

} // namespace kestovan
