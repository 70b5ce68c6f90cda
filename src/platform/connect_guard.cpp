#include "platform/connect_guard.h"

#include "platform/socket_address.h"

#include <algorithm>
#include <cctype>

namespace kestovan {

namespace {
bool g_enabled = false;
std::vector<std::string>& g_attempts()
{
    static std::vector<std::string> attempts;
    return attempts;
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}
} // namespace

bool is_loopback_ip(std::uint32_t ip)
{
    return (ip >> 24) == 127;
}

void ConnectGuard::set_enabled(bool enabled)
{
    g_enabled = enabled;
}
bool ConnectGuard::enabled()
{
    return g_enabled;
}

bool ConnectGuard::permit_connect(std::uint32_t ip, std::uint16_t port)
{
    g_attempts().push_back(format_dotted(ip) + ":" + std::to_string(port));
    return !g_enabled || is_loopback_ip(ip);
}

bool ConnectGuard::permit_lookup(const std::string& name)
{
    g_attempts().push_back("lookup " + name);
    if (!g_enabled)
        return true;
    std::string n = lower(name);
    if (n == "localhost" || n == "localhost.localdomain" || n == "ip6-localhost")
        return true;
    auto ip = parse_dotted(n);
    return ip && is_loopback_ip(*ip);
}

std::vector<std::string> ConnectGuard::attempts()
{
    return g_attempts();
}
void ConnectGuard::clear_attempts()
{
    g_attempts().clear();
}

} // namespace kestovan
