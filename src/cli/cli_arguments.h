// The command line of kestovan-ftp-cli.
#pragma once

#include "cli/cli_client.h"
#include "cli/ftp_url.h"

#include <optional>
#include <string>
#include <vector>

namespace kestovan {

// Where import appends when no tree file is given: the pending tree file in the current folder, as the
// program does.
inline constexpr const char* DEFAULT_IMPORT_TREE_FILE = "ftp.sav";
// More connections than this to one server would only get a client refused.
inline constexpr int MAX_PARALLEL = 16;

struct SystemProxy;

struct CliArguments {
    std::string command; // ls, get, put, quote, parse-listing, import, fetch, links, help, version
    FtpUrl url;
    std::string local_file;
    std::string tree_file;               // import: the profile-tree file appended to
    std::string web_url;                 // fetch, links: the http:// or https:// address
    std::optional<ProxySpec> http_proxy; // --http-proxy, for fetch and links
    std::string ca_file;                 // --ca-file, for https:// with fetch and links
    std::vector<std::string> raw_commands;
    bool resume = false;
    bool append = false;
    bool recursive = false; // get -r / put -r: whole folders
    int parallel = 1;       // --parallel N: files moved at once on their own connections
    CliOptions options;
};

[[nodiscard]] std::optional<CliArguments> parse_cli_arguments(const std::vector<std::string>& args,
                                                              std::string* error);
// ftp|socks4|socks5://[user[:password]@]host:port, or "env" for proxy_spec_from_system on the
// process environment.
[[nodiscard]] std::optional<ProxySpec> parse_proxy_spec(const std::string& text, std::string* error);
// The system proxy's ftp entry as an FTP proxy ("USER user@host" login); port 21 when it names none.
[[nodiscard]] std::optional<ProxySpec> proxy_spec_from_system(const SystemProxy& system, std::string* error);

} // namespace kestovan
