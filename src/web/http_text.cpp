#include "web/http_text.h"

#include <QByteArray>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kestovan {

namespace {

constexpr std::string_view ACCEPT_LINE =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
    "application/vnd.ms-excel, application/msword, application/x-shockwave-flash, */*\r\n";
constexpr std::string_view ACCEPT_CHARSET_LINE = "Accept-Charset: iso-8859-1,*,utf-8\r\n";

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::size_t find_nocase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.empty() || text.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (equals_nocase(text.substr(i, needle.size()), needle))
            return i;
    }
    return std::string_view::npos;
}

// Where the host part begins: after the first "//", or at the start.
std::size_t authority_start(std::string_view url)
{
    std::size_t slashes = url.find("//");
    return slashes == std::string_view::npos ? 0 : slashes + 2;
}

// Where the host part ends: the first "/", "?", "#" or "\" after it ("&" too for the lookup name).
std::size_t authority_end(std::string_view url, std::string_view stops = "/?#\\")
{
    std::size_t end = url.find_first_of(stops, authority_start(url));
    return end == std::string_view::npos ? url.size() : end;
}

std::string_view strip_user(std::string_view host_port)
{
    std::size_t at = host_port.rfind('@');
    return at == std::string_view::npos ? host_port : host_port.substr(at + 1);
}

bool is_scheme_char(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// The scheme of a reference ("mailto" of "mailto:x"), or empty when it has none.
std::string_view scheme_of(std::string_view reference)
{
    std::size_t colon = reference.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(reference[0])))
        return {};
    std::string_view scheme = reference.substr(0, colon);
    return std::all_of(scheme.begin(), scheme.end(), is_scheme_char) ? scheme : std::string_view{};
}

std::string without_blanks(std::string_view url)
{
    std::string text(url);
    // A request line pasted in as an address: drop its protocol part.
    if (std::size_t protocol = find_nocase(text, " HTTP/1"); protocol != std::string::npos)
        text.erase(protocol);
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
    return text;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// Takes a header value to its line end, joining folded continuation lines.
std::string value_from(std::string_view text, std::size_t pos)
{
    for (;;) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        std::size_t end = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (!trim(line).empty() || end == std::string_view::npos)
            return std::string(trim(line));
        // An empty value continues on the next line only when that line is folded (starts blank).
        if (end + 1 >= text.size() || (text[end + 1] != ' ' && text[end + 1] != '\t'))
            return {};
        pos = end + 1;
    }
}

