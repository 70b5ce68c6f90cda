// WS_FTP site lists: sections, sites and the folders of "FILENAME=" files, read from memory here and
// from disk through the exported function.
#include "importer/import_codes.h"
#include "importer/ravelink.h"
#include "importer/wsftp_files.h"
#include "importer/wsftp_reader.h"
#include "profiles/profile_tree.h"
#include "site_list_builders.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

namespace kestovan {
namespace {

constexpr std::string_view TOP_NAME = "WS_FTP.ini";

// Files by their "FILENAME=" value; each has an identity of its own, and TOP_NAME that of the top file.
class MemoryOpener : public WsFileOpener {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> opened;

    std::optional<WsFile> open_named(std::string_view name, const WsFile&,
                                     const std::function<bool(const FileIdentity&)>& already_read) override
    {
        const auto found = files.find(std::string(name));
        if (found == files.end())
            return std::nullopt;
        const FileIdentity identity{
            0, name == TOP_NAME ? 0 : static_cast<ino_t>(1 + std::distance(files.begin(), found))};
        if (already_read(identity))
            return std::nullopt;
        opened.emplace_back(name);
        return WsFile{found->first, found->second, identity};
    }
};

std::optional<std::string> ws_text(const std::string& top, MemoryOpener& opener)
{
    return format_ws_tree(WsFile{"C:\\Program Files\\WS_FTP\\WS_FTP.ini", top, FileIdentity{}}, opener);
}

std::string ws_shape(const std::string& top, MemoryOpener& opener)
{
    const auto text = ws_text(top, opener);
    return text ? test::shape(parse_profile_tree(*text)) : "(nothing)";
}

TEST(WsFtpReader, WritesTheLiteralLines)
{
    MemoryOpener opener;
    opener.files["team.ini"] = "[Builds]\nHOST=build.example.test\nUID=bob\n";
    const auto text = ws_text("[Public]\nHOST=ftp.example.test\nDIR=\"/pub/my files\"\nUID=AnonyMous\n"
                              "COMMENT=not written\n[Team]\nFILENAME=team.ini\n",
                              opener);
    ASSERT_TRUE(text);
    const std::string folder_lines = "PORT=\nCOMMENT=\nPASV=0\nCASE=1\nTYP=6\nSAVE=0\nANON=0\nUSER=1\n";
    EXPECT_EQ(*text,
              "NAME=WS_FTP Sites\n" + folder_lines + "#BRANCH\n" + "NAME=WS_FTP.ini\n" + folder_lines +
                  "#BRANCH\n"
                  "NAME=Public\nSERVER=ftp.example.test\nPORT=21\nUSERNAME=\nLOCAL=\nREMOTE=/pub/my files\n"
                  "COMMENT=\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=1\nUSER=1\n"
                  "#EOB\n"
                  "NAME=Team\n" +
                  folder_lines +
                  "#BRANCH\n"
                  "NAME=Builds\nSERVER=build.example.test\nPORT=21\nUSERNAME=\nLOCAL=\nREMOTE=\nCOMMENT=\n"
                  "PASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=0\nUSER=1\n"
                  "#EOB\n"
                  "#EOB\n");
}

TEST(WsFtpReader, Sections)
{
    struct Case {
        const char* what;
        std::string text;
        std::string shape;
    };
    const std::vector<Case> cases = {
        {"sections without content and lines before the first section are passed over",
         "HOST=stray\n[empty]\n\n[site]\nHOST=h\n[also empty]\n", "WS_FTP Sites(6)[WS_FTP.ini(6)[site(3)]]"},
        {"any non-blank line is content", "[_config_]\nRETRIES=3\n",
         "WS_FTP Sites(6)[WS_FTP.ini(6)[_config_(3)]]"},
        {"Windows line ends", "[crlf]\r\nHOST=h\r\nDIR=\"/d\"\r\n",
         "WS_FTP Sites(6)[WS_FTP.ini(6)[crlf(3)]]"},
        {"a header without closing bracket, a last line without line feed", "[open\nHOST=h",
         "WS_FTP Sites(6)[WS_FTP.ini(6)[open(3)]]"},
        {"names the program would refuse or change",
         "[..]\nHOST=h.test\n[a/b]\nHOST=x\n[]\nHOST=\n[ \r\"\r ]\nHOST=q.test\n[trail  ]\nHOST=x\n",
         "WS_FTP Sites(6)[WS_FTP.ini(6)[h.test(3),ab(3),Site(3),q.test(3),trail(3)]]"},
        {"nothing at all", "; comment\n\n", "(nothing)"},
    };
    for (const Case& c : cases) {
        MemoryOpener opener;
        EXPECT_EQ(ws_shape(c.text, opener), c.shape) << c.what;
    }
}

TEST(WsFtpReader, ValuesAndTheAnonymousFlag)
{
    const auto sections =
        parse_ws_sections("[s]\nHOST=a\nHOST=b\nDIR=\"/x\"y\"\nUID=ANONYMOUS\nhost=ignored\n"
                          "[t]\nUID=anonymous2\n");
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].host, "b") << "the last line of a key wins";
    EXPECT_EQ(sections[0].remote, "/xy");
    EXPECT_EQ(sections[0].content_lines, 5u) << "unknown keys still count as content";

