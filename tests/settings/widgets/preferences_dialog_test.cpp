// The Preferences dialog in the assembled program: each Options menu item opens its page; OK stores
// every page (the Settings page's numbers clamped, an empty e-mail box removing its line) and hands
// the time-out and the proxy to the engine and the web client; Cancel changes nothing anywhere.
#include "engine/engine.h"
#include "queue/config_file.h"
#include "settings/widgets/preferences_dialog.h"
#include "support/modal_dialogs.h"
#include "support/program_harness.h"
#include "support/test_environment.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

template <class W>
W& field(QWidget& dialog, const char* name)
{
    W* widget = dialog.findChild<W*>(QString::fromLatin1(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

void type_into(QLineEdit& edit, const QString& text)
{
    edit.clear();
    QTest::keyClicks(&edit, text);
}

// Opens the dialog through the Options menu item and runs fill on it while it is open.
void with_preferences(test::ProgramHarness& h, int command,
                      const std::function<void(PreferencesDialog&)>& fill)
{
    bool opened = false;
    test::when_modal_opens([&](QWidget& modal) {
        auto* dialog = dynamic_cast<PreferencesDialog*>(&modal);
        ASSERT_NE(dialog, nullptr) << modal.objectName().toStdString();
        opened = true;
        fill(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    h.window().action(command)->trigger();
    EXPECT_TRUE(opened);
}

// Everything a confirmed dialog could change, as text.
std::string state_of(test::ProgramHarness& h)
{
    Application& app = h.app();
    std::string state = format_config(app.config, {});
    const ProxySettings& engine = app.engine.proxy();
    const WebProxy& web = app.shell->web().client().proxy();
    state += "engine " + std::to_string(engine.type) + " " + engine.host + ":" + std::to_string(engine.port) +
             " " + engine.user_name + " timeout " + std::to_string(app.engine.timeout()) + "\n";
    state += "web " + std::to_string(web.type) + " " + web.host + ":" + std::to_string(web.port) + "\n";
    for (const char* value : {"type", "username", "password", "proxy", "port"})
        state +=
            std::string(value) + "=" +
            app.registry.read_string(Hive::LocalMachine, "Software\\KESTOVAN\\Common", value).value_or("-") +
            "\n";
    return state;
}

TEST(PreferencesDialog, EachOptionsMenuItemOpensItsPage)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    const std::pair<int, int> items[] = {{105, PAGE_SETTINGS},
                                         {502, PAGE_OPTIONS},
                                         {503, PAGE_PROXY},
                                         {505, PAGE_SOUND},
                                         {506, PAGE_AUTO_RENAME}};
    for (const auto& [command, page] : items)
        with_preferences(h, command, [page = page](PreferencesDialog& dialog) {
            EXPECT_EQ(dialog.current_page(), page);
            EXPECT_EQ(field<QTreeWidget>(dialog, "page_tree").currentIndex().row(), page);
        });
}

TEST(PreferencesDialog, OkStoresEveryPageClampedAndReachesTheEngineAndTheWebClient)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    Application& app = h.app();
    app.settings.set_text(KEY_EMAIL, "me@example.org");
    app.settings.set_text(KEY_SP, "/srv/sounds");
    with_preferences(h, 105, [&](PreferencesDialog& dialog) {
        field<QSpinBox>(dialog, "hdelay").setValue(500);
        field<QSpinBox>(dialog, "hcount").setValue(1);
        field<QSpinBox>(dialog, "ftimeout").setValue(3000);
        field<QLineEdit>(dialog, "email").clear();
        field<QAbstractButton>(dialog, "sort").click();

        dialog.show_page(PAGE_PROXY);
        field<QAbstractButton>(dialog, "proxy_socks5").click();
        type_into(field<QLineEdit>(dialog, "fhost"), "127.0.0.1");
        field<QSpinBox>(dialog, "fport").setValue(1080);
        type_into(field<QLineEdit>(dialog, "proxy_user"), "anna");
        type_into(field<QLineEdit>(dialog, "proxy_password"), "pw");
        type_into(field<QLineEdit>(dialog, "http_proxy"), "127.0.0.1");
        field<QSpinBox>(dialog, "http_port").setValue(3128);

        dialog.show_page(PAGE_SOUND);
        auto& events = field<QTreeWidget>(dialog, "1838");
        events.setCurrentItem(events.topLevelItem(6)); // FtpError
        field<QComboBox>(dialog, "1842").setEditText("oops.wav");
        EXPECT_EQ(events.topLevelItem(6)->text(1), "oops.wav");
        field<QAbstractButton>(dialog, "1840").click();

        dialog.show_page(PAGE_AUTO_RENAME);
        field<QAbstractButton>(dialog, "rename_new").click();
        type_into(field<QLineEdit>(dialog, "rename_local"), "*.htm");
        field<QAbstractButton>(dialog, "1").click(); // OK
    });
    EXPECT_EQ(h.sounds.played, std::vector<std::string>{"/srv/sounds/oops.wav"}); // Play

    EXPECT_EQ(app.settings.integer(KEY_HDELAY), 1000);
    EXPECT_EQ(app.settings.integer(KEY_HCOUNT), 2);
    EXPECT_EQ(app.settings.integer(KEY_FTIMEOUT), 4000);
    EXPECT_FALSE(app.settings.flag(KEY_SORT));
    EXPECT_EQ(app.settings.text(KEY_S7), "oops.wav");
    const std::string config = format_config(app.config, {});
    EXPECT_EQ(config.find("email="), std::string::npos) << config;
    EXPECT_NE(config.find("renamelist={\n\"*.htm\",\"*.html\",\"No\"\n}\n"), std::string::npos) << config;
    EXPECT_EQ(app.engine.timeout(), 4000);
    EXPECT_EQ(app.engine.proxy().type, PROXY_SOCKS5);
    EXPECT_EQ(app.engine.proxy().host, "127.0.0.1");
    EXPECT_EQ(app.engine.proxy().port, 1080);
    EXPECT_EQ(app.engine.proxy().password, "pw");
    EXPECT_EQ(app.shell->web().client().proxy().host, "127.0.0.1");
    EXPECT_EQ(app.shell->web().client().proxy().port, 3128);
    EXPECT_EQ(app.registry.read_string(Hive::LocalMachine, "Software\\KESTOVAN\\Common", "username"), "anna");

    // A time-out of 0 means none and stays 0; "None" takes the engine off the proxy.
    with_preferences(h, 503, [&](PreferencesDialog& dialog) {
        dialog.show_page(PAGE_SETTINGS);
        field<QSpinBox>(dialog, "ftimeout").setValue(0);
        dialog.show_page(PAGE_PROXY);
        field<QAbstractButton>(dialog, "proxy_none").click();
        field<QAbstractButton>(dialog, "1").click();
    });
    EXPECT_EQ(app.settings.integer(KEY_FTIMEOUT), 0);
    EXPECT_EQ(app.engine.timeout(), 0);
    EXPECT_EQ(app.engine.proxy().type, PROXY_NONE);
}

TEST(PreferencesDialog, CancelChangesNoSettingAndReachesNoEngine)
{
    test::ProgramHarness h;
    ASSERT_TRUE(h.start());
    h.app().settings.set_text(KEY_EMAIL, "me@example.org");
    const std::string before = state_of(h);
    with_preferences(h, 105, [&](PreferencesDialog& dialog) {
        field<QSpinBox>(dialog, "hdelay").setValue(9000);
        field<QLineEdit>(dialog, "email").clear();
        dialog.show_page(PAGE_OPTIONS);
        field<QAbstractButton>(dialog, "newwin").click();
        field<QAbstractButton>(dialog, "refresh").click();
        dialog.show_page(PAGE_PROXY);
        field<QAbstractButton>(dialog, "proxy_socks4").click();
        type_into(field<QLineEdit>(dialog, "fhost"), "127.0.0.1");
        type_into(field<QLineEdit>(dialog, "http_proxy"), "127.0.0.1");
        dialog.show_page(PAGE_SOUND);
        auto& events = field<QTreeWidget>(dialog, "1838");
        events.setCurrentItem(events.topLevelItem(0));
        field<QComboBox>(dialog, "1842").setEditText("start.wav");
        dialog.show_page(PAGE_AUTO_RENAME);
        field<QAbstractButton>(dialog, "rename_new").click();
        field<QAbstractButton>(dialog, "2").click(); // Cancel
    });
    EXPECT_EQ(state_of(h), before);
}

} // namespace
} // namespace kestovan
