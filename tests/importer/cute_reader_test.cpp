// CuteFTP site files: markers, record fields, the tree by parent identifier, and damaged files.
#include "importer/cute_reader.h"
#include "profiles/profile_tree.h"
#include "site_list_builders.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::CuteFile;
using Marker = CuteFile::Marker;

CuteFile::Site site(std::uint32_t id, std::uint32_t parent, std::string name)
{
    CuteFile::Site s;
    s.id = id;
    s.parent = parent;
    s.name = std::move(name);
    s.host = "host" + std::to_string(id) + ".example.test";
    s.user = "user" + std::to_string(id);
    s.password = "secret";
    s.remote = "/r" + std::to_string(id);
    return s;
}

EntryChain import_tree(const std::string& bytes)
{
    const auto text = format_cute_tree(read_cute_records(bytes));
    return text ? parse_profile_tree(*text) : EntryChain{};
}

TEST(CuteReader, SiteFieldsAndTheLiteralLines)
{
    CuteFile::Site s = site(7, 0, "Mirror");
    s.port = 2121 % 256;
    s.comment = "nightly";
    const auto text = format_cute_tree(read_cute_records(CuteFile().site(s).bytes()));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "NAME=CuteFTP sites\nSERVER=\nPORT=\nUSERNAME=\nLOCAL=\nREMOTE=\nCOMMENT=\nPASV=\nCASE=\n"
              "TYP=6\nSAVE=\nANON=\nUSER=\n"
              "#BRANCH\n"
              "NAME=Mirror\nSERVER=host7.example.test\nPORT=73\nUSERNAME=user7\nLOCAL=\nREMOTE=/r7\n"
              "COMMENT=nightly\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=1\nUSER=0\n"
              "#EOB\n");
    EXPECT_EQ(text->find("secret"), std::string::npos) << "passwords are never written";
}

TEST(CuteReader, UserNameByteZeroSkipsThePassword)
{
    CuteFile::Site s = site(1, 0, "anon");
    s.user.clear();
    s.port = 255;
    s.comment = "after the gap";
    const auto records = read_cute_records(CuteFile().site(s).site(site(2, 0, "next")).bytes());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].user, "");
    EXPECT_EQ(records[0].password, "");
    EXPECT_EQ(records[0].remote, "/r1");
    EXPECT_EQ(records[0].port, 255);
    EXPECT_EQ(records[0].comment, "after the gap");
    EXPECT_EQ(records[1].name, "next");
    EXPECT_EQ(records[1].user, "user2");
}

