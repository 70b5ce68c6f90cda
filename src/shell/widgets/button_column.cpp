#include "shell/widgets/button_column.h"

#include "shell/command_table.h"
#include "ui/language.h"

#include <QPushButton>

#include <algorithm>

namespace kestovan {

bool column_button_fits(int bottom_edge, int terminal_top)
{
    return bottom_edge <= terminal_top;
}

namespace {
constexpr int MARGIN = 2;
constexpr int GAP = 2;

bool is_hideable(int command)
{
    const auto& ids = hideable_column_buttons();
    return std::find(ids.begin(), ids.end(), command) != ids.end();
}
} // namespace

ButtonColumn::ButtonColumn(QWidget* parent) : QWidget(parent)
{
    setObjectName("button_column");
    // The buttons are placed by place(), not by a layout: a layout would make every button part of
    // the column's minimum height, and the window could never get short enough for the hiding rule.
    for (const ColumnButton& info : button_column()) {
        auto* button = new QPushButton(
            info.caption_string_id ? QString::fromUtf8(load_string(info.caption_string_id)) : QString(),
            this);
        button->setObjectName(QString::number(info.command));
        if (info.caption_string_id)
            button->setProperty("kestovan_string_id", info.caption_string_id);
        button->setFocusPolicy(Qt::TabFocus);
        const int command = info.command;
        connect(button, &QPushButton::clicked, this, [this, command] {
            if (clicked)
                clicked(command);
        });
        buttons_[info.command] = button;
        order_.push_back(button);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

QPushButton* ButtonColumn::button(int command) const
{
    auto it = buttons_.find(command);
    return it == buttons_.end() ? nullptr : it->second;
}

void ButtonColumn::set_caption(int command, const QString& caption)
{
    if (QPushButton* b = button(command))
        b->setText(caption);
    updateGeometry();
    place();
}

QSize ButtonColumn::sizeHint() const
{
    int width = 0;
    int height = MARGIN;
    for (QPushButton* b : order_) {
        width = std::max(width, b->sizeHint().width());
        height += b->sizeHint().height() + GAP;
    }
    return {width + 2 * MARGIN, height + MARGIN};
}

QSize ButtonColumn::minimumSizeHint() const
{
    // Only the buttons that are never hidden need room.
    int height = MARGIN;
    for (const ColumnButton& info : button_column())
        if (!is_hideable(info.command) || info.command == 1883)
            height += button(info.command)->sizeHint().height() + GAP;
    return {sizeHint().width(), height + MARGIN};
}

void ButtonColumn::place()
{
    const int width = this->width() - 2 * MARGIN;
    // Terminal and the buttons after it sit at the bottom edge; the others stack from the top.
    auto terminal_at = std::find_if(button_column().begin(), button_column().end(),
                                    [](const ColumnButton& info) { return info.command == 1869; });
    int y = height() - MARGIN;
    for (auto it = button_column().end(); it != terminal_at;) {
        --it;
        QPushButton* b = button(it->command);
        const int h = b->sizeHint().height();
        y -= h;
        b->setGeometry(MARGIN, y, width, h);
        y -= GAP;
    }
    const int terminal_top = button(1869)->geometry().top();
    y = MARGIN;
    for (auto it = button_column().begin(); it != terminal_at; ++it) {
        QPushButton* b = button(it->command);
        const int h = b->sizeHint().height();
        b->setGeometry(MARGIN, y, width, h);
        if (is_hideable(it->command))
            b->setVisible(column_button_fits(y + h, terminal_top));
        // Shown buttons that are not hideable keep their place; hidden ones leave theirs empty.
        y += h + GAP;
    }
}

void ButtonColumn::fit()
{
    if (isVisible())
        place();
}

void ButtonColumn::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place();
}

} // namespace kestovan
