// Where the firewall and proxy settings are kept and how they come back: the proxy type, user name,
// password and HTTP proxy in the registry key shared with the maker's other programs, the FTP proxy
// host and port in config.ini (`fhost`, `fport`), and the system's proxy, which here is built from
// the proxy environment variables. The main window calls load_proxy_preferences at start-up, then
// hands ftp_proxy_settings(preferences, settings) to set_proxy of engine/proxy.h (again when the
// preferences are confirmed and before each new session); it calls save_proxy_preferences when the
// preferences are confirmed and when config.ini is written, and writes config.ini from settings_for_writing.
#pragma once

#include "platform/registry.h"
#include "proxy/proxy_record.h"
#include "settings/settings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

constexpr std::string_view PROXY_REGISTRY_KEY = "Software\\KESTOVAN\\Common";
constexpr std::string_view PROXY_VALUE_TYPE = "type";
constexpr std::string_view PROXY_VALUE_USER = "username";
constexpr std::string_view PROXY_VALUE_PASSWORD = "password";
constexpr std::string_view PROXY_VALUE_HTTP_SERVER = "proxy";
constexpr std::string_view PROXY_VALUE_HTTP_PORT = "port";
// Registry values are read into buffers of this size (the text is cut one byte shorter).
constexpr std::size_t PROXY_VALUE_BUFFER = 256;

// Protocols of the system proxy's entries; 0 asks for the first entry.
enum ProxyProtocol : int {
    PROXY_PROTOCOL_FIRST = 0,
    PROXY_PROTOCOL_FTP = 1,
    PROXY_PROTOCOL_GOPHER = 2,
    PROXY_PROTOCOL_HTTP = 3,
    PROXY_PROTOCOL_HTTPS = 4,
};

// The system's proxy in the form the system keeps it: "ProxyEnable" and "ProxyServer".
struct SystemProxy {
    bool enabled = false;
    std::string server; // "[protocol=]host[:port];..."
};

// Reads one environment variable; nullopt when it is not set.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;

// "http://user:pw@host:3128/" -> "host:3128": the scheme, the user part and any path go; empty when
// nothing usable is left or the value holds characters the "ProxyServer" list cannot carry.
[[nodiscard]] std::string proxy_host_port_of_url(std::string_view value);
// "ProxyServer" from ftp_proxy, http_proxy and https_proxy as protocol entries and all_proxy as an
// entry for every protocol, in this order (lower-case names first, then upper-case ones except
// HTTP_PROXY, which web servers may set from a request header). Enabled when any is set.
[[nodiscard]] SystemProxy system_proxy_from_environment(const EnvironmentReader& read);
// The same from the process environment.
[[nodiscard]] SystemProxy system_proxy_from_environment();

struct ProxyEntry {
    std::string host;
    std::optional<int> port; // absent when the entry names none
};
// The first entry of a "ProxyServer" list for protocol (see ProxyProtocol); nullopt when none fits
// or an entry with an unknown protocol word comes first.
[[nodiscard]] std::optional<ProxyEntry> find_proxy_entry(std::string_view server_list, int protocol);

// Nothing when the system proxy is off or empty; otherwise the entry for protocol into host and
// port (the port stays as it was when the entry names none). True when an entry was found.
bool read_system_proxy(const SystemProxy& system, int protocol, std::string& host, int& port);

// The shared registry key: with a non-empty "proxy" value, host and port are "proxy" and "port" and
// the result is 1; otherwise they come from read_system_proxy for protocol (1 when found, else 0).
// Type, user name and password are read whenever the key holds them, so a SOCKS proxy without an
// HTTP proxy keeps its settings across restarts; a type outside 0..3 reads as 0.
int read_proxy_settings(const Registry& registry, const SystemProxy& system, std::string& host, int& port,
                        int protocol, int& type, std::string& user_name, std::string& password);
// Writes the five values; false when the registry could not be written.
bool write_proxy_settings(Registry& registry, int type, const std::string& http_server, int http_port,
                          const std::string& user_name, const std::string& password);

// What the Firewall/Proxy page edits besides `fhost` and `fport`, which stay in Settings.
struct ProxyPreferences {
    int type = 0; // ProxyType (proxy/proxy_record.h) as stored; outside 1..3 means none
    std::string user_name;
    std::string password;
    std::string http_server;
    int http_port = 0;
};

// The FTP proxy as the engine takes it: the type, user name and password of the preferences with
// `fhost` and `fport` of the settings.
[[nodiscard]] ProxySettings ftp_proxy_settings(const ProxyPreferences& preferences, const Settings& settings);

// The proxy of the web client, with the user name and password of the preferences: the page's HTTP
// proxy when one is set (type PROXY_FTP, which the web client takes as an HTTP proxy, as the
// command-line client does); else, with a SOCKS type, the SOCKS proxy of `fhost` and `fport` (port
// 1080 when none is given), which carries any connection; else none (empty host).
[[nodiscard]] ProxySettings web_proxy_settings(const ProxyPreferences& preferences, const Settings& settings);
constexpr int DEFAULT_SOCKS_PORT = 1080;

// Start-up: when `fhost` is empty and the system proxy is enabled, `fhost` and `fport` (with type,
// user name and password) come from read_proxy_settings for ftp; then the HTTP proxy (and again
// type, user name and password) from read_proxy_settings for http.
ProxyPreferences load_proxy_preferences(Settings& settings, const Registry& registry,
                                        const SystemProxy& system);
// Saving: writes the registry values; an HTTP proxy equal to the system's http entry, without a user
// name, is stored as an empty "proxy" so the system's stays in charge.
bool save_proxy_preferences(Registry& registry, const SystemProxy& system,
                            const ProxyPreferences& preferences);
// The settings as config.ini gets them: while the system proxy is enabled, an `fhost`/`fport` equal
// to what read_proxy_settings gives for ftp (host without regard to case) was taken over at start-up
// and is left out. The running program keeps its own copy, so new sessions still use the proxy.
[[nodiscard]] Settings settings_for_writing(const Settings& settings, const Registry& registry,
                                            const SystemProxy& system);

} // namespace kestovan
