// Interactive transfers through the shell: folder downloads and uploads against real servers, the
// file-exists answers, removal, and hostile listings from a scripted server that must not write
// outside the chosen folder or loop.
#include "shell/remote_browser.h"
#include "shell_harness.h"
#include "support/pyftpdlib_server.h"
#include "support/scripted_ftp_server.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::ShellHarness;
namespace fs = std::filesystem;

DirEntry* child_named(DirEntry& node, const std::string& name)
{
    for (auto& child : node.children)
        if (child->name == name)
            return child.get();
    return nullptr;
}

// Connects the site and waits for its first listing to hold name.
DirEntry* connect_and_find(ShellHarness& h, DirEntry& site, const std::string& name,
                           const test::RealFtpServer& server)
{
    h.shell->sessions().connect(&site, false);
    h.wait([&] { return child_named(site, name) != nullptr; }, 10000);
    EXPECT_NE(child_named(site, name), nullptr) << server.log();
    h.shell->browser().select_node(&site);
    return child_named(site, name);
}

bool file_is(const std::string& path, const std::string& content)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec) && fs::file_size(path, ec) == content.size() &&
           test::read_file(path) == content;
}

TEST(FolderDownload, FetchesTheTreeCreatesEmptyFoldersAndAsksOnlyOnce)
{
    test::VsftpdServer server;
    server.make_file("tree/a.txt", "alpha-full");
    server.make_file("tree/sub1/b.txt", "bravo");
    server.make_file("tree/sub2/c.txt", "charlie");
    server.make_folder("tree/empty");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    DirEntry* tree = connect_and_find(h, site, "tree", server);
    ASSERT_NE(tree, nullptr);
    const std::string local = h.local.filePath("tree").toStdString();
    fs::create_directory(local);
    test::write_file(local + "/a.txt", "alpha"); // shorter than the remote file

    h.prompts.answers.push_back(PromptAnswer::Yes);
    h.shell->transfers().download_entries(&site, {tree}, h.local.path().toStdString());
    ASSERT_TRUE(h.wait(
        [&] {
            return file_is(local + "/a.txt", "alpha-full") && file_is(local + "/sub1/b.txt", "bravo") &&
                   file_is(local + "/sub2/c.txt", "charlie") && !h.ctx().is_busy(&site);
        },
        15000))
        << server.log();
    SiteProfile& profile = *site.find_session();
    EXPECT_TRUE(fs::is_directory(local + "/empty"));
    EXPECT_TRUE(fs::is_empty(local + "/empty"));
    EXPECT_EQ(ShellHarness::count_containing(profile, "ERROR F102: Directory Command Failed"), 1)
        << "only the empty folder yields nothing";
    ASSERT_EQ(h.prompts.count("question"), 1);
    EXPECT_EQ(h.prompts.asked[0].text,
              "Would you like to transfer the entire content of the tree directory?");
    EXPECT_EQ(h.prompts.asked[0].caption, "Confirmation");
    EXPECT_EQ(h.prompts.count("file_exists"), 0) << "after Yes to the folder nothing else is asked";
    EXPECT_EQ(tree->children.size(), 4u) << "the listing also filled the tree";
}

TEST(FolderDownload, NoAtTheFolderQuestionTransfersNothing)
{
    test::PyftpdlibServer server;
    server.make_file("tree/a.txt", "a");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    DirEntry* tree = connect_and_find(h, site, "tree", server);
    ASSERT_NE(tree, nullptr);
    h.prompts.answers.push_back(PromptAnswer::No);
    h.shell->transfers().download_entries(&site, {tree}, h.local.path().toStdString());
    h.wait([] { return false; }, 300);
    EXPECT_FALSE(fs::exists(h.local.filePath("tree").toStdString()));
}

