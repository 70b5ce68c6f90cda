// Small helpers on plain 8-bit text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// An owned copy of text; nullopt for a null text.
[[nodiscard]] std::optional<std::string> duplicate(const char* text);

// Replaces the first occurrence of what at or after position from by with. Returns the position just
// past the inserted text, so that a caller can loop to replace every occurrence without rescanning
// what it inserted; nullopt when what is empty, does not occur, or from lies past the end.
std::optional<std::size_t> replace_first(std::string& text, std::size_t from, std::string_view what,
                                         std::string_view with);

// Removes trailing CR and LF characters but never the first character: a line that is only a line
// end keeps one line-end character.
void trim_line_end(std::string& text);
[[nodiscard]] std::string_view trim_line_end(std::string_view text);

// True when the file system reports anything (file, folder, device) at path.
[[nodiscard]] bool file_exists(const std::filesystem::path& path);

} // namespace kestovan
