#include "cli/cli_arguments.h"

#include "cli/web_commands.h"
#include "engine/proxy.h"
#include "platform/tls_session.h"
#include "settings/proxy_settings.h"

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

std::optional<ProxySpec> proxy_spec_from_system(const SystemProxy& system, std::string* error)
{
    ProxySpec chosen;
    chosen.type = PROXY_FTP;
    chosen.port = 21;
    if (!read_system_proxy(system, PROXY_PROTOCOL_FTP, chosen.host, chosen.port)) {
        if (error)
            *error = "--proxy env: the environment names no FTP proxy (ftp_proxy or all_proxy)";
        return std::nullopt;
    }
    return chosen;
}

std::optional<ProxySpec> parse_proxy_spec(const std::string& text, std::string* error)
{
    if (text == "env")
        return proxy_spec_from_system(system_proxy_from_environment(), error);
    ProxySpec chosen;
    std::string rest;
    for (auto [scheme, type] :
         {std::pair{"ftp://", PROXY_FTP}, {"socks4://", PROXY_SOCKS4}, {"socks5://", PROXY_SOCKS5}}) {
        if (text.rfind(scheme, 0) == 0) {
            chosen.type = type;
            rest = text.substr(std::string(scheme).size());
        }
    }
    if (chosen.type == 0) {
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
    chosen.host = url->host;
    chosen.port = url->port;
    chosen.user = url->user;
    chosen.password = url->password.value_or("");
    return chosen;
}

std::optional<CliArguments> parse_cli_arguments(const std::vector<std::string>& args, std::string* error)
{
    CliArguments result;
    std::vector<std::string> positional;
    bool require_tls = false;
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
        else if (arg == "-q" || arg == "--quiet")
            result.options.quiet = true;
        else if (arg == "--resume")
            result.resume = true;
        else if (arg == "--append")
            result.append = true;
        else if (arg == "--tls")
            require_tls = true;
        else if (arg == "--pin-sha256") {
            std::optional<std::string> pin =
                ++i < args.size() ? normalise_fingerprint(args[i]) : std::nullopt;
            if (!pin)
                return fail(error, "--pin-sha256 needs a SHA-256 fingerprint (64 hexadecimal digits, colons "
                                   "allowed)");
            result.options.pin_sha256 = *pin;
        } else if (arg == "-r" || arg == "--recursive")
            result.recursive = true;
        else if (arg == "--parallel") {
            if (++i >= args.size() || !parse_int(args[i], result.parallel) || result.parallel < 1 ||
                result.parallel > MAX_PARALLEL)
                return fail(error, "--parallel needs a number from 1 to " + std::to_string(MAX_PARALLEL));
        } else if (arg == "--timeout") {
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
        } else if (arg == "--http-proxy") {
            if (++i >= args.size())
                return fail(error, "--http-proxy needs [http://][user[:password]@]host:port");
            auto proxy = parse_http_proxy_spec(args[i], error);
            if (!proxy)
                return std::nullopt;
            result.http_proxy = *proxy;
        } else if (arg == "--ca-file") {
            if (++i >= args.size())
                return fail(error, "--ca-file needs a PEM file");
            result.ca_file = args[i];
            result.options.ca_file = args[i];
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
    } else if (result.command == "import") {
        if (positional.empty() || positional.size() > 2)
            return fail(error, "import takes a site-list file and an optional tree file");
        result.local_file = positional[0];
        result.tree_file = positional.size() == 2 ? positional[1] : DEFAULT_IMPORT_TREE_FILE;
    } else if (result.command == "fetch") {
        if (positional.size() != 2)
            return fail(error, "fetch takes an http:// or https:// URL and a local file");
        result.web_url = positional[0];
        result.local_file = positional[1];
    } else if (result.command == "links") {
        if (positional.size() != 1)
            return fail(error, "links takes an http:// or https:// URL");
        result.web_url = positional[0];
    } else if (result.command.empty()) {
        return fail(error, "no command given");
    } else {
        return fail(error, "unknown command " + result.command);
    }
    if (require_tls && result.url.tls == TLS_NONE)
        result.url.tls = TLS_EXPLICIT;
    if ((result.resume || result.append) && result.command != "get" && result.command != "put")
        return fail(error, "--resume and --append belong to get and put");
    if (result.append && result.command != "put")
        return fail(error, "--append belongs to put");
    if (result.recursive && result.command != "get" && result.command != "put")
        return fail(error, "-r belongs to get and put");
    if (result.recursive && (result.resume || result.append))
        return fail(error, "-r does not go with --resume or --append");
    if (result.parallel > 1 && !result.recursive)
        return fail(error, "--parallel belongs to get -r and put -r");
    return result;
}

} // namespace kestovan
