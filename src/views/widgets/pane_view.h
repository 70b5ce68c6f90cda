// The item view under the three browsing controls: a QTreeView in list or tree style that turns a
// double-click or Enter into one "open" request and reports when it gets the focus, so each pane
// decides what opening a row means. It also carries the keys of both lists (type-ahead, Ctrl+C,
// Ctrl+V, Delete) and hands drags and drops to the functions its owner sets.
#pragma once

#include <QTreeView>

#include <functional>
#include <memory>
#include <span>

class QMimeData;

namespace kestovan {

// A documented column width (in the pixels of the original small dialog font) scaled to the height
// of the font in use, so the columns hold as much text as they were meant to.
[[nodiscard]] int scaled_column_width(int documented, const QFontMetrics& metrics);

class PaneView : public QTreeView {
    Q_OBJECT
public:
    enum class Style {
        LIST, // flat rows with a header, several selectable
        TREE, // one column, no header, one selected node
    };
    explicit PaneView(Style style, QWidget* parent = nullptr);

    // Call after setModel. Each column is at least as wide as its documented width (scaled), its
    // title and its sample text (a typical value, or null); the first column, which holds only an
    // icon, is kept wide enough for it.
    void set_column_widths(std::span<const int> documented, std::span<const char* const> samples);
    // The width that shows every column whole: the columns, the frame and a vertical scroll bar.
    [[nodiscard]] int width_for_columns() const;

    // The column whose text type-ahead searches.
    void set_name_column(int column) { name_column_ = column; }
    // A character key: the next row whose name begins with it, wrapping once.
    void type_ahead(const QString& typed);

    // Drag and drop: the data of a drag of the selection (null: no drag), and what a drop of data on
    // a row (invalid: the empty area) would do (commit false) or does (commit true).
    std::function<std::unique_ptr<QMimeData>()> drag_data;
    std::function<bool(const QMimeData& data, const QModelIndex& row, bool commit)> drop_handler;

signals:
    void openRequested(const QModelIndex& index);
    void focusEntered();
    // Ctrl+C, Ctrl+V and Delete.
    void copyRequested();
    void pasteRequested();
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int name_column_ = 0;
};

} // namespace kestovan
