// The columns of the "Batch Transfer" list and the orders a click on their titles gives: "#" by
// state (failed, done, waiting; ties by source), the texts without regard to case, "Size" larger first.
#pragma once

#include "queue/task.h"

#include <string>
#include <vector>

namespace kestovan {

enum BatchColumn : int {
    BATCH_COL_STATE = 0,
    BATCH_COL_SOURCE,
    BATCH_COL_DESTINATION,
    BATCH_COL_SIZE,
    BATCH_COL_NAME,
    BATCH_COLUMN_COUNT
};

// The rows ordered by column; equal rows keep their order.
[[nodiscard]] std::vector<const Task*> sorted_batch_rows(std::vector<const Task*> rows, int column);
// The "Size" column: empty for folders and "..", else the size in decimal.
[[nodiscard]] std::string batch_size_text(const Task& task);

} // namespace kestovan
