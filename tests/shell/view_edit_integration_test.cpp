// View, Edit, Directory Info, Append File and CHMOD through the shell against vsftpd and the
// scripted server: what reaches the server, what lands in the scratch folder, and what the editor
// and the desktop's programs are handed. Editors are small scripts of each kind: one that edits and
// exits, one that waits, one that hands the file on and exits at once.
#include "shell_harness.h"
#include "support/scripted_ftp_server.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace kestovan {
namespace {

using test::ShellHarness;
namespace fs = std::filesystem;

struct RecordingLauncher : Launcher {
    std::vector<std::vector<std::string>> started; // program, then its arguments
    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        std::vector<std::string> line{program};
        line.insert(line.end(), arguments.begin(), arguments.end());
        started.push_back(line);
        return true;
    }
};

struct WatchView : ShellView {
    bool watching = false;
    std::string text;
    void editing_watch_changed(bool on, const std::string& t) override
    {
        watching = on;
        text = t;
    }
};

DirEntry* child_named(DirEntry& node, const std::string& name)
{
    for (auto& child : node.children)
        if (child->name == name)
            return child.get();
    return nullptr;
}

struct ViewEditTest : ::testing::Test {
    test::VsftpdServer server;
    WatchView view; // outlives the shell that calls it
    ShellHarness h;
    RecordingLauncher launcher;
    DirEntry* site = nullptr;

    ViewEditTest()
    {
        h.shell->view_edit().tools().set_launcher(launcher);
        h.ctx().view = &view;
    }

