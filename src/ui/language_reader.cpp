#include "ui/language_reader.h"

#include <charconv>
#include <vector>

namespace kestovan {

namespace {

constexpr std::string_view PRODUCT_PLACEHOLDER = "%PRODUCT%";

// Lines split at CR or LF; runs of line ends in between are skipped, so no line is empty.
std::vector<std::string_view> split_lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (stop > pos)
            lines.push_back(text.substr(pos, stop - pos));
        pos = stop + 1;
    }
    return lines;
}

std::string unescape(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[i + 1];
            const char replacement = next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : '\0';
            if (replacement != '\0') {
                out += replacement;
                ++i;
                continue;
            }
        }
        out += line[i];
    }
    return out;
}

std::string without_braces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '{' && c != '}')
            out += c;
    }
    return out;
}

std::string with_product_name(std::string_view text, std::string_view product_name)
{
    std::string out(text);
    std::size_t pos = 0;
    while ((pos = out.find(PRODUCT_PLACEHOLDER, pos)) != std::string::npos) {
        out.replace(pos, PRODUCT_PLACEHOLDER.size(), product_name);
        pos += product_name.size();
    }
    return out;
}

std::string lower_ascii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The decimal number at the start of text; nullopt when text does not start with a digit.
std::optional<int> leading_number(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || text.front() == '-')
        return std::nullopt;
    return value;
}

int lenient_number(std::string_view text)
{
    return text.empty() ? 0 : leading_number(text).value_or(0);
}

// The "lang=" value decides how every translation is read, so it is found before the other lines:
// a "lang=jp" line below the first translations still keeps their braces.
std::optional<std::string> language_code(const std::vector<std::string_view>& lines)
{
    std::optional<std::string> code;
    for (std::string_view line : lines) {
        if (line.starts_with("lang="))
            code = lower_ascii(line.substr(5));
    }
    return code;
}

class Reader {
public:
    Reader(LanguageText& out, std::string_view product_name, bool keep_braces)
        : out_(out), product_name_(product_name), keep_braces_(keep_braces)
    {}

    void line(std::string_view line)
    {
        if (line.starts_with("<")) {
            if (auto number = leading_number(line.substr(1)))
                form_ = *number;
        } else if (line.starts_with("E=")) {
            english(line.substr(2));
        } else if (line.starts_with("T=")) {
            translation(line.substr(2));
        } else if (line.starts_with("F_FACE=")) {
            out_.font.face = std::string(line.substr(7));
        } else if (line.starts_with("F_WIDTH=")) {
            out_.font.width = lenient_number(line.substr(8));
        } else if (line.starts_with("F_HEIGHT=")) {
            out_.font.height = lenient_number(line.substr(9));
        } else if (line.starts_with("lang=")) {
            out_.code = lower_ascii(line.substr(5));
        }
    }

private:
    void english(std::string_view text)
    {
        plain_key_ = without_braces(with_product_name(text, product_name_));
        key_ = plain_key_;
        if (form_ != 0)
            key_ += ":" + std::to_string(form_);
    }

    void translation(std::string_view text)
    {
        if (!key_.empty() && text != "*") {
            const std::string translated = keep_braces_ ? std::string(text) : without_braces(text);
            out_.translations.insert(key_, translated);
            if (key_.size() != plain_key_.size())
                out_.translations.insert(plain_key_, translated);
        }
        key_.clear();
        plain_key_.clear();
    }

    LanguageText& out_;
    std::string_view product_name_;
    bool keep_braces_ = false;
    int form_ = 0;
    std::string key_; // empty: no English text waiting for its translation
    std::string plain_key_;
};

} // namespace

LanguageText read_language_text(std::string_view text, std::string_view product_name)
{
    LanguageText result;
    const std::vector<std::string_view> lines = split_lines(text);
    Reader reader(result, product_name, language_code(lines) == "jp");
    for (std::string_view raw : lines) {
        if (raw.front() == ';')
            continue;
        if (raw.find('\\') == std::string_view::npos)
            reader.line(raw);
        else
            reader.line(unescape(raw));
    }
    return result;
}

std::string to_crlf_lines(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::string_view line : split_lines(text)) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace kestovan
