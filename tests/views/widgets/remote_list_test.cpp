// The remote list: its rows are the browser's (the ".." rule), its columns the listing's fields
// under the string table's titles; moving to a row selects it in the shell, opening a row navigates,
// and rows leave before their nodes are freed.
#include "panes_harness.h"
#include "profiles/profile_tree.h"
#include "ui/language.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::PanesHarness;

std::vector<std::string> row_names(const RemoteListModel& model)
{
    std::vector<std::string> out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.push_back(model.index(row, RemoteListModel::COL_FILE).data().toString().toStdString());
    return out;
}

// Without a connection: the ".." row shows only where there is somewhere to go up to.
TEST(RemoteList, TheParentRowRule)
{
    struct Case {
        const char* what;
        std::function<DirEntry*(PanesHarness&)> shown;
        std::vector<std::string> rows;
    };
    const auto site = [](PanesHarness& h) -> DirEntry& { return h.add_site("Site", 21); };
    const Case cases[] = {
        {"a site at the top", [&](PanesHarness& h) { return &site(h); }, {}},
        {"a folder with children",
         [&](PanesHarness& h) {
             DirEntry& folder = PanesHarness::add_folder(site(h), "pub");
             PanesHarness::add_folder(folder, "sub");
             PanesHarness::add_folder(folder, "a.txt", KIND_FILE);
             return &folder;
         },
         {"..", "sub", "a.txt"}},
        {"a folder never listed",
         [&](PanesHarness& h) { return &PanesHarness::add_folder(site(h), "pub"); },
         {}},
        {"a folder listed empty",
         [&](PanesHarness& h) {
             DirEntry& folder = PanesHarness::add_folder(site(h), "pub");
             folder.set_listed(true);
             return &folder;
         },
         {".."}},
        {"a site in a profile folder",
         [](PanesHarness& h) {
             h.ctx().tree.push_back(make_profile_node("Group", KIND_PROFILE_FOLDER));
             return &h.ctx().tree.back()->add_child(make_profile_node("Site", KIND_SITE));
         },
         {}},
        {"a profile folder shows its profiles",
         [](PanesHarness& h) {
             h.ctx().tree.push_back(make_profile_node("Group", KIND_PROFILE_FOLDER));
             DirEntry& group = *h.ctx().tree.back();
             group.add_child(make_profile_node("Site", KIND_SITE));
             return &group;
         },
         {"Site"}},
        {"a listing's own \"..\" stands in for the shared one",
         [&](PanesHarness& h) {
             DirEntry& folder = PanesHarness::add_folder(site(h), "pub");
             PanesHarness::add_folder(folder, "..", KIND_PARENT);
             PanesHarness::add_folder(folder, "x", KIND_FILE);
             return &folder;
         },
         {"..", "x"}},
    };
    for (const Case& c : cases) {
        PanesHarness h;
        auto tester = test::model_tester(h.list->list_model());
        DirEntry* shown = c.shown(h);
        h.shell->browser().select_node(shown);
        EXPECT_EQ(h.list->list_model().folder(), shown) << c.what;
        EXPECT_EQ(row_names(h.list->list_model()), c.rows) << c.what;
    }
}

