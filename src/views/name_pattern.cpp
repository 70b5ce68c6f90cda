#include "views/name_pattern.h"

#include <QChar>

#include <cstddef>
#include <cstdint>

namespace kestovan {
namespace {

// A byte that does not start a valid UTF-8 sequence becomes a unit of its own above the Unicode
// range, so it never equals a real character and is never case-folded.
constexpr char32_t RAW_BYTE_BASE = 0x110000;

struct Unit {
    char32_t folded = 0;
    std::size_t offset = 0; // byte offset of the character in the original text
};

// The length of the valid UTF-8 sequence at text[i], with its code point; 0 when it is not valid.
std::size_t decode_utf8(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

std::vector<Unit> to_units(std::string_view text)
{
    std::vector<Unit> units;
    units.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const std::size_t length = decode_utf8(text, i, cp);
        if (length == 0) {
            units.push_back({RAW_BYTE_BASE + static_cast<unsigned char>(text[i]), i});
            ++i;
            continue;
        }
        units.push_back({QChar::toCaseFolded(cp), i});
        i += length;
    }
    return units;
}

constexpr char32_t STAR = U'*';
constexpr char32_t QUESTION = U'?';

// Iterative wildcard match: on a mismatch the most recent "*" takes one more character and the rest
// of the pattern is tried again from there. Earlier "*"s keep what they covered, which is enough for
// a correct answer and bounds the work by pattern length times name length, without recursion.
bool match_units(const std::vector<Unit>& pattern, const std::vector<Unit>& name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::optional<std::size_t> star;
    std::size_t star_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p].folded == STAR) {
            star = p++;
            star_name = n;
        } else if (p < pattern.size() &&
                   (pattern[p].folded == QUESTION || pattern[p].folded == name[n].folded)) {
            ++p;
            ++n;
        } else if (star) {
            p = *star + 1;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p].folded == STAR)
        ++p;
    return p == pattern.size();
}

} // namespace

bool match_pattern(std::string_view pattern, std::string_view name)
{
    return match_units(to_units(pattern), to_units(name));
}

std::optional<PatternRun> find_pattern_run(std::string_view run, std::string_view name, std::size_t from,
                                           RunPlace place)
{
    const std::vector<Unit> pattern = to_units(run);
    const std::vector<Unit> units = to_units(name);
    std::size_t first = 0;
    while (first < units.size() && units[first].offset < from)
        ++first;
    if (units.size() - first < pattern.size())
        return std::nullopt;
    const auto fits_at = [&](std::size_t at) {
        for (std::size_t k = 0; k < pattern.size(); ++k) {
            if (pattern[k].folded != QUESTION && pattern[k].folded != units[at + k].folded)
                return false;
        }
        return true;
    };
    std::optional<std::size_t> at;
    switch (place) {
    case RunPlace::AT_START:
        if (fits_at(first))
            at = first;
        break;
    case RunPlace::FIRST:
        for (std::size_t i = first; !at && i + pattern.size() <= units.size(); ++i) {
            if (fits_at(i))
                at = i;
        }
        break;
    case RunPlace::AT_END:
        if (fits_at(units.size() - pattern.size()))
            at = units.size() - pattern.size();
        break;
    }
    if (!at)
        return std::nullopt;
    const auto byte_offset = [&](std::size_t unit) {
        return unit < units.size() ? units[unit].offset : name.size();
    };
    PatternRun found{byte_offset(*at), byte_offset(*at + pattern.size()), {}};
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k].folded == QUESTION) {
            const std::size_t begin = byte_offset(*at + k);
            found.singles.emplace_back(name.substr(begin, byte_offset(*at + k + 1) - begin));
        }
    }
    return found;
}

std::vector<std::string> split_mask_list(std::string_view masks)
{
    std::vector<std::string> patterns;
    while (!masks.empty()) {
        const std::size_t end = masks.find_first_of(",;");
        std::string_view part = masks.substr(0, end);
        masks = end == std::string_view::npos ? std::string_view() : masks.substr(end + 1);
        while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
            part.remove_prefix(1);
        while (!part.empty() && (part.back() == ' ' || part.back() == '\t'))
            part.remove_suffix(1);
        if (!part.empty())
            patterns.emplace_back(part);
    }
    return patterns;
}

bool match_mask_list(std::string_view masks, std::string_view name)
{
    const std::vector<std::string> patterns = split_mask_list(masks);
    if (patterns.empty())
        return true;
    for (const std::string& pattern : patterns) {
        if (match_pattern(pattern, name))
            return true;
    }
    return false;
}

} // namespace kestovan
