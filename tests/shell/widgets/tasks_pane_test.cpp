#include "profiles/site_profile.h"
#include "shell/widgets/tasks_pane.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct TasksPaneTest : ::testing::Test {
    TasksPaneTest()
    {
        site.server = "ftp.example.test";
        pane.resize(700, 200);
    }

    QString cell(int row, int column) { return pane.rows_model().index(row, column).data().toString(); }

    QStringList names()
    {
        QStringList out;
        for (int row = 0; row < pane.rows_model().rowCount(); ++row)
            out << cell(row, TASK_COL_NAME);
        return out;
    }

    QAction* menu_item(QMenu& menu, const char* command)
    {
        auto* action = menu.findChild<QAction*>(command);
        if (!action)
            ADD_FAILURE() << "no menu item " << command;
        return action;
    }

    void click_title(int column)
    {
        QHeaderView* header = pane.header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    SiteProfile site;
    TaskRows rows;
    TasksPane pane{rows};
};

// The tester reports a broken model invariant as a warning; the test collects them.
QStringList tester_failures;
void collect_failures(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && message.contains("FAIL"))
        tester_failures << message;
}

TEST_F(TasksPaneTest, ModelStaysConsistentThroughEveryChange)
{
    tester_failures.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect_failures);
    QAbstractItemModelTester tester(&pane.rows_model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    Task& first = rows.add_row(nullptr, &site, ROW_DOWNLOAD, "/pub/b.txt", 10);
    Task& second = rows.add_row(nullptr, &site, ROW_UPLOAD, "/pub/A.zip", 0);
    rows.add_row(nullptr, nullptr, ROW_WEB_FETCH, "http://127.0.0.1/c.html", 0);
    rows.update_row(first, 0, 5, 10, 1500.0f);
    rows.finish_row(second, false);
    rows.sort_by_column(2);
    rows.remove_row(first);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(tester_failures.isEmpty()) << tester_failures.join('\n').toStdString();
    EXPECT_EQ(pane.rows_model().rowCount(), 2);
    EXPECT_EQ(names(), (QStringList{"A.zip", "c.html"}));
}

TEST_F(TasksPaneTest, ColumnsShowTheTitlesAndTexts)
{
    const QStringList titles{"", "", "Task", "Bytes", "%", "Size", "Server", "KBps"};
    for (int column = 0; column < TASK_COLUMN_COUNT; ++column)
        EXPECT_EQ(pane.rows_model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  titles[column]);

    Task& download = rows.add_row(nullptr, &site, ROW_DOWNLOAD, "/pub/dir/file.txt", 0);
    rows.update_row(download, 100, 900, 1000, 2400.0f);
    EXPECT_EQ(cell(0, TASK_COL_NAME), "file.txt");
    EXPECT_EQ(cell(0, TASK_COL_BYTES), "1000");
    EXPECT_EQ(cell(0, TASK_COL_PERCENT), "100%");
    EXPECT_EQ(cell(0, TASK_COL_SIZE), "1000");
    EXPECT_EQ(cell(0, TASK_COL_SERVER), "ftp.example.test");
    EXPECT_EQ(cell(0, TASK_COL_RATE), "2 KBps");
    EXPECT_EQ(pane.rows_model().index(0, TASK_COL_NAME).data(Qt::ToolTipRole).toString(),
              "/pub/dir/file.txt");

    // A finished transfer of size 0 still reads 100%; a web fetch has no rate; "\" separates too.
    Task& empty = rows.add_row(nullptr, &site, ROW_DOWNLOAD, "C:\\in\\empty.bin", 0);
    rows.finish_row(empty, true);
    EXPECT_EQ(cell(1, TASK_COL_PERCENT), "100%");
    EXPECT_EQ(cell(1, TASK_COL_NAME), "empty.bin");
    Task& fetch = rows.add_row(nullptr, nullptr, ROW_WEB_FETCH, "http://127.0.0.1/index.html", 0);
    rows.update_row(fetch, 0, 10, 10, 5000.0f);
    EXPECT_EQ(cell(2, TASK_COL_RATE), "");
    Task& fast = rows.add_row(nullptr, &site, ROW_UPLOAD, "big.iso", 0);
    rows.update_row(fast, 0, 1, 1, 2600000.0f);
    EXPECT_EQ(cell(3, TASK_COL_RATE), "3 MBps");
}