TEST(CuteReader, TreeByParentIdentifier)
{
    struct Case {
        const char* what;
        CuteFile file;
        std::string shape;
    };
    const std::vector<Case> cases = {
        {"folders with sites and a sub-folder; top-level records by file order",
         CuteFile()
             .folder(1, 0, "Work")
             .site(site(10, 1, "w1"))
             .folder(2, 1, "Deep")
             .site(site(20, 2, "d1"))
             .site(site(11, 0, "top"))
             .site(site(12, 1, "w2")),
         "CuteFTP sites(6)[Work(6)[w1(3),Deep(6)[d1(3)],w2(3)],top(3)]"},
        {"a folder without children is written as a site",
         CuteFile().folder(1, 0, "Empty").site(site(2, 0, "s")), "CuteFTP sites(6)[Empty(3),s(3)]"},
        {"a site with children is written as a folder",
         CuteFile().site(site(1, 0, "parent")).site(site(2, 1, "child")),
         "CuteFTP sites(6)[parent(6)[child(3)]]"},
        {"typed records: the third word decides",
         CuteFile().folder(1, 0, "TypedFolder", Marker::Typed).site(site(2, 1, "typed site"), Marker::Typed),
         "CuteFTP sites(6)[TypedFolder(6)[typed site(3)]]"},
        {"a record whose parent does not exist stands at the top",
         CuteFile().site(site(1, 0, "a")).site(site(2, 99, "orphan")), "CuteFTP sites(6)[a(3),orphan(3)]"},
        {"a record that is its own parent stands at the top", CuteFile().site(site(5, 5, "self")),
         "CuteFTP sites(6)[self(3)]"},
        {"a loop of parents loses one link",
         CuteFile().folder(5, 6, "A").folder(6, 7, "B").folder(7, 5, "C").site(site(8, 0, "x")),
         // ordered by parent: x, C, A, B; the loop C -> A -> B -> C is cut at C, the first of them
         "CuteFTP sites(6)[x(3),C(6)[B(6)[A(3)]]]"},
        {"duplicate identifiers: children go to the first in list order",
         CuteFile().folder(1, 0, "first").folder(1, 0, "second").site(site(2, 1, "child")),
         "CuteFTP sites(6)[first(6)[child(3)],second(3)]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::shape(import_tree(c.file.bytes())), c.shape) << c.what;
}

TEST(CuteReader, StringsLongerThanTheirFieldKeepTheFieldsAfterThem)
{
    CuteFile::Site s = site(1, 0, std::string(60, 'N'));
    s.host = std::string(50, 'h');
    s.user = std::string(25, 'u');
    s.password = std::string(25, 'p');
    s.remote = std::string(90, 'r');
    s.comment = std::string(100, 'c');
    const auto records = read_cute_records(CuteFile().site(s).site(site(2, 0, "next")).bytes());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, std::string(CUTE_NAME_LIMIT, 'N'));
    EXPECT_EQ(records[0].host, std::string(CUTE_HOST_LIMIT, 'h'));
    EXPECT_EQ(records[0].user, std::string(CUTE_USER_LIMIT, 'u'));
    EXPECT_EQ(records[0].password, std::string(CUTE_PASSWORD_LIMIT, 'p'));
    EXPECT_EQ(records[0].remote, std::string(CUTE_REMOTE_LIMIT, 'r'));
    EXPECT_EQ(records[0].port, 21);
    EXPECT_EQ(records[0].comment, std::string(CUTE_COMMENT_LIMIT, 'c'));
    EXPECT_EQ(records[1].name, "next");
}

TEST(CuteReader, TruncatedFilesKeepTheCompleteRecords)
{
    const std::string whole =
        CuteFile().folder(1, 0, "F").site(site(2, 1, "kept")).site(site(3, 1, "cut")).bytes();
    for (std::size_t cut = 1; cut < 120; ++cut) {
        const auto records = read_cute_records(whole.substr(0, whole.size() - cut));
        ASSERT_EQ(records.size(), 2u) << "cut " << cut;
        EXPECT_EQ(records[1].name, "kept");
    }
    EXPECT_TRUE(read_cute_records(whole.substr(0, CUTE_HEADER_SIZE)).empty());
    EXPECT_TRUE(read_cute_records(std::string("\x80\x01", 2)).empty()) << "a marker inside the header";
    EXPECT_FALSE(format_cute_tree({}));
}

TEST(CuteReader, BytesBetweenRecordsArePassedOver)
{
    const std::string bytes = CuteFile()
                                  .raw("junk\x80")
                                  .folder(1, 0, "F")
                                  .raw(std::string("\0\x0E\x7F", 3))
                                  .site(site(2, 1, "s"))
                                  .bytes();
    EXPECT_EQ(test::shape(import_tree(bytes)), "CuteFTP sites(6)[F(6)[s(3)]]");
}

TEST(CuteReader, UnusableNamesGetOneTheProgramAccepts)
{
    CuteFile::Site dots = site(2, 1, "..");
    CuteFile::Site empty = site(3, 1, "");
    empty.host = "";
    CuteFile::Site blank = site(4, 1, " \r\n ");
    blank.host = "blank.test  ";
    const EntryChain tree =
        import_tree(CuteFile().folder(1, 0, "/").site(dots).site(empty).site(blank).bytes());
    EXPECT_EQ(test::shape(tree), "CuteFTP sites(6)[Folder(6)[host2.example.test(3),Site(3),blank.test(3)]]");
}

TEST(CuteReader, DeepNestingIsWrittenWithoutRecursion)
{
    constexpr std::uint32_t DEPTH = 100000;
    CuteFile file;
    for (std::uint32_t id = 1; id <= DEPTH; ++id)
        file.folder(id, id - 1, "f");
    const auto text = format_cute_tree(read_cute_records(file.bytes()));
    ASSERT_TRUE(text);
    std::size_t branches = 0;
    for (std::size_t at = text->find("#BRANCH"); at != std::string::npos; at = text->find("#BRANCH", at + 1))
        ++branches;
    EXPECT_EQ(branches, DEPTH); // the root's and one per folder but the last
    EXPECT_TRUE(text->ends_with(std::string("#EOB\n#EOB\n")));
}

} // namespace
} // namespace kestovan
