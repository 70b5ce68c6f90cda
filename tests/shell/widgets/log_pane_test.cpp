#include "profiles/site_profile.h"
#include "shell/widgets/find_dialog.h"
#include "shell/widgets/log_pane.h"
#include "support/scripted_prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

struct LogPaneTest : ::testing::Test {
    LogPaneTest()
    {
        site_a.name = "alpha";
        site_b.name = "beta";
        pane.attach(log);
        pane.resize(500, 300);
    }

    // The colour shown at a character of the pane.
    QColor colour_at(int position)
    {
        QTextCursor cursor(pane.document());
        cursor.setPosition(position);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        return cursor.charFormat().foreground().color();
    }

    QStringList lines() { return pane.toPlainText().split('\n'); }

    QAction* menu_item(QMenu& menu, const QString& text)
    {
        for (QAction* action : menu.actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    }

    SessionLog log;
    SiteProfile site_a;
    SiteProfile site_b;
    test::ScriptedPrompts prompts;
    LogPane pane{LogPane::Mode::Main, prompts};
};

TEST_F(LogPaneTest, ShowsEachColourAndReturnsToTheInputColour)
{
    struct Case {
        std::uint32_t colour;
        QColor shown;
    };
    const Case cases[] = {
        {LOG_GREEN, QColor(0, 0x80, 0)},      {LOG_NAVY, QColor(0, 0, 0x80)},
        {LOG_BLUE, QColor(0, 0, 0xC0)},       {LOG_MAROON, QColor(0x80, 0, 0)},
        {0x123456, QColor(0x56, 0x34, 0x12)},
    };
    for (const Case& c : cases) {
        pane.clear();
        log.append(&site_a, "entry", c.colour);
        EXPECT_EQ(pane.toPlainText(), "entry\n");
        EXPECT_EQ(colour_at(0), c.shown) << std::hex << c.colour;
        EXPECT_EQ(pane.textColor(), QColor(Qt::black));
        EXPECT_EQ(pane.textCursor().position(), pane.document()->characterCount() - 1);
    }
}

TEST_F(LogPaneTest, TagsInsideATextChangeTheColourAndLineBreaksAreClean)
{
    log.append(&site_a, "226 done <008000>green tail", LOG_MAROON);
    log.append(&site_a, "\r\nConnecting to host", LOG_GREEN);
    EXPECT_EQ(lines(), (QStringList{"226 done green tail", "", "Connecting to host", ""}));
    EXPECT_EQ(colour_at(0), QColor(0x80, 0, 0));
    EXPECT_EQ(colour_at(static_cast<int>(QString("226 done ").size())), QColor(0, 0x80, 0));
    EXPECT_FALSE(pane.toPlainText().contains('\r'));
}

TEST_F(LogPaneTest, MainPaneShowsEveryProfileAndRefillShowsOnlyOne)
{
    log.append(&site_a, "a1", LOG_MAROON);
    log.append(&site_b, "b1", LOG_GREEN);
    log.append(&site_a, "a2 typed", LOG_INPUT, true);
    log.append(nullptr, "no profile", LOG_NAVY);
    EXPECT_EQ(lines(), (QStringList{"a1", "b1", "a2 typed", "no profile", ""}));

    pane.show_log(&site_a);
    EXPECT_EQ(lines(), (QStringList{"a1", "a2 typed", ""}));
    EXPECT_EQ(colour_at(0), QColor(0x80, 0, 0));
    pane.show_log(&site_b);
    EXPECT_EQ(lines(), (QStringList{"b1", ""}));
    EXPECT_EQ(colour_at(0), QColor(0, 0x80, 0));
    pane.show_log(nullptr);
    EXPECT_TRUE(pane.toPlainText().isEmpty());
}

TEST_F(LogPaneTest, ClearingALogEmptiesThePane)
{
    log.append(&site_a, "a1", LOG_MAROON);
    log.clear(&site_a);
    EXPECT_TRUE(pane.toPlainText().isEmpty());
    EXPECT_TRUE(site_a.log.empty());
}

TEST_F(LogPaneTest, TerminalPaneShowsOnlyItsProfilesUntypedEntries)
{
    LogPane terminal(LogPane::Mode::Terminal, prompts);
    terminal.attach(log);
    terminal.set_profile(&site_a);
    log.append(&site_a, "reply", LOG_MAROON);
    log.append(&site_a, "LIST", LOG_INPUT, true);
    log.append(&site_b, "other", LOG_MAROON);
    log.append(nullptr, "nobody", LOG_MAROON);
    EXPECT_EQ(terminal.toPlainText(), "reply\n");
    EXPECT_EQ(terminal.palette().color(QPalette::Base), QColor(255, 255, 230));

    log.clear(&site_b);
    EXPECT_EQ(terminal.toPlainText(), "reply\n") << "another profile's Clear leaves the terminal alone";
    terminal.detach();
    log.append(&site_a, "after detach", LOG_MAROON);
    EXPECT_EQ(terminal.toPlainText(), "reply\n");
}

TEST_F(LogPaneTest, EnterTakesTheCaretLineWithoutTrailingBlanks)
{
    QSignalSpy typed(&pane, &LogPane::typedLine);
    log.append(&site_a, "230 Logged in", LOG_MAROON);
    pane.setFocus();
    QTest::keyClicks(&pane, "PWD   ");
    QTest::keyClick(&pane, Qt::Key_Return);
    ASSERT_EQ(typed.count(), 1);
    EXPECT_EQ(typed.at(0).at(0).toString(), "PWD");
    // The main pane shows the typed line as the log entry the owner makes of it, not twice.
    EXPECT_EQ(pane.toPlainText(), "230 Logged in\n");

    // Enter on an older line takes that line; Ctrl+J works as Enter; an empty line gives nothing.
    QTextCursor cursor(pane.document()->firstBlock());
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    pane.setTextCursor(cursor);
    QTest::keyClick(&pane, Qt::Key_J, Qt::ControlModifier);
    ASSERT_EQ(typed.count(), 2);
    EXPECT_EQ(typed.at(1).at(0).toString(), "230 Logged in");
    QTest::keyClick(&pane, Qt::Key_Enter);
    EXPECT_EQ(typed.count(), 2) << "the caret moved to the empty last line";
}

TEST_F(LogPaneTest, TerminalKeepsTheTypedLineAndStartsANewOne)
{
    LogPane terminal(LogPane::Mode::Terminal, prompts);
    terminal.attach(log);
    terminal.set_profile(&site_a);
    QSignalSpy typed(&terminal, &LogPane::typedLine);
    log.append(&site_a, "220 ready", LOG_MAROON);
    QTest::keyClicks(&terminal, "LIST");
    QTest::keyClick(&terminal, Qt::Key_Return);
    ASSERT_EQ(typed.count(), 1);
    EXPECT_EQ(typed.at(0).at(0).toString(), "LIST");
    log.append(&site_a, "LIST", LOG_INPUT, true);
    log.append(&site_a, "150 Here comes the listing", LOG_MAROON);
    EXPECT_EQ(terminal.toPlainText(), "220 ready\nLIST\n150 Here comes the listing\n");
}

TEST_F(LogPaneTest, TypingMovesToTheEndInTheInputColour)
{
    log.append(&site_a, "first", LOG_MAROON);
    log.append(&site_a, "second", LOG_GREEN);
    pane.setTextCursor(QTextCursor(pane.document()));
    QTest::keyClicks(&pane, "ab");
    EXPECT_EQ(lines(), (QStringList{"first", "second", "ab"}));
    EXPECT_EQ(colour_at(pane.document()->characterCount() - 2), QColor(Qt::black));

    // Navigation keys move the caret as usual, without typing anything.
    QTest::keyClick(&pane, Qt::Key_Home);
    QTest::keyClick(&pane, Qt::Key_Up);
    EXPECT_EQ(pane.textCursor().blockNumber(), 1);
    EXPECT_EQ(lines(), (QStringList{"first", "second", "ab"}));

    // Backspace removes typed input but never joins the input line to the log above it.
    QTest::keyClick(&pane, Qt::Key_Backspace);
    QTest::keyClick(&pane, Qt::Key_Backspace);
    QTest::keyClick(&pane, Qt::Key_Backspace);
    EXPECT_EQ(lines(), (QStringList{"first", "second", ""}));
}

TEST_F(LogPaneTest, CtrlVPastesAtTheEnd)
{
    log.append(&site_a, "line", LOG_MAROON);
    QApplication::clipboard()->setText("SYST");
    pane.setTextCursor(QTextCursor(pane.document()));
    QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pane.toPlainText(), "line\nSYST");
}

