#include "views/listing_merge.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestovan {
namespace {

std::unique_ptr<DirEntry> node(std::uint8_t kind, std::string name, std::optional<std::string> path)
{
    auto e = std::make_unique<DirEntry>();
    e->kind = kind;
    e->name = std::move(name);
    e->path = std::move(path);
    return e;
}

std::vector<std::string> child_names(const DirEntry& e)
{
    std::vector<std::string> out;
    for (const auto& c : e.children)
        out.push_back(c->name);
    return out;
}

const DirEntry& child(const DirEntry& e, std::string_view name)
{
    for (const auto& c : e.children) {
        if (c->name == name)
            return *c;
    }
    throw std::runtime_error("no child " + std::string(name));
}

ListingMergeResult merge(DirEntry& requested, std::string_view text, bool sort = false)
{
    return merge_listing(requested, text, true, std::nullopt, ListingOptions{sort, "/start", nullptr});
}

constexpr std::string_view FIRST = "total 3\r\n"
                                   "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 .\r\n"
                                   "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 ..\r\n"
                                   "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 pub\r\n"
                                   "-rw-r--r-- 1 ftp ftp 10 Jan 15 12:30 b.txt\r\n"
                                   "lrwxrwxrwx 1 ftp ftp 4 Jan 15 12:30 a -> /old\r\n";

TEST(ListingMerge, FirstListingAddsEveryEntryButTheParentInOrder)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    const ListingMergeResult r = merge(*folder, FIRST);

    EXPECT_EQ(r.subject, folder.get());
    EXPECT_FALSE(r.had_children);
    EXPECT_FALSE(r.directory_failed);
    EXPECT_TRUE(r.show_expand);
    EXPECT_TRUE(folder->listed());
    ASSERT_EQ(child_names(*folder), (std::vector<std::string>{"pub", "b.txt", "a"}));
    ASSERT_EQ(r.added.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(r.added[i], folder->children[i].get());
        EXPECT_EQ(folder->children[i]->parent, folder.get());
    }
    EXPECT_EQ(child(*folder, "pub").path, "/home/pub");
}

TEST(ListingMerge, SortedListingGivesSortedChildren)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge(*folder, FIRST, true);
    EXPECT_EQ(child_names(*folder), (std::vector<std::string>{"pub", "a", "b.txt"}));
}

TEST(ListingMerge, RefreshUpdatesKeepsAndAppends)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge(*folder, FIRST);
    DirEntry& pub = *folder->children[0];
    pub.add_child(node(KIND_FILE, "inner", "/home/pub/inner"));
    pub.flags[0] = 1;
    void* const pub_item = &pub;
    pub.tree_item = pub_item;

    const ListingMergeResult r = merge(*folder, "-rw-r--r-- 1 root wheel 99 Feb 2 2024 pub\r\n"
                                                "lrwxrwxrwx 1 ftp ftp 4 Feb 2 10:00 a -> /new\r\n"
                                                "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 ..\r\n"
                                                "-rw-r--r-- 1 ftp 5 Feb 2 10:00 new one\r\n"
                                                "-rw-r--r-- 1 ftp ftp 6 Feb 2 10:00 B.TXT\r\n");
    EXPECT_EQ(r.subject, folder.get());
    EXPECT_TRUE(r.had_children);
    EXPECT_FALSE(r.directory_failed);
    ASSERT_EQ(child_names(*folder), (std::vector<std::string>{"pub", "b.txt", "a", "new one", "B.TXT"}));
    ASSERT_EQ(r.added.size(), 2u);
    EXPECT_EQ(r.added[0]->name, "new one");
    EXPECT_EQ(r.added[1]->name, "B.TXT");

    // Same node, fresh columns; kind, path, children and marks stay.
    EXPECT_EQ(folder->children[0].get(), &pub);
    EXPECT_EQ(pub.kind, KIND_FOLDER);
    EXPECT_EQ(pub.path, "/home/pub");
    EXPECT_EQ(pub.date, "Feb 2 2024");
    EXPECT_EQ(pub.size, "99");
    EXPECT_EQ(pub.permissions, "-rw-r--r--");
    EXPECT_EQ(pub.owner, "root");
    EXPECT_EQ(pub.group, "wheel");
    EXPECT_EQ(pub.links, "1");
    EXPECT_EQ(child_names(pub), std::vector<std::string>{"inner"});
    EXPECT_EQ(pub.flags[0], 1);
    EXPECT_EQ(pub.tree_item, pub_item);

    const DirEntry& link = child(*folder, "a");
    EXPECT_EQ(link.link_target, "/new");
    EXPECT_EQ(link.path, "/old");

    // Vanished from the listing: reported for the shell to take out, still in the tree until then.
    ASSERT_EQ(r.vanished.size(), 1u);
    EXPECT_EQ(r.vanished[0]->name, "b.txt");
    EXPECT_EQ(child(*folder, "b.txt").size, "10");
    EXPECT_EQ(child(*folder, "new one").group, std::nullopt);
}

