#include "profiles/profile_manager.h"
#include "profiles/profile_manager_files.h"
#include "profiles/profile_tree.h"
#include "settings/settings.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace kestovan {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::ScriptedPrompts;
using test::write_file;

// The session tree of the main window, reduced to what the manager asks of it.
struct FakeSessions : ProfileSessions {
    EntryChain tree;
    std::set<const DirEntry*> connected;
    std::vector<std::string> calls;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> live_flags;

    DirEntry* find_session_node(const std::string& path) override
    {
        for (auto& node : tree)
            if (node->session && node->session->file_path == path)
                return node.get();
        return nullptr;
    }
    bool is_connected(const DirEntry& node) override { return connected.contains(&node); }
    DirEntry& add_session_node(std::unique_ptr<DirEntry> node) override
    {
        calls.push_back("add " + node->name);
        tree.push_back(std::move(node));
        return *tree.back();
    }
    void select(DirEntry& node) override { calls.push_back("select " + node.name); }
    void connect(DirEntry& node) override { calls.push_back("connect " + node.name); }
    void apply_live_flags(DirEntry&, std::uint8_t name_case, std::uint8_t passive) override
    {
        live_flags.emplace_back(name_case, passive);
    }

    DirEntry& add_open_session(const std::string& name, const std::string& path)
    {
        auto node = make_profile_node(name, KIND_SITE);
        node->path = path;
        node->session->file_path = path;
        node->session->server = "old.example";
        tree.push_back(std::move(node));
        return *tree.back();
    }
};

struct RecordingView : ProfileManagerView {
    int form_refills = 0;
    int closings = 0;
    std::vector<std::string> changed;
    void form_changed() override { ++form_refills; }
    void entry_changed(DirEntry& node) override { changed.push_back(node.name); }
    void closing() override { ++closings; }
};

class ProfileManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        profiles = fs::path(dir.path().toStdString()) / "Profiles";
        fs::create_directories(profiles);
    }

    std::unique_ptr<ProfileManager> make(bool with_sessions = true)
    {
        auto manager = std::make_unique<ProfileManager>(prompts, settings, clipboard, profiles,
                                                        with_sessions ? &sessions : nullptr);
        manager->set_view(&view);
        return manager;
    }

    void profile_file(const std::string& relative, const std::string& text)
    {
        fs::create_directories((profiles / relative).parent_path());
        write_file((profiles / relative).string(), text);
    }

    static DirEntry* find(const EntryChain& level, const std::string& name)
    {
        for (const auto& node : level) {
            if (node->name == name)
                return node.get();
            if (DirEntry* below = find(node->children, name))
                return below;
        }
        return nullptr;
    }

    QTemporaryDir dir;
    fs::path profiles;
    ScriptedPrompts prompts;
    Settings settings;
    ProfileClipboard clipboard;
    FakeSessions sessions;
    RecordingView view;
};

TEST_F(ProfileManagerTest, CaseBitsAreStoredWrittenAndShownSeparately)
{
    profile_file("site.ftp", "SERVER=ftp.example\nCASE=0\n");
    auto manager = make();
    manager->open(nullptr, 0);
    ASSERT_EQ(manager->page(), FormPage::FTP_SERVER);
    manager->edit_check(CTL_LOWER_FOLDERS, true);
    EXPECT_EQ(manager->selection()->session->name_case, CASE_LOWER_FOLDERS) << "stored at once";
    EXPECT_TRUE(manager->save());
    EXPECT_NE(read_file((profiles / "site.ftp").string()).find("CASE=2\n"), std::string::npos);

    auto again = make();
    again->open(nullptr, 0);
    EXPECT_TRUE(again->ftp_form().lower_folders);
    EXPECT_FALSE(again->ftp_form().lower_files);

    profile_file("site.ftp", "SERVER=ftp.example\nCASE=3\n");
    again->open(nullptr, 0);
    EXPECT_TRUE(again->ftp_form().lower_folders);
    EXPECT_TRUE(again->ftp_form().lower_files);
}

