// Bookmarks: what Add to Bookmarks records for each kind of selection, the menu ids by position, and
// opening local and profile-folder bookmarks.
#include "profiles/profile_tree.h"
#include "shell/bookmarks.h"
#include "shell/shell_harness.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

struct BookmarkHarness {
    BookmarkHarness()
    {
        site = &h.add_site("Site", 2121);
        site->find_session()->remote_folder = "/start";
        folder = &add(*site, KIND_FOLDER, "pub", "/pub");
        file = &add(*folder, KIND_FILE, "notes.txt", "/pub/notes.txt");
        bookmarks.menu_changed = [this] { ++menus; };
    }
    DirEntry& add(DirEntry& parent, std::uint8_t kind, const std::string& name, const std::string& path)
    {
        auto entry = std::make_unique<DirEntry>();
        entry->kind = kind;
        entry->name = name;
        entry->path = path;
        entry->session = site->find_session();
        return parent.add_child(std::move(entry));
    }
    std::vector<std::int32_t> ids() const
    {
        std::vector<std::int32_t> out;
        for (const auto& b : list)
            out.push_back(b->identifier);
        return out;
    }

    test::ShellHarness h;
    TaskList list;
    Bookmarks bookmarks{h.ctx(), h.shell->sessions(), h.shell->browser(), list};
    DirEntry* site = nullptr;
    DirEntry* folder = nullptr;
    DirEntry* file = nullptr;
    int menus = 0;
};

TEST(Bookmarks, RemoteSelectionsAreNamedByProfileAndPathAndStartThere)
{
    struct Row {
        DirEntry* BookmarkHarness::*selected;
        std::string name;
        std::string start_folder;
    };
    for (const Row& row : {Row{&BookmarkHarness::file, "Site (/pub/notes.txt)", "/pub"},
                           Row{&BookmarkHarness::folder, "Site (/pub)", "/pub"},
                           Row{&BookmarkHarness::site, "Site", "/start"}}) {
        BookmarkHarness b;
        b.h.ctx().focus = FOCUS_REMOTE;
        b.h.ctx().selected = b.*row.selected;
        b.h.ctx().current_session_node = b.folder;
        ASSERT_TRUE(b.bookmarks.add_bookmark(std::nullopt)) << row.name;
        ASSERT_EQ(b.list.size(), 1u);
        const Task& bookmark = *b.list.front();
        EXPECT_EQ(bookmark.name, row.name);
        EXPECT_EQ(bookmark.kind, (b.*row.selected)->kind);
        ASSERT_TRUE(bookmark.profile);
        EXPECT_EQ(bookmark.profile->name, row.name);
        EXPECT_EQ(bookmark.profile->remote_folder, row.start_folder) << row.name;
        EXPECT_EQ(bookmark.profile->sessions, nullptr);
        EXPECT_EQ(bookmark.identifier, BOOKMARK_FIRST_ID);
        EXPECT_EQ(b.menus, 1) << "the menu is rebuilt after an add";
    }
}

TEST(Bookmarks, DeletingTheMiddleOfThreeKeepsTheIdsUntilTheMenuIsRebuilt)
{
    BookmarkHarness b;
    b.h.ctx().focus = FOCUS_LOCAL;
    const std::string local = b.h.ctx().local_folder;
    test::write_file(local + "/a.txt", "a");
    std::filesystem::create_directory(local + "/docs");
    for (const std::string name : {"a.txt", "docs", "b.txt"})
        ASSERT_TRUE(b.bookmarks.add_bookmark(local + "/" + name));
    EXPECT_EQ(b.ids(), (std::vector<std::int32_t>{10000, 10001, 10002}));
    EXPECT_EQ(b.list[0]->kind, KIND_LOCAL_FILE);
    EXPECT_EQ(b.list[1]->kind, KIND_LOCAL_FOLDER);
    EXPECT_EQ(b.list[1]->name, local + "/docs");

    b.bookmarks.delete_bookmark(10001);
    EXPECT_EQ(b.ids(), (std::vector<std::int32_t>{10000, 10002}));
    EXPECT_EQ(b.bookmarks.find(10001), nullptr);
    EXPECT_EQ(b.bookmarks.find(10002)->name, local + "/b.txt");
    b.bookmarks.rebuild_bookmarks_menu();
    EXPECT_EQ(b.ids(), (std::vector<std::int32_t>{10000, 10001}));
    EXPECT_EQ(b.bookmarks.find(10001)->name, local + "/b.txt");
}

TEST(Bookmarks, OpeningLocalAndProfileFolderBookmarksShowsThemWithoutConnecting)
{
    BookmarkHarness b;
    auto group = make_profile_node("Work", KIND_PROFILE_FOLDER);
    DirEntry* work = group.get();
    b.h.ctx().tree.push_back(std::move(group));
    auto local = std::make_unique<Task>();
    local->name = "/home/me/docs/plan.txt";
    local->kind = KIND_LOCAL_FILE;
    auto profiles = std::make_unique<Task>();
    profiles->name = "Work";
    profiles->kind = KIND_PROFILE_FOLDER;
    b.list.push_back(std::move(local));
    b.list.push_back(std::move(profiles));
    b.bookmarks.rebuild_bookmarks_menu();
    std::vector<std::pair<std::string, std::string>> shown;
    b.bookmarks.show_local = [&](const std::string& folder, const std::string& path) {
        shown.emplace_back(folder, path);
    };

    b.bookmarks.open_bookmark(10000);
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, std::string>>{
                         {"/home/me/docs", "/home/me/docs/plan.txt"}}));
    b.bookmarks.open_bookmark(10001);
    EXPECT_EQ(b.h.ctx().selected, work);
    EXPECT_EQ(b.h.engine.connection_count(), 0u);
    EXPECT_EQ(b.h.ctx().tree.size(), 2u) << "no node is made for them";
}

} // namespace
} // namespace kestovan
