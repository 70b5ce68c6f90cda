// The batch queue against real servers on loopback: tasks run one after another on connections of
// their own, a refused server fails only its task, Stop ends the running task and Start retries it.
#include "queue/transfer_queue.h"
#include "shell/shell_harness.h"
#include "support/http_servers.h"
#include "support/scripted_ftp_server.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

// A port on loopback where nothing listens.
constexpr std::uint16_t CLOSED_PORT = 1;

struct LogLines : LogObserver {
    std::vector<std::string> lines;
    void log_appended(const SiteProfile*, const std::vector<LogSegment>& entry, bool) override
    {
        std::string text;
        for (const LogSegment& segment : entry)
            text += segment.text;
        lines.push_back(text);
    }
    void log_cleared(const SiteProfile*) override {}
    [[nodiscard]] bool any_containing(const std::string& needle) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(needle) != std::string::npos; });
    }
};

struct QueueHarness {
    QueueHarness()
    {
        h.ctx().log.add_observer(&log);
        queue.ran_out = [this](const QueueOutcome& outcome) { outcomes.push_back(outcome); };
    }
    ~QueueHarness() { h.ctx().log.remove_observer(&log); }

    Task& download(const std::string& name, std::uint16_t port, const test::RealFtpServer& server)
    {
        auto task = std::make_unique<Task>();
        task->name = name;
        task->profile = std::make_unique<SiteProfile>();
        task->profile->server = "127.0.0.1";
        task->profile->port = std::to_string(port);
        task->profile->username = server.user();
        task->profile->password = server.password();
        task->profile->passive = 1;
        task->profile->encryption = ENCRYPTION_PLAIN; // the test server speaks no TLS
        task->source = server_path("127.0.0.1", "/" + name);
        task->destination = local(name);
        task->status = TASK_DOWNLOAD;
        task->mode = MODE_BINARY;
        tasks.push_back(std::move(task));
        return *tasks.back();
    }
    std::string local(const std::string& name) const
    {
        return h.local.filePath(QString::fromStdString(name)).toStdString();
    }
    bool ran_out()
    {
        return h.wait([&] { return !queue.running() && !outcomes.empty(); }, 20000);
    }
    std::vector<std::uint8_t> states() const
    {
        std::vector<std::uint8_t> out;
        for (const auto& task : tasks)
            out.push_back(task->state);
        return out;
    }

    test::ShellHarness h;
    TaskList tasks;
    TransferQueue queue{h.ctx(), h.shell->sessions(), h.shell->events(), h.shell->web(), tasks};
    std::vector<QueueOutcome> outcomes;
    LogLines log;
};

TEST(BatchQueue, ARefusingServerFailsOnlyItsTaskAndTheQueueGoesOn)
{
    test::VsftpdServer server;
    server.make_file("a.txt", "alpha");
    server.make_file("c.txt", "charlie");
    QueueHarness q;
    q.download("a.txt", server.port(), server);
    q.download("b.txt", CLOSED_PORT, server);
    q.download("c.txt", server.port(), server);
    q.h.ctx().unattended = true;

    q.queue.start_or_stop();
    EXPECT_TRUE(q.queue.running());
    ASSERT_TRUE(q.ran_out()) << server.log();
    EXPECT_EQ(q.states(), (std::vector<std::uint8_t>{TASK_DONE, TASK_FAILED, TASK_DONE}));
    EXPECT_EQ(test::read_file(q.local("a.txt")), "alpha");
    EXPECT_FALSE(fs::exists(q.local("b.txt")));
    EXPECT_EQ(test::read_file(q.local("c.txt")), "charlie");
    ASSERT_EQ(q.outcomes.size(), 1u);
    EXPECT_EQ(q.outcomes[0].done, 2);
    EXPECT_EQ(q.outcomes[0].failed, 1);
    EXPECT_TRUE(q.log.any_containing("Unable to connect to 127.0.0.1: the connection was refused"))
        << "the reason is in the session log";
    EXPECT_FALSE(q.h.ctx().unattended) << "unattended ends with the queue";
    EXPECT_TRUE(q.h.wait([&] { return q.h.engine.connection_count() == 0; })) << "every task closed its own";
    EXPECT_TRUE(q.h.ctx().tree.empty()) << "the tasks' site nodes never join the tree";
}

