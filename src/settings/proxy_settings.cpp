#include "settings/proxy_settings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>

namespace kestovan {

namespace {

constexpr int MAX_PROXY_TYPE = 3;
constexpr int MAX_PORT = 65535;
constexpr int UNKNOWN_PROTOCOL = -1;

std::string_view trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

int protocol_of(std::string_view word)
{
    constexpr std::array<std::pair<std::string_view, int>, 4> WORDS = {{
        {"ftp", PROXY_PROTOCOL_FTP},
        {"gopher", PROXY_PROTOCOL_GOPHER},
        {"http", PROXY_PROTOCOL_HTTP},
        {"https", PROXY_PROTOCOL_HTTPS},
    }};
    for (const auto& [name, protocol] : WORDS)
        if (equal_ignoring_case(word, name))
            return protocol;
    return UNKNOWN_PROTOCOL;
}

// The port after the host's ":" as a number; a port outside 1..65535 counts as none, since it
// would wrap to another port on the wire.
std::optional<int> port_number(std::string_view digits)
{
    const int port = lenient_integer(digits);
    if (port < 1 || port > MAX_PORT)
        return std::nullopt;
    return port;
}

// "host[:port]"; a bracketed IPv6 host keeps its colons.
ProxyEntry split_host_port(std::string_view text)
{
    std::size_t colon = std::string_view::npos;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos)
            colon = text.find(':', close);
    } else {
        colon = text.find(':');
    }
    if (colon == std::string_view::npos)
        return {std::string(text), std::nullopt};
    return {std::string(text.substr(0, colon)), port_number(text.substr(colon + 1))};
}

// A registry value as the 256-byte buffers of the shared key hold it.
std::optional<std::string> read_value(const Registry& registry, std::string_view name)
{
    auto value = registry.read_string(Hive::LocalMachine, std::string(PROXY_REGISTRY_KEY), std::string(name));
    if (value && value->size() >= PROXY_VALUE_BUFFER)
        value->resize(PROXY_VALUE_BUFFER - 1);
    return value;
}

std::optional<std::string> environment_value(const EnvironmentReader& read, const char* name)
{
    auto value = read(name);
    if (value && trim(*value).empty())
        return std::nullopt;
    return value;
}

} // namespace

std::string proxy_host_port_of_url(std::string_view value)
{
    std::string_view text = trim(value);
    if (const std::size_t scheme = text.find("://"); scheme != std::string_view::npos)
        text.remove_prefix(scheme + 3);
    text = text.substr(0, text.find_first_of("/?#"));
    if (const std::size_t at = text.rfind('@'); at != std::string_view::npos)
        text.remove_prefix(at + 1);
    if (text.ends_with(':'))
        text.remove_suffix(1);
    const bool unusable = std::any_of(text.begin(), text.end(), [](char c) {
        return c == ';' || c == '=' || std::isspace(static_cast<unsigned char>(c)) ||
               std::iscntrl(static_cast<unsigned char>(c));
    });
    if (unusable || text.empty() || text.starts_with(':'))
        return {};
    return std::string(text);
}

SystemProxy system_proxy_from_environment(const EnvironmentReader& read)
{
    struct Source {
        const char* lower;
        const char* upper; // null: the upper-case name is not trusted
        const char* prefix;
    };
    constexpr std::array<Source, 4> SOURCES = {{
        {"ftp_proxy", "FTP_PROXY", "ftp="},
        {"http_proxy", nullptr, "http="},
        {"https_proxy", "HTTPS_PROXY", "https="},
        {"all_proxy", "ALL_PROXY", ""},
    }};
    SystemProxy system;
    for (const Source& source : SOURCES) {
        auto value = environment_value(read, source.lower);
        if (!value && source.upper)
            value = environment_value(read, source.upper);
        if (!value)
            continue;
        const std::string host_port = proxy_host_port_of_url(*value);
        if (host_port.empty())
            continue;
        if (!system.server.empty())
            system.server += ";";
        system.server += source.prefix + host_port;
    }
    system.enabled = !system.server.empty();
    return system;
}

SystemProxy system_proxy_from_environment()
{
    return system_proxy_from_environment([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value)
            return std::nullopt;
        return std::string(value);
    });
}

std::optional<ProxyEntry> find_proxy_entry(std::string_view server_list, int protocol)
{
    std::size_t pos = 0;
    while (pos <= server_list.size()) {
        const std::size_t end = std::min(server_list.find(';', pos), server_list.size());
        const std::string_view entry = trim(server_list.substr(pos, end - pos));
        pos = end + 1;
        if (entry.empty())
            continue;
        int entry_protocol = PROXY_PROTOCOL_FIRST;
        std::string_view address = entry;
        if (const std::size_t equals = entry.find('='); equals != std::string_view::npos) {
            entry_protocol = protocol_of(trim(entry.substr(0, equals)));
            address = trim(entry.substr(equals + 1));
        }
        if (entry_protocol == UNKNOWN_PROTOCOL)
            return std::nullopt;
        if (protocol == PROXY_PROTOCOL_FIRST || entry_protocol == PROXY_PROTOCOL_FIRST ||
            entry_protocol == protocol) {
            ProxyEntry found = split_host_port(address);
            if (found.host.empty())
                return std::nullopt;
            return found;
        }
    }
    return std::nullopt;
}

bool read_system_proxy(const SystemProxy& system, int protocol, std::string& host, int& port)
{
    if (!system.enabled || system.server.empty())
        return false;
    const auto entry = find_proxy_entry(system.server, protocol);
    if (!entry)
        return false;
    host = entry->host;
    if (entry->port)
        port = *entry->port;
    return true;
}

