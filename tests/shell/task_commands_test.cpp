// The Tasks pane's Delete and Disconnect: a row's own transfer or fetch is stopped and nothing
// else; a deleted row is never written to again (run under ASan, a stale row is a report).
#include "engine/command_set.h"
#include "profiles/profile_tree.h"
#include "shell/remote_browser.h"
#include "shell/shell_harness.h"
#include "shell/task_commands.h"
#include "shell/transfers.h"
#include "shell/web_browsing.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"
#include "support/scripted_http_server.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::ScriptedFtpServer;
using test::ShellHarness;

void script_login(ScriptedFtpServer& server)
{
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
}

// A download of name whose data waits at the latch before its last part is sent.
void script_held_download(ScriptedFtpServer& server, const std::string& name, const std::string& latch)
{
    server.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
    server.expect("RETR " + name).reply("150 Opening BINARY mode data connection for " + name + " (8 bytes)");
    server.send_data("1234").await(latch).send_data("5678").close_data().reply("226 Transfer complete");
}

DirEntry* add_file(DirEntry& site, const std::string& name)
{
    auto entry = std::make_unique<DirEntry>();
    entry->kind = KIND_FILE;
    entry->name = name;
    entry->path = "/" + name;
    entry->size = "8";
    entry->session = site.find_session();
    return &site.add_child(std::move(entry));
}

std::uint64_t row_named(const TaskRows& rows, const std::string& name)
{
    for (const auto& row : rows.rows())
        if (row->name && row->name->find(name) != std::string::npos)
            return row->row_id;
    return 0;
}

TEST(TaskCommands, DeletingTheRowOfARunningDownloadStopsItAndTheSessionGoesOn)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I").reply("200 ok");
    server.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
    server.expect("RETR /big").reply("150 Opening BINARY mode data connection for /big (8 bytes)");
    server.send_data("1234").await("deleted").reply("426 Connection closed; transfer aborted.");
    server.expect("PWD").reply("257 \"/\"");
    server.start();
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry* big = add_file(site, "big");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes}; // connect first
    h.shell->transfers().download_entries(&site, {big}, h.ctx().local_folder);
    ASSERT_TRUE(h.wait([&] { return row_named(h.ctx().tasks, "big") != 0; })) << server.failure();
    const std::uint64_t row = row_named(h.ctx().tasks, "big");
    ASSERT_TRUE(h.wait([&] { return h.ctx().tasks.find(row)->bytes_text == "4"; }));

    h.shell->task_commands().delete_rows({row});
    EXPECT_EQ(h.ctx().tasks.find(row), nullptr);
    server.release("deleted");
    FtpConnection* conn = h.ctx().live_connection(*site.find_session()->sessions);
    ASSERT_NE(conn, nullptr);
    ASSERT_TRUE(h.wait([&] { return conn->queue.empty(); }));
    EXPECT_EQ(conn->data_connection, nullptr);
    std::vector<int> results;
    send_pwd(h.engine, conn, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
}

TEST(TaskCommands, CancellingATransferWithConnectMarksItsRowFailedAndClearsTheRate)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I").reply("200 ok");
    script_held_download(server, "/a", "never");
    server.start();
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry* a = add_file(site, "a");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes};
    h.shell->transfers().download_entries(&site, {a}, h.ctx().local_folder);
    ASSERT_TRUE(h.wait([&] {
        const Task* row = h.ctx().tasks.find(row_named(h.ctx().tasks, "/a"));
        return row && row->bytes_text == "4";
    })) << server.failure();
    h.ctx().status.set_text(STATUS_RATE, "1 KBps");
    h.shell->sessions().connect(&site, false); // Connect while transferring aborts the transfer
    EXPECT_EQ(h.ctx().tasks.find(row_named(h.ctx().tasks, "/a"))->state, TASK_FAILED);
    EXPECT_EQ(h.ctx().status.text(STATUS_RATE), "");
    EXPECT_TRUE(h.ctx().is_connected(&site));
}

