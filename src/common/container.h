// The compressed text container of the language files. Little-endian layout:
//   offset 0: magic CONTAINER_MAGIC (32 bits)
//   offset 4: length of the text in bytes (signed 32 bits; negative is invalid)
//   offset 8: the text as one zlib stream (header and Adler-32 included), written at level 9
// A file that does not begin with the magic is plain text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

constexpr std::uint32_t CONTAINER_MAGIC = 0x01E76A1A;
constexpr std::size_t CONTAINER_HEADER_SIZE = 8;
// The largest text a container may hold. A header is never trusted for more: language files are a
// few hundred kilobytes, and a hostile length must not make us allocate gigabytes.
constexpr std::int32_t MAX_CONTAINER_TEXT = 64 * 1024 * 1024;

// The text of a container, or nullopt unless file_bytes start with the magic, the stored length is
// between 0 and MAX_CONTAINER_TEXT, and the stream is intact and inflates to exactly that length.
[[nodiscard]] std::optional<std::string> decode_container(std::string_view file_bytes);

// decode_container of the file's bytes; nullopt also when the file cannot be read.
[[nodiscard]] std::optional<std::string> read_container(const std::filesystem::path& path);

// True when the file can be opened and begins with the magic.
[[nodiscard]] bool is_container_file(const std::filesystem::path& path);

// The container bytes for text. Throws EOutOfBounds for a text longer than MAX_CONTAINER_TEXT, which
// no reader would accept, and EOutOfMemory when compression runs out of memory.
[[nodiscard]] std::string encode_container(std::string_view text);

// Writes encode_container(text) to path (replacing the file). False when the text is too long or
// the file cannot be written completely.
bool write_container(const std::filesystem::path& path, std::string_view text);

} // namespace kestovan