TEST(ListingMerge, AnEmptiedFolderReportsEveryChildButAFailureNone)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge(*folder, "-rw-r--r-- 1 ftp ftp 10 Jan 15 12:30 f\r\n");
    EXPECT_TRUE(merge(*folder, "garbage\r\n").vanished.empty()) << "a failed listing proves nothing";
    const ListingMergeResult emptied = merge(*folder, "total 0\r\n");
    ASSERT_EQ(emptied.vanished.size(), 1u);
    EXPECT_EQ(emptied.vanished[0]->name, "f");
}

TEST(ListingMerge, RefreshClearsColumnsTheNewLineLacks)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge(*folder, "-rw-r--r-- 1 ftp ftp 10 Jan 15 12:30 f\r\n");
    (void)merge(*folder, "-rw-r--r-- 1 ftp 11 Jan 15 12:30 f\r\n");
    ASSERT_EQ(folder->children.size(), 1u);
    EXPECT_EQ(folder->children[0]->group, std::nullopt);
    EXPECT_EQ(folder->children[0]->size, "11");
}

TEST(ListingMerge, DuplicateNamesInOneRefreshUpdateOneChild)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge(*folder, "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 old\r\n");
    (void)merge(*folder, "-rw-r--r-- 1 ftp ftp 2 Jan 15 12:30 dup\r\n"
                         "-rw-r--r-- 1 ftp ftp 3 Jan 15 12:30 dup\r\n");
    ASSERT_EQ(child_names(*folder), (std::vector<std::string>{"old", "dup"}));
    EXPECT_EQ(folder->children[1]->size, "3");
}

TEST(ListingMerge, ParentEntryOnlyListingAddsNothingButCountsAsListed)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    const ListingMergeResult r = merge(*folder, "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 ..\r\n");
    EXPECT_TRUE(folder->children.empty());
    EXPECT_TRUE(r.added.empty());
    EXPECT_TRUE(folder->listed());
    EXPECT_TRUE(r.show_expand);
}

TEST(ListingMerge, FileRequestListsItsParent)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    DirEntry& file = folder->add_child(node(KIND_FILE, "f", "/home/f"));
    const ListingMergeResult r = merge(file, "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 g\r\n");
    EXPECT_EQ(r.subject, folder.get());
    EXPECT_TRUE(r.had_children);
    EXPECT_EQ(child_names(*folder), (std::vector<std::string>{"f", "g"}));
    EXPECT_EQ(child(*folder, "g").path, "/home/g");
    EXPECT_TRUE(file.children.empty());
}

TEST(ListingMerge, FileWithoutParentChangesNothing)
{
    auto file = node(KIND_FILE, "f", "/f");
    const ListingMergeResult r = merge(*file, "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 g\r\n");
    EXPECT_EQ(r.subject, nullptr);
    EXPECT_FALSE(r.directory_failed);
    EXPECT_TRUE(file->children.empty());
}

