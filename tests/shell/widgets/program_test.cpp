// The assembled program: every hook connected, its start and exit sounds, the language it is left in
// coming back checked after a restart, every text of the window restored after a round of languages,
// the main window's placement surviving a restart, and the Firewall/Proxy page taking a session
// through SOCKS 5 and a URL profile through an HTTP proxy. With KESTOVAN_SHOTS_DIR set the German
// window and the preferences pages are saved there as screenshots.
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "settings/widgets/preferences_dialog.h"
#include "shell/widgets/button_column.h"
#include "support/http_servers.h"
#include "support/modal_dialogs.h"
#include "support/program_harness.h"
#include "support/proxy_server.h"
#include "support/test_environment.h"
#include "support/vsftpd_server.h"
#include "views/widgets/remote_list.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace kestovan {
namespace {

void save_shot(QWidget& widget, const std::string& name)
{
    const char* folder = std::getenv("KESTOVAN_SHOTS_DIR");
    if (!folder || !*folder)
        return;
    std::filesystem::create_directories(folder);
    widget.grab().save(QString::fromUtf8(folder) + "/" + QString::fromStdString(name) + ".png");
}

void write_config(const std::filesystem::path& data, const std::string& text)
{
    std::filesystem::create_directories(data);
    std::ofstream(data / "config.ini") << text;
}

void write_site(const std::filesystem::path& data, const std::string& name, std::uint16_t port,
                const std::string& user, const std::string& password)
{
    auto node = make_profile_node(name, KIND_SITE);
    auto profile = std::make_unique<SiteProfile>();
    profile->name = name;
    profile->server = "127.0.0.1";
    profile->port = std::to_string(port);
    profile->username = user;
    profile->password = password;
    profile->passive = 1;
    profile->encryption = ENCRYPTION_PLAIN; // the test server speaks no TLS
    profile->save_password = 1;
    attach_profile(*node, std::move(profile));
    std::filesystem::create_directories(data / "Profiles");
    ASSERT_TRUE(write_profile_file(*node, (data / "Profiles" / (name + ".ftp")).string()));
}

bool lists(RemoteList& list, const std::string& name)
{
    RemoteListModel& model = list.list_model();
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.index(r, RemoteListModel::COL_FILE).data().toString().toStdString() == name)
            return true;
    return false;
}

std::vector<std::string> log_texts(const SiteProfile& profile)
{
    std::vector<std::string> texts;
    for (const auto& entry : SessionLog::entries(profile)) {
        std::string text;
        for (const auto& segment : entry)
            text += segment.text;
        texts.push_back(text);
    }
    return texts;
}

// Every text the window shows: its title, every widget's text, placeholder and tooltip, every
// action's text and tooltip, tab titles and column titles.
std::map<std::string, std::string> window_texts(QWidget& window)
{
    std::map<std::string, std::string> texts;
    auto key = [](const QObject& o, const char* what) {
        std::string path;
        for (const QObject* p = &o; p; p = p->parent())
            path = p->objectName().toStdString() + "/" + path;
        return path + what + "@" + std::to_string(reinterpret_cast<std::uintptr_t>(&o));
    };
    texts["title"] = window.windowTitle().toStdString();
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            texts[key(*w, "text")] = b->text().toStdString();
        if (auto* l = qobject_cast<QLabel*>(w))
            texts[key(*w, "text")] = l->text().toStdString();
        if (auto* e = qobject_cast<QLineEdit*>(w))
            texts[key(*w, "placeholder")] = e->placeholderText().toStdString();
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                texts[key(*w, "tab") + std::to_string(i)] = t->tabText(i).toStdString();
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model())
            for (int i = 0; i < v->model()->columnCount(); ++i)
                texts[key(*w, "column") + std::to_string(i)] =
                    v->model()->headerData(i, Qt::Horizontal).toString().toStdString();
        texts[key(*w, "tip")] = w->toolTip().toStdString();
    }
    for (QAction* a : window.findChildren<QAction*>()) {
        texts[key(*a, "text")] = a->text().toStdString();
        texts[key(*a, "tip")] = a->toolTip().toStdString();
    }
    return texts;
}

