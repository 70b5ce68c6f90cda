// What a drop means for each source and target: local rows, remote rows and desktop files onto
// rows of the local list, the remote list and the tree.
#include "profiles/site_profile.h"
#include "shell/pane_drop.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct Tree {
    DirEntry site;
    DirEntry* pub = nullptr;
    DirEntry* incoming = nullptr;
    DirEntry* file = nullptr;
    DirEntry url_profile;
    DirEntry other_site;
    DirEntry* other_folder = nullptr;
    DirEntry parent_row;
    SiteProfile profile;
    SiteProfile other_profile;

    static DirEntry* add(DirEntry& parent, std::uint8_t kind, const std::string& name)
    {
        auto e = std::make_unique<DirEntry>();
        e->kind = kind;
        e->name = name;
        e->path = parent.path.value_or("") + "/" + name;
        return &parent.add_child(std::move(e));
    }
    Tree()
    {
        site.kind = KIND_SITE;
        site.path = "/srv";
        site.session = &profile;
        pub = add(site, KIND_FOLDER, "pub");
        incoming = add(*pub, KIND_FOLDER, "incoming");
        file = add(*pub, KIND_FILE, "a.txt");
        url_profile.kind = KIND_URL_PROFILE;
        other_site.kind = KIND_SITE;
        other_site.session = &other_profile;
        other_folder = add(other_site, KIND_FOLDER, "x");
        parent_row.kind = KIND_PARENT;
    }
    DropContext context()
    {
        DropContext c;
        c.shown_folder = pub;
        c.local_folder = "/home/u";
        c.alive = [](const DirEntry* n) { return n != nullptr; };
        c.site_of = [](DirEntry* n) {
            while (n && n->kind != KIND_SITE)
                n = n->parent;
            return n;
        };
        return c;
    }
};

LocalEntry local_row(std::uint8_t kind, const std::string& path)
{
    LocalEntry e;
    e.kind = kind;
    e.path = path;
    e.name = path.substr(path.rfind('/') + 1);
    return e;
}

struct PaneDropTest : ::testing::Test {
    Tree tree;
    RemoteDrag drag;
    std::unique_ptr<QMimeData> local_data =
        local_drag_data({local_row(LOCAL_PARENT, "/home"), local_row(LOCAL_FILE, "/home/u/f.txt"),
                         local_row(LOCAL_FOLDER, "/home/u/d")});

    DropPlan drop(const QMimeData& data, DropPane pane, DirEntry* remote = nullptr,
                  const LocalEntry* local = nullptr)
    {
        return plan_drop(data, DropTarget{pane, local, remote}, tree.context(), drag);
    }
};

TEST_F(PaneDropTest, LocalRowsOnTheRemoteSideUploadIntoTheNode)
{
    ASSERT_TRUE(local_data);
    EXPECT_TRUE(local_data->hasUrls()) << "other programs get the files as text/uri-list";

    DropPlan p = drop(*local_data, DropPane::REMOTE_TREE, tree.incoming);
    EXPECT_EQ(p.kind, DropKind::UPLOAD);
    EXPECT_EQ(p.remote_target, tree.incoming);
    EXPECT_EQ(p.local_paths, (std::vector<std::string>{"/home/u/f.txt", "/home/u/d"}))
        << "'..' is not dragged";

    EXPECT_EQ(drop(*local_data, DropPane::REMOTE_LIST, nullptr).remote_target, tree.pub)
        << "the empty list area means the shown folder";
    EXPECT_EQ(drop(*local_data, DropPane::REMOTE_LIST, tree.file).remote_target, tree.pub);
    EXPECT_EQ(drop(*local_data, DropPane::REMOTE_LIST, &tree.parent_row).remote_target, &tree.site)
        << "'..' is the shown folder's parent";
    EXPECT_EQ(drop(*local_data, DropPane::REMOTE_TREE, &tree.url_profile).kind, DropKind::NONE);
    EXPECT_EQ(drop(*local_data, DropPane::REMOTE_TREE, nullptr).kind, DropKind::NONE);
}

