#include "views/widgets/pane_view.h"

#include "views/pane_type_ahead.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
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
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(DragDrop);
    setContextMenuPolicy(Qt::CustomContextMenu);
    if (style == Style::LIST) {
        setRootIsDecorated(false);
        setItemsExpandable(false);
        setSelectionMode(ExtendedSelection);
        setSelectionBehavior(SelectRows);
        header()->setStretchLastSection(true);
        header()->setSectionsClickable(true);
        header()->setSortIndicatorShown(true);
        name_column_ = 1;
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

int PaneView::width_for_columns() const
{
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int section = 0; section < header()->count(); ++section)
        if (!header()->isSectionHidden(section))
            width += header()->sectionSize(section);
    return width;
}

void PaneView::keyPressEvent(QKeyEvent* event)
{
    if (state() == EditingState) {
        QTreeView::keyPressEvent(event);
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (enter && plain && currentIndex().isValid()) {
        emit openRequested(currentIndex());
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
        return;
    }
    if (event->key() == Qt::Key_Delete && plain) {
        emit deleteRequested();
        return;
    }
    const QString typed = event->text();
    const bool character = !typed.isEmpty() && typed.at(0).isPrint() && !typed.at(0).isSpace() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (character) {
        type_ahead(typed);
        return;
    }
    QTreeView::keyPressEvent(event);
}

void PaneView::type_ahead(const QString& typed)
{
    if (!model())
        return;
    // Rows of the current level: the list's rows, or the current node's siblings in the tree.
    const QModelIndex parent = currentIndex().isValid() ? currentIndex().parent() : rootIndex();
    std::vector<std::string> names;
    for (int row = 0; row < model()->rowCount(parent); ++row)
        names.push_back(model()->index(row, name_column_, parent).data().toString().toStdString());
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    const std::optional<int> found = type_ahead_row(names, current, typed.toStdString());
    if (!found || *found == current)
        return;
    const QModelIndex target = model()->index(*found, 0, parent);
    setCurrentIndex(target);
    scrollTo(target);
}

void PaneView::startDrag(Qt::DropActions)
{
    if (!drag_data)
        return;
    std::unique_ptr<QMimeData> data = drag_data();
    if (!data)
        return;
    auto* drag = new QDrag(this); // Qt deletes it when the drag ends
    drag->setMimeData(data.release());
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void PaneView::dragEnterEvent(QDragEnterEvent* event)
{
    if (drop_handler)
        event->acceptProposedAction();
    else
        event->ignore();
}

void PaneView::dragMoveEvent(QDragMoveEvent* event)
{
    const QModelIndex row = indexAt(event->position().toPoint());
    if (drop_handler && drop_handler(*event->mimeData(), row, false))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PaneView::dropEvent(QDropEvent* event)
{
    const QModelIndex row = indexAt(event->position().toPoint());
    if (drop_handler && drop_handler(*event->mimeData(), row, true))
        event->acceptProposedAction();
    else
        event->ignore();
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
