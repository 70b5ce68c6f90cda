// Reading text files whole or line by line, and walking the lines of a text file that may also be a
// compressed container (see container.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// The bytes of the file as read; nullopt when it cannot be opened or read (a folder, say).
[[nodiscard]] std::optional<std::string> read_whole_file(const std::filesystem::path& path);

// Reads a file one line at a time with plain reads of at most 256 bytes. After each line the file
// position is moved back to just after the line feed, so the descriptor is left exactly at the next line.
class LineReader {
public:
    static constexpr std::size_t READ_SIZE = 256;

    explicit LineReader(const std::filesystem::path& path);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    LineReader(LineReader&& other) noexcept;
    LineReader& operator=(LineReader&& other) noexcept;
    ~LineReader();

    [[nodiscard]] bool is_open() const { return fd_ >= 0; }

    // Reads the next line, up to and including its line feed, into buffer and returns its byte count;
    // 0 at end of file, on a read error or when the file is not open. A line longer than size arrives
    // in pieces of at most size bytes over several calls. A NUL byte at the very start of a piece is
    // dropped. The buffer is not terminated: the result is the count of bytes written.
    std::size_t read_line(char* buffer, std::size_t size);

    // The same, as a string: the next piece of at most size bytes, or nullopt at end of file.
    std::optional<std::string> read_line(std::size_t size);

    // The current position of the underlying file; -1 when it is not open.
    [[nodiscard]] std::int64_t position() const;

private:
    std::size_t read_piece(char* buffer, std::size_t size);

    int fd_ = -1;
};

// The buffer size for plain lines in for_each_line: longer lines reach the callback in pieces.
constexpr std::size_t LINE_BUFFER_SIZE = 20000;

// Calls callback for every line of the file and returns the sum of its results (0 when the file cannot
// be read). A compressed container is inflated and split at CR and LF, runs of line-end characters
// between lines skipped (so empty lines are not passed); a container that cannot be inflated yields no
// lines. Any other file is read with LineReader in LINE_BUFFER_SIZE pieces, each trimmed with
// trim_line_end before it is passed.
int for_each_line(const std::filesystem::path& path, const std::function<int(std::string_view)>& callback);

} // namespace kestovan