TEST(BatchQueue, StopEndsTheRunningTaskAndStartRetriesItWithoutTheDoneOnes)
{
    test::VsftpdServer server;
    server.make_file("a.txt", "alpha");
    server.make_file("b.txt", "bravo");
    server.make_file("c.txt", "charlie");
    test::ScriptedFtpServer silent; // accepts and never greets
    silent.await("never").reply("220 late");
    silent.start();
    QueueHarness q;
    q.download("a.txt", server.port(), server);
    Task& second = q.download("b.txt", silent.port(), server);
    q.download("c.txt", server.port(), server);

    q.queue.start_or_stop();
    ASSERT_TRUE(q.h.wait([&] {
        return q.queue.active_task() == &second && q.h.engine.connection_count() == 1 &&
               q.log.any_containing("Connected to");
    })) << server.log();
    EXPECT_FALSE(q.queue.can_clear()) << "Clear waits for the queue to stop";
    q.queue.start_or_stop(); // Stop
    ASSERT_TRUE(q.ran_out());
    EXPECT_EQ(q.states(), (std::vector<std::uint8_t>{TASK_DONE, TASK_FAILED, TASK_WAITING}));
    EXPECT_FALSE(fs::exists(q.local("c.txt"))) << "nothing follows a stopped task";
    EXPECT_TRUE(q.queue.can_start());
    EXPECT_TRUE(q.queue.can_clear());

    // The server of the second task is back; Start drops the done task and retries the rest.
    second.profile->port = std::to_string(server.port());
    q.queue.start_or_stop();
    EXPECT_EQ(q.tasks.size(), 2u);
    ASSERT_TRUE(q.ran_out());
    EXPECT_EQ(q.states(), (std::vector<std::uint8_t>{TASK_DONE, TASK_DONE}));
    EXPECT_EQ(test::read_file(q.local("b.txt")), "bravo");
    EXPECT_EQ(test::read_file(q.local("c.txt")), "charlie");
    silent.release("never");
}

TEST(BatchQueue, AnUploadTaskStoresItsFileAtTheServerPath)
{
    test::VsftpdServer server;
    server.make_folder("incoming");
    QueueHarness q;
    test::write_file(q.local("up.bin"), std::string(300'000, 'u'));
    Task& task = q.download("up.bin", server.port(), server);
    task.status = TASK_UPLOAD;
    task.source = q.local("up.bin");
    task.destination = server_path("127.0.0.1", "/incoming/up.bin");
    q.queue.start_or_stop();
    ASSERT_TRUE(q.ran_out()) << server.log();
    EXPECT_EQ(task.state, TASK_DONE);
    EXPECT_EQ(fs::file_size(server.root() + "/incoming/up.bin"), 300'000u);
}

TEST(BatchQueue, AFetchedWebLinkIsDoneAndTheNextTaskStarts)
{
    test::PythonHttpServer web;
    web.make_file("page.html", "<html>linked</html>");
    test::VsftpdServer server;
    server.make_file("after.txt", "after");
    QueueHarness q;
    Task& link = q.download("page.html", server.port(), server);
    link.kind = KIND_WEB_LINK;
    link.source = web.url("/page.html");
    q.download("after.txt", server.port(), server);
    q.queue.start_or_stop();
    ASSERT_TRUE(q.ran_out()) << server.log();
    EXPECT_EQ(q.states(), (std::vector<std::uint8_t>{TASK_DONE, TASK_DONE}));
    EXPECT_EQ(test::read_file(q.local("page.html")), "<html>linked</html>");
    EXPECT_EQ(test::read_file(q.local("after.txt")), "after");
}

} // namespace
} // namespace kestovan