int read_proxy_settings(const Registry& registry, const SystemProxy& system, std::string& host, int& port,
                        int protocol, int& type, std::string& user_name, std::string& password)
{
    if (const auto stored_type = read_value(registry, PROXY_VALUE_TYPE)) {
        const int value = lenient_integer(*stored_type);
        type = value >= 0 && value <= MAX_PROXY_TYPE ? value : 0;
    }
    if (auto user = read_value(registry, PROXY_VALUE_USER))
        user_name = std::move(*user);
    if (auto stored_password = read_value(registry, PROXY_VALUE_PASSWORD))
        password = std::move(*stored_password);
    const auto server = read_value(registry, PROXY_VALUE_HTTP_SERVER);
    if (!server || server->empty())
        return read_system_proxy(system, protocol, host, port) ? 1 : 0;
    host = *server;
    if (const auto stored_port = read_value(registry, PROXY_VALUE_HTTP_PORT))
        port = lenient_integer(*stored_port);
    return 1;
}

bool write_proxy_settings(Registry& registry, int type, const std::string& http_server, int http_port,
                          const std::string& user_name, const std::string& password)
{
    const std::string key(PROXY_REGISTRY_KEY);
    bool ok =
        registry.write_string(Hive::LocalMachine, key, std::string(PROXY_VALUE_TYPE), std::to_string(type));
    ok = registry.write_string(Hive::LocalMachine, key, std::string(PROXY_VALUE_USER), user_name) && ok;
    ok = registry.write_string(Hive::LocalMachine, key, std::string(PROXY_VALUE_PASSWORD), password) && ok;
    ok = registry.write_string(Hive::LocalMachine, key, std::string(PROXY_VALUE_HTTP_SERVER), http_server) &&
         ok;
    ok = registry.write_string(Hive::LocalMachine, key, std::string(PROXY_VALUE_HTTP_PORT),
                               std::to_string(http_port)) &&
         ok;
    return ok;
}

ProxySettings ftp_proxy_settings(const ProxyPreferences& preferences, const Settings& settings)
{
    ProxySettings proxy;
    if (preferences.type >= PROXY_FTP && preferences.type <= PROXY_SOCKS5)
        proxy.type = static_cast<ProxyType>(preferences.type);
    proxy.host = settings.text(KEY_FHOST);
    proxy.port = settings.integer(KEY_FPORT);
    proxy.user_name = preferences.user_name;
    proxy.password = preferences.password;
    return proxy;
}

ProxySettings web_proxy_settings(const ProxyPreferences& preferences, const Settings& settings)
{
    ProxySettings proxy;
    proxy.user_name = preferences.user_name;
    proxy.password = preferences.password;
    if (!preferences.http_server.empty()) {
        proxy.type = PROXY_FTP;
        proxy.host = preferences.http_server;
        proxy.port = preferences.http_port;
    } else if ((preferences.type == PROXY_SOCKS4 || preferences.type == PROXY_SOCKS5) &&
               !settings.text(KEY_FHOST).empty()) {
        proxy.type = static_cast<ProxyType>(preferences.type);
        proxy.host = settings.text(KEY_FHOST);
        const int port = settings.integer(KEY_FPORT);
        proxy.port = port > 0 ? port : DEFAULT_SOCKS_PORT;
    }
    return proxy;
}

ProxyPreferences load_proxy_preferences(Settings& settings, const Registry& registry,
                                        const SystemProxy& system)
{
    ProxyPreferences preferences;
    if (settings.text(KEY_FHOST).empty() && system.enabled) {
        std::string host;
        int port = settings.integer(KEY_FPORT);
        read_proxy_settings(registry, system, host, port, PROXY_PROTOCOL_FTP, preferences.type,
                            preferences.user_name, preferences.password);
        settings.set_text(KEY_FHOST, host);
        settings.set_integer(KEY_FPORT, port);
    }
    read_proxy_settings(registry, system, preferences.http_server, preferences.http_port, PROXY_PROTOCOL_HTTP,
                        preferences.type, preferences.user_name, preferences.password);
    return preferences;
}

bool save_proxy_preferences(Registry& registry, const SystemProxy& system,
                            const ProxyPreferences& preferences)
{
    std::string http_server = preferences.http_server;
    std::string system_host;
    int system_port = 0;
    if (preferences.user_name.empty() &&
        read_system_proxy(system, PROXY_PROTOCOL_HTTP, system_host, system_port) &&
        system_host == preferences.http_server && system_port == preferences.http_port)
        http_server.clear();
    return write_proxy_settings(registry, preferences.type, http_server, preferences.http_port,
                                preferences.user_name, preferences.password);
}

Settings settings_for_writing(const Settings& settings, const Registry& registry, const SystemProxy& system)
{
    Settings copy = settings;
    const std::string fhost = settings.text(KEY_FHOST);
    if (!system.enabled || fhost.empty())
        return copy;
    std::string host;
    int port = settings.integer(KEY_FPORT);
    int type = 0;
    std::string user_name;
    std::string password;
    if (read_proxy_settings(registry, system, host, port, PROXY_PROTOCOL_FTP, type, user_name, password) ==
            1 &&
        equal_ignoring_case(host, fhost) && port == settings.integer(KEY_FPORT)) {
        copy.set_text(KEY_FHOST, "");
        copy.set_integer(KEY_FPORT, 0);
    }
    return copy;
}

} // namespace kestovan
