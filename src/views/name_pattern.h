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

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

// True when name matches pattern as a whole.
[[nodiscard]] bool match_pattern(std::string_view pattern, std::string_view name);

// The text each wildcard of a successful match covered, in pattern order, taken from the name as
// written (not case-folded). Among several possible matches, the earlier "*"s cover as little as they can.
struct PatternCaptures {
    std::vector<std::string> stars;   // one per "*"
    std::vector<std::string> singles; // one per "?"
};
[[nodiscard]] std::optional<PatternCaptures> match_pattern_captures(std::string_view pattern,
                                                                    std::string_view name);

// The patterns of a mask list, split at "," and ";", each without surrounding blanks; empty patterns
// are left out (so "*.txt;" is the one pattern "*.txt").
[[nodiscard]] std::vector<std::string> split_mask_list(std::string_view masks);

// True when name matches any pattern of the list. A list without patterns lets every name pass.
[[nodiscard]] bool match_mask_list(std::string_view masks, std::string_view name);

} // namespace kestovan
