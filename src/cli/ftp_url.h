// ftp://[user[:password]@]host[:port]/path as the command-line client takes it; ftps:// is FTP over
// implicit TLS (port 990 unless given), ftpes:// FTP with explicit TLS required.
#pragma once

#include "engine/ftp_connection.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

struct FtpUrl {
    std::string user; // empty: anonymous
    std::optional<std::string> password;
    std::string host;
    int port = 21;
    std::string path; // "" when the URL has none; otherwise starts with "/"
    TlsMode tls = TLS_NONE;
};

// Percent escapes are decoded in user, password and path. nullopt (with a reason) for a text that is
// not such a URL, or whose parts hold CR, LF or NUL.
[[nodiscard]] std::optional<FtpUrl> parse_ftp_url(std::string_view text, std::string* error = nullptr);
[[nodiscard]] std::optional<std::string> percent_decode(std::string_view text);

} // namespace kestovan
