// The queue in the program: config.ini is written each time a task is added and read back at the
// next start with the queue intact, a task running at exit is kept as waiting, and the unattended
// command line runs the saved queue and ends with its outcome.
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "shell/application.h"
#include "support/scripted_ftp_server.h"
#include "support/scripted_prompts.h"
#include "support/test_environment.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t CLOSED_PORT = 1;

int count_of(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// One run of the program on a data folder (the working folder of the process).
struct ProgramRun {
    explicit ProgramRun(const QString& data)
    {
        std::string error;
        EXPECT_TRUE(app.prepare_folders(data.toStdString(), &error)) << error;
        app.load_state();
        app.start_engine();
        ctx().local_folder = data.toStdString();
    }
    ShellContext& ctx() { return app.shell->context(); }
    std::string config() const { return test::read_file((app.data_folder / "config.ini").string()); }

    // A remote file of a site at port, as the remote list shows it, for Add to Batch.
    DirEntry& remote_file(const std::string& name, std::uint16_t port, const test::RealFtpServer& server)
    {
        auto site = make_profile_node("Site " + std::to_string(port) + name, KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = site->name;
        profile->server = "127.0.0.1";
        profile->port = std::to_string(port);
        profile->username = server.user();
        profile->password = server.password();
        profile->passive = 1;
        profile->encryption = ENCRYPTION_PLAIN; // the test server speaks no TLS
        SiteProfile& attached = attach_profile(*site, std::move(profile));
        auto file = std::make_unique<DirEntry>();
        file->name = name;
        file->path = "/" + name;
        file->size = "7";
        file->session = &attached;
        DirEntry& entry = site->add_child(std::move(file));
        sites.push_back(std::move(site));
        return entry;
    }

    test::ScriptedPrompts prompts;
    Sounds sounds;
    Application app{prompts, sounds};
    EntryChain sites;
};

TEST(QueuePersistence, EveryAddWritesConfigAndARestartReadsTheQueueBack)
{
    test::VsftpdServer server;
    QTemporaryDir data;
    {
        ProgramRun run(data.path());
        ASSERT_TRUE(run.app.queue->add_download_task(run.remote_file("one.bin", server.port(), server)));
        EXPECT_EQ(count_of(run.config(), "\n1NAME="), 1);
        ASSERT_TRUE(run.app.queue->add_download_task(run.remote_file("two.bin", CLOSED_PORT, server)));
        EXPECT_EQ(count_of(run.config(), "\n1NAME="), 2);
        EXPECT_EQ(count_of(run.config(), "\n1PASSWORD="), 2) << "the queue needs the passwords to run";
    }
    ProgramRun again(data.path());
    const TaskList& tasks = again.app.queue->tasks();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0]->name, "one.bin");
    EXPECT_EQ(tasks[0]->source, "127.0.0.1/one.bin");
    EXPECT_EQ(tasks[0]->destination, data.filePath("one.bin").toStdString());
    EXPECT_EQ(tasks[0]->size, 7);
    EXPECT_EQ(tasks[0]->status, TASK_DOWNLOAD);
    EXPECT_EQ(tasks[0]->profile->port, std::to_string(server.port()));
    EXPECT_EQ(tasks[0]->profile->password, server.password());
    EXPECT_EQ(tasks[1]->name, "two.bin");
    EXPECT_EQ(tasks[1]->profile->port, std::to_string(CLOSED_PORT));
}

TEST(QueuePersistence, ATaskRunningAtExitIsKeptWaitingAndNothingElseStarts)
{
    test::VsftpdServer server;
    server.make_file("later.txt", "later");
    test::ScriptedFtpServer silent; // accepts and never greets
    silent.await("never").reply("220 late");
    silent.start();
    QTemporaryDir data;
    ProgramRun run(data.path());
    run.app.queue->add_download_task(run.remote_file("slow.txt", silent.port(), server));
    run.app.queue->add_download_task(run.remote_file("later.txt", server.port(), server));
    run.app.queue->start_or_stop();
    ASSERT_TRUE(test::wait_until([&] { return run.app.engine.connection_count() == 1; }));

    EXPECT_FALSE(run.app.shutdown().has_value());
    test::wait_until([] { return false; }, 300);
    EXPECT_EQ(run.app.engine.connection_count(), 0u);
    EXPECT_FALSE(fs::exists(data.filePath("later.txt").toStdString()));
    EXPECT_EQ(count_of(run.config(), "\n1STATE=0\n"), 2) << run.config();
    silent.release("never");
}

TEST(QueuePersistence, TheUnattendedCommandLineRunsTheSavedQueueAndEndsWithItsOutcome)
{
    struct Row {
        std::vector<std::uint16_t> ports; // 0: the server's
        int status;
    };
    test::VsftpdServer server;
    server.make_file("f0.txt", "zero");
    server.make_file("f1.txt", "one");
    server.make_file("f2.txt", "two");
    for (const Row& row : {Row{{0, CLOSED_PORT, 0}, 1}, Row{{0, 0}, 0}}) {
        QTemporaryDir data;
        {
            ProgramRun saving(data.path());
            for (std::size_t i = 0; i < row.ports.size(); ++i)
                saving.app.queue->add_download_task(saving.remote_file(
                    "f" + std::to_string(i) + ".txt", row.ports[i] ? row.ports[i] : server.port(), server));
        }
        ProgramRun run(data.path());
        std::optional<int> quit;
        run.app.quit = [&](int status) { quit = status; };
        run.app.run_late_options(parse_command_line("-b -y -x"));
        EXPECT_TRUE(run.ctx().unattended);
        ASSERT_TRUE(test::wait_until([&] { return quit.has_value(); }, 20000)) << server.log();
        EXPECT_EQ(*quit, row.status);
        EXPECT_FALSE(run.ctx().unattended);
        const std::array<std::string, 3> contents{"zero", "one", "two"};
        for (std::size_t i = 0; i < row.ports.size(); ++i) {
            const std::string file = data.filePath(QString("f%1.txt").arg(i)).toStdString();
            if (row.ports[i] == 0)
                EXPECT_EQ(test::read_file(file), contents[i]) << file;
            else
                EXPECT_FALSE(fs::exists(file)) << file;
        }
    }
}

} // namespace
} // namespace kestovan
