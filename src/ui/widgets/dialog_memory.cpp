#include "ui/widgets/dialog_memory.h"

#include "platform/registry.h"
#include "ui/dialog_geometry.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QTreeView>

#include <optional>

namespace kestovan {

namespace {

// Set once a dialog's stored place has been applied, so that showing it again keeps where the user
// left it.
constexpr char RESTORED_PROPERTY[] = "kestovan_geometry_restored";

std::optional<int> number_of(const QObject& object)
{
    bool ok = false;
    const int number = object.objectName().toInt(&ok);
    if (!ok || number <= 0)
        return std::nullopt;
    return number;
}

QHeaderView* header_of(QAbstractItemView& view)
{
    if (auto* tree = qobject_cast<QTreeView*>(&view))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(&view))
        return table->horizontalHeader();
    return nullptr;
}

bool resizable(const QWidget& window)
{
    return window.minimumSize() != window.maximumSize();
}

void restore_columns(QWidget& dialog, int number)
{
    const Registry registry;
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        const std::optional<int> control = number_of(*view);
        QHeaderView* header = header_of(*view);
        if (!control || !header)
            continue;
        const std::vector<int> widths = load_column_widths(registry, number, *control);
        for (int i = 0; i < static_cast<int>(widths.size()) && i < header->count(); ++i)
            if (widths[static_cast<std::size_t>(i)] > 0)
                header->resizeSection(i, widths[static_cast<std::size_t>(i)]);
        const std::vector<int> order = load_column_order(registry, number, *control);
        if (static_cast<int>(order.size()) != header->count())
            continue;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = order[static_cast<std::size_t>(visual)];
            if (logical >= 0 && logical < header->count())
                header->moveSection(header->visualIndex(logical), visual);
        }
    }
}

void save_columns(const QWidget& dialog, int number)
{
    Registry registry;
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        const std::optional<int> control = number_of(*view);
        QHeaderView* header = header_of(*view);
        if (!control || !header || header->count() == 0)
            continue;
        std::vector<int> widths;
        std::vector<int> order;
        for (int i = 0; i < header->count(); ++i) {
            widths.push_back(header->sectionSize(i));
            order.push_back(header->logicalIndex(i));
        }
        save_column_widths(registry, number, *control, widths);
        save_column_order(registry, number, *control, order);
    }
}

} // namespace

DialogMemory::DialogMemory(QObject* parent) : QObject(parent) {}

bool DialogMemory::eventFilter(QObject* watched, QEvent* event)
{
    auto* dialog = qobject_cast<QDialog*>(watched);
    const QEvent::Type type = event->type();
    if (!dialog || (type != QEvent::Show && type != QEvent::Hide) || !dialog->isWindow())
        return false;
    const std::optional<int> number = number_of(*dialog);
    if (!number)
        return false;
    if (type == QEvent::Show && !dialog->property(RESTORED_PROPERTY).toBool()) {
        dialog->setProperty(RESTORED_PROPERTY, true);
        restore(*dialog, *number);
    } else if (type == QEvent::Hide) {
        save(*dialog, *number);
    }
    return false;
}

void DialogMemory::restore(QWidget& window, int number)
{
    const Registry registry;
    restore_columns(window, number);
    std::optional<DialogGeometry> stored = load_dialog_geometry(registry, number);
    if (!stored)
        return;
    if (const QScreen* screen = window.screen()) {
        const QRect area = screen->geometry();
        stored = keep_reachable(*stored, area.width(), area.height());
    }
    window.move(stored->left, stored->top);
    if (resizable(window) && stored->width > 0 && stored->height > 0)
        window.resize(stored->width, stored->height);
}

void DialogMemory::save(const QWidget& window, int number)
{
    Registry registry;
    const QPoint position = window.pos();
    save_dialog_geometry(registry, number, {position.x(), position.y(), window.width(), window.height()});
    save_columns(window, number);
}

} // namespace kestovan
