#include "queue/widgets/batch_list_model.h"

#include "ui/language.h"
#include "ui/string_ids.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <array>

namespace kestovan {

namespace {

constexpr std::array<int, BATCH_COLUMN_COUNT> COLUMN_TITLES{IDS_COL_BATCH_STATE, IDS_COL_BATCH_SOURCE,
                                                            IDS_COL_BATCH_DESTINATION, IDS_COL_BATCH_SIZE,
                                                            IDS_COL_BATCH_FILENAME};

QIcon theme_icon(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

QString text_of(const std::optional<std::string>& text)
{
    return text ? QString::fromUtf8(*text) : QString();
}

} // namespace

QIcon batch_state_icon(const Task& task, bool running)
{
    if (task.state == TASK_DONE)
        return theme_icon("emblem-default", QStyle::SP_DialogApplyButton);
    if (task.state == TASK_FAILED)
        return theme_icon("dialog-error", QStyle::SP_MessageBoxCritical);
    if (running)
        return theme_icon("media-playback-start", QStyle::SP_MediaPlay);
    return theme_icon("media-playback-pause", QStyle::SP_MediaPause);
}

BatchListModel::BatchListModel(const TransferQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), queue_(queue)
{
    reset_rows();
}

int BatchListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BatchListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : BATCH_COLUMN_COUNT;
}

QVariant BatchListModel::data(const QModelIndex& index, int role) const
{
    const Task* task = task_at(index.row());
    if (!task)
        return {};
    if (role == Qt::DecorationRole && index.column() == BATCH_COL_STATE)
        return batch_state_icon(*task, task == queue_.active_task());
    if (role == Qt::TextAlignmentRole && index.column() == BATCH_COL_SIZE)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case BATCH_COL_SOURCE: return text_of(task->source);
    case BATCH_COL_DESTINATION: return text_of(task->destination);
    case BATCH_COL_SIZE: return QString::fromStdString(batch_size_text(*task));
    case BATCH_COL_NAME: return text_of(task->name);
    default: return {};
    }
}

QVariant BatchListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= BATCH_COLUMN_COUNT)
        return {};
    return load_qstring(COLUMN_TITLES[static_cast<std::size_t>(section)]);
}

void BatchListModel::reset_rows()
{
    beginResetModel();
    rows_.clear();
    for (const auto& task : queue_.tasks())
        rows_.push_back(task.get());
    endResetModel();
}

void BatchListModel::task_changed(const Task& task)
{
    const int row = row_of(&task);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, BATCH_COLUMN_COUNT - 1));
}

void BatchListModel::sort_by_column(int column)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<const Task*> tasks;
    for (const QModelIndex& index : before)
        tasks.push_back(task_at(index.row()));
    rows_ = sorted_batch_rows(rows_, column);
    QModelIndexList after;
    for (std::size_t i = 0; i < tasks.size(); ++i)
        after.push_back(index(row_of(tasks[i]), before[static_cast<int>(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

const Task* BatchListModel::task_at(int row) const
{
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(row)] : nullptr;
}

int BatchListModel::row_of(const Task* task) const
{
    auto it = std::find(rows_.begin(), rows_.end(), task);
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

std::vector<std::string> BatchListModel::names() const
{
    std::vector<std::string> names;
    for (const Task* task : rows_)
        names.push_back(task->name.value_or(""));
    return names;
}

} // namespace kestovan
