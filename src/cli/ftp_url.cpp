#include "cli/ftp_url.h"

#include <charconv>

namespace kestovan {

namespace {
int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<FtpUrl> fail(std::string* error, const char* reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}
} // namespace

std::optional<std::string> percent_decode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        int high = i + 1 < text.size() ? hex_value(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? hex_value(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    if (out.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return std::nullopt;
    return out;
}

std::optional<FtpUrl> parse_ftp_url(std::string_view text, std::string* error)
{
    FtpUrl url;
    if (text.starts_with("ftps://")) {
        url.tls = TLS_IMPLICIT;
        url.port = 990;
        text.remove_prefix(7);
    } else if (text.starts_with("ftpes://")) {
        url.tls = TLS_EXPLICIT;
        text.remove_prefix(8);
    } else if (text.starts_with("ftp://")) {
        text.remove_prefix(6);
    } else {
        return fail(error, "the URL must start with ftp://, ftps:// or ftpes://");
    }
    std::string_view authority = text.substr(0, text.find('/'));
    if (authority.size() < text.size()) {
        auto path = percent_decode(text.substr(authority.size()));
        if (!path)
            return fail(error, "the URL's path holds a bad escape or a line break");
        url.path = *path;
    }
    if (auto at = authority.rfind('@'); at != std::string_view::npos) {
        std::string_view login = authority.substr(0, at);
        authority.remove_prefix(at + 1);
        auto colon = login.find(':');
        auto user = percent_decode(login.substr(0, colon));
        if (!user)
            return fail(error, "the URL's user name holds a bad escape or a line break");
        url.user = *user;
        if (colon != std::string_view::npos) {
            auto password = percent_decode(login.substr(colon + 1));
            if (!password)
                return fail(error, "the URL's password holds a bad escape or a line break");
            url.password = *password;
        }
    }
    std::string_view host = authority;
    if (auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        std::string_view port = authority.substr(colon + 1);
        int value = 0;
        auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc{} || end != port.data() + port.size() || value < 1 || value > 65535)
            return fail(error, "the URL's port is not a number from 1 to 65535");
        url.port = value;
    }
    if (host.empty())
        return fail(error, "the URL names no host");
    url.host = std::string(host);
    return url;
}

} // namespace kestovan
