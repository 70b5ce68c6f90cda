#include "profiles/profile_folder.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
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

// Sorted "name(kind)[children]" text: the file system lists entries in no fixed order.
std::string sorted_shape(const EntryChain& nodes)
{
    std::vector<std::string> parts;
    for (const auto& node : nodes) {
        std::string part = node->name + "(" + std::to_string(node->kind) + ")";
        if (!node->children.empty())
            part += "[" + sorted_shape(node->children) + "]";
        parts.push_back(part);
    }
    std::sort(parts.begin(), parts.end());
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : ",") + part;
    return out;
}

const DirEntry* find(const EntryChain& nodes, std::string_view name)
{
    for (const auto& node : nodes) {
        if (node->name == name)
            return node.get();
    }
    return nullptr;
}

class ProfileFolderTest : public ::testing::Test {
protected:
    void write(const fs::path& relative, std::string_view text)
    {
        fs::create_directories((root / relative).parent_path());
        test::write_file((root / relative).string(), text);
    }

    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
    fs::path profiles = root / "Profiles";
};

TEST(ProfileNames, StripBadNameChars)
{
    const StrippedName stripped = strip_bad_name_chars("a\"b\\c/d:e;f'g*h?i<j>k|l");
    EXPECT_EQ(stripped.name, "abcdefghijkl");
    EXPECT_TRUE(stripped.removed);
    EXPECT_EQ(strip_bad_name_chars(std::string("x\0y", 3)).name, "xy");
    EXPECT_FALSE(strip_bad_name_chars("plain name.txt").removed);

    EXPECT_EQ(usable_entry_name("a/b"), "ab");
    for (const std::string_view refused : {"", ".", "..", "/", "../", "*.*", "\"..\""})
        EXPECT_EQ(usable_entry_name(refused), std::nullopt) << refused;
    EXPECT_EQ(display_name_of("x.FTP"), "x");
    EXPECT_EQ(display_name_of("x.url"), "x");
    EXPECT_EQ(display_name_of("x.ftp.txt"), "x.ftp.txt");
    EXPECT_EQ(profile_kind_of_file_name("a.Url"), KIND_URL_PROFILE);
    EXPECT_EQ(profile_kind_of_file_name("ftp"), 0);
}

TEST_F(ProfileFolderTest, ScanShowsFoldersAndProfileFilesOnly)
{
    write("Profiles/one.ftp", "SERVER=127.0.0.1\n");
    write("Profiles/Caps.FTP", "SERVER=caps\n");
    write("Profiles/web.url", "SERVER=http://127.0.0.1/\n");
    write("Profiles/notes.txt", "SERVER=no\n");
    write("Profiles/turned.ftp", "TYP=4\n");
    write("Profiles/dir.ftp/inner.ftp", "PASV=1\n");
    write("Profiles/A/B/C/deep.url", "");
    fs::create_directories(profiles / "empty");

    const EntryChain tree = load_profile_folder(profiles);
    EXPECT_EQ(sorted_shape(tree),
              "A(6)[B(6)[C(6)[deep(4)]]],Caps(3),dir(6)[inner(3)],empty(6),one(3),turned(4),web(4)");
    const DirEntry* caps = find(tree, "Caps");
    ASSERT_NE(caps, nullptr);
    EXPECT_EQ(caps->session->server, "caps");
    EXPECT_EQ(caps->path, (profiles / "Caps.FTP").string());
    EXPECT_EQ(caps->session->file_path, caps->path);
    const DirEntry* folder = find(tree, "dir");
    EXPECT_EQ(folder->path, (profiles / "dir.ftp").string());
    EXPECT_EQ(folder->children[0]->parent, folder);
    EXPECT_EQ(folder->children[0]->session->passive, 1);
    // Saving keeps what was found: the ".FTP" file and the "dir.ftp" folder are written in place.
    EXPECT_EQ(profile_file_path(*caps, profiles), profiles / "Caps.FTP");
    EXPECT_EQ(profile_file_path(*folder->children[0], profiles), profiles / "dir.ftp" / "inner.ftp");

    EXPECT_TRUE(load_profile_folder(root / "missing").empty());
}

TEST_F(ProfileFolderTest, ScanDoesNotFollowALinkBackUp)
{
    write("Profiles/A/site.ftp", "");
    fs::create_directory_symlink(profiles, profiles / "A" / "loop");
    const EntryChain tree = load_profile_folder(profiles);
    EXPECT_EQ(sorted_shape(tree), "A(6)[loop(6),site(3)]");
}