    MemoryOpener opener;
    const EntryChain tree = parse_profile_tree(
        *ws_text("[upper]\nUID=ANONYMOUS\n[other]\nUID=anonymous2\n[none]\nHOST=h\n", opener));
    const auto anon = [&](std::string_view name) {
        const DirEntry* site = test::find_entry(tree, {"WS_FTP Sites", "WS_FTP.ini", name});
        return site ? int(site->session->anonymous) : -1;
    };
    EXPECT_EQ(anon("upper"), 1);
    EXPECT_EQ(anon("other"), 0);
    EXPECT_EQ(anon("none"), 0);
}

TEST(WsFtpReader, LongLinesAreCutNotSplit)
{
    const std::string long_host(300, 'h');
    // The tail past the line limit would read as a line of its own if lines were split.
    const std::string smuggled = "COMMENT=" + std::string(WS_LINE_LIMIT - 8, 'c') + "HOST=evil.example.test";
    const auto sections = parse_ws_sections("[s]\nHOST=" + long_host + "\n" + smuggled + "\n[" +
                                            std::string(200, 'n') + "]\nHOST=x\n");
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].host, std::string(WS_HOST_LIMIT, 'h'));
    EXPECT_EQ(sections[0].comment, std::string(WS_LINE_LIMIT - 8, 'c'));
    EXPECT_EQ(sections[1].name, std::string(WS_NAME_LIMIT, 'n'));
}

TEST(WsFtpReader, EveryFileIsReadOnce)
{
    struct Case {
        const char* what;
        std::string top;
        std::map<std::string, std::string> files;
        std::string shape;
        std::vector<std::string> opened;
    };
    const std::vector<Case> cases = {
        {"a folder file with a sub-folder file",
         "[A]\nFILENAME=a.ini\n",
         {{"a.ini", "[a1]\nHOST=h\n[Sub]\nFILENAME=b.ini\n[a2]\nHOST=h\n"}, {"b.ini", "[b1]\nHOST=h\n"}},
         "WS_FTP Sites(6)[A(6)[a1(3),Sub(6)[b1(3)],a2(3)]]",
         {"a.ini", "b.ini"}},
        {"a section naming the top file itself",
         "[s]\nHOST=h\n[Self]\nFILENAME=WS_FTP.ini\n",
         {{"WS_FTP.ini", "[s]\nHOST=h\n[Self]\nFILENAME=WS_FTP.ini\n"}},
         "WS_FTP Sites(6)[WS_FTP.ini(6)[s(3)]]",
         {}},
        {"a loop of two files",
         "[A]\nFILENAME=a.ini\n",
         {{"a.ini", "[x]\nHOST=h\n[B]\nFILENAME=b.ini\n"},
          {"b.ini", "[y]\nHOST=h\n[BackToA]\nFILENAME=a.ini\n"}},
         "WS_FTP Sites(6)[A(6)[x(3),B(6)[y(3)]]]",
         {"a.ini", "b.ini"}},
        {"two sections naming the same file",
         "[One]\nFILENAME=a.ini\n[Two]\nFILENAME=a.ini\n",
         {{"a.ini", "[x]\nHOST=h\n"}},
         "WS_FTP Sites(6)[One(6)[x(3)]]",
         {"a.ini"}},
        {"a file that cannot be read adds nothing",
         "[Gone]\nFILENAME=missing.ini\n[s]\nHOST=h\n",
         {},
         "WS_FTP Sites(6)[WS_FTP.ini(6)[s(3)]]",
         {}},
        {"a file without sections gives an empty folder",
         "[Empty]\nFILENAME=e.ini\n",
         {{"e.ini", ""}},
         "WS_FTP Sites(6)[Empty(6)]",
         {"e.ini"}},
    };
    for (const Case& c : cases) {
        MemoryOpener opener;
        opener.files = c.files;
        EXPECT_EQ(ws_shape(c.top, opener), c.shape) << c.what;
        EXPECT_EQ(opener.opened, c.opened) << c.what;
    }
}

