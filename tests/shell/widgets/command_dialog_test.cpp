#include "shell/widgets/command_dialog.h"
#include "support/modal_dialogs.h"
#include "ui/language.h"
#include "ui/string_ids.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::when_modal_opens;

struct ShellPromptsTest : ::testing::Test {
    QWidget owner;
    ShellPrompts prompts{&owner};
};

TEST_F(ShellPromptsTest, CommandDialogOffersTheCommandWordsAndTheLastCommand)
{
    QStringList items;
    QString prefilled;
    when_modal_opens([&](QWidget& dialog) {
        EXPECT_EQ(dialog.objectName(), "4293");
        EXPECT_EQ(dialog.windowTitle(), "Command");
        auto* combo = dialog.findChild<QComboBox*>("1968");
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        prefilled = combo->currentText();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "SITE CHMOD 644 a.txt");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    });
    const auto line = prompts.text(load_string(IDS_DLG_COMMAND), load_string(IDS_PROMPT_FTP_COMMAND), "PWD");
    EXPECT_EQ(items,
              (QStringList{"HELP", "CWD", "PWD", "SITE", "SYST", "QUOTE", "LIST", "NLST", "RETR", "STOR"}));
    EXPECT_EQ(prefilled, "PWD");
    EXPECT_EQ(line, "SITE CHMOD 644 a.txt");
}

TEST_F(ShellPromptsTest, ChoosingAWordFromTheListGivesThatWord)
{
    when_modal_opens([](QWidget& dialog) {
        auto* combo = dialog.findChild<QComboBox*>("1968");
        combo->setCurrentIndex(combo->findText("SYST"));
        dialog.findChild<QPushButton*>("1")->click();
    });
    EXPECT_EQ(prompts.text(load_string(IDS_DLG_COMMAND), "", ""), "SYST");
}

TEST_F(ShellPromptsTest, CancelGivesNothing)
{
    when_modal_opens([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(prompts.text(load_string(IDS_DLG_COMMAND), "", "NOOP"), std::nullopt);
}

TEST_F(ShellPromptsTest, FolderDialogsCarryTheirNumbersAndReturnTheTypedText)
{
    struct Case {
        int caption_id;
        QString form;
        std::string prompt;
    };
    const Case cases[] = {
        {IDS_DLG_MOVE_FILE, "4300", "Move 'a<b>.txt' to folder:"},
        {IDS_DLG_CREATE_DIRECTORY, "4294", "Enter new Directory name:"},
    };
    for (const Case& c : cases) {
        QString shown_prompt;
        when_modal_opens([&](QWidget& dialog) {
            EXPECT_EQ(dialog.objectName(), c.form);
            auto* prompt = dialog.findChild<QLabel*>("1932");
            ASSERT_NE(prompt, nullptr);
            shown_prompt = prompt->text();
            EXPECT_EQ(prompt->textFormat(), Qt::PlainText) << "names are shown as they are";
            auto* field = dialog.findChild<QLineEdit*>("1930");
            ASSERT_NE(field, nullptr);
            field->setText("new/place");
            QTest::keyClick(field, Qt::Key_Return);
        });
        EXPECT_EQ(prompts.text(load_string(c.caption_id), c.prompt, ""), "new/place");
        EXPECT_EQ(shown_prompt.toStdString(), c.prompt);
    }
}

} // namespace
} // namespace kestovan
