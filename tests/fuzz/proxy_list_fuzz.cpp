// Feeds arbitrary bytes to what reads the system proxy: as the value of every proxy environment
// variable and as a "ProxyServer" list. Whatever comes in, a found entry has a host that cannot
// split the list and a port that fits on the wire.
#include "settings/proxy_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace kestovan;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

void check_entries(const std::string& list)
{
    for (int protocol = PROXY_PROTOCOL_FIRST; protocol <= PROXY_PROTOCOL_HTTPS; ++protocol) {
        const auto entry = find_proxy_entry(list, protocol);
        if (!entry)
            continue;
        require(!entry->host.empty());
        require(entry->host.find(';') == std::string::npos);
        require(!entry->port || (*entry->port >= 1 && *entry->port <= 65535));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string host_port = proxy_host_port_of_url(text);
    require(host_port.find_first_of(";= \t\r\n") == std::string::npos);

    const SystemProxy system = system_proxy_from_environment([&](const char*) { return text; });
    require(system.enabled == !system.server.empty());
    check_entries(system.server);
    check_entries(text);
    return 0;
}
