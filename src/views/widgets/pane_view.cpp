#include "views/widgets/pane_view.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace kestovan {
namespace {

// Line height of the 8-point dialog font the documented widths were measured with.
constexpr double DOCUMENTED_LINE_HEIGHT = 13.0;
// Room around an icon in a cell (the style's margins and the focus frame).
constexpr int ICON_CELL_MARGIN = 10;
// Room around a text in a cell or a title.
constexpr int TEXT_CELL_MARGIN = 12;

} // namespace

int scaled_column_width(int documented, const QFontMetrics& metrics)
{
    const double scale = std::max(1.0, metrics.height() / DOCUMENTED_LINE_HEIGHT);
    return static_cast<int>(std::lround(documented * scale));
}

PaneView::PaneView(Style style, QWidget* parent) : QTreeView(parent)
{
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(NoEditTriggers);
    if (style == Style::LIST) {
        setRootIsDecorated(false);
        setItemsExpandable(false);
        setSelectionMode(ExtendedSelection);
        setSelectionBehavior(SelectRows);
        header()->setStretchLastSection(true);
    } else {
        setHeaderHidden(true);
        setSelectionMode(SingleSelection);
    }
}

void PaneView::set_column_widths(std::span<const int> documented, std::span<const char* const> samples)
{
    const int icon_column =
        iconSize().isValid() ? iconSize().width() : style()->pixelMetric(QStyle::PM_SmallIconSize);
    const int title_margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + TEXT_CELL_MARGIN;
    const QFontMetrics titles(header()->font());
    for (std::size_t column = 0; column < documented.size(); ++column) {
        const int section = static_cast<int>(column);
        int width = scaled_column_width(documented[column], fontMetrics());
        if (column == 0)
            width = std::max(width, icon_column + ICON_CELL_MARGIN);
        const QString title = model() ? model()->headerData(section, Qt::Horizontal).toString() : QString();
        if (!isHeaderHidden() && !title.isEmpty())
            width = std::max(width, titles.horizontalAdvance(title) + title_margin);
        if (column < samples.size() && samples[column])
            width = std::max(width, fontMetrics().horizontalAdvance(QString::fromUtf8(samples[column])) +
                                        TEXT_CELL_MARGIN);
        setColumnWidth(section, width);
    }
}

void PaneView::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (enter && plain && currentIndex().isValid()) {
        emit openRequested(currentIndex());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPersistentModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid())
        emit openRequested(QModelIndex(index));
}

void PaneView::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    emit focusEntered();
}

} // namespace kestovan
