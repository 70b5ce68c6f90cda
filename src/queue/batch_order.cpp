#include "queue/batch_order.h"

#include "views/dir_entry.h"

#include <algorithm>
#include <cctype>

namespace kestovan {

namespace {

int compare_without_case(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    const std::string& x = a ? *a : std::string();
    const std::string& y = b ? *b : std::string();
    const auto [ia, ib] = std::mismatch(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
        return std::tolower(static_cast<unsigned char>(p)) == std::tolower(static_cast<unsigned char>(q));
    });
    if (ia == x.end())
        return ib == y.end() ? 0 : -1;
    if (ib == y.end())
        return 1;
    return std::tolower(static_cast<unsigned char>(*ia)) < std::tolower(static_cast<unsigned char>(*ib)) ? -1
                                                                                                         : 1;
}

} // namespace

std::string batch_size_text(const Task& task)
{
    if (task.kind == KIND_FOLDER || task.kind == KIND_PARENT)
        return {};
    return std::to_string(task.size);
}

std::vector<const Task*> sorted_batch_rows(std::vector<const Task*> rows, int column)
{
    auto before = [column](const Task* a, const Task* b) {
        switch (column) {
        case BATCH_COL_STATE:
            if (a->state != b->state)
                return a->state > b->state;
            return compare_without_case(a->source, b->source) < 0;
        case BATCH_COL_SOURCE: return compare_without_case(a->source, b->source) < 0;
        case BATCH_COL_DESTINATION: return compare_without_case(a->destination, b->destination) < 0;
        case BATCH_COL_SIZE: return a->size > b->size;
        case BATCH_COL_NAME: return compare_without_case(a->name, b->name) < 0;
        default: return false;
        }
    };
    std::stable_sort(rows.begin(), rows.end(), before);
    return rows;
}

} // namespace kestovan
