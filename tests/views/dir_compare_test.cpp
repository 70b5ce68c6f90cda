// Directory compare on the rows of both lists: which rows each pass selects, by name and size text.
#include "views/dir_compare.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestovan {
namespace {

struct Remote {
    std::vector<std::unique_ptr<DirEntry>> owned;
    DirEntry* add(const std::string& name, std::uint8_t kind, std::optional<std::string> size)
    {
        auto entry = std::make_unique<DirEntry>();
        entry->name = name;
        entry->kind = kind;
        entry->size = std::move(size);
        owned.push_back(std::move(entry));
        return owned.back().get();
    }
};

LocalEntry local(const std::string& name, std::uint8_t kind, const std::string& size)
{
    return LocalEntry{name, kind, "", size, "/l/" + name, 0};
}

TEST(DirCompare, EachPassSelectsWhatTheOtherSideLacksOrHoldsWithAnotherSize)
{
    Remote r;
    DirEntry* parent = r.add("..", KIND_PARENT, std::nullopt);
    DirEntry* same = r.add("same.txt", KIND_FILE, "10");
    DirEntry* bigger = r.add("bigger.txt", KIND_FILE, "11");
    DirEntry* only_remote = r.add("remote.txt", KIND_FILE, "1");
    DirEntry* folder = r.add("docs", KIND_FOLDER, std::nullopt);
    DirEntry* site = r.add("a site", KIND_SITE, std::nullopt);
    DirEntry* hidden = r.add("hidden.log", KIND_FILE, "5"); // the remote filter keeps it off the list
    const std::vector<const DirEntry*> rows = {parent, same, bigger, only_remote, folder, site};
    const std::vector<const DirEntry*> children = {same, bigger, only_remote, folder, hidden};
    const std::vector<LocalEntry> locals = {
        local("..", LOCAL_PARENT, "0"),       local("same.txt", LOCAL_FILE, "10"),
        local("bigger.txt", LOCAL_FILE, "9"), local("docs", LOCAL_FOLDER, "0"),
        local("mine", LOCAL_FOLDER, "0"),     local("hidden.log", LOCAL_FILE, "5"),
    };

    const CompareResult result = compare_directories(rows, children, locals, false);
    // ".." (no local twin here would not matter) and the site row are never selected.
    EXPECT_EQ(result.remote_selected, (std::vector<bool>{false, false, true, true, false, false}));
    EXPECT_EQ(result.remote_count, 2);
    // A folder only here is selected, one that exists there is not; a row hidden by the remote filter
    // still counts as present.
    EXPECT_EQ(result.local_selected, (std::vector<bool>{false, false, true, false, true, false}));
    EXPECT_EQ(result.local_count, 2);
}

TEST(DirCompare, TheCaseSettingActsOnTheRemotePassOnly)
{
    struct Case {
        bool ignore_case;
        bool remote_selected;
    };
    for (const Case& c : {Case{false, true}, Case{true, false}}) {
        Remote r;
        DirEntry* readme = r.add("Readme.TXT", KIND_FILE, "42");
        const CompareResult result =
            compare_directories({readme}, {readme}, {local("readme.txt", LOCAL_FILE, "42")}, c.ignore_case);
        EXPECT_EQ(result.remote_selected, std::vector<bool>{c.remote_selected}) << c.ignore_case;
        EXPECT_EQ(result.local_selected, std::vector<bool>{false}) << "the local pass always ignores case";
    }
}

TEST(DirCompare, DriveRootParentRowsAndEmptyFolders)
{
    Remote r;
    DirEntry* parent = r.add("..", KIND_PARENT, std::nullopt);
    const CompareResult root =
        compare_directories({parent}, {}, {local("..", LOCAL_VOLUME_LIST, "0")}, false);
    EXPECT_EQ(root.remote_count + root.local_count, 0);
    const CompareResult empty = compare_directories({}, {}, {}, false);
    EXPECT_EQ(empty.remote_count + empty.local_count, 0);
    EXPECT_TRUE(empty.remote_selected.empty() && empty.local_selected.empty());
}

} // namespace
} // namespace kestovan
