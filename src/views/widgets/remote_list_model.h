// The item model of the remote list: the rows the remote browser gives for the shown folder (the
// shared ".." row when it applies, then the folder's children that pass the filter), one column per
// field of the listing.
#pragma once

#include "ui/string_ids.h"
#include "views/pane_sort.h"
#include "views/widgets/pane_icons.h"

#include <QAbstractTableModel>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kestovan {

class RemoteBrowser;
struct ShellContext;

class RemoteListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        COL_KIND, // icon only
        COL_FILE,
        COL_SIZE,
        COL_DATE,
        COL_PRIVS,
        COL_LEVEL,
        COL_OWNER,
        COL_GROUP,
        COLUMN_COUNT,
    };
    static constexpr std::array<int, COLUMN_COUNT> COLUMN_WIDTHS = {20, 100, 60, 80, 60, 20, 50, 50};
    // Typical values the columns should hold without cutting them.
    static constexpr std::array<const char*, COLUMN_COUNT> COLUMN_SAMPLES = {
        nullptr, nullptr, "123456789", "Dec 31 23:59", "drwxr-xr-x", nullptr, nullptr, nullptr};
    static constexpr std::array<int, COLUMN_COUNT> COLUMN_TITLE_IDS = {
        IDS_COL_REMOTE_KIND,  IDS_COL_REMOTE_FILE,  IDS_COL_REMOTE_SIZE,  IDS_COL_REMOTE_DATE,
        IDS_COL_REMOTE_PRIVS, IDS_COL_REMOTE_LEVEL, IDS_COL_REMOTE_OWNER, IDS_COL_REMOTE_GROUP};
    static constexpr int ICON_NAME_ROLE = Qt::UserRole + 1;

    RemoteListModel(const ShellContext& ctx, const RemoteBrowser& browser, QObject* parent = nullptr);

    // Takes the rows afresh from the browser (ShellView::remote_list_changed).
    void refill();
    // A row's texts or icon changed (a site's connection state).
    void tree_item_changed(DirEntry& node);
    // Before nodes go: rows at or below node leave now, all of them when the folder they belong to goes.
    void tree_node_removing(DirEntry& node);

    // The folder whose rows are shown (null before the first fill).
    [[nodiscard]] DirEntry* folder() const { return folder_; }
    [[nodiscard]] const std::vector<DirEntry*>& entries() const { return rows_; }
    [[nodiscard]] DirEntry* entry(const QModelIndex& index) const;
    [[nodiscard]] int row_of(const DirEntry* node) const; // -1 when not shown
    // True while the model reports a change; views ignore the selection moves that causes.
    [[nodiscard]] bool changing() const { return changing_; }

    // The order the column titles choose (the first column until one is clicked), applied at every
    // fill except for a profile folder, whose children keep their tree order.
    [[nodiscard]] int sort_column() const { return order_.column; }
    [[nodiscard]] Qt::SortOrder sort_order() const
    {
        return order_.reversed ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    void click_column(int column);

    // Editing a row's label asks this to rename the row.
    std::function<void(DirEntry* row, const std::string& new_name)> rename_row;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Titles come from the string table in the language in force.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    [[nodiscard]] static QString cell_text(const DirEntry& entry, int column);

    const ShellContext& ctx_;
    const RemoteBrowser& browser_;
    DirEntry* folder_ = nullptr;
    std::vector<DirEntry*> rows_;
    SortOrder order_;
    mutable PaneIcons icons_;
    bool changing_ = false;
};

} // namespace kestovan
