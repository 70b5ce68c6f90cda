#include "common/paths.h"
#include "views/listing_parser.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace kestovan {
namespace {

using namespace std::string_literals;

constexpr auto NONE = std::nullopt;
using Text = std::optional<std::string>;

SiteProfile* fake_session()
{
    alignas(std::max_align_t) static char storage[1];
    return reinterpret_cast<SiteProfile*>(storage);
}

DirEntry folder_at(std::optional<std::string> path)
{
    DirEntry folder;
    folder.kind = KIND_FOLDER;
    folder.path = std::move(path);
    return folder;
}

EntryChain parse(std::string_view text, bool sort = false)
{
    const DirEntry folder = folder_at("/home");
    return parse_listing(text, folder, ListingOptions{sort, "/start", fake_session()});
}

std::vector<std::string> names(const EntryChain& chain)
{
    std::vector<std::string> out;
    for (const auto& e : chain)
        out.push_back(e->name);
    return out;
}

// Every field of the one entry a line gives; NONE where the field must be absent.
struct Want {
    std::uint8_t kind;
    std::string name;
    Text path, date, size, permissions, owner, group, links, link_target;
};

struct LineCase {
    const char* what;
    std::string line;
    std::optional<Want> want; // NONE: the line gives no entry
};

class ListingLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListingLineTest, GivesTheExpectedEntry)
{
    const LineCase& c = GetParam();
    const EntryChain chain = parse(c.line);
    if (!c.want) {
        EXPECT_TRUE(chain.empty()) << "got " << chain.front()->name;
        return;
    }
    ASSERT_EQ(chain.size(), 1u);
    const DirEntry& e = *chain.front();
    const Want& w = *c.want;
    EXPECT_EQ(e.kind, w.kind);
    EXPECT_EQ(e.name, w.name);
    EXPECT_EQ(e.path, w.path);
    EXPECT_EQ(e.date, w.date);
    EXPECT_EQ(e.size, w.size);
    EXPECT_EQ(e.permissions, w.permissions);
    EXPECT_EQ(e.owner, w.owner);
    EXPECT_EQ(e.group, w.group);
    EXPECT_EQ(e.links, w.links);
    EXPECT_EQ(e.link_target, w.link_target);
    EXPECT_EQ(e.session, fake_session());
    EXPECT_EQ(e.parent, nullptr);
    EXPECT_FALSE(e.listed());
}

