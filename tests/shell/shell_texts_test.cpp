// Texts the shell shows: task rows, rates, titles, the log's tags and masking, typed keywords.
#include "platform/clock.h"
#include "shell/command_states.h"
#include "shell/session_control.h"
#include "shell/session_log.h"
#include "shell/status_bar.h"
#include "shell/task_rows.h"
#include "shell/typed_commands.h"
#include "shell_harness.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace kestovan {
namespace {

TEST(TaskRowTexts, ProgressIsShownAtMostEveryTenthOfASecondAndAtTheEnd)
{
    struct Counter : TaskRowsObserver {
        int changes = 0;
        void rows_reset() override {}
        void row_added(int) override {}
        void row_changed(int) override { ++changes; }
    } counter;
    VirtualClock clock;
    clock.advance(1000);
    TaskRows rows;
    rows.set_observer(&counter);
    Task& row = rows.add_row(nullptr, nullptr, ROW_DOWNLOAD, "big.iso", 0);
    for (int block = 1; block <= 50; ++block)
        rows.update_row(row, 0, block * 10, 1000, 1.0f);
    EXPECT_EQ(counter.changes, 1) << "only the first of fifty blocks in the same instant is shown";
    EXPECT_EQ(row.bytes_text, "500") << "the texts follow every block";
    clock.advance(PROGRESS_SHOW_MS);
    rows.update_row(row, 0, 510, 1000, 1.0f);
    EXPECT_EQ(counter.changes, 2);
    rows.update_row(row, 0, 1000, 1000, 1.0f);
    EXPECT_EQ(counter.changes, 3) << "the last block is always shown";
    rows.set_observer(nullptr);
}

TEST(TaskRowTexts, BytesPercentAndRate)
{
    TaskRows rows;
    Task& row = rows.add_row(nullptr, nullptr, ROW_DOWNLOAD, "/pub/dir/file.zip", 0);
    rows.update_row(row, 100, 400, 1000, 2500.0f);
    EXPECT_EQ(row.size, 1000) << "a row without a size takes the transfer's";
    EXPECT_EQ(row.bytes_text, "500");
    EXPECT_EQ(row.percent_text, "50%");
    rows.finish_row(row, true);
    EXPECT_EQ(row.percent_text, "100%");
    Task& empty = rows.add_row(nullptr, nullptr, ROW_UPLOAD, "C:\\x\\empty.txt", 0);
    rows.finish_row(empty, true);
    EXPECT_EQ(empty.percent_text, "100%") << "a finished transfer shows 100% even at size 0";
    EXPECT_EQ(task_display_name("/pub/dir/file.zip"), "file.zip");
    EXPECT_EQ(task_display_name("C:\\x\\empty.txt"), "empty.txt");

    EXPECT_EQ(format_task_rate(-1), "");
    EXPECT_EQ(format_task_rate(500), "500 Bps");
    EXPECT_EQ(format_task_rate(1000), "1000 Bps") << "only above a thousand";
    EXPECT_EQ(format_task_rate(2500), "2 KBps");
    EXPECT_EQ(format_task_rate(3400000), "3 MBps");
    // The engine counts bits: a record at 2.8 million kilobits per second moves 350 MB a second.
    EXPECT_EQ(format_task_rate(bytes_per_second_from_bits(2'800'000.0 * 1000.0)), "350 MBps");
    EXPECT_EQ(percent_text(5, 0), "500%") << "size 0 counts as 1";
}

TEST(TaskRowTexts, SortingByColumns)
{
    TaskRows rows;
    rows.add_row(nullptr, nullptr, ROW_UPLOAD, "/b.txt", 30);
    rows.add_row(nullptr, nullptr, ROW_DOWNLOAD, "/A.zip", 10);
    rows.add_row(nullptr, nullptr, ROW_DOWNLOAD, "/c.txt", 20);
    rows.sort_by_column(2);
    EXPECT_EQ(*rows.rows()[0]->name, "/A.zip");
    rows.sort_by_column(3);
    EXPECT_EQ(rows.rows()[0]->size, 10);
    EXPECT_EQ(rows.rows()[2]->size, 30);
    rows.sort_by_column(1);
    EXPECT_EQ(rows.rows()[2]->kind, ROW_UPLOAD);
    rows.sort_by_column(0);
    EXPECT_EQ(*rows.rows()[2]->name, "/A.zip") << "by file type: the .txt files before the .zip";
}

TEST(SessionLogText, TagsMaskingAndSaving)
{
    EXPECT_EQ(colour_tag(LOG_NAVY), "<800000>");
    EXPECT_EQ(colour_tag(LOG_MAROON), "<000080>");
    EXPECT_EQ(mask_password("PASS secret"), "PASS ******");
    EXPECT_EQ(mask_password("USER bob"), "USER bob");
    auto segments = split_log_segments("<008000>green<c00000> blue");
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].colour, LOG_GREEN);
    EXPECT_EQ(segments[1].text, " blue");

    SiteProfile profile;
    SessionLog log;
    log.append(&profile, "\r\nConnecting to x", LOG_GREEN);
    log.append(&profile, "220 hi", LOG_MAROON);
    auto entries = SessionLog::entries(profile);
    ASSERT_EQ(entries.size(), 2u) << "an entry that starts with CR LF stays one entry";
    QTemporaryDir dir;
    const std::string file = dir.filePath("log.txt").toStdString();
    ASSERT_TRUE(SessionLog::save(&profile, file));
    std::ifstream in(file, std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(saved, "<008000>\r\nConnecting to x\r\n<000080>220 hi\r\n");
    log.suppress_next();
    log.append(&profile, "echo", LOG_MAROON);
    log.append(&profile, "kept", LOG_MAROON);
    EXPECT_EQ(profile.log.find("echo"), std::string::npos);
    EXPECT_NE(profile.log.find("kept"), std::string::npos);
}

