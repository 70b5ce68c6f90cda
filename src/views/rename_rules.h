// Automatic renaming of transfer targets: an ordered list of rules, each pairing a local file-name
// mask with a remote one, and the "renamelist={" block that keeps them in config.ini.
//
// A name is rewritten from one mask into the other segment by segment. Each mask is cut at its "*"s;
// the n-th "*" of the from-mask covers the name up to the text that follows that "*", and what it
// covered, followed by the text after the to-mask's n-th "*", goes into the new name. So "*.htm" into
// "*.html" turns "index.htm" into "index.html" and "*_*.txt" into "*-*.txt" turns "a_b_c.txt" into
// "a-b_c.txt" (the first "_" is the one that counts). Text before the first "*" is replaced as a
// whole: "a*.txt" into "b*.txt" turns "abc.txt" into "bbc.txt", and a from-mask without "*" names one
// file that becomes the to-mask's text ("readme.txt" into "README.TXT"). The to-mask's n-th "?" takes
// the character that the from-mask's n-th "?" covered. Rewriting stops when either mask runs out of
// "*"s, so extra "*"s on either side add nothing: "*.txt" into "*_*.txt" turns "a.txt" into "a_".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct RenameRule {
    std::string local_mask, remote_mask;
    bool enabled = true;
    bool placeholder = false; // the empty row at the end of the editing list; never renames, never written
};
using RenameRules = std::vector<RenameRule>;

inline constexpr std::string_view RENAME_BLOCK_START = "renamelist={";
inline constexpr std::string_view RENAME_BLOCK_END = "}";
// What a stored field reads as when it is missing, empty or unterminated.
inline constexpr std::string_view RENAME_MISSING_FIELD = "???????";

// True when the rule takes part in renaming: enabled and not the placeholder. An enabled rule with
// an empty mask is in force: it matches only empty names on that side and renames nothing on the
// other (its result would be empty), but it is still the first match there.
[[nodiscard]] bool rule_in_force(const RenameRule& rule);

// The first rule in force whose local mask matches local_name (uploads), or whose remote mask
// matches remote_name (downloads); null when there is none.
[[nodiscard]] const RenameRule* choose_upload_rule(const RenameRules& rules, std::string_view local_name);
[[nodiscard]] const RenameRule* choose_download_rule(const RenameRules& rules, std::string_view remote_name);

// The remote name for an uploaded file and the local name for a downloaded one; the name unchanged
// when no rule applies.
[[nodiscard]] std::string rename_for_upload(const RenameRules& rules, std::string_view local_name);
[[nodiscard]] std::string rename_for_download(const RenameRules& rules, std::string_view remote_name);

// name rewritten from from_mask into to_mask (see above); name unchanged when from_mask does not
// match it or when the result would be empty, "." or "..", none of which can name a file.
[[nodiscard]] std::string rewrite_name(std::string_view name, std::string_view from_mask,
                                       std::string_view to_mask);

// A stored rule line: the first three double-quoted texts are the local mask, the remote mask and the
// enabled text; a missing, empty or unterminated field reads as "???????"; the rule is disabled when
// the third text is "no" in any case.
[[nodiscard]] RenameRule parse_rename_rule_line(std::string_view line);

// "\"%s\",\"%s\",\"%s\"" with the masks and "Yes" or "No". A mask cannot carry a double quote or a
// line break in this form, so those characters are left out (clean_rename_mask). A rule with an empty
// mask is written as "No": the empty field reads back as "???????", which matches every
// seven-character name, and enabled it would rename them all.
[[nodiscard]] std::string format_rename_rule_line(const RenameRule& rule);

// The mask without the characters the stored form cannot hold (double quote, CR, LF, NUL).
[[nodiscard]] std::string clean_rename_mask(std::string_view mask);

// True when a config.ini line opens the rename block.
[[nodiscard]] bool is_rename_block_start(std::string_view line);

// Reads the lines after "renamelist={" through next_line (nullopt at the end of the file) up to a line
// that begins with "}", replacing rules with one rule per line. Blank lines are passed over.
void read_rename_block(RenameRules& rules, const std::function<std::optional<std::string>()>& next_line);

// Appends the block ("renamelist={", one line per rule, "}", each ended by "\n") when at least one
// rule is not a placeholder; placeholders are never written.
void write_rename_block(const RenameRules& rules, std::string& out);

} // namespace kestovan
