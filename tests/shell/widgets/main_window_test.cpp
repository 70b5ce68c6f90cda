// The main window as a user meets it: its view flags, the button column's hiding rule, the command
// states and title with no session, and a whole session against a real server (connect, browse,
// download by double-click, the terminal). With KESTOVAN_SHOTS_DIR set, the session test saves
// screenshots of the window there.
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/application.h"
#include "shell/task_rows.h"
#include "shell/widgets/button_column.h"
#include "shell/widgets/command_dialog.h"
#include "shell/widgets/log_pane.h"
#include "shell/widgets/main_window.h"
#include "support/http_servers.h"
#include "support/modal_dialogs.h"
#include "support/test_certificates.h"
#include "support/test_environment.h"
#include "support/vsftpd_server.h"
#include "views/widgets/local_pane.h"
#include "views/widgets/remote_list.h"
#include "views/widgets/remote_tree.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

struct RecordingSounds : Sounds {
    void play(std::string_view, bool) override {}
};

// The program's objects in a data folder of their own, as main() puts them together.
struct WindowHarness {
    WindowHarness()
    {
        std::string error;
        EXPECT_TRUE(app.prepare_folders(data.path().toStdString(), &error)) << error;
    }
    void open(int view_flags = VIEW_DEFAULT)
    {
        app.load_state();
        app.settings.set_integer(KEY_VIEW, view_flags);
        app.start_engine();
        window = std::make_unique<MainWindow>(app, prompts);
        window->apply_view_flags();
        window->show();
    }
    ~WindowHarness()
    {
        if (window) {
            app.shutdown();
            window.reset();
        }
        app.engine.engine_shutdown();
    }

    bool enabled(int command) const
    {
        QAction* a = window->action(command);
        return a && a->isEnabled();
    }
    template <class W>
    W* child(const char* name) const
    {
        return window->findChild<W*>(QString::fromLatin1(name));
    }

    QTemporaryDir data;
    ShellPrompts prompts{nullptr};
    RecordingSounds sounds;
    Application app{prompts, sounds};
    std::unique_ptr<MainWindow> window;
};

void save_shot(QWidget& widget, const char* name)
{
    const char* folder = std::getenv("KESTOVAN_SHOTS_DIR");
    if (!folder || !*folder)
        return;
    std::filesystem::create_directories(folder);
    widget.grab().save(QString::fromUtf8(folder) + "/" + QString::fromLatin1(name) + ".png");
}

TEST(MainWindowView, AllViewFlagsClearHideEveryOptionalElement)
{
    WindowHarness h;
    h.open(0);
    auto* toolbar = h.child<QToolBar>("toolbar");
    auto* buttons = h.child<ButtonColumn>("button_column");
    auto* lower = h.child<QTabWidget>("2203");
    ASSERT_TRUE(toolbar && buttons && lower);
    EXPECT_FALSE(toolbar->isVisible());
    EXPECT_FALSE(buttons->isVisible());
    EXPECT_FALSE(lower->isVisible());
    for (int toggle : {457, 403, 404, 406})
        EXPECT_FALSE(h.window->action(toggle)->isChecked()) << toggle;

    // The menu toggles bring them back and store the bits.
    h.window->action(457)->trigger();
    h.window->action(404)->trigger();
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_TRUE(buttons->isVisible());
    EXPECT_FALSE(lower->isVisible());
    EXPECT_EQ(h.app.settings.integer(KEY_VIEW), VIEW_TOOLBAR | VIEW_BUTTONS);
}

TEST(MainWindowView, TheLogPaneFollowsTheCurrentSession)
{
    WindowHarness h;
    h.open();
    ShellContext& ctx = h.app.shell->context();
    std::vector<DirEntry*> sites;
    for (const char* name : {"Alpha", "Beta"}) {
        auto node = make_profile_node(name, KIND_SITE);
        attach_profile(*node, std::make_unique<SiteProfile>());
        ctx.tree.push_back(std::move(node));
        sites.push_back(ctx.tree.back().get());
        ctx.log.append(sites.back()->session, std::string("line of ") + name, LOG_MAROON);
    }
    auto* pane = h.window->findChild<LogPane*>();
    ASSERT_NE(pane, nullptr);
    h.app.shell->browser().select_node(sites[0]);
    EXPECT_EQ(pane->toPlainText().trimmed(), "line of Alpha");
    h.app.shell->browser().select_node(sites[1]);
    EXPECT_EQ(pane->toPlainText().trimmed(), "line of Beta");
}

