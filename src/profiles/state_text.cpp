#include "profiles/state_text.h"

#include "common/text_file.h"

#include <limits>

namespace kestovan {

std::optional<std::string> read_state_file(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > STATE_FILE_LIMIT)
        return std::nullopt;
    auto bytes = read_whole_file(path);
    if (bytes && bytes->size() > STATE_FILE_LIMIT)
        bytes->resize(STATE_FILE_LIMIT); // the file grew while it was read
    return bytes;
}

std::optional<std::string_view> StateLines::next()
{
    if (at_ >= text_.size())
        return std::nullopt;
    const std::size_t feed = text_.find('\n', at_);
    const std::size_t end = feed == std::string_view::npos ? text_.size() : feed;
    std::string_view line = text_.substr(at_, end - at_);
    at_ = feed == std::string_view::npos ? text_.size() : feed + 1;

    if (line.size() > limit_)
        line = line.substr(0, limit_);
    if (!line.empty() && line.front() == '\0')
        line.remove_prefix(1);
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos)
        line = line.substr(0, nul);
    while (!line.empty() && trailing_.find(line.back()) != std::string_view::npos)
        line.remove_suffix(1);
    return line;
}

void for_each_state_line(std::string_view text, std::size_t limit, std::string_view trailing,
                         const std::function<bool(std::string_view)>& on_line)
{
    StateLines lines(text, limit, trailing);
    while (const auto line = lines.next()) {
        if (!on_line(*line))
            return;
    }
}

std::int64_t lenient_number(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    constexpr std::uint64_t LIMIT = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (LIMIT + 1 - digit) / 10) {
            value = LIMIT + 1; // saturated; the sign decides below
            break;
        }
        value = value * 10 + digit;
    }
    if (negative)
        return value > LIMIT ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(value);
    return value > LIMIT ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(value);
}

std::uint8_t lenient_byte(std::string_view text)
{
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(lenient_number(text)) & 0xFF);
}

std::int32_t lenient_int32(std::string_view text)
{
    const std::int64_t value = lenient_number(text);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

bool take_key_value(std::string_view line, std::string_view key, std::string_view& value)
{
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=')
        return false;
    value = line.substr(key.size() + 1);
    return true;
}

void append_key_line(std::string& out, std::string_view key, std::string_view value)
{
    out.append(key);
    out.push_back('=');
    for (const char c : value) {
        if (c != '\n' && c != '\0')
            out.push_back(c);
    }
    out.push_back('\n');
}

} // namespace kestovan