TEST(Program, EveryHookIsConnectedAndTheStartAndExitSoundsPlay)
{
    test::ProgramHarness h;
    write_config(h.data_folder(), "S1=start.wav\nS2=/home/me/bye.oga\nSP=/srv/sounds\n");
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.program->unconnected_hooks(), std::vector<std::string>{});
    EXPECT_EQ(h.sounds.played, std::vector<std::string>{"/srv/sounds/start.wav"});
    h.window().close();
    h.program->finish();
    EXPECT_EQ(h.sounds.waited_for, std::vector<std::string>{"/home/me/bye.oga"});
}

TEST(ProgramLanguage, TheLanguageChosenInTheMenuSurvivesARestartChecked)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    // Only English and the shipped languages the menu offers, each named in itself.
    std::vector<std::string> offered;
    for (int command : {3033, 2362, 537, 1192, 3032, 1193, 538, 1194, 3035, 3036, 2365, 2366, 2399})
        if (h.window().action(command)->isVisible())
            offered.push_back(h.window().action(command)->text().toStdString());
    EXPECT_EQ(offered, (std::vector<std::string>{"English", "Français", "Deutsch"}));
    EXPECT_TRUE(h.window().action(3033)->isChecked());

    h.window().action(1193)->trigger();
    EXPECT_TRUE(h.window().action(1193)->isChecked());
    EXPECT_FALSE(h.window().action(3033)->isChecked());
    EXPECT_EQ(h.window().action(3032)->text(), "Français");
    ASSERT_TRUE(h.restart());
    EXPECT_EQ(h.program->language().current_code(), "de");
    EXPECT_TRUE(h.window().action(1193)->isChecked());
    EXPECT_FALSE(h.window().action(3033)->isChecked());
    EXPECT_EQ(h.window().menuBar()->actions().front()->text(), "&Datei");

    h.window().action(3033)->trigger();
    ASSERT_TRUE(h.restart());
    EXPECT_EQ(h.program->language().current_code(), std::nullopt);
    EXPECT_TRUE(h.window().action(3033)->isChecked());
}

TEST(ProgramLanguage, EnglishFrenchGermanAndBackRestoresEveryText)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    MainWindow& window = h.window();
    window.resize(1024, 700);
    QApplication::processEvents();
    const std::map<std::string, std::string> english = window_texts(window);

    window.action(3032)->trigger();
    EXPECT_NE(window.windowTitle().toStdString().find("(déconnecté)"), std::string::npos)
        << window.windowTitle().toStdString();
    window.action(1193)->trigger();
    QApplication::processEvents();
    EXPECT_NE(window.windowTitle().toStdString().find("(getrennt)"), std::string::npos)
        << window.windowTitle().toStdString();
    auto* local_mask = h.child<QLineEdit>("local_mask");
    ASSERT_NE(local_mask, nullptr);
    EXPECT_EQ(local_mask->placeholderText(), QString::fromUtf8(load_string(IDS_PLACEHOLDER_FILE_MASK)));
    EXPECT_NE(local_mask->placeholderText().toStdString(), "File name filter");
    // The button column widens for the longer German captions.
    for (QPushButton* button : h.child<ButtonColumn>("button_column")->findChildren<QPushButton*>())
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    save_shot(window, "main-window-german");
    for (int page = PAGE_SETTINGS; page <= PAGE_AUTO_RENAME; ++page) {
        test::when_modal_opens([page](QWidget& dialog) {
            auto& preferences = dynamic_cast<PreferencesDialog&>(dialog);
            preferences.show_page(page);
            save_shot(preferences, "preferences-german-" + std::to_string(page));
            preferences.reject();
        });
        window.action(105)->trigger();
    }

    window.action(3033)->trigger();
    const std::map<std::string, std::string> back = window_texts(window);
    for (const auto& [where, text] : english)
        EXPECT_EQ(back.count(where) ? back.at(where) : "<gone>", text) << where;
}

TEST(ProgramPlacement, TheMainWindowComesBackWhereItWasAndOntoAScreen)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    h.window().move(60, 40);
    h.window().resize(700, 520);
    QApplication::processEvents();
    auto* panes = h.child<QSplitter>("panes");
    panes->setSizes({300, 150});
    const QList<int> sizes = panes->sizes();
    ASSERT_TRUE(h.restart());
    EXPECT_EQ(h.window().pos(), QPoint(60, 40));
    EXPECT_EQ(h.window().size(), QSize(700, 520));
    EXPECT_EQ(h.child<QSplitter>("panes")->sizes(), sizes);

    h.window().showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(h.restart());
    EXPECT_TRUE(h.window().isMaximized());

    // Stored while a second screen was there: the window comes back on the primary one.
    h.stop();
    write_config(h.data_folder(), "d_main=5000,3000,5700,3520,0\n");
    ASSERT_TRUE(h.start());
    const QRect screen = QApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.intersects(QRect(h.window().pos(), h.window().size())))
        << h.window().pos().x() << "," << h.window().pos().y();
}

