#include "importer/tree_text.h"

namespace kestovan {

namespace {

// What of a name survives the program: its characters for file names, the line breaks the writer
// leaves out, and the trailing spaces its reader removes from every line.
std::string clean_name(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        if (BAD_NAME_CHARS.find(c) == std::string_view::npos && c != '\r' && c != '\n')
            out.push_back(c);
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

bool is_usable(std::string_view name)
{
    return !name.empty() && name != "." && name != "..";
}

} // namespace

std::string usable_name(std::string_view name, std::string_view fallback, std::string_view last_resort)
{
    std::string cleaned = clean_name(name);
    if (is_usable(cleaned))
        return cleaned;
    cleaned = clean_name(fallback);
    if (is_usable(cleaned))
        return cleaned;
    return std::string(last_resort);
}

std::string_view cut(std::string_view text, std::size_t limit)
{
    return text.substr(0, limit);
}

void TreeText::key(std::string_view key, std::string_view value)
{
    text_.append(key).push_back('=');
    for (const char c : value) {
        if (c != '\n' && c != '\r' && c != '\0')
            text_.push_back(c);
    }
    text_.push_back('\n');
}

void TreeText::key(std::string_view key, long long value)
{
    this->key(key, std::to_string(value));
}

} // namespace kestovan
