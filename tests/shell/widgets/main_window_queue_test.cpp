// The batch queue, the rate graph and the bookmarks in the main window: a queue of done, failed and
// waiting tasks in the Batch Transfer window, two downloads side by side drawn as two curves on the
// "BPS" tab, and the bookmark items of the Bookmarks menu. With KESTOVAN_SHOTS_DIR set, the tests save
// screenshots there.
#include "platform/window.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "queue/widgets/batch_window.h"
#include "shell/application.h"
#include "shell/widgets/bookmarks_menu.h"
#include "shell/widgets/command_dialog.h"
#include "shell/widgets/main_window.h"
#include "shell/widgets/rate_graph.h"
#include "support/scripted_ftp_server.h"
#include "support/test_environment.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

constexpr std::uint16_t CLOSED_PORT = 1;

struct QuietSounds : Sounds {
    void play(std::string_view, bool) override {}
};

struct WindowHarness {
    WindowHarness()
    {
        std::string error;
        EXPECT_TRUE(app.prepare_folders(data.path().toStdString(), &error)) << error;
        app.load_state();
        app.start_engine();
        window = std::make_unique<MainWindow>(app, prompts);
        window->apply_view_flags();
        window->resize(1024, 700);
        window->show();
        ctx().local_folder = data.path().toStdString();
    }
    ~WindowHarness()
    {
        app.shutdown();
        window.reset();
        app.engine.engine_shutdown();
    }
    ShellContext& ctx() { return app.shell->context(); }
    DirEntry& site(const std::string& name, std::uint16_t port, const test::RealFtpServer& server)
    {
        auto node = make_profile_node(name, KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = name;
        profile->server = "127.0.0.1";
        profile->port = std::to_string(port);
        profile->username = server.user();
        profile->password = server.password();
        profile->passive = 1;
        profile->encryption = ENCRYPTION_PLAIN; // the test server speaks no TLS
        attach_profile(*node, std::move(profile));
        ctx().tree.push_back(std::move(node));
        DirEntry& added = *ctx().tree.back();
        window->tree_item_changed(added);
        return added;
    }
    // A remote file row of site, as a listing would give it.
    DirEntry& file(DirEntry& site, const std::string& name, const std::string& size)
    {
        auto entry = std::make_unique<DirEntry>();
        entry->name = name;
        entry->path = "/" + name;
        entry->size = size;
        entry->session = site.find_session();
        return site.add_child(std::move(entry));
    }

    QTemporaryDir data;
    ShellPrompts prompts{nullptr};
    QuietSounds sounds;
    Application app{prompts, sounds};
    std::unique_ptr<MainWindow> window;
};

void save_shot(QWidget& widget, const char* name)
{
    const char* folder = std::getenv("KESTOVAN_SHOTS_DIR");
    if (!folder || !*folder)
        return;
    std::filesystem::create_directories(folder);
    widget.grab().save(QString::fromUtf8(folder) + "/" + QString::fromLatin1(name) + ".png");
}

TEST(MainWindowQueue, TheBatchWindowShowsDoneFailedAndWaitingTasks)
{
    test::VsftpdServer server;
    server.make_file("report.pdf", std::string(20'000, 'r'));
    test::ScriptedFtpServer silent; // accepts and never greets
    silent.await("never").reply("220 late");
    silent.start();
    WindowHarness h;
    DirEntry& good = h.site("Files", server.port(), server);
    DirEntry& down = h.site("Down", CLOSED_PORT, server);
    DirEntry& slow = h.site("Slow", silent.port(), server);
    TransferQueue& queue = *h.app.queue;
    ASSERT_TRUE(queue.add_download_task(h.file(good, "report.pdf", "20000")));
    ASSERT_TRUE(queue.add_download_task(h.file(down, "photos.zip", "5000000")));
    ASSERT_TRUE(queue.add_download_task(h.file(slow, "backup.tar", "3000000000")));
    ASSERT_TRUE(queue.add_download_task(h.file(good, "notes.txt", "120")));

    h.app.window.send_message(WM_COMMAND, cmd::BATCH_START); // 1108: open the window, then Start
    BatchWindow& batch = h.window->batch_window();
    ASSERT_TRUE(test::wait_until([&] {
        return batch.isVisible() && queue.active_task() == queue.tasks()[2].get();
    })) << server.log();
    batch.resize(760, 260);
    QApplication::processEvents();
    save_shot(batch, "batch-window-running");
    queue.start_or_stop(); // Stop during the third task
    ASSERT_TRUE(test::wait_until([&] { return !queue.running(); }));
    std::vector<std::uint8_t> states;
    for (const auto& task : queue.tasks())
        states.push_back(task->state);
    EXPECT_EQ(states, (std::vector<std::uint8_t>{TASK_DONE, TASK_FAILED, TASK_FAILED, TASK_WAITING}));
    EXPECT_EQ(batch.model().rowCount(), 4);
    EXPECT_EQ(test::read_file(h.data.filePath("report.pdf").toStdString()).size(), 20'000u);
    batch.list().setCurrentIndex(batch.model().index(1, BATCH_COL_NAME));
    QApplication::processEvents();
    save_shot(batch, "batch-window");
    silent.release("never");
}

TEST(MainWindowQueue, TwoDownloadsSideBySideAreTwoCurvesOnTheBpsTab)
{
    test::RealServerOptions slow;
    slow.max_rate = 150'000; // each transfer takes between two and three seconds
    test::VsftpdServer server(slow);
    server.make_random_file("first.iso", 400'000, 1);
    server.make_random_file("second.iso", 400'000, 2);
    WindowHarness h;
    DirEntry& a = h.site("Mirror A", server.port(), server);
    DirEntry& b = h.site("Mirror B", server.port(), server);
    DirEntry& first = h.file(a, "first.iso", "400000");
    DirEntry& second = h.file(b, "second.iso", "400000");
    h.app.shell->sessions().connect(&a, false);
    h.app.shell->sessions().connect(&b, false);
    ASSERT_TRUE(test::wait_until([&] { return h.ctx().is_connected(&a) && h.ctx().is_connected(&b); }, 10000))
        << server.log();
    auto* tabs = &h.window->lower_tabs();
    tabs->setCurrentWidget(&h.window->rate_graph());
    const std::string local = h.data.path().toStdString();
    h.app.shell->transfers().download_entries(&a, {&first}, local);
    h.app.shell->transfers().download_entries(&b, {&second}, local);

    // The graph's timer is two seconds; here it is driven five times as fast, so the test need not
    // wait for it.
    RateSampler& sampler = h.app.rates->sampler();
    auto rising = [&] {
        return std::count_if(sampler.slot_table().begin(), sampler.slot_table().end(),
                             [](const RateSlot& slot) { return slot.in_use && slot.rate > 0; });
    };
    std::size_t most_curves = 0;
    auto done = [&] {
        return std::filesystem::exists(local + "/first.iso") &&
               std::filesystem::exists(local + "/second.iso") &&
               std::filesystem::file_size(local + "/first.iso") == 400'000 &&
               std::filesystem::file_size(local + "/second.iso") == 400'000;
    };
    for (int round = 0; round < 40 && !done(); ++round) {
        test::wait_until([] { return false; }, 400);
        h.app.window.send_message(WM_TIMER, TIMER_RATE_GRAPH);
        QApplication::processEvents();
        sampler.prepare_paint();
        most_curves = std::max(most_curves, graph_layout(sampler, 0, 0, 600, 200, 60).curves.size());
        if (rising() >= 2)
            save_shot(*h.window, "bps-graph");
    }
    ASSERT_TRUE(done()) << server.log();
    EXPECT_GE(most_curves, 2u) << "one curve per download";
    EXPECT_GT(sampler.maximum(), GRAPH_MINIMUM_MAXIMUM);
    // Rates are in bits per second: near eight times the server's limit in bytes (which it keeps
    // only on average: a short tick can see a burst).
    EXPECT_GT(sampler.maximum(), 8 * 150'000 / 2);
    EXPECT_LT(sampler.maximum(), 8 * 150'000 * 4);
}

TEST(MainWindowBookmarks, AddedBookmarksBecomeMenuItemsAndTheItemMenuDeletesOne)
{
    WindowHarness h;
    EXPECT_TRUE(h.window->action(cmd::BATCH_WINDOW)->isEnabled()) << "Tools > Batch Transfer";
    test::write_file(h.data.filePath("plan.txt").toStdString(), "plan");
    h.ctx().focus = FOCUS_LOCAL;
    ASSERT_TRUE(h.app.bookmarks->add_bookmark(h.data.filePath("plan.txt").toStdString()));
    ASSERT_TRUE(h.app.bookmarks->add_bookmark(h.data.path().toStdString()));
    BookmarksMenu& menu = h.window->bookmarks_menu();
    ASSERT_EQ(menu.items().size(), 2u);
    EXPECT_EQ(menu.items()[0]->objectName(), "10000");
    EXPECT_EQ(menu.items()[0]->text().toStdString(), h.data.filePath("plan.txt").toStdString());
    EXPECT_EQ(menu.items()[1]->objectName(), "10001");
    QMenu* bookmarks = menu.items()[0]->associatedObjects().isEmpty()
                           ? nullptr
                           : qobject_cast<QMenu*>(menu.items()[0]->associatedObjects().first());
    ASSERT_NE(bookmarks, nullptr);
    EXPECT_EQ(bookmarks->actions().indexOf(menu.items()[0]),
              bookmarks->actions().indexOf(h.window->action(469)) + 1)
        << "the items follow Add to Bookmarks";

    h.app.window.send_message(WM_COMMAND, 10000);
    EXPECT_EQ(h.window->selected_local_item(), h.data.filePath("plan.txt").toStdString())
        << "the local list shows the bookmarked file selected";

    auto item_menu = menu.build_item_menu(10000);
    QAction* remove = item_menu->findChild<QAction*>("474");
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), "Delete Bookmark");
    remove->trigger();
    ASSERT_EQ(menu.items().size(), 1u);
    EXPECT_EQ(menu.items()[0]->objectName(), "10001") << "ids stay until the menu is rebuilt";
    EXPECT_EQ(h.app.config.bookmarks.size(), 1u);
}

} // namespace
} // namespace kestovan
