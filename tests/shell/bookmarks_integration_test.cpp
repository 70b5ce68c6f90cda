// Opening a remote bookmark: a temporary node connects, lists the bookmarked folder and leaves the
// tree when its session ends.
#include "shell/bookmarks.h"
#include "shell/shell_harness.h"
#include "support/vsftpd_server.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(BookmarkSessions, ARemoteBookmarkConnectsListsItsFolderAndGoesWithItsSession)
{
    test::VsftpdServer server;
    server.make_file("pub/inner.txt", "inside");
    server.make_file("outer.txt", "outside");
    test::ShellHarness h;
    TaskList list;
    Bookmarks bookmarks(h.ctx(), h.shell->sessions(), h.shell->browser(), list);
    auto bookmark = std::make_unique<Task>();
    bookmark->name = "Site (/pub)";
    bookmark->kind = KIND_FOLDER;
    bookmark->profile = std::make_unique<SiteProfile>();
    bookmark->profile->name = "Site (/pub)";
    bookmark->profile->server = "127.0.0.1";
    bookmark->profile->port = std::to_string(server.port());
    bookmark->profile->username = server.user();
    bookmark->profile->password = server.password();
    bookmark->profile->remote_folder = "/pub";
    bookmark->profile->passive = 1;
    bookmark->profile->encryption = ENCRYPTION_PLAIN; // the test server speaks no TLS
    list.push_back(std::move(bookmark));
    bookmarks.rebuild_bookmarks_menu();

    bookmarks.open_bookmark(BOOKMARK_FIRST_ID);
    ASSERT_EQ(h.ctx().tree.size(), 1u);
    DirEntry* node = h.ctx().tree.back().get();
    EXPECT_EQ(node->name, "Bookmark: Site (/pub)");
    ASSERT_TRUE(node->find_session());
    EXPECT_TRUE(node->find_session()->temporary);
    EXPECT_NE(node->find_session(), list.front()->profile.get()) << "the session works on a copy";
    EXPECT_EQ(h.ctx().selected, node);
    auto listed = [&](const std::string& name) {
        return std::any_of(node->children.begin(), node->children.end(),
                           [&](const auto& child) { return child->name == name; });
    };
    ASSERT_TRUE(h.wait([&] { return listed("inner.txt"); }, 10000)) << server.log();
    EXPECT_FALSE(listed("outer.txt"));
    EXPECT_EQ(node->site_folder, "/pub");
    EXPECT_EQ(node->children.front()->path, "/pub/inner.txt") << "rows know where they are";

    h.shell->sessions().disconnect(node);
    ASSERT_TRUE(h.wait([&] { return h.ctx().tree.empty(); })) << "the temporary node leaves the tree";
    EXPECT_EQ(h.ctx().selected, nullptr);
    ASSERT_EQ(list.size(), 1u) << "the bookmark itself stays";
}

} // namespace
} // namespace kestovan
