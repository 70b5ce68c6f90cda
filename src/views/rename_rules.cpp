#include "views/rename_rules.h"

#include "views/name_pattern.h"

#include <cstddef>

namespace kestovan {
namespace {

bool equals_no(std::string_view text)
{
    return text.size() == 2 && (text[0] == 'n' || text[0] == 'N') && (text[1] == 'o' || text[1] == 'O');
}

std::string_view trim_trailing_blanks(std::string_view line)
{
    while (!line.empty() &&
           (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

// The quoted fields of a stored line, at most three: a field runs from a double quote to the next
// one; text between fields is skipped. An unterminated field ends the line.
std::vector<std::string> quoted_fields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (fields.size() < 3) {
        const std::size_t open = line.find('"', pos);
        if (open == std::string_view::npos)
            break;
        const std::size_t close = line.find('"', open + 1);
        if (close == std::string_view::npos) {
            fields.emplace_back(RENAME_MISSING_FIELD);
            break;
        }
        const std::string_view text = line.substr(open + 1, close - open - 1);
        fields.emplace_back(text.empty() ? RENAME_MISSING_FIELD : text);
        pos = close + 1;
    }
    while (fields.size() < 3)
        fields.emplace_back(RENAME_MISSING_FIELD);
    return fields;
}

// A mask cut at its "*"s: the text before the first "*" (empty when the mask starts with one), then
// the text after each "*" up to the next. "*_*.txt" is "", then "_" and ".txt".
struct MaskSegments {
    std::string_view head;
    std::vector<std::string_view> stars;
};

MaskSegments cut_mask(std::string_view mask)
{
    MaskSegments segments;
    std::size_t star = mask.find('*');
    segments.head = mask.substr(0, star);
    while (star != std::string_view::npos) {
        const std::size_t next = mask.find('*', star + 1);
        segments.stars.push_back(
            mask.substr(star + 1, next == std::string_view::npos ? next : next - star - 1));
        star = next;
    }
    return segments;
}

// The to-mask's text with each "?" replaced by what the next "?" of the from-mask covered (nothing
// when the from-mask has no further "?").
void append_segment_text(std::string& out, std::string_view text, const std::vector<std::string>& singles,
                         std::size_t& single)
{
    for (char c : text) {
        if (c != '?')
            out += c;
        else if (single < singles.size())
            out += singles[single++];
    }
}

// Segment by segment: the from-mask's head stands at the start of the name and the to-mask's head
// takes its place; then each "*" of the from-mask covers the name up to the first occurrence of the
// text after it, and what it covered, followed by the text after the to-mask's "*" of the same
// number, goes into the result. The text after the from-mask's last "*" is the one that ends the
// name, so "*.htm" turns "a.htm.htm" into "a.htm.html" instead of dropping the second ".htm".
// Rewriting ends when either mask has no further "*". A "*" that covers nothing still pairs with
// its counterpart, so "a*" into "b*.txt" turns "a" into "b.txt", not "b".
std::string rewrite_by_segments(std::string_view name, const MaskSegments& from, const MaskSegments& to)
{
    const std::optional<PatternRun> head = find_pattern_run(from.head, name, 0, RunPlace::AT_START);
    if (!head)
        return {};
    std::vector<std::string> singles = head->singles;
    std::vector<std::string_view> covered; // by each "*" of the from-mask
    std::size_t pos = head->end;
    for (std::size_t i = 0; i < from.stars.size(); ++i) {
        const bool last = i + 1 == from.stars.size();
        const std::optional<PatternRun> text =
            find_pattern_run(from.stars[i], name, pos, last ? RunPlace::AT_END : RunPlace::FIRST);
        if (!text)
            break;
        covered.push_back(name.substr(pos, text->begin - pos));
        singles.insert(singles.end(), text->singles.begin(), text->singles.end());
        pos = text->end;
    }
    std::string out;
    std::size_t single = 0;
    append_segment_text(out, to.head, singles, single);
    for (std::size_t i = 0; i < covered.size() && i < to.stars.size(); ++i) {
        out += covered[i];
        append_segment_text(out, to.stars[i], singles, single);
    }
    return out;
}

} // namespace

bool rule_in_force(const RenameRule& rule)
{
    return rule.enabled && !rule.placeholder;
}

const RenameRule* choose_upload_rule(const RenameRules& rules, std::string_view local_name)
{
    for (const RenameRule& rule : rules) {
        if (rule_in_force(rule) && match_pattern(rule.local_mask, local_name))
            return &rule;
    }
    return nullptr;
}

const RenameRule* choose_download_rule(const RenameRules& rules, std::string_view remote_name)
{
    for (const RenameRule& rule : rules) {
        if (rule_in_force(rule) && match_pattern(rule.remote_mask, remote_name))
            return &rule;
    }
    return nullptr;
}

std::string rename_for_upload(const RenameRules& rules, std::string_view local_name)
{
    const RenameRule* rule = choose_upload_rule(rules, local_name);
    return rule ? rewrite_name(local_name, rule->local_mask, rule->remote_mask) : std::string(local_name);
}

std::string rename_for_download(const RenameRules& rules, std::string_view remote_name)
{
    const RenameRule* rule = choose_download_rule(rules, remote_name);
    return rule ? rewrite_name(remote_name, rule->remote_mask, rule->local_mask) : std::string(remote_name);
}

std::string rewrite_name(std::string_view name, std::string_view from_mask, std::string_view to_mask)
{
    if (!match_pattern(from_mask, name))
        return std::string(name);
    std::string out = rewrite_by_segments(name, cut_mask(from_mask), cut_mask(to_mask));
    // A transfer into "", "." or ".." would name the folder itself, not a file in it.
    if (out.empty() || out == "." || out == "..")
        return std::string(name);
    return out;
}

RenameRule parse_rename_rule_line(std::string_view line)
{
    std::vector<std::string> fields = quoted_fields(line);
    RenameRule rule;
    rule.local_mask = std::move(fields[0]);
    rule.remote_mask = std::move(fields[1]);
    rule.enabled = !equals_no(fields[2]);
    return rule;
}

std::string clean_rename_mask(std::string_view mask)
{
    std::string out;
    out.reserve(mask.size());
    for (char c : mask) {
        if (c != '"' && c != '\r' && c != '\n' && c != '\0')
            out += c;
    }
    return out;
}

std::string format_rename_rule_line(const RenameRule& rule)
{
    const std::string local = clean_rename_mask(rule.local_mask);
    const std::string remote = clean_rename_mask(rule.remote_mask);
    const bool enabled = rule.enabled && !local.empty() && !remote.empty();
    return "\"" + local + "\",\"" + remote + "\",\"" + (enabled ? "Yes" : "No") + "\"";
}

bool is_rename_block_start(std::string_view line)
{
    return line.starts_with(RENAME_BLOCK_START);
}

void read_rename_block(RenameRules& rules, const std::function<std::optional<std::string>()>& next_line)
{
    rules.clear();
    while (std::optional<std::string> line = next_line()) {
        const std::string_view text = trim_trailing_blanks(*line);
        if (text.starts_with(RENAME_BLOCK_END))
            return;
        if (text.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        rules.push_back(parse_rename_rule_line(text));
    }
}

void write_rename_block(const RenameRules& rules, std::string& out)
{
    bool any = false;
    for (const RenameRule& rule : rules)
        any = any || !rule.placeholder;
    if (!any)
        return;
    out += RENAME_BLOCK_START;
    out += '\n';
    for (const RenameRule& rule : rules) {
        if (rule.placeholder)
            continue;
        out += format_rename_rule_line(rule);
        out += '\n';
    }
    out += RENAME_BLOCK_END;
    out += '\n';
}

} // namespace kestovan
