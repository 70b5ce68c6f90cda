#include "common/timestamp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <regex>

namespace kestovan {
namespace {

// Local time is the subject here, so each case runs in UTC and puts the zone back afterwards.
class TimestampTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            saved_tz = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (saved_tz)
            setenv("TZ", saved_tz->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> saved_tz;
};

TEST_F(TimestampTest, FormatTimestamp)
{
    struct Row {
        std::time_t t;
        const char* day_first;
        const char* month_first;
    };
    const Row rows[] = {
        {0, "00/00/00 00:00:00", "00/00/00 00:00:00"},
        {1700000000, "14/11/23 22:13:20", "11/14/23 22:13:20"},
        {946684799, "31/12/99 23:59:59", "12/31/99 23:59:59"},
        {4265856545, "07/03/05 08:09:05", "03/07/05 08:09:05"}, // 2105: still two digits
        {-1, "31/12/69 23:59:59", "12/31/69 23:59:59"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(format_timestamp(row.t, false), row.day_first) << row.t;
        EXPECT_EQ(format_timestamp(row.t, true), row.month_first) << row.t;
    }
}

TEST_F(TimestampTest, TemporaryNames)
{
    EXPECT_EQ(temporary_name_at(1700000000), "141123221320.tmp");
    EXPECT_EQ(temporary_name_at(1700000000, "/home/u/temp/"), "/home/u/temp/141123221320.tmp");
    EXPECT_EQ(temporary_name_at(1700000000, "temp"), "temp/141123221320.tmp");
    EXPECT_TRUE(std::regex_match(temporary_name(), std::regex(R"(\d{12}\.tmp)"))) << temporary_name();
}

} // namespace
} // namespace kestovan
