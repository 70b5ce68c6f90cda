#include "common/container.h"
#include "common/exceptions.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <zlib.h>

namespace kestovan {
namespace {

std::string all_bytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    return bytes;
}

std::string header(std::uint32_t magic, std::uint32_t length)
{
    std::string out;
    for (std::uint32_t value : {magic, length})
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

std::string deflated(std::string_view text, int level = Z_BEST_COMPRESSION)
{
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), level);
    out.resize(size);
    return out;
}

TEST(Container, RoundTrip)
{
    for (const std::string& text : {std::string(), std::string("x"), std::string("E=Open\r\nT=Ouvrir\r\n"),
                                    all_bytes(), std::string(1 << 20, 'r')}) {
        const std::string bytes = encode_container(text);
        EXPECT_EQ(decode_container(bytes), text) << text.size();
    }
}

TEST(Container, LayoutIsLittleEndianWithALevelNineZlibStream)
{
    const std::string text = "hello\r\n";
    const std::string bytes = encode_container(text);
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x1A\x6A\xE7\x01\x07\0\0\0", 8));
    EXPECT_EQ(bytes.substr(8), deflated(text)); // zlib header 78 DA marks level 9
    EXPECT_EQ(static_cast<unsigned char>(bytes[9]), 0xDA);
}

TEST(Container, HeadersAndStreamsThatDoNotAgreeAreRejected)
{
    const std::string text = "E=Open\r\nT=Ouvrir\r\n";
    const std::string stream = deflated(text);
    const auto n = static_cast<std::uint32_t>(text.size());
    struct Row {
        const char* what;
        std::string bytes;
    };
    std::string corrupt = header(CONTAINER_MAGIC, n) + stream;
    corrupt[corrupt.size() - 6] ^= 0x55;
    const Row rows[] = {
        {"plain text", "E=Open\r\nT=Ouvrir\r\n"},
        {"shorter than a header", header(CONTAINER_MAGIC, 0).substr(0, 7)},
        {"bad magic", header(CONTAINER_MAGIC + 1, n) + stream},
        {"negative length", header(CONTAINER_MAGIC, 0xFFFFFFFF) + stream},
        {"huge length", header(CONTAINER_MAGIC, 0x7FFFFFFF) + stream},
        {"length one too long", header(CONTAINER_MAGIC, n + 1) + stream},
        {"length one too short", header(CONTAINER_MAGIC, n - 1) + stream},
        {"zero length with text", header(CONTAINER_MAGIC, 0) + deflated("x")},
        {"no stream", header(CONTAINER_MAGIC, n)},
        {"truncated stream", header(CONTAINER_MAGIC, n) + stream.substr(0, stream.size() - 1)},
        {"half a stream", header(CONTAINER_MAGIC, n) + stream.substr(0, stream.size() / 2)},
        {"corrupt stream", corrupt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(decode_container(row.bytes), std::nullopt) << row.what;
}

TEST(Container, TextsBeyondTheLimitAreNeitherWrittenNorRead)
{
    const std::string text(static_cast<std::size_t>(MAX_CONTAINER_TEXT) + 1, '\0');
    EXPECT_THROW((void)encode_container(text), EOutOfBounds);
    // A consistent header and stream are still refused: the limit is not only a guess from the ratio.
    EXPECT_EQ(decode_container(header(CONTAINER_MAGIC, static_cast<std::uint32_t>(text.size())) +
                               deflated(text, Z_BEST_SPEED)),
              std::nullopt);
}

TEST(Container, Files)
{
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    ASSERT_TRUE(write_container(root / "lang.dat", "T=Fermer\r\n"));
    EXPECT_TRUE(is_container_file(root / "lang.dat"));
    EXPECT_EQ(read_container(root / "lang.dat"), std::string("T=Fermer\r\n"));

    std::ofstream(root / "plain.txt") << "T=Fermer\r\n";
    EXPECT_FALSE(is_container_file(root / "plain.txt"));
    EXPECT_EQ(read_container(root / "plain.txt"), std::nullopt);

    EXPECT_EQ(read_container(root / "missing"), std::nullopt);
    EXPECT_FALSE(is_container_file(root / "missing"));
    EXPECT_FALSE(write_container(root / "no" / "such" / "folder.dat", "x"));
}

} // namespace
} // namespace kestovan