TEST(FileDownload, RestartResumesAtTheLocalSizeAndIsOfferedOnlyForAShorterFile)
{
    test::VsftpdServer server;
    server.make_file("resume.bin", "0123456789ABCDEF");
    server.make_file("small.txt", "abc");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    DirEntry* resume = connect_and_find(h, site, "resume.bin", server);
    DirEntry* small = child_named(site, "small.txt");
    ASSERT_TRUE(resume && small);
    const std::string local = h.local.filePath("resume.bin").toStdString();
    const std::string local_small = h.local.filePath("small.txt").toStdString();
    test::write_file(local, "XYZ");
    test::write_file(local_small, "longer than the remote");

    h.prompts.exists_answers = {EXISTS_RESTART, EXISTS_NO};
    h.shell->transfers().download_entries(&site, {resume, small}, h.local.path().toStdString());
    ASSERT_TRUE(h.wait([&] { return file_is(local, "XYZ3456789ABCDEF") && !h.ctx().is_busy(&site); }, 10000))
        << server.log() << test::read_file(local);
    ASSERT_EQ(h.prompts.count("file_exists"), 2);
    EXPECT_EQ(h.prompts.asked[0].text,
              "File '" + local + "' already exists.  Would you like to replace this file with '/resume.bin'?")
        << "the file that would be replaced comes first";
    EXPECT_TRUE(h.prompts.asked[0].offer_restart);
    EXPECT_FALSE(h.prompts.asked[1].offer_restart) << "the local file is not shorter";
    EXPECT_EQ(test::read_file(local_small), "longer than the remote") << "No leaves it";
}

TEST(FileDownload, YesToAllReplacesTheRestWithoutAsking)
{
    test::PyftpdlibServer server;
    server.make_file("one.txt", "new one");
    server.make_file("two.txt", "new two");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    DirEntry* one = connect_and_find(h, site, "one.txt", server);
    DirEntry* two = child_named(site, "two.txt");
    ASSERT_TRUE(one && two);
    test::write_file(h.local.filePath("one.txt").toStdString(), "old");
    test::write_file(h.local.filePath("two.txt").toStdString(), "old");
    h.prompts.exists_answers = {EXISTS_YES_TO_ALL};
    h.shell->transfers().download_entries(&site, {one, two}, h.local.path().toStdString());
    ASSERT_TRUE(h.wait([&] {
        return file_is(h.local.filePath("one.txt").toStdString(), "new one") &&
               file_is(h.local.filePath("two.txt").toStdString(), "new two");
    }));
    EXPECT_EQ(h.prompts.count("file_exists"), 1);
}

TEST(FolderUpload, RenamesByRuleSkipsFilesOutsideTheMaskAndComesBackUnderTheLocalName)
{
    test::PyftpdlibServer server;
    server.make_file("keep.txt", "k");
    ShellHarness h;
    RenameRules rules{{"*.htm", "*.html", true, false}};
    h.ctx().rename_rules = &rules;
    h.settings.set_text("lmask", "*.htm");
    const std::string local = h.local.filePath("site").toStdString();
    fs::create_directories(local + "/sub");
    test::write_file(local + "/index.htm", "<index>");
    test::write_file(local + "/notes.txt", "notes");
    test::write_file(local + "/sub/page.htm", "<page>");
    test::write_file(local + "/sub/skip.txt", "skip");
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    ASSERT_NE(connect_and_find(h, site, "keep.txt", server), nullptr);

    h.prompts.answers.push_back(PromptAnswer::Yes);
    h.shell->transfers().upload_items(&site, {local});
    const std::string remote = server.path("site");
    ASSERT_TRUE(
        h.wait([&] { return fs::exists(remote + "/sub/page.html") && !h.ctx().is_busy(&site); }, 10000))
        << server.log();
    EXPECT_EQ(test::read_file(remote + "/index.html"), "<index>");
    EXPECT_EQ(test::read_file(remote + "/sub/page.html"), "<page>");
    EXPECT_FALSE(fs::exists(remote + "/notes.txt"));
    EXPECT_FALSE(fs::exists(remote + "/sub/skip.txt"));
    EXPECT_FALSE(fs::exists(remote + "/index.htm"));

    h.shell->browser().refresh();
    ASSERT_TRUE(h.wait([&] { return child_named(site, "site") != nullptr; }));
    QTemporaryDir back;
    h.prompts.answers.push_back(PromptAnswer::Yes);
    h.shell->transfers().download_entries(&site, {child_named(site, "site")}, back.path().toStdString());
    const std::string copy = back.filePath("site").toStdString();
    ASSERT_TRUE(h.wait([&] { return file_is(copy + "/sub/page.htm", "<page>"); }, 10000)) << server.log();
    EXPECT_TRUE(file_is(copy + "/index.htm", "<index>"));
}