TEST_F(LogPaneTest, FindContinuesAfterEachMatchAndStartsAgainAfterTheMessage)
{
    log.append(&site_a, "abc one", LOG_MAROON);
    log.append(&site_a, "two ABC", LOG_MAROON);
    log.append(&site_a, "three abc", LOG_MAROON);

    EXPECT_TRUE(pane.find_next("abc", true));
    EXPECT_EQ(pane.textCursor().blockNumber(), 0);
    EXPECT_TRUE(pane.find_next("abc", true));
    EXPECT_EQ(pane.textCursor().blockNumber(), 2) << "Match Case skips ABC";
    EXPECT_FALSE(pane.find_next("abc", true));
    ASSERT_EQ(prompts.count("message"), 1);
    EXPECT_EQ(prompts.asked.back().caption, "Kestovan FTP");
    EXPECT_EQ(prompts.asked.back().text, "Cannot find the string: 'abc'");

    EXPECT_TRUE(pane.find_next("abc", false));
    EXPECT_EQ(pane.textCursor().blockNumber(), 0) << "after the message the search starts at the top";
    EXPECT_TRUE(pane.find_next("abc", false));
    EXPECT_EQ(pane.textCursor().blockNumber(), 1);
    EXPECT_EQ(pane.textCursor().selectedText(), "ABC");
}

