// The remote tree's model and widget: rows follow the shell's nodes as they are added, merged and
// removed (under the model tester), files stay out, the expand button follows children and the
// listed flag, and moving in the tree shows the node through the browser.
#include "panes_harness.h"
#include "profiles/profile_tree.h"

#include <QFocusEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::PanesHarness;

std::vector<std::string> names_below(RemoteTreeModel& model, const QModelIndex& parent = {})
{
    std::vector<std::string> out;
    for (int row = 0; row < model.rowCount(parent); ++row)
        out.push_back(model.index(row, 0, parent).data().toString().toStdString());
    return out;
}

DirEntry& add_entry(DirEntry& parent, const std::string& name, std::uint8_t kind)
{
    return PanesHarness::add_folder(parent, name, kind);
}

TEST(RemoteTreeModel, RowsFollowNodesAddedMergedAndRemoved)
{
    PanesHarness h;
    RemoteTreeModel& model = h.tree->tree_model();
    auto tester = test::model_tester(model);

    DirEntry& alpha = h.add_site("Alpha", 21);
    model.tree_item_changed(alpha); // a node the model did not show yet comes in
    h.ctx().tree.push_back(make_profile_node("Group", KIND_PROFILE_FOLDER));
    DirEntry& group = *h.ctx().tree.back();
    group.add_child(make_profile_node("Beta", KIND_SITE));
    model.tree_children_changed(group);
    ASSERT_EQ(names_below(model), (std::vector<std::string>{"Alpha", "Group"}));
    EXPECT_EQ(names_below(model, model.index_of(&group)), std::vector<std::string>{"Beta"});

    // A first listing: files have no rows of their own.
    DirEntry& pub = add_entry(alpha, "pub", KIND_FOLDER);
    add_entry(alpha, "readme.txt", KIND_FILE);
    add_entry(alpha, "www", KIND_LINK);
    model.tree_children_changed(alpha);
    EXPECT_EQ(names_below(model, model.index_of(&alpha)), (std::vector<std::string>{"pub", "www"}));
    const QPersistentModelIndex pub_index = model.index_of(&pub);

    // A refresh appends what is new; rows that stay keep their index.
    add_entry(alpha, "incoming", KIND_FOLDER);
    model.tree_children_changed(alpha);
    EXPECT_EQ(names_below(model, model.index_of(&alpha)),
              (std::vector<std::string>{"pub", "www", "incoming"}));
    EXPECT_EQ(model.node(pub_index), &pub);

    // A node that is going leaves before it is freed.
    model.tree_node_removing(pub);
    std::erase_if(alpha.children, [&](const auto& child) { return child.get() == &pub; });
    EXPECT_FALSE(pub_index.isValid());
    EXPECT_EQ(names_below(model, model.index_of(&alpha)), (std::vector<std::string>{"www", "incoming"}));

    // A profile that is going, with its sites.
    model.tree_node_removing(group);
    std::erase_if(h.ctx().tree, [&](const auto& node) { return node.get() == &group; });
    EXPECT_EQ(names_below(model), std::vector<std::string>{"Alpha"});
    model.reload();
    EXPECT_EQ(names_below(model), std::vector<std::string>{"Alpha"});
}

// The ".." step of a connected site drops the site's children and lists it again: the shell warns
// with the site itself, clears the children and reports new ones, which may well reuse the freed
// addresses.
TEST(RemoteTreeModel, ASiteWhoseChildrenWereDroppedComesBackWithTheNewOnes)
{
    PanesHarness h;
    RemoteTreeModel& model = h.tree->tree_model();
    auto tester = test::model_tester(model);
    DirEntry& first = h.add_site("First", 21);
    DirEntry& site = h.add_site("Site", 21);
    h.add_site("Last", 21);
    model.reload();
    for (const char* name : {"a", "b", "c"})
        add_entry(site, name, KIND_FOLDER);
    model.tree_children_changed(site);

    model.tree_node_removing(site);
    site.children.clear();
    model.tree_children_changed(site);
    EXPECT_EQ(names_below(model), (std::vector<std::string>{"First", "Site", "Last"}));
    EXPECT_EQ(model.rowCount(model.index_of(&site)), 0);

    for (const char* name : {"x", "y"})
        add_entry(site, name, KIND_FOLDER);
    model.tree_children_changed(site);
    EXPECT_EQ(names_below(model, model.index_of(&site)), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(model.node(model.index(0, 0)), &first);
}

TEST(RemoteTreeModel, ExpandButtonFollowsChildrenAndTheListedFlag)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> children;
        bool listed;
        bool expandable;
    };
    const Case cases[] = {
        {"never listed, no children", {}, false, false},
        {"listed, folder was empty", {}, true, true},
        {"only files: no rows, still a button", {KIND_FILE, KIND_FILE}, true, true},
        {"a subfolder", {KIND_FOLDER}, true, true},
        {"children kept after a failed listing", {KIND_FOLDER}, false, true},
    };
    for (const Case& c : cases) {
        PanesHarness h;
        RemoteTreeModel& model = h.tree->tree_model();
        auto tester = test::model_tester(model);
        DirEntry& site = h.add_site("Site", 21);
        model.reload();
        DirEntry& folder = add_entry(site, "folder", KIND_FOLDER);
        model.tree_children_changed(site);
        for (std::uint8_t kind : c.children)
            add_entry(folder, "child" + std::to_string(folder.children.size()), kind);
        folder.set_listed(c.listed);
        model.tree_children_changed(folder);
        EXPECT_EQ(model.hasChildren(model.index_of(&folder)), c.expandable) << c.what;
    }
}

