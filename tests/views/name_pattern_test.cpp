#include "views/name_pattern.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(NamePattern, MatchesLikeTheFilters)
{
    struct Row {
        std::string_view pattern, name;
        bool match;
    };
    const Row rows[] = {
        {"a?", "ab", true},
        {"a?", "a", false},
        {"a?", "abc", false},
        {"*.txt", "x.TXT", true},
        {"*.TXT", "x.txt", true},
        {"*", "", true},
        {"*", "anything at all", true},
        {"", "", true},
        {"", "a", false},
        {"?", "", false},
        {"abc", "ABC", true},
        {"abc", "abcd", false},
        {"*.txt", "notes.txt.txt", true}, // the first ".txt" is not the one that ends the name
        {"*a", "banana", true},
        {"*an*s", "bananas", true},
        {"*.txt", "txt", false},
        {"*.txt", ".txt", true},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "acb", false},
        {"**", "x", true},
        {"*?", "", false},
        {"*?", "x", true},
        {"?*?", "xy", true},
        {"?*?", "x", false},
        {"a*", "a", true},
        {"*.*", "README", false},
        {"*.*", "a.b", true},
        {"data[1].txt", "data[1].txt", true}, // no character classes
        {"*.htm", "page.html", false},
        {"*_*.txt", "a_b_c.txt", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(match_pattern(row.pattern, row.name), row.match) << row.pattern << " / " << row.name;
}

TEST(NamePattern, UnicodeNamesMatchByCharacterAndIgnoreCase)
{
    EXPECT_TRUE(match_pattern("?.txt", "é.txt")); // one character of two bytes
    EXPECT_FALSE(match_pattern("??.txt", "é.txt"));
    EXPECT_TRUE(match_pattern("ÄRGER*", "ärger.doc"));
    EXPECT_TRUE(match_pattern("*.ΤΧΤ", "α.τχτ"));
    EXPECT_TRUE(match_pattern("?", "\xff")); // an invalid byte is one character
    EXPECT_TRUE(match_pattern("a\xff*", "a\xff"
                                        "b"));
    EXPECT_FALSE(match_pattern("a\xfe", "a\xff"));
    EXPECT_FALSE(match_pattern("é", "\xc3")); // a cut-off sequence is not "é"
    EXPECT_TRUE(match_pattern("?", "\xc3"));  // but one character all the same
}

TEST(NamePattern, LongAdversarialInputsFinishQuickly)
{
    const std::string name(5000, 'a');
    const std::string pattern = "*a*a*a*a*a*a*a*a*a*a*b";
    EXPECT_FALSE(match_pattern(pattern, name));
    EXPECT_TRUE(match_pattern(std::string(3000, '*') + "a", name));
}

TEST(NamePattern, RunsAreFoundInTheirPlaceWithWhatTheirQuestionMarksCovered)
{
    const std::string_view name = "a.TXT.tét";
    const auto text = [&](const PatternRun& run) { return name.substr(run.begin, run.end - run.begin); };
    const std::optional<PatternRun> first = find_pattern_run(".t?t", name, 0, RunPlace::FIRST);
    ASSERT_TRUE(first);
    EXPECT_EQ(text(*first), ".TXT");
    EXPECT_EQ(first->singles, std::vector<std::string>{"X"}) << "as written, not folded";
    const std::optional<PatternRun> last = find_pattern_run(".t?t", name, 0, RunPlace::AT_END);
    ASSERT_TRUE(last);
    EXPECT_EQ(text(*last), ".tét");
    EXPECT_EQ(last->singles, std::vector<std::string>{"é"}) << "one character, not one byte";
    const std::optional<PatternRun> start = find_pattern_run("", name, 5, RunPlace::AT_START);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->begin, 5u);
    EXPECT_FALSE(find_pattern_run("a", name, 1, RunPlace::FIRST));
    EXPECT_FALSE(find_pattern_run("a.txt.tét!", name, 0, RunPlace::AT_END));
}

TEST(MaskList, SplitsAtCommasAndSemicolons)
{
    EXPECT_EQ(split_mask_list("*.txt,*.htm"), (std::vector<std::string>{"*.txt", "*.htm"}));
    EXPECT_EQ(split_mask_list("*.txt; *.htm ;;,"), (std::vector<std::string>{"*.txt", "*.htm"}));
    EXPECT_EQ(split_mask_list(""), std::vector<std::string>{});
}

TEST(MaskList, AFilePassesWhenItMatchesAnyPattern)
{
    struct Row {
        std::string_view masks, name;
        bool pass;
    };
    const Row rows[] = {
        {"*.txt;*.htm", "a.txt", true},
        {"*.txt;*.htm", "b.HTM", true},
        {"*.txt;*.htm", "c.gif", false},
        {"*.txt, *.htm", "b.htm", true},
        {"", "anything", true},
        {";", "anything", true},
        {"a?", "abc", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(match_mask_list(row.masks, row.name), row.pass) << row.masks << " / " << row.name;
    // As one pattern (the remote filter), the list text hides every ordinary file.
    EXPECT_FALSE(match_pattern("*.txt;*.htm", "a.txt"));
}

} // namespace
} // namespace kestovan
