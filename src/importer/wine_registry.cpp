#include "importer/wine_registry.h"

#include "importer/source_file.h"

#include <cstdlib>
#include <string>

namespace kestovan {

namespace {

// Stands for an escaped character outside ASCII: it can never match the ASCII names looked for.
constexpr char FOREIGN_CHAR = '\x01';

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::optional<unsigned> hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// The escaped text that starts at `at` and runs to the first unescaped `close`; `at` is left after
// the close. Nothing when the close is missing. Wine escapes the backslash, the quote, the brackets of
// key names and control characters (\n, \r, \t, \0, \xHHHH).
std::optional<std::string> unescape_until(std::string_view line, std::size_t& at, char close)
{
    std::string out;
    while (at < line.size()) {
        const char c = line[at++];
        if (c == close)
            return out;
        if (c != '\\' || at >= line.size()) {
            out.push_back(c);
            continue;
        }
        const char escaped = line[at++];
        switch (escaped) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case '0': out.push_back('\0'); break;
        case 'x': {
            unsigned value = 0;
            for (int digits = 0; digits < 4 && at < line.size() && hex_digit(line[at]); ++digits)
                value = value * 16 + *hex_digit(line[at++]);
            out.push_back(value < 0x80 ? static_cast<char>(value) : FOREIGN_CHAR);
            break;
        }
        default: out.push_back(escaped);
        }
    }
    return std::nullopt;
}

bool value_line_matches(std::string_view line, std::string_view value_name)
{
    if (value_name.empty())
        return line.starts_with("@=");
    if (!line.starts_with('"'))
        return false;
    std::size_t at = 1;
    const auto name = unescape_until(line, at, '"');
    return name && at < line.size() && line[at] == '=' && equals_ignoring_case(*name, value_name);
}

// The same key in the 32-bit view of a 64-bit prefix, for keys under "Software\".
std::optional<std::string> wow64_key(std::string_view key)
{
    constexpr std::string_view SOFTWARE = "Software\\";
    if (key.size() < SOFTWARE.size() || !equals_ignoring_case(key.substr(0, SOFTWARE.size()), SOFTWARE))
        return std::nullopt;
    std::string wow64(key.substr(0, SOFTWARE.size()));
    wow64.append(WOW64_NODE).push_back('\\');
    wow64.append(key.substr(SOFTWARE.size()));
    return wow64;
}

} // namespace

std::optional<std::filesystem::path> wine_prefix()
{
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return std::filesystem::path(prefix);
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".wine";
    return std::nullopt;
}

bool registry_text_has_value(std::string_view text, std::string_view key, std::string_view value_name)
{
    bool in_key = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with('[')) {
            std::size_t name_at = 1;
            const auto name = unescape_until(line, name_at, ']');
            in_key = name && equals_ignoring_case(*name, key);
        } else if (in_key && value_line_matches(line, value_name)) {
            return true;
        }
    }
    return false;
}

bool wine_registry_has_value(RegistryHive hive, std::string_view key, std::string_view value_name)
{
    const auto prefix = wine_prefix();
    if (!prefix)
        return false;
    const bool machine = hive == RegistryHive::LocalMachine;
    const std::filesystem::path file = *prefix / (machine ? MACHINE_REGISTRY_FILE : USER_REGISTRY_FILE);
    const SourceFile source = read_source_file(file.c_str(), REGISTRY_FILE_LIMIT);
    if (source.status != ReadStatus::Ok)
        return false;
    if (registry_text_has_value(source.bytes, key, value_name))
        return true;
    const auto wow64 = machine ? wow64_key(key) : std::nullopt;
    return wow64 && registry_text_has_value(source.bytes, *wow64, value_name);
}

} // namespace kestovan
