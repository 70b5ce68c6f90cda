// The local pane in a temporary folder: opening folders and "..", the path field, the volume rows
// and tabs, uploads asked for by opening a file, and refreshes that keep the selection or follow the
// shell's folder.
#include "panes_harness.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

using test::PanesHarness;

std::optional<int> row_named(const LocalListModel& model, const std::string& name)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.entries()[static_cast<std::size_t>(row)].name == name)
            return row;
    }
    return std::nullopt;
}

void make_file(const std::string& path, const std::string& content = "x")
{
    std::ofstream(path) << content;
}

struct LocalPaneTest : ::testing::Test {
    LocalPaneTest()
    {
        std::filesystem::create_directory(base + "/docs");
        std::filesystem::create_directory(base + "/docs/deeper");
        make_file(base + "/docs/a.txt");
        make_file(base + "/b.bin", "12345");
        h.local_pane->refresh();
    }
    LocalPane& pane() { return *h.local_pane; }
    LocalListModel& model() { return h.local_pane->list_model(); }
    void open(const std::string& name)
    {
        std::optional<int> row = row_named(model(), name);
        ASSERT_TRUE(row) << name << " in " << model().folder();
        pane().open_row(*row);
    }
    std::string field() { return pane().path_field().text().toStdString(); }

    PanesHarness h;
    const std::string base = h.local.path().toStdString();
};

TEST_F(LocalPaneTest, OpeningFoldersAndParentRowsListsThem)
{
    auto tester = test::model_tester(model());
    ASSERT_EQ(model().folder(), base);
    EXPECT_EQ(field(), base);
    EXPECT_EQ(model().entries().front().kind, LOCAL_PARENT);
    const LocalEntry& file = model().entries()[static_cast<std::size_t>(*row_named(model(), "b.bin"))];
    const QModelIndex file_index = model().index(*row_named(model(), "b.bin"), 0);
    EXPECT_EQ(model().index(file_index.row(), LocalListModel::COL_SIZE).data().toString(), "5");
    EXPECT_EQ(model().index(*row_named(model(), "docs"), LocalListModel::COL_SIZE).data().toString(), "")
        << "folders show no size";
    EXPECT_EQ(model().index(file_index.row(), LocalListModel::COL_DATE).data().toString().toStdString(),
              file.date);

    open("docs");
    EXPECT_EQ(model().folder(), base + "/docs");
    EXPECT_EQ(h.ctx().local_folder, base + "/docs");
    EXPECT_EQ(field(), base + "/docs");
    EXPECT_TRUE(row_named(model(), "a.txt"));

    open("..");
    EXPECT_EQ(model().folder(), base);
    EXPECT_EQ(h.ctx().local_folder, base);
    EXPECT_EQ(model().entry(pane().list_view().currentIndex())->name, "docs")
        << "going up, the folder left is the current row";

    // Enter in the list opens the current row.
    QTest::keyClick(&pane().list_view(), Qt::Key_Return);
    EXPECT_EQ(model().folder(), base + "/docs");
    pane().go_up();
    EXPECT_EQ(model().folder(), base);
}

TEST_F(LocalPaneTest, ThePathFieldListsAFolderAsSoonAsItIsTyped)
{
    QLineEdit& path = pane().path_field();
    path.selectAll();
    QTest::keyClicks(&path, QString::fromStdString(base + "/docs/"));
    EXPECT_EQ(model().folder(), base + "/docs") << "one trailing slash is dropped";
    EXPECT_EQ(field(), base + "/docs/") << "the typed text stays as typed";
    QTest::keyClicks(&path, "nothing-here");
    EXPECT_EQ(model().folder(), base + "/docs");
    QTest::keyClick(&path, Qt::Key_Return);
    EXPECT_EQ(model().folder(), base + "/docs") << "Enter on a path that is no folder changes nothing";

    path.selectAll();
    QTest::keyClicks(&path, QString::fromStdString(base + "/docs/deeper"));
    EXPECT_EQ(model().folder(), base + "/docs/deeper");
    EXPECT_EQ(h.ctx().local_folder, base + "/docs/deeper");
    path.setText(QString::fromStdString(base + "//"));
    QTest::keyClick(&path, Qt::Key_Return);
    EXPECT_EQ(model().folder(), base);
    EXPECT_EQ(field(), base) << "Enter writes the folder as listed";

    path.selectAll();
    QTest::keyClicks(&path, "docs");
    EXPECT_EQ(model().folder(), base) << "a relative path is not read against the working folder";
}

