#include "profiles/private_files.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

class PrivateFilesTest : public ::testing::Test {
protected:
    std::size_t entries() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(root), fs::directory_iterator()));
    }

    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
};

TEST_F(PrivateFilesTest, ReplacesTheFileWithAPrivateOne)
{
    const fs::path file = root / "state";
    test::write_file(file.string(), "old");
    ::chmod(file.c_str(), 0644);
    ASSERT_TRUE(write_file_atomically(file, "new"));
    EXPECT_EQ(test::read_file(file.string()), "new");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(entries(), 1u); // no temporary file left
}

TEST_F(PrivateFilesTest, AnInterruptedWriteLeavesTheOldFile)
{
    const fs::path file = root / "state";
    test::write_file(file.string(), "old");
    fs::path seen;
    AtomicWriteHooks hooks;
    hooks.after_temp_written = [&](const fs::path& temp) {
        seen = temp;
        EXPECT_EQ(temp.parent_path(), root); // beside the file, so the rename cannot cross file systems
        EXPECT_EQ(test::read_file(temp.string()), "new");
        return false;
    };
    EXPECT_FALSE(write_file_atomically(file, "new", hooks));
    EXPECT_EQ(test::read_file(file.string()), "old");
    EXPECT_FALSE(seen.empty());
    EXPECT_FALSE(fs::exists(seen));
    EXPECT_FALSE(write_file_atomically(root / "no" / "such" / "folder", "x"));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(PrivateFilesTest, LeftoversOfAKilledWriteAreRemovedOnceOld)
{
    struct Leftover {
        const char* name;
        bool old;
        bool removed;
    };
    const Leftover leftovers[] = {
        {".config.ini.writing-a1B2c3", true, true},
        {".config.ini.writing-d4E5f6", false, false}, // fresh: may be another writer's
        {".config.ini.writing-toolong", true, false},
        {".config.ini.backup", true, false}, // the user's own
        {".other.ini.writing-a1B2c3", true, false},
        {"config.ini.writing-a1B2c3", true, false},
    };
    const auto hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const Leftover& leftover : leftovers) {
        test::write_file((root / leftover.name).string(), "partial");
        if (leftover.old)
            fs::last_write_time(root / leftover.name, hour_ago);
    }
    ASSERT_TRUE(write_file_atomically(root / "config.ini", "new"));
    for (const Leftover& leftover : leftovers)
        EXPECT_EQ(fs::exists(root / leftover.name), !leftover.removed) << leftover.name;
}

TEST_F(PrivateFilesTest, CreateNeverReplaces)
{
    const fs::path file = root / "ftp.sav";
    EXPECT_TRUE(create_private_file(file, "first"));
    EXPECT_FALSE(create_private_file(file, "second"));
    EXPECT_EQ(test::read_file(file.string()), "first");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(PrivateFilesTest, FoldersArePrivate)
{
    ASSERT_TRUE(make_private_folders(root / "a" / "b"));
    for (const fs::path& folder : {root / "a", root / "a" / "b"}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    EXPECT_TRUE(make_private_folders(root / "a" / "b")); // existing folders are fine
    test::write_file((root / "f").string(), "");
    EXPECT_FALSE(make_private_folders(root / "f"));
    EXPECT_FALSE(make_private_folders(root / "f" / "g"));
}

} // namespace
} // namespace kestovan
