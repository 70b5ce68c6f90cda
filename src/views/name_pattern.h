// File-name patterns with "?" and "*", compared without regard to case, and the mask lists of the
// local pane ("*.txt,*.htm" or "*.txt;*.htm").
//
// Names are UTF-8: "?" stands for one character, not one byte, and letters outside ASCII are folded
// too. Bytes that are not valid UTF-8 count as one character each and match only themselves.
//
// "*" matches any run of characters, including none, wherever it stands: "*.txt" matches
// "notes.txt.txt" and "*a" matches "banana". The match backtracks, so the first occurrence of the
// text after a "*" does not have to be the one that completes the match.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

// True when name matches pattern as a whole.
[[nodiscard]] bool match_pattern(std::string_view pattern, std::string_view name);

// Where a run of pattern text without "*" stands in name: "?" covers one character, letters compare
// without regard to case. begin and end are byte offsets into name; singles holds what each "?"
// covered, taken from the name as written.
struct PatternRun {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::vector<std::string> singles;
};
enum class RunPlace {
    AT_START, // starting at from
    FIRST,    // its first occurrence at or after from
    AT_END,   // ending the name, starting no earlier than from
};
[[nodiscard]] std::optional<PatternRun> find_pattern_run(std::string_view run, std::string_view name,
                                                         std::size_t from, RunPlace place);

// The patterns of a mask list, split at "," and ";", each without surrounding blanks; empty patterns
// are left out (so "*.txt;" is the one pattern "*.txt").
[[nodiscard]] std::vector<std::string> split_mask_list(std::string_view masks);

// True when name matches any pattern of the list. A list without patterns lets every name pass.
[[nodiscard]] bool match_mask_list(std::string_view masks, std::string_view name);

} // namespace kestovan
