#include "queue/task.h"

namespace kestovan {

std::string server_path(std::string_view server, std::string_view remote_path)
{
    std::string path(remote_path);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    if (path.size() >= 2 && path[1] == ':')
        path.erase(0, 2);

    std::string joined;
    joined.reserve(server.size() + 1 + path.size());
    for (const char c : std::string(server) + "/" + path) {
        if (c != '/' || joined.empty() || joined.back() != '/')
            joined.push_back(c);
    }
    return joined;
}

} // namespace kestovan