TEST_F(LocalPaneTest, OpeningAFileAsksForItsUpload)
{
    QSignalSpy uploads(&pane(), &LocalPane::uploadRequested);
    open("b.bin");
    ASSERT_EQ(uploads.count(), 1);
    const auto entry = uploads.at(0).at(0).value<LocalEntry>();
    EXPECT_EQ(entry.path, base + "/b.bin");
    EXPECT_EQ(entry.kind, LOCAL_FILE);
    EXPECT_EQ(model().folder(), base);
}

TEST_F(LocalPaneTest, VolumeRowsAndTheWayBackToThem)
{
    auto tester = test::model_tester(model());
    const std::string before = h.ctx().local_folder;
    pane().show_folder("");
    ASSERT_FALSE(model().entries().empty());
    EXPECT_EQ(model().entries().front().kind, LOCAL_VOLUME);
    EXPECT_EQ(model().entries().front().path, "/");
    EXPECT_EQ(h.ctx().local_folder, before) << "downloads keep going to the last folder shown";
    EXPECT_EQ(field(), "");

    pane().open_row(0);
    EXPECT_EQ(model().folder(), "/");
    EXPECT_EQ(model().entries().front().kind, LOCAL_VOLUME_LIST);
    EXPECT_EQ(model().index(0, 0).data(LocalListModel::ICON_NAME_ROLE).toString(), "go-up");
    pane().open_row(0);
    EXPECT_EQ(model().folder(), "");

    pane().show_folder(base + "/missing");
    EXPECT_EQ(model().folder(), "") << "a folder that does not exist shows the volumes";
}

TEST_F(LocalPaneTest, EachVolumeTabRemembersItsFolder)
{
    QTabBar& tabs = pane().volume_tabs();
    const LocalChain volumes = list_volumes();
    ASSERT_EQ(tabs.count(), static_cast<int>(volumes.size()));
    EXPECT_EQ(tabs.tabText(0), "/");
    const std::string home = clean_folder_path(QDir::homePath().toStdString());
    if (home == "/" || base.starts_with(home + "/"))
        GTEST_SKIP() << "the temporary folder lies in the home volume here";
    ASSERT_GE(tabs.count(), 2);
    EXPECT_EQ(tabs.tabText(1), "~");
    EXPECT_EQ(tabs.currentIndex(), 0) << "the tab of the folder shown";

    open("docs");
    tabs.setCurrentIndex(1);
    EXPECT_EQ(model().folder(), home);
    tabs.setCurrentIndex(0);
    EXPECT_EQ(model().folder(), base + "/docs") << "the root tab kept the folder it was left in";
    pane().show_folder(home);
    EXPECT_EQ(tabs.currentIndex(), 1) << "the tabs follow the folder";
}

TEST_F(LocalPaneTest, RefreshKeepsTheSelectionOrFollowsTheShellsFolder)
{
    auto tester = test::model_tester(model());
    PaneView& list = pane().list_view();
    const int b_row = *row_named(model(), "b.bin");
    list.selectionModel()->select(model().index(b_row, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_TRUE(pane().has_selection());
    make_file(base + "/c.new");
    h.view.local_list_changed(); // after a download into the folder
    EXPECT_TRUE(row_named(model(), "c.new"));
    const std::vector<LocalEntry> selected = pane().selected_entries();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].name, "b.bin");

    // A profile's local folder set by the shell.
    h.ctx().local_folder = base + "/docs";
    h.view.local_list_changed();
    EXPECT_EQ(model().folder(), base + "/docs");
    EXPECT_EQ(field(), base + "/docs");
    EXPECT_FALSE(pane().has_selection());

    // The folder shown was removed meanwhile.
    open("deeper");
    std::filesystem::remove(base + "/docs/deeper");
    pane().refresh();
    EXPECT_EQ(model().folder(), "");
    EXPECT_EQ(field(), "");
}

TEST_F(LocalPaneTest, FocusAndSelectionReachTheShell)
{
    h.ctx().focus = FOCUS_TREE;
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(&pane().list_view(), &focus);
    EXPECT_EQ(h.ctx().focus, FOCUS_LOCAL);
    const int updates = h.view.command_state_updates;
    pane().list_view().selectionModel()->select(model().index(1, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_GT(h.view.command_state_updates, updates) << "the selection enables commands";
    EXPECT_EQ(pane().list_view().objectName(), "1779");
}

} // namespace
} // namespace kestovan
