// A process killed outright (SIGKILL) while it rewrites config.ini with its queue, a profile file or
// the profile tree leaves the old file or the new one, never a cut or mixed one: a child process
// rewrites the file over and over between two versions and is killed at random points.
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "queue/config_file.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

constexpr int KILLS_PER_WRITER = 40;
constexpr int MAX_DELAY_US = 20000;

struct Writer {
    const char* name;
    // Writes version 0 or 1 of the file to path; false when the write failed.
    std::function<bool(const fs::path& path, int version)> write;
};

std::unique_ptr<Task> task(int i, int version)
{
    auto t = std::make_unique<Task>();
    t->name = "file" + std::to_string(i) + (version ? "-new.bin" : ".bin");
    t->source = "127.0.0.1/pub/file" + std::to_string(i);
    t->destination = "/home/me/" + std::string(40, version ? 'n' : 'o');
    t->kind = KIND_FILE;
    t->status = TASK_DOWNLOAD;
    t->size = 5'000'000'000 + i;
    return t;
}

bool write_queue(const fs::path& path, int version)
{
    Settings settings;
    ConfigState state(settings);
    for (int i = 0; i < 2000 + version * 500; ++i)
        state.queue.push_back(task(i, version));
    return static_cast<bool>(write_config(state, path));
}

std::unique_ptr<DirEntry> site(int i, int version)
{
    auto node = make_profile_node("site " + std::to_string(i), KIND_SITE);
    node->profile->server = "host" + std::to_string(i) + ".example";
    node->profile->username = version ? "new-user" : "old-user";
    node->profile->password = "secret";
    node->profile->comment = std::string(200, version ? 'n' : 'o');
    return node;
}

bool write_profile(const fs::path& path, int version)
{
    return write_profile_file(*site(0, version), path);
}

bool write_tree(const fs::path& path, int version)
{
    EntryChain nodes;
    for (int i = 0; i < 1500 + version * 300; ++i)
        nodes.push_back(site(i, version));
    return save_profile_tree(path, nodes);
}

TEST(InterruptedWrites, AKilledWriterLeavesTheOldOrTheNewFile)
{
    const Writer writers[] = {
        {"config.ini with the queue", write_queue},
        {"a profile file", write_profile},
        {"the profile tree", write_tree},
    };
    std::mt19937 random(20261208);
    for (const Writer& writer : writers) {
        QTemporaryDir dir;
        const fs::path path = fs::path(dir.path().toStdString()) / "file";
        std::string versions[2];
        for (int v : {1, 0}) { // version 0 stays on disk as the start
            ASSERT_TRUE(writer.write(path, v)) << writer.name;
            versions[v] = test::read_file(path.string());
        }
        ASSERT_NE(versions[0], versions[1]) << writer.name;

        int torn = 0;
        for (int kill = 0; kill < KILLS_PER_WRITER; ++kill) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0) << writer.name;
            if (child == 0) {
                // Only the writer runs here, until the parent kills it.
                for (int v = 1;; v ^= 1)
                    (void)writer.write(path, v);
            }
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<int>(0, MAX_DELAY_US)(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            const std::string now = test::read_file(path.string());
            if (now != versions[0] && now != versions[1])
                ++torn;
        }
        EXPECT_EQ(torn, 0) << writer.name << ": " << torn << " of " << KILLS_PER_WRITER
                           << " kills left a file that is neither version";
    }
}

} // namespace
} // namespace kestovan
