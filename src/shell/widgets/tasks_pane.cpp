#include "shell/widgets/tasks_pane.h"

#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>
#include <array>

namespace kestovan {

namespace {

constexpr int CONTROL_TASKS = 1969;
constexpr int MENU_TASKS = 221;
constexpr int COMMAND_DISCONNECT = 472;
constexpr int COMMAND_DELETE = 482;
constexpr int COMMAND_SELECT_ALL = 467;
// Column widths in dialog units (a quarter of the average character width).
constexpr std::array<int, TASK_COLUMN_COUNT> COLUMN_UNITS{18, 18, 90, 60, 42, 60, 120, 150};

QAction* add_item(QMenu& menu, int command, int string_id, bool enabled)
{
    auto* action = menu.addAction(QString());
    action->setObjectName(QString::number(command));
    bind_string_id(*action, string_id);
    action->setEnabled(enabled);
    return action;
}

} // namespace

TasksPane::TasksPane(TaskRows& rows, QWidget* parent) : QTreeView(parent), model_(rows, this)
{
    setObjectName(QString::number(CONTROL_TASKS));
    setModel(&model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    bind_column_ids(*this, {0, 0, IDS_COL_TASK, IDS_COL_TASK_BYTES, IDS_COL_TASK_PERCENT, IDS_COL_TASK_SIZE,
                            IDS_COL_TASK_SERVER, IDS_COL_TASK_RATE});

    // The rows sort themselves by the clicked title (TaskRows::sort_by_column), without a sort marker.
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    const int unit = std::max(1, fontMetrics().averageCharWidth());
    for (int column = 0; column < TASK_COLUMN_COUNT; ++column)
        setColumnWidth(column, COLUMN_UNITS[static_cast<std::size_t>(column)] * unit / 4);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int column) { model_.rows().sort_by_column(column); });

    connect(&model_, &TaskRowsModel::rowAdded, this, &TasksPane::select_row);
    connect(&model_, &TaskRowsModel::rowFinished, this,
            [this](int row) { scrollTo(model_.index(row, TASK_COL_NAME)); });
}

void TasksPane::select_row(int row)
{
    const QModelIndex index = model_.index(row, TASK_COL_NAME);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

std::vector<Task*> TasksPane::selected_tasks() const
{
    std::vector<Task*> tasks;
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        if (Task* task = model_.task_at(index.row()))
            tasks.push_back(task);
    return tasks;
}

std::vector<Task*> TasksPane::still_present(std::vector<Task*> tasks) const
{
    const TaskList& rows = model_.rows().rows();
    std::erase_if(tasks, [&rows](const Task* task) {
        return std::none_of(rows.begin(), rows.end(), [task](const auto& row) { return row.get() == task; });
    });
    return tasks;
}

std::unique_ptr<QMenu> TasksPane::build_context_menu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QString::number(MENU_TASKS));
    const std::vector<Task*> selected = selected_tasks();
    const bool disconnectable =
        can_disconnect && std::any_of(selected.begin(), selected.end(),
                                      [this](const Task* task) { return can_disconnect(*task); });
    // The callbacks get the rows selected when the menu opened that still exist: engine events keep
    // arriving while the menu is open.
    connect(add_item(*menu, COMMAND_DISCONNECT, IDS_MENU_TASK_DISCONNECT, disconnectable),
            &QAction::triggered, this, [this, selected] {
                if (on_disconnect)
                    on_disconnect(still_present(selected));
            });
    connect(add_item(*menu, COMMAND_DELETE, IDS_MENU_DELETE, !selected.empty()), &QAction::triggered, this,
            [this, selected] {
                if (on_delete)
                    on_delete(still_present(selected));
            });
    menu->addSeparator();
    connect(add_item(*menu, COMMAND_SELECT_ALL, IDS_MENU_SELECT_ALL, model_.rowCount() > 0),
            &QAction::triggered, this, &QAbstractItemView::selectAll);
    return menu;
}

void TasksPane::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // The desktop's keyboard route to a context menu, at the current row.
        const std::unique_ptr<QMenu> menu = build_context_menu();
        menu->exec(viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft()));
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TasksPane::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu = build_context_menu();
    menu->exec(event->globalPos());
}

} // namespace kestovan