TEST(FolderUpload, ALinkLeadingOutOfTheChosenFolderIsNotFollowed)
{
    test::PyftpdlibServer server;
    server.make_file("keep.txt", "k");
    ShellHarness h;
    QTemporaryDir outside;
    test::write_file(outside.filePath("id_rsa").toStdString(), "private key");
    const std::string local = h.local.filePath("project").toStdString();
    fs::create_directories(local + "/src");
    test::write_file(local + "/src/main.c", "int main;");
    test::write_file(local + "/readme", "r");
    fs::create_symlink(outside.path().toStdString(), local + "/keys");
    fs::create_symlink(outside.filePath("id_rsa").toStdString(), local + "/key_file");
    fs::create_symlink(local + "/readme", local + "/readme_link"); // inside: fine
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    ASSERT_NE(connect_and_find(h, site, "keep.txt", server), nullptr);
    h.prompts.answers.push_back(PromptAnswer::Yes);
    h.shell->transfers().upload_items(&site, {local});
    const std::string remote = server.path("project");
    ASSERT_TRUE(h.wait([&] { return fs::exists(remote + "/src/main.c") && !h.ctx().is_busy(&site); }, 10000))
        << server.log();
    EXPECT_TRUE(fs::exists(remote + "/readme_link"));
    EXPECT_FALSE(fs::exists(remote + "/keys"));
    EXPECT_FALSE(fs::exists(remote + "/key_file"));
    EXPECT_EQ(ShellHarness::count_containing(*site.find_session(), "leads outside"), 2);
}

TEST(RemoteDelete, OneRmdPerFolderLeavesAFullFolderAndALinkGoesAsALink)
{
    test::VsftpdServer server;
    server.make_file("full/inner.txt", "i");
    server.make_folder("empty");
    server.make_file("target/keep.txt", "k");
    server.make_file("file.txt", "f");
    fs::create_symlink(server.path("target"), server.path("link"));
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    DirEntry* full = connect_and_find(h, site, "full", server);
    DirEntry* empty = child_named(site, "empty");
    DirEntry* link = child_named(site, "link");
    DirEntry* file = child_named(site, "file.txt");
    ASSERT_TRUE(full && empty && link && file);
    ASSERT_EQ(link->kind, KIND_LINK);
    h.prompts.answers.push_back(PromptAnswer::YesToAll);
    h.shell->transfers().delete_entries(&site, {full, empty, link, file});
    ASSERT_TRUE(h.wait(
        [&] { return !fs::exists(server.path("file.txt")) && !fs::is_symlink(server.path("link")); }, 10000))
        << server.log();
    ASSERT_EQ(h.prompts.count("question"), 1);
    EXPECT_EQ(h.prompts.asked[0].caption, "Confirm Delete");
    EXPECT_FALSE(fs::exists(server.path("empty")));
    EXPECT_TRUE(fs::exists(server.path("full/inner.txt"))) << "the content is not removed first";
    EXPECT_TRUE(fs::exists(server.path("target/keep.txt"))) << "a link goes, not what it points to";
    SiteProfile& profile = *site.find_session();
    EXPECT_EQ(ShellHarness::count_containing(profile, "RMD /full"), 1);
    EXPECT_EQ(ShellHarness::count_containing(profile, "DELE /full/inner.txt"), 0);
    // The refusals are in the log: the full folder's RMD, and the link's RMD before its DELE.
    EXPECT_EQ(ShellHarness::count_containing(profile, "<c00000>550"), 2);
    ASSERT_TRUE(h.wait([&] { return site.children.size() == 2; }));
    EXPECT_NE(child_named(site, "full"), nullptr);
    EXPECT_NE(child_named(site, "target"), nullptr);
}

// --- hostile and failing servers (scripted) ---

void script_login(test::ScriptedFtpServer& server)
{
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
}

void script_list(test::ScriptedFtpServer& server, const std::string& command, const std::string& listing)
{
    server.expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect(command)
        .accept_data()
        .reply("150 Here")
        .send_data(listing)
        .close_data()
        .reply("226 Done");
}

void script_retr(test::ScriptedFtpServer& server, const std::string& command, const std::string& data)
{
    server.expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect(command)
        .accept_data()
        .reply("150 Here")
        .send_data(data)
        .close_data()
        .reply("226 Done");
}

