// Deleting profiles from the main window's tree: the file goes, the node goes, and a profile with a
// session is kept.
#include "profiles/profile_folder.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "shell/profile_nodes.h"
#include "shell/shell_harness.h"
#include "support/pyftpdlib_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

TEST(ProfileNodes, DeleteRemovesFileAndNodeAfterConfirmation)
{
    test::ShellHarness h;
    const fs::path profiles = fs::path(h.ctx().local_folder) / "Profiles";
    fs::create_directories(profiles / "Work");
    std::ofstream(profiles / "Work" / "a.ftp") << "SERVER=a.test\n";
    std::ofstream(profiles / "b.ftp") << "SERVER=b.test\n";
    h.ctx().tree = load_profile_folder(profiles);
    ASSERT_EQ(h.ctx().tree.size(), 2u);
    DirEntry* folder = nullptr;
    DirEntry* b = nullptr;
    for (auto& node : h.ctx().tree)
        (node->kind == KIND_PROFILE_FOLDER ? folder : b) = node.get();
    ASSERT_TRUE(folder && b);
    h.ctx().selected = folder->children.front().get();

    // No keeps it; Yes deletes the folder with the profile inside.
    h.prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
    h.shell->transfers().delete_entries(nullptr, {folder});
    EXPECT_TRUE(fs::exists(profiles / "Work" / "a.ftp"));
    h.shell->transfers().delete_entries(nullptr, {folder});
    EXPECT_FALSE(fs::exists(profiles / "Work"));
    ASSERT_EQ(h.ctx().tree.size(), 1u);
    EXPECT_EQ(h.ctx().tree.front().get(), b);
    EXPECT_EQ(h.ctx().selected, nullptr) << "nothing may point into the deleted branch";
}

TEST(ProfileNodes, AProfileWithASessionIsKept)
{
    test::PyftpdlibServer server;
    test::ShellHarness h;
    DirEntry& site = h.add_site("Busy", server.port(), server.user(), server.password());
    h.shell->sessions().connect(&site, false);
    ASSERT_TRUE(h.wait([&] { return site.find_session()->sessions != nullptr; }));
    EXPECT_FALSE(remove_profile_node(h.ctx(), site));
    ASSERT_EQ(h.ctx().tree.size(), 1u);
    ASSERT_FALSE(h.prompts.asked.empty());
    EXPECT_NE(h.prompts.asked.back().text.find("has an open session"), std::string::npos);
}

TEST(ProfileNodes, RefreshFollowsTheFolderAndKeepsTheNodesThatStay)
{
    test::ShellHarness h;
    const fs::path profiles = fs::path(h.ctx().local_folder) / "Profiles";
    fs::create_directories(profiles / "Work");
    std::ofstream(profiles / "Work" / "a.ftp") << "SERVER=old.test\n";
    std::ofstream(profiles / "b.ftp") << "SERVER=b.test\n";
    h.ctx().tree = load_profile_folder(profiles);
    DirEntry* work = nullptr;
    DirEntry* b = nullptr;
    for (auto& node : h.ctx().tree)
        (node->kind == KIND_PROFILE_FOLDER ? work : b) = node.get();
    ASSERT_TRUE(work && b && work->children.size() == 1);
    DirEntry* a = work->children.front().get();
    SiteProfile* a_profile = a->session;
    h.ctx().selected = b;

    // Edited, deleted and added in the profile manager.
    std::ofstream(profiles / "Work" / "a.ftp", std::ios::trunc) << "SERVER=new.test\n";
    fs::remove(profiles / "b.ftp");
    std::ofstream(profiles / "Work" / "c.ftp") << "SERVER=c.test\n";
    refresh_profile_tree(h.ctx(), load_profile_folder(profiles));

    ASSERT_EQ(h.ctx().tree.size(), 1u);
    EXPECT_EQ(h.ctx().tree.front().get(), work);
    EXPECT_EQ(h.ctx().selected, nullptr);
    ASSERT_EQ(work->children.size(), 2u);
    EXPECT_EQ(work->children[0].get(), a) << "a node that stays is the same node";
    EXPECT_EQ(a->session, a_profile) << "and keeps its profile record";
    EXPECT_EQ(a->session->server, "new.test");
    EXPECT_EQ(work->children[1]->session->server, "c.test");
}

} // namespace
} // namespace kestovan
