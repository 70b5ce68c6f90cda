#include "ui/string_table.h"

namespace kestovan {

std::span<const StringEntry> string_table()
{
    return STRING_TABLE;
}

std::vector<int> all_string_ids()
{
    std::vector<int> ids;
    ids.reserve(std::size(STRING_TABLE));
    for (const StringEntry& entry : STRING_TABLE)
        ids.push_back(entry.id);
    return ids;
}

} // namespace kestovan