DirEntry& add_folder(DirEntry& site, const std::string& name)
{
    auto folder = std::make_unique<DirEntry>();
    folder->kind = KIND_FOLDER;
    folder->name = name;
    folder->path = "/" + name;
    folder->session = site.find_session();
    return site.add_child(std::move(folder));
}

TEST(FolderDownload, AHostileListingWritesNothingOutsideTheChosenFolder)
{
    QTemporaryDir outer;
    const std::string root = outer.filePath("target").toStdString();
    const std::string elsewhere = outer.filePath("elsewhere").toStdString();
    fs::create_directories(root + "/evil");
    fs::create_directories(elsewhere);
    test::write_file(elsewhere + "/secret.txt", "untouched");
    fs::create_symlink(elsewhere + "/secret.txt", root + "/evil/link.txt");

    test::ScriptedFtpServer server;
    script_login(server);
    script_list(server, "LIST /evil",
                "-rw-r--r-- 1 u g 3 Jan 1 2020 ../x\r\n"
                "-rw-r--r-- 1 u g 3 Jan 1 2020 /etc/x\r\n"
                "-rw-r--r-- 1 u g 3 Jan 1 2020 a\\b\r\n"
                "-rw-r--r-- 1 u g 3 Jan 1 2020 ..\r\n"
                "drwxr-xr-x 1 u g 0 Jan 1 2020 ../up\r\n"
                "-rw-r--r-- 1 u g 3 Jan 1 2020 link.txt\r\n"
                "-rw-r--r-- 1 u g 3 Jan 1 2020 ok.txt\r\n");
    server.expect("TYPE I").reply("200 ok");
    script_retr(server, "RETR /evil/ok.txt", "abc");
    server.expect_silence(500ms);
    server.start();

    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry& evil = add_folder(site, "evil");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes, PromptAnswer::Yes}; // connect first, whole folder
    h.shell->transfers().download_entries(&site, {&evil}, root);
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    EXPECT_EQ(test::read_file(root + "/evil/ok.txt"), "abc");
    EXPECT_EQ(test::read_file(elsewhere + "/secret.txt"), "untouched");
    std::vector<std::string> written;
    for (const auto& item : fs::recursive_directory_iterator(outer.path().toStdString()))
        written.push_back(item.path().lexically_relative(outer.path().toStdString()).string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"elsewhere", "elsewhere/secret.txt", "target", "target/evil",
                                                 "target/evil/link.txt", "target/evil/ok.txt"}));
    SiteProfile& profile = *site.find_session();
    EXPECT_EQ(ShellHarness::count_containing(profile, "the name cannot be used for a local file"), 5);
    EXPECT_EQ(ShellHarness::count_containing(profile, "a symbolic link there leads outside"), 1);
}

TEST(FolderDownload, ARefusedListingFailsItsTasksRow)
{
    test::ScriptedFtpServer server;
    script_login(server);
    server.expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect("LIST /locked")
        .reply("550 Permission denied.");
    server.start();
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry& locked = add_folder(site, "locked");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    h.shell->transfers().download_entries(&site, {&locked}, h.local.path().toStdString());
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return !h.ctx().tasks.rows().empty(); }));
    EXPECT_EQ(h.ctx().tasks.rows().front()->state, TASK_FAILED);
}

TEST(FolderDownload, ALinkToItsParentFolderEndsTheWalk)
{
    QTemporaryDir root;
    test::ScriptedFtpServer server;
    script_login(server);
    script_list(server, "LIST /a",
                "lrwxrwxrwx 1 u g 2 Jan 1 2020 up -> ..\r\n"
                "-rw-r--r-- 1 u g 1 Jan 1 2020 f\r\n");
    server.expect("TYPE I").reply("200 ok");
    script_retr(server, "RETR /a/f", "F");
    script_list(server, "LIST /", "drwxr-xr-x 1 u g 0 Jan 1 2020 a\r\n");
    server.expect_silence(500ms);
    server.start();

    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry& a = add_folder(site, "a");
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    h.shell->transfers().download_entries(&site, {&a}, root.path().toStdString());
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    const std::string base = root.filePath("a").toStdString();
    EXPECT_EQ(test::read_file(base + "/f"), "F");
    EXPECT_TRUE(fs::is_directory(base + "/up"));
    EXPECT_FALSE(fs::exists(base + "/up/a")) << "the folder that leads back is not made again";
    EXPECT_EQ(ShellHarness::count_containing(*site.find_session(), "Folder '/a' not followed"), 1);
}

