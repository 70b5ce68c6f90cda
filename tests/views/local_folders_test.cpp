#include "views/local_fs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

class LocalFoldersTest : public ::testing::Test {
protected:
    std::string root() const { return dir.path().toStdString(); }
    std::string at(const std::string& name) const { return root() + "/" + name; }
    QTemporaryDir dir;
};

TEST(NumberedName, CounterGoesBeforeTheLastDotOrAtTheEnd)
{
    struct Row {
        std::string_view name;
        int n;
        std::string_view result;
    };
    const Row rows[] = {
        {"New Folder", 1, "New Folder(1)"},
        {"New Folder(1)", 2, "New Folder(2)"}, // the old counter is replaced, not stacked
        {"New Folder(12)", 3, "New Folder(3)"},
        {"data.old", 1, "data(1).old"},
        {"a.txt", 1, "a(1).txt"},
        {"a(4).txt", 5, "a(5).txt"},
        {"archive.tar.gz", 1, "archive.tar(1).gz"},
        {".cache", 1, ".cache(1)"}, // stays hidden
        {".config.d", 2, ".config(2).d"},
        {"x(y).txt", 1, "x(y)(1).txt"}, // not a counter
        {"a().txt", 1, "a()(1).txt"},
        {"(7) notes", 1, "(7) notes(1)"}, // a group elsewhere stays
        {"(7)", 8, "(8)"},
        {"", 1, "(1)"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(numbered_name(row.name, row.n), row.result) << row.name;
}

TEST_F(LocalFoldersTest, NewFolderTakesTheNextFreeName)
{
    const std::optional<LocalEntry> first = new_folder(root(), "New Folder");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "New Folder");
    EXPECT_EQ(first->kind, LOCAL_FOLDER);
    EXPECT_EQ(first->path, at("New Folder"));
    EXPECT_FALSE(first->date.empty());

    EXPECT_EQ(new_folder(root(), "New Folder")->name, "New Folder(1)");
    EXPECT_EQ(new_folder(root(), "New Folder")->name, "New Folder(2)");
    // A file takes a name as much as a folder does, and so does a dangling link.
    std::ofstream(at("New Folder(3)")) << "x";
    std::filesystem::create_symlink(at("nowhere"), at("New Folder(4)"));
    EXPECT_EQ(new_folder(root(), "New Folder")->name, "New Folder(5)");
    EXPECT_TRUE(is_folder(at("New Folder(5)")));

    std::filesystem::create_directory(at("data.old"));
    EXPECT_EQ(free_folder_name(root(), "data.old"), "data(1).old");
    EXPECT_EQ(free_folder_name(root(), "fresh"), "fresh");
}

TEST_F(LocalFoldersTest, CreateFolderMakesEveryMissingFolderOnThePath)
{
    const std::optional<LocalEntry> nested = create_folder(root(), "a/b/c");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->name, "a/b/c");
    EXPECT_EQ(nested->path, at("a/b/c"));
    EXPECT_TRUE(is_folder(at("a/b/c")));

    // Everything already there: no row, no complaint.
    EXPECT_FALSE(create_folder(root(), "a/b/c"));
    EXPECT_FALSE(create_folder(root(), "a/b/"));

    const std::optional<LocalEntry> sibling = create_folder(root(), "a/b/../d/");
    ASSERT_TRUE(sibling);
    EXPECT_EQ(sibling->path, at("a/d"));
    EXPECT_TRUE(is_folder(at("a/d")));

    const std::optional<LocalEntry> absolute = create_folder("/nonexistent-current", at("abs/x"));
    ASSERT_TRUE(absolute);
    EXPECT_EQ(absolute->path, at("abs/x"));

    EXPECT_FALSE(create_folder(root(), ""));
}

TEST_F(LocalFoldersTest, AFileInTheWayStopsTheWalk)
{
    std::ofstream(at("f")) << "x";
    EXPECT_FALSE(create_folder(root(), "f/x/y"));
    EXPECT_FALSE(create_folder(root(), "f"));
    EXPECT_FALSE(std::filesystem::exists(at("f/x")));
    EXPECT_FALSE(is_folder(at("f")));
}

} // namespace
} // namespace kestovan
