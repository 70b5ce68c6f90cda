#include "views/local_folders.h"

#include "common/paths.h"
#include "common/text.h"
#include "views/local_fs.h"

#include <cerrno>
#include <sys/stat.h>

namespace kestovan {
namespace {

// Where the counter goes: before the last "." that is not the first character, else the end.
std::size_t counter_position(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name.size() : dot;
}

// The start of a "(digits)" group that ends right at position end, or npos.
std::size_t counter_group_before(std::string_view name, std::size_t end)
{
    if (end < 3 || name[end - 1] != ')')
        return std::string_view::npos;
    std::size_t i = end - 1;
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9')
        --i;
    if (i == end - 1 || i == 0 || name[i - 1] != '(')
        return std::string_view::npos;
    return i - 1;
}

enum class MakeResult {
    CREATED,
    EXISTED,
    FAILED,
};

MakeResult make_one_folder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return MakeResult::CREATED;
    return errno == EEXIST && is_folder(path) ? MakeResult::EXISTED : MakeResult::FAILED;
}

} // namespace

std::string numbered_name(std::string_view name, int n)
{
    std::size_t at = counter_position(name);
    std::string out(name);
    const std::size_t group = counter_group_before(name, at);
    if (group != std::string_view::npos) {
        out.erase(group, at - group);
        at = group;
    }
    out.insert(at, "(" + std::to_string(n) + ")");
    return out;
}

std::optional<LocalEntry> create_folder(std::string_view current_folder, std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const std::string full =
        clean_folder_path(text.starts_with('/') ? std::string(text) : join_local(current_folder, text));
    bool created = false;
    // Each prefix ending before a "/" (the root excepted), then the whole path.
    for (std::size_t slash = full.find('/', 1);; slash = full.find('/', slash + 1)) {
        const std::string prefix = full.substr(0, slash);
        if (!prefix.empty()) {
            const MakeResult result = make_one_folder(prefix);
            if (result == MakeResult::FAILED)
                return std::nullopt;
            created = created || result == MakeResult::CREATED;
        }
        if (slash == std::string::npos)
            break;
    }
    if (!created)
        return std::nullopt;
    std::optional<LocalEntry> row = entry_for_path(full);
    if (!row)
        return std::nullopt;
    row->name = std::string(text);
    return row;
}

std::optional<std::string> free_folder_name(std::string_view current_folder, std::string_view base_name)
{
    if (!file_exists(join_local(current_folder, base_name)))
        return std::string(base_name);
    for (int n = 1; n <= MAX_FREE_NAME_TRIES; ++n) {
        std::string candidate = numbered_name(base_name, n);
        if (!file_exists(join_local(current_folder, candidate)))
            return candidate;
    }
    return std::nullopt;
}

std::optional<LocalEntry> new_folder(std::string_view current_folder, std::string_view base_name)
{
    const std::optional<std::string> name = free_folder_name(current_folder, base_name);
    return name ? create_folder(current_folder, *name) : std::nullopt;
}

} // namespace kestovan
