// The Move File dialog's logic: where a typed folder puts a local item or a remote entry.
#include "shell/move_file.h"
#include "shell/shell_harness.h"
#include "support/pyftpdlib_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

TEST(RemoteMoveTarget, RelativeToTheShownFolderUnlessAbsolute)
{
    EXPECT_EQ(remote_move_target("/pub", "old", "a.txt"), "/pub/old/a.txt");
    EXPECT_EQ(remote_move_target("/pub", "/archive/", "a.txt"), "/archive/a.txt");
    EXPECT_EQ(remote_move_target("/pub", "/", "a.txt"), "/a.txt");
    EXPECT_EQ(remote_move_target("/pub", "", "a.txt"), "/pub/a.txt");
}

TEST(MoveLocal, MovesIntoATypedSubfolderAndNeverReplaces)
{
    test::ShellHarness h;
    const fs::path folder = h.ctx().local_folder;
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "a.txt") << "mine";
    std::ofstream(folder / "b.txt") << "first";
    std::ofstream(folder / "sub" / "b.txt") << "already there";

    h.prompts.texts = {std::string("sub"), std::string("sub")};
    EXPECT_TRUE(h.shell->move_file().move_local((folder / "a.txt").string()));
    EXPECT_TRUE(fs::exists(folder / "sub" / "a.txt"));
    EXPECT_FALSE(fs::exists(folder / "a.txt"));

    // Something is there already: an error, and both files stay as they were.
    EXPECT_FALSE(h.shell->move_file().move_local((folder / "b.txt").string()));
    EXPECT_TRUE(fs::exists(folder / "b.txt"));
    std::ifstream kept(folder / "sub" / "b.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "already there");
    ASSERT_FALSE(h.prompts.asked.empty());
    EXPECT_NE(h.prompts.asked.back().text.find("Error moving file"), std::string::npos);
    EXPECT_EQ(h.prompts.asked.back().caption, "Error");

    // Cancel moves nothing.
    EXPECT_FALSE(h.shell->move_file().move_local((folder / "b.txt").string()));
    EXPECT_TRUE(fs::exists(folder / "b.txt"));
}

TEST(MoveRemote, RenamesIntoTheTypedFolderOnTheServer)
{
    test::PyftpdlibServer server;
    server.make_file("pub/old/keep.txt", "kept");
    server.make_file("pub/a.txt", "remote");
    test::ShellHarness h;
    DirEntry& site = h.add_site("Site", server.port(), server.user(), server.password());
    h.shell->sessions().connect(&site, false);
    ASSERT_TRUE(h.wait([&] { return site.children.size() == 1; })) << server.log();
    DirEntry& pub = *site.children[0];
    h.shell->browser().select_node(&pub);
    h.shell->browser().open_row(&pub);
    ASSERT_TRUE(h.wait([&] { return pub.children.size() == 2; })) << server.log();
    DirEntry* file = nullptr;
    for (auto& child : pub.children)
        if (child->name == "a.txt")
            file = child.get();
    ASSERT_NE(file, nullptr);
    DirEntry* old = nullptr;
    for (auto& child : pub.children)
        if (child->name == "old")
            old = child.get();
    ASSERT_NE(old, nullptr);
    h.shell->browser().open_row(old); // listed (empty) before the move
    ASSERT_TRUE(h.wait([&] { return old->listed(); })) << server.log();
    h.shell->browser().select_node(&pub);
    h.prompts.texts = {std::string("old")};
    ASSERT_TRUE(h.shell->move_file().move_remote(*file));
    ASSERT_TRUE(h.wait([&] { return fs::exists(server.path("pub/old/a.txt")); })) << server.log();
    EXPECT_FALSE(fs::exists(server.path("pub/a.txt")));
    // Both listings follow: no ghost row left behind, the moved file under its new folder.
    auto names = [](const DirEntry& folder) {
        std::vector<std::string> out;
        for (const auto& child : folder.children)
            out.push_back(child->name);
        return out;
    };
    ASSERT_TRUE(h.wait([&] { return names(pub) == std::vector<std::string>{"old"}; })) << server.log();
    ASSERT_TRUE(h.wait([&] {
        return names(*old) == std::vector<std::string>{"keep.txt", "a.txt"};
    })) << server.log();
}

} // namespace
} // namespace kestovan
