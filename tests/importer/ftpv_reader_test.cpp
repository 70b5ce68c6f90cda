// FTP Voyager site files: records, folders and sites, their grouping, and damaged records.
#include "importer/ftpv_reader.h"
#include "profiles/profile_tree.h"
#include "site_list_builders.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::FtpvFile;

EntryChain import_tree(const std::string& bytes)
{
    const auto text = format_ftpv_tree(read_ftpv_records(bytes));
    return text ? parse_profile_tree(*text) : EntryChain{};
}

TEST(FtpvReader, WritesTheLiteralLinesOfRootFolderAndSite)
{
    const std::string bytes = FtpvFile()
                                  .folder("Top")
                                  .folder("Work", "office servers")
                                  .site("files", "ftp.example.test", "/pub")
                                  .bytes();
    const auto text = format_ftpv_tree(read_ftpv_records(bytes));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "NAME=FTPVoyager Sites\nPORT=\nCOMMENT=\nPASV=0\nCASE=1\nTYP=6\nSAVE=0\nANON=0\nUSER=1\n"
              "#BRANCH\n"
              "NAME=Work\nPORT=21\nCOMMENT=office servers\nPASV=0\nCASE=1\nTYP=6\nSAVE=0\nANON=0\nUSER=1\n"
              "#BRANCH\n"
              "NAME=files\nSERVER=ftp.example.test\nPORT=21\nUSERNAME=\nLOCAL=\nREMOTE=/pub\nCOMMENT=\n"
              "PASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=1\nUSER=1\n"
              "#EOB\n"
              "#EOB\n");
}

