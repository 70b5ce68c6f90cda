#include "views/widgets/rename_page.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestovan {

namespace {

constexpr int COLUMN_WIDTH = 120;

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

RenamePage::RenamePage(QWidget* parent)
    : QWidget(parent), editor_(std::make_unique<RenameListEditor>(RenameRules{}))
{
    setObjectName("auto_rename");
    auto* column = new QVBoxLayout(this);
    auto* title = new QLabel(this);
    bind_string_id(*title, IDS_PAGE_RENAME_MASKS);
    column->addWidget(title);
    list_ = new QTreeWidget(this);
    list_->setObjectName("rename_list");
    list_->setRootIsDecorated(false);
    list_->setColumnCount(3);
    list_->setHeaderLabels({load_qstring(IDS_COL_RENAME_LOCAL), load_qstring(IDS_COL_RENAME_REMOTE),
                            load_qstring(IDS_COL_RENAME_ENABLED)});
    for (int i = 0; i < 3; ++i)
        list_->header()->resizeSection(i, COLUMN_WIDTH);
    list_->setProperty(NO_TRANSLATION_PROPERTY, true);
    list_->setContextMenuPolicy(Qt::DefaultContextMenu);
    list_->installEventFilter(this);
    column->addWidget(list_, 1);

    auto* form = new QFormLayout;
    local_ = new QLineEdit(this);
    local_->setObjectName("rename_local");
    remote_ = new QLineEdit(this);
    remote_->setObjectName("rename_remote");
    for (QLineEdit* edit : {local_, remote_})
        edit->setProperty(NO_TRANSLATION_PROPERTY, true);
    auto* local_label = new QLabel(this);
    bind_string_id(*local_label, IDS_LABEL_RENAME_LOCAL);
    auto* remote_label = new QLabel(this);
    bind_string_id(*remote_label, IDS_LABEL_RENAME_REMOTE);
    form->addRow(local_label, local_);
    form->addRow(remote_label, remote_);
    column->addLayout(form);
    auto* row = new QHBoxLayout;
    enabled_ = new QCheckBox(this);
    enabled_->setObjectName("rename_enabled");
    bind_string_id(*enabled_, IDS_CHECK_RENAME_ENABLED);
    row->addWidget(enabled_);
    row->addStretch(1);
    auto* new_button = new QPushButton(this);
    new_button->setObjectName("rename_new");
    bind_string_id(*new_button, IDS_BTN_RENAME_NEW);
    row->addWidget(new_button);
    column->addLayout(row);

    menu_ = new QMenu(this);
    menu_->setObjectName("RenameList");
    QAction* menu_new = menu_->addAction(load_qstring(IDS_MENU_RENAME_NEW));
    menu_new->setObjectName("rename_menu_new");
    QAction* menu_delete = menu_->addAction(load_qstring(IDS_MENU_RENAME_DELETE));
    menu_delete->setObjectName("rename_menu_delete");

    connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
        if (filling_)
            return;
        const int row = list_->indexOfTopLevelItem(list_->currentItem());
        editor_->select(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
        show_fields();
    });
    connect(local_, &QLineEdit::textEdited, this, [this] { fields_edited(); });
    connect(remote_, &QLineEdit::textEdited, this, [this] { fields_edited(); });
    connect(enabled_, &QCheckBox::clicked, this, [this] { fields_edited(); });
    connect(new_button, &QPushButton::clicked, this, [this] { new_rule(); });
    connect(menu_new, &QAction::triggered, this, [this] { new_rule(); });
    connect(menu_delete, &QAction::triggered, this, [this] { delete_row(); });
    fill_list();
}

RenamePage::~RenamePage() = default;

void RenamePage::show_rules(const RenameRules& rules)
{
    editor_ = std::make_unique<RenameListEditor>(rules);
    fill_list();
    show_fields();
}

RenameRules RenamePage::rules() const
{
    return editor_->applied();
}

void RenamePage::fill_list()
{
    filling_ = true;
    list_->clear();
    for (const RenameRule& rule : editor_->rows()) {
        const QString enabled =
            rule.placeholder ? QString() : load_qstring(rule.enabled ? IDS_BTN_YES : IDS_BTN_NO);
        new QTreeWidgetItem(list_, {q(rule.local_mask), q(rule.remote_mask), enabled});
    }
    if (const auto row = editor_->selected())
        list_->setCurrentItem(list_->topLevelItem(static_cast<int>(*row)));
    filling_ = false;
}

void RenamePage::show_fields()
{
    const RenameListEditor::Fields& fields = editor_->fields();
    local_->setText(q(fields.local_mask));
    remote_->setText(q(fields.remote_mask));
    enabled_->setChecked(fields.enabled);
}

void RenamePage::fields_edited()
{
    editor_->edit({local_->text().toStdString(), remote_->text().toStdString(), enabled_->isChecked()});
    fill_list();
}

void RenamePage::new_rule()
{
    editor_->new_rule();
    fill_list();
    show_fields();
}

void RenamePage::delete_row()
{
    if (editor_->delete_selected()) {
        fill_list();
        show_fields();
    }
}

bool RenamePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        delete_row();
        return true;
    }
    if (watched == list_ && event->type() == QEvent::ContextMenu) {
        menu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kestovan
