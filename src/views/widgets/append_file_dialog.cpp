#include "views/widgets/append_file_dialog.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestovan {

AppendFileDialog::AppendFileDialog(const QString& prompt, const std::vector<std::string>& names,
                                   const QString& initial, QWidget* parent)
    : QDialog(parent), combo_(new QComboBox)
{
    setObjectName(QStringLiteral("append_file"));
    bind_string_id(*this, IDS_DLG_APPEND_FILE);
    combo_->setObjectName(QStringLiteral("append_target"));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setProperty(NO_TRANSLATION_PROPERTY, true);
    for (const std::string& name : names)
        combo_->addItem(QString::fromStdString(name));
    const int at = combo_->findText(initial);
    if (at >= 0)
        combo_->setCurrentIndex(at);
    else
        combo_->setEditText(initial);

    auto* column = new QVBoxLayout(this);
    auto* text = new QLabel(prompt);
    text->setTextFormat(Qt::PlainText);
    text->setProperty(NO_TRANSLATION_PROPERTY, true);
    text->setBuddy(combo_);
    column->addWidget(text);
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

QString AppendFileDialog::name() const
{
    return combo_->currentText();
}

std::optional<std::string> AppendFileDialog::ask(QWidget* parent, const std::string& prompt,
                                                 const std::vector<std::string>& names,
                                                 const std::string& initial)
{
    AppendFileDialog dialog(QString::fromStdString(prompt), names, QString::fromStdString(initial), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.name().toStdString();
}

} // namespace kestovan
