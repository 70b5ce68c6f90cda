#include "ui/widgets/prompt_dialogs.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kestovan {

namespace {

constexpr int PROMPT_WIDTH_CHARS = 50;

// Prompts and questions quote file and site names: plain text, never markup.
QLabel* plain_label(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setProperty(NO_TRANSLATION_PROPERTY, true);
    return label;
}

QPushButton* add_button(QDialogButtonBox& box, int string_id, QDialogButtonBox::ButtonRole role,
                        const char* name)
{
    auto* button = new QPushButton;
    bind_string_id(*button, string_id);
    button->setObjectName(name);
    button->setAutoDefault(false);
    box.addButton(button, role);
    return button;
}

} // namespace

TextPromptDialog::TextPromptDialog(const TextPromptLayout& layout, const QString& caption,
                                   const QString& prompt, const QString& initial, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit(initial))
{
    if (layout.form) {
        setObjectName(QString::number(layout.form));
        set_form_number(*this, layout.form);
    }
    setWindowTitle(caption);
    if (!layout.field_name.isEmpty())
        field_->setObjectName(layout.field_name);
    if (layout.password)
        field_->setEchoMode(QLineEdit::Password);
    field_->selectAll();

    auto* column = new QVBoxLayout(this);
    if (!prompt.isEmpty()) {
        QLabel* label = plain_label(prompt);
        if (!layout.prompt_name.isEmpty())
            label->setObjectName(layout.prompt_name);
        label->setBuddy(field_);
        column->addWidget(label);
    }
    column->addWidget(field_);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = add_button(*buttons, IDS_BTN_OK, QDialogButtonBox::AcceptRole, "1");
    ok->setDefault(true);
    add_button(*buttons, IDS_BTN_CANCEL, QDialogButtonBox::RejectRole, "2");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * PROMPT_WIDTH_CHARS);
    field_->setFocus();
}

QString TextPromptDialog::text() const
{
    return field_->text();
}

std::optional<std::string> TextPromptDialog::ask(QWidget* parent, const TextPromptLayout& layout,
                                                 const std::string& caption, const std::string& prompt,
                                                 const std::string& initial)
{
    TextPromptDialog dialog(layout, QString::fromUtf8(caption), QString::fromUtf8(prompt),
                            QString::fromUtf8(initial), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.text().toStdString();
}

TextPromptLayout password_layout()
{
    return TextPromptLayout{FORM_PASSWORD, QStringLiteral("1485"), QString(), true};
}

FileExistsDialog::FileExistsDialog(const QString& text, bool offer_restart, QWidget* parent) : QDialog(parent)
{
    const int form = offer_restart ? FORM_FILE_EXISTS_RESTART : FORM_FILE_EXISTS;
    setObjectName(QString::number(form));
    set_form_number(*this, form);
    bind_string_id(*this, IDS_CAPTION_FILE_EXISTS);

    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QHBoxLayout;
    message->addWidget(icon);
    message->addWidget(plain_label(text), 1);

    auto* buttons = new QDialogButtonBox;
    auto answer_with = [this](QPushButton* button, FileExistsAnswer answer) {
        connect(button, &QPushButton::clicked, this, [this, answer] {
            answer_ = answer;
            done(answer == EXISTS_CANCEL ? QDialog::Rejected : QDialog::Accepted);
        });
    };
    QPushButton* yes = add_button(*buttons, IDS_BTN_YES, QDialogButtonBox::YesRole, "yes");
    yes->setDefault(true);
    answer_with(yes, EXISTS_YES);
    answer_with(add_button(*buttons, IDS_BTN_NO, QDialogButtonBox::NoRole, "no"), EXISTS_NO);
    answer_with(add_button(*buttons, IDS_BTN_YES_TO_ALL_MNEMONIC, QDialogButtonBox::YesRole, "yes_to_all"),
                EXISTS_YES_TO_ALL);
    if (offer_restart)
        answer_with(add_button(*buttons, IDS_BTN_RESTART_MNEMONIC, QDialogButtonBox::ActionRole, "restart"),
                    EXISTS_RESTART);
    answer_with(add_button(*buttons, IDS_BTN_CANCEL_MNEMONIC, QDialogButtonBox::RejectRole, "cancel"),
                EXISTS_CANCEL);

    auto* column = new QVBoxLayout(this);
    column->addLayout(message);
    column->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * PROMPT_WIDTH_CHARS);
}

FileExistsAnswer FileExistsDialog::ask(QWidget* parent, const std::string& text, bool offer_restart)
{
    FileExistsDialog dialog(QString::fromUtf8(text), offer_restart, parent);
    dialog.exec();
    return dialog.answer();
}

} // namespace kestovan
