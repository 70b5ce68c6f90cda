// The steps of folder transfers without a server: which listed names may become local files, the
// local symbolic-link checks, the remote paths of links, the walk guard, and one level's plan.
#include "profiles/site_profile.h"
#include "views/folder_transfer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

TEST(FolderTransfer, NamesThatCouldLeaveTheFolderAreRefused)
{
    struct Row {
        std::string name;
        bool safe;
    };
    const Row rows[] = {
        {"a.txt", true}, {".hidden", true}, {"...", true},
        {"a..b", true},  {"", false},       {".", false},
        {"..", false},   {"../x", false},   {"/etc/passwd", false},
        {"a\\b", false}, {"sub/", false},   {std::string("a\0b", 3), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(is_safe_local_name(row.name), row.safe) << row.name;
}

struct LocalTree : ::testing::Test {
    QTemporaryDir dir;
    std::string root, outside;
    void SetUp() override
    {
        root = dir.filePath("root").toStdString();
        outside = dir.filePath("outside").toStdString();
        fs::create_directories(root + "/sub");
        fs::create_directories(outside);
        std::ofstream(outside + "/file") << "x";
        std::ofstream(root + "/sub/inner") << "y";
    }
};

TEST_F(LocalTree, SymbolicLinksAreNotFollowedOutOfTheRoot)
{
    fs::create_directory_symlink(outside, root + "/to_outside");
    fs::create_symlink(outside + "/file", root + "/file_outside");
    fs::create_symlink(root + "/sub/inner", root + "/file_inside");
    fs::create_symlink(root + "/missing", root + "/dangling");
    EXPECT_TRUE(stays_inside(root, root + "/new.txt"));
    EXPECT_TRUE(stays_inside(root, root + "/sub/inner"));
    EXPECT_TRUE(stays_inside(root, root + "/file_inside"));
    EXPECT_FALSE(stays_inside(root, root + "/to_outside/new.txt")) << "a linked folder leads out";
    EXPECT_FALSE(stays_inside(root, root + "/file_outside")) << "writing would follow the link";
    EXPECT_FALSE(stays_inside(root, root + "/dangling")) << "writing would create the target";
    EXPECT_FALSE(stays_inside(root, dir.filePath("root/../outside/x").toStdString()));
    EXPECT_FALSE(stays_inside(dir.filePath("nowhere").toStdString(), root + "/x"));
}

TEST_F(LocalTree, LocalFoldersAreMadeOnlyInsideTheRoot)
{
    fs::create_directory_symlink(outside, root + "/to_outside");
    EXPECT_EQ(make_local_folder(root, root + "/new"), LocalFolderResult::CREATED);
    EXPECT_TRUE(fs::is_directory(root + "/new"));
    EXPECT_EQ(make_local_folder(root, root + "/sub"), LocalFolderResult::EXISTED);
    EXPECT_EQ(make_local_folder(root, root + "/sub/inner"), LocalFolderResult::FAILED)
        << "a file stands there";
    EXPECT_EQ(make_local_folder(root, root + "/to_outside"), LocalFolderResult::OUTSIDE);
    EXPECT_EQ(make_local_folder(root, root + "/to_outside/deeper"), LocalFolderResult::OUTSIDE);
    EXPECT_FALSE(fs::exists(outside + "/deeper"));
}

TEST(FolderTransfer, RemotePathsOfFoldersAndLinks)
{
    DirEntry site;
    site.kind = KIND_SITE;
    site.path = "";
    auto make = [](DirEntry& parent, std::uint8_t kind, std::string name, std::optional<std::string> path,
                   std::optional<std::string> target = std::nullopt) -> DirEntry& {
        auto e = std::make_unique<DirEntry>();
        e->kind = kind;
        e->name = std::move(name);
        e->path = std::move(path);
        e->link_target = std::move(target);
        return parent.add_child(std::move(e));
    };
    DirEntry& pub = make(site, KIND_FOLDER, "pub", "/pub/");
    DirEntry& up = make(pub, KIND_LINK, "up", "..", "..");
    DirEntry& abs = make(pub, KIND_LINK, "www", "/var/www", "/var/www");
    DirEntry& bare = make(pub, KIND_LINK, "bare", "/pub/bare");
    DirEntry& file = make(pub, KIND_FILE, "f.txt", "/pub/f.txt");
    EXPECT_EQ(remote_folder_path(site), "/");
    EXPECT_EQ(remote_folder_path(pub), "/pub");
    EXPECT_EQ(remote_folder_path(up), "/") << "a relative target is taken from the link's folder";
    EXPECT_EQ(remote_folder_path(abs), "/var/www");
    EXPECT_EQ(remote_folder_path(bare), "/pub/bare");
    EXPECT_EQ(remote_entry_path(up), "/pub/up") << "the link itself, not its target";
    EXPECT_EQ(remote_entry_path(file), "/pub/f.txt");
}

TEST(FolderTransfer, TheWalkListsNoPathTwiceAndStopsAtTheDepthBound)
{
    FolderWalkGuard guard;
    EXPECT_EQ(guard.enter("/a", 0), FolderWalkGuard::Verdict::LIST);
    EXPECT_EQ(guard.enter("/a/b/", 1), FolderWalkGuard::Verdict::LIST);
    EXPECT_EQ(guard.enter("/a/b/c/../..", 2), FolderWalkGuard::Verdict::ALREADY_LISTED);
    EXPECT_EQ(guard.enter("/a/b", 3), FolderWalkGuard::Verdict::ALREADY_LISTED);
    EXPECT_EQ(guard.enter("/deep", MAX_FOLDER_DEPTH), FolderWalkGuard::Verdict::LIST);
    EXPECT_EQ(guard.enter("/deeper", MAX_FOLDER_DEPTH + 1), FolderWalkGuard::Verdict::TOO_DEEP);
    FolderWalkGuard root;
    EXPECT_EQ(root.enter("", 0), FolderWalkGuard::Verdict::LIST);
    EXPECT_EQ(root.enter("/", 1), FolderWalkGuard::Verdict::ALREADY_LISTED) << "the empty path is the root";
}

TEST(FolderTransfer, ADownloadLevelFetchesFilesUnderTheirLocalNamesAndFollowsFoldersAndLinks)
{
    EntryChain entries;
    auto add = [&](std::uint8_t kind, std::string name, std::optional<std::string> target = std::nullopt) {
        auto e = std::make_unique<DirEntry>();
        e->kind = kind;
        e->name = std::move(name);
        e->link_target = std::move(target);
        entries.push_back(std::move(e));
    };
    add(KIND_FILE, "index.html");
    add(KIND_FILE, "../x");
    add(KIND_FOLDER, "sub");
    add(KIND_FOLDER, "..\\up");
    add(KIND_LINK, "loop", "../..");
    add(KIND_LINK, "abs", "/srv/data/");
    add(KIND_PARENT, "..");
    const RenameRules rules{{"*.htm", "*.html", true, false}};
    const auto steps = plan_folder_download(entries, "/site/pub", "/tmp/t", &rules);
    ASSERT_EQ(steps.size(), 6u) << "the parent row is no step";
    using K = DownloadStep::Kind;
    EXPECT_EQ(steps[0].kind, K::FETCH);
    EXPECT_EQ(steps[0].remote_path, "/site/pub/index.html");
    EXPECT_EQ(steps[0].local_path, "/tmp/t/index.htm");
    EXPECT_EQ(steps[1].kind, K::UNSAFE_NAME);
    EXPECT_EQ(steps[1].local_path, "");
    EXPECT_EQ(steps[2].kind, K::FOLDER);
    EXPECT_EQ(steps[2].remote_path, "/site/pub/sub");
    EXPECT_EQ(steps[2].local_path, "/tmp/t/sub");
    EXPECT_EQ(steps[3].kind, K::UNSAFE_NAME);
    EXPECT_EQ(steps[4].kind, K::FOLDER);
    EXPECT_EQ(steps[4].remote_path, "/") << "resolved, so the guard can see the loop";
    EXPECT_EQ(steps[4].local_path, "/tmp/t/loop");
    EXPECT_EQ(steps[5].remote_path, "/srv/data");
}

TEST(FolderTransfer, ARuleThatMakesAnUnsafeNameIsRefusedToo)
{
    EntryChain entries;
    auto e = std::make_unique<DirEntry>();
    e->name = "x.txt";
    entries.push_back(std::move(e));
    const RenameRules rules{{"../*", "*.txt", true, false}};
    const auto steps = plan_folder_download(entries, "/", "/tmp/t", &rules);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].kind, DownloadStep::Kind::UNSAFE_NAME);
}

