// Sessions against real and scripted servers: connecting and the first listing, cancel, disconnect,
// refusals, network errors, hammering, pending operations and spawned connections.
#include "engine/control_channel.h"
#include "platform/clock.h"
#include "platform/connect_guard.h"
#include "shell_harness.h"
#include "support/pyftpdlib_server.h"
#include "support/scripted_ftp_server.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::ShellHarness;

TEST(Sessions, ConnectLogsInListsTheStartFolderAndRemembersTheProfile)
{
    test::PyftpdlibServer server;
    server.make_file("readme.txt", "hello");
    server.make_folder("pub");
    ShellHarness h;
    DirEntry& site = h.add_site("Test site", server.port(), server.user(), server.password());
    site.find_session()->file_path = "Profiles/Test site.ftp";
    h.shell->sessions().connect(&site, false);
    ASSERT_TRUE(h.wait([&] { return site.children.size() == 2; })) << server.log();
    SiteProfile& profile = *site.find_session();
    EXPECT_EQ(profile.sessions->state, SESSION_CONNECTED);
    EXPECT_EQ(site.site_folder, "") << "PWD answered \"/\", recorded as empty text";
    EXPECT_EQ(ShellHarness::count_containing(profile, "<008000>\r\nConnecting to 127.0.0.1"), 1);
    EXPECT_EQ(ShellHarness::count_containing(profile, "<008000>Connected to 127.0.0.1"), 1);
    EXPECT_EQ(h.settings.recent_profiles(), std::vector<std::string>{"Test site:Profiles/Test site.ftp"});
    EXPECT_NE(std::find(h.sounds.played.begin(), h.sounds.played.end(), "FtpConnect"), h.sounds.played.end());
}

TEST(Sessions, ThePasswordIsMaskedInTheStoredLog)
{
    test::PyftpdlibServer server;
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_TRUE(h.wait([&] { return profile.sessions && profile.sessions->state == SESSION_CONNECTED; }));
    EXPECT_EQ(profile.log.find(server.password()), std::string::npos);
    EXPECT_EQ(ShellHarness::count_containing(profile, "PASS " + std::string(server.password().size(), '*')),
              1);
}

TEST(Sessions, PressingConnectWhileConnectingCancelsWithALogLine)
{
    test::ScriptedFtpServer server;
    server.await("never").reply("220 late");
    server.start();
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port());
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_EQ(profile.sessions->state, SESSION_CONNECTING);
    ASSERT_TRUE(h.wait([&] {
        return h.engine.connection_count() == 1 && ShellHarness::count_containing(profile, "Connected to");
    }));
    h.shell->sessions().connect(&site, false);
    EXPECT_EQ(profile.sessions, nullptr);
    EXPECT_EQ(h.engine.connection_count(), 0u);
    EXPECT_EQ(ShellHarness::count_containing(profile, "<800000>Cancel"), 1);
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), "Cancel");
    server.release("never");
}

TEST(Sessions, DisconnectQuitsAndLogsTheEnd)
{
    test::PyftpdlibServer server;
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_TRUE(h.wait([&] { return profile.sessions && profile.sessions->state == SESSION_CONNECTED; }));
    h.shell->sessions().disconnect(&site);
    ASSERT_TRUE(h.wait([&] { return profile.sessions == nullptr; }));
    EXPECT_EQ(ShellHarness::count_containing(profile, "<800000>Disconnected from 127.0.0.1"), 1);
    EXPECT_EQ(h.engine.connection_count(), 0u);
}

TEST(Sessions, ARefusedPasswordEndsTheSession)
{
    test::PyftpdlibServer server;
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), "wrong");
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_TRUE(h.wait([&] { return ShellHarness::count_containing(profile, "Disconnected from") == 1; }));
    EXPECT_EQ(profile.sessions, nullptr);
    // The refusal is named as the reason, in the log's error colour and in the status bar.
    EXPECT_EQ(ShellHarness::count_containing(profile, "<c00000>Login failed: 530"), 1);
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE).rfind("Login failed: 530", 0), 0u)
        << h.ctx().status.text(STATUS_MESSAGE);
}

TEST(Sessions, ARefusedConnectLeavesTheSessionIdleAndNamesTheReasonWithoutABox)
{
    ShellHarness h;
    DirEntry& site = h.add_site("s", 1);
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_TRUE(h.wait([&] { return profile.sessions == nullptr && h.engine.connection_count() == 0; }));
    const std::string reason =
        "Unable to connect to 127.0.0.1: the connection was refused (Winsock Error 10061)";
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), reason);
    EXPECT_EQ(ShellHarness::count_containing(profile, "<c00000>" + reason), 1);
    EXPECT_EQ(h.prompts.asked.size(), 0u);
}

