// The panes' commands in the shell's command table: routing by focus, paste from both clipboards to
// the transfers, uploads and downloads of the selection, local Create Directory and New Folder.
#include "shell/pane_commands.h"
#include "shell/shell_harness.h"
#include "views/pane_menus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

struct FakeWidgets : PaneWidgets {
    std::vector<LocalEntry> local;
    std::vector<DirEntry*> remote;
    std::vector<std::string> edited, selected;
    std::string mask;
    std::vector<LocalEntry> local_selection() const override { return local; }
    std::vector<DirEntry*> remote_selection() const override { return remote; }
    void select_all(FocusPane) override {}
    void edit_local_label(const std::string& path) override { edited.push_back(path); }
    void edit_remote_label(DirEntry* node, bool) override { edited.push_back(node->name); }
    void select_local(const std::string& path) override { selected.push_back(path); }
    void set_local_mask(const std::string& m) override { mask = m; }
    void list_local(const std::string&) override {}
    std::vector<LocalEntry> local_rows() const override { return local; }
    std::vector<DirEntry*> remote_rows() const override { return remote; }
    void select_rows(FocusPane pane, const std::vector<bool>& flags) override
    {
        (pane == FOCUS_LOCAL ? local_selected : remote_selected) = flags;
    }
    std::vector<bool> local_selected, remote_selected;
};

struct PaneCommandsTest : ::testing::Test {
    test::ShellHarness h;
    FakeWidgets widgets;
    std::vector<std::string> calls;
    std::unique_ptr<PaneCommands> commands;
    DirEntry* site = nullptr;
    DirEntry* folder = nullptr;
    std::string base = h.local.path().toStdString();

    PaneCommandsTest()
    {
        h.settings.set_text(KEY_LMASK, "*.txt");
        TransferPort port;
        port.download = [this](DirEntry* s, const std::vector<DirEntry*>& e, const std::string& f) {
            calls.push_back("download " + s->name + " " + std::to_string(e.size()) + " " + f);
        };
        port.upload = [this](DirEntry* t, const std::vector<std::string>& p) {
            calls.push_back("upload " + t->name + " " + std::to_string(p.size()));
        };
        port.remove = [this](DirEntry* s, const std::vector<DirEntry*>& e) {
            calls.push_back("delete " + s->name + " " + e.front()->name);
        };
        commands = std::make_unique<PaneCommands>(*h.shell, widgets, port);
        site = &h.add_site("site", 21);
        auto child = std::make_unique<DirEntry>();
        child->kind = KIND_FILE;
        child->name = "r.bin";
        child->path = "/r.bin";
        folder = &site->add_child(std::move(child));
        h.ctx().current_session_node = site;
        h.ctx().shown_folder = site;
    }
    LocalEntry file(const std::string& name)
    {
        std::ofstream(base + "/" + name) << "x";
        return LocalEntry{name, LOCAL_FILE, "", "1", base + "/" + name, 0};
    }
};

TEST_F(PaneCommandsTest, TheMaskInForceReachesTheListAtStart)
{
    EXPECT_EQ(widgets.mask, "*.txt");
}

TEST_F(PaneCommandsTest, EditMenuCommandsFollowTheFocusAndPasteReachesTheTransfers)
{
    widgets.remote = {folder};
    h.ctx().focus = FOCUS_REMOTE;
    ASSERT_TRUE(h.shell->run_command(pane_cmd::EDIT_COPY));
    EXPECT_EQ(commands->clipboards().remote().size(), 1u);

    h.ctx().focus = FOCUS_LOCAL;
    ASSERT_TRUE(h.shell->run_command(pane_cmd::EDIT_PASTE));
    EXPECT_EQ(calls, (std::vector<std::string>{"download site 1 " + base}));

    widgets.local = {file("a.txt")};
    h.shell->run_command(pane_cmd::EDIT_COPY);
    EXPECT_TRUE(commands->clipboards().remote().empty());
    h.ctx().focus = FOCUS_TREE;
    h.shell->run_command(pane_cmd::EDIT_PASTE);
    EXPECT_EQ(calls.back(), "upload site 1");

    h.ctx().focus = FOCUS_REMOTE;
    h.shell->run_command(pane_cmd::BUTTON_DELETE);
    EXPECT_EQ(calls.back(), "delete site r.bin");
}

TEST_F(PaneCommandsTest, ButtonsTransferTheSelection)
{
    widgets.local = {LocalEntry{"..", LOCAL_PARENT, "", "0", "/", 0}, file("b.txt")};
    h.shell->run_command(pane_cmd::UPLOAD_BUTTON);
    EXPECT_EQ(calls.back(), "upload site 1") << "'..' is not uploaded";

    DirEntry parent;
    parent.kind = KIND_PARENT;
    widgets.remote = {&parent, folder};
    h.ctx().focus = FOCUS_REMOTE;
    h.shell->run_command(pane_cmd::DOWNLOAD_BUTTON);
    EXPECT_EQ(calls.back(), "download site 1 " + base);
}

