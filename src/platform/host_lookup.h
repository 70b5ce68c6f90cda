// Asynchronous host-name lookups completing as window messages, after WSAAsyncGetHostByName: the
// lookup runs off the user-interface thread and posts `msg` with the handle in wparam and the error
// (0, or WSAHOST_NOT_FOUND and friends) in the high 16 bits of lparam. The first IPv4 address is read
// back with the handle; release_lookup frees it. A cancelled lookup posts nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestovan {

class Window;

using LookupHandle = std::uint64_t; // 0: the lookup could not be started

[[nodiscard]] LookupHandle async_get_host_by_name(Window& window, std::uint32_t msg, const std::string& name);
[[nodiscard]] std::optional<std::string> lookup_first_address(LookupHandle handle); // dotted IPv4
void release_lookup(LookupHandle handle);
void cancel_lookup(LookupHandle handle);

// The local host name (gethostname).
[[nodiscard]] std::string local_host_name();

} // namespace kestovan
