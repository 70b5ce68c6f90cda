#include "views/rename_rules.h"

#include <gtest/gtest.h>

#include <deque>

namespace kestovan {
namespace {

RenameRule rule(std::string local, std::string remote, bool enabled = true)
{
    return RenameRule{std::move(local), std::move(remote), enabled, false};
}

TEST(RenameRewrite, SegmentBySegment)
{
    struct Row {
        std::string_view from, to, name, result;
    };
    const Row rows[] = {
        {"*.htm", "*.html", "index.htm", "index.html"},
        {"*.HTM", "*.htm", "A.HTM", "A.htm"},
        {"*", "*", "any name.tar.gz", "any name.tar.gz"},
        {"*_*.txt", "*-*.txt", "a_b.txt", "a-b.txt"},
        {"*_*.txt", "*-*.txt", "a_b_c.txt", "a-b_c.txt"}, // the first "_" is the one that counts
        {"*.htm", "*.html", "a.htm.htm", "a.htm.html"},   // but the last ".htm" ends the name
        {"*.htm", "*.html", "INDEX.HTM", "INDEX.html"},   // the to-mask's text as written
        {"a*.txt", "b*.txt", "abc.txt", "bbc.txt"},       // text before the first "*" is replaced
        {"*.txt", "old-*.bak", "x.txt", "old-x.bak"},
        {"a*", "b*.txt", "a", "b.txt"}, // a "*" that covers nothing still pairs with its counterpart
        {"file?.txt", "doc?.txt", "file7.txt", "doc7.txt"},
        {"?*.txt", "*?.txt", "abc.txt", "bca.txt"},
        {"*.*", "*", "a.b", "a"},            // the from-mask's second "*" has no counterpart
        {"*.txt", "*_*.txt", "a.txt", "a_"}, // nor the to-mask's: rewriting ends there
        {"*", "*.*", "a", "a."},
        {"readme.txt", "README.TXT", "ReadMe.txt", "README.TXT"}, // no "*": one named file
        {"*.htm", "*.html", "a.txt", "a.txt"},                    // no match: unchanged
        {"*", "", "keep.me", "keep.me"},                          // an empty result keeps the name
        {"*.x", "..", "a.x", "a.x"},                              // so does one that names the folder
        {"*.jpeg", "*.jpg", "ä.JPEG", "ä.jpg"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(rewrite_name(row.name, row.from, row.to), row.result)
            << row.from << " -> " << row.to << " on " << row.name;
}

TEST(RenameRules, FirstRuleInForceWinsInEachDirection)
{
    const RenameRules rules = {rule("*.htm", "*.html"), rule("*.html", "*.htm")};
    EXPECT_EQ(rename_for_upload(rules, "a.htm"), "a.html");
    EXPECT_EQ(rename_for_download(rules, "a.html"), "a.htm");
    EXPECT_EQ(rename_for_upload(rules, "a.html"), "a.htm");
    EXPECT_EQ(rename_for_download(rules, "a.htm"), "a.html");
    EXPECT_EQ(choose_upload_rule(rules, "x.HTM"), &rules[0]);
    EXPECT_EQ(choose_download_rule(rules, "x.gif"), nullptr);
}

TEST(RenameRules, OnlyTheEnabledFlagAndThePlaceholderDecideWhetherARuleIsInForce)
{
    RenameRule placeholder;
    placeholder.placeholder = true;
    const RenameRules none;
    const RenameRules off = {rule("*", "x*", false), placeholder};
    for (const RenameRules* rules : {&none, &off}) {
        EXPECT_EQ(rename_for_upload(*rules, "main.c"), "main.c");
        EXPECT_EQ(rename_for_download(*rules, "main.c"), "main.c");
    }
    // A disabled rule is passed over, not a stop.
    const RenameRules later = {rule("*.c", "*.cpp", false), rule("*.c", "*.cc")};
    EXPECT_EQ(rename_for_upload(later, "main.c"), "main.cc");
    // A half-typed rule is in force: it is the first match, and its empty result keeps the name.
    const RenameRules half = {rule("*.c", ""), rule("*.c", "*.cc")};
    EXPECT_TRUE(rule_in_force(half[0]));
    EXPECT_EQ(rename_for_upload(half, "main.c"), "main.c");
}

TEST(RenameRuleLine, ReadsQuotedFields)
{
    struct Row {
        std::string_view line;
        std::string_view local, remote;
        bool enabled;
    };
    const Row rows[] = {
        {R"("*.htm","*.html","Yes")", "*.htm", "*.html", true},
        {R"("*.htm","*.html","No")", "*.htm", "*.html", false},
        {R"("*.htm","*.html","nO")", "*.htm", "*.html", false},
        {R"("*.htm","*.html","Nope")", "*.htm", "*.html", true},
        {R"("*.htm","*.html")", "*.htm", "*.html", true}, // third field missing: "???????" is not "no"
        {"no quotes at all", "???????", "???????", true},
        {R"("a" junk "b" more "no" "ignored")", "a", "b", false},
        {R"("","*.x","no")", "???????", "*.x", false},
        {R"("*.a","*.b)", "*.a", "???????", true}, // unterminated field
        {R"("*.a)", "???????", "???????", true},
        {"", "???????", "???????", true},
    };
    for (const Row& row : rows) {
        const RenameRule r = parse_rename_rule_line(row.line);
        EXPECT_EQ(r.local_mask, row.local) << row.line;
        EXPECT_EQ(r.remote_mask, row.remote) << row.line;
        EXPECT_EQ(r.enabled, row.enabled) << row.line;
        EXPECT_FALSE(r.placeholder);
    }
}

TEST(RenameRuleLine, FormattedRulesReadBackAsTheSameRule)
{
    const RenameRule rules[] = {rule("*.htm", "*.html"), rule("*.HTM", "*.htm", false), rule("a b,c", "*;*"),
                                rule("???????", "x")};
    for (const RenameRule& r : rules) {
        const RenameRule back = parse_rename_rule_line(format_rename_rule_line(r));
        EXPECT_EQ(back.local_mask, r.local_mask);
        EXPECT_EQ(back.remote_mask, r.remote_mask);
        EXPECT_EQ(back.enabled, r.enabled);
    }
    EXPECT_EQ(format_rename_rule_line(rules[0]), R"("*.htm","*.html","Yes")");
    EXPECT_EQ(format_rename_rule_line(rules[1]), R"("*.HTM","*.htm","No")");
}

TEST(RenameRuleLine, RulesTheFormCannotHoldReadBackAsRulesThatRenameNothing)
{
    // An empty mask reads back as "???????", which matches every seven-character name; enabled,
    // that rule would rename them all, so it is written disabled.
    const std::string line = format_rename_rule_line(rule("", "x*"));
    EXPECT_EQ(line, R"("","x*","No")");
    RenameRule back = parse_rename_rule_line(line);
    EXPECT_EQ(rename_for_upload({back}, "seven.c"), "seven.c");
    back.enabled = true;
    EXPECT_EQ(rename_for_upload({back}, "seven.c"), "x");
    // A quote or line break in a mask would split the line.
    EXPECT_EQ(format_rename_rule_line(rule("a\"b", "c\nd")), R"("ab","cd","Yes")");
}

std::function<std::optional<std::string>()> feed(std::deque<std::string>& lines)
{
    return [&lines]() -> std::optional<std::string> {
        if (lines.empty())
            return std::nullopt;
        std::string line = lines.front();
        lines.pop_front();
        return line;
    };
}

TEST(RenameBlock, WrittenBlockReadsBackWithoutPlaceholders)
{
    RenameRule placeholder;
    placeholder.placeholder = true;
    placeholder.enabled = false;
    const RenameRules rules = {rule("*.htm", "*.html"), rule("*.txt", "*.TXT", false), placeholder};
    std::string out;
    write_rename_block(rules, out);
    EXPECT_EQ(out, "renamelist={\n\"*.htm\",\"*.html\",\"Yes\"\n\"*.txt\",\"*.TXT\",\"No\"\n}\n");

    std::deque<std::string> lines;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    ASSERT_TRUE(is_rename_block_start(lines.front()));
    lines.pop_front();
    lines.push_back("version=after the block");
    RenameRules back = {rule("old", "old")};
    read_rename_block(back, feed(lines));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].local_mask, "*.htm");
    EXPECT_FALSE(back[1].enabled);
    EXPECT_EQ(lines, std::deque<std::string>{"version=after the block"}); // stopped at "}"
}

TEST(RenameBlock, NothingIsWrittenWithoutARealRule)
{
    RenameRule placeholder;
    placeholder.placeholder = true;
    std::string out;
    write_rename_block({}, out);
    write_rename_block({placeholder}, out);
    EXPECT_EQ(out, "");
}

TEST(RenameBlock, ASecondBlockReplacesTheFirstAndTheFileMayEndInside)
{
    RenameRules rules;
    std::deque<std::string> first = {R"("*.a","*.b","Yes")", "}"};
    read_rename_block(rules, feed(first));
    std::deque<std::string> second = {"\"*.c\",\"*.d\",\"Yes\"  ", "", "   ", R"("*.e","*.f","No")"};
    read_rename_block(rules, feed(second)); // no "}" before the end of the file
    // Blank lines are passed over: as rules they would read as "???????" masks.
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].local_mask, "*.c");
    EXPECT_EQ(rules[1].remote_mask, "*.f");
    EXPECT_TRUE(is_rename_block_start("renamelist={"));
    EXPECT_FALSE(is_rename_block_start(" renamelist={"));
}

} // namespace
} // namespace kestovan
