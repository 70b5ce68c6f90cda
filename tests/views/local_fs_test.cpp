#include "views/local_fs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kestovan {
namespace {

class LocalFsTest : public ::testing::Test {
protected:
    std::string root() const { return dir.path().toStdString(); }
    std::string at(const std::string& name) const { return root() + "/" + name; }
    void file(const std::string& name, const std::string& content = "x") const
    {
        std::ofstream(at(name), std::ios::binary) << content;
    }
    void folder(const std::string& name) const { std::filesystem::create_directories(at(name)); }

    // name -> kind, for checking what a scan listed.
    static std::map<std::string, int> kinds(const LocalChain& rows)
    {
        std::map<std::string, int> out;
        for (const LocalEntry& row : rows)
            out[row.name] = row.kind;
        return out;
    }
    static const LocalEntry* row_named(const LocalChain& rows, std::string_view name)
    {
        const auto it =
            std::find_if(rows.begin(), rows.end(), [&](const LocalEntry& r) { return r.name == name; });
        return it == rows.end() ? nullptr : &*it;
    }

    QTemporaryDir dir;
};

TEST_F(LocalFsTest, ScanFlagsDecideFoldersHiddenFoldersAndTheParentRow)
{
    file("a.txt");
    file("b.HTM");
    file("c.gif");
    file(".profile");
    folder("docs");
    folder(".cache");
    file(".cache/inside");
    std::filesystem::create_directory_symlink(at("docs"), at("link"));
    std::filesystem::create_symlink(at("gone"), at("dangling"));

    struct Row {
        std::string_view mask;
        int flags;
        std::map<std::string, int> expected;
    };
    const Row rows[] = {
        {"",
         0,
         {{"..", LOCAL_PARENT},
          {"a.txt", LOCAL_FILE},
          {"b.HTM", LOCAL_FILE},
          {"c.gif", LOCAL_FILE},
          {".profile", LOCAL_FILE},
          {"docs", LOCAL_FOLDER},
          {".cache", LOCAL_FILE},
          {"link", LOCAL_FOLDER},
          {"dangling", LOCAL_FILE}}},
        // The mask picks files only; the hidden folder counts as a file and is filtered with them.
        {"*.txt,*.htm",
         0,
         {{"..", LOCAL_PARENT},
          {"a.txt", LOCAL_FILE},
          {"b.HTM", LOCAL_FILE},
          {"docs", LOCAL_FOLDER},
          {"link", LOCAL_FOLDER}}},
        {"*.txt",
         SCAN_HIDDEN_FOLDERS,
         {{"..", LOCAL_PARENT},
          {"a.txt", LOCAL_FILE},
          {"docs", LOCAL_FOLDER},
          {".cache", LOCAL_FOLDER},
          {"link", LOCAL_FOLDER}}},
        {"*.txt", SCAN_NO_FOLDERS | SCAN_HIDDEN_FOLDERS, {{"a.txt", LOCAL_FILE}}},
        {"*.gif;.*",
         SCAN_NO_FOLDERS,
         {{"c.gif", LOCAL_FILE}, {".profile", LOCAL_FILE}, {".cache", LOCAL_FILE}}},
    };
    for (const Row& row : rows) {
        const std::optional<LocalChain> scanned = scan_folder(root(), row.mask, row.flags);
        ASSERT_TRUE(scanned);
        EXPECT_EQ(kinds(*scanned), row.expected) << row.mask << " flags " << row.flags;
        if (row.expected.contains("..")) {
            EXPECT_EQ(scanned->front().name, "..");
        }
    }
}

TEST_F(LocalFsTest, RowsCarryPathsSizesAndDates)
{
    file("ten.bin", "0123456789");
    folder(".hidden");
    folder("sub");
    const std::optional<LocalChain> rows = scan_folder(root() + "/", "", 0);
    ASSERT_TRUE(rows);
    const LocalEntry* ten = row_named(*rows, "ten.bin");
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->path, at("ten.bin"));
    EXPECT_EQ(ten->size, "10");
    EXPECT_EQ(row_named(*rows, ".hidden")->size, "0"); // a folder listed as a file has no size
    EXPECT_EQ(row_named(*rows, "sub")->size, "0");
    EXPECT_EQ(row_named(*rows, "..")->path, std::filesystem::path(root()).parent_path().string());
    for (const LocalEntry& row : *rows)
        EXPECT_EQ(row.date.size(), std::string("01-15-2003 12:30:05").size()) << row.name << " " << row.date;
}

