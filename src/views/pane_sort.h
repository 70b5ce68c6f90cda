// The orders of the two file lists: the column a title click chose and its direction, and the
// comparisons of each column. The ".." rows (and in the local list the volume rows) stay on top
// whichever way the order runs.
#pragma once

#include "views/dir_entry.h"
#include "views/listing_date.h"
#include "views/local_entry.h"

#include <string_view>
#include <vector>

namespace kestovan {

struct SortOrder {
    int column = 0; // until a title is clicked, the first column
    bool reversed = false;

    // A click on a column title: the same title again reverses the order, another starts ascending.
    void click(int clicked)
    {
        reversed = clicked == column ? !reversed : false;
        column = clicked;
    }
    bool operator==(const SortOrder&) const = default;
};

// Negative, zero or positive as a comes before, with or after b in the column's ascending order.
// Remote dates order by the time they stand for (now is where a date without a year ends), oldest
// first; a date that cannot be read counts as older than any other.
[[nodiscard]] int compare_remote(const DirEntry& a, const DirEntry& b, int column, ListingTime now);
[[nodiscard]] int compare_local(const LocalEntry& a, const LocalEntry& b, int column);

// Stable: rows that compare equal keep their order. Reversing swaps the two rows of each comparison.
void sort_remote_rows(std::vector<DirEntry*>& rows, SortOrder order, ListingTime now = local_listing_now());
void sort_local_rows(LocalChain& rows, SortOrder order);

// Texts compared without regard to case (UTF-8, letters outside ASCII folded too).
[[nodiscard]] int compare_no_case(std::string_view a, std::string_view b);
// A size text read as a decimal number; 0 when it does not start with digits.
[[nodiscard]] long long size_value(std::string_view text);

} // namespace kestovan