    // Connects and waits for the first listing to hold name.
    DirEntry* connect_and_find(const std::string& name)
    {
        site = &h.add_site("s", server.port(), server.user(), server.password());
        h.shell->sessions().connect(site, false);
        h.wait([&] { return child_named(*site, name) != nullptr && !h.ctx().is_busy(site); }, 10000);
        EXPECT_NE(child_named(*site, name), nullptr) << server.log();
        h.shell->browser().select_node(site);
        return child_named(*site, name);
    }
    // An executable editor script; $1 is the file.
    std::string editor(const std::string& body)
    {
        const std::string path = h.local.filePath("editor.sh").toStdString();
        test::write_file(path, "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        h.shell->view_edit().tools().editor = [path] { return ProgramCommand{path, {}}; };
        return path;
    }
    std::string scratch(const std::string& name) const
    {
        return h.shell->view_edit().scratch_folder() + "/" + name;
    }
    bool server_has(const std::string& name, const std::string& content)
    {
        return fs::exists(server.path(name)) && test::read_file(server.path(name)) == content;
    }
};

TEST_F(ViewEditTest, AnEditorThatWaitsUploadsWhenItEndsAndASecondEditIsRefusedMeanwhile)
{
    server.make_file("notes.txt", "hello\n");
    server.make_file("other.txt", "x");
    const std::string marks = h.local.path().toStdString();
    editor("touch " + marks +
           "/started\n"
           "i=0; while [ ! -e " +
           marks +
           "/release ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
           "printf 'edited\\n' >> \"$1\"");
    DirEntry* notes = connect_and_find("notes.txt");
    ASSERT_NE(notes, nullptr);
    h.shell->view_edit().edit_remote(notes);
    ASSERT_TRUE(h.wait([&] { return fs::exists(marks + "/started"); })) << server.log();
    EXPECT_EQ(test::read_file(scratch("notes.txt")), "hello\n");

    h.shell->view_edit().edit_remote(child_named(*site, "other.txt"));
    ASSERT_EQ(h.prompts.count("message"), 1);
    EXPECT_EQ(h.prompts.asked.back().text, "You are already editing a file");

    test::write_file(marks + "/release", "");
    ASSERT_TRUE(h.wait([&] { return server_has("notes.txt", "hello\nedited\n"); }, 10000)) << server.log();
    ASSERT_TRUE(h.wait([&] { return !h.shell->view_edit().editing().running(); }));
    EXPECT_FALSE(fs::exists(scratch("notes.txt"))) << "deleted once the upload succeeded";
    EXPECT_FALSE(fs::exists(scratch("other.txt"))) << "the refused edit fetched nothing";
    EXPECT_EQ(h.prompts.count("message"), 1);
}

TEST_F(ViewEditTest, AnEditorThatHandsTheFileOnIsWatchedAndEverySaveGoesUp)
{
    server.make_file("page.html", "<p>old</p>");
    // Like a launcher that passes the file to a running editor: it exits at once; the "running
    // editor" saves when the test says so.
    const std::string marks = h.local.path().toStdString();
    const auto wait_for = [&](const std::string& mark) {
        return "i=0; while [ ! -e " + marks + "/" + mark +
               " ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done; ";
    };
    editor("( " + wait_for("go1") + "printf 'first save' > \"$1\"; " + wait_for("go2") +
           "printf 'second save' > \"$1\" ) >/dev/null 2>&1 &\nexit 0");
    DirEntry* page = connect_and_find("page.html");
    ASSERT_NE(page, nullptr);
    h.shell->view_edit().edit_remote(page);
    ASSERT_TRUE(h.wait([&] { return view.watching; }, 5000));
    EXPECT_EQ(view.text,
              "The editor runs on its own: each time 'page.html' is saved there, it is uploaded to "
              "'/page.html'. Press Done when you have finished editing.");
    test::write_file(marks + "/go1", "");
    ASSERT_TRUE(h.wait([&] { return server_has("page.html", "first save"); }, 10000)) << server.log();
    test::write_file(marks + "/go2", "");
    ASSERT_TRUE(h.wait([&] { return server_has("page.html", "second save"); }, 10000)) << server.log();
    EXPECT_TRUE(h.shell->view_edit().editing().running()) << "the job lasts until the user ends it";

    h.shell->view_edit().finish_editing();
    ASSERT_TRUE(h.wait([&] { return !h.shell->view_edit().editing().running(); }));
    EXPECT_FALSE(view.watching);
    EXPECT_FALSE(fs::exists(scratch("page.html")));
    EXPECT_EQ(h.prompts.count("message"), 0);
}

TEST_F(ViewEditTest, AFailedUploadKeepsTheEditsAndSaysWhere)
{
    server.make_file("locked.txt", "a");
    ::chmod(server.path("locked.txt").c_str(), 0444);
    editor("printf 'mine' >> \"$1\"");
    DirEntry* locked = connect_and_find("locked.txt");
    ASSERT_NE(locked, nullptr);
    h.shell->view_edit().edit_remote(locked);
    ASSERT_TRUE(h.wait([&] { return h.prompts.count("message") == 1; }, 10000)) << server.log();
    const auto& box = h.prompts.asked.back();
    EXPECT_EQ(box.caption, "Upload Error");
    EXPECT_EQ(box.text.rfind("Upload Failed\n\nFile:  locked.txt\nReason: 553", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("Your changes are kept in '" + scratch("locked.txt") + "'."), std::string::npos)
        << box.text;
    EXPECT_EQ(test::read_file(scratch("locked.txt")), "amine");
    EXPECT_EQ(h.shell->view_edit().editing().kept_files(), std::vector<std::string>{scratch("locked.txt")});
    EXPECT_FALSE(h.shell->view_edit().editing().running());
}

TEST_F(ViewEditTest, DirectoryInfoWritesTheRawListingAndShowsItInTheEditor)
{
    server.make_file("pub/incoming/upload.bin", "12345");
    h.shell->view_edit().tools().editor = [] { return ProgramCommand{"the-editor", {}}; };
    DirEntry* pub = connect_and_find("pub");
    ASSERT_NE(pub, nullptr);
    auto folder = std::make_unique<DirEntry>();
    folder->kind = KIND_FOLDER;
    folder->name = "incoming";
    folder->path = "/pub/incoming";
    DirEntry& incoming = pub->add_child(std::move(folder));
    h.shell->view_edit().directory_info(&incoming);
    const std::string file = scratch("incoming.dir");
    ASSERT_TRUE(h.wait([&] { return !launcher.started.empty(); }, 10000)) << server.log();
    EXPECT_EQ(launcher.started.front(), (std::vector<std::string>{"the-editor", file}));
    const std::string text = test::read_file(file);
    EXPECT_NE(text.find(" upload.bin\r\n"), std::string::npos) << "the server's lines as sent: " << text;
    EXPECT_TRUE(incoming.children.empty()) << "the listing is not parsed into the tree";
}

TEST_F(ViewEditTest, ViewFetchesIntoTheScratchFolderAndServerNamesCannotLeaveIt)
{
    server.make_file("readme.txt", "read me");
    h.shell->view_edit().tools().editor = [] { return ProgramCommand{"the-editor", {"--wait"}}; };
    DirEntry* readme = connect_and_find("readme.txt");
    ASSERT_NE(readme, nullptr);
    h.shell->view_edit().view_remote(readme);
    ASSERT_TRUE(h.wait([&] { return !launcher.started.empty(); }, 10000)) << server.log();
    EXPECT_EQ(launcher.started.front(),
              (std::vector<std::string>{"the-editor", "--wait", scratch("readme.txt")}));
    EXPECT_EQ(test::read_file(scratch("readme.txt")), "read me");

    struct Case {
        const char* name;
        const char* path;
        void (ViewEdit::*command)(DirEntry*);
        const char* refused;
    };
    const Case cases[] = {
        {"../evil", "/evil", &ViewEdit::open_remote, "../evil"}, // Open takes the entry's name
        {"evil", "/x/..", &ViewEdit::view_remote, ".."},         // View and Edit the path's last part
        {"evil", "/x/..", &ViewEdit::edit_remote, ".."},
    };
    for (const Case& c : cases) {
        auto entry = std::make_unique<DirEntry>();
        entry->name = c.name;
        entry->path = c.path;
        DirEntry& row = site->add_child(std::move(entry));
        const std::size_t before = h.prompts.asked.size();
        (h.shell->view_edit().*c.command)(&row);
        ASSERT_EQ(h.prompts.asked.size(), before + 1) << c.name;
        EXPECT_EQ(h.prompts.asked.back().text, std::string("Unable to open '") + c.refused +
                                                   "': the name cannot be used for a local file");
    }
    EXPECT_FALSE(h.shell->view_edit().editing().running());
    EXPECT_FALSE(fs::exists(h.shell->view_edit().scratch_folder() + "/../evil"));
}

TEST_F(ViewEditTest, AppendFileAppendsOnTheServerWithAPPE)
{
    server.make_file("log.txt", "one\n");
    server.make_folder("dir");
    const std::string local = h.local.filePath("more.txt").toStdString();
    test::write_file(local, "two\n");
    DirEntry* log = connect_and_find("log.txt");
    ASSERT_NE(log, nullptr);
    h.ctx().selected = log;
    h.prompts.texts = {"log.txt"};
    h.shell->view_edit().append_file(local);
    ASSERT_TRUE(h.wait([&] { return server_has("log.txt", "one\ntwo\n"); }, 10000)) << server.log();
    ASSERT_EQ(h.prompts.count("append_file"), 1);
    EXPECT_EQ(h.prompts.asked.back().text, "Append 'more.txt' to:");
    EXPECT_EQ(h.prompts.asked.back().caption, "log.txt") << "the selected remote file comes first";
    EXPECT_EQ(h.prompts.offered, std::vector<std::string>{"log.txt"}) << "files only";
    EXPECT_NE(server.log().find("APPE /log.txt"), std::string::npos);
}

TEST_F(ViewEditTest, ChmodAppliesTheModeAndTheFolderIsListedAgain)
{
    server.make_file("run.sh", "#!/bin/sh\n");
    DirEntry* run = connect_and_find("run.sh");
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run->permissions, "-rw-r--r--");
    h.prompts.modes = {750};
    h.shell->chmod_command().open_chmod(run);
    ASSERT_TRUE(h.wait(
        [&] {
            DirEntry* now = child_named(*site, "run.sh");
            return now && now->permissions == "-rwxr-x---";
        },
        10000))
        << server.log();
    ASSERT_EQ(h.prompts.count("chmod"), 1);
    EXPECT_EQ(h.prompts.asked.back().caption, "run.sh");
    EXPECT_EQ(h.prompts.asked.back().text, "-rw-r--r--");
    EXPECT_EQ(fs::status(server.path("run.sh")).permissions() & fs::perms::mask, fs::perms(0750));
}

TEST(ChmodScripted, SentAfterLoginAndOnlyASuccessListsTheFolderAgain)
{
    struct Case {
        int mode;
        const char* command;
        const char* reply;
        bool listed;
    };
    for (const Case& c : {Case{0, "SITE chmod 0 /a.txt", "200 SITE CHMOD command ok.", true},
                          Case{755, "SITE chmod 755 /a.txt", "500 Unknown SITE command.", false}}) {
        test::ScriptedFtpServer server;
        server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
        server.expect(c.command).reply(c.reply);
        server.start();
        ShellHarness h;
        DirEntry& site = h.add_site("s", server.port());
        auto entry = std::make_unique<DirEntry>();
        entry->name = "a.txt";
        entry->path = "/a.txt";
        DirEntry& a = site.add_child(std::move(entry));
        h.shell->browser().select_node(&site);
        h.prompts.answers = {PromptAnswer::Yes}; // connect first
        h.prompts.modes = {c.mode};
        h.shell->chmod_command().open_chmod(&a);
        ASSERT_TRUE(server.wait_done(5000)) << server.failure();
        ASSERT_EQ(h.prompts.count("question"), 1);
        EXPECT_EQ(h.prompts.asked[1].caption, "s (Not Connected)") << "asked after the dialog";
        // The listing's first command (its data connection is not answered here).
        const auto listed = [&] { return server.lines().size() > 3; };
        if (c.listed)
            EXPECT_TRUE(h.wait(listed, 5000)) << c.command;
        else
            EXPECT_FALSE(h.wait(listed, 500)) << c.command;
    }
}

} // namespace
} // namespace kestovan
