// The small helpers other tests build on: file contents and digests, loopback ports and tuples.
#include "support/loopback_socket.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace kestovan::test {
namespace {

TEST(TestFiles, Sha256MatchesKnownDigests)
{
    EXPECT_EQ(sha256_bytes(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256_bytes("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(TestFiles, PseudoRandomBytesDependOnSeedOnly)
{
    EXPECT_EQ(pseudo_random_bytes(1000, 3), pseudo_random_bytes(1000, 3));
    EXPECT_NE(pseudo_random_bytes(1000, 3), pseudo_random_bytes(1000, 4));
    // A shorter run is a prefix of a longer one, so sizes can be compared piece by piece.
    EXPECT_EQ(pseudo_random_bytes(1001, 3).substr(0, 997), pseudo_random_bytes(997, 3));
    EXPECT_EQ(pseudo_random_bytes(0, 3), "");
}

TEST(TestFiles, RandomFileEqualsTheBytesAcrossWritePieces)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Past one write piece (1 MiB) and not a multiple of the generator's 8-byte words.
    constexpr std::int64_t SIZE = (1 << 20) + 13;
    const std::string path = dir.filePath("r.bin").toStdString();
    write_random_file(path, SIZE, 9);

    const std::string expected = pseudo_random_bytes(SIZE, 9);
    EXPECT_EQ(read_file(path).size(), expected.size());
    EXPECT_EQ(sha256_file(path), sha256_bytes(expected));
}

TEST(TestFiles, MissingFileThrows)
{
    EXPECT_THROW((void)sha256_file("/nonexistent/kestovan/file"), std::runtime_error);
    EXPECT_THROW((void)read_file("/nonexistent/kestovan/file"), std::runtime_error);
}

TEST(LoopbackSocket, FreePortCanBeListenedOn)
{
    const std::uint16_t port = free_loopback_port();
    EXPECT_NE(port, 0);
    const UniqueFd listener = listen_loopback(port);
    EXPECT_EQ(bound_port(listener.get()), port);
    EXPECT_NO_THROW((void)connect_loopback(port));
}

TEST(LoopbackSocket, TupleSplitsThePortIntoTwoBytes)
{
    EXPECT_EQ(loopback_tuple(21), "127,0,0,1,0,21");
    EXPECT_EQ(loopback_tuple(65535), "127,0,0,1,255,255");
    EXPECT_EQ(loopback_tuple(4097), "127,0,0,1,16,1");
}

TEST(LoopbackSocket, FindsTheFirstWellFormedTuple)
{
    struct Row {
        const char* text;
        std::optional<HostPort> expected;
    };
    const Row rows[] = {
        {"227 Entering Passive Mode (127,0,0,1,4,1).", HostPort{0x7f000001, 1025}},
        {"127,0,0,1,255,255", HostPort{0x7f000001, 65535}},
        {"227 =10,0,0,5,0,21", HostPort{0x0a000005, 21}},
        {"227 (1,2,3) then (127,0,0,1,0,80)", HostPort{0x7f000001, 80}},
        {"227 (256,0,0,1,4,1)", std::nullopt},    // a number past 255
        {"227 (127,0,0,1,4)", std::nullopt},      // five numbers
        {"227 (127,0,0,1,4,1000)", std::nullopt}, // four digits
        {"227 no tuple", std::nullopt},
    };
    for (const Row& row : rows) {
        const auto found = find_host_port_tuple(row.text);
        ASSERT_EQ(found.has_value(), row.expected.has_value()) << row.text;
        if (found) {
            EXPECT_EQ(found->ip, row.expected->ip) << row.text;
            EXPECT_EQ(found->port, row.expected->port) << row.text;
        }
    }
}

} // namespace
} // namespace kestovan::test
