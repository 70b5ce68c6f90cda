// Directory compare: the rows of the remote list and of the local list held against each other by
// name and size text. It sends nothing: a remote folder that was never listed compares as empty.
// The result is which rows to select in each list and how many.
#pragma once

#include "views/dir_entry.h"
#include "views/local_entry.h"

#include <vector>

namespace kestovan {

struct CompareResult {
    std::vector<bool> remote_selected; // one per remote list row, in order
    std::vector<bool> local_selected;  // one per local list row, in order
    int remote_count = 0;
    int local_count = 0;
};

// remote_rows: the remote list as shown (the ".." row included, the remote filter applied);
// remote_children: every child of the shown remote folder, filtered or not; local_rows: the local
// list. The remote pass looks local names up without regard to case only when remote_ignores_case
// (the profile's case setting is not zero); the local pass always ignores case.
[[nodiscard]] CompareResult compare_directories(const std::vector<const DirEntry*>& remote_rows,
                                                const std::vector<const DirEntry*>& remote_children,
                                                const std::vector<LocalEntry>& local_rows,
                                                bool remote_ignores_case);

} // namespace kestovan
