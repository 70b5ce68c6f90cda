// The line rules shared by the program's state files (profile files, tree texts, config.ini): lines
// cut at LF, a length limit per line, trailing line ends and blanks removed, lenient decimal numbers,
// and values made safe to write on one line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// Line limits of the readers: a longer line keeps its first bytes and loses the rest, which is never
// read as a line of its own (a long server path must not be able to smuggle in a key).
inline constexpr std::size_t PROFILE_LINE_LIMIT = 10000;
inline constexpr std::size_t CONFIG_LINE_LIMIT = 4048;

// Characters removed from the end of every line: profile texts drop spaces, config.ini blanks.
inline constexpr std::string_view PROFILE_TRAILING = "\r\n ";
inline constexpr std::string_view CONFIG_TRAILING = "\r\n \t";

// State files larger than this are not read: they are not ours, and reading one whole could exhaust
// memory.
inline constexpr std::uintmax_t STATE_FILE_LIMIT = 64u << 20;

// The bytes of a regular file of at most STATE_FILE_LIMIT bytes; nothing for anything else (missing,
// a folder, a device or pipe that could block forever, an oversized file).
[[nodiscard]] std::optional<std::string> read_state_file(const std::filesystem::path& path);

// Walks the lines of a state file's text. Each line is cut at LF and at limit bytes (the tail is
// dropped); a NUL byte at its start is dropped and the line ends at the next NUL (the files are C
// text); then the characters of trailing are removed from its end.
class StateLines {
public:
    StateLines(std::string_view text, std::size_t limit, std::string_view trailing)
        : text_(text), limit_(limit), trailing_(trailing)
    {}

    // The next line, or nothing at the end of the text.
    [[nodiscard]] std::optional<std::string_view> next();

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t limit_;
    std::string_view trailing_;
};

// Calls on_line for every line of text (as StateLines gives them), in order, until it returns false.
void for_each_state_line(std::string_view text, std::size_t limit, std::string_view trailing,
                         const std::function<bool(std::string_view)>& on_line);

// The usual lenient integer conversion: leading white space, an optional sign and digits; anything
// else, an empty text included, reads as 0. Values beyond the 64-bit range saturate.
[[nodiscard]] std::int64_t lenient_number(std::string_view text);

// The number stored in an 8-bit field: its low byte, so -1 becomes 255.
[[nodiscard]] std::uint8_t lenient_byte(std::string_view text);

// The number clamped to the 32-bit range.
[[nodiscard]] std::int32_t lenient_int32(std::string_view text);

// When line starts with key followed by "=", the text after the "="; otherwise nothing. Keys are
// compared case-sensitively.
[[nodiscard]] bool take_key_value(std::string_view line, std::string_view key, std::string_view& value);

// Appends key, "=", value and LF. Line feeds and NUL bytes are left out of the value, so a value can
// never end its line early and start a line of its own.
void append_key_line(std::string& out, std::string_view key, std::string_view value);

} // namespace kestovan