TEST(MainWindowView, At1280By800TheLocalListShowsEveryColumnWhole)
{
    WindowHarness h;
    h.app.load_state();
    h.app.start_engine();
    h.window = std::make_unique<MainWindow>(h.app, h.prompts);
    h.window->apply_view_flags();
    h.window->resize(1280, 800);
    h.window->show();
    QApplication::processEvents();
    auto* local = h.window->findChild<LocalPane*>();
    ASSERT_NE(local, nullptr);
    PaneView& list = local->list_view();
    EXPECT_GE(list.viewport()->width() + list.verticalScrollBar()->width(),
              list.width_for_columns() - 2 * list.frameWidth())
        << "the Date column is cut";
}

TEST(MainWindowView, DefaultFlagsShowEverything)
{
    WindowHarness h;
    h.open();
    EXPECT_TRUE(h.child<QToolBar>("toolbar")->isVisible());
    EXPECT_TRUE(h.child<ButtonColumn>("button_column")->isVisible());
    EXPECT_TRUE(h.child<QTabWidget>("2203")->isVisible());
    EXPECT_EQ(h.app.settings.integer(KEY_VIEW), VIEW_DEFAULT);
}

TEST(ButtonColumnRule, ButtonsBelowTheTerminalButtonsTopAreHidden)
{
    EXPECT_TRUE(column_button_fits(100, 100));
    EXPECT_TRUE(column_button_fits(99, 100));
    EXPECT_FALSE(column_button_fits(101, 100));

    WindowHarness h;
    h.open();
    auto* column = h.child<ButtonColumn>("button_column");
    auto visible_buttons = [&] {
        int n = 0;
        for (QPushButton* b : column->findChildren<QPushButton*>())
            n += b->isVisible();
        return n;
    };
    h.window->resize(1200, 1000);
    QApplication::processEvents();
    const int tall = visible_buttons();
    h.window->resize(1200, 330);
    QApplication::processEvents();
    const int short_column = visible_buttons();
    EXPECT_LT(short_column, tall);
    // Whatever is shown lies above the Terminal button.
    const int terminal_top = column->button(1869)->geometry().top();
    for (QPushButton* b : column->findChildren<QPushButton*>())
        if (b->isVisible() && b != column->button(1869) && b->geometry().top() < terminal_top) {
            EXPECT_LE(b->geometry().bottom(), terminal_top) << b->objectName().toStdString();
        }
}

TEST(MainWindowStates, WithNoSessionOnlyWhatNeedsNoneIsEnabled)
{
    WindowHarness h;
    h.open();
    h.app.shell->context().selected = nullptr;
    h.app.shell->context().current_session_node = nullptr;
    h.window->command_states_changed();
    // Terminal, the connect button and the toolbar's connect and disconnect need a session.
    for (int needs_session : {1869, 1107, 1106})
        EXPECT_FALSE(h.enabled(needs_session)) << needs_session;
    EXPECT_FALSE(h.window->buttons()->button(2011)->isEnabled());
    EXPECT_FALSE(h.window->buttons()->button(1869)->isEnabled());
    // Quit, refresh (of the local list at least) and the view toggles do not.
    for (int always : {414, 1858, 457, 403, 404})
        EXPECT_TRUE(h.enabled(always)) << always;
    const std::string title = h.window->windowTitle().toStdString();
    EXPECT_NE(title.find("Kestovan FTP"), std::string::npos) << title;
}