TEST(FtpvReader, GroupsSitesUnderTheFolderBeforeThem)
{
    struct Case {
        const char* what;
        FtpvFile file;
        std::string shape;
    };
    const std::vector<Case> cases = {
        {"the first folder is the file's own top folder and holds nothing",
         FtpvFile()
             .folder("Top")
             .folder("A")
             .site("a1", "h", "/")
             .site("a2", "h", "/")
             .folder("B")
             .site("b1", "h", "/"),
         "FTPVoyager Sites(6)[A(6)[a1(3),a2(3)],B(6)[b1(3)]]"},
        {"sites right after the first folder keep it",
         FtpvFile().folder("First").site("f1", "h", "/").folder("B").site("b1", "h", "/"),
         "FTPVoyager Sites(6)[First(6)[f1(3)],B(6)[b1(3)]]"},
        {"sites before any folder stand directly in the root",
         FtpvFile().site("early", "h", "/").folder("Top").folder("A").site("a1", "h", "/"),
         "FTPVoyager Sites(6)[early(3),A(6)[a1(3)]]"},
        {"a folder without sites is still written",
         FtpvFile().folder("Top").folder("Empty").folder("B").site("b", "h", ""),
         "FTPVoyager Sites(6)[Empty(6),B(6)[b(3)]]"},
        {"records whose name does not begin with a letter or digit are passed over",
         FtpvFile()
             .folder("Top")
             .folder("A")
             .site("_hidden", "h", "/")
             .site("", "h", "/")
             .site("9ok", "h", "/"),
         "FTPVoyager Sites(6)[A(6)[9ok(3)]]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::shape(import_tree(c.file.bytes())), c.shape) << c.what;
}

TEST(FtpvReader, FolderOrSiteByTheZerosAfterTheStrings)
{
    struct Case {
        const char* what;
        std::string body;
        bool folder;
    };
    const std::vector<Case> cases = {
        {"three zeros after an empty third string", FtpvFile::body("n", "", "", "", std::string("\0\0", 2)),
         true},
        {"two zeros only", FtpvFile::body("n", "", "", "", std::string("\0", 1)), false},
        {"counted from the fourth string's last byte",
         FtpvFile::body("n", "", "host", "x", std::string("\0\0\0", 3)), false},
        {"an empty fourth string counts its length byte",
         FtpvFile::body("n", "", "c", "", std::string("\0\0", 2)), true},
        {"the count stops at the end of the record, not in the terminator",
         FtpvFile::body("n", "", "c", "", std::string("\0", 1)), false},
    };
    for (const Case& c : cases) {
        const auto record = parse_ftpv_body(c.body);
        ASSERT_TRUE(record) << c.what;
        EXPECT_EQ(record->folder, c.folder) << c.what;
    }
}

TEST(FtpvReader, LongRecordsAndStrings)
{
    // A second string with a 16-bit length makes the record far longer than 512 bytes; the strings
    // after it are still read from the record.
    const std::string long_second(700, 'q');
    const std::string body =
        FtpvFile::body("Big", long_second, "big.example.test", "/far", std::string("\x01", 1));
    ASSERT_GT(body.size(), 512u);
    const auto big = parse_ftpv_body(body);
    ASSERT_TRUE(big);
    EXPECT_FALSE(big->folder);
    EXPECT_EQ(big->third, "big.example.test");
    EXPECT_EQ(big->fourth, "/far");

    const std::string name(200, 'n');
    const auto cut =
        parse_ftpv_body(FtpvFile::body(name, "", std::string(150, 'h'), std::string(130, 'r'), "\x01"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->name, std::string(FTPV_STRING_LIMIT, 'n'));
    EXPECT_EQ(cut->third.size(), FTPV_STRING_LIMIT);
    EXPECT_EQ(cut->fourth.size(), FTPV_STRING_LIMIT);
}

TEST(FtpvReader, DamagedRecordsArePassedOverAndReadingGoesOn)
{
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"empty body", ""},
        {"no name length", "abc"},
        {"name runs past the record", std::string("abc\x09name", 8)},
        {"second string's 16-bit length runs past the record", "abc\x01n\xFF\x10"},
        {"third string runs past the record", std::string("abc\x01n\x00\x40short", 12)},
        {"fourth string runs past the record", std::string("abc\x01n\x00\x01h\x30/x", 11)},
        {"fourth string's length byte missing", std::string("abc\x01n\x00\x01h", 8)},
    };
    for (const auto& [what, body] : damaged) {
        EXPECT_FALSE(parse_ftpv_body(body)) << what;
        const std::string bytes =
            FtpvFile().folder("Top").folder("A").record(body).site("after", "h", "/").bytes();
        EXPECT_EQ(test::shape(import_tree(bytes)), "FTPVoyager Sites(6)[A(6)[after(3)]]") << what;
    }
}

TEST(FtpvReader, TerminatorSearch)
{
    // The last byte of a body is 0x33 ("3"), right before the terminator that starts with 0x33.
    const std::string ends_in_three = FtpvFile::body("v3", "", "h", "/v3", "");
    const std::string bytes =
        FtpvFile().folder("Top").folder("A").record(ends_in_three).site("next", "h", "/").bytes();
    const auto records = read_ftpv_records(bytes);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2].fourth, "/v3");
    EXPECT_EQ(records[3].name, "next");

    // A partial terminator inside a body does not end it; a file cut before the terminator loses only
    // the last record.
    const std::string inner = FtpvFile::body("p", "", "h\x33\xED\x8A", "/x", "\x01");
    EXPECT_EQ(read_ftpv_records(FtpvFile().record(inner).bytes()).at(0).third, "h\x33\xED\x8A");
    const std::string whole =
        FtpvFile().folder("Top").folder("A").site("kept", "h", "/").site("cut", "h", "/").bytes();
    EXPECT_EQ(test::shape(import_tree(whole.substr(0, whole.size() - 3))),
              "FTPVoyager Sites(6)[A(6)[kept(3)]]");
}

TEST(FtpvReader, NamesAndValuesCannotBreakTheTreeText)
{
    const std::string bytes = FtpvFile()
                                  .folder("Top")
                                  .folder("Dir/with:bad*chars")
                                  .site("evil\nSERVER=attacker", "h\n#EOB", "/pub\nPASSWORD=x")
                                  .bytes();
    const EntryChain tree = import_tree(bytes);
    EXPECT_EQ(test::shape(tree), "FTPVoyager Sites(6)[Dirwithbadchars(6)[evilSERVER=attacker(3)]]");
    const DirEntry* site =
        test::find_entry(tree, {"FTPVoyager Sites", "Dirwithbadchars", "evilSERVER=attacker"});
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->session->server, "h#EOB");
    EXPECT_EQ(site->session->remote_folder, "/pubPASSWORD=x");
    EXPECT_FALSE(site->session->password && !site->session->password->empty());
}

TEST(FtpvReader, NoRecordsNoText)
{
    EXPECT_FALSE(format_ftpv_tree(read_ftpv_records("")));
    EXPECT_FALSE(format_ftpv_tree(read_ftpv_records("no slash at all")));
    EXPECT_FALSE(format_ftpv_tree(read_ftpv_records(FtpvFile().site("_x", "h", "/").bytes())));
}

} // namespace
} // namespace kestovan