// A link whose download the server refuses is taken for a folder and listed; one whose local file
// cannot be opened is not: the server never heard of the download.
TEST(FileDownload, ALinkWhoseLocalFileCannotBeOpenedIsNotTakenForAFolder)
{
    QTemporaryDir root;
    fs::create_directory(root.filePath("lnk").toStdString()); // where the file would go: cannot be opened
    test::ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I").reply("200 ok");
    server.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})");
    server.expect_silence(500ms); // neither the RETR nor a CWD or LIST of the link
    server.start();

    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    DirEntry& link = add_folder(site, "lnk");
    link.kind = KIND_LINK;
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes};
    h.prompts.exists_answers = {EXISTS_YES};
    h.shell->transfers().download_entries(&site, {&link}, root.path().toStdString());
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    EXPECT_EQ(h.prompts.asked.back().text, "Unable to open file for writing.");
    EXPECT_EQ(ShellHarness::count_containing(*site.find_session(), "Unable to open the local file"), 1);
}

TEST(FileUpload, TheExistsQuestionNamesTheRemoteFileAsTheOneReplacedAndNoKeepsIt)
{
    test::PyftpdlibServer server;
    server.make_file("notes.txt", "remote");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    ASSERT_TRUE(connect_and_find(h, site, "notes.txt", server));
    const std::string file = h.local.filePath("notes.txt").toStdString();
    test::write_file(file, "local text");
    h.prompts.exists_answers = {EXISTS_NO};
    h.shell->transfers().upload_items(&site, {file});
    ASSERT_TRUE(h.wait([&] { return h.prompts.count("file_exists") == 1; }));
    EXPECT_EQ(h.prompts.asked.back().text,
              "File '/notes.txt' already exists.  Would you like to replace this file with '" + file + "'?");
    h.wait([] { return false; }, 200);
    EXPECT_EQ(test::read_file(server.root() + "/notes.txt"), "remote");
}

TEST(FileUpload, TheUploadedFileJoinsItsListedFolderEvenWhenAnotherIsShown)
{
    test::PyftpdlibServer server;
    server.make_file("up/old.txt", "o");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    DirEntry* up = connect_and_find(h, site, "up", server);
    ASSERT_NE(up, nullptr);
    h.shell->browser().open_row(up);
    ASSERT_TRUE(h.wait([&] { return up->children.size() == 1; })) << server.log();
    h.shell->browser().select_node(&site); // another folder is shown now
    const std::string file = h.local.filePath("new.txt").toStdString();
    test::write_file(file, "12345");
    h.shell->transfers().upload_items(up, {file});
    ASSERT_TRUE(h.wait([&] { return child_named(*up, "new.txt") != nullptr; })) << server.log();
    EXPECT_EQ(child_named(*up, "new.txt")->size, "5");
}

TEST(FileUpload, AFailedUploadShowsTheBoxWithTheServersReason)
{
    test::ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect("STOR x.txt")
        .reply("553 Could not create file.");
    server.start();
    ShellHarness h;
    const std::string file = h.local.filePath("x.txt").toStdString();
    test::write_file(file, "data");
    DirEntry& site = h.add_site("s", server.port());
    h.shell->browser().select_node(&site);
    h.prompts.answers = {PromptAnswer::Yes};
    h.shell->transfers().upload_items(&site, {file});
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return h.prompts.count("message") == 1; }));
    const auto& box = h.prompts.asked.back();
    EXPECT_EQ(box.caption, "Upload Error");
    EXPECT_EQ(box.text, "Upload Failed\n\nFile:  x.txt\nReason: 553 Could not create file.");
}

TEST(FileUpload, AnUnattendedFailureShowsNoBox)
{
    test::ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect("STOR x.txt")
        .reply("553 Could not create file.")
        .expect_silence(300ms);
    server.start();
    ShellHarness h;
    h.ctx().unattended = true;
    const std::string file = h.local.filePath("x.txt").toStdString();
    test::write_file(file, "data");
    DirEntry& site = h.add_site("s", server.port());
    h.shell->browser().select_node(&site);
    h.shell->transfers().upload_items(&site, {file});
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    h.wait([] { return false; }, 100);
    EXPECT_EQ(h.prompts.count("message"), 0);
}

} // namespace
} // namespace kestovan
