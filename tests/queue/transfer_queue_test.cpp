// Adding to the batch queue: what becomes a task and what it holds, and a Start with nothing queued.
#include "queue/transfer_queue.h"
#include "shell/shell_harness.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct AddHarness {
    AddHarness()
    {
        site = &h.add_site("Site", 2121, "bob", "secret");
        auto pub = std::make_unique<DirEntry>();
        pub->kind = KIND_FOLDER;
        pub->name = "pub";
        pub->path = "/pub";
        pub->session = site->find_session();
        folder = &site->add_child(std::move(pub));
        queue.task_added = [this] { ++writes; };
    }
    DirEntry& child(std::uint8_t kind, const std::string& name, const std::string& size = "5000000000")
    {
        auto entry = std::make_unique<DirEntry>();
        entry->kind = kind;
        entry->name = name;
        entry->path = "/pub/" + name;
        entry->size = size;
        entry->date = "Jan 2 2024";
        entry->session = site->find_session();
        return folder->add_child(std::move(entry));
    }

    test::ShellHarness h;
    TaskList tasks;
    TransferQueue queue{h.ctx(), h.shell->sessions(), h.shell->events(), h.shell->web(), tasks};
    DirEntry* site = nullptr;
    DirEntry* folder = nullptr;
    int writes = 0;
};

TEST(AddToBatch, OnlyFilesLinksAndWebLinksBecomeDownloads)
{
    struct Row {
        std::uint8_t kind;
        bool added;
    };
    for (const Row& row : {Row{KIND_FOLDER, false}, Row{KIND_SITE, false}, Row{KIND_URL_PROFILE, false},
                           Row{KIND_PROFILE_FOLDER, false}, Row{KIND_PARENT, false}, Row{KIND_FILE, true},
                           Row{KIND_LINK, true}}) {
        AddHarness a;
        EXPECT_EQ(a.queue.add_download_task(a.child(row.kind, "x")), row.added) << int(row.kind);
        EXPECT_EQ(a.tasks.size(), row.added ? 1u : 0u) << int(row.kind);
        EXPECT_EQ(a.writes, row.added ? 1 : 0) << "config.ini is written for each task added";
    }
}

TEST(AddToBatch, ADownloadTaskHoldsItsServerPathLocalTargetAndOwnProfile)
{
    AddHarness a;
    a.h.ctx().transfer_mode = MODE_ASCII;
    ASSERT_TRUE(a.queue.add_download_task(a.child(KIND_FILE, "big.iso")));
    const Task& task = *a.tasks.front();
    EXPECT_EQ(task.name, "big.iso");
    EXPECT_EQ(task.source, "127.0.0.1/pub/big.iso");
    EXPECT_EQ(task.destination, a.h.ctx().local_folder + "/big.iso");
    EXPECT_EQ(task.size, 5'000'000'000) << "sizes past 4 GiB stay whole";
    EXPECT_EQ(task.status, TASK_DOWNLOAD);
    EXPECT_EQ(task.state, TASK_WAITING);
    EXPECT_EQ(task.mode, MODE_ASCII);
    EXPECT_EQ(task.date, "Jan 2 2024");
    ASSERT_TRUE(task.profile);
    EXPECT_NE(task.profile.get(), a.site->find_session()) << "a copy, never the site's own profile";
    EXPECT_EQ(task.profile->password, "secret");
    EXPECT_EQ(task.profile->sessions, nullptr);
}

TEST(AddToBatch, LocalFilesBecomeUploadsIntoTheShownFolderAndFoldersNothing)
{
    AddHarness a;
    a.h.ctx().shown_folder = a.folder;
    const std::string local = a.h.ctx().local_folder;
    EXPECT_FALSE(a.queue.add_upload_task({"docs", LOCAL_FOLDER, "", "0", local + "/docs"}));
    EXPECT_FALSE(a.queue.add_upload_task({"..", LOCAL_PARENT, "", "0", local}));
    ASSERT_TRUE(
        a.queue.add_upload_task({"up.txt", LOCAL_FILE, "01-02-2024 10:00:00", "12", local + "/up.txt"}));
    ASSERT_EQ(a.tasks.size(), 1u);
    const Task& task = *a.tasks.front();
    EXPECT_EQ(task.source, local + "/up.txt");
    EXPECT_EQ(task.destination, "127.0.0.1/pub/up.txt");
    EXPECT_EQ(task.status, TASK_UPLOAD);
    EXPECT_EQ(task.size, 12);
    EXPECT_EQ(a.writes, 1);

    a.h.ctx().shown_folder = nullptr;
    a.h.ctx().current_session_node = nullptr;
    EXPECT_FALSE(a.queue.add_upload_task({"up.txt", LOCAL_FILE, "", "12", local + "/up.txt"}))
        << "without a remote folder there is nowhere to send it";
}

TEST(StartStop, StartOnAnEmptyQueueConnectsNothingAndStaysDisabled)
{
    AddHarness a;
    std::vector<QueueOutcome> ran_out;
    a.queue.ran_out = [&](const QueueOutcome& outcome) { ran_out.push_back(outcome); };
    EXPECT_FALSE(a.queue.can_start());
    a.h.ctx().unattended = true;
    a.queue.start_or_stop();
    EXPECT_FALSE(a.queue.running());
    EXPECT_FALSE(a.queue.can_start());
    EXPECT_EQ(a.h.engine.connection_count(), 0u);
    ASSERT_EQ(ran_out.size(), 1u);
    EXPECT_EQ(ran_out[0].done + ran_out[0].failed, 0);
    EXPECT_FALSE(a.h.ctx().unattended) << "the queue ran out";
}

} // namespace
} // namespace kestovan
