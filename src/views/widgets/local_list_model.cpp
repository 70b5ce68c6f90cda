#include "views/widgets/local_list_model.h"

#include "ui/language.h"

namespace kestovan {

LocalListModel::LocalListModel(QObject* parent) : QAbstractTableModel(parent) {}

void LocalListModel::list(std::string_view path)
{
    beginResetModel();
    list_folder(list_, path);
    sort_local_rows(list_.rows, order_);
    endResetModel();
}

void LocalListModel::click_column(int column)
{
    order_.click(column);
    beginResetModel();
    sort_local_rows(list_.rows, order_);
    endResetModel();
}

bool LocalListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const LocalEntry* row = entry(index);
    if (!row || role != Qt::EditRole || index.column() != COL_NAME || !rename_row)
        return false;
    const std::string path = row->path; // the rename reads the list again
    const std::string name = value.toString().toStdString();
    if (name == row->name)
        return false;
    rename_row(path, name);
    return true;
}

const LocalEntry* LocalListModel::entry(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= static_cast<int>(list_.rows.size()))
        return nullptr;
    return &list_.rows[static_cast<std::size_t>(index.row())];
}

std::optional<int> LocalListModel::row_of_path(const std::string& path) const
{
    for (std::size_t i = 0; i < list_.rows.size(); ++i) {
        const LocalEntry& row = list_.rows[i];
        // The ".." rows carry the parent's path; they are not the folder itself.
        if (row.path == path && row.kind != LOCAL_PARENT && row.kind != LOCAL_VOLUME_LIST)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

int LocalListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list_.rows.size());
}

int LocalListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QVariant LocalListModel::data(const QModelIndex& index, int role) const
{
    const LocalEntry* row = entry(index);
    if (!row)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::EditRole: return column == COL_NAME ? QString::fromStdString(row->name) : QVariant();
    case Qt::DisplayRole:
        switch (column) {
        case COL_NAME: return QString::fromStdString(row->name);
        // Folders, volumes and the ".." rows carry "0", which says nothing about them.
        case COL_SIZE: return row->kind == LOCAL_FILE ? QString::fromStdString(row->size) : QString();
        case COL_DATE: return QString::fromStdString(row->date);
        default: return {};
        }
    case Qt::DecorationRole:
        return column == COL_KIND ? QVariant(icons_.icon(icons_.name_for(*row))) : QVariant();
    case ICON_NAME_ROLE: return column == COL_KIND ? QVariant(icons_.name_for(*row)) : QVariant();
    case Qt::TextAlignmentRole:
        return column == COL_SIZE ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ToolTipRole:
        return column == COL_NAME && row->kind == LOCAL_VOLUME ? QString::fromStdString(row->path)
                                                               : QVariant();
    case Qt::AccessibleTextRole: return column == COL_KIND ? QString::fromStdString(row->name) : QVariant();
    default: return {};
    }
}

QVariant LocalListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= COLUMN_COUNT)
        return {};
    return load_qstring(COLUMN_TITLE_IDS[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags LocalListModel::flags(const QModelIndex& index) const
{
    const LocalEntry* row = entry(index);
    if (!row)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
                          Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (index.column() == COL_NAME && (row->kind == LOCAL_FILE || row->kind == LOCAL_FOLDER))
        flags |= Qt::ItemIsEditable;
    return flags;
}

} // namespace kestovan
