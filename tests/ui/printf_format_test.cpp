#include "ui/printf_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {
namespace {

using Pieces = std::vector<std::string>;

TEST(PrintfPlaceholders, ListsEachPlaceholderAsWritten)
{
    struct Case {
        const char* format;
        Pieces pieces;
    };
    for (const Case& c : {
             Case{"Winsock Error %i", {"%i"}},
             Case{"<%2.2x%2.2x%2.2x>", {"%2.2x", "%2.2x", "%2.2x"}},
             Case{"%02i-%02i-%i %02i:%02i:%02i", {"%02i", "%02i", "%i", "%02i", "%02i", "%02i"}},
             Case{"100%% done, %s", {"%s"}},
             Case{"%", {}},
             Case{"50%", {}},
             Case{"%d.%dKbp", {"%d", "%d"}},
             Case{"%-10s|%lld|%.3f|%c|%*d", {"%-10s", "%lld", "%.3f", "%c", "%*d"}},
             Case{"no placeholders", {}},
             Case{"%y%s", {"%s"}},
         }) {
        EXPECT_EQ(printf_placeholders(c.format), c.pieces) << c.format;
    }
}

TEST(FormatText, PrintsArgumentsAsPrintfWould)
{
    EXPECT_EQ(format_text("<%2.2x%2.2x%2.2x>", 0, 128, 255), "<0080ff>");
    EXPECT_EQ(format_text("%02i/%02i/%02i", 5, 12, 4), "05/12/04");
    EXPECT_EQ(format_text("Connected to %s", std::string("ftp.example.org")), "Connected to ftp.example.org");
    EXPECT_EQ(format_text("[%5s|%-3s|%.2s]", "ab", std::string_view("c"), "xyz"), "[   ab|c  |xy]");
    EXPECT_EQ(format_text("%i of %u", std::int64_t{5'000'000'000}, 7u), "5000000000 of 7");
    EXPECT_EQ(format_text("%x", -1), "ffffffff"); // the bits of an int, not of a long long
    EXPECT_EQ(format_text("%x", std::int64_t{-1}), "ffffffffffffffff");
    EXPECT_EQ(format_text("%c%c", 'o', 'k'), "ok");
    EXPECT_EQ(format_text("%.1f%%", 42.26), "42.3%");
    EXPECT_EQ(format_text("%d.%dKbp", 6, 3), "6.3Kbp");
    EXPECT_EQ(format_text("100%% sure"), "100% sure");
    EXPECT_EQ(format_text("%s", static_cast<const char*>(nullptr)), "(null)");
    enum class Code {
        Refused = 530
    };
    EXPECT_EQ(format_text("%i", Code::Refused), "530");
}

TEST(FormatText, UnfittingPlaceholdersStayAsWritten)
{
    EXPECT_EQ(format_text("Winsock Error %i", "text"), "Winsock Error %i");
    EXPECT_EQ(format_text("%s and %s", "one"), "one and %s");
    EXPECT_EQ(format_text("%s", 42), "%s");
    EXPECT_EQ(format_text("%n%s", "x"), "%n%s");
    EXPECT_EQ(format_text("%*d", 5, 3), "%*d");
    EXPECT_EQ(format_text("%1024d|%.1024d", 1, 2).size(), 2049U);
    EXPECT_EQ(format_text("%1025d", 7), "%1025d");
    EXPECT_EQ(format_text("%.1025s", "x"), "%.1025s");
    EXPECT_EQ(format_text("%000001061182347.2x", 5), "%000001061182347.2x");
    EXPECT_EQ(format_text("%f", 3), "%f");
    EXPECT_EQ(format_text("plain", 1, 2), "plain");
}

TEST(FormatMatches, ChecksCountAndTypes)
{
    static_assert(format_matches<const char*>("Connected to %s"));
    static_assert(format_matches<int, int>("File Compare: Local: %i files, Remote: %i files"));
    static_assert(format_matches<std::string, std::string_view>("Error moving file '%s' to '%s'"));
    static_assert(format_matches<>("100%% sure"));
    static_assert(!format_matches<int>("Connected to %s"));
    static_assert(!format_matches<const char*, const char*>("Connected to %s"));
    static_assert(!format_matches<>("Connected to %s"));
    static_assert(!format_matches<int>("%*d"));
    static_assert(!format_matches<double>("%i"));
    SUCCEED();
}

} // namespace
} // namespace kestovan
