// The command-line client's web commands over the program's web client: `fetch URL FILE` saves
// a page or file, `links URL` prints the links harvested from a page, one per line.
#pragma once

#include "cli/cli_client.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace kestovan {

struct CliArguments;

struct WebCommandOptions {
    int timeout_ms = 30000;
    bool verbose = false; // events and progress on stderr
    ProxySpec socks;      // used when its type is SOCKS 4 or SOCKS 5
    std::optional<ProxySpec> http_proxy;
    std::string ca_file; // trust only this CA for https:// (tests and private servers)
};

// [http://][user[:password]@]host:port
[[nodiscard]] std::optional<ProxySpec> parse_http_proxy_spec(const std::string& text, std::string* error);

// Exit statuses: 0 done, 1 failed (error says why).
int run_web_fetch(const std::string& url, const std::string& file, const WebCommandOptions& options,
                  std::ostream& out, std::string& error);
int run_web_links(const std::string& url, const WebCommandOptions& options, std::ostream& out,
                  std::string& error);

// `fetch` or `links` from the parsed command line; prints the error and returns the exit status.
int run_web_command(const CliArguments& arguments);

} // namespace kestovan