TEST(TaskCommands, DeletingAFinishedRowLeavesTheNextTransferOfItsSessionRunning)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I").reply("200 ok");
    script_held_download(server, "/a", "a");
    server.expect("TYPE I").reply("200 ok"); // both were queued before the first TYPE was answered
    script_held_download(server, "/b", "b");
    server.start();
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry* a = add_file(site, "a");
    DirEntry* b = add_file(site, "b");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes};
    h.shell->transfers().download_entries(&site, {a, b}, h.ctx().local_folder);
    server.release("a");
    ASSERT_TRUE(h.wait([&] { return row_named(h.ctx().tasks, "/b") != 0; })) << server.failure();
    const std::uint64_t first = row_named(h.ctx().tasks, "/a");
    ASSERT_EQ(h.ctx().tasks.find(first)->state, TASK_DONE);

    h.shell->task_commands().delete_rows({first});
    server.release("b");
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    const std::uint64_t second = row_named(h.ctx().tasks, "/b");
    ASSERT_TRUE(h.wait([&] { return h.ctx().tasks.find(second)->state == TASK_DONE; }));
    EXPECT_EQ(test::read_file(h.ctx().local_folder + "/b"), "12345678");
}

TEST(TaskCommands, DisconnectEndsOnlyTheSessionOfTheSelectedRow)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I").reply("200 ok");
    script_held_download(server, "/a", "a");
    server.accept_control();
    script_login(server);
    server.expect("TYPE I").reply("200 ok");
    server.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
    server.expect("RETR /b")
        .reply("150 Opening BINARY mode data connection for /b (8 bytes)")
        .send_data("12");
    server.expect("QUIT").reply("221 bye");
    server.use_control(0);
    server.release("a");
    server.start();
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry* a = add_file(site, "a");
    DirEntry* b = add_file(site, "b");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes};
    h.shell->transfers().download_entries(&site, {a}, h.ctx().local_folder);
    ASSERT_TRUE(h.wait([&] { return row_named(h.ctx().tasks, "/a") != 0; }));
    // The first session is busy: the second download spawns a connection of its own.
    h.shell->transfers().download_entries(&site, {b}, h.ctx().local_folder);
    ASSERT_TRUE(h.wait([&] { return row_named(h.ctx().tasks, "/b") != 0; }));
    h.shell->task_commands().disconnect_rows({row_named(h.ctx().tasks, "/b")});
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(
        h.wait([&] { return h.ctx().tasks.find(row_named(h.ctx().tasks, "/a"))->state == TASK_DONE; }));
    EXPECT_TRUE(h.ctx().is_connected(&site)) << "the other session of the profile stays";
}

TEST(TaskCommands, DeletingAWebFetchRowCancelsTheFetch)
{
    test::ScriptedHttpServer server;
    server.accept()
        .expect_request()
        .send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n")
        .send(std::string(1000, 'x'))
        .expect_closed();
    server.start();
    ShellHarness h;
    auto node = make_profile_node("page", KIND_URL_PROFILE);
    auto profile = std::make_unique<SiteProfile>();
    profile->server = server.url("/index.html");
    attach_profile(*node, std::move(profile));
    h.ctx().tree.push_back(std::move(node));
    DirEntry& page = *h.ctx().tree.back();
    h.shell->web().fetch_page(page);
    ASSERT_TRUE(h.wait([&] {
        const Task* row = h.ctx().tasks.find(row_named(h.ctx().tasks, "index.html"));
        return row && row->bytes_text == "1000";
    }));
    const std::uint64_t row = row_named(h.ctx().tasks, "index.html");
    EXPECT_TRUE(h.shell->task_commands().can_disconnect(*h.ctx().tasks.find(row)));
    h.shell->task_commands().delete_rows({row});
    EXPECT_FALSE(h.shell->web().fetching(page));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    h.wait([] { return false; }, 100);
    EXPECT_TRUE(h.ctx().tasks.rows().empty());
}

} // namespace
} // namespace kestovan
