#include "common/container.h"

#include "common/exceptions.h"
#include "common/text_file.h"

#include <fstream>
#include <new>
#include <zlib.h>

namespace kestovan {

namespace {

std::uint32_t read_le32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

void append_le32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Deflate cannot expand data by more than about 1032 to 1; a stored length beyond that bound for the
// bytes at hand is a lie, found out before the buffer is allocated.
constexpr std::uint64_t MAX_INFLATE_RATIO = 1032;

} // namespace

std::optional<std::string> decode_container(std::string_view file_bytes)
{
    if (file_bytes.size() < CONTAINER_HEADER_SIZE || read_le32(file_bytes, 0) != CONTAINER_MAGIC)
        return std::nullopt;
    const auto length = static_cast<std::int32_t>(read_le32(file_bytes, 4));
    const std::string_view stream = file_bytes.substr(CONTAINER_HEADER_SIZE);
    if (length < 0 || length > MAX_CONTAINER_TEXT ||
        static_cast<std::uint64_t>(length) > stream.size() * MAX_INFLATE_RATIO)
        return std::nullopt;

    // One byte of room beyond length, so that a stream holding more than it claims is caught even
    // when length is 0.
    std::string text;
    try {
        text.resize(static_cast<std::size_t>(length) + 1);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    uLongf text_size = static_cast<uLongf>(text.size());
    uLong stream_size = static_cast<uLong>(stream.size());
    const int result = uncompress2(reinterpret_cast<Bytef*>(text.data()), &text_size,
                                   reinterpret_cast<const Bytef*>(stream.data()), &stream_size);
    if (result != Z_OK || text_size != static_cast<uLongf>(length))
        return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::optional<std::string> read_container(const std::filesystem::path& path)
{
    const std::optional<std::string> bytes = read_whole_file(path);
    if (!bytes)
        return std::nullopt;
    return decode_container(*bytes);
}

bool is_container_file(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    char header[4] = {};
    if (!file.read(header, sizeof header))
        return false;
    return read_le32(std::string_view(header, sizeof header), 0) == CONTAINER_MAGIC;
}

std::string encode_container(std::string_view text)
{
    if (text.size() > static_cast<std::size_t>(MAX_CONTAINER_TEXT))
        throw EOutOfBounds();
    std::string out;
    try {
        uLongf stream_size = compressBound(static_cast<uLong>(text.size()));
        out.reserve(CONTAINER_HEADER_SIZE + stream_size);
        append_le32(out, CONTAINER_MAGIC);
        append_le32(out, static_cast<std::uint32_t>(text.size()));
        out.resize(CONTAINER_HEADER_SIZE + stream_size);
        const int result = compress2(reinterpret_cast<Bytef*>(out.data() + CONTAINER_HEADER_SIZE),
                                     &stream_size, reinterpret_cast<const Bytef*>(text.data()),
                                     static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
        if (result != Z_OK) // with a compressBound buffer only memory can run out
            throw EOutOfMemory();
        out.resize(CONTAINER_HEADER_SIZE + stream_size);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
    return out;
}

bool write_container(const std::filesystem::path& path, std::string_view text)
{
    if (text.size() > static_cast<std::size_t>(MAX_CONTAINER_TEXT))
        return false;
    std::string bytes;
    try {
        bytes = encode_container(text);
    } catch (const Exception&) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace kestovan
