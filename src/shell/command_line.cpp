#include "shell/command_line.h"

#include <cctype>

namespace kestovan {

namespace {

bool is_letter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool is_digit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The value written right after an option letter: a quoted text, or the text up to the next blank.
std::string value_at(std::string_view text, std::size_t& pos)
{
    std::string value;
    if (pos < text.size() && text[pos] == '"') {
        auto end = text.find('"', pos + 1);
        value = std::string(text.substr(pos + 1, end == std::string_view::npos ? end : end - pos - 1));
        pos = end == std::string_view::npos ? text.size() : end + 1;
        return value;
    }
    while (pos < text.size() && text[pos] != ' ')
        value.push_back(text[pos++]);
    return value;
}

long long digits_at(std::string_view text, std::size_t& pos)
{
    long long value = 0;
    while (pos < text.size() && is_digit(text[pos]) && value < (1LL << 50))
        value = value * 10 + (text[pos++] - '0');
    return value;
}

} // namespace

CommandLine parse_command_line(std::string_view text)
{
    CommandLine line;
    bool have_argument = false;
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == ' ' || text[pos] == '\t') {
            ++pos;
            continue;
        }
        if (text[pos] == '-' && pos + 1 < text.size() && is_letter(text[pos + 1])) {
            const char letter = text[pos + 1];
            pos += 2;
            if (letter == 'z') {
                line.host_window = digits_at(text, pos);
                if (pos < text.size() && text[pos] == ':') {
                    ++pos;
                    line.host_cookie = digits_at(text, pos);
                }
                line.option = 0;
                break;
            }
            if (!line.option)
                line.option = letter;
            value_at(text, pos);
            continue;
        }
        if (!have_argument && (is_letter(text[pos]) || is_digit(text[pos]) || text[pos] == '"' ||
                               text[pos] == '/' || text[pos] == '.' || text[pos] == '~')) {
            line.argument = value_at(text, pos);
            have_argument = true;
            continue;
        }
        while (pos < text.size() && text[pos] != ' ')
            ++pos;
    }
    // The second pass reads every "-" followed by a letter, anywhere.
    for (std::size_t pos = 0; pos + 1 < text.size(); ++pos) {
        if (text[pos] != '-' || !is_letter(text[pos + 1]) || (pos > 0 && text[pos - 1] != ' '))
            continue;
        const char letter = text[pos + 1];
        std::size_t at = pos + 2;
        const std::string value = value_at(text, at);
        if (letter == 'b')
            line.batch = true;
        else if (letter == 'p' && !value.empty())
            line.profile = value;
        else if (letter == 'y')
            line.unattended = true;
        else if (letter == 'x')
            line.quit_when_done = true;
    }
    return line;
}

std::string command_line_text(const std::vector<std::string>& arguments)
{
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty())
            text.push_back(' ');
        if (argument.find(' ') != std::string::npos) {
            // "-p" with a quoted name keeps the quote right after the letter.
            if (argument.size() > 2 && argument[0] == '-' && is_letter(argument[1]))
                text += argument.substr(0, 2) + "\"" + argument.substr(2) + "\"";
            else
                text += "\"" + argument + "\"";
        } else {
            text += argument;
        }
    }
    return text;
}

} // namespace kestovan
