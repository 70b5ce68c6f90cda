// The text side of the web client, free of sockets: the parts of an "http://" address, the request
// that goes on the wire, the response headers, the target of a redirection and the Basic
// credentials. Everything here works on bytes as received, so the parsers can be fuzzed directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

constexpr int HTTP_DEFAULT_PORT = 80;
constexpr int HTTPS_DEFAULT_PORT = 443;
// A redirection target longer than this is not followed: cutting it would fetch another address.
constexpr std::size_t MAX_REDIRECT_TARGET = 2047;

[[nodiscard]] bool starts_with_nocase(std::string_view text, std::string_view prefix);
[[nodiscard]] bool equals_nocase(std::string_view a, std::string_view b);
[[nodiscard]] bool is_http_url(std::string_view url);  // "http://", any case
[[nodiscard]] bool is_https_url(std::string_view url); // "https://", any case
// A text that can be put on a request line: no NUL, CR or LF anywhere (they would end the line and
// let the address write headers of its own).
[[nodiscard]] bool is_safe_url(std::string_view url);

// The host and port of an address: after "//" and after a user's "@" before the first "/", up to
// the first "/", "?", "#", "&" or "\".
[[nodiscard]] std::string url_host_port(std::string_view url);
// The host alone: url_host_port cut at ":".
[[nodiscard]] std::string url_host(std::string_view url);
// The number after ":" in the host, or the scheme's default port; 0 for a port that is no number
// in 1..65535.
[[nodiscard]] int url_port(std::string_view url);
// True when the host is written as an address ("127.0.0.1", "127.0.0.1:8080"): no lookup needed.
[[nodiscard]] bool is_numeric_host(std::string_view host_port);

// The target of the request line: the path with its query, without the fragment, "/" when the
// address has none; through an HTTP proxy the whole address instead, "/" added when it has no path.
// Blanks, control characters and bytes above 127 are sent as "%XX".
[[nodiscard]] std::string request_target(std::string_view url, bool via_http_proxy);
// The value of the Host line: the host and, when the address names one, its port.
[[nodiscard]] std::string host_header(std::string_view url);

struct RequestOptions {
    bool via_http_proxy = false;
    std::string_view user_agent;
    std::string_view proxy_credentials; // Base64 text; sent only through an HTTP proxy
};
// The whole request, line by line, ended by the empty line.
[[nodiscard]] std::string build_request(std::string_view url, const RequestOptions& options);

// The length of the status line and headers with the blank line that ends them ("\r\n\r\n", or
// else "\n\n"), or nullopt while the blank line has not arrived.
[[nodiscard]] std::optional<std::size_t> find_header_end(std::string_view received);

struct ResponseHead {
    std::uint16_t status_code = 0;
    std::int64_t content_length = 0; // 0 when absent or not a number
    bool has_content_length = false;
    std::optional<std::string> last_modified; // without the day name
};
[[nodiscard]] ResponseHead parse_response_head(std::string_view head);
// The value of the first header line called `name` (any case), blanks around it removed.
[[nodiscard]] std::optional<std::string> header_value(std::string_view head, std::string_view name);

// The address a redirection response sends the client to, resolved against the current address;
// nullopt when there is none, when it is the current address again (any case), when it is too long,
// or when it leaves http and https. `response` is what was received: headers, maybe some body.
[[nodiscard]] std::optional<std::string> redirect_target(std::string_view response,
                                                         std::string_view current_url);
// target resolved against base the way a redirection is (exposed for tests); nullopt for schemes
// other than http and https.
[[nodiscard]] std::optional<std::string> resolve_reference(std::string_view base, std::string_view target);

[[nodiscard]] std::string basic_credentials(std::string_view user_name, std::string_view password);

// The percentage of the body received so far, in 64 bits; nullopt when the length is unknown.
[[nodiscard]] std::optional<int> progress_percent(std::int64_t bytes_received, std::int64_t header_length,
                                                  std::int64_t content_length);

} // namespace kestovan