TEST(WsFtpReader, FileNestingIsBounded)
{
    MemoryOpener opener;
    for (int i = 0; i < 40; ++i)
        opener.files["f" + std::to_string(i)] =
            "[s" + std::to_string(i) + "]\nHOST=h\n[F]\nFILENAME=f" + std::to_string(i + 1) + "\n";
    const auto text = ws_text("[F]\nFILENAME=f0\n", opener);
    ASSERT_TRUE(text);
    EXPECT_EQ(opener.opened.size(), WS_MAX_FILE_DEPTH - 1);
}

class WsFtpOnDisk : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    void write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((folder_ / name).parent_path());
        test::write_file(path(name), text);
    }
    EntryChain import(const std::string& top)
    {
        const int code = importWSFTP(path(top).c_str(), path("ftp.sav").c_str());
        EXPECT_EQ(code, IMPORT_OK);
        return read_profile_tree(path("ftp.sav"));
    }

    QTemporaryDir dir_;
    std::filesystem::path folder_ = dir_.path().toStdString();
};

TEST_F(WsFtpOnDisk, NamedFilesAreFoundLikeWindowsWould)
{
    const test::ScopedEnv prefix("WINEPREFIX", path("prefix"));
    std::filesystem::create_directories(folder_ / "prefix" / "drive_c" / "Sites");
    std::filesystem::create_directories(folder_ / "prefix" / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", folder_ / "prefix" / "dosdevices" / "c:");
    write("prefix/drive_c/Sites/Drive.ini", "[on drive c]\nHOST=h\n");
    write("list/sub/Relative.ini", "[relative]\nHOST=h\n");
    write("list/Beside.ini", "[beside]\nHOST=h\n");
    write("list/WS_FTP.ini", "[Drive]\nFILENAME=c:\\SITES\\drive.INI\n"
                             "[Relative]\nFILENAME=sub\\relative.ini\n"
                             "[Beside]\nFILENAME=D:\\elsewhere\\Beside.ini\n"
                             "[Missing]\nFILENAME=nowhere.ini\n");
    const EntryChain tree = import("list/WS_FTP.ini");
    EXPECT_EQ(test::shape(tree), "WS_FTP Sites(6)[Drive(6)[on drive c(3)],Relative(6)[relative(3)],"
                                 "Beside(6)[beside(3)]]");
}

TEST_F(WsFtpOnDisk, FilesReachedUnderOtherNamesAreStillReadOnce)
{
    // The top file named back by another spelling, through a link and from a second file: files are
    // told apart by what they are on disk, not by their names.
    const test::ScopedEnv prefix("WINEPREFIX", path("no-prefix"));
    write("list/WS_FTP.ini", "[s]\nHOST=h\n[Self]\nFILENAME=.\\ws_ftp.INI\n[Team]\nFILENAME=team.ini\n");
    write("list/team.ini", "[t]\nHOST=h\n[Back]\nFILENAME=C:\\x\\WS_FTP.INI\n[Linked]\nFILENAME=alias.ini\n"
                           "[Again]\nFILENAME=team.ini\n");
    std::filesystem::create_symlink("WS_FTP.ini", folder_ / "list" / "alias.ini");
    EXPECT_EQ(test::shape(import("list/WS_FTP.ini")), "WS_FTP Sites(6)[WS_FTP.ini(6)[s(3)],Team(6)[t(3)]]");
}

TEST_F(WsFtpOnDisk, CandidatesForANamedFile)
{
    const std::filesystem::path naming = "/lists/WS_FTP.ini";
    const std::filesystem::path prefix = "/wine";
    using Paths = std::vector<std::filesystem::path>;
    EXPECT_EQ(ws_named_file_candidates("C:\\a\\b.ini", naming, prefix),
              (Paths{"/wine/dosdevices/c:/a/b.ini", "/lists/b.ini"}));
    EXPECT_EQ(ws_named_file_candidates("C:\\a\\b.ini", naming, std::nullopt), (Paths{"/lists/b.ini"}));
    EXPECT_EQ(ws_named_file_candidates("sub\\b.ini", naming, prefix),
              (Paths{"/lists/sub/b.ini", "/lists/b.ini"}));
    EXPECT_EQ(ws_named_file_candidates("b.ini", naming, prefix), (Paths{"/lists/b.ini"}));
    EXPECT_EQ(ws_named_file_candidates("..\\..", naming, prefix), (Paths{"/lists/../.."}));
    EXPECT_EQ(ws_named_file_candidates("", naming, prefix), Paths{});
}

TEST_F(WsFtpOnDisk, SpecialFilesAreNotRead)
{
    write("WS_FTP.ini", "[Fifo]\nFILENAME=" + path("fifo") + "\n[Folder]\nFILENAME=" + folder_.string() +
                            "\n[Device]\nFILENAME=/dev/zero\n[s]\nHOST=h\n");
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(test::shape(import("WS_FTP.ini")), "WS_FTP Sites(6)[WS_FTP.ini(6)[s(3)]]");
}

} // namespace
} // namespace kestovan