// A real server, the window as a user drives it: select a profile, connect, open a folder by
// double-click, download a file by double-click, open the terminal.
TEST(MainWindowSession, ConnectBrowseAndDownloadFromVsftpd)
{
    test::VsftpdServer server;
    server.make_folder("pub/empty");
    server.make_file("README.txt", "Welcome\n");
    std::string payload;
    {
        std::ifstream in(server.make_random_file("pub/archive.bin", 300000), std::ios::binary);
        payload.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    WindowHarness h;
    {
        auto node = make_profile_node("Local vsftpd", KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = "Local vsftpd";
        profile->server = "127.0.0.1";
        profile->port = std::to_string(server.port());
        profile->username = server.user();
        profile->password = server.password();
        profile->passive = 1;
        profile->save_password = 1;
        profile->encryption = ENCRYPTION_PLAIN;
        attach_profile(*node, std::move(profile));
        std::filesystem::create_directories(std::filesystem::path(h.data.path().toStdString()) / "Profiles");
        ASSERT_TRUE(write_profile_file(*node, h.data.path().toStdString() + "/Profiles/Local vsftpd.ftp"));
    }
    const std::string downloads = (std::filesystem::path(h.data.path().toStdString()) / "downloads").string();
    std::filesystem::create_directories(downloads);
    h.open();
    // No question or message box should come up on this path; one that does is recorded and closed.
    std::vector<std::string> unexpected_dialogs;
    QTimer dialog_watch;
    QObject::connect(&dialog_watch, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            std::string texts = modal->windowTitle().toStdString();
            for (QLabel* label : modal->findChildren<QLabel*>())
                texts += " | " + label->text().toStdString();
            unexpected_dialogs.push_back(texts);
            modal->close();
        }
    });
    dialog_watch.start(50);
    h.window->resize(1024, 768);
    ShellContext& ctx = h.app.shell->context();
    ctx.local_folder = downloads;
    h.window->local_list_changed();

    DirEntry* site = h.app.find_profile("Local vsftpd");
    ASSERT_NE(site, nullptr);
    h.app.shell->browser().select_node(site);
    h.app.shell->sessions().connect(site, false);
    auto* list = h.child<RemoteList>("1218");
    ASSERT_NE(list, nullptr);
    auto row_named = [&](const std::string& name) -> QModelIndex {
        RemoteListModel& model = list->list_model();
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.index(r, RemoteListModel::COL_FILE).data().toString().toStdString() == name)
                return model.index(r, RemoteListModel::COL_FILE);
        return {};
    };
    ASSERT_TRUE(test::wait_until([&] { return row_named("pub").isValid(); }, 10000))
        << server.log() << (unexpected_dialogs.empty() ? "" : unexpected_dialogs.front());

    auto double_click = [&](const QModelIndex& index) {
        list->setCurrentIndex(index);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    };
    double_click(row_named("pub"));
    ASSERT_TRUE(test::wait_until([&] { return row_named("archive.bin").isValid(); }, 10000)) << server.log();
    auto* tree = h.child<RemoteTree>("1668");
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(tree->current_node(), nullptr);
    EXPECT_EQ(tree->current_node()->name, "pub") << "the tree follows the folder opened in the list";
    double_click(row_named(".."));
    ASSERT_TRUE(test::wait_until([&] { return row_named("pub").isValid(); }, 10000));
    double_click(row_named("pub")); // listed already: shown from the tree's cache
    ASSERT_TRUE(test::wait_until([&] { return row_named("archive.bin").isValid(); }, 10000));
    EXPECT_EQ(tree->current_node()->name, "pub");
    save_shot(*h.window, "main-window-connected");

    double_click(row_named("archive.bin"));
    const std::string local = downloads + "/archive.bin";
    ASSERT_TRUE(test::wait_until(
        [&] { return std::filesystem::exists(local) && std::filesystem::file_size(local) == 300000; },
        10000));
    std::ifstream in(local, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, payload);

    auto* lower = h.child<QTabWidget>("2203");
    lower->setCurrentIndex(0);
    save_shot(*h.window, "main-window-log");
    lower->setCurrentIndex(1);
    QApplication::processEvents();
    save_shot(*h.window, "main-window-tasks");
    EXPECT_NE(h.window->windowTitle().toStdString().find("Local vsftpd"), std::string::npos);

    h.window->open_terminal();
    QApplication::processEvents();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != h.window.get() && top->isVisible() && top->objectName() == "139")
            save_shot(*top, "terminal");
    h.window->resize(1920, 1080);
    lower->setCurrentIndex(0);
    QApplication::processEvents();
    save_shot(*h.window, "main-window-1920");
    EXPECT_TRUE(unexpected_dialogs.empty()) << unexpected_dialogs.front();
}

