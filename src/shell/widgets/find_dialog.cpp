#include "shell/widgets/find_dialog.h"

#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestovan {

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent), text_(new QLineEdit), match_case_(new QCheckBox), find_next_(new QPushButton)
{
    setObjectName(QString::number(FORM_FIND));
    set_form_number(*this, FORM_FIND);
    bind_string_id(*this, IDS_DLG_FIND);

    text_->setObjectName("1933");
    match_case_->setObjectName("1943");
    bind_string_id(*match_case_, IDS_CHECK_MATCH_CASE);
    find_next_->setObjectName("1215");
    bind_string_id(*find_next_, IDS_BTN_FIND_NEXT);
    find_next_->setDefault(true);
    find_next_->setEnabled(false);
    auto* cancel = new QPushButton;
    cancel->setObjectName("1217");
    bind_string_id(*cancel, IDS_BTN_CANCEL_MNEMONIC);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(find_next_, QDialogButtonBox::ActionRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(match_case_);
    layout->addWidget(buttons);

    connect(text_, &QLineEdit::textChanged, this,
            [this](const QString& text) { find_next_->setEnabled(!text.isEmpty()); });
    connect(find_next_, &QPushButton::clicked, this, [this] { emit findNext(text(), match_case()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(fontMetrics().averageCharWidth() * 40);
}

QString FindDialog::text() const
{
    return text_->text();
}

bool FindDialog::match_case() const
{
    return match_case_->isChecked();
}

} // namespace kestovan
