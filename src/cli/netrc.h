// Passwords from ~/.netrc, so they need not stand in a URL (where the shell's history and the
// process list would show them). The file is the one ftp(1) and curl read: "machine", "login",
// "password", "account" and "macdef" tokens, and a "default" entry for any other host. Like ftp(1),
// a file that others may read or write is refused: its passwords would not be private.
#pragma once

#include "cli/ftp_url.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

struct NetrcEntry {
    std::string login;
    std::string password;
};

// The entry for host (else the default entry) whose login is user, or any login when user is empty.
[[nodiscard]] std::optional<NetrcEntry> find_netrc_entry(std::string_view text, std::string_view host,
                                                         std::string_view user);

enum class NetrcResult {
    USED,     // the URL got its user and password from the file
    NO_ENTRY, // no file, or no entry for the URL
    UNSAFE,   // the file is open to others and was not read
};

// When the URL has no password: fills user and password from the entry for its host. file is
// normally netrc_path().
NetrcResult apply_netrc(FtpUrl& url, const std::filesystem::path& file);

// $HOME/.netrc; nullopt without a home.
[[nodiscard]] std::optional<std::filesystem::path> netrc_path();

} // namespace kestovan
