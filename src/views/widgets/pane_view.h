// The item view under the three browsing controls: a QTreeView in list or tree style that turns a
// double-click or Enter into one "open" request and reports when it gets the focus, so each pane
// decides what opening a row means.
#pragma once

#include <QTreeView>

#include <span>

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

signals:
    void openRequested(const QModelIndex& index);
    void focusEntered();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace kestovan
