#include "profiles/profile_tree.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestovan {
namespace {

// The tree as "name(kind)[children]" text, so a whole shape compares in one line.
std::string shape(const EntryChain& nodes)
{
    std::string out;
    for (const auto& node : nodes) {
        if (!out.empty())
            out += ",";
        out += node->name + "(" + std::to_string(node->kind) + ")";
        if (!node->children.empty())
            out += "[" + shape(node->children) + "]";
    }
    return out;
}

void expect_links(const EntryChain& nodes, const DirEntry* parent)
{
    for (const auto& node : nodes) {
        EXPECT_EQ(node->parent, parent);
        ASSERT_NE(node->session, nullptr);
        EXPECT_EQ(node->session, node->profile.get());
        EXPECT_FALSE(is_modified(*node));
        expect_links(node->children, node.get());
    }
}

TEST(ProfileTreeText, NestingAndSiblings)
{
    struct Case {
        const char* what;
        std::string text;
        std::string shape;
    };
    const std::vector<Case> cases = {
        {"a folder with three children, then a sibling",
         "NAME=F\nTYP=6\n#BRANCH\nNAME=a\nNAME=b\nNAME=c\n#EOB\nNAME=after\n",
         "F(6)[a(3),b(3),c(3)],after(3)"},
        {"three levels deep",
         "NAME=1\nTYP=6\n#BRANCH\nNAME=2\nTYP=6\n#BRANCH\nNAME=3\nTYP=6\n#BRANCH\nNAME=leaf\n"
         "#EOB\nNAME=3b\n#EOB\nNAME=2b\n#EOB\nNAME=top\n",
         "1(6)[2(6)[3(6)[leaf(3)],3b(3)],2b(3)],top(3)"},
        {"no #EOB: the end closes every level", "NAME=F\nTYP=6\n#BRANCH\nNAME=a\n#BRANCH\nNAME=deep\n",
         "F(6)[a(3)[deep(3)]]"},
        {"a #BRANCH before any entry: its entries join the level", "#BRANCH\nNAME=x\n#EOB\nNAME=y\n",
         "x(3),y(3)"},
        {"an orphan branch inside a folder",
         "NAME=F\nTYP=6\n#BRANCH\n#BRANCH\nNAME=x\n#EOB\nNAME=y\n#EOB\nNAME=z\n", "F(6)[x(3),y(3)],z(3)"},
        {"a top-level #EOB closes nothing", "NAME=a\n#EOB\n#EOB\nNAME=b\n", "a(3),b(3)"},
        {"key lines before the first NAME are ignored", "TYP=6\nSERVER=x\nNAME=a\n", "a(3)"},
        {"other # lines and unknown lines are skipped", "# comment\nNAME=a\nWHAT=1\n#x\n", "a(3)"},
        {"kinds outside the tree are ignored", "NAME=a\nTYP=1\nNAME=b\nTYP=5\nNAME=c\nTYP=4\n",
         "a(3),b(5),c(4)"},
        {"CR LF lines", "NAME=F\r\nTYP=6\r\n#BRANCH\r\nNAME=a\r\n#EOB\r\n", "F(6)[a(3)]"},
        {"empty text", "", ""},
    };
    for (const Case& c : cases) {
        const EntryChain tree = parse_profile_tree(c.text);
        EXPECT_EQ(shape(tree), c.shape) << c.what;
        expect_links(tree, nullptr);
    }
}

TEST(ProfileTreeText, KeysApplyToTheMostRecentEntryOfTheLevel)
{
    const EntryChain tree = parse_profile_tree("NAME=F\nTYP=6\n#BRANCH\nNAME=a\nSERVER=in\n#EOB\n"
                                               "SERVER=folder\nPASSWORD=059077078\nPASV=1\n");
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0]->session->name, "F");
    EXPECT_EQ(tree[0]->session->server, "folder");
    EXPECT_EQ(tree[0]->session->password, "abc");
    EXPECT_EQ(tree[0]->session->passive, 1);
    EXPECT_EQ(tree[0]->children[0]->session->server, "in");
}

TEST(ProfileTreeText, DepthIsBounded)
{
    std::string text;
    for (std::size_t i = 0; i < 5 * MAX_TREE_DEPTH; ++i)
        text += "NAME=n\nTYP=6\n#BRANCH\n";
    text += "NAME=leaf\n";
    const EntryChain tree = parse_profile_tree(text);
    std::size_t depth = 0;
    const DirEntry* node = tree.empty() ? nullptr : tree[0].get();
    while (node) {
        ++depth;
        node = node->children.empty() ? nullptr : node->children.front().get();
    }
    EXPECT_EQ(depth, MAX_TREE_DEPTH);
}

TEST(ProfileTreeText, WrittenTreesReadBackExactly)
{
    const std::string text =
        "NAME=F\nPASV=0\nCASE=0\nTYP=6\nSAVE=0\nANON=0\nUSER=0\n"
        "#BRANCH\n"
        "NAME=G\nPASV=0\nCASE=0\nTYP=6\nSAVE=0\nANON=0\nUSER=0\n"
        "#BRANCH\n"
        "NAME=site\nSERVER=127.0.0.1\nPORT=\nPASSWORD=059077078\nCOMMENT= c\nPASV=1\nCASE=3\nTYP=3\n"
        "SAVE=1\nANON=0\nUSER=1\nTLS=3\n"
        "#EOB\n"
        "NAME=link\nSERVER=http://127.0.0.1/\nPASV=0\nCASE=0\nTYP=4\nSAVE=0\nANON=0\nUSER=0\n"
        "#EOB\n"
        "NAME=top\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=0\nUSER=0\nTLS=0\n";
    EntryChain tree = parse_profile_tree(text);
    EXPECT_EQ(format_profile_tree(tree), text);

    auto web = std::make_unique<DirEntry>();
    web->kind = KIND_WEB_LINK;
    web->name = "skipped";
    tree.push_back(std::move(web));
    EXPECT_EQ(format_profile_tree(tree), text);

    // A branch holding only web links writes no "#BRANCH" that would read back as an empty branch.
    const EntryChain only_links = parse_profile_tree("NAME=F\nTYP=6\n#BRANCH\nNAME=w\nTYP=5\n#EOB\n");
    EXPECT_EQ(format_profile_tree(only_links), "NAME=F\nPASV=0\nCASE=0\nTYP=6\nSAVE=0\nANON=0\nUSER=0\n");
}

TEST(ProfileTreeText, SavedPrivatelyAndReadFromFile)
{
    QTemporaryDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "ftp.sav";
    const EntryChain tree = parse_profile_tree("NAME=F\nTYP=6\n#BRANCH\nNAME=a\n#EOB\n");
    ASSERT_TRUE(save_profile_tree(file, tree));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(shape(read_profile_tree(file)), "F(6)[a(3)]");
    EXPECT_TRUE(read_profile_tree(file.parent_path() / "missing").empty());
    EXPECT_TRUE(read_profile_tree(file.parent_path()).empty()); // a folder
}

} // namespace
} // namespace kestovan
