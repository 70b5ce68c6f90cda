#include "common/paths.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct JoinRow {
    const char* dir;
    const char* name;
    const char* expected;
};

TEST(Paths, JoinLocal)
{
    const JoinRow rows[] = {
        {"/a/b", "../c", "/a/c"},              // parent of the last folder
        {"//srv/share", "x", "//srv/share/x"}, // a leading double separator stays
        {"///srv", "x", "//srv/x"},            // ... as exactly two
        {"/a//b/", "/c", "/a/b/c"},            // other runs collapse
        {"/a/bb", "..", "/a/"},                // trailing "..": the separator before stays
        {"/a/b", "../", "/a/"},                // marker with its separator at the end
        {"/a/b/c", "../../d", "/a/d"},         // repeated markers
        {"/a/b/..", "../x", "/x"},             // markers from both parts
        {"/a/b", "../../..", "/"},             // running out of folders stops at the root
        {"/", "../x", "/x"},
        {"/", "home", "/home"},    // the root joined is no "//"
        {"/", "//x", "/x"},        // the root is its own parent
        {"/a/./b", "..", "/a/./"}, // "." is a segment like any other
        {"..", "x", "../x"},       // nothing known above a relative start
        {"../a", "../b", "../b"},  // ... and later markers still resolve
        {"../..", "..", "../../.."},
        {"a", "..", ""},             // a relative path that cancels out
        {"/a", "x../y", "/a/x../y"}, // markers are whole segments only
        {"/a", ".../y", "/a/.../y"},
        {"/a/..b", "c", "/a/..b/c"},
        {"/a\\b", "..\\c", "/a\\b/..\\c"}, // "\" is an ordinary character on Linux
        {"", "x/../y", "x/../y"},          // an empty part returns the other unchanged
        {"/a/../b", "", "/a/../b"},
        {"", "", ""},
    };
    for (const JoinRow& row : rows)
        EXPECT_EQ(join_local(row.dir, row.name), row.expected) << row.dir << " + " << row.name;
}

TEST(Paths, JoinRemote)
{
    const JoinRow rows[] = {
        {"/pub/", "/x", "/pub/x"},
        {"C:/a", "b", "/a/b"}, // drive prefix removed
        {"c:", "x", "/x"},
        {"\\pub\\sub", "..\\x", "/pub/x"}, // backslashes become slashes first
        {"//pub", "x", "/pub/x"},          // no network paths on a server
        {"/pub/a/b", "../../c", "/pub/c"},
        {"/a/b", "..", "/a/"},
        {"/pub", "..", "/"},
        {"/", "../..", "/"},
        {"..", "x", "../x"},
        {"/:", "x", "/:/x"}, // ":" alone is a folder name, not a drive
        {"1:", "x", "1:/x"},
        {"/a", "b..", "/a/b.."},
        {"", "x", "/x"}, // empty is not absent
        {"/pub", "", "/pub/"},
        {"", "", "/"},
        // Plain folders and names take a shorter way, which must end the same.
        {"pub", "f", "pub/f"},
        {"/pub/", "x y", "/pub/x y"},
        {"/a/../b", "x", "/b/x"},
        {"/a/.", "x", "/a/./x"},
        {"/a..b/c", "...", "/a..b/c/..."},
        {"/pub", "a\\b", "/pub/a/b"},
        {"/pub", ".", "/pub/."},
        {"", "c:x", "/c:x"},
    };
    for (const JoinRow& row : rows)
        EXPECT_EQ(join_remote(row.dir, row.name), row.expected) << row.dir << " + " << row.name;
}

TEST(Paths, JoinRemoteWithAbsentParts)
{
    EXPECT_EQ(join_remote_optional(std::nullopt, "a/../x"), "a/../x"); // unchanged, not cleaned
    EXPECT_EQ(join_remote_optional("C:\\x", std::nullopt), "C:\\x");
    EXPECT_EQ(join_remote_optional(std::nullopt, std::nullopt), "");
    EXPECT_EQ(join_remote_optional("", "x"), "/x");
    EXPECT_EQ(join_remote_optional("/a", "b"), "/a/b");
}

} // namespace
} // namespace kestovan
