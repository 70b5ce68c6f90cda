// File helpers for tests that move files: deterministic pseudo-random content (the same seed and
// size give the same bytes on every run and machine) and SHA-256 digests to compare both ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestovan::test {

// size bytes of pseudo-random content for seed.
[[nodiscard]] std::string pseudo_random_bytes(std::int64_t size, std::uint64_t seed = 1);
// Writes the same bytes as pseudo_random_bytes(size, seed) to path, in pieces, so large files need
// little memory. Throws std::runtime_error when the file cannot be written.
void write_random_file(const std::string& path, std::int64_t size, std::uint64_t seed = 1);
// Writes content to path, replacing the file. Throws std::runtime_error on failure.
void write_file(const std::string& path, std::string_view content);
// The whole file; throws std::runtime_error when it cannot be read.
[[nodiscard]] std::string read_file(const std::string& path);

// Lower-case hex SHA-256 of a file (throws std::runtime_error when unreadable) or of bytes.
[[nodiscard]] std::string sha256_file(const std::string& path);
[[nodiscard]] std::string sha256_bytes(std::string_view bytes);

} // namespace kestovan::test
