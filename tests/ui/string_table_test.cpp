#include "ui/printf_format.h"
#include "ui/string_table.h"

#include <gtest/gtest.h>

#include <set>

namespace kestovan {
namespace {

TEST(StringTable, EveryNumberLiesInExactlyOneGroup)
{
    for (std::size_t i = 1; i < STRING_GROUPS.size(); ++i)
        EXPECT_LT(STRING_GROUPS[i - 1].last, STRING_GROUPS[i].first) << STRING_GROUPS[i].title;
    for (const StringEntry& entry : string_table()) {
        int groups = 0;
        for (const StringGroup& group : STRING_GROUPS)
            groups += entry.id >= group.first && entry.id <= group.last;
        EXPECT_EQ(groups, 1) << entry.id << " " << entry.text;
    }
}

TEST(StringTable, LooksUpEveryNumberAndNothingElse)
{
    const std::vector<int> ids = all_string_ids();
    ASSERT_EQ(ids.size(), std::size(STRING_TABLE));
    EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), ids.size());
    for (const StringEntry& entry : string_table())
        EXPECT_EQ(english_text(entry.id), std::optional<std::string_view>(entry.text));
    for (int absent : {0, -1, 99, IDS_APP_TITLE - 1, 999999})
        EXPECT_FALSE(english_text(absent)) << absent;
    static_assert(english_text(IDS_ERR_CONFIG_WRITE) == "ERROR W114: Unable to open file 'config.ini'");
    static_assert(english_text(IDS_ERR_DIRECTORY_COMMAND_F101) == "ERROR F101: Directory Command Failed");
}

TEST(StringTable, TextsAreNotEmptyAndHaveOnlyUsablePlaceholders)
{
    for (const StringEntry& entry : string_table()) {
        EXPECT_FALSE(entry.text.empty()) << entry.id;
        for (const std::string& info : printf_placeholders(entry.text)) {
            EXPECT_EQ(info.find('*'), std::string::npos) << entry.text;
            EXPECT_NE(info.back(), 'n') << entry.text;
        }
        // Language files drop braces and read backslash escapes: a table text must survive both.
        EXPECT_EQ(entry.text.find_first_of("{}\\"), std::string_view::npos) << entry.text;
    }
}

} // namespace
} // namespace kestovan
