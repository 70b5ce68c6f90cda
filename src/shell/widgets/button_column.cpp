#include "shell/widgets/button_column.h"

#include "shell/command_table.h"
#include "ui/language.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace kestovan {

bool column_button_fits(int bottom_edge, int terminal_top)
{
    return bottom_edge <= terminal_top;
}

ButtonColumn::ButtonColumn(QWidget* parent) : QWidget(parent)
{
    setObjectName("button_column");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    // The buttons above Terminal take the room there is; Terminal and those below it stay at the
    // bottom, so the hiding rule is what decides what fits.
    auto* top = new QVBoxLayout;
    top->setSpacing(2);
    auto* bottom = new QVBoxLayout;
    bottom->setSpacing(2);
    QVBoxLayout* current = top;
    for (const ColumnButton& spec : button_column()) {
        if (spec.command == 1869)
            current = bottom;
        auto* button = new QPushButton(
            spec.caption_string_id ? QString::fromUtf8(load_string(spec.caption_string_id)) : QString(),
            this);
        button->setObjectName(QString::number(spec.command));
        if (spec.caption_string_id)
            button->setProperty("kestovan_string_id", spec.caption_string_id);
        button->setFocusPolicy(Qt::TabFocus);
        const int command = spec.command;
        connect(button, &QPushButton::clicked, this, [this, command] {
            if (clicked)
                clicked(command);
        });
        current->addWidget(button);
        buttons_[spec.command] = button;
    }
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(bottom);
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
}

void ButtonColumn::fit()
{
    QPushButton* terminal = button(1869);
    if (!terminal || !isVisible())
        return;
    const int terminal_top = terminal->geometry().top();
    // Positions are those of a full column: measure each button where the layout would put it.
    int y = layout()->contentsMargins().top();
    for (const ColumnButton& spec : button_column()) {
        if (spec.command == 1869)
            break;
        QPushButton* b = button(spec.command);
        const int bottom = y + b->sizeHint().height();
        y = bottom + 2;
        const auto& hideable = hideable_column_buttons();
        if (std::find(hideable.begin(), hideable.end(), spec.command) != hideable.end())
            b->setVisible(column_button_fits(bottom, terminal_top));
    }
}

void ButtonColumn::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fit();
}

} // namespace kestovan
