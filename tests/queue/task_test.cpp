#include "queue/task.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(ServerPath, JoinsServerAndCleanedRemotePath)
{
    struct Case {
        const char* server;
        const char* remote;
        const char* want;
    };
    const Case cases[] = {
        {"127.0.0.1", "/pub/file.bin", "127.0.0.1/pub/file.bin"},
        {"127.0.0.1", "pub//deep///file", "127.0.0.1/pub/deep/file"},
        {"127.0.0.1", "C:\\dir\\file.txt", "127.0.0.1/dir/file.txt"},
        {"127.0.0.1", "d:file", "127.0.0.1/file"},
        {"127.0.0.1", "", "127.0.0.1/"},
        {"127.0.0.1", "/a/../b", "127.0.0.1/a/../b"}, // the path is the server's; nothing is resolved
    };
    for (const Case& c : cases)
        EXPECT_EQ(server_path(c.server, c.remote), c.want) << c.remote;
}

} // namespace
} // namespace kestovan
