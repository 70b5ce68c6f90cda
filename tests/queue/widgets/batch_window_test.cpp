// The "Batch Transfer" window offscreen: the orders of its column titles, its keys and context menu,
// and Start/Stop and Clear following the queue.
#include "queue/widgets/batch_window.h"
#include "shell/shell_harness.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct TaskFields {
    std::string name;
    std::string source = "127.0.0.1/f";
    std::string destination = "/tmp/f";
    std::int64_t size = 0;
    std::uint8_t state = TASK_WAITING;
};

TaskFields named(const std::string& name)
{
    TaskFields fields;
    fields.name = name;
    return fields;
}

struct WindowHarness {
    explicit WindowHarness(const std::vector<TaskFields>& given)
    {
        for (const TaskFields& fields : given) {
            auto task = std::make_unique<Task>();
            task->name = fields.name;
            task->source = fields.source;
            task->destination = fields.destination;
            task->size = fields.size;
            task->state = fields.state;
            task->status = TASK_DOWNLOAD;
            task->profile = std::make_unique<SiteProfile>();
            task->profile->server = "127.0.0.1";
            task->profile->port = "1"; // nothing listens there
            tasks.push_back(std::move(task));
        }
        window.tasks_reset();
        window.buttons_changed();
        window.open_window();
    }
    std::vector<std::string> shown_names()
    {
        std::vector<std::string> names;
        for (int row = 0; row < window.model().rowCount(); ++row)
            names.push_back(window.model().task_at(row)->name.value_or(""));
        return names;
    }
    void click_title(int column)
    {
        QHeaderView* header = window.list().header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {}, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&window.list(), &press);
    }
    int current_row() { return window.list().currentIndex().row(); }
    QPushButton* button(int control) { return window.findChild<QPushButton*>(QString::number(control)); }

    test::ShellHarness h;
    TaskList tasks;
    TransferQueue queue{h.ctx(), h.shell->sessions(), h.shell->events(), h.shell->web(), tasks};
    BatchWindow window{queue, h.ctx()};
};

TEST(BatchWindowOrder, EachColumnTitleSortsItsWay)
{
    const std::vector<TaskFields> given = {
        {"b.txt", "h/b", "/l/3", 10, TASK_DONE},
        {"A.txt", "h/A", "/l/1", 300, TASK_FAILED},
        {"c.txt", "h/c", "/l/2", 20, TASK_WAITING},
        {"d.txt", "h/z", "/l/0", 20, TASK_DONE},
    };
    struct Row {
        int column;
        std::vector<std::string> order;
    };
    for (const Row& row : {
             Row{BATCH_COL_STATE, {"A.txt", "b.txt", "d.txt", "c.txt"}}, // failed, done (by source), waiting
             Row{BATCH_COL_SOURCE, {"A.txt", "b.txt", "c.txt", "d.txt"}},
             Row{BATCH_COL_DESTINATION, {"d.txt", "A.txt", "c.txt", "b.txt"}},
             Row{BATCH_COL_SIZE, {"A.txt", "c.txt", "d.txt", "b.txt"}}, // larger first, ties keep order
             Row{BATCH_COL_NAME, {"A.txt", "b.txt", "c.txt", "d.txt"}},
         }) {
        WindowHarness w(given);
        EXPECT_EQ(w.shown_names(), (std::vector<std::string>{"b.txt", "A.txt", "c.txt", "d.txt"}))
            << "the rows start in queue order";
        w.click_title(row.column);
        EXPECT_EQ(w.shown_names(), row.order) << "column " << row.column;
        EXPECT_EQ(w.tasks.front()->name, "b.txt") << "sorting the list leaves the queue's order";
    }
    WindowHarness sizes(
        {{"folder", "h/f", "/l/f", 0, TASK_WAITING}, {"file", "h/g", "/l/g", 0, TASK_WAITING}});
    sizes.tasks[0]->kind = KIND_FOLDER;
    EXPECT_EQ(sizes.window.model().index(0, BATCH_COL_SIZE).data().toString(), "");
    EXPECT_EQ(sizes.window.model().index(1, BATCH_COL_SIZE).data().toString(), "0");
}

TEST(BatchWindowKeys, TypingDeleteAndSelectAll)
{
    WindowHarness w({named("alpha"), named("beta"), named("charlie"), named("Carol")});
    w.window.list().setCurrentIndex(w.window.model().index(0, BATCH_COL_NAME));
    w.key(Qt::Key_C, {}, "c");
    EXPECT_EQ(w.current_row(), 2);
    EXPECT_EQ(w.h.ctx().status.text(STATUS_MESSAGE), w.h.ctx().local_folder + "/charlie")
        << "a selected row shows its local path in the main window's status bar";
    EXPECT_EQ(w.window.findChild<QLabel*>("batch_message")->text().toStdString(),
              w.h.ctx().local_folder + "/charlie")
        << "and the window's own status bar repeats it";
    w.key(Qt::Key_C, {}, "c");
    EXPECT_EQ(w.current_row(), 3) << "without regard to case";
    w.key(Qt::Key_C, {}, "c");
    EXPECT_EQ(w.current_row(), 2) << "wrapping once";
    w.key(Qt::Key_Z, {}, "z");
    EXPECT_EQ(w.current_row(), 2) << "no row starts with z";

    w.key(Qt::Key_Delete);
    EXPECT_EQ(w.shown_names(), (std::vector<std::string>{"alpha", "beta", "Carol"}));
    EXPECT_EQ(w.tasks.size(), 3u);
    EXPECT_EQ(w.current_row(), 2) << "the neighbour of the deleted row";

    w.key(Qt::Key_A, Qt::ControlModifier, "a");
    EXPECT_EQ(w.window.selected_tasks().size(), 3u);
    auto menu = w.window.build_context_menu();
    EXPECT_TRUE(menu->findChild<QAction*>("464")->isEnabled());
    EXPECT_TRUE(menu->findChild<QAction*>("465")->isEnabled());
    w.key(Qt::Key_Delete);
    EXPECT_TRUE(w.tasks.empty());
    menu = w.window.build_context_menu();
    EXPECT_FALSE(menu->findChild<QAction*>("464")->isEnabled());
    EXPECT_FALSE(menu->findChild<QAction*>("465")->isEnabled());
}

TEST(BatchWindowButtons, StartStopAndClearFollowTheQueue)
{
    WindowHarness empty({});
    EXPECT_FALSE(empty.button(1215)->isEnabled());
    EXPECT_EQ(empty.button(1215)->text(), "Start");
    EXPECT_FALSE(empty.button(1907)->isEnabled());

    WindowHarness w({named("one"), named("two")});
    EXPECT_TRUE(w.button(1215)->isEnabled());
    EXPECT_TRUE(w.button(1907)->isEnabled());
    QTest::mouseClick(w.button(1215), Qt::LeftButton);
    EXPECT_EQ(w.button(1215)->text(), "Stop");
    EXPECT_FALSE(w.button(1907)->isEnabled()) << "no Clear while a task runs";
    ASSERT_TRUE(w.h.wait([&] { return !w.queue.running(); }));
    EXPECT_EQ(w.button(1215)->text(), "Start");
    EXPECT_EQ(w.tasks[0]->state, TASK_FAILED);
    EXPECT_EQ(w.tasks[1]->state, TASK_FAILED);
    QTest::mouseClick(w.button(1907), Qt::LeftButton);
    EXPECT_TRUE(w.tasks.empty());
    EXPECT_EQ(w.window.model().rowCount(), 0);
    EXPECT_FALSE(w.button(1215)->isEnabled());
}

} // namespace
} // namespace kestovan