TEST(FolderTransfer, AnUploadLevelRenamesFilesAndLowersCaseAsTheProfileAsks)
{
    LocalChain rows = {
        {"..", LOCAL_PARENT, "", "0", "/l", 0},
        {"Docs", LOCAL_FOLDER, "", "0", "/l/Docs", 0},
        {"Index.HTM", LOCAL_FILE, "", "3", "/l/Index.HTM", 0},
        {"Read Me.txt", LOCAL_FILE, "", "3", "/l/Read Me.txt", 0},
    };
    const RenameRules rules{{"*.htm", "*.html", true, false}};
    using K = UploadStep::Kind;
    auto plain = plan_folder_upload(rows, "/up", 0, &rules);
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[0].kind, K::FOLDER);
    EXPECT_EQ(plain[0].remote_path, "/up/Docs");
    EXPECT_EQ(plain[0].local_path, "/l/Docs");
    EXPECT_EQ(plain[1].kind, K::STORE);
    EXPECT_EQ(plain[1].remote_path, "/up/Index.html");
    EXPECT_EQ(plain[2].remote_path, "/up/Read Me.txt");
    auto lower = plan_folder_upload(rows, "/Up", CASE_LOWER_FILES | CASE_LOWER_FOLDERS, &rules);
    EXPECT_EQ(lower[0].remote_path, "/Up/docs") << "only the new part is lowered";
    EXPECT_EQ(lower[1].remote_path, "/Up/index.html");
    auto files_only = plan_folder_upload(rows, "/Up", CASE_LOWER_FILES, nullptr);
    EXPECT_EQ(files_only[0].remote_path, "/Up/Docs");
    EXPECT_EQ(files_only[1].remote_path, "/Up/index.htm");
}

TEST(FolderTransfer, ListedSizesReadAsNumbersOrZero)
{
    EXPECT_EQ(listed_size(std::string("5000000000")), 5000000000);
    EXPECT_EQ(listed_size(std::nullopt), 0);
    EXPECT_EQ(listed_size(std::string("<DIR>")), 0);
    EXPECT_EQ(listed_size(std::string("-5")), 0);
}

} // namespace
} // namespace kestovan
