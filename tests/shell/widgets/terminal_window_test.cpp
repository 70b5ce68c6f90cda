#include "profiles/site_profile.h"
#include "shell/widgets/terminal_window.h"
#include "support/scripted_prompts.h"

#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct TerminalWindowTest : ::testing::Test {
    TerminalWindowTest()
    {
        site_a.name = "alpha";
        site_b.name = "beta";
        log.append(&site_a, "220 alpha ready", LOG_MAROON);
        log.append(&site_b, "220 beta ready", LOG_MAROON);
        terminal.set_title_source([this] { return title; });
    }

    QString shown() { return terminal.pane().toPlainText(); }

    QAction* item(const char* command)
    {
        auto* action = terminal.menu_bar().findChild<QAction*>(command);
        if (!action)
            ADD_FAILURE() << "no menu item " << command;
        return action;
    }

    SessionLog log;
    SiteProfile site_a;
    SiteProfile site_b;
    test::ScriptedPrompts prompts;
    std::string title = "Session - alpha (Connected)";
    TerminalWindow terminal{log, prompts};
};

TEST_F(TerminalWindowTest, OpensOnAProfilesLogAndFollowsOnlyItsUntypedEntries)
{
    terminal.open(&site_a);
    EXPECT_TRUE(terminal.is_open());
    EXPECT_EQ(terminal.objectName(), "139");
    EXPECT_EQ(terminal.windowTitle(), "Session - alpha (Connected)");
    EXPECT_EQ(shown(), "220 alpha ready\n");
    EXPECT_EQ(terminal.pane().objectName(), "1987");
    EXPECT_EQ(terminal.pane().palette().color(QPalette::Base), QColor(255, 255, 230));
    EXPECT_EQ(terminal.pane().textCursor().position(), terminal.pane().document()->characterCount() - 1);

    log.append(&site_a, "PWD", LOG_INPUT, true);
    log.append(&site_b, "beta reply", LOG_MAROON);
    log.append(&site_a, "257 \"/\"", LOG_MAROON);
    EXPECT_EQ(shown(), "220 alpha ready\n257 \"/\"\n");

    title = "Session - alpha (Disconnected)";
    terminal.refresh_title();
    EXPECT_EQ(terminal.windowTitle(), "Session - alpha (Disconnected)");
}

TEST_F(TerminalWindowTest, ClosingEmptiesThePaneAndOpeningAgainShowsTheNewProfile)
{
    terminal.open(&site_a);
    QTest::keyClick(&terminal, Qt::Key_Escape);
    EXPECT_FALSE(terminal.is_open());
    EXPECT_TRUE(shown().isEmpty());
    log.append(&site_a, "while closed", LOG_MAROON);
    EXPECT_TRUE(shown().isEmpty());

    terminal.open(&site_a);
    terminal.open(&site_b); // while open: the old view is closed first
    EXPECT_TRUE(terminal.is_open());
    EXPECT_EQ(terminal.profile(), &site_b);
    EXPECT_EQ(shown(), "220 beta ready\n");
    log.append(&site_a, "alpha again", LOG_MAROON);
    log.append(&site_b, "beta again", LOG_MAROON);
    EXPECT_EQ(shown(), "220 beta ready\nbeta again\n");

    item("431")->trigger();
    EXPECT_FALSE(terminal.is_open());
}

TEST_F(TerminalWindowTest, MenuItemsActOnThePaneOrAskTheOwner)
{
    terminal.open(&site_a);
    QSignalSpy save(&terminal, &TerminalWindow::saveLogRequested);
    QSignalSpy clear(&terminal, &TerminalWindow::clearRequested);
    QSignalSpy typed(&terminal, &TerminalWindow::typedLine);
    EXPECT_EQ(terminal.menu_bar().objectName(), "216");

    const std::pair<const char*, const char*> texts[] = {
        {"435", "&Save Log"}, {"431", "&Quit"}, {"432", "&Copy"},
        {"433", "&Paste"},    {"428", "Clear"}, {"430", "Select &All"},
    };
    for (const auto& [command, text] : texts)
        EXPECT_EQ(item(command)->text(), text) << command;
    QStringList menus;
    for (QAction* action : terminal.menu_bar().actions())
        menus << action->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Help"}));

    item("435")->trigger();
    item("428")->trigger();
    EXPECT_EQ(save.count(), 1);
    EXPECT_EQ(clear.count(), 1);
    item("430")->trigger();
    EXPECT_EQ(terminal.pane().textCursor().selectedText(),
              "220 alpha ready" + QString(QChar::ParagraphSeparator));

    QTest::keyClicks(&terminal.pane(), "SYST");
    QTest::keyClick(&terminal.pane(), Qt::Key_Return);
    ASSERT_EQ(typed.count(), 1);
    EXPECT_EQ(typed.at(0).at(0).toString(), "SYST");
    EXPECT_TRUE(terminal.is_open()) << "Enter in the pane does not close the window";
}

} // namespace
} // namespace kestovan
