#include "common/text_file.h"
#include "settings/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>

namespace kestovan {
namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string written(const Settings& settings)
{
    std::string out;
    settings.write_settings(out);
    return out;
}

// Reads text the way config.ini is read: texts cleared first, then every line offered.
Settings read_back(const std::string& text)
{
    Settings settings;
    settings.clear_texts();
    for (const std::string& line : lines_of(text))
        settings.read_settings_line(line);
    return settings;
}

TEST(Settings, DefaultsAreWrittenInTableOrderWithoutEmptyTextsOrPlacements)
{
    EXPECT_EQ(written(Settings()), "fport=0\n"
                                   "hdelay=4000\n"
                                   "hcount=100\n"
                                   "ftimeout=0\n"
                                   "newwin=0\n"
                                   "sort=1\n"
                                   "refresh=0\n"
                                   "help=1\n"
                                   "view=247\n");
}

TEST(Settings, EverySettingSurvivesAWriteAndReadThroughAFile)
{
    Settings settings;
    int n = 0;
    for (const SettingSpec& setting : SETTINGS_TABLE) {
        ++n;
        switch (setting.type) {
        case SettingType::TEXT: settings.set_text(setting.key, "value " + std::to_string(n) + " / ä"); break;
        case SettingType::INTEGER: settings.set_integer(setting.key, n * 1000 - 7); break;
        case SettingType::FLAG: settings.set_flag(setting.key, n % 2 == 0); break;
        case SettingType::PLACEMENT:
            settings.set_placement(setting.key,
                                   WindowPlacement{-n, 20, 800, 600, WindowState::MAXIMIZED, {{n, 300}}});
            break;
        }
    }
    QTemporaryDir dir;
    const std::string path = dir.filePath("config.ini").toStdString();
    std::ofstream(path) << "version=1\n" << written(settings);
    Settings back;
    back.clear_texts();
    for_each_line(path, [&](std::string_view line) { return back.read_settings_line(line) ? 1 : 0; });

    EXPECT_EQ(written(back), written(settings));
    const std::vector<std::string> lines = lines_of(written(back));
    ASSERT_EQ(lines.size(), SETTINGS_TABLE.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with(std::string(SETTINGS_TABLE[i].key) + "=")) << lines[i];
    EXPECT_EQ(back.text(KEY_S3), "value 17 / ä");
    EXPECT_EQ(back.integer(KEY_HCOUNT), 7993);
}

TEST(Settings, KeysMatchWithoutRegardToCaseOnlyWhenFollowedByEquals)
{
    struct Row {
        std::string_view line;
        bool stored;
        int hdelay;
    };
    const Row rows[] = {
        {"HDELAY=2500", true, 2500},   {"hDeLaY=2500", true, 2500},
        {"HDELAY 2500", false, 4000}, // a blank in place of the equals sign
        {"hdelayx=2500", false, 4000}, {"hdela=2500", false, 4000},
        {"hdelay", false, 4000},       {" hdelay=2500", false, 4000},
        {"hdelay=", true, 0},
    };
    for (const Row& row : rows) {
        Settings settings;
        EXPECT_EQ(settings.read_settings_line(row.line), row.stored) << row.line;
        EXPECT_EQ(settings.integer(KEY_HDELAY), row.hdelay) << row.line;
    }
}

TEST(Settings, NumbersAreReadLeniently)
{
    struct Row {
        std::string_view text;
        int value;
    };
    const Row rows[] = {
        {"123", 123},
        {"  42", 42},
        {"-17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"0x10", 0},
        {"2147483647", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(lenient_integer(row.text), row.value) << row.text;
        Settings settings;
        ASSERT_TRUE(settings.read_settings_line("ftimeout=" + std::string(row.text)));
        EXPECT_EQ(settings.integer(KEY_FTIMEOUT), row.value) << row.text;
    }
}

TEST(Settings, FlagsStoreOneForAnyNonZeroValue)
{
    Settings settings;
    settings.read_settings_line("newwin=5");
    settings.read_settings_line("sort=0");
    settings.read_settings_line("refresh=-3");
    EXPECT_EQ(settings.integer(KEY_NEWWIN), 1);
    EXPECT_FALSE(settings.flag(KEY_SORT));
    EXPECT_EQ(settings.integer(KEY_REFRESH), 1);
    settings.set_integer(KEY_HELP, 7);
    EXPECT_EQ(settings.integer(KEY_HELP), 1);
    // view is a bit set, not a flag: every bit is kept.
    settings.read_settings_line("view=1031");
    EXPECT_EQ(settings.integer(KEY_VIEW), 1031);
}

TEST(Settings, TextsMissingFromTheFileEndEmptyAndIntegersKeepTheirDefaults)
{
    Settings settings;
    settings.set_text(KEY_EMAIL, "me@example.org");
    settings.set_text(KEY_L0, "Site:Profiles/site.ftp");
    settings.clear_texts();
    settings.read_settings_line("lmask=*.txt");
    EXPECT_EQ(settings.text(KEY_EMAIL), "");
    EXPECT_EQ(settings.text(KEY_L0), "");
    EXPECT_EQ(settings.text(KEY_LMASK), "*.txt");
    EXPECT_EQ(settings.integer(KEY_VIEW), VIEW_DEFAULT);
    EXPECT_EQ(settings.integer(KEY_VIEW) & VIEW_FILTER_BAR, 0);
    EXPECT_NE(settings.integer(KEY_VIEW) & VIEW_TOOLBAR, 0);
}

TEST(Settings, AnEmptiedTextDropsItsLine)
{
    Settings settings;
    settings.set_text(KEY_EMAIL, "me@example.org");
    EXPECT_NE(written(settings).find("email=me@example.org\n"), std::string::npos);
    settings.set_text(KEY_EMAIL, "");
    EXPECT_EQ(written(settings).find("email"), std::string::npos);
}

TEST(Settings, TextValuesKeepEverythingAfterTheFirstEquals)
{
    Settings settings;
    EXPECT_TRUE(settings.read_settings_line("L0=A=B:Profiles/a=b.ftp"));
    EXPECT_EQ(settings.text(KEY_L0), "A=B:Profiles/a=b.ftp");
}

TEST(Settings, ATextNeverBreaksIntoASecondLine)
{
    Settings settings;
    settings.set_text(KEY_EMAIL, "me@example.org\nhdelay=1");
    settings.set_text(KEY_FHOST, "proxy.local   ");
    EXPECT_EQ(settings.text(KEY_EMAIL), "me@example.org");
    EXPECT_EQ(settings.text(KEY_FHOST), "proxy.local");
    const Settings back = read_back(written(settings));
    EXPECT_EQ(back.integer(KEY_HDELAY), 4000);
    EXPECT_EQ(written(back), written(settings));
}

TEST(Settings, ALongTextIsCutSoItsLineFitsTheReaderAndReadsBackEqual)
{
    Settings settings;
    // Two-byte characters, so the cut has to fall between them.
    std::string long_text;
    for (int i = 0; i < 3000; ++i)
        long_text += "é";
    settings.set_text(KEY_BROWSER, long_text);
    const std::string stored = settings.text(KEY_BROWSER);
    EXPECT_LT(stored.size(), long_text.size());
    EXPECT_EQ(stored.size() % 2, 0u);
    for (const std::string& line : lines_of(written(settings)))
        EXPECT_LE(line.size() + 1, MAX_SETTINGS_LINE);
    EXPECT_EQ(read_back(written(settings)).text(KEY_BROWSER), stored);
}

TEST(Settings, PlacementsReadBackAndABadOneLeavesTheWindowWithout)
{
    Settings settings;
    EXPECT_TRUE(settings.read_settings_line("d_main=10,20,810,620,1,200,500,300,100"));
    const std::optional<WindowPlacement> main = settings.placement(KEY_D_MAIN);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->state, WindowState::MAXIMIZED);
    EXPECT_EQ(main->panes, (std::vector<PaneSizes>{{200, 500}, {300, 100}}));
    EXPECT_NE(written(settings).find("d_main=10,20,810,620,1,200,500,300,100\n"), std::string::npos);

    EXPECT_TRUE(settings.read_settings_line("d_main=garbage"));
    EXPECT_FALSE(settings.placement(KEY_D_MAIN));
    EXPECT_EQ(written(settings).find("d_main"), std::string::npos);
}

TEST(Settings, AccessWithTheWrongTypeReadsEmptyAndChangesNothing)
{
    Settings settings;
    settings.set_text(KEY_HDELAY, "5");
    settings.set_integer(KEY_EMAIL, 5);
    settings.set_integer("nosuchkey", 5);
    EXPECT_EQ(settings.integer(KEY_HDELAY), 4000);
    EXPECT_EQ(settings.text(KEY_HDELAY), "");
    EXPECT_EQ(settings.integer(KEY_EMAIL), 0);
    EXPECT_FALSE(settings.placement(KEY_VIEW));
    EXPECT_EQ(written(settings), written(Settings()));
}

TEST(SettingsClamps, SettingsPageValues)
{
    struct Row {
        int entered, hdelay, hcount, ftimeout;
    };
    const Row rows[] = {
        {500, 1000, 500, 4000},   {0, 1000, 2, 0},     {3000, 3000, 3000, 4000},
        {1, 1000, 2, 4000},       {-5, 1000, 2, 4000}, {4000, 4000, 4000, 4000},
        {1000, 1000, 1000, 4000}, {2, 1000, 2, 4000},  {60000, 60000, 60000, 60000},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(clamp_hammer_delay(row.entered), row.hdelay) << row.entered;
        EXPECT_EQ(clamp_hammer_count(row.entered), row.hcount) << row.entered;
        EXPECT_EQ(clamp_server_timeout(row.entered), row.ftimeout) << row.entered;
    }
}

TEST(RecentProfiles, NewEntriesGoFirstAndTheOldestFallsOff)
{
    std::vector<std::string> list = {"a:1", "b:2", "c:3", "d:4", "e:5"};
    EXPECT_TRUE(put_recent_profile_first(list, "f:6"));
    EXPECT_EQ(list, (std::vector<std::string>{"f:6", "a:1", "b:2", "c:3", "d:4"}));
}

TEST(RecentProfiles, AnEntryAlreadyThereMovesToTheFront)
{
    std::vector<std::string> list = {"a:1", "b:2", "c:3"};
    EXPECT_TRUE(put_recent_profile_first(list, "c:3"));
    EXPECT_EQ(list, (std::vector<std::string>{"c:3", "a:1", "b:2"}));
    EXPECT_FALSE(put_recent_profile_first(list, "c:3"));
    EXPECT_EQ(list, (std::vector<std::string>{"c:3", "a:1", "b:2"}));
}

TEST(RecentProfiles, SameNameWithAnotherPathIsAnotherEntry)
{
    std::vector<std::string> list = {"a:1"};
    EXPECT_TRUE(put_recent_profile_first(list, "a:2"));
    EXPECT_EQ(list, (std::vector<std::string>{"a:2", "a:1"}));
}

TEST(RecentProfiles, TheSettingsKeepTheListInL0ToL4WithoutGaps)
{
    Settings settings;
    settings.read_settings_line("L0=First:Profiles/first.ftp");
    settings.read_settings_line("L2=Third:Profiles/third.ftp");
    EXPECT_TRUE(settings.add_recent_profile(recent_profile_entry("New", "Profiles/sub/new.ftp")));
    EXPECT_EQ(settings.text(KEY_L0), "New:Profiles/sub/new.ftp");
    EXPECT_EQ(settings.text(KEY_L1), "First:Profiles/first.ftp");
    EXPECT_EQ(settings.text(KEY_L2), "Third:Profiles/third.ftp");
    EXPECT_EQ(settings.text(KEY_L3), "");
    EXPECT_EQ(recent_profile_label(settings.text(KEY_L0)), "New");
    for (int i = 0; i < 10; ++i)
        settings.add_recent_profile("p" + std::to_string(i) + ":x");
    EXPECT_EQ(settings.recent_profiles(), (std::vector<std::string>{"p9:x", "p8:x", "p7:x", "p6:x", "p5:x"}));
}

} // namespace
} // namespace kestovan
