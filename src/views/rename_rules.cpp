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

std::string substitute(std::string_view to_mask, const PatternCaptures& captures)
{
    std::string out;
    std::size_t star = 0;
    std::size_t single = 0;
    for (char c : to_mask) {
        if (c == '*') {
            if (star < captures.stars.size())
                out += captures.stars[star];
            ++star;
        } else if (c == '?') {
            if (single < captures.singles.size())
                out += captures.singles[single];
            ++single;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

bool rule_in_force(const RenameRule& rule)
{
    return rule.enabled && !rule.placeholder && !rule.local_mask.empty() && !rule.remote_mask.empty();
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
    const std::optional<PatternCaptures> captures = match_pattern_captures(from_mask, name);
    if (!captures)
        return std::string(name);
    std::string out = substitute(to_mask, *captures);
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