TEST_F(TasksPaneTest, ImagesShowStateAndDirection)
{
    Task& download = rows.add_row(nullptr, &site, ROW_DOWNLOAD, "a.txt", 0);
    Task& upload = rows.add_row(nullptr, &site, ROW_UPLOAD, "b.txt", 0);
    Task& other = rows.add_row(nullptr, &site, 0, "c.txt", 0);
    ThemeIcons icons;
    auto icon_key = [](const QIcon& icon) { return icon.isNull() ? -1 : icon.cacheKey(); };
    EXPECT_FALSE(task_state_icon(download, icons).isNull());
    EXPECT_FALSE(task_state_icon(upload, icons).isNull());
    EXPECT_TRUE(task_state_icon(other, icons).isNull());
    EXPECT_NE(icon_key(task_state_icon(download, icons)), icon_key(task_state_icon(upload, icons)));
    const qint64 running = icon_key(task_state_icon(download, icons));
    rows.finish_row(download, true);
    rows.finish_row(upload, false);
    EXPECT_NE(icon_key(task_state_icon(download, icons)), running);
    EXPECT_NE(icon_key(task_state_icon(download, icons)), icon_key(task_state_icon(upload, icons)));
    EXPECT_FALSE(task_type_icon(other, icons).isNull());
    // Made once: every repaint of a running row would otherwise decode the images again.
    EXPECT_EQ(icon_key(task_type_icon(other, icons)), icon_key(task_type_icon(other, icons)));
    EXPECT_EQ(icon_key(task_state_icon(upload, icons)), icon_key(task_state_icon(upload, icons)));
    EXPECT_FALSE(pane.rows_model().index(0, TASK_COL_STATE).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(pane.rows_model().index(0, TASK_COL_TYPE).data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(TasksPaneTest, ClickingATitleSortsTheRows)
{
    rows.add_row(nullptr, &site, ROW_UPLOAD, "/x/beta.txt", 30);
    rows.add_row(nullptr, &site, ROW_DOWNLOAD, "/x/Alpha.zip", 10);
    rows.add_row(nullptr, &site, ROW_DOWNLOAD, "/x/gamma.txt", 20);
    pane.show();
    struct Case {
        int column;
        QStringList order;
    };
    const Case cases[] = {
        {TASK_COL_NAME, {"Alpha.zip", "beta.txt", "gamma.txt"}},
        {TASK_COL_BYTES, {"Alpha.zip", "gamma.txt", "beta.txt"}},  // by size
        {TASK_COL_STATE, {"beta.txt", "gamma.txt", "Alpha.zip"}},  // file type (extension), then name
        {TASK_COL_TYPE, {"Alpha.zip", "gamma.txt", "beta.txt"}},   // kind: downloads before uploads
        {TASK_COL_SERVER, {"Alpha.zip", "gamma.txt", "beta.txt"}}, // other titles keep the order
        {TASK_COL_SIZE, {"Alpha.zip", "gamma.txt", "beta.txt"}},
    };
    for (const Case& c : cases) {
        click_title(c.column);
        EXPECT_EQ(names(), c.order) << "column " << c.column;
    }
}

TEST_F(TasksPaneTest, ANewRowIsSelected)
{
    rows.add_row(nullptr, &site, ROW_DOWNLOAD, "one", 0);
    rows.add_row(nullptr, &site, ROW_DOWNLOAD, "two", 0);
    const auto selected = pane.selected_tasks();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected.front()->name, "two");
}

TEST_F(TasksPaneTest, ContextMenuEnablingAndActions)
{
    {
        auto menu = pane.build_context_menu();
        EXPECT_EQ(menu->objectName(), "221");
        EXPECT_FALSE(menu_item(*menu, "472")->isEnabled());
        EXPECT_FALSE(menu_item(*menu, "482")->isEnabled());
        EXPECT_FALSE(menu_item(*menu, "467")->isEnabled()) << "an empty list has nothing to select";
        EXPECT_EQ(menu_item(*menu, "472")->text(), "Dis&connect");
        EXPECT_EQ(menu_item(*menu, "482")->text(), "&Delete");
        EXPECT_EQ(menu_item(*menu, "467")->text(), "Select &All");
    }
    Task& live = rows.add_row(nullptr, &site, ROW_DOWNLOAD, "live", 0);
    Task& dead = rows.add_row(nullptr, &site, ROW_DOWNLOAD, "dead", 0);
    pane.can_disconnect = [&live](const Task& task) { return &task == &live; };
    std::vector<Task*> disconnected;
    std::vector<Task*> deleted;
    pane.on_disconnect = [&](const std::vector<Task*>& tasks) { disconnected = tasks; };
    pane.on_delete = [&](const std::vector<Task*>& tasks) {
        deleted = tasks;
        for (Task* task : tasks)
            rows.remove_row(*task);
    };

    // "dead" (the new row) is selected: it has no connection to disconnect.
    {
        auto menu = pane.build_context_menu();
        EXPECT_FALSE(menu_item(*menu, "472")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "482")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "467")->isEnabled());
        menu_item(*menu, "467")->trigger();
    }
    EXPECT_EQ(pane.selected_tasks().size(), 2u);
    {
        auto menu = pane.build_context_menu();
        EXPECT_TRUE(menu_item(*menu, "472")->isEnabled());
        menu_item(*menu, "472")->trigger();
        EXPECT_EQ(disconnected, (std::vector<Task*>{&live, &dead}));
        menu_item(*menu, "482")->trigger();
        EXPECT_EQ(deleted, (std::vector<Task*>{&live, &dead}));
    }
    EXPECT_EQ(pane.rows_model().rowCount(), 0);
}

} // namespace
} // namespace kestovan
