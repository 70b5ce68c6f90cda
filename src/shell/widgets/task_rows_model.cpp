#include "shell/widgets/task_rows_model.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "views/dir_entry.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

#include <array>

namespace kestovan {

namespace {

constexpr std::array<int, TASK_COLUMN_COUNT> COLUMN_TITLES{0,
                                                           0,
                                                           IDS_COL_TASK,
                                                           IDS_COL_TASK_BYTES,
                                                           IDS_COL_TASK_PERCENT,
                                                           IDS_COL_TASK_SIZE,
                                                           IDS_COL_TASK_SERVER,
                                                           IDS_COL_TASK_RATE};

QString text_of(const std::optional<std::string>& text)
{
    return text ? QString::fromUtf8(*text) : QString();
}

bool is_numeric_column(int column)
{
    return column == TASK_COL_BYTES || column == TASK_COL_PERCENT || column == TASK_COL_SIZE ||
           column == TASK_COL_RATE;
}

QString cell_text(const Task& row, int column)
{
    switch (column) {
    case TASK_COL_NAME: return QString::fromUtf8(task_display_name(row.name.value_or("")));
    case TASK_COL_BYTES: return text_of(row.bytes_text);
    case TASK_COL_PERCENT: return text_of(row.percent_text);
    case TASK_COL_SIZE: return QString::number(row.size);
    case TASK_COL_SERVER: return text_of(row.server);
    case TASK_COL_RATE: return QString::fromUtf8(format_task_rate(row.rate));
    default: return {};
    }
}

} // namespace

QIcon task_state_icon(const Task& row, ThemeIcons& icons)
{
    if (row.state == TASK_DONE)
        return icons.icon(QStringLiteral("emblem-default"), QStyle::SP_DialogApplyButton);
    if (row.state == TASK_FAILED)
        return icons.icon(QStringLiteral("dialog-error"), QStyle::SP_MessageBoxCritical);
    switch (row.kind) {
    case ROW_WEB_FETCH:
    case KIND_WEB_LINK:
    case ROW_DOWNLOAD: return icons.icon(QStringLiteral("go-down"), QStyle::SP_ArrowDown);
    case ROW_UPLOAD: return icons.icon(QStringLiteral("go-up"), QStyle::SP_ArrowUp);
    default: return {};
    }
}

QIcon task_type_icon(const Task& row, ThemeIcons& icons)
{
    if (row.kind == ROW_WEB_FETCH)
        return icons.icon(QStringLiteral("text-html"), QStyle::SP_DriveNetIcon);
    const std::string name = task_display_name(row.name.value_or(""));
    if (name.empty())
        return icons.icon(QStringLiteral("folder"), QStyle::SP_DirIcon);
    static const QMimeDatabase mime_types;
    const QMimeType type = mime_types.mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension);
    return icons.icon(type.iconName(), type.genericIconName(), QStyle::SP_FileIcon);
}

TaskRowsModel::TaskRowsModel(TaskRows& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), shown_rows_(static_cast<int>(rows.rows().size()))
{
    rows_.set_observer(this);
}

TaskRowsModel::~TaskRowsModel()
{
    rows_.set_observer(nullptr);
}

int TaskRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_rows_;
}

int TaskRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : TASK_COLUMN_COUNT;
}

Task* TaskRowsModel::task_at(int row) const
{
    if (row < 0 || row >= shown_rows_ || row >= static_cast<int>(rows_.rows().size()))
        return nullptr;
    return rows_.rows()[static_cast<std::size_t>(row)].get();
}

QVariant TaskRowsModel::data(const QModelIndex& index, int role) const
{
    const Task* row = index.isValid() ? task_at(index.row()) : nullptr;
    if (!row)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return cell_text(*row, column);
    case Qt::DecorationRole:
        if (column == TASK_COL_STATE)
            return task_state_icon(*row, icons_);
        if (column == TASK_COL_TYPE)
            return task_type_icon(*row, icons_);
        return {};
    case Qt::ToolTipRole: return column == TASK_COL_NAME ? text_of(row->name) : QVariant();
    case Qt::TextAlignmentRole:
        return is_numeric_column(column) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default: return {};
    }
}

QVariant TaskRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= TASK_COLUMN_COUNT)
        return {};
    if (role == Qt::DisplayRole) {
        const int id = COLUMN_TITLES[static_cast<std::size_t>(section)];
        return id ? load_qstring(id) : QString();
    }
    if (role == Qt::TextAlignmentRole && is_numeric_column(section))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

void TaskRowsModel::rows_reset()
{
    beginResetModel();
    shown_rows_ = static_cast<int>(rows_.rows().size());
    endResetModel();
}

void TaskRowsModel::row_added(int index)
{
    const int count = static_cast<int>(rows_.rows().size());
    if (index != shown_rows_ || count != shown_rows_ + 1) {
        rows_reset();
    } else {
        beginInsertRows({}, index, index);
        shown_rows_ = count;
        endInsertRows();
    }
    emit rowAdded(index);
}

void TaskRowsModel::row_changed(int index)
{
    if (index < 0 || index >= shown_rows_)
        return;
    emit dataChanged(this->index(index, 0), this->index(index, TASK_COLUMN_COUNT - 1));
    if (const Task* row = task_at(index); row && row->state != TASK_RUNNING)
        emit rowFinished(index);
}

} // namespace kestovan
