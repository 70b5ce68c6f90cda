#include "shell/widgets/command_dialog.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"
#include "ui/widgets/prompt_dialogs.h"
#include "views/widgets/append_file_dialog.h"
#include "views/widgets/chmod_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace kestovan {

namespace {

// FTP command words: protocol text, never translated.
constexpr std::array COMMAND_WORDS{"HELP",  "CWD",  "PWD",  "SITE", "SYST",
                                   "QUOTE", "LIST", "NLST", "RETR", "STOR"};

// The field and prompt numbers of Move File; Create Directory is built the same way.
TextPromptLayout folder_layout(int form)
{
    return TextPromptLayout{form, QStringLiteral("1930"), QStringLiteral("1932"), false};
}

} // namespace

CommandDialog::CommandDialog(const QString& caption, const QString& prompt, const QString& initial,
                             QWidget* parent)
    : QDialog(parent), combo_(new QComboBox)
{
    setObjectName(QString::number(FORM_COMMAND));
    set_form_number(*this, FORM_COMMAND);
    setWindowTitle(caption);

    combo_->setObjectName("1968");
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // Completion would turn a typed "s" into "SITE" while the user means "stat".
    combo_->setCompleter(nullptr);
    for (const char* word : COMMAND_WORDS)
        combo_->addItem(QString::fromLatin1(word));
    combo_->setEditText(initial);
    combo_->lineEdit()->selectAll();
    combo_->setProperty(NO_TRANSLATION_PROPERTY, true);

    auto* column = new QVBoxLayout(this);
    if (!prompt.isEmpty()) {
        auto* label = new QLabel(prompt);
        label->setTextFormat(Qt::PlainText);
        label->setBuddy(combo_);
        column->addWidget(label);
    }
    column->addWidget(combo_);
    auto* buttons = new QDialogButtonBox;
    auto* ok = new QPushButton;
    ok->setObjectName("1");
    bind_string_id(*ok, IDS_BTN_OK);
    ok->setDefault(true);
    auto* cancel = new QPushButton;
    cancel->setObjectName("2");
    bind_string_id(*cancel, IDS_BTN_CANCEL);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    combo_->setFocus();
}

QString CommandDialog::text() const
{
    return combo_->currentText();
}

std::optional<std::string> ShellPrompts::text(const std::string& caption, const std::string& prompt,
                                              const std::string& initial)
{
    if (caption == load_string(IDS_DLG_COMMAND)) {
        CommandDialog dialog(QString::fromUtf8(caption), QString::fromUtf8(prompt),
                             QString::fromUtf8(initial), parent_widget());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.text().toStdString();
    }
    if (caption == load_string(IDS_DLG_MOVE_FILE))
        return TextPromptDialog::ask(parent_widget(), folder_layout(FORM_MOVE_FILE), caption, prompt,
                                     initial);
    if (caption == load_string(IDS_DLG_CREATE_DIRECTORY))
        return TextPromptDialog::ask(parent_widget(), folder_layout(FORM_CREATE_DIRECTORY), caption, prompt,
                                     initial);
    return QtPrompts::text(caption, prompt, initial);
}

std::optional<int> ShellPrompts::chmod(const std::string& name, const std::optional<std::string>& permissions)
{
    return ChmodDialog::ask(parent_widget(), name, permissions);
}

std::optional<std::string> ShellPrompts::append_file(const std::string& prompt,
                                                     const std::vector<std::string>& names,
                                                     const std::string& initial)
{
    return AppendFileDialog::ask(parent_widget(), prompt, names, initial);
}

} // namespace kestovan
