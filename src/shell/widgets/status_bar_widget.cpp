#include "shell/widgets/status_bar_widget.h"

#include "shell/status_bar.h"

#include <QLabel>
#include <QPainter>

namespace kestovan {

ActivityIndicator::ActivityIndicator(const StatusBar& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setObjectName("activity");
    setMinimumWidth(80);
}

void ActivityIndicator::paintEvent(QPaintEvent*)
{
    if (!model_.activity_shown())
        return;
    QPainter painter(this);
    const int marker = 10;
    const int range = std::max(1, width() - marker - 2);
    const int x = 1 + model_.activity_position() * range / StatusBar::INDICATOR_RANGE;
    painter.fillRect(QRect(x, 3, marker, height() - 6), palette().highlight());
}

StatusBarWidget::StatusBarWidget(StatusBar& model, QWidget* parent) : QStatusBar(parent), model_(model)
{
    setObjectName("statusbar");
    setSizeGripEnabled(true);
    // Part 1 takes the room that is left; parts 2 and 3 have fixed widths like the right-hand parts.
    labels_[STATUS_MESSAGE] = new QLabel(this);
    labels_[STATUS_MESSAGE]->setObjectName("status_message");
    labels_[STATUS_MESSAGE]->setTextFormat(Qt::PlainText);
    labels_[STATUS_MESSAGE]->setMinimumWidth(50);
    addWidget(labels_[STATUS_MESSAGE], 1);
    labels_[STATUS_ENCRYPTION] = new QLabel(this);
    labels_[STATUS_ENCRYPTION]->setObjectName("status_encryption");
    addPermanentWidget(labels_[STATUS_ENCRYPTION]);
    labels_[STATUS_PERCENT] = new QLabel(this);
    labels_[STATUS_PERCENT]->setObjectName("status_percent");
    labels_[STATUS_PERCENT]->setFixedWidth(35);
    labels_[STATUS_PERCENT]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addPermanentWidget(labels_[STATUS_PERCENT]);
    labels_[STATUS_RATE] = new QLabel(this);
    labels_[STATUS_RATE]->setObjectName("status_rate");
    labels_[STATUS_RATE]->setFixedWidth(80);
    labels_[STATUS_RATE]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addPermanentWidget(labels_[STATUS_RATE]);
    indicator_ = new ActivityIndicator(model_, this);
    addPermanentWidget(indicator_);
    model_.changed = [this](int part) { part_changed(part); };
}

StatusBarWidget::~StatusBarWidget()
{
    model_.changed = nullptr;
}

void StatusBarWidget::part_changed(int part)
{
    if (part == STATUS_ACTIVITY) {
        indicator_->update();
        return;
    }
    if (part > 0 && part != STATUS_ACTIVITY && labels_[static_cast<std::size_t>(part)]) {
        QString text = QString::fromUtf8(model_.text(part));
        labels_[static_cast<std::size_t>(part)]->setText(text);
        labels_[static_cast<std::size_t>(part)]->setToolTip(text);
    }
}

} // namespace kestovan