// Columns of Want: kind, name, path, date, size, permissions, owner, group, links, link target.
const LineCase LINE_CASES[] = {
    {"unix folder", "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 pub\r\n",
     Want{KIND_FOLDER, "pub", "/home/pub", "Jan 15 2003", "512", "drwxr-xr-x", "ftp", "ftp", "2", NONE}},
    {"name of several words", "-rw-r--r-- 1 ftp ftp 1024 Jan 15 12:30 my file.txt\r\n",
     Want{KIND_FILE, "my file.txt", "/home/my file.txt", "Jan 15 12:30", "1024", "-rw-r--r--", "ftp", "ftp",
          "1", NONE}},
    {"no group column", "-rw-r--r-- 1 owner 1024 Jan 15 12:30 readme\r\n",
     Want{KIND_FILE, "readme", "/home/readme", "Jan 15 12:30", "1024", "-rw-r--r--", "owner", NONE, "1",
          NONE}},
    {"no group column, two-word name", "-rw-r--r-- 1 owner 1024 Jan 15 12:30 read me\r\n",
     Want{KIND_FILE, "read me", "/home/read me", "Jan 15 12:30", "1024", "-rw-r--r--", "owner", NONE, "1",
          NONE}},
    {"no group column, three-word name", "-rw-r--r-- 1 owner 1024 Jan 15 12:30 a b  c\r\n",
     Want{KIND_FILE, "a b  c", "/home/a b  c", "Jan 15 12:30", "1024", "-rw-r--r--", "owner", NONE, "1",
          NONE}},
    {"size with a decimal point is a number", "-rw-r--r-- 1 ftp ftp 1.5 Jan 15 12:30 a b\r\n",
     Want{KIND_FILE, "a b", "/home/a b", "Jan 15 12:30", "1.5", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
    {"symbolic link", "lrwxrwxrwx 1 root root 11 Jan 15 12:30 www -> /var/www\r\n",
     Want{KIND_LINK, "www", "/var/www", "Jan 15 12:30", "11", "lrwxrwxrwx", "root", "root", "1", "/var/www"}},
    {"link target with blanks", "lrwxrwxrwx 1 root root 11 Jan 15 12:30 my link -> ../a b\r\n",
     Want{KIND_LINK, "my link", "../a b", "Jan 15 12:30", "11", "lrwxrwxrwx", "root", "root", "1", "../a b"}},
    {"link name ends at the arrow", "lrwxrwxrwx 1 root root 11 Jan 15 12:30 www ->\r\n",
     Want{KIND_LINK, "www", "/home/www", "Jan 15 12:30", "11", "lrwxrwxrwx", "root", "root", "1", ""}},
    {"link name ends in the blank after the arrow", "lrwxrwxrwx 1 root root 11 Jan 15 12:30 www -> \r\n",
     Want{KIND_LINK, "www", "/home/www", "Jan 15 12:30", "11", "lrwxrwxrwx", "root", "root", "1", ""}},
    {"arrow without the blank after it", "lrwxrwxrwx 1 root root 11 Jan 15 12:30 www ->/srv\r\n",
     Want{KIND_LINK, "www", "/srv", "Jan 15 12:30", "11", "lrwxrwxrwx", "root", "root", "1", "/srv"}},
    {"link without an arrow", "Lrwxrwxrwx 1 root root 11 Jan 15 12:30 www\r\n",
     Want{KIND_LINK, "www", "/home/www", "Jan 15 12:30", "11", "Lrwxrwxrwx", "root", "root", "1", NONE}},
    {"arrow in a file name is part of the name", "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 a -> b\r\n",
     Want{KIND_FILE, "a -> b", "/home/a -> b", "Jan 15 12:30", "1", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
    {"dos folder", "01-15-04 10:30AM <DIR> pub\r\n",
     Want{KIND_FOLDER, "pub", "/home/pub", "01-15-04 10:30AM", NONE, NONE, NONE, NONE, NONE, NONE}},
    {"dos folder, lower case", "01-15-04 10:30AM <dir> pub\r\n",
     Want{KIND_FOLDER, "pub", "/home/pub", "01-15-04 10:30AM", NONE, NONE, NONE, NONE, NONE, NONE}},
    {"dos file", "01-15-04 10:30AM 1234 a.txt\r\n",
     Want{KIND_FILE, "a.txt", "/home/a.txt", "01-15-04 10:30AM", "1234", NONE, NONE, NONE, NONE, NONE}},
    {"dos parent folder", "01-15-04 10:30AM <DIR> ..\r\n",
     Want{KIND_PARENT, "..", "/", "01-15-04 10:30AM", NONE, NONE, NONE, NONE, NONE, NONE}},
    {"dos self folder", "01-15-04 10:30AM <DIR> .\r\n", NONE},
    {"dos name of two words has five fields", "01-15-04 10:30AM 1234 a b.txt\r\n", NONE},
    {"four fields without a time", "01-15-04 1030AM 1234 a.txt\r\n", NONE},
    {"unix self folder", "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 .\r\n", NONE},
    {"unix parent folder", "drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 ..\r\n",
     Want{KIND_PARENT, "..", "/", "Jan 15 2003", "512", "drwxr-xr-x", "ftp", "ftp", "2", NONE}},
    {"upper-case D", "Drwxr-xr-x 2 ftp ftp 512 Jan 15 2003 pub\r\n",
     Want{KIND_FOLDER, "pub", "/home/pub", "Jan 15 2003", "512", "Drwxr-xr-x", "ftp", "ftp", "2", NONE}},
    {"other types are files", "crw-rw-rw- 1 root root 13 Jan 15 12:30 tty\r\n",
     Want{KIND_FILE, "tty", "/home/tty", "Jan 15 12:30", "13", "crw-rw-rw-", "root", "root", "1", NONE}},
    {"total line", "total 0\r\n", NONE},
    {"bare name", "readme.txt\r\n", NONE},
    {"seven fields", "-rw-r--r-- 1 ftp 1024 Jan 15 readme\r\n", NONE},
    {"trailing blanks of a nine-field name are kept", "-rw-r--r-- 1 ftp ftp 1024 Jan 15 12:30 name  \r\n",
     Want{KIND_FILE, "name  ", "/home/name  ", "Jan 15 12:30", "1024", "-rw-r--r--", "ftp", "ftp", "1",
          NONE}},
    {"tabs separate fields", "-rw-r--r--\t1\tftp\tftp\t1024\tJan\t15\t12:30\tname\r\n",
     Want{KIND_FILE, "name", "/home/name", "Jan 15 12:30", "1024", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
    {"a tab inside the name column stays", "-rw-r--r-- 1 ftp ftp 1024 Jan 15 12:30 a\tb\r\n",
     Want{KIND_FILE, "a\tb", "/home/a\tb", "Jan 15 12:30", "1024", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
    {"leading blank lines and indentation", "\r\n\r\n   -rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 x",
     Want{KIND_FILE, "x", "/home/x", "Jan 15 12:30", "1", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
    {"the text ends at a NUL", "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 na\0me\r\n"s,
     Want{KIND_FILE, "na", "/home/na", "Jan 15 12:30", "1", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
    {"a NUL before the name column leaves no name", "-rw-r--r-- 1 ftp ftp 1 Jan 15\0 12:30 x"s, NONE},
    {"a backslash in a name becomes a separator of the path", "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 a\\b\r\n",
     Want{KIND_FILE, "a\\b", "/home/a/b", "Jan 15 12:30", "1", "-rw-r--r--", "ftp", "ftp", "1", NONE}},
};

INSTANTIATE_TEST_SUITE_P(Lines, ListingLineTest, ::testing::ValuesIn(LINE_CASES), [](const auto& info) {
    std::string name;
    for (const char c : std::string_view(info.param.what))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST(ListingParser, LineEndsOfEveryKindGiveTheSameEntries)
{
    const std::vector<std::string> expected{"a", "b c", "pub"};
    const char* lines[] = {"-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 a", "-rw-r--r-- 1 ftp ftp 2 Jan 15 12:30 b c",
                           "01-15-04 10:30AM <DIR> pub"};
    for (const std::string end : {"\r\n", "\n", "\r", "\n\r\n"}) {
        std::string with_end;
        std::string unterminated;
        for (const char* line : lines) {
            with_end += line + end;
            unterminated += unterminated.empty() ? line : end + line;
        }
        EXPECT_EQ(names(parse(with_end)), expected) << "ends " << testing::PrintToString(end);
        EXPECT_EQ(names(parse(unterminated)), expected) << "ends " << testing::PrintToString(end);
    }
}

TEST(ListingParser, TrailingBlanksDoNotJoinALineToTheNext)
{
    // Some servers pad lines; the next line must still be read from its own first column.
    const EntryChain chain = parse("total 0 \r\n"
                                   "-rw-r--r-- 1 ftp ftp 1024 Jan 15 12:30 readme \t\r\n"
                                   "drwxr-xr-x 2 ftp 512 Jan 15 2003 pub \r\n");
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(chain[0]->name, "readme \t");
    EXPECT_EQ(chain[0]->size, "1024");
    EXPECT_EQ(chain[1]->name, "pub");
    EXPECT_EQ(chain[1]->kind, KIND_FOLDER);
    EXPECT_EQ(chain[1]->group, NONE);
}

TEST(ListingParser, PathUsesTheStartFolderOnlyWhenTheFolderHasNone)
{
    const std::string line = "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 f\r\n";
    const ListingOptions options{false, "/start", nullptr};
    EXPECT_EQ(parse_listing(line, folder_at(NONE), options).front()->path, "/start/f");
    EXPECT_EQ(parse_listing(line, folder_at(""), options).front()->path, "/f");
    EXPECT_EQ(parse_listing(line, folder_at("/"), options).front()->path, "/f");
    EXPECT_EQ(parse_listing(line, folder_at("/a/b/"), options).front()->path, "/a/b/f");
}

TEST(ListingParser, ServerOrderIsKeptWithoutSorting)
{
    const EntryChain chain = parse("-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 c\n"
                                   "drwxr-xr-x 2 ftp ftp 1 Jan 15 12:30 B\n"
                                   "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 c\n"
                                   "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 a\n");
    EXPECT_EQ(names(chain), (std::vector<std::string>{"c", "B", "c", "a"}));
}

TEST(ListingParser, SortingPutsFoldersFirstAndIgnoresCase)
{
    const EntryChain chain = parse("-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 c\n"
                                   "lrwxrwxrwx 1 ftp ftp 1 Jan 15 12:30 a -> /x\n"
                                   "drwxr-xr-x 2 ftp ftp 1 Jan 15 12:30 z\n"
                                   "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 b\n"
                                   "drwxr-xr-x 2 ftp ftp 1 Jan 15 12:30 ..\n"
                                   "drwxr-xr-x 2 ftp ftp 1 Jan 15 12:30 A\n",
                                   true);
    // ".." is not a folder for the order: it sorts by name among the files.
    EXPECT_EQ(names(chain), (std::vector<std::string>{"A", "z", "..", "a", "b", "c"}));
}

TEST(ListingParser, SortingKeepsTheLaterOfTwoEqualKeys)
{
    const EntryChain chain = parse("-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 x\n"
                                   "drwxr-xr-x 2 ftp ftp 7 Jan 15 12:30 x\n"
                                   "-rw-r--r-- 1 ftp ftp 2 Jan 15 12:30 x\n"
                                   "-rw-r--r-- 1 ftp ftp 3 Jan 15 12:30 y\n"
                                   "-rw-r--r-- 1 ftp ftp 4 Jan 15 12:30 x\n",
                                   true);
    ASSERT_EQ(names(chain), (std::vector<std::string>{"x", "x", "y"}));
    EXPECT_EQ(chain[0]->kind, KIND_FOLDER);
    EXPECT_EQ(chain[1]->size, "4");
    EXPECT_EQ(chain[2]->size, "3");
}

TEST(ListingParser, SortingKeepsNamesThatDifferOnlyInCase)
{
    // Distinct files on a case-sensitive server: neither may vanish from the view.
    const EntryChain chain = parse("-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 readme\n"
                                   "-rw-r--r-- 1 ftp ftp 2 Jan 15 12:30 README\n"
                                   "-rw-r--r-- 1 ftp ftp 3 Jan 15 12:30 ReadMe\n",
                                   true);
    EXPECT_EQ(names(chain), (std::vector<std::string>{"README", "ReadMe", "readme"}));
}

TEST(ListingParser, LongNamesAndDatesAreCut)
{
    const std::string long_word(5000, 'n');
    const std::string with_group = "-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 " + long_word + "\r\n";
    const std::string without_group =
        "-rw-r--r-- 1 ftp 1 Jan 15 12:30 " + long_word + " " + long_word + "\r\n";
    const std::string long_date = "-rw-r--r-- 1 ftp ftp 1 " + long_word + " 15 12:30 f\r\n";
    const std::string link = "lrwxrwxrwx 1 ftp ftp 1 Jan 15 12:30 l -> " + long_word + "\r\n";

    EXPECT_EQ(parse(with_group).front()->name, long_word.substr(0, MAX_NAME_LENGTH));
    EXPECT_EQ(parse(without_group).front()->name, long_word.substr(0, MAX_NAME_LENGTH));
    EXPECT_EQ(parse(long_date).front()->date, long_word.substr(0, MAX_NAME_LENGTH));
    EXPECT_EQ(parse(link).front()->link_target->size(), MAX_NAME_LENGTH - 5);

    const std::string exact(MAX_NAME_LENGTH, 'e');
    EXPECT_EQ(parse("-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 " + exact).front()->name, exact);
}

TEST(ListingParser, HostileInputIsParsedInLinearTime)
{
    const auto start = std::chrono::steady_clock::now();

    std::string many;
    for (int i = 0; i < 200000; ++i)
        many += "-rw-r--r-- 1 a b 1 J 1 1 f" + std::to_string(i % 1000) + "\n";
    EXPECT_EQ(parse(many, true).size(), 1000u);

    std::string junk(4'000'000, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 7919 + 13) % 255 + 1);
    (void)parse(junk, true);

    EXPECT_TRUE(parse(std::string(8'000'000, 'x')).empty());
    EXPECT_TRUE(parse(std::string(8'000'000, '\n')).empty());
    EXPECT_EQ(parse("-rw-r--r-- 1 ftp ftp 1 Jan 15 12:30 x" + std::string(8'000'000, ' ')).front()->name,
              "x" + std::string(MAX_NAME_LENGTH - 1, ' '));

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

} // namespace
} // namespace kestovan
