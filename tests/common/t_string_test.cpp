#include "common/t_string.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestovan {
namespace {

TEST(TString, NullStringReadsAsEmpty)
{
    t_string s;
    EXPECT_TRUE(s.is_null());
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.capacity(), 0);
    EXPECT_EQ(s.data(), nullptr);
    s.sync_length(); // harmless on a null string
    EXPECT_TRUE(s.is_null());
}

TEST(TString, AssignGrowsToExactlyTheNeededLengthAndNeverShrinks)
{
    struct Step {
        const char* text;
        std::int32_t capacity;
    };
    const Step steps[] = {
        {"", 0},       // an empty text still creates a block
        {"abc", 3},    // grows to exactly 3
        {"a", 3},      // shorter text keeps the block
        {"abcdef", 6}, // no spare growth
        {nullptr, 6},  // null counts as empty
    };
    t_string s;
    for (const Step& step : steps) {
        const char* stored = s.assign(step.text);
        const std::string expected = step.text ? step.text : "";
        ASSERT_NE(stored, nullptr);
        EXPECT_FALSE(s.is_null());
        EXPECT_EQ(s.view(), expected);
        EXPECT_EQ(s.length(), static_cast<std::int32_t>(expected.size()));
        EXPECT_EQ(s.capacity(), step.capacity) << expected;
    }
}

TEST(TString, AssignStopsAtAnEmbeddedNul)
{
    t_string s;
    s.assign(std::string_view("ab\0cd", 5));
    EXPECT_EQ(s.length(), 2);
    EXPECT_EQ(s.view(), "ab");
}

TEST(TString, AssignFromItsOwnText)
{
    t_string s("hello world");
    s.assign(s.c_str() + 6);
    EXPECT_EQ(s, "world");
    s.assign_prefix(s.c_str() + 1, 3);
    EXPECT_EQ(s, "orl");
}

TEST(TString, AssignPrefixAndUntil)
{
    t_string s("keep the block");
    const std::int32_t capacity = s.capacity();
    s.assign_prefix(static_cast<const char*>(nullptr), 5);
    EXPECT_EQ(s, "");
    EXPECT_EQ(s.capacity(), capacity);
    s.assign_prefix("hello", 0);
    EXPECT_EQ(s, "");
    s.assign_prefix("hello", 3);
    EXPECT_EQ(s, "hel");
    s.assign_prefix("hi", 10);
    EXPECT_EQ(s, "hi");
    const char unterminated[3] = {'x', 'y', 'z'}; // must not be read past len
    s.assign_prefix(unterminated, sizeof unterminated);
    EXPECT_EQ(s, "xyz");

    s.assign_until("key=value=more", '=');
    EXPECT_EQ(s, "key");
    s.assign_until("=value", '=');
    EXPECT_EQ(s, "");
    s.assign_until("no marker", '=');
    EXPECT_EQ(s, "no marker");
    s.assign_until(static_cast<const char*>(nullptr), '=');
    EXPECT_EQ(s, "");
}

TEST(TString, Format)
{
    t_string s;
    ASSERT_NE(s.format("%s-%03d", "id", 7), nullptr);
    EXPECT_EQ(s, "id-007");
    EXPECT_EQ(s.capacity(), 6);

    s.assign("ab");
    s.format("%s|%s", s.c_str(), s.c_str()); // its own text as an argument
    EXPECT_EQ(s, "ab|ab");

    s.format("a%cb", 0);
    EXPECT_EQ(s.length(), 1);
    EXPECT_EQ(s, "a");
}

TEST(TString, CreateEditInPlaceAndSyncLength)
{
    t_string s;
    EXPECT_FALSE(s.create(-1));
    EXPECT_TRUE(s.is_null());
    ASSERT_TRUE(s.create(10));
    EXPECT_EQ(s.capacity(), 10);
    EXPECT_EQ(s.length(), 0);
    EXPECT_STREQ(s.c_str(), "");

    std::strcpy(s.data(), "xyz");
    s.sync_length();
    EXPECT_EQ(s.length(), 3);
    EXPECT_EQ(s, "xyz");

    // Terminator overwritten: the text is cut at the capacity instead of running off the block.
    std::memset(s.data(), 'q', 11);
    s.sync_length();
    EXPECT_EQ(s.length(), 10);
    EXPECT_EQ(s, std::string(10, 'q'));

    s.release();
    EXPECT_TRUE(s.is_null());
    EXPECT_EQ(s.capacity(), 0);
}

TEST(TString, CopiesAreDeepAndMovesLeaveNull)
{
    t_string a;
    a.create(20);
    a.assign("text");
    t_string b = a;
    EXPECT_EQ(b.capacity(), 20);
    b.data()[0] = 'n';
    EXPECT_EQ(a, "text");
    EXPECT_EQ(b, "next");

    t_string c = std::move(b);
    EXPECT_EQ(c, "next");
    EXPECT_TRUE(b.is_null()); // NOLINT(bugprone-use-after-move): moved-from state is part of the contract
    EXPECT_EQ(b.length(), 0);

    c = t_string();
    EXPECT_TRUE(c.is_null());
}

} // namespace
} // namespace kestovan
