#include "common/text.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace kestovan {
namespace {

TEST(Text, ReplaceFirst)
{
    struct Row {
        const char* text;
        std::size_t from;
        const char* what;
        const char* with;
        const char* result;
        std::optional<std::size_t> next;
    };
    const Row rows[] = {
        {"a-b-c", 0, "-", "+", "a+b-c", 2},        // only the first occurrence
        {"a-b-c", 2, "-", "==", "a-b==c", 5},      // from skips earlier ones; longer text fits
        {"%s and %s", 0, "%s", "", " and %s", 0},  // shrinking
        {"abc", 0, "x", "y", "abc", std::nullopt}, // not found
        {"abc", 0, "", "y", "abc", std::nullopt},  // empty what
        {"", 0, "a", "b", "", std::nullopt},       // empty text
        {"abc", 4, "a", "b", "abc", std::nullopt}, // from past the end
        {"abc", 3, "c", "d", "abc", std::nullopt}, // from at the end
    };
    for (const Row& row : rows) {
        std::string text = row.text;
        EXPECT_EQ(replace_first(text, row.from, row.what, row.with), row.next)
            << row.text << " / " << row.what;
        EXPECT_EQ(text, row.result) << row.text << " / " << row.what;
    }
}

TEST(Text, ReplaceEveryOccurrenceByLoopingEndsWhenTheReplacementHoldsTheSearchText)
{
    std::string text = "banana";
    std::size_t at = 0;
    int count = 0;
    while (const auto next = replace_first(text, at, "a", "aa")) {
        at = *next;
        ASSERT_LT(++count, 10);
    }
    EXPECT_EQ(text, "baanaanaa");
    EXPECT_EQ(count, 3);
}

TEST(Text, TrimLineEnd)
{
    const std::pair<const char*, const char*> rows[] = {
        {"abc\r\n", "abc"}, {"abc\n\n\r", "abc"}, {"a\rb\n", "a\rb"}, {"abc", "abc"},
        {"", ""},           {"\n", "\n"},         {"\r\n", "\r"}, // the first character always stays
        {" x \n", " x "},
    };
    for (const auto& [in, out] : rows) {
        std::string text = in;
        trim_line_end(text);
        EXPECT_EQ(text, out) << in;
        EXPECT_EQ(trim_line_end(std::string_view(in)), out) << in;
    }
}

TEST(Text, FileExists)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path root = dir.path().toStdString();
    std::ofstream(root / "file") << "x";
    std::filesystem::create_symlink(root / "missing", root / "dangling");

    EXPECT_TRUE(file_exists(root / "file"));
    EXPECT_TRUE(file_exists(root)); // folders have attributes too
    EXPECT_TRUE(file_exists(root / "dangling"));
    EXPECT_FALSE(file_exists(root / "missing"));
    EXPECT_FALSE(file_exists(root / "file" / "below"));
    EXPECT_FALSE(file_exists(""));
}

} // namespace
} // namespace kestovan