TEST_F(ProfileFolderTest, UniquePathNumbersBeforeTheExtension)
{
    fs::create_directories(profiles);
    const fs::path first = profiles / "New FTP profile.ftp";
    EXPECT_EQ(unique_path(first), first);
    test::write_file(first.string(), "");
    EXPECT_EQ(unique_path(first), profiles / "New FTP profile(1).ftp");
    test::write_file((profiles / "New FTP profile(1).ftp").string(), "");
    EXPECT_EQ(unique_path(first), profiles / "New FTP profile(2).ftp");
    // A numbered name gets a new number, not a second one.
    EXPECT_EQ(unique_path(profiles / "New FTP profile(1).ftp"), profiles / "New FTP profile(2).ftp");
    fs::create_directories(profiles / "Folder");
    EXPECT_EQ(unique_path(profiles / "Folder"), profiles / "Folder(1)");
    EXPECT_EQ(unique_path(profiles / "Folder/"), profiles / "Folder(1)");
}

TEST_F(ProfileFolderTest, NewEntriesGetFreeNamesAndPrivateFiles)
{
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        NewEntryResult made = new_profile_entry(nullptr, KIND_SITE, profiles);
        ASSERT_TRUE(made.node) << i;
        EXPECT_TRUE(is_modified(*made.node));
        names.push_back(made.node->name);
        EXPECT_EQ(made.node->session->name, fs::path(*made.node->path).filename().string());
        EXPECT_EQ(mode_of(*made.node->path), 0600u);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"New FTP profile", "New FTP profile(1)", "New FTP profile(2)"}));
    EXPECT_TRUE(fs::exists(profiles / "New FTP profile(2).ftp"));
    EXPECT_EQ(mode_of(profiles), 0700u);

    NewEntryResult folder = new_profile_entry(nullptr, KIND_PROFILE_FOLDER, profiles);
    ASSERT_TRUE(folder.node);
    EXPECT_EQ(folder.node->kind, KIND_PROFILE_FOLDER);
    EXPECT_EQ(mode_of(profiles / "Folder"), 0700u);

    // Inside the selected folder, or the folder of the selected profile.
    DirEntry& tree_folder = *folder.node;
    NewEntryResult link = new_profile_entry(&tree_folder, KIND_URL_PROFILE, profiles);
    ASSERT_TRUE(link.node);
    EXPECT_EQ(link.node->path, (profiles / "Folder" / "New Link.url").string());
    DirEntry& attached = tree_folder.add_child(std::move(link.node));
    NewEntryResult beside = new_profile_entry(&attached, KIND_URL_PROFILE, profiles);
    ASSERT_TRUE(beside.node);
    EXPECT_EQ(beside.node->name, "New Link(1)");
}

TEST_F(ProfileFolderTest, NamesAreCleanedOrRefused)
{
    NewEntryResult cleaned = new_named_entry(profiles, "a/../b:c", KIND_SITE);
    ASSERT_TRUE(cleaned.node);
    EXPECT_EQ(cleaned.node->path, (profiles / "a..bc.ftp").string());

    for (const std::string_view refused : {"..", "/", ""}) {
        NewEntryResult result = new_named_entry(profiles, refused, KIND_PROFILE_FOLDER);
        EXPECT_EQ(result.node, nullptr);
        ASSERT_TRUE(result.error) << refused;
        EXPECT_TRUE(result.error->refused_name);
        EXPECT_EQ(result.error->message(),
                  "Unable to create a new FTP profile '" + std::string(refused) + "'.");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1); // only Profiles
}

TEST_F(ProfileFolderTest, ANewEntryThatCannotBeWrittenIsDiscarded)
{
    test::write_file(profiles.string(), "not a folder");
    NewEntryResult site = new_profile_entry(nullptr, KIND_SITE, profiles);
    EXPECT_EQ(site.node, nullptr);
    ASSERT_TRUE(site.error);
    EXPECT_FALSE(site.error->refused_name);
    NewEntryResult folder = new_profile_entry(nullptr, KIND_PROFILE_FOLDER, profiles);
    EXPECT_EQ(folder.node, nullptr);
    EXPECT_FALSE(folder.error); // folders fail without a message
}

TEST_F(ProfileFolderTest, SeedIsCopiedOnlyWhenNoPendingTreeExists)
{
    EXPECT_FALSE(prepare_pending_tree(root));
    write("default.sav", "NAME=seed\n");
    EXPECT_TRUE(prepare_pending_tree(root));
    EXPECT_EQ(test::read_file((root / "ftp.sav").string()), "NAME=seed\n");
    EXPECT_EQ(mode_of(root / "ftp.sav"), 0600u);
    write("ftp.sav", "NAME=own\n");
    EXPECT_TRUE(prepare_pending_tree(root));
    EXPECT_EQ(test::read_file((root / "ftp.sav").string()), "NAME=own\n");
}

