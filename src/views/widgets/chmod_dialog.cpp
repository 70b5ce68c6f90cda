#include "views/widgets/chmod_dialog.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestovan {
namespace {

constexpr std::array<const char*, 3> WHO = {"owner", "group", "other"};
constexpr std::array<const char*, 3> WHAT = {"read", "write", "execute"};

QLabel* label(int string_id)
{
    auto* text = new QLabel;
    bind_string_id(*text, string_id);
    return text;
}

} // namespace

ChmodDialog::ChmodDialog(const QString& name, const PermissionBoxes& preset, QWidget* parent)
    : QDialog(parent), name_(name)
{
    setObjectName(QString::number(FORM_CHMOD));
    set_form_number(*this, FORM_CHMOD);
    auto* grid = new QGridLayout;
    grid->addWidget(label(IDS_CHMOD_READ), 0, 1, Qt::AlignCenter);
    grid->addWidget(label(IDS_CHMOD_WRITE), 0, 2, Qt::AlignCenter);
    grid->addWidget(label(IDS_CHMOD_EXECUTE), 0, 3, Qt::AlignCenter);
    const std::array<int, 3> rows = {IDS_CHMOD_OWNER, IDS_CHMOD_GROUP, IDS_CHMOD_OTHER};
    for (std::size_t who = 0; who < 3; ++who) {
        grid->addWidget(label(rows[who]), static_cast<int>(who) + 1, 0);
        for (std::size_t what = 0; what < 3; ++what) {
            auto* check = new QCheckBox;
            check->setObjectName(QString::fromLatin1(WHO[who]) + "_" + QString::fromLatin1(WHAT[what]));
            check->setChecked(preset[who * 3 + what]);
            connect(check, &QCheckBox::toggled, this, [this] { update_title(); });
            grid->addWidget(check, static_cast<int>(who) + 1, static_cast<int>(what) + 1, Qt::AlignCenter);
            boxes_[who * 3 + what] = check;
        }
    }
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
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(buttons);
    // Wide enough for its title, which carries the entry's name.
    setMinimumWidth(fontMetrics().averageCharWidth() * 36);
    update_title();
}

PermissionBoxes ChmodDialog::boxes() const
{
    PermissionBoxes on{};
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        on[i] = boxes_[i]->isChecked();
    return on;
}

void ChmodDialog::update_title()
{
    setWindowTitle(QString::fromUtf8(format_string(IDS_TITLE_CHMOD, mode(), name_.toStdString())));
}

std::optional<int> ChmodDialog::ask(QWidget* parent, const std::string& name,
                                    const std::optional<std::string>& permissions)
{
    ChmodDialog dialog(QString::fromStdString(name), boxes_from_permissions(permissions), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.mode();
}

} // namespace kestovan