// A URL profile in the window: opening it lists the page's links in the remote list, and a
// double-clicked link downloads into the local folder with its row in the Tasks tab.
TEST(MainWindowSession, UrlProfileListsLinksAndDownloadsOne)
{
    test::PythonHttpServer server;
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    server.make_file("index.html", "<html><body><a href=\"release-1.0.tar.gz\">1.0</a>"
                                   "<a href=\"notes.txt\">notes</a><a href=\"#top\">top</a></body></html>");
    server.make_file("notes.txt", "Release notes\n");
    server.make_random_file("release-1.0.tar.gz", 400000);

    WindowHarness h;
    {
        auto node = make_profile_node("Releases page", KIND_URL_PROFILE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = "Releases page";
        profile->server = base + "/index.html";
        attach_profile(*node, std::move(profile));
        std::filesystem::create_directories(std::filesystem::path(h.data.path().toStdString()) / "Profiles");
        ASSERT_TRUE(write_profile_file(*node, h.data.path().toStdString() + "/Profiles/Releases page.url"));
    }
    const std::string downloads = (std::filesystem::path(h.data.path().toStdString()) / "downloads").string();
    std::filesystem::create_directories(downloads);
    h.open();
    h.window->resize(1024, 768);
    ShellContext& ctx = h.app.shell->context();
    ctx.local_folder = downloads;
    h.window->local_list_changed();

    DirEntry* page = h.app.find_profile("Releases page");
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->kind, KIND_URL_PROFILE);
    h.app.shell->browser().select_node(page);
    h.app.shell->sessions().connect(page, false);
    auto* list = h.child<RemoteList>("1218");
    auto row_named = [&](const std::string& name) -> QModelIndex {
        RemoteListModel& model = list->list_model();
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.index(r, RemoteListModel::COL_FILE).data().toString().toStdString() == name)
                return model.index(r, RemoteListModel::COL_FILE);
        return {};
    };
    ASSERT_TRUE(test::wait_until([&] { return row_named("notes.txt").isValid(); }, 10000));
    EXPECT_TRUE(row_named("release-1.0.tar.gz").isValid());
    save_shot(*h.window, "url-profile-links");

    const QModelIndex link = row_named("release-1.0.tar.gz");
    list->setCurrentIndex(link);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(link).center());
    const std::string local = downloads + "/release-1.0.tar.gz";
    ASSERT_TRUE(test::wait_until(
        [&] {
            return std::filesystem::exists(local) && std::filesystem::file_size(local) == 400000 &&
                   !ctx.tasks.rows().empty() && ctx.tasks.rows().back()->state == TASK_DONE;
        },
        10000));
    h.child<QTabWidget>("2203")->setCurrentIndex(1);
    QApplication::processEvents();
    save_shot(*h.window, "url-profile-download-tasks");
}

// An encrypted session as the user meets it: the certificate dialog for a self-signed certificate,
// then the title, the status bar and the log saying the session is encrypted.
TEST(MainWindowSession, AnEncryptedSessionShowsItInTheTitleStatusBarAndLog)
{
    test::TestCertificates certificates;
    const test::ServerCertificate certificate =
        certificates.make_server("self", {"IP:127.0.0.1"}, /*self_signed=*/true);
    test::RealServerOptions options;
    options.tls_certificate = certificate.certificate;
    options.tls_key = certificate.key;
    test::VsftpdServer server(options);
    server.make_file("README.txt", "Welcome\n");

    WindowHarness h;
    {
        auto node = make_profile_node("Secure vsftpd", KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = "Secure vsftpd";
        profile->server = "127.0.0.1";
        profile->port = std::to_string(server.port());
        profile->username = server.user();
        profile->password = server.password();
        profile->passive = 1;
        profile->save_password = 1;
        profile->encryption = ENCRYPTION_EXPLICIT;
        attach_profile(*node, std::move(profile));
        std::filesystem::create_directories(std::filesystem::path(h.data.path().toStdString()) / "Profiles");
        ASSERT_TRUE(write_profile_file(*node, h.data.path().toStdString() + "/Profiles/Secure vsftpd.ftp"));
    }
    h.open();
    h.window->resize(1024, 768);
    DirEntry* site = h.app.find_profile("Secure vsftpd");
    ASSERT_NE(site, nullptr);
    h.app.shell->browser().select_node(site);
    std::string shown_fingerprint;
    test::when_modal_opens([&](QWidget& dialog) {
        if (auto* sha256 = dialog.findChild<QLabel*>("sha256"))
            shown_fingerprint = sha256->text().toStdString();
        save_shot(dialog, "certificate-dialog-live");
        if (auto* trust = dialog.findChild<QPushButton*>("trust_once"))
            trust->click();
    });
    h.app.shell->sessions().connect(site, false);
    auto* status = h.child<QLabel>("status_encryption");
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(test::wait_until([&] { return status->text().startsWith("Encrypted (TLSv1."); }, 10000))
        << status->text().toStdString() << server.log();
    EXPECT_EQ(shown_fingerprint, certificate.sha256);
    EXPECT_NE(h.window->windowTitle().toStdString().find("(Connected, encrypted)"), std::string::npos)
        << h.window->windowTitle().toStdString();
    auto* pane = h.window->findChild<LogPane*>();
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->toPlainText().contains("TLSv1.")) << pane->toPlainText().toStdString();
    ASSERT_TRUE(test::wait_until(
        [&] { return h.window->findChild<RemoteList*>("1218")->list_model().rowCount() > 1; }, 10000));
    // The shot shows the log's start, where the TLS version and cipher are named.
    pane->verticalScrollBar()->setValue(0);
    save_shot(*h.window, "main-window-encrypted");
}

} // namespace
} // namespace kestovan
