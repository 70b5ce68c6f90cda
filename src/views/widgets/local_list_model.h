// The item model of the local list: one local folder (or the volume list) read through the local
// file system's list_folder, with its mask and scan flags.
#pragma once

#include "ui/string_ids.h"
#include "views/local_fs.h"
#include "views/pane_sort.h"
#include "views/widgets/pane_icons.h"

#include <QAbstractTableModel>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

class LocalListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        COL_KIND, // icon only
        COL_NAME,
        COL_SIZE,
        COL_DATE,
        COLUMN_COUNT,
    };
    static constexpr std::array<int, COLUMN_COUNT> COLUMN_WIDTHS = {20, 90, 70, 120};
    // Typical values the columns should hold without cutting them.
    static constexpr std::array<const char*, COLUMN_COUNT> COLUMN_SAMPLES = {nullptr, nullptr, "123456789",
                                                                             "12-31-2026 23:59:59"};
    static constexpr std::array<int, COLUMN_COUNT> COLUMN_TITLE_IDS = {
        IDS_COL_LOCAL_KIND, IDS_COL_LOCAL_FILENAME, IDS_COL_LOCAL_SIZE, IDS_COL_LOCAL_DATE};
    static constexpr int ICON_NAME_ROLE = Qt::UserRole + 1;

    explicit LocalListModel(QObject* parent = nullptr);

    // Lists path: "" (or a folder that does not exist) is the volume list.
    void list(std::string_view path);
    // Reads the current folder again.
    void rescan() { list(list_.folder); }

    // The folder shown; "" while the volume list is shown.
    [[nodiscard]] const std::string& folder() const { return list_.folder; }
    [[nodiscard]] const LocalChain& entries() const { return list_.rows; }
    [[nodiscard]] const LocalEntry* entry(const QModelIndex& index) const;
    [[nodiscard]] std::optional<int> row_of_path(const std::string& path) const;

    // The mask the filter bar sets (patterns separated by "," or ";"); it applies from the next scan.
    [[nodiscard]] const std::string& mask() const { return list_.mask; }
    void set_mask(std::string mask) { list_.mask = std::move(mask); }
    // The order the column titles choose (the first column until one is clicked), applied again
    // whenever the list is filled.
    [[nodiscard]] int sort_column() const { return order_.column; }
    [[nodiscard]] Qt::SortOrder sort_order() const
    {
        return order_.reversed ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    [[nodiscard]] SortOrder order() const { return order_; }
    // A click on a column title.
    void click_column(int column);

    // Editing a row's label asks this to rename the row at path; the list is read again by it.
    std::function<void(const std::string& path, const std::string& new_name)> rename_row;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    LocalList list_;
    SortOrder order_;
    mutable PaneIcons icons_;
};

} // namespace kestovan
