#include "support/modal_dialogs.h"
#include "ui/widgets/prompt_dialogs.h"
#include "ui/widgets/qt_prompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::when_modal_opens;

const std::string EXISTS_TEXT = "File '/srv/a.txt' already exists.  Would you like to replace this file with "
                                "'/home/u/a.txt'?";

QStringList button_texts(QWidget& dialog)
{
    QStringList texts;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        texts << button->text();
    texts.sort();
    return texts;
}

QAbstractButton* button_named(QWidget& dialog, const QString& text)
{
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

struct QtPromptsTest : ::testing::Test {
    QWidget owner;
    QtPrompts prompts{&owner};
};

TEST_F(QtPromptsTest, FileExistsAnswersByTheButtonPressed)
{
    struct Case {
        bool restart;
        const char* button;
        FileExistsAnswer answer;
    };
    const Case cases[] = {
        {false, "yes", EXISTS_YES},
        {false, "no", EXISTS_NO},
        {false, "yes_to_all", EXISTS_YES_TO_ALL},
        {false, "cancel", EXISTS_CANCEL},
        {true, "restart", EXISTS_RESTART},
        {true, "no", EXISTS_NO},
    };
    for (const Case& c : cases) {
        when_modal_opens([&](QWidget& dialog) {
            EXPECT_EQ(dialog.objectName(), c.restart ? "4308" : "4307");
            EXPECT_EQ(dialog.windowTitle(), "File Exists");
            auto* button = dialog.findChild<QPushButton*>(c.button);
            ASSERT_NE(button, nullptr) << c.button;
            button->click();
        });
        EXPECT_EQ(prompts.file_exists(EXISTS_TEXT, c.restart), c.answer) << c.button;
    }
}

TEST_F(QtPromptsTest, FileExistsShowsTheTextAndOffersRestartOnlyWhenAsked)
{
    QStringList without;
    QStringList with;
    QString text;
    when_modal_opens([&](QWidget& dialog) {
        without = button_texts(dialog);
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->text().isEmpty())
                text = label->text();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(prompts.file_exists(EXISTS_TEXT, false), EXISTS_CANCEL) << "Escape cancels";
    when_modal_opens([&](QWidget& dialog) {
        with = button_texts(dialog);
        dialog.close();
    });
    EXPECT_EQ(prompts.file_exists(EXISTS_TEXT, true), EXISTS_CANCEL) << "closing the window cancels";
    EXPECT_EQ(without, (QStringList{"&Cancel", "No", "Yes", "Yes to &All"}));
    EXPECT_EQ(with, (QStringList{"&Cancel", "&Restart", "No", "Yes", "Yes to &All"}));
    EXPECT_EQ(text.toStdString(), EXISTS_TEXT);
}

TEST_F(QtPromptsTest, PasswordDialogHidesTheTypedText)
{
    when_modal_opens([](QWidget& dialog) {
        EXPECT_EQ(dialog.objectName(), "4298");
        EXPECT_EQ(dialog.windowTitle(), "Password");
        auto* field = dialog.findChild<QLineEdit*>("1485");
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, "s3cret");
        QTest::keyClick(field, Qt::Key_Return);
    });
    EXPECT_EQ(prompts.password("site requires a Password:"), "s3cret");
    when_modal_opens([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(prompts.password("site requires a Password:"), std::nullopt);
}

TEST_F(QtPromptsTest, QuestionsOfferTheButtonsAskedFor)
{
    struct Case {
        PromptButtons buttons;
        QStringList texts;
        QString press; // empty: Escape
        PromptAnswer answer;
    };
    const Case cases[] = {
        {PromptButtons::Ok, {"OK"}, "OK", PromptAnswer::Ok},
        {PromptButtons::YesNo, {"No", "Yes"}, "", PromptAnswer::No},
        {PromptButtons::YesNoCancel, {"Cancel", "No", "Yes"}, "Yes", PromptAnswer::Yes},
        {PromptButtons::YesNoCancel, {"Cancel", "No", "Yes"}, "", PromptAnswer::Cancel},
        {PromptButtons::YesNoYesToAllCancel,
         {"Cancel", "No", "Yes", "Yes to &All"},
         "Yes to &All",
         PromptAnswer::YesToAll},
    };
    for (const Case& c : cases) {
        QStringList texts;
        QString caption;
        when_modal_opens([&](QWidget& dialog) {
            texts = button_texts(dialog);
            caption = dialog.windowTitle();
            if (c.press.isEmpty())
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (QAbstractButton* button = button_named(dialog, c.press))
                button->click();
        });
        EXPECT_EQ(prompts.question("Not Connected", "Connect?", c.buttons), c.answer)
            << c.press.toStdString();
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(caption, "Not Connected");
    }
}

TEST_F(QtPromptsTest, MessageShowsItsTextAsPlainText)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    when_modal_opens([&](QWidget& dialog) {
        auto& box = static_cast<QMessageBox&>(dialog);
        icon = box.icon();
        text = box.text();
        format = box.textFormat();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    prompts.message("Error", "Error moving file '<b>x</b>' to 'y'", PromptIcon::Error);
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, "Error moving file '<b>x</b>' to 'y'");
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(QtPromptsTest, SaveFileStartsInTheFolderWithTheProposedName)
{
    QTemporaryDir folder;
    QString title;
    QStringList filters;
    QString proposed;
    when_modal_opens([&](QWidget& dialog) {
        auto& chooser = static_cast<QFileDialog&>(dialog);
        title = chooser.windowTitle();
        filters = chooser.nameFilters();
        if (auto* name = chooser.findChild<QLineEdit*>("fileNameEdit"))
            proposed = name->text();
        static_cast<QDialog&>(chooser).accept(); // QFileDialog::accept, through the public slot
    });
    const auto chosen =
        prompts.save_file("Save Session Log", folder.path().toStdString(), "log.txt", "*.txt");
    EXPECT_EQ(title, "Save Session Log");
    EXPECT_EQ(filters, QStringList{"*.txt"});
    EXPECT_EQ(proposed, "log.txt");
    EXPECT_EQ(chosen, (folder.path() + "/log.txt").toStdString());

    when_modal_opens([](QWidget& dialog) { static_cast<QFileDialog&>(dialog).reject(); });
    EXPECT_EQ(prompts.save_file("Save Session Log", folder.path().toStdString(), "log.txt", "*.txt"),
              std::nullopt);
}

TEST(QtNameFilters, ProgramFiltersBecomeQtFilters)
{
    struct Case {
        std::string filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"*.txt", {"*.txt"}},
        {"FTP Voyager files (*.ftp)$*.ftp$All files (*.*)$*.*$$",
         {"FTP Voyager files (*.ftp)", "All files (*)"}},
        {"Pages$*.htm;*.html$", {"Pages (*.htm *.html)"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qt_name_filters(c.filter), c.expected) << c.filter;
}

} // namespace
} // namespace kestovan
