#include "ui/widgets/theme_icons.h"

#include <QApplication>

namespace kestovan {

const QIcon& ThemeIcons::icon(const QString& name, QStyle::StandardPixmap fallback)
{
    auto it = icons_.find(name);
    if (it == icons_.end())
        it = icons_.insert(name, QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback)));
    return *it;
}

const QIcon& ThemeIcons::icon(const QString& name, const QString& generic, QStyle::StandardPixmap fallback)
{
    const QString key = name + QLatin1Char('\n') + generic;
    auto it = icons_.find(key);
    if (it == icons_.end())
        it = icons_.insert(key, QIcon::fromTheme(name, icon(generic, fallback)));
    return *it;
}

} // namespace kestovan