TEST(Sessions, HammeringMakesExactlyHcountAttemptsAboutHdelayApart)
{
    ShellHarness h;
    h.settings.set_integer("hcount", 3);
    h.settings.set_integer("hdelay", 1000);
    DirEntry& site = h.add_site("s", 1);
    SiteProfile& profile = *site.find_session();
    std::vector<std::int64_t> attempts;
    struct Watch : LogObserver {
        std::vector<std::int64_t>* times;
        void log_appended(const SiteProfile*, const std::vector<LogSegment>& entry, bool) override
        {
            if (entry.front().colour == LOG_NAVY &&
                entry.front().text.find("Connecting to") != std::string::npos)
                times->push_back(now_ms());
        }
        void log_cleared(const SiteProfile*) override {}
    } watch;
    watch.times = &attempts;
    h.ctx().log.add_observer(&watch);
    {
        VirtualClock clock;
        h.shell->sessions().start_hammer(&site);
        for (int step = 0; step < 60; ++step) {
            clock.advance(100);
            h.wait([] { return false; }, 5); // let the refused connects arrive
        }
    }
    h.ctx().log.remove_observer(&watch);
    ASSERT_EQ(attempts.size(), 3u);
    EXPECT_NEAR(attempts[1] - attempts[0], 1100, 150);
    EXPECT_NEAR(attempts[2] - attempts[1], 1100, 150);
    EXPECT_EQ(profile.hammer_attempt, 0) << "hammering stops after the last attempt";
    EXPECT_FALSE(h.window.has_timer(996));
}

TEST(Sessions, APendingDownloadRunsAfterYesAndLandsInTheFolderShownWhenAsked)
{
    test::PyftpdlibServer server;
    server.make_file("data.txt", "payload");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    auto file = std::make_unique<DirEntry>();
    file->kind = KIND_FILE;
    file->name = "data.txt";
    file->path = "/data.txt";
    file->size = "7";
    DirEntry& entry = site.add_child(std::move(file));
    h.shell->browser().select_node(&site);
    QTemporaryDir first_folder;
    h.ctx().local_folder = first_folder.path().toStdString();
    h.prompts.answers.push_back(PromptAnswer::Yes);
    h.shell->browser().download_entries(&site, {&entry}, h.ctx().local_folder);
    ASSERT_EQ(h.prompts.count("question"), 1);
    EXPECT_EQ(h.prompts.asked[0].text, "Would you like to establish a connection to the FTP server?");
    EXPECT_EQ(h.prompts.asked[0].caption, "s (Not Connected)");
    h.ctx().local_folder = h.local.path().toStdString(); // the user moves on before the login
    const std::string target = first_folder.filePath("data.txt").toStdString();
    ASSERT_TRUE(h.wait(
        [&] { return std::filesystem::exists(target) && std::filesystem::file_size(target) == 7; }, 10000))
        << server.log();
    EXPECT_EQ(test::read_file(target), "payload");
}

TEST(Sessions, APendingListingListsTheFolderItWasAskedFor)
{
    test::PyftpdlibServer server;
    server.make_file("pub/deep/inside.txt", "x");
    server.make_file("top.txt", "t");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    auto folder = std::make_unique<DirEntry>();
    folder->kind = KIND_FOLDER;
    folder->name = "deep";
    folder->path = "/pub/deep";
    folder->session = site.find_session();
    DirEntry& deep = site.add_child(std::move(folder));
    h.shell->browser().select_node(&site);
    h.prompts.answers.push_back(PromptAnswer::Yes);
    h.shell->browser().open_row(&deep);
    ASSERT_TRUE(h.wait([&] { return !deep.children.empty(); }, 10000)) << server.log();
    ASSERT_EQ(deep.children.size(), 1u);
    EXPECT_EQ(deep.children[0]->name, "inside.txt");
    EXPECT_EQ(deep.children[0]->path, "/pub/deep/inside.txt");
}

TEST(Sessions, AListingWhileATransferRunsSpawnsASecondConnection)
{
    test::PyftpdlibServer server;
    server.make_random_file("big.bin", 64 * 1024 * 1024, 3);
    server.make_file("sub/inner.txt", "x");
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_TRUE(h.wait([&] { return site.children.size() == 2; })) << server.log();
    h.shell->browser().select_node(&site);
    DirEntry* big = nullptr;
    DirEntry* sub = nullptr;
    for (auto& child : site.children)
        (child->name == "big.bin" ? big : sub) = child.get();
    ASSERT_TRUE(big && sub);
    h.shell->browser().download_entries(&site, {big}, h.ctx().local_folder);
    ASSERT_TRUE(h.ctx().is_busy(&site));
    h.shell->browser().open_row(sub);
    EXPECT_EQ(ShellHarness::count_containing(profile, "<008000>Spawning Connection"), 1);
    EXPECT_EQ(ShellHarness::count_containing(profile, "<008000>\r\nConnecting to 127.0.0.1"), 2)
        << "the spawned connection says where it goes, as the first did";
    EXPECT_EQ(h.ctx().status.text(STATUS_MESSAGE), "Connecting to 127.0.0.1");
    ASSERT_TRUE(h.wait([&] { return sub->children.size() == 1; }, 10000)) << server.log();
    EXPECT_EQ(sub->children[0]->name, "inner.txt");
}

TEST(Sessions, TheEchoOfATypedCommandIsSwallowed)
{
    test::PyftpdlibServer server;
    ShellHarness h;
    DirEntry& site = h.add_site("s", server.port(), server.user(), server.password());
    h.shell->sessions().connect(&site, false);
    SiteProfile& profile = *site.find_session();
    ASSERT_TRUE(h.wait([&] {
        return site.listed() || !site.children.empty() || ShellHarness::count_containing(profile, "226");
    }));
    h.wait([] { return false; }, 100);
    h.shell->typed().typed_command(&site, "NOOP");
    h.ctx().log.suppress_next();
    ASSERT_TRUE(h.wait([&] { return ShellHarness::count_containing(profile, "200 ") >= 1; }));
    EXPECT_EQ(ShellHarness::count_containing(profile, "<000000>NOOP"), 1) << "the typed line, stored once";
}

} // namespace
} // namespace kestovan
