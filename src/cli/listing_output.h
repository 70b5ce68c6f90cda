// The command-line client's form of a parsed listing entry: tab-separated kind code, name, size,
// date, permissions, owner, group, links and link target (an absent text is an empty field).
#pragma once

#include <string>
#include <string_view>

namespace kestovan {

struct DirEntry;

[[nodiscard]] std::string format_entry_line(const DirEntry& entry);
// A listing that yields no entry is an empty folder when it is empty or holds a "total" line.
[[nodiscard]] bool listing_is_empty_folder(std::string_view text);

} // namespace kestovan