TEST_F(LogPaneTest, FindDialogSearchesThePaneAndKeepsTheSelectionVisible)
{
    log.append(&site_a, "needle", LOG_MAROON);
    pane.show();
    QTest::keyClick(&pane, Qt::Key_F, Qt::ControlModifier);
    auto* dialog = pane.findChild<FindDialog*>("293");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(pane.palette().color(QPalette::Inactive, QPalette::Highlight),
              pane.palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(dialog->windowTitle(), "Find");
    ASSERT_NE(dialog->findChild<QCheckBox*>("1943"), nullptr);
    EXPECT_EQ(dialog->findChild<QCheckBox*>("1943")->text(), "Match Case");
    auto* find_next = dialog->findChild<QPushButton*>("1215");
    ASSERT_NE(find_next, nullptr);
    EXPECT_FALSE(find_next->isEnabled()) << "nothing to search for yet";
    dialog->findChild<QLineEdit*>("1933")->setText("needle");
    find_next->click();
    EXPECT_EQ(pane.textCursor().selectedText(), "needle");

    dialog->findChild<QPushButton*>("1217")->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(LogPaneTest, ContextMenuGreysWhatCannotBeDone)
{
    QSignalSpy cleared(&pane, &LogPane::clearRequested);
    log.append(&site_a, "some text", LOG_MAROON);
    QApplication::clipboard()->clear();
    {
        auto menu = pane.build_context_menu();
        EXPECT_EQ(menu->objectName(), "215");
        EXPECT_FALSE(menu_item(*menu, "Cut")->isEnabled());
        EXPECT_FALSE(menu_item(*menu, "Copy")->isEnabled());
        EXPECT_FALSE(menu_item(*menu, "Delete")->isEnabled());
        EXPECT_FALSE(menu_item(*menu, "Paste")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "Clear")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "Find")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "Select All")->isEnabled());
        menu_item(*menu, "Clear")->trigger();
        EXPECT_EQ(cleared.count(), 1);
    }
    pane.selectAll();
    QApplication::clipboard()->setText("x");
    {
        auto menu = pane.build_context_menu();
        EXPECT_TRUE(menu_item(*menu, "Cut")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "Copy")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "Delete")->isEnabled());
        EXPECT_TRUE(menu_item(*menu, "Paste")->isEnabled());
        menu_item(*menu, "Copy")->trigger();
        EXPECT_EQ(QApplication::clipboard()->text(), "some text\n");
    }
}

} // namespace
} // namespace kestovan
