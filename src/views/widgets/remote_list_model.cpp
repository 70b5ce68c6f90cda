#include "views/widgets/remote_list_model.h"

#include "shell/remote_browser.h"
#include "shell/shell_context.h"
#include "ui/language.h"

#include <QScopedValueRollback>

#include <algorithm>

namespace kestovan {
namespace {

QString text_of(const std::optional<std::string>& text)
{
    return text ? QString::fromStdString(*text) : QString();
}

// True when node is ancestor or the same as inner.
bool contains(const DirEntry& node, const DirEntry* inner)
{
    for (; inner; inner = inner->parent) {
        if (inner == &node)
            return true;
    }
    return false;
}

} // namespace

RemoteListModel::RemoteListModel(const ShellContext& ctx, const RemoteBrowser& browser, QObject* parent)
    : QAbstractTableModel(parent), ctx_(ctx), browser_(browser)
{}

void RemoteListModel::refill()
{
    const QScopedValueRollback<bool> changing(changing_, true);
    beginResetModel();
    folder_ = ctx_.shown_folder;
    rows_ = browser_.rows();
    if (folder_ && folder_->kind != KIND_PROFILE_FOLDER)
        sort_remote_rows(rows_, order_);
    endResetModel();
}

void RemoteListModel::click_column(int column)
{
    order_.click(column);
    const QScopedValueRollback<bool> changing(changing_, true);
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<DirEntry*> moved;
    for (const QModelIndex& index : before)
        moved.push_back(entry(index));
    if (folder_ && folder_->kind != KIND_PROFILE_FOLDER)
        sort_remote_rows(rows_, order_);
    QModelIndexList after;
    for (std::size_t i = 0; i < moved.size(); ++i)
        after.push_back(index(row_of(moved[i]), before[static_cast<qsizetype>(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

bool RemoteListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    DirEntry* row = entry(index);
    if (!row || role != Qt::EditRole || index.column() != COL_FILE || !rename_row)
        return false;
    const std::string name = value.toString().toStdString();
    if (name == row->name)
        return false;
    rename_row(row, name);
    const int at = row_of(row);
    if (at >= 0)
        emit dataChanged(this->index(at, 0), this->index(at, COLUMN_COUNT - 1));
    return true;
}

void RemoteListModel::tree_item_changed(DirEntry& node)
{
    const int row = row_of(&node);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, COLUMN_COUNT - 1));
}

void RemoteListModel::tree_node_removing(DirEntry& node)
{
    const QScopedValueRollback<bool> changing(changing_, true);
    if (folder_ && contains(node, folder_)) {
        if (!rows_.empty()) {
            beginRemoveRows({}, 0, static_cast<int>(rows_.size()) - 1);
            rows_.clear();
            endRemoveRows();
        }
        folder_ = nullptr;
        return;
    }
    const int row = row_of(&node);
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }
}

DirEntry* RemoteListModel::entry(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= static_cast<int>(rows_.size()))
        return nullptr;
    return rows_[static_cast<std::size_t>(index.row())];
}

int RemoteListModel::row_of(const DirEntry* node) const
{
    auto it = std::find(rows_.begin(), rows_.end(), node);
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

int RemoteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RemoteListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QString RemoteListModel::cell_text(const DirEntry& entry, int column)
{
    switch (column) {
    case COL_FILE: return QString::fromStdString(entry.name);
    case COL_SIZE: return text_of(entry.size);
    case COL_DATE: return text_of(entry.date);
    case COL_PRIVS: return text_of(entry.permissions);
    case COL_LEVEL: return text_of(entry.links);
    case COL_OWNER: return text_of(entry.owner);
    case COL_GROUP: return text_of(entry.group);
    default: return {};
    }
}

QVariant RemoteListModel::data(const QModelIndex& index, int role) const
{
    const DirEntry* row = entry(index);
    if (!row)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return cell_text(*row, column);
    case Qt::EditRole: return column == COL_FILE ? QString::fromStdString(row->name) : QVariant();
    case Qt::DecorationRole:
        return column == COL_KIND ? QVariant(icons_.icon(icons_.name_for(*row))) : QVariant();
    case ICON_NAME_ROLE: return column == COL_KIND ? QVariant(icons_.name_for(*row)) : QVariant();
    case Qt::TextAlignmentRole:
        if (column == COL_SIZE || column == COL_LEVEL)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole:
        if (column == COL_FILE && row->kind == KIND_LINK && row->link_target)
            return QString::fromStdString(row->name + " -> " + *row->link_target);
        return {};
    // The icon column has no text; screen readers get the name there.
    case Qt::AccessibleTextRole: return column == COL_KIND ? QString::fromStdString(row->name) : QVariant();
    default: return {};
    }
}

QVariant RemoteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= COLUMN_COUNT)
        return {};
    return load_qstring(COLUMN_TITLE_IDS[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags RemoteListModel::flags(const QModelIndex& index) const
{
    const DirEntry* row = entry(index);
    if (!row)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
                          Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (index.column() == COL_FILE && row->kind != KIND_PARENT)
        flags |= Qt::ItemIsEditable;
    return flags;
}

} // namespace kestovan
