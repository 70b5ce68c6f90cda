// The column of push buttons at the window's left edge. Buttons that would reach below the Terminal
// button are hidden while the column is shown, after every resize.
#pragma once

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QPushButton;

namespace kestovan {

class ButtonColumn : public QWidget {
public:
    explicit ButtonColumn(QWidget* parent);
    QPushButton* button(int command) const;
    void set_caption(int command, const QString& caption);
    // Applies the hiding rule: each hideable button whose bottom edge lies below the top edge of the
    // Terminal button is hidden.
    void fit();

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

    std::function<void(int command)> clicked;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
    std::map<int, QPushButton*> buttons_;
    std::vector<QPushButton*> order_;
};

// The rule itself, for tests: which of the hideable buttons (by their bottom edges) stay visible when
// the Terminal button's top edge is at terminal_top.
[[nodiscard]] bool column_button_fits(int bottom_edge, int terminal_top);

} // namespace kestovan