// Opens the Firewall/Proxy page and fills it.
void configure_proxy(test::ProgramHarness& h, const std::function<void(QWidget&)>& fill)
{
    test::when_modal_opens([&](QWidget& dialog) {
        fill(dialog);
        dialog.findChild<QAbstractButton*>("1")->click();
    });
    h.window().action(503)->trigger();
}

void type_into(QWidget& dialog, const char* name, const std::string& text)
{
    auto* edit = dialog.findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(text));
}

TEST(ProgramProxy, ASessionGoesThroughTheSocks5ProxyOfTheFirewallPage)
{
    test::VsftpdServer server;
    server.make_file("through-socks.txt", "hello\n");
    test::DanteServer dante(test::DanteServer::Options{.require_user = true});
    test::ProgramHarness h;
    write_site(h.data_folder(), "Behind the firewall", server.port(), server.user(), server.password());
    ASSERT_TRUE(h.start());
    configure_proxy(h, [&](QWidget& dialog) {
        dialog.findChild<QAbstractButton*>("proxy_socks5")->click();
        type_into(dialog, "fhost", "127.0.0.1");
        dialog.findChild<QSpinBox*>("fport")->setValue(dante.port());
        type_into(dialog, "proxy_user", std::string(test::DanteServer::TEST_USER));
        type_into(dialog, "proxy_password", std::string(test::DanteServer::TEST_PASSWORD));
        save_shot(dialog, "preferences-proxy-socks5");
    });

    DirEntry* site = h.app().find_profile("Behind the firewall");
    ASSERT_NE(site, nullptr);
    h.app().shell->browser().select_node(site);
    h.app().shell->sessions().connect(site, false);
    auto* list = h.child<RemoteList>("1218");
    ASSERT_TRUE(test::wait_until([&] { return lists(*list, "through-socks.txt"); }, 15000))
        << server.log() << dante.log();
    // The proxy carried the control connection and the listing's data connection.
    const std::string proxy_log = dante.log();
    EXPECT_NE(proxy_log.find("." + std::to_string(server.port())), std::string::npos) << proxy_log;
    save_shot(h.window(), "main-window-through-socks5");
    for (const std::string& entry : log_texts(*ShellContext::profile_of(site))) {
        EXPECT_EQ(entry.find(std::string(test::DanteServer::TEST_PASSWORD)), std::string::npos) << entry;
        EXPECT_EQ(entry.find(server.password()), std::string::npos) << entry;
    }
}

TEST(ProgramProxy, AUrlProfileIsFetchedThroughTheHttpProxyOfTheFirewallPage)
{
    test::PythonHttpServer web;
    web.make_file("index.html", "<html><body><a href=\"through-proxy.zip\">zip</a></body></html>");
    test::TinyproxyServer proxy("kestovan", "proxy-pw");
    test::ProgramHarness h;
    {
        auto node = make_profile_node("Release page", KIND_URL_PROFILE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = "Release page";
        profile->server = web.url("index.html");
        attach_profile(*node, std::move(profile));
        std::filesystem::create_directories(h.data_folder() / "Profiles");
        ASSERT_TRUE(write_profile_file(*node, (h.data_folder() / "Profiles" / "Release page.url").string()));
    }
    ASSERT_TRUE(h.start());
    configure_proxy(h, [&](QWidget& dialog) {
        type_into(dialog, "http_proxy", "127.0.0.1");
        dialog.findChild<QSpinBox*>("http_port")->setValue(proxy.port());
        type_into(dialog, "proxy_user", "kestovan");
        type_into(dialog, "proxy_password", "proxy-pw");
    });
    DirEntry* page = h.app().find_profile("Release page");
    ASSERT_NE(page, nullptr);
    h.app().shell->browser().select_node(page);
    h.app().shell->sessions().connect(page, false);
    ASSERT_TRUE(
        test::wait_until([&] { return lists(*h.child<RemoteList>("1218"), "through-proxy.zip"); }, 15000))
        << proxy.log();
    EXPECT_NE(proxy.log().find("index.html"), std::string::npos) << proxy.log();
}

} // namespace
} // namespace kestovan