TEST_F(PaneDropTest, LocalRowsOnLocalFoldersMoveThere)
{
    const LocalEntry docs = local_row(LOCAL_FOLDER, "/home/u/docs");
    DropPlan p = drop(*local_data, DropPane::LOCAL_LIST, nullptr, &docs);
    EXPECT_EQ(p.kind, DropKind::LOCAL_MOVE);
    EXPECT_EQ(p.target_path, "/home/u/docs");
    EXPECT_EQ(p.local_paths.size(), 2u);

    const LocalEntry up = local_row(LOCAL_PARENT, "/home");
    EXPECT_EQ(drop(*local_data, DropPane::LOCAL_LIST, nullptr, &up).kind, DropKind::LOCAL_MOVE);

    const LocalEntry self = local_row(LOCAL_FOLDER, "/home/u/d");
    DropPlan onto_self = drop(*local_data, DropPane::LOCAL_LIST, nullptr, &self);
    EXPECT_EQ(onto_self.local_paths, (std::vector<std::string>{"/home/u/f.txt"}))
        << "a folder is not moved into itself";

    const LocalEntry file = local_row(LOCAL_FILE, "/home/u/g.txt");
    EXPECT_EQ(drop(*local_data, DropPane::LOCAL_LIST, nullptr, &file).kind, DropKind::NONE);
    EXPECT_EQ(drop(*local_data, DropPane::LOCAL_LIST).kind, DropKind::NONE);
}

TEST_F(PaneDropTest, RemoteRowsDownloadOrMoveOnTheSameServer)
{
    std::unique_ptr<QMimeData> data = drag.start(&tree.site, {&tree.parent_row, tree.file});
    ASSERT_TRUE(data);

    const LocalEntry docs = local_row(LOCAL_FOLDER, "/home/u/docs");
    DropPlan p = drop(*data, DropPane::LOCAL_LIST, nullptr, &docs);
    EXPECT_EQ(p.kind, DropKind::DOWNLOAD);
    EXPECT_EQ(p.target_path, "/home/u/docs");
    EXPECT_EQ(p.remote_rows, (std::vector<DirEntry*>{tree.file}));
    EXPECT_EQ(p.session_node, &tree.site);
    EXPECT_EQ(drop(*data, DropPane::LOCAL_LIST).target_path, "/home/u") << "elsewhere: the current folder";

    DropPlan move = drop(*data, DropPane::REMOTE_LIST, tree.incoming);
    EXPECT_EQ(move.kind, DropKind::REMOTE_MOVE);
    EXPECT_EQ(move.target_path, "/srv/pub/incoming");
    EXPECT_EQ(drop(*data, DropPane::REMOTE_LIST, &tree.parent_row).target_path, "/srv");
    EXPECT_EQ(drop(*data, DropPane::REMOTE_TREE, tree.other_folder).kind, DropKind::NONE)
        << "another server's folder";
    EXPECT_EQ(drop(*data, DropPane::REMOTE_LIST, tree.file).kind, DropKind::NONE);

    std::unique_ptr<QMimeData> stale = std::move(data);
    (void)drag.start(&tree.site, {tree.incoming});
    EXPECT_EQ(drop(*stale, DropPane::LOCAL_LIST).kind, DropKind::NONE) << "data of an earlier drag";
}

TEST_F(PaneDropTest, ProfileNodesMoveOntoAProfileFolderOnly)
{
    DirEntry folder;
    folder.kind = KIND_PROFILE_FOLDER;
    folder.path = "/p/Work";
    tree.site.path = "/p/site.ftp";
    std::unique_ptr<QMimeData> data = drag.start(nullptr, {&tree.site});
    ASSERT_TRUE(data);
    DropPlan p = drop(*data, DropPane::REMOTE_TREE, &folder);
    EXPECT_EQ(p.kind, DropKind::PROFILE_MOVE);
    EXPECT_EQ(p.remote_target, &folder);
    EXPECT_EQ(drop(*data, DropPane::REMOTE_TREE, &tree.url_profile).kind, DropKind::NONE);
    EXPECT_EQ(drop(*data, DropPane::LOCAL_LIST).kind, DropKind::NONE);
}

TEST_F(PaneDropTest, DesktopFilesUploadIntoTheSelectedFolderOrTheShownOne)
{
    QMimeData desktop;
    desktop.setUrls({QUrl::fromLocalFile("/tmp/one.txt"), QUrl("https://example.invalid/x")});
    DropPlan p = drop(desktop, DropPane::LOCAL_LIST);
    EXPECT_EQ(p.kind, DropKind::DESKTOP_UPLOAD);
    EXPECT_EQ(p.remote_target, tree.pub);
    EXPECT_EQ(p.local_paths, (std::vector<std::string>{"/tmp/one.txt"})) << "only local files";

    DropContext c = tree.context();
    c.selected = tree.incoming;
    EXPECT_EQ(
        plan_drop(desktop, DropTarget{DropPane::REMOTE_LIST, nullptr, tree.file}, c, drag).remote_target,
        tree.incoming);
    c.shown_folder = &tree.url_profile;
    c.selected = nullptr;
    EXPECT_EQ(plan_drop(desktop, DropTarget{}, c, drag).kind, DropKind::NONE);
}

} // namespace
} // namespace kestovan