TEST(TypedKeywords, OnlyWholeWordsAreKeywords)
{
    EXPECT_EQ(typed_keyword("list -la"), "LIST");
    EXPECT_EQ(typed_keyword("LIST"), "LIST");
    EXPECT_EQ(typed_keyword("LISTx"), "");
    EXPECT_EQ(typed_keyword("retr\tfile"), "RETR");
    EXPECT_EQ(typed_keyword("SYST"), "");
    EXPECT_EQ(typed_arguments("STOR   local name.txt  "), "local name.txt");
    EXPECT_EQ(folder_of_pwd_reply("257 \"/\" is current"), "");
    EXPECT_EQ(folder_of_pwd_reply("257 \"/a \"\"b\"\"\" is current"), "/a \"b\"");
    EXPECT_FALSE(folder_of_pwd_reply("257 no quotes"));
}

TEST(StatusBarModel, TheActivityMarkerBouncesAndRestartsAfterAPause)
{
    StatusBar bar;
    bar.advance_activity(1000);
    EXPECT_EQ(bar.activity_position(), 0);
    for (int i = 1; i <= 40; ++i)
        bar.advance_activity(1000 + i);
    EXPECT_EQ(bar.activity_position(), StatusBar::INDICATOR_RANGE);
    bar.advance_activity(1100);
    EXPECT_EQ(bar.activity_position(), StatusBar::INDICATOR_RANGE - 2) << "it turns at the end";
    bar.advance_activity(1100 + 10001);
    EXPECT_EQ(bar.activity_position(), 0) << "more than ten seconds later it starts from the left";
    bar.set_text(STATUS_RATE, "x");
    bar.clear_transfer();
    EXPECT_EQ(bar.text(STATUS_RATE), "");
}

TEST(Titles, NameTheSessionAndItsState)
{
    test::ShellHarness h;
    EXPECT_EQ(main_title(h.ctx()), "Kestovan FTP -  (Disconnected)");
    DirEntry& site = h.add_site("Home server", 1);
    h.ctx().current_session_node = &site;
    EXPECT_EQ(main_title(h.ctx()), "Kestovan FTP - Home server (Disconnected)");
    EXPECT_EQ(terminal_title(h.ctx()), "Session - Home server (Disconnected)");
    site.kind = KIND_PROFILE_FOLDER;
    EXPECT_EQ(main_title(h.ctx()), "Kestovan FTP - Home server");
}

TEST(CommandStates, WithNoSessionTheSessionCommandsAreOff)
{
    test::ShellHarness h;
    auto states = h.shell->command_states(PaneState{});
    for (int id : {1869, 2011, 1107, 1106})
        EXPECT_FALSE(states[id]) << id;
    EXPECT_FALSE(states[288]) << "no connection to disconnect";
    EXPECT_EQ(h.shell->connect_button_caption(), IDS_BTN_CONNECT_HAMMER);
}

} // namespace
} // namespace kestovan