TEST(RemoteList, ColumnsShowTheListingsFieldsUnderTheTableTitles)
{
    PanesHarness h;
    RemoteListModel& model = h.list->list_model();
    ASSERT_EQ(model.columnCount(), 8);
    const char* titles[] = {"#", "File:", "Size:", "Date:", "Privs:", "Level:", "Owner:", "Group:"};
    for (int column = 0; column < 8; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString().toStdString(), titles[column]);
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString().toStdString(),
                  load_string(RemoteListModel::COLUMN_TITLE_IDS[static_cast<std::size_t>(column)]));
    }
    RemoteList& list = *h.list;
    EXPECT_GE(list.columnWidth(RemoteListModel::COL_FILE), 100);
    EXPECT_GT(list.columnWidth(RemoteListModel::COL_KIND),
              list.style()->pixelMetric(QStyle::PM_SmallIconSize))
        << "the icon column is kept wide enough for its icon";
    EXPECT_GT(list.columnWidth(RemoteListModel::COL_LEVEL),
              QFontMetrics(list.header()->font()).horizontalAdvance("Level:"))
        << "a title is not cut";
    EXPECT_GT(list.columnWidth(RemoteListModel::COL_PRIVS),
              list.fontMetrics().horizontalAdvance("drwxr-xr-x"));

    DirEntry& site = h.add_site("Site", 21);
    DirEntry& file = PanesHarness::add_folder(site, "notes.txt", KIND_FILE);
    file.size = "1024";
    file.date = "Jan 15 2003";
    file.permissions = "-rw-r--r--";
    file.links = "1";
    file.owner = "ftp";
    DirEntry& link = PanesHarness::add_folder(site, "www", KIND_LINK);
    link.link_target = "/var/www";
    h.shell->browser().select_node(&site);
    ASSERT_EQ(row_names(model), (std::vector<std::string>{"www", "notes.txt"}))
        << "ordered by the first column: higher kind first";
    std::vector<std::string> cells;
    for (int column = 0; column < 8; ++column)
        cells.push_back(model.index(1, column).data().toString().toStdString());
    EXPECT_EQ(cells, (std::vector<std::string>{"", "notes.txt", "1024", "Jan 15 2003", "-rw-r--r--", "1",
                                               "ftp", ""}))
        << "the icon column has no text; a missing group is empty";
    EXPECT_FALSE(model.index(1, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(model.index(1, 1).data(Qt::DecorationRole).isNull());
    EXPECT_EQ(model.index(0, 0).data(RemoteListModel::ICON_NAME_ROLE).toString(), "inode-symlink");
    EXPECT_EQ(model.index(0, 1).data(Qt::ToolTipRole).toString(), "www -> /var/www");
}

TEST(RemoteList, MovingToARowSelectsItAndOpeningNavigates)
{
    PanesHarness h;
    RemoteList& list = *h.list;
    RemoteListModel& model = list.list_model();
    DirEntry& site = h.add_site("Site", 21);
    site.session->server = "ftp.test";
    h.tree->tree_model().reload();
    DirEntry& pub = PanesHarness::add_folder(site, "pub");
    DirEntry& sub = PanesHarness::add_folder(pub, "sub");
    DirEntry& file = PanesHarness::add_folder(sub, "file.txt", KIND_FILE);
    h.view.tree_children_changed(site);
    h.shell->browser().select_node(&pub);
    ASSERT_EQ(row_names(model), (std::vector<std::string>{"..", "sub"}));

    h.ctx().focus = FOCUS_TREE;
    list.setCurrentIndex(model.index(1, 0));
    EXPECT_EQ(h.ctx().selected, &sub);
    EXPECT_EQ(h.ctx().focus, FOCUS_REMOTE);
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), "ftp.test/pub/sub");

    // Enter on a folder with children shows it; the tree follows.
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(h.ctx().shown_folder, &sub);
    EXPECT_EQ(row_names(model), (std::vector<std::string>{"..", "file.txt"}));
    EXPECT_EQ(h.tree->current_node(), &sub);
    list.setCurrentIndex(model.index(1, 0));
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), "ftp.test/pub/sub/file.txt");
    EXPECT_EQ(h.ctx().selected, &file);

    // Double-click on ".." of a site that is not connected shows the parent node.
    const QRect parent_row = list.visualRect(model.index(0, RemoteListModel::COL_FILE));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, parent_row.center());
    EXPECT_EQ(h.ctx().shown_folder, &pub);
    EXPECT_EQ(row_names(model), (std::vector<std::string>{"..", "sub"}));
}

TEST(RemoteList, RowsLeaveBeforeTheirNodesAndARefillKeepsTheSelection)
{
    PanesHarness h;
    RemoteList& list = *h.list;
    RemoteListModel& model = list.list_model();
    auto tester = test::model_tester(model);
    DirEntry& site = h.add_site("Site", 21);
    DirEntry& pub = PanesHarness::add_folder(site, "pub");
    for (const char* name : {"a", "b", "c"})
        PanesHarness::add_folder(pub, name, KIND_FILE);
    h.shell->browser().select_node(&pub);
    ASSERT_EQ(row_names(model), (std::vector<std::string>{"..", "a", "b", "c"}));

    list.selectionModel()->select(model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.selectionModel()->select(model.index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(list.has_selection());
    PanesHarness::add_folder(pub, "d", KIND_FILE);
    list.refill();
    EXPECT_EQ(row_names(model), (std::vector<std::string>{"..", "a", "b", "c", "d"}));
    EXPECT_EQ(list.selected_entries(),
              (std::vector<DirEntry*>{pub.children[1].get(), pub.children[2].get()}));

    DirEntry* a = pub.children[0].get();
    list.setCurrentIndex(model.index(1, 0));
    ASSERT_EQ(h.ctx().selected, a);
    h.view.tree_node_removing(*a);
    pub.children.erase(pub.children.begin());
    EXPECT_EQ(row_names(model), (std::vector<std::string>{"..", "b", "c", "d"}));
    EXPECT_EQ(h.ctx().selected, a) << "a row leaving does not select another in the shell";

    h.view.tree_node_removing(site);
    EXPECT_EQ(model.rowCount(), 0) << "the folder itself is going: every row leaves";
    EXPECT_EQ(model.folder(), nullptr);
    EXPECT_FALSE(list.has_selection());
}

} // namespace
} // namespace kestovan