TEST_F(ProfileManagerTest, TypingAnonymousInAnyCaseSwitchesToTheAnonymousBoxes)
{
    profile_file("site.ftp", "SERVER=ftp.example\nUSERNAME=bob\nPASSWORD=\nANON=0\n");
    settings.set_text(KEY_EMAIL, "me@home.test");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->edit_text(CTL_USER, "ANONYMOUS");
    const FtpForm& form = manager->ftp_form();
    EXPECT_TRUE(form.anonymous);
    EXPECT_EQ(form.anonymous_user, "anonymous");
    EXPECT_EQ(form.anonymous_password, "me@home.test");
    EXPECT_EQ(view.form_refills, 1) << "the window swaps the boxes";
    const SiteProfile& profile = *manager->selection()->session;
    EXPECT_EQ(profile.anonymous, 1);
    EXPECT_EQ(profile.username, "anonymous");
    EXPECT_TRUE(form.can_connect());

    // Clearing the box brings the normal pair back with what it held.
    manager->edit_check(CTL_ANONYMOUS, false);
    EXPECT_FALSE(manager->ftp_form().anonymous);
    EXPECT_EQ(profile.username, "ANONYMOUS");
}

TEST_F(ProfileManagerTest, AnonymousProfilesFillTheAnonymousPairWithDefaults)
{
    profile_file("anon.ftp", "SERVER=ftp.example\nANON=1\n");
    auto manager = make();
    manager->open(nullptr, 0);
    EXPECT_TRUE(manager->ftp_form().anonymous);
    EXPECT_EQ(manager->ftp_form().anonymous_user, "anonymous");
    EXPECT_EQ(manager->ftp_form().anonymous_password, DEFAULT_ANONYMOUS_PASSWORD) << "no email setting";
    EXPECT_TRUE(manager->ftp_form().user.empty());
}

TEST_F(ProfileManagerTest, EnablingFollowsHostUserAndSelection)
{
    profile_file("site.ftp", "USERNAME=bob\n");
    profile_file("box/x.url", "SERVER=http://127.0.0.1/\n");
    auto manager = make();
    manager->open(nullptr, 0);
    DirEntry* site = find(manager->tree(), "site");
    manager->select(site);
    EXPECT_FALSE(manager->ftp_form().boxes_enabled());
    EXPECT_FALSE(manager->ftp_form().can_connect());
    manager->edit_text(CTL_HOST, "127.0.0.1");
    EXPECT_TRUE(manager->ftp_form().boxes_enabled());
    EXPECT_TRUE(manager->ftp_form().can_connect());
    EXPECT_TRUE(manager->enables().connect);
    EXPECT_FALSE(manager->enables().paste);
    manager->copy();
    EXPECT_TRUE(manager->enables().paste);

    manager->select(find(manager->tree(), "box"));
    EXPECT_EQ(manager->page(), FormPage::FOLDER);
    EXPECT_FALSE(manager->enables().connect) << "a folder cannot be connected";
    EXPECT_TRUE(manager->enables().remove);

    auto without_main_window = make(false);
    without_main_window->open(nullptr, 0);
    without_main_window->select(find(without_main_window->tree(), "site"));
    EXPECT_FALSE(without_main_window->enables().connect);
}

