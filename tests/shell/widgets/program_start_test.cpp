// How the program meets a newcomer: with no profile yet the profile manager opens on a new profile
// at the host box, and an ftp:// address on the command line connects a temporary profile.
#include "profiles/widgets/profile_manager_window.h"
#include "profiles/widgets/profile_pages.h"
#include "support/program_harness.h"
#include "support/pyftpdlib_server.h"
#include "support/test_environment.h"
#include "views/widgets/remote_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

ProfileManagerWindow* open_manager(test::ProgramHarness& h)
{
    auto* manager = h.window().findChild<ProfileManagerWindow*>();
    return manager && manager->isVisible() ? manager : nullptr;
}

TEST(ProgramStart, WithoutProfilesTheManagerOpensOnANewPassiveProfileAtTheHostBox)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    ASSERT_TRUE(test::wait_until([&] { return open_manager(h) != nullptr; }));
    ProfileManagerWindow* manager = open_manager(h);
    const DirEntry* fresh = manager->model().selection();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->kind, KIND_SITE);
    EXPECT_EQ(manager->tree().topLevelItemCount(), 1) << "the new profile, once";
    EXPECT_EQ(manager->focusWidget(), manager->ftp_page().line_edit(CTL_HOST));
    EXPECT_TRUE(manager->ftp_page().check_box(CTL_PASSIVE)->isChecked());
    manager->close();

    // Once a profile exists, the program starts on the main window alone; so it does when a command
    // line says what to do.
    ASSERT_TRUE(h.restart());
    QApplication::processEvents();
    EXPECT_EQ(open_manager(h), nullptr);
    std::filesystem::remove_all(h.data_folder() / "Profiles");
    ASSERT_TRUE(h.restart({"-b"}));
    QApplication::processEvents();
    EXPECT_EQ(open_manager(h), nullptr);
}

TEST(ProgramStart, F1AndHelpManualOpenTheHelpPageInTheWindowsLanguage)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start({"-b"}));
    auto shown_page = [&]() -> std::string {
        auto* page = h.window().findChild<QTextBrowser*>("help_page");
        return page && page->isVisible() ? page->source().fileName().toStdString() : "";
    };
    for (int command : {7888, 106}) { // Help (F1), Help > Manual
        if (auto* viewer = h.window().findChild<QWidget*>("help_viewer"))
            viewer->close();
        ASSERT_EQ(shown_page(), "");
        h.window().action(command)->trigger();
        EXPECT_EQ(shown_page(), "help.htm") << command;
    }
    EXPECT_EQ(h.window().action(7888)->shortcut(), QKeySequence(Qt::Key_F1));
    h.window().switch_language("de");
    EXPECT_EQ(shown_page(), "help_de.htm");
}

TEST(ProgramStart, AnFtpAddressConnectsATemporaryProfile)
{
    test::PyftpdlibServer server;
    server.make_file("pub/welcome.txt", "hello\n");
    test::ProgramHarness h;
    const std::string address = "ftp://" + server.user() + ":" + server.password() +
                                "@127.0.0.1:" + std::to_string(server.port()) + "/pub";
    ASSERT_TRUE(h.start({address}));
    EXPECT_EQ(open_manager(h), nullptr) << "the address is what to connect";
    auto* list = h.child<RemoteList>("1218");
    ASSERT_TRUE(test::wait_until(
        [&] {
            RemoteListModel& model = list->list_model();
            for (int r = 0; r < model.rowCount(); ++r)
                if (model.index(r, RemoteListModel::COL_FILE).data().toString() == "welcome.txt")
                    return true;
            return false;
        },
        15000))
        << server.log();
    const std::string name =
        "ftp://" + server.user() + "@127.0.0.1:" + std::to_string(server.port()) + "/pub";
    DirEntry* site = h.app().find_profile(name);
    ASSERT_NE(site, nullptr) << name;
    h.stop();
    const std::filesystem::path profiles = h.data_folder() / "Profiles";
    EXPECT_TRUE(!std::filesystem::exists(profiles) || std::filesystem::is_empty(profiles))
        << "nothing is left behind";
}

} // namespace
} // namespace kestovan
