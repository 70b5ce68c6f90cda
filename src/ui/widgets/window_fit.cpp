#include "ui/widgets/window_fit.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kestovan {

void keep_on_screen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    // The frame (title bar, borders) around the client area stays what it is.
    const int extra_width = frame.width() - window.width();
    const int extra_height = frame.height() - window.height();
    const int width = std::min(frame.width(), area.width());
    const int height = std::min(frame.height(), area.height());
    if (width != frame.width() || height != frame.height())
        window.resize(std::max(width - extra_width, window.minimumWidth()),
                      std::max(height - extra_height, window.minimumHeight()));
    const int left = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - width + 1));
    const int top = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - height + 1));
    if (left != frame.left() || top != frame.top())
        window.move(left, top);
}

} // namespace kestovan