TEST_F(ProfileManagerTest, RenameMovesTheFileOrKeepsEverythingOnFailure)
{
    profile_file("a.ftp", "SERVER=a.example\n");
    profile_file("b.ftp", "SERVER=b.example\n");
    auto manager = make();
    manager->open(nullptr, 0);
    DirEntry& a = *find(manager->tree(), "a");

    // Onto an existing name: refused, nothing replaced.
    EXPECT_FALSE(manager->rename_entry(a, "b"));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Unable to rename '" + (profiles / "a.ftp").string() + "' to '" +
                                         (profiles / "b.ftp").string() + "'");
    EXPECT_EQ(a.name, "a");
    EXPECT_EQ(read_file((profiles / "b.ftp").string()), "SERVER=b.example\n");
    EXPECT_TRUE(fs::exists(profiles / "a.ftp"));

    // The same name, or a name that would leave the folder: nothing moves.
    EXPECT_TRUE(manager->rename_entry(a, "a"));
    EXPECT_FALSE(manager->rename_entry(a, "../escape"));
    EXPECT_FALSE(fs::exists(profiles.parent_path() / "escape.ftp"));
    EXPECT_EQ(prompts.asked.size(), 2u);

    EXPECT_TRUE(manager->rename_entry(a, "c"));
    EXPECT_FALSE(fs::exists(profiles / "a.ftp"));
    EXPECT_EQ(read_file((profiles / "c.ftp").string()), "SERVER=a.example\n");
    EXPECT_EQ(a.name, "c");
    EXPECT_EQ(a.session->name, "c");
    EXPECT_EQ(a.path, (profiles / "c.ftp").string());
    EXPECT_EQ(a.session->file_path, a.path);
}

