// The command line of kestovan-ftp-cli.
#pragma once

#include "cli/cli_client.h"
#include "cli/ftp_url.h"

#include <optional>
#include <string>
#include <vector>

namespace kestovan {

struct CliArguments {
    std::string command; // ls, get, put, quote, parse-listing, help, version
    FtpUrl url;
    std::string local_file;
    std::vector<std::string> raw_commands;
    bool resume = false;
    bool append = false;
    CliOptions options;
};

[[nodiscard]] std::optional<CliArguments> parse_cli_arguments(const std::vector<std::string>& args,
                                                              std::string* error);
// ftp|socks4|socks5://[user[:password]@]host:port
[[nodiscard]] std::optional<ProxySpec> parse_proxy_spec(const std::string& text, std::string* error);

} // namespace kestovan
