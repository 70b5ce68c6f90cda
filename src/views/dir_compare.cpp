#include "views/dir_compare.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kestovan {
namespace {

bool same_name(std::string_view a, std::string_view b, bool ignore_case)
{
    if (!ignore_case)
        return a == b;
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Rows that are never selected: they cannot be transferred.
bool remote_never_selected(std::uint8_t kind)
{
    return kind == KIND_SITE || kind == KIND_URL_PROFILE || kind == KIND_PROFILE_FOLDER ||
           kind == KIND_PARENT;
}

bool remote_differs(const DirEntry& row, const std::vector<LocalEntry>& local_rows, bool ignore_case)
{
    auto found = std::find_if(local_rows.begin(), local_rows.end(), [&](const LocalEntry& local) {
        return same_name(local.name, row.name, ignore_case);
    });
    if (found == local_rows.end())
        return true;
    if (found->kind != LOCAL_FILE)
        return false;
    return !row.size || *row.size != found->size;
}

bool local_differs(const LocalEntry& row, const std::vector<const DirEntry*>& remote_children)
{
    auto found = std::find_if(remote_children.begin(), remote_children.end(), [&](const DirEntry* remote) {
        return remote && same_name(remote->name, row.name, true);
    });
    if (found == remote_children.end())
        return true;
    if ((*found)->kind != KIND_FILE)
        return false;
    return !(*found)->size || *(*found)->size != row.size;
}

} // namespace

CompareResult compare_directories(const std::vector<const DirEntry*>& remote_rows,
                                  const std::vector<const DirEntry*>& remote_children,
                                  const std::vector<LocalEntry>& local_rows, bool remote_ignores_case)
{
    CompareResult result;
    for (const DirEntry* row : remote_rows) {
        const bool selected =
            row && !remote_never_selected(row->kind) && remote_differs(*row, local_rows, remote_ignores_case);
        result.remote_selected.push_back(selected);
        result.remote_count += selected ? 1 : 0;
    }
    for (const LocalEntry& row : local_rows) {
        const bool parent = row.kind == LOCAL_PARENT || row.kind == LOCAL_VOLUME_LIST;
        const bool selected = !parent && local_differs(row, remote_children);
        result.local_selected.push_back(selected);
        result.local_count += selected ? 1 : 0;
    }
    return result;
}

} // namespace kestovan
