#include "ui/widgets/window_placement_widgets.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

#include <algorithm>

namespace kestovan {

namespace {

ScreenArea area_of(const QScreen& screen)
{
    const QRect rect = screen.geometry();
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

std::size_t pairs_of(const QSplitter& splitter)
{
    return (static_cast<std::size_t>(splitter.count()) + 1) / 2;
}

} // namespace

void apply_window_placement(QWidget& window, const WindowPlacement& stored,
                            const std::vector<QSplitter*>& splitters)
{
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(area_of(*screen));
    const QScreen* primary = QGuiApplication::primaryScreen();
    const WindowPlacement placement = primary ? onto_screens(stored, screens, area_of(*primary)) : stored;
    window.move(placement.left, placement.top);
    window.resize(placement.width(), placement.height());
    if (placement.state == WindowState::MAXIMIZED)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    std::size_t next = 0;
    for (QSplitter* splitter : splitters) {
        const std::size_t needed = pairs_of(*splitter);
        if (next + needed > placement.panes.size())
            return;
        QList<int> sizes;
        for (std::size_t i = 0; i < needed; ++i) {
            sizes << placement.panes[next + i].first << placement.panes[next + i].second;
        }
        next += needed;
        sizes.resize(splitter->count());
        const bool any = std::any_of(sizes.begin(), sizes.end(), [](int size) { return size > 0; });
        if (any)
            splitter->setSizes(sizes);
    }
}

WindowPlacement capture_window_placement(const QWidget& window, const std::vector<QSplitter*>& splitters)
{
    const bool maximised = window.isMaximized();
    // A maximised window keeps the rectangle it returns to; pos() is the frame's corner, which
    // move() takes back.
    const QRect normal = maximised ? window.normalGeometry() : QRect(window.pos(), window.size());
    WindowPlacement placement;
    placement.left = normal.x();
    placement.top = normal.y();
    placement.right = normal.x() + std::max(normal.width(), 1);
    placement.bottom = normal.y() + std::max(normal.height(), 1);
    placement.state = maximised              ? WindowState::MAXIMIZED
                      : window.isMinimized() ? WindowState::MINIMIZED
                                             : WindowState::NORMAL;
    for (const QSplitter* splitter : splitters) {
        QList<int> sizes = splitter->sizes();
        if (sizes.size() % 2 != 0)
            sizes << 0;
        for (qsizetype i = 0; i + 1 < sizes.size(); i += 2)
            placement.panes.push_back({sizes[i], sizes[i + 1]});
    }
    return placement;
}

} // namespace kestovan
