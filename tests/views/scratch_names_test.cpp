// Names in the scratch folder: server names that would leave it are refused; Directory Info's file
// name; which local files View hands to the image viewer; the clean-up at exit.
#include "support/test_files.h"
#include "views/scratch_names.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(ScratchNames, OnlyPlainNamesBecomeScratchFiles)
{
    EXPECT_EQ(scratch_path("/w/temp", "a b.txt"), "/w/temp/a b.txt");
    for (const char* name : {"../x", "a/b", "..", ".", "", "/etc/passwd"})
        EXPECT_EQ(scratch_path("/w/temp", name), std::nullopt) << name;
}

TEST(ScratchNames, DirectoryInfoNamesItsFileAfterTheLastSegment)
{
    EXPECT_EQ(directory_info_name("/pub/incoming"), "incoming.dir");
    EXPECT_EQ(directory_info_name("/pub/my folder/\r\n"), "my folder.dir");
    EXPECT_EQ(directory_info_name(""), ".dir");
}

TEST(ScratchNames, TheImageTestLooksAnywhereInThePathWithCase)
{
    EXPECT_FALSE(is_image_path("/home/u/photo.JPG"));
    EXPECT_TRUE(is_image_path("/home/u/a.jpeg"));
    EXPECT_TRUE(is_image_path("/home/u/x.bmp.d/notes.txt"));
}

TEST(ScratchNames, TheCleanUpSparesKeptFilesOnly)
{
    QTemporaryDir dir;
    const std::string folder = dir.filePath("temp").toStdString();
    std::filesystem::create_directory(folder);
    test::write_file(folder + "/kept.txt", "edits");
    test::write_file(folder + "/view.txt", "copy");
    remove_scratch_files(folder, {folder + "/kept.txt"});
    EXPECT_TRUE(std::filesystem::exists(folder + "/kept.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/view.txt"));
    remove_scratch_files(folder, {});
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace kestovan