TEST_F(ProfileFolderTest, StartUpConversionMovesTheTreeIntoTheFolder)
{
    EXPECT_EQ(read_pending_tree(root), std::nullopt);
    write("Profiles/Imported/Existing.ftp", "SERVER=mine\n");
    write("default.sav", "NAME=seed\n");
    write("ftp.sav", "NAME=Imported\nTYP=6\n#BRANCH\n"
                     "NAME=Existing\nSERVER=theirs\nPASSWORD=059077078\nSAVE=1\n"
                     "NAME=Sub\nTYP=6\n#BRANCH\nNAME=Deep:er\nTYP=4\n#EOB\n"
                     "NAME=..\nSERVER=refused\n"
                     "#EOB\n"
                     "NAME=Top\nSERVER=127.0.0.1\n#BRANCH\nNAME=Child\n#EOB\n");
    std::optional<EntryChain> tree = read_pending_tree(root);
    ASSERT_TRUE(tree);

    const ConversionResult result = store_pending_tree(*tree, root, profiles);
    EXPECT_TRUE(result.removed_tree_files);
    EXPECT_FALSE(fs::exists(root / "ftp.sav"));
    EXPECT_FALSE(fs::exists(root / "default.sav"));
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_TRUE(result.problems[0].refused_name);
    EXPECT_EQ(result.problems[0].argument, "..");
    EXPECT_EQ(result.written, 6u);

    // The user's own profile is untouched; the imported one of the same name is kept beside it.
    EXPECT_EQ(test::read_file((profiles / "Imported" / "Existing.ftp").string()), "SERVER=mine\n");
    const EntryChain stored = load_profile_folder(profiles);
    EXPECT_EQ(sorted_shape(stored),
              "Imported(6)[Existing(1)(3),Existing(3),Sub(6)[Deeper(4)]],Top(3),Top(6)[Child(3)]");
    const DirEntry* imported = find(find(stored, "Imported")->children, "Existing(1)");
    EXPECT_EQ(imported->session->server, "theirs");
    EXPECT_EQ(imported->session->password, "abc");
    EXPECT_EQ(mode_of(profiles / "Imported" / "Existing(1).ftp"), 0600u);
    EXPECT_EQ(mode_of(profiles / "Imported" / "Sub"), 0700u);
    EXPECT_FALSE(fs::exists(root / "refused"));
    // The tree nodes now name what was written.
    EXPECT_EQ((*tree)[0]->children[0]->name, "Existing(1)");
    EXPECT_EQ((*tree)[0]->children[0]->path, (profiles / "Imported" / "Existing(1).ftp").string());
}

TEST_F(ProfileFolderTest, AFailedConversionKeepsWhatIsNotStoredYet)
{
    write("ftp.sav",
          "NAME=Done\nSERVER=x\nNAME=Top\nSERVER=y\n#BRANCH\nNAME=Child\nSERVER=z\n#EOB\nNAME=After\n");
    write("default.sav", "NAME=seed\n");
    write("Profiles/Top", "a file where the folder for Top's children should go");
    std::optional<EntryChain> tree = read_pending_tree(root);
    ASSERT_TRUE(tree);
    const ConversionResult failed = store_pending_tree(*tree, root, profiles);
    EXPECT_FALSE(failed.removed_tree_files);
    EXPECT_EQ(failed.written, 3u);
    ASSERT_EQ(failed.problems.size(), 1u);
    EXPECT_FALSE(failed.problems[0].refused_name);
    EXPECT_EQ(test::read_file((root / "ftp.sav").string()),
              "NAME=Top\nPASV=0\nCASE=0\nTYP=6\nSAVE=0\nANON=0\nUSER=0\n#BRANCH\n"
              "NAME=Child\nSERVER=z\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=0\nUSER=0\nTLS=1\n#EOB\n");

    // The next start stores the rest and repeats nothing.
    fs::remove(profiles / "Top");
    tree = read_pending_tree(root);
    const ConversionResult retried = store_pending_tree(*tree, root, profiles);
    EXPECT_TRUE(retried.removed_tree_files);
    EXPECT_TRUE(retried.problems.empty());
    EXPECT_EQ(sorted_shape(load_profile_folder(profiles)), "After(3),Done(3),Top(3),Top(6)[Child(3)]");
}

TEST_F(ProfileFolderTest, NoProfileFolderMeansNoConversion)
{
    write("ftp.sav", "NAME=site\n");
    test::write_file(profiles.string(), "not a folder");
    std::optional<EntryChain> tree = read_pending_tree(root);
    ASSERT_TRUE(tree);
    const ConversionResult result = store_pending_tree(*tree, root, profiles);
    EXPECT_FALSE(result.removed_tree_files);
    EXPECT_EQ(result.written, 0u);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(test::read_file((root / "ftp.sav").string()), "NAME=site\n");
}

} // namespace
} // namespace kestovan