TEST(RemoteTreeModel, OnlyFoldersLinksAndProfileNodesHaveRows)
{
    PanesHarness h;
    RemoteTreeModel& model = h.tree->tree_model();
    auto tester = test::model_tester(model);
    h.ctx().tree.push_back(make_profile_node("Page", KIND_URL_PROFILE));
    DirEntry& page = *h.ctx().tree.back();
    add_entry(page, "found.zip", KIND_WEB_LINK);
    h.ctx().tree.push_back(make_profile_node("Bookmark", KIND_WEB_LINK));
    model.reload();
    EXPECT_EQ(names_below(model), (std::vector<std::string>{"Page", "Bookmark"}))
        << "a web link of the profile tree is a profile node";
    EXPECT_EQ(model.rowCount(model.index_of(&page)), 0) << "links found on a page are rows of the list only";
    EXPECT_TRUE(model.hasChildren(model.index_of(&page)));
}

TEST(RemoteTreeWidget, MovingToANodeShowsItAndRemovalsDoNotMoveTheShellsSelection)
{
    PanesHarness h;
    RemoteTree& tree = *h.tree;
    RemoteTreeModel& model = tree.tree_model();
    DirEntry& one = h.add_site("One", 21);
    DirEntry& two = h.add_site("Two", 21);
    model.reload();
    DirEntry& folder = add_entry(two, "pub", KIND_FOLDER);
    add_entry(folder, "file.txt", KIND_FILE);
    model.tree_children_changed(two);

    tree.setCurrentIndex(model.index_of(&two));
    EXPECT_EQ(h.ctx().shown_folder, &two);
    EXPECT_EQ(h.ctx().selected, &two);
    EXPECT_EQ(h.list->list_model().folder(), &two) << "the list shows the node";

    QFocusEvent focus(QEvent::FocusIn);
    h.ctx().focus = FOCUS_LOCAL;
    QApplication::sendEvent(&tree, &focus);
    EXPECT_EQ(h.ctx().focus, FOCUS_TREE);

    QTest::keyClick(&tree, Qt::Key_Home);
    EXPECT_EQ(h.ctx().shown_folder, &one) << "keys move through the nodes as clicks do";
    // Enter on a folder that has children shows them.
    tree.show_node(&folder);
    EXPECT_EQ(h.ctx().shown_folder, &one) << "the program's own moves are not the user's";
    QTest::keyClick(&tree, Qt::Key_Return);
    EXPECT_EQ(h.ctx().shown_folder, &folder);

    // The shell selecting a node (a connect started elsewhere) shows it as a click does.
    tree.select(&one);
    EXPECT_EQ(h.ctx().shown_folder, &one);
    h.ctx().shown_folder = h.ctx().selected = &two; // the list went on without the tree
    tree.select(&one);
    EXPECT_EQ(h.ctx().shown_folder, &one) << "the current row is shown again";

    // The site's children go and come back: the row it stood on is current again and the shell was
    // not told of the rows the view passed over meanwhile.
    tree.show_node(&two);
    h.ctx().shown_folder = &two;
    h.ctx().selected = &two;
    h.view.tree_node_removing(two);
    two.children.clear();
    EXPECT_EQ(h.ctx().shown_folder, &two);
    EXPECT_EQ(h.ctx().selected, &two);
    h.view.tree_children_changed(two);
    EXPECT_EQ(tree.current_node(), &two);
}

// The view reads the expand button when it lays rows out: a listing that only sets the listed flag
// (an empty folder) must still bring the button.
TEST(RemoteTreeWidget, TheExpandButtonAppearsWhenAnEmptyFolderWasListed)
{
    PanesHarness h;
    RemoteTree& tree = *h.tree;
    DirEntry& site = h.add_site("Site", 21);
    tree.tree_model().reload();
    tree.resize(200, 100);
    tree.show();
    QApplication::processEvents();
    const QRect row = tree.visualRect(tree.tree_model().index_of(&site));
    const QRect branch(0, row.top(), row.left(), row.height());
    const QImage before = tree.viewport()->grab(branch).toImage();
    site.set_listed(true);
    h.view.tree_children_changed(site);
    QApplication::processEvents();
    EXPECT_NE(tree.viewport()->grab(branch).toImage(), before);
}

} // namespace
} // namespace kestovan
