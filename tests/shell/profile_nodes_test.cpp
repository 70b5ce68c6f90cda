// Deleting profiles from the main window's tree: the file goes, the node goes, and a profile with a
// session is kept.
#include "profiles/profile_folder.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "profiles/state_text.h"
#include "shell/profile_nodes.h"
#include "shell/shell_harness.h"
#include "support/pyftpdlib_server.h"
#include "support/test_files.h"

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

TEST(RecentProfiles, AnEntryOpensTheProfileOfItsFileNotTheFirstOfItsName)
{
    test::ShellHarness h;
    const fs::path profiles = fs::path(h.ctx().local_folder) / "Profiles";
    fs::create_directories(profiles / "Home");
    fs::create_directories(profiles / "Work");
    std::ofstream(profiles / "Home" / "Server.ftp") << "SERVER=home.test\n";
    std::ofstream(profiles / "Work" / "Server.ftp") << "SERVER=work.test\n";
    h.ctx().tree = load_profile_folder(profiles);
    const std::string work = (profiles / "Work" / "Server.ftp").string();
    DirEntry* node = recent_profile_node(h.ctx(), "Server:" + work);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->session->server, "work.test");

    // A file outside the tree is read into a node of its own; one that is gone changes nothing.
    const fs::path outside = fs::path(h.ctx().local_folder) / "elsewhere.ftp";
    std::ofstream(outside) << "SERVER=outside.test\n";
    const std::size_t before = h.ctx().tree.size();
    DirEntry* loaded = recent_profile_node(h.ctx(), "elsewhere:" + outside.string());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->name, "elsewhere");
    EXPECT_EQ(loaded->session->server, "outside.test");
    EXPECT_EQ(h.ctx().tree.size(), before + 1);
    EXPECT_EQ(recent_profile_node(h.ctx(), "elsewhere:" + outside.string()), loaded) << "read once";
    EXPECT_EQ(recent_profile_node(h.ctx(), "gone:/nowhere/gone.ftp"), nullptr);
    EXPECT_EQ(h.ctx().tree.size(), before + 1);
    ASSERT_FALSE(h.prompts.asked.empty());
    EXPECT_EQ(h.prompts.asked.back().text, "The profile file '/nowhere/gone.ftp' no longer exists.");
}

TEST(ProfileNodes, APastedProfileIsANewEntryWithTheCopiedSettingsAndADraggedOneMovesWithItsFile)
{
    test::ShellHarness h;
    h.ctx().working_folder = h.ctx().local_folder;
    const fs::path profiles = fs::path(h.ctx().local_folder) / "Profiles";
    fs::create_directories(profiles / "Work");
    std::ofstream(profiles / "a.ftp") << "SERVER=a.test\nUSERNAME=alice\n";
    std::ofstream(profiles / "b.ftp") << "SERVER=b.test\n";
    std::ofstream(profiles / "Work" / "b.ftp") << "SERVER=other.test\n";
    h.ctx().tree = load_profile_folder(profiles);
    DirEntry* work = nullptr;
    for (auto& node : h.ctx().tree)
        if (node->kind == KIND_PROFILE_FOLDER)
            work = node.get();
    DirEntry* a = find_profile_by_file(h.ctx().tree, (profiles / "a.ftp").string());
    DirEntry* b = find_profile_by_file(h.ctx().tree, (profiles / "b.ftp").string());
    ASSERT_TRUE(work && a && b);

    // Paste into the shown folder, twice: two new files, neither replacing the other.
    PaneClipboards clips;
    clips.copy_remote(nullptr, {a});
    h.ctx().shown_folder = work;
    paste_profile_nodes(h.ctx(), clips.remote());
    paste_profile_nodes(h.ctx(), clips.remote());
    ASSERT_EQ(work->children.size(), 3u);
    for (const auto& pasted : {work->children[1].get(), work->children[2].get()}) {
        EXPECT_EQ(pasted->session->server, "a.test");
        ASSERT_TRUE(pasted->path);
        const std::string text = read_state_file(*pasted->path).value_or("");
        EXPECT_NE(text.find("SERVER=a.test"), std::string::npos) << text;
        EXPECT_NE(text.find("USERNAME=alice"), std::string::npos)
            << "the copy is on disk with the copied settings";
    }
    EXPECT_NE(work->children[1]->path, work->children[2]->path);

    // A dragged profile moves with its file; one whose name is taken stays where it is.
    EXPECT_FALSE(can_move_profile_nodes({work}, *work)) << "a folder does not go into itself";
    move_profile_nodes(h.ctx(), {a, b}, *work);
    EXPECT_EQ(a->parent, work);
    EXPECT_TRUE(fs::exists(profiles / "Work" / "a.ftp"));
    EXPECT_FALSE(fs::exists(profiles / "a.ftp"));
    EXPECT_EQ(a->session->file_path, (profiles / "Work" / "a.ftp").string());
    EXPECT_EQ(b->parent, nullptr) << "b.ftp exists in Work already";
    EXPECT_TRUE(fs::exists(profiles / "b.ftp"));
    EXPECT_EQ(test::read_file((profiles / "Work" / "b.ftp").string()), "SERVER=other.test\n");
}

} // namespace
} // namespace kestovan