TEST_F(ProfileManagerTest, RenamingAFolderMovesItAndThePathsBelowIt)
{
    profile_file("box/inner.ftp", "SERVER=x\n");
    auto manager = make();
    manager->open(nullptr, 0);
    DirEntry& box = *find(manager->tree(), "box");
    EXPECT_TRUE(manager->rename_entry(box, "crate"));
    DirEntry& inner = *find(manager->tree(), "inner");
    EXPECT_EQ(inner.path, (profiles / "crate" / "inner.ftp").string());
    EXPECT_EQ(inner.session->file_path, inner.path);
    manager->select(&inner);
    manager->edit_text(CTL_COMMENT, "moved");
    EXPECT_TRUE(manager->save());
    EXPECT_NE(read_file((profiles / "crate" / "inner.ftp").string()).find("COMMENT=moved"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(profiles / "box"));
}

TEST_F(ProfileManagerTest, TheNameBoxRenamesTheFileWhenSavedInsteadOfCopyingIt)
{
    profile_file("old.ftp", "SERVER=x\n");
    profile_file("taken.ftp", "SERVER=y\n");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->select(find(manager->tree(), "old"));
    manager->edit_text(CTL_PROFILE_NAME, "fresh");
    EXPECT_EQ(manager->selection()->name, "fresh") << "the label follows at once";
    EXPECT_TRUE(manager->save());
    EXPECT_FALSE(fs::exists(profiles / "old.ftp"));
    EXPECT_TRUE(fs::exists(profiles / "fresh.ftp"));

    // A name already used by another file goes back to the file's name after the message.
    manager->edit_text(CTL_PROFILE_NAME, "take");
    manager->edit_text(CTL_PROFILE_NAME, "taken");
    EXPECT_EQ(manager->selection()->name, "taken") << "equal to a line: that profile is selected";
    manager->select(find(manager->tree(), "take"));
    EXPECT_EQ(read_file((profiles / "taken.ftp").string()), "SERVER=y\n");
    EXPECT_TRUE(fs::exists(profiles / "take.ftp"));
}

TEST_F(ProfileManagerTest, ConnectOnAConnectedProfileOnlyBringsItsSessionForward)
{
    profile_file("site.ftp", "SERVER=127.0.0.1\nUSERNAME=bob\n");
    auto manager = make();
    manager->open(nullptr, 0);
    DirEntry& open_session = sessions.add_open_session("site", (profiles / "site.ftp").string());
    sessions.connected.insert(&open_session);
    manager->edit_text(CTL_REMOTE_FOLDER, "/pub");
    manager->connect();
    EXPECT_EQ(sessions.calls, (std::vector<std::string>{"select site"}));
    EXPECT_EQ(sessions.tree.size(), 1u) << "no second session";
    EXPECT_EQ(open_session.session->remote_folder, "/pub") << "the form goes into the session's profile";
    EXPECT_TRUE(manager->closed());
    EXPECT_FALSE(manager->cancelled());
}

TEST_F(ProfileManagerTest, ConnectMakesASessionOnlyWhenThereIsNone)
{
    profile_file("one.ftp", "SERVER=127.0.0.1\nUSERNAME=bob\n");
    profile_file("two.ftp", "SERVER=127.0.0.1\nUSERNAME=eve\n");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->select(find(manager->tree(), "one"));
    manager->connect();
    EXPECT_EQ(sessions.calls, (std::vector<std::string>{"add one", "select one", "connect one"}));
    ASSERT_EQ(sessions.tree.size(), 1u);
    EXPECT_NE(sessions.tree[0]->session, find(manager->tree(), "one")->session) << "a copy of the profile";

    // A session that exists but is not connected is connected, not duplicated.
    sessions.calls.clear();
    DirEntry& idle = sessions.add_open_session("two", (profiles / "two.ftp").string());
    manager->open(nullptr, 0);
    manager->select(find(manager->tree(), "two"));
    manager->connect();
    EXPECT_EQ(sessions.calls, (std::vector<std::string>{"select two", "connect two"}));
    EXPECT_EQ(idle.session->username, "eve");
}

TEST_F(ProfileManagerTest, EditsAreStoredOnEveryChangeAndReachALiveConnection)
{
    profile_file("site.ftp", "SERVER=127.0.0.1\nPASV=0\n");
    auto manager = make();
    manager->open(nullptr, 0);
    DirEntry& open_session = sessions.add_open_session("site", (profiles / "site.ftp").string());
    sessions.connected.insert(&open_session);
    DirEntry& site = *manager->selection();
    manager->edit_text(CTL_PORT, "2121");
    EXPECT_EQ(site.session->port, "2121");
    EXPECT_TRUE(is_modified(site));
    EXPECT_EQ(read_file((profiles / "site.ftp").string()), "SERVER=127.0.0.1\nPASV=0\n") << "not written yet";
    manager->edit_check(CTL_PASSIVE, true);
    ASSERT_FALSE(sessions.live_flags.empty());
    EXPECT_EQ(sessions.live_flags.back(), (std::pair<std::uint8_t, std::uint8_t>{0, 1}));
    EXPECT_EQ(open_session.session->passive, 1);
}

TEST_F(ProfileManagerTest, CancelKeepsEditsInMemoryWithoutWritingThem)
{
    profile_file("site.ftp", "SERVER=127.0.0.1\n");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->edit_text(CTL_COMMENT, "unsaved");
    manager->cancel();
    EXPECT_TRUE(manager->cancelled());
    EXPECT_EQ(view.closings, 1);
    EXPECT_EQ(read_file((profiles / "site.ftp").string()), "SERVER=127.0.0.1\n");
    EXPECT_EQ(manager->selection()->session->comment, "unsaved");
    EXPECT_TRUE(manager->save());
    EXPECT_NE(read_file((profiles / "site.ftp").string()).find("COMMENT=unsaved"), std::string::npos);

    auto closing = make();
    closing->open(nullptr, 0);
    closing->edit_text(CTL_COMMENT, "kept");
    closing->close();
    EXPECT_NE(read_file((profiles / "site.ftp").string()).find("COMMENT=kept"), std::string::npos);
}

TEST_F(ProfileManagerTest, NameListShowsExistingRecentProfilesSeparatorThenAll)
{
    profile_file("a.ftp", "SERVER=x\n");
    profile_file("b.ftp", "SERVER=x\nUSER=1\n");
    profile_file("c.ftp", "SERVER=x\n");
    profile_file("dir/d.ftp", "SERVER=x\n");
    profile_file("e.url", "SERVER=http://x/\n");
    for (const char* name : {"e", "gone", "dir/d", "c", "a"})
        settings.add_recent_profile(recent_profile_entry(fs::path(name).filename().string(),
                                                         (profiles / (std::string(name) + ".ftp")).string()));
    auto manager = make();
    manager->open(nullptr, 0);
    std::vector<std::string> texts;
    for (const NameLine& line : manager->name_lines())
        texts.push_back(line.text);
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3),
              (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(texts[3].find_first_not_of('-'), std::string::npos);
    EXPECT_EQ(manager->name_lines()[3].node, nullptr);
    EXPECT_EQ(texts.back(), "b") << "imported profiles come last";
    manager->choose_name_line(3);
    manager->choose_name_line(2);
    EXPECT_EQ(manager->selection()->name, "d");
    EXPECT_EQ(manager->current_name_line(), 2);
}

TEST_F(ProfileManagerTest, NewEntriesGoIntoTheSelectedFolderWithPort21AndPassiveMode)
{
    profile_file("box/inner.ftp", "SERVER=x\n");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->select(find(manager->tree(), "inner"));
    EXPECT_FALSE(manager->ftp_form().passive) << "a stored profile without the key stays as its file says";
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(manager->new_entry(KIND_SITE), nullptr);
    EXPECT_EQ(manager->selection()->name, "New FTP profile(2)");
    EXPECT_EQ(manager->selection()->parent, find(manager->tree(), "box"));
    const std::string made = read_file((profiles / "box" / "New FTP profile(1).ftp").string());
    EXPECT_NE(made.find("PORT=21\n"), std::string::npos) << made;
    EXPECT_NE(made.find("PASV=1\n"), std::string::npos) << made;
    EXPECT_EQ(manager->ftp_form().port, "21");
    EXPECT_TRUE(manager->ftp_form().passive);

    DirEntry* folder = manager->new_entry(KIND_PROFILE_FOLDER);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(manager->page_caption(), "New Folder");
    EXPECT_TRUE(fs::is_directory(profiles / "box" / "Folder"));

    auto started_new = make();
    started_new->open(nullptr, MANAGER_START_WITH_NEW_PROFILE);
    EXPECT_EQ(started_new->selection()->parent, nullptr) << "at the top level";
    EXPECT_TRUE(fs::exists(profiles / "New FTP profile.ftp"));
}

TEST_F(ProfileManagerTest, NewProfilesRequireTlsAndTheEncryptionChoiceMovesOnlyADefaultPort)
{
    auto manager = make();
    manager->open(nullptr, 0);
    ASSERT_NE(manager->new_entry(KIND_SITE), nullptr);
    EXPECT_EQ(manager->ftp_form().encryption, ENCRYPTION_EXPLICIT);
    EXPECT_NE(read_file((profiles / "New FTP profile.ftp").string()).find("TLS=2\n"), std::string::npos);

    manager->edit_encryption(ENCRYPTION_IMPLICIT);
    EXPECT_EQ(manager->ftp_form().port, "990");
    EXPECT_EQ(manager->selection()->session->encryption, ENCRYPTION_IMPLICIT) << "stored at once";
    ASSERT_TRUE(manager->save());
    const std::string written = read_file((profiles / "New FTP profile.ftp").string());
    EXPECT_NE(written.find("PORT=990\n"), std::string::npos) << written;
    EXPECT_NE(written.find("TLS=3\n"), std::string::npos) << written;

    manager->edit_encryption(ENCRYPTION_EXPLICIT_IF_AVAILABLE);
    EXPECT_EQ(manager->ftp_form().port, "21");
    manager->edit_text(CTL_PORT, "2121");
    manager->edit_encryption(ENCRYPTION_IMPLICIT);
    EXPECT_EQ(manager->ftp_form().port, "2121") << "a port of the user's own stays";
}

TEST_F(ProfileManagerTest, PasteMakesANewEntryWithTheCopiedSettings)
{
    profile_file("src.ftp", "SERVER=127.0.0.1\nUSERNAME=bob\nPASSWORD=\nSAVE=1\nPASV=1\n");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->copy();
    manager->edit_text(CTL_HOST, "changed.after.copy");
    DirEntry* pasted = manager->paste();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->name, "New FTP profile");
    const std::string text = read_file((profiles / "New FTP profile.ftp").string());
    EXPECT_NE(text.find("SERVER=127.0.0.1\n"), std::string::npos);
    EXPECT_NE(text.find("USERNAME=bob\n"), std::string::npos);
    EXPECT_NE(text.find("PASV=1\n"), std::string::npos);
    EXPECT_EQ(pasted->session->file_path, (profiles / "New FTP profile.ftp").string());

    // The clipboard outlives the window.
    auto next = make();
    next->open(nullptr, 0);
    EXPECT_TRUE(next->enables().paste);
}