TEST(LocalDate, MonthDayYearInLocalTime)
{
    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(format_local_date(1042633805), "01-15-2003 12:30:05");
    EXPECT_EQ(format_local_date(0), "01-01-1970 00:00:00");
    EXPECT_EQ(format_local_date(4102444799), "12-31-2099 23:59:59"); // beyond 32-bit time
    setenv("TZ", "America/New_York", 1);
    tzset();
    EXPECT_EQ(format_local_date(1042633805), "01-15-2003 07:30:05");
    saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST_F(LocalFsTest, SizesBeyondFourGibibytesAreShownWhole)
{
    const std::string big = at("sparse.img");
    file("sparse.img", "");
    ASSERT_EQ(::truncate(big.c_str(), 5LL * 1024 * 1024 * 1024 + 3), 0);
    EXPECT_EQ(file_size(big), 5368709123LL);
    const std::optional<LocalChain> rows = scan_folder(root(), "", 0);
    ASSERT_TRUE(rows);
    EXPECT_EQ(row_named(*rows, "sparse.img")->size, "5368709123");
}

TEST_F(LocalFsTest, UnreadableFoldersScanToNothing)
{
    EXPECT_FALSE(scan_folder(at("missing"), "", 0));
    file("plain");
    EXPECT_FALSE(scan_folder(at("plain"), "", 0));
    EXPECT_FALSE(scan_folder("", "", 0));
}

TEST_F(LocalFsTest, VolumeModeLeadsBackToTheVolumeList)
{
    const std::optional<LocalChain> top = scan_folder("/", "", SCAN_VOLUMES);
    ASSERT_TRUE(top);
    ASSERT_FALSE(top->empty());
    EXPECT_EQ(top->front().kind, LOCAL_VOLUME_LIST);
    const std::optional<LocalChain> plain_root = scan_folder("/", "", 0);
    ASSERT_TRUE(plain_root);
    EXPECT_TRUE(std::none_of(plain_root->begin(), plain_root->end(),
                             [](const LocalEntry& r) { return r.name == ".."; }));

    const std::optional<LocalChain> volumes = scan_folder("", "", SCAN_VOLUMES);
    ASSERT_TRUE(volumes);
    ASSERT_GE(volumes->size(), 1u);
    EXPECT_EQ(volumes->front().path, "/");
    for (const LocalEntry& v : *volumes)
        EXPECT_EQ(v.kind, LOCAL_VOLUME);
}

TEST_F(LocalFsTest, ListFolderFallsBackToVolumesOnlyWhenTheFolderIsGone)
{
    LocalList list;
    list.mask = "*.txt";
    file("a.txt");
    file("b.gif");
    folder(".config");
    list_folder(list, root() + "/");
    EXPECT_EQ(list.folder, root());
    // The pane lists dot-folders as folders.
    EXPECT_EQ(kinds(list.rows), (std::map<std::string, int>{
                                    {"..", LOCAL_PARENT}, {"a.txt", LOCAL_FILE}, {".config", LOCAL_FOLDER}}));

    list_folder(list, at("missing"));
    EXPECT_EQ(list.folder, "");
    ASSERT_FALSE(list.rows.empty());
    EXPECT_EQ(list.rows.front().kind, LOCAL_VOLUME);

    // Without folders there is no "..", so the way back to the volumes is put on top.
    list.flags = SCAN_VOLUMES | SCAN_NO_FOLDERS;
    list_folder(list, root());
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows.front().kind, LOCAL_VOLUME_LIST);
}

TEST_F(LocalFsTest, RefreshRowUpdatesOrAddsTheDownloadedFile)
{
    file("a.txt", "1");
    LocalChain rows = *scan_folder(root(), "", 0);
    const std::size_t count = rows.size();
    file("a.txt", "12345");
    const std::optional<std::size_t> updated = refresh_row(rows, at("a.txt"));
    ASSERT_TRUE(updated);
    EXPECT_EQ(rows[*updated].size, "5");
    EXPECT_EQ(rows.size(), count);

    file("A.TXT", "123"); // another file on a case-sensitive file system
    const std::optional<std::size_t> added = refresh_row(rows, at("A.TXT"));
    ASSERT_TRUE(added);
    EXPECT_EQ(rows.size(), count + 1);
    EXPECT_EQ(rows.back().name, "A.TXT");
    EXPECT_EQ(rows.back().size, "3");
    EXPECT_EQ(rows[*updated].size, "5");

    EXPECT_FALSE(refresh_row(rows, at("never-downloaded")));
    EXPECT_EQ(rows.size(), count + 1);
}

TEST(LocalVolumes, MountsWorthShowing)
{
    struct Row {
        std::string_view mount, type;
        bool show;
    };
    const Row rows[] = {
        {"/media/anna/USB STICK", "vfat", true},
        {"/run/media/anna/disk", "ext4", true},
        {"/mnt/backup", "ext4", true},
        {"/srv/share", "nfs4", true},
        {"/home/anna/remote", "fuse.sshfs", true},
        {"/net/x", "cifs", true},
        {"/proc", "proc", false},
        {"/sys", "sysfs", false},
        {"/run", "tmpfs", false},
        {"/boot/efi", "vfat", false},
        {"/media", "ext4", false},
        {"/snap/core/1", "squashfs", false},
        {"/mnt/sandboxing/tools/v1/python", "tmpfs", false},
        {"/mnt/sandboxing/tools/v1/python", "ext4", false},
        {"/media/anna/disk/inner", "ext4", false},
        {"/mnt/ramdisk", "tmpfs", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(volume_worth_showing(row.mount, row.type), row.show) << row.mount;
}

} // namespace
} // namespace kestovan
