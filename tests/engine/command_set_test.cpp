// The senders' exact texts and the sequences they queue, checked on the queue before anything is
// sent, and the pure helpers behind them.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "engine/data_connection.h"
#include "engine/reply_table.h"
#include "support/engine_harness.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace kestovan {
namespace {

using test::EngineHarness;

std::vector<std::string> queued_texts(const FtpConnection& c)
{
    std::vector<std::string> out;
    for (const auto& command : c.queue)
        out.push_back(command->text);
    return out;
}

class Senders : public ::testing::Test {
protected:
    void SetUp() override
    {
        conn = harness.open(1);
        ASSERT_NE(conn, nullptr);
        conn->queue.clear(); // drop the login: only what the sender queues is of interest
        local_file = dir.filePath("local.bin").toStdString();
        std::ofstream(local_file) << "0123456789";
    }
    EngineHarness harness;
    FtpConnection* conn = nullptr;
    QTemporaryDir dir;
    std::string local_file;
};

TEST_F(Senders, ListAndNlstDifferOnAnEmptyArgument)
{
    send_list(harness.engine, conn, "", {});
    send_nlst(harness.engine, conn, std::string_view(), {});
    send_nlst(harness.engine, conn, std::nullopt, {});
    EXPECT_EQ(queued_texts(*conn), (std::vector<std::string>{"PASV\r\n", "LIST\r\n", "PASV\r\n", "NLST \r\n",
                                                             "PASV\r\n", "NLST\r\n"}));
}

TEST_F(Senders, ListingsRunInAsciiAndTransfersQueueTypeOnlyWhenItChanges)
{
    conn->transfer_type = 1;
    conn->passive = 0;
    send_list(harness.engine, conn, "/pub", {});
    EXPECT_EQ(queued_texts(*conn), (std::vector<std::string>{"TYPE A\r\n", "PORT $", "LIST /pub\r\n"}));
    conn->queue.clear();
    send_retr(harness.engine, conn, "a", local_file, true, {});
    send_retr(harness.engine, conn, "b", local_file, true, {});
    EXPECT_EQ(queued_texts(*conn),
              (std::vector<std::string>{"PORT $", "RETR a\r\n", "PORT $", "RETR b\r\n"}));
    conn->queue.clear();
    conn->transfer_type = 0;
    send_retr(harness.engine, conn, "a", local_file, true, {});
    send_retr(harness.engine, conn, "b", local_file, true, {});
    EXPECT_EQ(queued_texts(*conn), (std::vector<std::string>{"TYPE I\r\n", "PORT $", "RETR a\r\n",
                                                             "TYPE I\r\n", "PORT $", "RETR b\r\n"}))
        << "the TYPE decision is made when queueing";
}

TEST_F(Senders, LinkNamesAreCutAtTheArrowForCwdAndRetrOnly)
{
    send_cwd(harness.engine, conn, "docs -> /var/docs");
    send_retr(harness.engine, conn, "www -> /var/www", local_file, false, {});
    send_retr_plain(harness.engine, conn, "x -> y", local_file, false, {});
    auto texts = queued_texts(*conn);
    EXPECT_EQ(texts[0], "CWD docs\r\n");
    EXPECT_EQ(texts[2], "RETR www\r\n");
    EXPECT_EQ(texts[4], "RETR x -> y\r\n");
}

TEST_F(Senders, ResumesCarry64BitOffsetsOnTheirOwnCommands)
{
    const std::int64_t five_gib = 5LL * 1024 * 1024 * 1024;
    send_retr_resume(harness.engine, conn, "big", local_file, false, five_gib, {});
    send_retr(harness.engine, conn, "other", local_file, false, {});
    auto texts = queued_texts(*conn);
    EXPECT_EQ(texts[1], "REST 5368709120\r\n");
    EXPECT_EQ(conn->queue[1]->restart_offset, five_gib);
    EXPECT_EQ(conn->queue[2]->restart_offset, five_gib) << "the offset travels with its transfer";
    EXPECT_EQ(conn->queue[4]->restart_offset, 0) << "a later plain transfer does not disturb it";
}

TEST_F(Senders, UploadsApplyTheCaseRuleAndNeedAnExistingFile)
{
    conn->case_flags = 3;
    conn->transfer_type = 1;
    EXPECT_NE(send_stor(harness.engine, conn, local_file, "/Upload/Dir/File.TXT", true, {}), nullptr);
    EXPECT_NE(send_stor(harness.engine, conn, local_file, "File.TXT", true, {}), nullptr);
    EXPECT_EQ(send_stor(harness.engine, conn, local_file + ".missing", "x", true, {}), nullptr);
    auto texts = queued_texts(*conn);
    EXPECT_EQ(texts[1], "STOR /upload/dir/file.txt\r\n");
    EXPECT_EQ(texts[3], "STOR File.TXT\r\n");
    EXPECT_EQ(texts.size(), 4u) << "a missing local file queues nothing";
    EXPECT_EQ(conn->queue[1]->size, 10);
}

TEST_F(Senders, ArgumentsWithLineBreaksAreRefusedAndNothingIsQueued)
{
    EXPECT_EQ(send_dele(harness.engine, conn, "a\r\nDELE b"), nullptr);
    EXPECT_EQ(send_raw(harness.engine, conn, "NOOP\nQUIT"), nullptr);
    EXPECT_EQ(send_retr(harness.engine, conn, "x\r", local_file, true, {}), nullptr);
    EXPECT_EQ(send_cwd(harness.engine, conn, "a\nb"), nullptr);
    EXPECT_EQ(send_stor(harness.engine, conn, local_file, "up\n", true, {}), nullptr);
    EXPECT_TRUE(conn->queue.empty());
    EXPECT_EQ(harness.errors(ERR_BAD_ARGUMENT).size(), 5u);
}

TEST(CaseRule, LowersNamesAndFoldersByTheFlags)
{
    struct Row {
        std::uint8_t flags;
        const char* in;
        const char* out;
    } rows[] = {
        {0, " /A/B.TXT\r\n", " /A/B.TXT\r\n"}, {1, " /A/B.TXT\r\n", " /A/b.txt\r\n"},
        {2, " /A/B.TXT\r\n", " /a/B.TXT\r\n"}, {3, " NoSlash.TXT\r\n", " NoSlash.TXT\r\n"},
        {1, " /Ä/B\r\n", " /Ä/b\r\n"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(apply_case_rule(r.in, r.flags), r.out) << int(r.flags) << r.in;
}

TEST(DataCommands, PortArgumentAndPasvTargets)
{
    EXPECT_EQ(port_argument(0xC0A80102, 50000), "192,168,1,2,195,80\r\n");
    auto target = parse_pasv_target("227 Entering Passive Mode (192,0,2,5,195,80).");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->address, "192.0.2.5");
    EXPECT_EQ(target->port, 50000);
    for (const char* broken : {"227 Entering Passive Mode 127,0,0,1,4,5", "227 (5)", "227 (127,0,0,1,300,5)",
                               "227 (127,0,0,1,0,0)", "227 (127,0,0,1,4)", "227 (127,0,0,1,4,5,6)",
                               "227 (127,0,0,-1,4,5)", "227 (127,0,x,1,4,5)"})
        EXPECT_FALSE(parse_pasv_target(broken)) << broken;
    auto spaced = parse_pasv_target("227 Entering Passive Mode ( 127, 0, 0, 1, 4, 5 )");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->address, "127.0.0.1");
    EXPECT_EQ(spaced->port, 1029);
}

TEST(ReplyTable, RowsByKind)
{
    struct Row {
        CommandKind kind;
        int code;
        int last;
        bool password;
        ReplyAction action;
    } rows[] = {
        {CMD_USER, 230, 0, true, ReplyAction::Success},
        {CMD_USER, 331, 0, true, ReplyAction::Success},
        {CMD_USER, 331, 0, false, ReplyAction::NeedPassword},
        {CMD_USER, 332, 0, true, ReplyAction::Failure},
        {CMD_USER, 530, 0, true, ReplyAction::ResendUser},
        {CMD_USER, 530, 530, true, ReplyAction::Failure},
        {CMD_PASS, 202, 0, true, ReplyAction::Success},
        {CMD_PASS, 503, 331, true, ReplyAction::RetryLogin},
        {CMD_PASS, 503, 503, true, ReplyAction::RefusePassword},
        {CMD_PASS, 530, 0, true, ReplyAction::RefusePassword},
        {CMD_LIST, 150, 0, true, ReplyAction::None},
        {CMD_LIST, 125, 0, true, ReplyAction::None},
        {CMD_LIST, 226, 0, true, ReplyAction::Success},
        {CMD_LIST, 425, 0, true, ReplyAction::Failure},
        {CMD_RETR, 110, 0, true, ReplyAction::None},
        {CMD_RETR, 426, 0, true, ReplyAction::Failure},
        {CMD_STOR, 150, 0, true, ReplyAction::None},
        {CMD_APPE, 552, 0, true, ReplyAction::Failure},
        {CMD_RNFR, 350, 0, true, ReplyAction::Success},
        {CMD_RNFR, 550, 0, true, ReplyAction::Failure},
        {CMD_REST, 350, 0, true, ReplyAction::Success},
        {CMD_REST, 502, 0, true, ReplyAction::Failure},
        {CMD_QUIT, 500, 0, true, ReplyAction::Quit},
        {CMD_MARK, 999, 0, true, ReplyAction::Success},
        {CMD_RAW, 99, 0, true, ReplyAction::Failure},
        {CMD_RAW, 150, 0, true, ReplyAction::None},
        {CMD_RAW, 250, 0, true, ReplyAction::Success},
        {CMD_RAW, 350, 0, true, ReplyAction::Failure},
        {CMD_PWD, 257, 0, true, ReplyAction::Success},
        {CMD_TYPE, 504, 0, true, ReplyAction::Failure},
    };
    for (const Row& r : rows)
        EXPECT_EQ(reply_action({r.kind, r.code, r.last, r.password, false}), r.action)
            << "kind " << r.kind << " code " << r.code << " last " << r.last;
}

TEST(ReplyLines, FinalLinesNeedDigitsABlankAndALineEnd)
{
    EXPECT_TRUE(is_final_reply_line("250 ok\r\n", CMD_CWD));
    EXPECT_FALSE(is_final_reply_line("250-more\r\n", CMD_CWD));
    EXPECT_FALSE(is_final_reply_line("250 ok", CMD_CWD)) << "no line end yet";
    EXPECT_FALSE(is_final_reply_line("220 hello\r\n", CMD_USER)) << "greetings complete nothing";
    EXPECT_FALSE(is_final_reply_line("230 late\r\n", CMD_PWD));
    EXPECT_TRUE(is_final_reply_line("230 in\r\n", CMD_PASS));
    EXPECT_FALSE(is_final_reply_line("2x0 odd\r\n", CMD_CWD));
}

} // namespace
} // namespace kestovan