TEST_F(PaneCommandsTest, LocalFoldersFromTheMenuAndFromTypedText)
{
    h.shell->run_command(pane_cmd::NEW_FOLDER_LOCAL);
    h.shell->run_command(pane_cmd::NEW_FOLDER_LOCAL);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/New Folder"));
    EXPECT_TRUE(std::filesystem::is_directory(base + "/New Folder(1)"));
    EXPECT_EQ(widgets.edited, (std::vector<std::string>{base + "/New Folder", base + "/New Folder(1)"}))
        << "the new folder's label is edited at once";

    h.ctx().focus = FOCUS_LOCAL;
    h.prompts.texts = {std::string("deep/er")};
    h.shell->run_command(pane_cmd::MENU_MKDIR);
    EXPECT_TRUE(std::filesystem::is_directory(base + "/deep/er"));
    ASSERT_FALSE(h.prompts.asked.empty());
    EXPECT_EQ(h.prompts.asked.back().caption, "Create Directory");
    EXPECT_EQ(h.prompts.asked.back().text, "Enter new Directory name:");
}

TEST_F(PaneCommandsTest, LocalRenameRefusesNamesThatLeaveTheFolder)
{
    LocalEntry a = file("a.txt");
    EXPECT_FALSE(commands->rename_local(a.path, "../escaped.txt"));
    EXPECT_FALSE(commands->rename_local(a.path, ""));
    EXPECT_TRUE(std::filesystem::exists(a.path));
    file("taken.txt");
    EXPECT_FALSE(commands->rename_local(a.path, "taken.txt")) << "an existing file is never replaced";
    EXPECT_TRUE(commands->rename_local(a.path, "b.txt"));
    EXPECT_TRUE(std::filesystem::exists(base + "/b.txt"));
    EXPECT_FALSE(std::filesystem::exists(a.path));
}

TEST_F(PaneCommandsTest, MasksActOnlyWhileTheFilterBarIsShown)
{
    commands->apply_local_mask("*.htm");
    EXPECT_EQ(widgets.mask, "*.txt") << "hidden bar: the field does nothing";
    commands->set_filter_bar(true);
    commands->apply_local_mask("*.TXT");
    EXPECT_EQ(h.settings.text(KEY_LMASK), "*.txt") << "a text that differs only in case is not a change";
    commands->apply_local_mask("*.htm");
    EXPECT_EQ(widgets.mask, "*.htm");
    EXPECT_EQ(h.settings.text(KEY_LMASK), "*.htm");
    commands->apply_remote_mask("*.zip");
    EXPECT_EQ(h.settings.text(KEY_RMASK), "*.zip");
}

TEST_F(PaneCommandsTest, LocalViewHandsImagesToTheOpenerAndEverythingElseToTheEditor)
{
    struct Recording : Launcher {
        std::vector<std::string> programs;
        bool start(const std::string& program, const std::vector<std::string>&) override
        {
            programs.push_back(program);
            return true;
        }
    } launcher;
    DesktopTools& tools = h.shell->view_edit().tools();
    tools.set_launcher(launcher);
    tools.editor = [] { return ProgramCommand{"editor", {}}; };
    h.ctx().focus = FOCUS_LOCAL;
    const std::pair<const char*, int> cases[] = {
        {"photo.JPG", 483}, // the image test is case-sensitive: the editor
        {"photo.jpg", 483},
        {"photo.JPG", 485}, // Execute is Open
    };
    for (auto [name, command] : cases) {
        widgets.local = {file(name)};
        ASSERT_TRUE(h.shell->run_command(command));
    }
    EXPECT_EQ(launcher.programs, (std::vector<std::string>{"editor", "xdg-open", "xdg-open"}));
}

TEST_F(PaneCommandsTest, CompareSelectsInBothListsAndCountsEachSideUnderItsOwnLabel)
{
    widgets.remote = {folder}; // r.bin, only on the server
    widgets.local = {file("a.txt"), file("b.txt")};
    ASSERT_TRUE(h.shell->run_command(1883));
    EXPECT_EQ(widgets.remote_selected, std::vector<bool>{true});
    EXPECT_EQ(widgets.local_selected, (std::vector<bool>{true, true}));
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), "File Compare: Local: 2 files, Remote: 1 files");

    widgets.remote.clear();
    widgets.local.clear();
    h.ctx().shown_folder = nullptr;
    ASSERT_TRUE(h.shell->run_command(456)); // F11
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), "File Compare: Local: 0 files, Remote: 0 files");
}

} // namespace
} // namespace kestovan
