#include "shell/docking.h"

namespace kestovan {

DockRequest dock_request(std::string_view text)
{
    // The data may carry its terminating zero; "Dock" is compared with it, with case.
    if (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    if (text == "Dock")
        return DockRequest::DOCK;
    if (text.substr(0, 4) == "Clos")
        return DockRequest::CLOSE;
    return DockRequest::NONE;
}

std::string dock_registration(long long cookie)
{
    return "Register " + std::to_string(static_cast<int>(cookie));
}

} // namespace kestovan
