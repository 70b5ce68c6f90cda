#include "queue/widgets/batch_window.h"

#include "common/paths.h"
#include "shell/shell_context.h"
#include "shell/widgets/help_viewer.h"
#include "shell/widgets/status_bar_widget.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"
#include "views/pane_type_ahead.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <array>

namespace kestovan {

namespace {

constexpr int CONTROL_LIST = 1951;
constexpr int BUTTON_START = 1215;
constexpr int BUTTON_CLEAR = 1907;
constexpr int BUTTON_CLOSE = 1217;
constexpr int BUTTON_HELP = 7888;
constexpr int MENU_BATCH = 220;
constexpr int COMMAND_DELETE = 464;
constexpr int COMMAND_SELECT_ALL = 465;
// Column widths in dialog units (a quarter of the average character width).
constexpr std::array<int, BATCH_COLUMN_COUNT> COLUMN_UNITS{36, 115, 115, 50, 70};

QPushButton* make_button(QWidget* parent, int control, int string_id)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::number(control));
    bind_string_id(*button, string_id);
    return button;
}

QAction* add_item(QMenu& menu, int command, int string_id, bool enabled)
{
    auto* action = menu.addAction(QString());
    action->setObjectName(QString::number(command));
    bind_string_id(*action, string_id);
    action->setEnabled(enabled);
    return action;
}

} // namespace

BatchWindow::BatchWindow(TransferQueue& queue, ShellContext& ctx, QWidget* parent)
    : QDialog(parent), queue_(queue), ctx_(ctx), model_(queue, this)
{
    setObjectName(QString::number(FORM_BATCH));
    set_form_number(*this, FORM_BATCH);
    bind_string_id(*this, IDS_DLG_BATCH_TRANSFER);
    setModal(false);
    setSizeGripEnabled(true);

    list_ = new QTreeView(this);
    list_->setObjectName(QString::number(CONTROL_LIST));
    list_->setModel(&model_);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::DefaultContextMenu);
    list_->setIconSize(QSize(16, 16));
    list_->setProperty(NO_TRANSLATION_PROPERTY, true);
    bind_column_ids(*list_, {IDS_COL_BATCH_STATE, IDS_COL_BATCH_SOURCE, IDS_COL_BATCH_DESTINATION,
                             IDS_COL_BATCH_SIZE, IDS_COL_BATCH_FILENAME});
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(false);
    const int unit = std::max(1, fontMetrics().averageCharWidth());
    for (int column = 0; column < BATCH_COLUMN_COUNT; ++column)
        list_->setColumnWidth(column, COLUMN_UNITS[static_cast<std::size_t>(column)] * unit / 4);
    connect(list_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { model_.sort_by_column(column); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { row_selected(); });
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);

    start_ = make_button(this, BUTTON_START, IDS_BTN_START);
    clear_ = make_button(this, BUTTON_CLEAR, IDS_BTN_CLEAR);
    QPushButton* close = make_button(this, BUTTON_CLOSE, IDS_BTN_CLOSE);
    QPushButton* help = make_button(this, BUTTON_HELP, IDS_BTN_HELP);
    connect(start_, &QPushButton::clicked, this, [this] { queue_.start_or_stop(); });
    connect(clear_, &QPushButton::clicked, this, [this] { queue_.clear(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { show_help(this); });

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("batch_status"));
    status->setSizeGripEnabled(false);
    message_ = new QLabel(status);
    message_->setObjectName(QStringLiteral("batch_message"));
    message_->setTextFormat(Qt::PlainText);
    message_->setProperty(NO_TRANSLATION_PROPERTY, true);
    message_->setMinimumWidth(50);
    status->addWidget(message_, 1);
    indicator_ = new ActivityIndicator(ctx_.status, status);
    status->addPermanentWidget(indicator_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(clear_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    layout->addWidget(status);
    resize(640, 320);

    queue_.set_observer(this);
    ctx_.status.mirror = [this](int part) {
        if (part == STATUS_MESSAGE)
            message_->setText(QString::fromUtf8(ctx_.status.text(STATUS_MESSAGE)));
        else if (part == STATUS_ACTIVITY)
            indicator_->update();
    };
    buttons_changed();
}

BatchWindow::~BatchWindow()
{
    ctx_.status.mirror = nullptr;
    queue_.set_observer(nullptr);
}

void BatchWindow::open_window()
{
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void BatchWindow::tasks_reset()
{
    model_.reset_rows();
}

void BatchWindow::task_changed(const Task& task)
{
    model_.task_changed(task);
}

void BatchWindow::buttons_changed()
{
    start_->setEnabled(queue_.can_start());
    bind_string_id(*start_, queue_.running() ? IDS_BTN_STOP : IDS_BTN_START);
    clear_->setEnabled(queue_.can_clear());
    // The running task's image follows the queue.
    if (model_.rowCount() > 0)
        emit model_.dataChanged(model_.index(0, BATCH_COL_STATE),
                                model_.index(model_.rowCount() - 1, BATCH_COL_STATE));
}

std::vector<const Task*> BatchWindow::selected_tasks() const
{
    std::vector<const Task*> tasks;
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        if (const Task* task = model_.task_at(index.row()))
            tasks.push_back(task);
    return tasks;
}

void BatchWindow::delete_selected()
{
    const std::vector<const Task*> tasks = selected_tasks();
    if (tasks.empty())
        return;
    // Rows in the shown order: the neighbour is taken in that order too.
    const int last_row = model_.row_of(tasks.back());
    queue_.delete_tasks(tasks);
    if (model_.rowCount() > 0)
        select_row(
            std::min(std::max(last_row - static_cast<int>(tasks.size()) + 1, 0), model_.rowCount() - 1));
}

void BatchWindow::select_all()
{
    list_->selectAll();
}

void BatchWindow::select_row(int row)
{
    const QModelIndex index = model_.index(row, BATCH_COL_NAME);
    if (!index.isValid())
        return;
    list_->selectionModel()->setCurrentIndex(index,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(index);
}

void BatchWindow::row_selected()
{
    if (const Task* task = model_.task_at(list_->currentIndex().row()))
        ctx_.status.set_text(STATUS_MESSAGE, join_local(ctx_.local_folder, task->name.value_or("")));
}

std::unique_ptr<QMenu> BatchWindow::build_context_menu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QString::number(MENU_BATCH));
    const bool any = model_.rowCount() > 0;
    connect(add_item(*menu, COMMAND_DELETE, IDS_MENU_DELETE, any && !selected_tasks().empty()),
            &QAction::triggered, this, &BatchWindow::delete_selected);
    connect(add_item(*menu, COMMAND_SELECT_ALL, IDS_MENU_SELECT_ALL, any), &QAction::triggered, this,
            &BatchWindow::select_all);
    return menu;
}

bool BatchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu && watched == list_->viewport()) {
        const std::unique_ptr<QMenu> menu = build_context_menu();
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (event->type() != QEvent::KeyPress || watched != list_)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete) {
        delete_selected();
        return true;
    }
    if (key->matches(QKeySequence::SelectAll)) {
        select_all();
        return true;
    }
    const QString typed = key->text();
    if (typed.size() == 1 && typed.at(0).isPrint() && !typed.at(0).isSpace() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (auto row = type_ahead_row(model_.names(), list_->currentIndex().row(), typed.toStdString()))
            select_row(*row);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kestovan
