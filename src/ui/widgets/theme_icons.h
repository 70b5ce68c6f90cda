// Icons from the desktop's icon theme with the style's icon as fallback, each made once. Models ask
// for a row's icon at every repaint (many times a second while a transfer runs), and making a theme
// or style icon decodes its image files again each time.
#pragma once

#include <QHash>
#include <QIcon>
#include <QStyle>

namespace kestovan {

class ThemeIcons {
public:
    // The theme's icon of this name, else the style's fallback.
    const QIcon& icon(const QString& name, QStyle::StandardPixmap fallback);
    // The theme's icon of this name, else its generic family's, else the style's fallback.
    const QIcon& icon(const QString& name, const QString& generic, QStyle::StandardPixmap fallback);

private:
    QHash<QString, QIcon> icons_;
};

} // namespace kestovan
