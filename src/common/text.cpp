#include "common/text.h"

#include <system_error>

namespace kestovan {

namespace {

bool is_line_end(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::optional<std::string> duplicate(const char* text)
{
    if (!text)
        return std::nullopt;
    return std::string(text);
}

std::optional<std::size_t> replace_first(std::string& text, std::size_t from, std::string_view what,
                                         std::string_view with)
{
    if (what.empty() || from > text.size())
        return std::nullopt;
    const std::size_t at = text.find(what, from);
    if (at == std::string::npos)
        return std::nullopt;
    text.replace(at, what.size(), with);
    return at + with.size();
}

void trim_line_end(std::string& text)
{
    text.resize(trim_line_end(std::string_view(text)).size());
}

std::string_view trim_line_end(std::string_view text)
{
    std::size_t n = text.size();
    while (n > 1 && is_line_end(text[n - 1]))
        --n;
    return text.substr(0, n);
}

bool file_exists(const std::filesystem::path& path)
{
    if (path.empty())
        return false;
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

} // namespace kestovan