TEST(ListingMerge, SiteNodeTakesTheRequestPath)
{
    // A site node's path is its profile file; the remote folder is kept beside it.
    auto site = node(KIND_SITE, "My site", "/home/u/Profiles/My site.ftp");
    const std::string line = "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 f\r\n";
    (void)merge_listing(*site, line, true, "/pub/incoming", ListingOptions{false, "/start", nullptr});
    EXPECT_EQ(site->site_folder, "/pub/incoming");
    EXPECT_EQ(site->path, "/home/u/Profiles/My site.ftp");
    EXPECT_EQ(child(*site, "f").path, "/pub/incoming/f");
    // The current folder listed without naming it keeps the folder PWD recorded.
    (void)merge_listing(*site, line, true, "", ListingOptions{false, "/start", nullptr});
    EXPECT_EQ(site->site_folder, "/pub/incoming");

    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge_listing(*folder, line, true, "/elsewhere", ListingOptions{});
    EXPECT_EQ(folder->path, "/home");
    EXPECT_EQ(child(*folder, "f").path, "/home/f");

    auto pathless = node(KIND_SITE, "Other", std::nullopt);
    (void)merge_listing(*pathless, line, true, std::nullopt, ListingOptions{false, "/start", nullptr});
    EXPECT_EQ(pathless->path, std::nullopt);
    EXPECT_EQ(child(*pathless, "f").path, "/start/f");
}

struct EmptyCase {
    const char* what;
    bool has_buffer;
    std::string text;
    bool failed;
};

class EmptyListingTest : public ::testing::TestWithParam<EmptyCase> {};

TEST_P(EmptyListingTest, ReportsFailureOnlyWhenNothingSaysTheFolderIsEmpty)
{
    const EmptyCase& c = GetParam();
    for (const bool listed_before : {false, true}) {
        auto folder = node(KIND_FOLDER, "home", "/home");
        folder->set_listed(listed_before);
        const ListingMergeResult r =
            merge_listing(*folder, c.text, c.has_buffer, std::nullopt, ListingOptions{});
        EXPECT_EQ(r.directory_failed, c.failed);
        EXPECT_EQ(folder->listed(), c.failed ? false : listed_before);
        EXPECT_EQ(r.show_expand, folder->listed());
        EXPECT_TRUE(r.added.empty());
    }
}

const EmptyCase EMPTY_CASES[] = {
    {"no buffer", false, "", true},
    {"no buffer ignores any text", false, "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 f\r\n", true},
    {"zero bytes", true, "", false},
    {"total line", true, "total 0\r\n", false},
    {"total line in capitals", true, "TOTAL 0\r\n", false},
    {"total line and unparsable lines", true, "garbage\r\ntotal 12\r\n", false},
    {"bare names", true, "a.txt\r\nb.txt\r\n", true},
    {"total without a blank", true, "total\r\n", true},
    {"blank lines only", true, "\r\n\r\n", true},
    {"only the self entry", true, "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 .\r\n", true},
    {"total hidden behind a NUL", true, std::string("\0total 0\r\n", 10), true},
};

INSTANTIATE_TEST_SUITE_P(Listings, EmptyListingTest, ::testing::ValuesIn(EMPTY_CASES));

TEST(ListingMerge, ExpandButtonFollowsChildrenEvenAfterAFailure)
{
    auto folder = node(KIND_FOLDER, "home", "/home");
    (void)merge(*folder, "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 f\r\n");
    const ListingMergeResult r = merge(*folder, "not a listing\r\n");
    EXPECT_TRUE(r.directory_failed);
    EXPECT_TRUE(r.had_children);
    EXPECT_FALSE(folder->listed());
    EXPECT_TRUE(r.show_expand);
    EXPECT_EQ(child_names(*folder), std::vector<std::string>{"f"});
}

TEST(DirEntry, FindSessionWalksUpFromItself)
{
    alignas(std::max_align_t) static char storage[2];
    auto* const outer = reinterpret_cast<SiteProfile*>(&storage[0]);
    auto* const inner = reinterpret_cast<SiteProfile*>(&storage[1]);
    auto site = node(KIND_SITE, "site", "/");
    site->session = outer;
    DirEntry& a = site->add_child(node(KIND_FOLDER, "a", "/a"));
    DirEntry& b = a.add_child(node(KIND_FILE, "b", "/a/b"));
    EXPECT_EQ(b.find_session(), outer);
    b.session = inner;
    EXPECT_EQ(b.find_session(), inner);
    EXPECT_EQ(a.find_session(), outer);
    EXPECT_EQ(node(KIND_FOLDER, "x", std::nullopt)->find_session(), nullptr);
}

} // namespace
} // namespace kestovan
