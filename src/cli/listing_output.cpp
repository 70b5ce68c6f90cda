#include "cli/listing_output.h"

#include "views/dir_entry.h"

#include <algorithm>
#include <cctype>

namespace kestovan {

namespace {
// Tabs and line ends inside a field would break the line format; other control characters (an
// escape sequence in a hostile name) would reach the user's terminal, so they show as "?", as ls -q.
std::string field(const std::optional<std::string>& text)
{
    std::string value = text.value_or("");
    for (char& c : value) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
        else if (std::iscntrl(static_cast<unsigned char>(c)))
            c = '?';
    }
    return value;
}
} // namespace

std::string format_entry_line(const DirEntry& entry)
{
    return std::to_string(entry.kind) + "\t" + field(entry.name) + "\t" + field(entry.size) + "\t" +
           field(entry.date) + "\t" + field(entry.permissions) + "\t" + field(entry.owner) + "\t" +
           field(entry.group) + "\t" + field(entry.links) + "\t" + field(entry.link_target);
}

bool listing_is_empty_folder(std::string_view text)
{
    if (text.empty())
        return true;
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return lower.find("total ") != std::string::npos;
}

} // namespace kestovan