TEST_F(ProfileManagerTest, DeleteAsksAndRemovesFilesAndFolders)
{
    profile_file("site.ftp", "SERVER=x\n");
    profile_file("box/sub/deep.ftp", "SERVER=x\n");
    fs::create_directories(profiles.parent_path() / "outside");
    write_file((profiles.parent_path() / "outside" / "keep.ftp").string(), "SERVER=x\n");
    fs::create_directory_symlink(profiles.parent_path() / "outside", profiles / "box" / "link");
    auto manager = make();
    manager->open(nullptr, 0);
    manager->select(find(manager->tree(), "site"));

    prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(manager->delete_selection());
    EXPECT_EQ(prompts.asked.back().caption, "Confirm Delete");
    EXPECT_EQ(prompts.asked.back().text, "Would you like to delete the FTP profile 'site'?");
    EXPECT_TRUE(fs::exists(profiles / "site.ftp"));

    prompts.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(manager->delete_selection());
    EXPECT_FALSE(fs::exists(profiles / "site.ftp"));
    EXPECT_EQ(find(manager->tree(), "site"), nullptr);

    manager->select(find(manager->tree(), "box"));
    prompts.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(manager->delete_selection());
    EXPECT_EQ(prompts.asked.back().text, "Would you like to delete the Folder 'box' and its contents?");
    EXPECT_FALSE(fs::exists(profiles / "box"));
    EXPECT_TRUE(fs::exists(profiles.parent_path() / "outside" / "keep.ftp")) << "a link is not followed";
}

