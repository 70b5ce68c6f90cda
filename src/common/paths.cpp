#include "common/paths.h"

#include <algorithm>
#include <vector>

namespace kestovan {

namespace {

constexpr std::string_view PARENT = "..";

std::string joined(std::string_view dir, std::string_view name, char sep)
{
    std::string path;
    path.reserve(dir.size() + 1 + name.size());
    path.append(dir);
    path.push_back(sep);
    path.append(name);
    return path;
}

// Collapses every run of sep to one; keep_leading_pair keeps a leading run as exactly two.
std::string collapse_separators(std::string_view path, char sep, bool keep_leading_pair)
{
    std::string out;
    out.reserve(path.size());
    std::size_t i = 0;
    if (keep_leading_pair && path.size() >= 2 && path[0] == sep && path[1] == sep) {
        out.append(2, sep);
        while (i < path.size() && path[i] == sep)
            ++i;
    }
    for (; i < path.size(); ++i) {
        if (path[i] == sep && !out.empty() && out.back() == sep)
            continue;
        out.push_back(path[i]);
    }
    return out;
}

bool is_ascii_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool has_parent_segment(std::string_view path, char sep)
{
    for (std::size_t at = path.find(PARENT); at != std::string_view::npos; at = path.find(PARENT, at + 1)) {
        const bool starts = at == 0 || path[at - 1] == sep;
        const bool ends = at + PARENT.size() == path.size() || path[at + PARENT.size()] == sep;
        if (starts && ends)
            return true;
    }
    return false;
}

// Nothing for the general passes to do: no backslash, no run of slashes, no drive prefix, no "..",
// and a name that is one segment.
bool plain_remote_join(std::string_view dir, std::string_view name)
{
    return name.find_first_of("/\\") == std::string_view::npos && name != PARENT &&
           dir.find('\\') == std::string_view::npos && dir.find("//") == std::string_view::npos &&
           !(dir.size() >= 2 && is_ascii_letter(dir[0]) && dir[1] == ':') && !has_parent_segment(dir, '/');
}

} // namespace

std::string resolve_parent_segments(std::string_view path, char sep)
{
    const std::size_t root_end = std::min(path.find_first_not_of(sep), path.size());
    const std::string_view root = path.substr(0, root_end);
    std::string_view rest = path.substr(root_end);
    if (rest.empty())
        return std::string(path);

    bool ends_with_sep = rest.back() == sep;
    if (ends_with_sep)
        rest.remove_suffix(1);

    std::vector<std::string_view> segments;
    for (std::size_t start = 0;;) {
        const std::size_t end = rest.find(sep, start);
        segments.push_back(rest.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }

    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const bool last = i + 1 == segments.size();
        if (segments[i] != PARENT) {
            out.push_back(segments[i]);
        } else if (!out.empty() && out.back() != PARENT) {
            out.pop_back();
            ends_with_sep = ends_with_sep || last; // "a/b/.." leaves "a/"
        } else if (!root.empty()) {
            ends_with_sep = ends_with_sep || last; // the root is its own parent
        } else {
            out.push_back(PARENT); // nothing known above the start of a relative path
        }
    }

    std::string result(root);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i > 0)
            result.push_back(sep);
        result.append(out[i]);
    }
    if (ends_with_sep && !out.empty())
        result.push_back(sep);
    return result;
}

std::string join_local(std::string_view dir, std::string_view name)
{
    if (dir.empty())
        return std::string(name);
    if (name.empty())
        return std::string(dir);
    // Only a dir that itself starts with "//" keeps it: joining the root "/" must not make one.
    const bool double_root = dir.starts_with("//");
    return resolve_parent_segments(collapse_separators(joined(dir, name, '/'), '/', double_root), '/');
}

std::string join_remote(std::string_view dir, std::string_view name)
{
    // The usual case (once per entry of every listing) without the passes below; same result.
    if (plain_remote_join(dir, name)) {
        std::string path;
        path.reserve(dir.size() + 1 + name.size());
        path.append(dir);
        if (path.empty() || path.back() != '/')
            path.push_back('/');
        path.append(name);
        return path;
    }
    std::string path = joined(dir, name, '/');
    std::replace(path.begin(), path.end(), '\\', '/');
    path = collapse_separators(path, '/', false);
    // Only a drive letter: a remote folder may well be called ":" or "1:".
    if (path.size() >= 2 && is_ascii_letter(path[0]) && path[1] == ':')
        path.erase(0, 2);
    return resolve_parent_segments(path, '/');
}

std::string join_remote_optional(std::optional<std::string_view> dir, std::optional<std::string_view> name)
{
    if (!dir)
        return name ? std::string(*name) : std::string();
    if (!name)
        return std::string(*dir);
    return join_remote(*dir, *name);
}

} // namespace kestovan
