// Type-ahead in the file lists: a character key moves to the next row whose name begins with it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestovan {

// The first row after current (wrapping to the top once) whose name begins with typed, compared
// without regard to case; current itself when it is the only such row; nullopt when none is.
// current may be -1 (no current row): the search starts at the top.
[[nodiscard]] std::optional<int> type_ahead_row(const std::vector<std::string>& names, int current,
                                                const std::string& typed);

} // namespace kestovan