TEST_F(ProfileManagerTest, OpeningSelectsTheProfileAtOrAboveTheGivenNode)
{
    profile_file("a.ftp", "SERVER=x\n");
    profile_file("box/b.ftp", "SERVER=x\n");
    auto session_site = make_profile_node("b", KIND_SITE);
    session_site->session->file_path = (profiles / "box" / "b.ftp").string();
    auto remote_folder = std::make_unique<DirEntry>();
    remote_folder->kind = KIND_FOLDER;
    DirEntry& below = session_site->add_child(std::move(remote_folder));
    auto manager = make();
    manager->open(&below, MANAGER_MARK_SELECTED_PROFILE);
    EXPECT_EQ(manager->selection(), find(manager->tree(), "b"));
    EXPECT_EQ(manager->status_text(), "x");
}

TEST_F(ProfileManagerTest, ACommandLineProfileIsSavedToItsOwnFile)
{
    const fs::path own = fs::path(dir.path().toStdString()) / "elsewhere.ftp";
    write_file(own.string(), "SERVER=x\n");
    auto node = make_profile_node("elsewhere", KIND_SITE);
    node->path = own.string();
    ASSERT_TRUE(load_profile_file(*node));
    auto manager = make(false);
    manager->open(nullptr, 0, node.get());
    EXPECT_EQ(manager->selection(), node.get());
    EXPECT_FALSE(manager->enables().remove);
    EXPECT_FALSE(manager->enables().rename);
    manager->edit_text(CTL_HOST, "127.0.0.1");
    manager->close();
    EXPECT_NE(read_file(own.string()).find("SERVER=127.0.0.1\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(profiles / "elsewhere.ftp"));
    EXPECT_FALSE(manager->cancelled());
}

} // namespace
} // namespace kestovan
