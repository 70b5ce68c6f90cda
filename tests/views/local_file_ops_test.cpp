#include "support/test_files.h"
#include "views/local_fs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace kestovan {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

class LocalFileOpsTest : public ::testing::Test {
protected:
    std::string root() const { return dir.path().toStdString(); }
    std::string at(const std::string& name) const { return root() + "/" + name; }
    std::size_t entries_in(const std::string& folder) const
    {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& item : fs::directory_iterator(folder))
            ++n;
        return n;
    }
    QTemporaryDir dir;
};

TEST_F(LocalFileOpsTest, RenameNeverReplacesAnExistingFile)
{
    write_file(at("a"), "A");
    write_file(at("b"), "B");
    EXPECT_FALSE(rename_path(at("a"), at("b")));
    EXPECT_EQ(read_file(at("a")), "A");
    EXPECT_EQ(read_file(at("b")), "B");
    EXPECT_TRUE(rename_path(at("a"), at("c")));
    EXPECT_EQ(read_file(at("c")), "A");
    EXPECT_FALSE(fs::exists(at("a")));
    EXPECT_FALSE(rename_path(at("missing"), at("d")));
    fs::create_directory(at("folder"));
    EXPECT_TRUE(rename_path(at("folder"), at("renamed folder")));
    EXPECT_TRUE(is_folder(at("renamed folder")));
}

TEST_F(LocalFileOpsTest, CopyReplacesTheTargetWithAFullCopy)
{
    test::write_random_file(at("src.bin"), 300000, 7);
    ::chmod(at("src.bin").c_str(), 0640);
    const fs::file_time_type old_time = fs::file_time_type::clock::now() - std::chrono::hours(1000);
    fs::last_write_time(at("src.bin"), old_time);
    write_file(at("dst.bin"), "old content");

    ASSERT_TRUE(copy_file(at("src.bin"), at("dst.bin")));
    EXPECT_EQ(test::sha256_file(at("dst.bin")), test::sha256_file(at("src.bin")));
    EXPECT_EQ(fs::last_write_time(at("dst.bin")), old_time);
    EXPECT_EQ(fs::status(at("dst.bin")).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(entries_in(root()), 2u); // no partial copy left beside it

    ASSERT_TRUE(copy_file(at("src.bin"), at("new.bin")));
    EXPECT_EQ(file_size(at("new.bin")), 300000);
}

TEST_F(LocalFileOpsTest, FailedCopiesLeaveEverythingAsItWas)
{
    write_file(at("keep"), "precious");
    EXPECT_FALSE(copy_file(at("keep"), at("keep")));   // onto itself
    EXPECT_FALSE(copy_file(at("keep"), at("./keep"))); // the same file by another name
    EXPECT_EQ(read_file(at("keep")), "precious");
    EXPECT_FALSE(copy_file(at("missing"), at("keep")));
    EXPECT_EQ(read_file(at("keep")), "precious");
    fs::create_directory(at("folder"));
    EXPECT_FALSE(copy_file(at("folder"), at("copy"))); // folders are not copied
    EXPECT_FALSE(copy_file(at("keep"), at("folder"))); // nor replaced by a file
    EXPECT_FALSE(copy_file(at("keep"), at("no/such/dir/x")));
    EXPECT_EQ(entries_in(root()), 2u);
}

TEST_F(LocalFileOpsTest, MoveRefusesToReplaceAndMovesFolders)
{
    write_file(at("a.txt"), "A");
    fs::create_directory(at("into"));
    EXPECT_TRUE(move_file(at("a.txt"), at("into/a.txt")));
    EXPECT_EQ(read_file(at("into/a.txt")), "A");
    write_file(at("a.txt"), "second");
    EXPECT_FALSE(move_file(at("a.txt"), at("into/a.txt")));
    EXPECT_EQ(read_file(at("into/a.txt")), "A");
    EXPECT_EQ(read_file(at("a.txt")), "second");
    EXPECT_TRUE(move_file(at("into"), at("moved")));
    EXPECT_EQ(read_file(at("moved/a.txt")), "A");
    EXPECT_FALSE(move_file(at("missing"), at("x")));
}

TEST_F(LocalFileOpsTest, MoveAcrossFileSystemsCopiesThenRemoves)
{
    struct stat here {
    }, shm{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(root().c_str(), &here) != 0 || shm.st_dev == here.st_dev)
        GTEST_SKIP() << "needs /dev/shm on a file system of its own";
    QTemporaryDir other(QStringLiteral("/dev/shm/kestovan-move-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    const std::string tree = other.filePath("tree").toStdString();
    fs::create_directories(tree + "/sub");
    write_file(tree + "/sub/f.txt", "deep");
    fs::create_symlink("sub/f.txt", tree + "/link");
    const fs::file_time_type time = fs::file_time_type::clock::now() - std::chrono::hours(50);
    fs::last_write_time(tree + "/sub/f.txt", time);

    ASSERT_TRUE(move_file(tree, at("tree")));
    EXPECT_FALSE(fs::exists(tree));
    EXPECT_EQ(read_file(at("tree/sub/f.txt")), "deep");
    EXPECT_EQ(fs::last_write_time(at("tree/sub/f.txt")), time);
    EXPECT_TRUE(fs::is_symlink(at("tree/link")));
    EXPECT_EQ(read_file(at("tree/link")), "deep");
}

TEST_F(LocalFileOpsTest, SizeAndKindOfPaths)
{
    write_file(at("f"), "12345");
    fs::create_directory(at("d"));
    fs::create_directory_symlink(at("d"), at("dlink"));
    EXPECT_EQ(file_size(at("f")), 5);
    EXPECT_EQ(file_size(at("d")), 0);
    EXPECT_EQ(file_size(at("missing")), 0);
    EXPECT_TRUE(is_folder(at("d")));
    EXPECT_TRUE(is_folder(at("dlink")));
    EXPECT_FALSE(is_folder(at("f")));
    EXPECT_FALSE(is_folder(at("missing")));
}

// Points HOME and XDG_DATA_HOME into the test's folder, so the home trash is a folder of the test.
class ScopedTrashHome {
public:
    explicit ScopedTrashHome(const std::string& base)
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
        fs::create_directories(base + "/home/.local/share");
        setenv("HOME", (base + "/home").c_str(), 1);
        setenv("XDG_DATA_HOME", (base + "/home/.local/share").c_str(), 1);
    }
    ~ScopedTrashHome()
    {
        for (const auto& [name, value] : saved_)
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(LocalFileOpsTest, DeleteMovesToTheTrashAndReportsWhatStayed)
{
    const ScopedTrashHome home(root());
    const std::string work = at("home/work");
    fs::create_directories(work + "/folder");
    write_file(work + "/a.txt", "A");
    write_file(work + "/folder/b.txt", "B");

    const std::vector<std::string> failed =
        delete_to_trash({work + "/a.txt", work + "/folder", work + "/missing"});
    EXPECT_EQ(failed, std::vector<std::string>{work + "/missing"});
    EXPECT_FALSE(fs::exists(work + "/a.txt"));
    EXPECT_FALSE(fs::exists(work + "/folder"));
    const std::string trash = at("home/.local/share/Trash");
    EXPECT_EQ(read_file(trash + "/files/a.txt"), "A");
    EXPECT_EQ(read_file(trash + "/files/folder/b.txt"), "B");
    EXPECT_TRUE(fs::exists(trash + "/info/a.txt.trashinfo"));
}

} // namespace
} // namespace kestovan
