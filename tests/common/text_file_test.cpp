#include "common/container.h"
#include "common/text_file.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace kestovan {
namespace {

class TextFileTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, std::string_view bytes)
    {
        const std::filesystem::path path = root / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::vector<std::string> pieces(const std::filesystem::path& path, std::size_t size)
    {
        LineReader reader(path);
        std::vector<std::string> out;
        while (auto piece = reader.read_line(size))
            out.push_back(*piece);
        return out;
    }

    std::vector<std::string> lines(const std::filesystem::path& path, int* sum = nullptr)
    {
        std::vector<std::string> out;
        const int total = for_each_line(path, [&](std::string_view line) {
            out.emplace_back(line);
            return 2;
        });
        if (sum)
            *sum = total;
        return out;
    }

    QTemporaryDir dir;
    std::filesystem::path root = dir.path().toStdString();
};

using Lines = std::vector<std::string>;

TEST_F(TextFileTest, ReadWholeFileKeepsEveryByte)
{
    const std::string bytes = std::string("a\r\nb\0c", 6) + std::string(100000, 'z');
    EXPECT_EQ(read_whole_file(write("f", bytes)), bytes);
    EXPECT_EQ(read_whole_file(write("empty", "")), std::string());
    EXPECT_EQ(read_whole_file(root / "missing"), std::nullopt);
    EXPECT_EQ(read_whole_file(root), std::nullopt); // a folder opens but cannot be read
}

TEST_F(TextFileTest, LinesKeepTheirLineFeedAndThePositionFollowsIt)
{
    const std::string first(300, 'a'); // longer than one 256-byte read
    const auto path = write("f", first + "\nsecond\r\nlast");
    LineReader reader(path);
    char buffer[1000];
    ASSERT_EQ(reader.read_line(buffer, sizeof buffer), 301u);
    EXPECT_EQ(std::string(buffer, 301), first + "\n");
    EXPECT_EQ(reader.position(), 301); // moved back over what was read beyond the line
    ASSERT_EQ(reader.read_line(buffer, sizeof buffer), 8u);
    EXPECT_EQ(std::string(buffer, 8), "second\r\n");
    ASSERT_EQ(reader.read_line(buffer, sizeof buffer), 4u);
    EXPECT_EQ(reader.read_line(buffer, sizeof buffer), 0u);
    EXPECT_EQ(reader.read_line(buffer, sizeof buffer), 0u);
}

TEST_F(TextFileTest, LongLinesArriveInPieces)
{
    const auto path = write("f", std::string(600, 'x') + "\nend\n");
    EXPECT_EQ(pieces(path, 300), (Lines{std::string(300, 'x'), std::string(300, 'x'), "\n", "end\n"}));
    EXPECT_EQ(pieces(path, 250),
              (Lines{std::string(250, 'x'), std::string(250, 'x'), std::string(100, 'x') + "\n", "end\n"}));
}

TEST_F(TextFileTest, NulAtTheStartOfAPieceIsDropped)
{
    const std::string bytes("\0abc\nd\0e\n", 9);
    EXPECT_EQ(pieces(write("a", bytes), 100),
              (Lines{"abc\n", std::string("d\0e\n", 4)})); // only at the start
    EXPECT_EQ(pieces(write("b", std::string("abcd\0efg\n", 9)), 4), (Lines{"abcd", "efg", "\n"}));
    // A piece that is only the NUL is not taken for the end of the file.
    EXPECT_EQ(pieces(write("c", std::string("\0ab", 3)), 1), (Lines{"a", "b"}));
    EXPECT_EQ(pieces(write("d", std::string("\0", 1)), 10), Lines{});
}

TEST_F(TextFileTest, ReaderOfAMissingFileReadsNothing)
{
    LineReader reader(root / "missing");
    char buffer[10];
    EXPECT_FALSE(reader.is_open());
    EXPECT_EQ(reader.read_line(buffer, sizeof buffer), 0u);
    EXPECT_EQ(reader.position(), -1);
}

TEST_F(TextFileTest, ForEachLineOfAPlainFile)
{
    int sum = 0;
    EXPECT_EQ(lines(write("f", "E=Open\r\nT=Ouvrir\n\nlast"), &sum),
              (Lines{"E=Open", "T=Ouvrir", "\n", "last"}));
    EXPECT_EQ(sum, 8);
    EXPECT_EQ(lines(write("empty", "")), Lines{});
    EXPECT_EQ(for_each_line(root / "missing", [](std::string_view) { return 1; }), 0);
}

TEST_F(TextFileTest, ALineLongerThanTheBufferReachesTheCallbackInPieces)
{
    const auto got = lines(write("f", std::string(30000, 'y') + "\r\nnext\r\n"));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], std::string(LINE_BUFFER_SIZE, 'y'));
    EXPECT_EQ(got[1], std::string(30000 - LINE_BUFFER_SIZE, 'y'));
    EXPECT_EQ(got[2], "next");
}

TEST_F(TextFileTest, ForEachLineOfAContainerSplitsAtEveryLineEnd)
{
    const auto path = root / "lang.dat";
    ASSERT_TRUE(write_container(path, "E=Open\r\nT=Ouvrir\r\n\r\nE=Close\nT=Fermer\rlast"));
    int sum = 0;
    EXPECT_EQ(lines(path, &sum), (Lines{"E=Open", "T=Ouvrir", "E=Close", "T=Fermer", "last"}));
    EXPECT_EQ(sum, 10);
}

TEST_F(TextFileTest, ADamagedContainerYieldsNoLines)
{
    std::string bytes = encode_container("E=Open\r\nT=Ouvrir\r\n");
    bytes.resize(bytes.size() - 3);
    EXPECT_EQ(lines(write("bad.dat", bytes)), Lines{});
}

} // namespace
} // namespace kestovan
