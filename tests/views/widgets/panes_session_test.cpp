// The three panes on a real server: connecting from the tree, listing folders by opening them in
// the list, ".." within a site and at its root, with both remote models under the model tester. A
// picture of the panes goes to $KESTOVAN_SCREENSHOT_DIR when that is set.
#include "panes_harness.h"
#include "support/pyftpdlib_server.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>

namespace kestovan {
namespace {

using test::PanesHarness;

std::set<std::string> list_names(const RemoteListModel& model)
{
    std::set<std::string> out;
    for (DirEntry* row : model.entries())
        out.insert(row->name);
    return out;
}

std::vector<std::string> tree_names(RemoteTreeModel& model, const DirEntry& parent)
{
    std::vector<std::string> out;
    const QModelIndex index = model.index_of(&parent);
    for (int row = 0; row < model.rowCount(index); ++row)
        out.push_back(model.index(row, 0, index).data().toString().toStdString());
    return out;
}

void open_in_list(RemoteList& list, const std::string& name)
{
    const auto& rows = list.list_model().entries();
    auto it = std::find_if(rows.begin(), rows.end(), [&](DirEntry* row) { return row->name == name; });
    ASSERT_NE(it, rows.end()) << name;
    const QModelIndex index =
        list.list_model().index(static_cast<int>(it - rows.begin()), RemoteListModel::COL_FILE);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(index).center());
}

// Whether the cell shows more than its background: the icon was drawn.
bool cell_has_picture(QAbstractItemView& view, const QModelIndex& index)
{
    const QImage image = view.viewport()->grab(view.visualRect(index)).toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return colours.size() > 3;
}

TEST(PanesOnAServer, BrowsingAConnectedSite)
{
    test::PyftpdlibServer server;
    server.make_folder("pub/sub");
    server.make_file("pub/readme.txt", "hello");
    server.make_file("top.txt", "x");
    PanesHarness h;
    std::ofstream(h.local.path().toStdString() + "/notes.txt") << "local";
    std::filesystem::create_directory(h.local.path().toStdString() + "/photos");
    h.local_pane->refresh();

    QWidget window;
    QHBoxLayout layout(&window);
    QSplitter remote(Qt::Horizontal);
    layout.addWidget(h.local_pane.get(), 2);
    layout.addWidget(&remote, 3);
    remote.addWidget(h.tree.get());
    remote.addWidget(h.list.get());
    remote.setSizes({140, 420});
    window.resize(980, 300);
    window.show();
    // The harness owns the panes: they leave the window before it goes.
    struct Release {
        PanesHarness& h;
        ~Release()
        {
            for (QWidget* pane :
                 std::initializer_list<QWidget*>{h.tree.get(), h.list.get(), h.local_pane.get()})
                pane->setParent(nullptr);
        }
    } release{h};

    RemoteTreeModel& tree_model = h.tree->tree_model();
    RemoteListModel& list_model = h.list->list_model();
    DirEntry& site = h.add_site("Local server", server.port(), server.user(), server.password());
    tree_model.reload();
    auto tree_tester = test::model_tester(tree_model);
    auto list_tester = test::model_tester(list_model);

    h.tree->show_node(&site);
    QTest::keyClick(h.tree.get(), Qt::Key_Return);
    ASSERT_TRUE(h.wait([&] { return list_names(list_model).contains("top.txt"); })) << server.log();
    EXPECT_EQ(h.ctx().shown_folder, &site);
    EXPECT_EQ(list_names(list_model), (std::set<std::string>{"..", "pub", "top.txt"}));
    EXPECT_EQ(tree_names(tree_model, site), std::vector<std::string>{"pub"});
    EXPECT_EQ(tree_model.index_of(&site).data(RemoteTreeModel::ICON_NAME_ROLE).toString(),
              "network-server@connected");

    open_in_list(*h.list, "pub");
    ASSERT_TRUE(h.wait([&] { return list_names(list_model).contains("readme.txt"); })) << server.log();
    EXPECT_EQ(list_names(list_model), (std::set<std::string>{"..", "sub", "readme.txt"}));
    EXPECT_EQ(h.tree->current_node()->name, "pub") << "the tree shows where the list is";
    const DirEntry& pub = *h.ctx().shown_folder;
    EXPECT_EQ(tree_names(tree_model, pub), std::vector<std::string>{"sub"});
    h.tree->expand(tree_model.index_of(&pub));
    EXPECT_TRUE(cell_has_picture(*h.list, list_model.index(1, RemoteListModel::COL_KIND)));
    EXPECT_TRUE(cell_has_picture(h.local_pane->list_view(), h.local_pane->list_model().index(1, 0)));

    if (const char* dir = std::getenv("KESTOVAN_SCREENSHOT_DIR")) {
        EXPECT_TRUE(window.grab().save(QString::fromUtf8(dir) + "/panes.png"));
    }

    // ".." inside the site shows the site's rows again, from the tree's cache.
    open_in_list(*h.list, "..");
    EXPECT_EQ(h.ctx().shown_folder, &site);
    EXPECT_EQ(list_names(list_model), (std::set<std::string>{"..", "pub", "top.txt"}));

    // ".." at the site's root drops its children and lists "/" afresh.
    open_in_list(*h.list, "..");
    EXPECT_EQ(tree_names(tree_model, site), std::vector<std::string>{}) << "the old children are gone";
    ASSERT_TRUE(h.wait([&] { return site.children.size() == 2; })) << server.log();
    ASSERT_TRUE(h.wait([&] { return list_names(list_model).contains("top.txt"); }));
    EXPECT_EQ(tree_names(tree_model, site), std::vector<std::string>{"pub"});
    EXPECT_EQ(h.tree->current_node(), &site);
    h.shell->sessions().disconnect(&site);
    ASSERT_TRUE(h.wait([&] { return !site.session->sessions; }));
    EXPECT_EQ(tree_model.index_of(&site).data(RemoteTreeModel::ICON_NAME_ROLE).toString(), "network-server");
}

} // namespace
} // namespace kestovan
