#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

mode_t mode_of(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 0777;
}

class ProfileFileTest : public ::testing::Test {
protected:
    DirEntry& add(DirEntry* parent, std::string_view name, std::uint8_t kind)
    {
        auto node = make_profile_node(name, kind);
        if (parent)
            return parent->add_child(std::move(node));
        top.push_back(std::move(node));
        return *top.back();
    }

    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
    fs::path profiles = root / "Profiles";
    EntryChain top;
};

TEST_F(ProfileFileTest, PathFollowsTheTreePosition)
{
    DirEntry& a = add(nullptr, "A", KIND_PROFILE_FOLDER);
    DirEntry& b = add(&a, "B", KIND_PROFILE_FOLDER);
    DirEntry& site = add(&b, "my site", KIND_SITE);
    DirEntry& link = add(&b, "link", KIND_URL_PROFILE);
    EXPECT_EQ(profile_file_path(site, profiles), profiles / "A" / "B" / "my site.ftp");
    EXPECT_EQ(profile_file_path(link, profiles), profiles / "A" / "B" / "link.url");
    EXPECT_EQ(profile_file_path(b, profiles), profiles / "A" / "B");
}

TEST_F(ProfileFileTest, NamesThatWouldLeaveTheirFolderHaveNoPath)
{
    for (const std::string_view bad : {"", ".", "..", "a/b", "../x"}) {
        DirEntry& folder = add(nullptr, bad, KIND_PROFILE_FOLDER);
        DirEntry& site = add(&folder, "s", KIND_SITE);
        EXPECT_EQ(profile_file_path(site, profiles), std::nullopt) << bad;
        set_modified(site, true);
        const SaveResult result = save_profile_file(site, profiles);
        EXPECT_EQ(result.outcome, SaveOutcome::FAILED);
        ASSERT_TRUE(result.error);
        EXPECT_TRUE(result.error->refused_name);
    }
    EXPECT_TRUE(fs::is_empty(root));
    // A profile is refused too, although its extension would keep it inside; a file found under such a
    // name is still written where it was found.
    DirEntry& dots = add(nullptr, "..", KIND_SITE);
    EXPECT_EQ(profile_file_path(dots, profiles), std::nullopt);
    dots.path = (profiles / "...ftp").string();
    EXPECT_EQ(profile_file_path(dots, profiles), profiles / "...ftp");
}

TEST_F(ProfileFileTest, FoundNamesAreKeptWhileTheDisplayNameFits)
{
    DirEntry& folder = add(nullptr, "x", KIND_PROFILE_FOLDER);
    folder.path = (profiles / "x.ftp").string();
    DirEntry& site = add(&folder, "Caps", KIND_SITE);
    site.path = (profiles / "x.ftp" / "Caps.FTP").string();
    EXPECT_EQ(profile_file_path(site, profiles), profiles / "x.ftp" / "Caps.FTP");

    site.name = "Renamed";
    EXPECT_EQ(profile_file_path(site, profiles), profiles / "x.ftp" / "Renamed.ftp");
    site.kind = KIND_URL_PROFILE; // a kind change makes a file of the other kind
    site.name = "Caps";
    EXPECT_EQ(profile_file_path(site, profiles), profiles / "x.ftp" / "Caps.url");
}

TEST_F(ProfileFileTest, SaveWritesModifiedProfilesPrivatelyAndReadsBack)
{
    DirEntry& folder = add(nullptr, "Work", KIND_PROFILE_FOLDER);
    DirEntry& site = add(&folder, "srv", KIND_SITE);
    site.session->server = "127.0.0.1";
    site.session->password = "p\xE9w";
    site.session->save_password = 1;

    EXPECT_EQ(save_profile_file(site, profiles).outcome, SaveOutcome::SKIPPED); // not modified
    set_modified(site, true);
    site.session->temporary = true;
    EXPECT_EQ(save_profile_file(site, profiles).outcome, SaveOutcome::SKIPPED);
    EXPECT_FALSE(fs::exists(profiles));

    site.session->temporary = false;
    const SaveResult saved = save_profile_file(site, profiles);
    ASSERT_TRUE(saved.written());
    EXPECT_FALSE(is_modified(site));
    const fs::path file = profiles / "Work" / "srv.ftp";
    EXPECT_EQ(site.path, file.string());
    EXPECT_EQ(site.session->file_path, file.string());
    EXPECT_EQ(mode_of(file), 0600u);
    EXPECT_EQ(mode_of(profiles / "Work"), 0700u);
    EXPECT_EQ(mode_of(profiles), 0700u);

    DirEntry loaded;
    loaded.name = "srv";
    loaded.path = file.string();
    ASSERT_TRUE(load_profile_file(loaded));
    EXPECT_EQ(loaded.kind, KIND_SITE);
    ASSERT_NE(loaded.session, nullptr);
    EXPECT_EQ(loaded.session, loaded.profile.get());
    EXPECT_EQ(loaded.session->name, "srv");
    EXPECT_EQ(loaded.session->server, "127.0.0.1");
    EXPECT_EQ(loaded.session->password, "p\xE9w");
    EXPECT_FALSE(is_modified(loaded));
}

TEST_F(ProfileFileTest, FolderNodesMakeTheirFolder)
{
    DirEntry& folder = add(nullptr, "F", KIND_PROFILE_FOLDER);
    set_modified(folder, true);
    EXPECT_EQ(save_profile_file(folder, profiles).outcome, SaveOutcome::FOLDER_MADE);
    EXPECT_TRUE(fs::is_directory(profiles / "F"));
    EXPECT_EQ(mode_of(profiles / "F"), 0700u);
}

TEST_F(ProfileFileTest, AFailedSaveKeepsTheModifiedMark)
{
    test::write_file(profiles.string(), "a file where the folder should be");
    DirEntry& site = add(nullptr, "s", KIND_SITE);
    set_modified(site, true);
    const SaveResult result = save_profile_file(site, profiles);
    EXPECT_EQ(result.outcome, SaveOutcome::FAILED);
    ASSERT_TRUE(result.error);
    EXPECT_FALSE(result.error->refused_name);
    EXPECT_EQ(result.error->message(), "Unable to create file '" + (profiles / "s.ftp").string() + "'");
    EXPECT_TRUE(is_modified(site));
}

TEST_F(ProfileFileTest, LoadTakesTheKindFromExtensionThenTyp)
{
    fs::create_directories(profiles);
    struct Case {
        const char* file;
        std::string text;
        std::uint8_t kind;
    };
    const std::vector<Case> cases = {
        {"a.ftp", "SERVER=x\n", KIND_SITE},       {"b.URL", "SERVER=http://x\n", KIND_URL_PROFILE},
        {"c.ftp", "TYP=4\n", KIND_URL_PROFILE},   {"d.ftp", "TYP=6\n", KIND_SITE}, // a file is never a folder
        {"e.url", "TYP=0\r\n", KIND_URL_PROFILE},
    };
    for (const Case& c : cases) {
        test::write_file((profiles / c.file).string(), c.text);
        DirEntry node;
        node.name = "n";
        node.path = (profiles / c.file).string();
        EXPECT_TRUE(load_profile_file(node)) << c.file;
        EXPECT_EQ(node.kind, c.kind) << c.file;
    }
    DirEntry missing;
    missing.path = (profiles / "gone.url").string();
    EXPECT_FALSE(load_profile_file(missing));
    EXPECT_EQ(missing.kind, KIND_URL_PROFILE);
    EXPECT_EQ(missing.session, nullptr);
}

} // namespace
} // namespace kestovan
