// Docking into a host program (option -z): what the host's text messages mean. The X11 transport
// lives in widgets/x11_docking.
#pragma once

#include <string>
#include <string_view>

namespace kestovan {

enum class DockRequest {
    NONE,  // anything else is ignored
    DOCK,  // exactly "Dock": no caption or frame, embedded in the host
    CLOSE, // begins with "Clos": close the window
};

[[nodiscard]] DockRequest dock_request(std::string_view text);

// The registration text sent to the host: "Register %i" of the host's cookie.
[[nodiscard]] std::string dock_registration(long long cookie);

} // namespace kestovan
