#include "views/widgets/remote_list.h"

#include "shell/shell.h"
#include "ui/widgets/language_switcher.h"

#include <QHeaderView>

#include <algorithm>

namespace kestovan {

RemoteList::RemoteList(Shell& shell, QWidget* parent)
    : PaneView(Style::LIST, parent), shell_(shell), model_(shell.context(), shell.browser())
{
    setObjectName(QStringLiteral("1218"));
    setModel(&model_);
    set_column_widths(RemoteListModel::COLUMN_WIDTHS, RemoteListModel::COLUMN_SAMPLES);
    bind_column_ids(*this,
                    {IDS_COL_REMOTE_KIND, IDS_COL_REMOTE_FILE, IDS_COL_REMOTE_SIZE, IDS_COL_REMOTE_DATE,
                     IDS_COL_REMOTE_PRIVS, IDS_COL_REMOTE_LEVEL, IDS_COL_REMOTE_OWNER, IDS_COL_REMOTE_GROUP});
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { current_moved(current); });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { clicked_on(index); });
    connect(this, &PaneView::openRequested, this, [this](const QModelIndex& index) { open(index); });
    connect(this, &PaneView::focusEntered, this, [this] {
        shell_.context().focus = FOCUS_REMOTE;
        shell_.context().view->command_states_changed();
    });
}

void RemoteList::refill()
{
    const DirEntry* before = model_.folder();
    const std::vector<DirEntry*> selected = selected_entries();
    const DirEntry* current = model_.entry(currentIndex());
    quiet_ = true;
    model_.refill();
    if (before && before == model_.folder()) {
        QItemSelection keep;
        for (DirEntry* node : selected) {
            const int row = model_.row_of(node);
            if (row >= 0)
                keep.select(model_.index(row, 0), model_.index(row, RemoteListModel::COLUMN_COUNT - 1));
        }
        const int current_row = model_.row_of(current);
        if (current_row >= 0)
            selectionModel()->setCurrentIndex(model_.index(current_row, 0), QItemSelectionModel::NoUpdate);
        selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
    } else if (model_.rowCount() > 0) {
        // A new folder: the keys start at its first row, nothing selected yet.
        selectionModel()->setCurrentIndex(model_.index(0, 0), QItemSelectionModel::NoUpdate);
    }
    quiet_ = false;
}

std::vector<DirEntry*> RemoteList::selected_entries() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<DirEntry*> out;
    for (int row : rows)
        out.push_back(model_.entries()[static_cast<std::size_t>(row)]);
    return out;
}

bool RemoteList::has_selection() const
{
    return selectionModel()->hasSelection();
}

void RemoteList::take_selection(DirEntry* row)
{
    ShellContext& ctx = shell_.context();
    ctx.selected = row;
    ctx.focus = FOCUS_REMOTE;
    if (row->kind != KIND_PARENT)
        ctx.status.set_text(STATUS_MESSAGE, shell_.browser().status_text(row));
    ctx.view->command_states_changed();
}

void RemoteList::current_moved(const QModelIndex& current)
{
    if (quiet_ || model_.changing())
        return;
    if (DirEntry* row = model_.entry(current))
        take_selection(row);
}

void RemoteList::clicked_on(const QModelIndex& index)
{
    // The tree may have taken the selection since this row became current.
    DirEntry* row = model_.entry(index);
    if (row && shell_.context().selected != row)
        take_selection(row);
}

void RemoteList::open(const QModelIndex& index)
{
    if (DirEntry* row = model_.entry(index))
        shell_.browser().open_row(row);
}

} // namespace kestovan