std::string percent_encode_unsafe(std::string_view text)
{
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            out.push_back('%');
            out.push_back(HEX[byte >> 4]);
            out.push_back(HEX[byte & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

bool starts_with_nocase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equals_nocase(text.substr(0, prefix.size()), prefix);
}

bool equals_nocase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool is_http_url(std::string_view url)
{
    return starts_with_nocase(url, "http://");
}

bool is_https_url(std::string_view url)
{
    return starts_with_nocase(url, "https://");
}

bool is_safe_url(std::string_view url)
{
    return url.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

std::string url_host_port(std::string_view url)
{
    const std::size_t start = authority_start(url);
    return std::string(strip_user(url.substr(start, authority_end(url, "/?#\\&") - start)));
}

std::string url_host(std::string_view url)
{
    std::string host = url_host_port(url);
    return host.substr(0, host.find(':'));
}

int url_port(std::string_view url)
{
    const std::string host = url_host_port(url);
    const std::size_t colon = host.find(':');
    if (colon == std::string::npos || colon + 1 == host.size())
        return is_https_url(url) ? HTTPS_DEFAULT_PORT : HTTP_DEFAULT_PORT;
    int port = 0;
    const char* first = host.data() + colon + 1;
    const char* last = host.data() + host.size();
    auto [end, ec] = std::from_chars(first, last, port);
    if (ec != std::errc{} || end != last || port < 1 || port > 65535)
        return 0;
    return port;
}

bool is_numeric_host(std::string_view host_port)
{
    return !host_port.empty() && host_port.find_first_not_of("0123456789.:") == std::string_view::npos;
}

std::string request_target(std::string_view url, bool via_http_proxy)
{
    url = url.substr(0, url.find('#'));
    const std::size_t path = authority_end(url);
    std::string target;
    if (via_http_proxy) {
        target = std::string(url.substr(0, path));
        target += path < url.size() && url[path] == '/' ? std::string(url.substr(path))
                                                        : "/" + std::string(url.substr(path));
    } else {
        std::string_view rest = url.substr(path);
        target = rest.empty() || rest[0] != '/' ? "/" + std::string(rest) : std::string(rest);
    }
    return percent_encode_unsafe(target);
}

std::string host_header(std::string_view url)
{
    std::string host = url_host_port(url);
    const std::size_t colon = host.find(':');
    if (colon == std::string::npos)
        return host;
    // Without the port a server that builds absolute redirections from Host would send the client
    // to the wrong port; the scheme's own port is left out as browsers do.
    const int port = url_port(url);
    const int default_port = is_https_url(url) ? HTTPS_DEFAULT_PORT : HTTP_DEFAULT_PORT;
    if (port == 0 || port == default_port)
        return host.substr(0, colon);
    return host.substr(0, colon) + ":" + std::to_string(port);
}

std::string build_request(std::string_view url, const RequestOptions& options)
{
    std::string request = "GET " + request_target(url, options.via_http_proxy) + " HTTP/1.0\r\n";
    request += ACCEPT_LINE;
    request += ACCEPT_CHARSET_LINE;
    if (options.via_http_proxy)
        request += "Connection: close\r\n";
    request += "User-Agent: " + std::string(options.user_agent) + "\r\n";
    request += "Host: " + host_header(url) + "\r\n";
    if (options.via_http_proxy && !options.proxy_credentials.empty())
        request += "Proxy-Authorization: Basic " + std::string(options.proxy_credentials) + "\r\n";
    request += "\r\n";
    return request;
}

std::optional<std::size_t> find_header_end(std::string_view received)
{
    if (std::size_t crlf = received.find("\r\n\r\n"); crlf != std::string_view::npos)
        return crlf + 4;
    if (std::size_t lf = received.find("\n\n"); lf != std::string_view::npos)
        return lf + 2;
    return std::nullopt;
}

std::optional<std::string> header_value(std::string_view head, std::string_view name)
{
    // Header lines follow the status line; the name must start a line, so "Content-Location:" is
    // never taken for "Location:".
    std::size_t line = head.find('\n');
    while (line != std::string_view::npos && line + 1 < head.size()) {
        const std::size_t start = line + 1;
        if (starts_with_nocase(head.substr(start), name) && start + name.size() < head.size() &&
            head[start + name.size()] == ':')
            return value_from(head, start + name.size() + 1);
        line = head.find('\n', start);
    }
    return std::nullopt;
}

ResponseHead parse_response_head(std::string_view head)
{
    ResponseHead result;
    std::string_view status_line = head.substr(0, head.find('\n'));
    if (std::size_t blank = status_line.find(' '); blank != std::string_view::npos) {
        std::size_t pos = blank;
        while (pos < status_line.size() && status_line[pos] == ' ')
            ++pos;
        unsigned code = 0;
        auto [end, ec] =
            std::from_chars(status_line.data() + pos, status_line.data() + status_line.size(), code);
        if (ec == std::errc{} && code <= 0xFFFF)
            result.status_code = static_cast<std::uint16_t>(code);
    }
    if (auto length = header_value(head, "Content-Length")) {
        std::int64_t value = 0;
        auto [end, ec] = std::from_chars(length->data(), length->data() + length->size(), value);
        if (ec == std::errc{} && value >= 0) {
            result.content_length = value;
            result.has_content_length = true;
        }
    }
    if (auto modified = header_value(head, "Last-Modified")) {
        std::string_view text = *modified;
        if (std::size_t comma = text.find(','); comma != std::string_view::npos)
            text = text.substr(comma + 1);
        result.last_modified = std::string(trim(text));
    }
    return result;
}

std::optional<std::string> resolve_reference(std::string_view base_url, std::string_view target)
{
    if (starts_with_nocase(target, "http:") || starts_with_nocase(target, "https:")) {
        if (target.find("://") == std::string_view::npos)
            return std::nullopt;
        return std::string(target);
    }
    if (!scheme_of(target).empty())
        return std::nullopt; // ftp:, mailto:, javascript: ... are not ours to follow
    const std::string base = without_blanks(base_url);
    const std::size_t host_end = authority_end(base);
    if (target.starts_with("//"))
        return base.substr(0, base.find(':') + 1) + std::string(target);
    if (target.starts_with("/"))
        return base.substr(0, host_end) + std::string(target);
    const std::size_t query = std::min(base.find_first_of("?#", host_end), base.size());
    if (target.starts_with("?"))
        return base.substr(0, query) + std::string(target);
    // The folder of the current address: its path up to the last "/", or the host when it has none.
    std::string folder = base.substr(0, query);
    const std::size_t last_slash = folder.rfind('/');
    folder.erase(last_slash == std::string::npos || last_slash < host_end ? host_end : last_slash);
    return folder + "/" + std::string(target);
}

std::optional<std::string> redirect_target(std::string_view response, std::string_view current_url)
{
    std::string target;
    const std::size_t head_end = find_header_end(response).value_or(response.size());
    if (auto location = header_value(response.substr(0, head_end), "Location")) {
        target = *location;
    } else {
        // No Location line: the first address anywhere in the response, as in a page that says
        // where the document went.
        const std::size_t http = find_nocase(response, "http:");
        const std::size_t https = find_nocase(response, "https:");
        const std::size_t at = std::min(http, https);
        if (at == std::string_view::npos)
            return std::nullopt;
        const std::size_t end = response.find_first_of(" \t\r\n\"'<>", at);
        target = std::string(
            response.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    }
    target = std::string(trim(target));
    if (target.empty() || target.size() > MAX_REDIRECT_TARGET || !is_safe_url(target))
        return std::nullopt;
    auto resolved = resolve_reference(current_url, target);
    if (!resolved || resolved->size() > MAX_REDIRECT_TARGET || equals_nocase(*resolved, current_url))
        return std::nullopt;
    if (!is_http_url(*resolved) && !is_https_url(*resolved))
        return std::nullopt;
    return resolved;
}

std::string basic_credentials(std::string_view user_name, std::string_view password)
{
    QByteArray plain(user_name.data(), static_cast<qsizetype>(user_name.size()));
    plain.append(':');
    plain.append(password.data(), static_cast<qsizetype>(password.size()));
    return plain.toBase64().toStdString();
}

std::optional<int> progress_percent(std::int64_t bytes_received, std::int64_t header_length,
                                    std::int64_t content_length)
{
    if (content_length <= 0)
        return std::nullopt;
    const std::int64_t body = std::max<std::int64_t>(0, bytes_received - header_length);
    // body * 100 stays in range for any length a file system can hold.
    return static_cast<int>(std::min<std::int64_t>(100, body * 100 / content_length));
}

} // namespace kestovan
