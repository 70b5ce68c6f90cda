#include "cli/cli_arguments.h"

#include "engine/proxy.h"

#include <charconv>

namespace kestovan {

namespace {

std::optional<CliArguments> fail(std::string* error, std::string message)
{
    if (error)
        *error = std::move(message);
    return std::nullopt;
}

bool parse_int(const std::string& text, int& value)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size();
}

} // namespace

std::optional<ProxySpec> parse_proxy_spec(const std::string& text, std::string* error)
{
    ProxySpec spec;
    std::string rest;
    for (auto [scheme, type] :
         {std::pair{"ftp://", PROXY_FTP}, {"socks4://", PROXY_SOCKS4}, {"socks5://", PROXY_SOCKS5}}) {
        if (text.rfind(scheme, 0) == 0) {
            spec.type = type;
            rest = text.substr(std::string(scheme).size());
        }
    }
    if (spec.type == 0) {
        if (error)
            *error = "the proxy must start with ftp://, socks4:// or socks5://";
        return std::nullopt;
    }
    // The URL parser does the user, password, host and port; the scheme is ours.
    auto url = parse_ftp_url("ftp://" + rest, error);
    if (!url)
        return std::nullopt;
    if (rest.find(':', rest.rfind('@') == std::string::npos ? 0 : rest.rfind('@')) == std::string::npos) {
        if (error)
            *error = "the proxy needs a port";
        return std::nullopt;
    }
    spec.host = url->host;
    spec.port = url->port;
    spec.user = url->user;
    spec.password = url->password.value_or("");
    return spec;
}

std::optional<CliArguments> parse_cli_arguments(const std::vector<std::string>& args, std::string* error)
{
    CliArguments result;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (result.command == "quote" && positional.size() >= 1) {
            // Everything after the URL of quote is a command, options included.
            positional.push_back(arg);
            continue;
        }
        if (arg == "--active")
            result.options.active = true;
        else if (arg == "--ascii")
            result.options.ascii = true;
        else if (arg == "-v")
            result.options.verbose = true;
        else if (arg == "--resume")
            result.resume = true;
        else if (arg == "--append")
            result.append = true;
        else if (arg == "--timeout") {
            if (++i >= args.size() || !parse_int(args[i], result.options.timeout_ms) ||
                result.options.timeout_ms < 0)
                return fail(error, "--timeout needs a number of milliseconds");
        } else if (arg == "--proxy") {
            if (++i >= args.size())
                return fail(error, "--proxy needs a proxy URL");
            auto proxy = parse_proxy_spec(args[i], error);
            if (!proxy)
                return std::nullopt;
            result.options.proxy = *proxy;
        } else if (arg == "-h" || arg == "--help")
            result.command = "help";
        else if (arg == "--version")
            result.command = "version";
        else if (arg.size() > 1 && arg[0] == '-')
            return fail(error, "unknown option " + arg);
        else if (result.command.empty())
            result.command = arg;
        else
            positional.push_back(arg);
    }
    if (result.command == "help" || result.command == "version")
        return result;
    if (result.resume && result.append)
        return fail(error, "--resume and --append exclude each other");
    auto url_at = [&](std::size_t index) -> bool {
        std::string url_error;
        auto url = parse_ftp_url(positional[index], &url_error);
        if (!url) {
            if (error)
                *error = "bad URL " + positional[index] + ": " + url_error;
            return false;
        }
        result.url = *url;
        return true;
    };
    if (result.command == "ls") {
        if (positional.size() != 1)
            return fail(error, "ls takes one URL");
        if (!url_at(0))
            return std::nullopt;
    } else if (result.command == "get") {
        if (positional.size() != 2)
            return fail(error, "get takes a URL and a local file");
        if (!url_at(0))
            return std::nullopt;
        result.local_file = positional[1];
    } else if (result.command == "put") {
        if (positional.size() != 2)
            return fail(error, "put takes a local file and a URL");
        result.local_file = positional[0];
        if (!url_at(1))
            return std::nullopt;
    } else if (result.command == "quote") {
        if (positional.size() < 2)
            return fail(error, "quote takes a URL and at least one command");
        if (!url_at(0))
            return std::nullopt;
        result.raw_commands.assign(positional.begin() + 1, positional.end());
    } else if (result.command == "parse-listing") {
        if (positional.size() != 1)
            return fail(error, "parse-listing takes one file");
        result.local_file = positional[0];
    } else if (result.command.empty()) {
        return fail(error, "no command given");
    } else {
        return fail(error, "unknown command " + result.command);
    }
    if ((result.resume || result.append) && result.command != "get" && result.command != "put")
        return fail(error, "--resume and --append belong to get and put");
    if (result.append && result.command != "put")
        return fail(error, "--append belongs to put");
    return result;
}

} // namespace kestovan
