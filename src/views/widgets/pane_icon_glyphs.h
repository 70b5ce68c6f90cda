// The drawn stand-ins for theme icons the desktop lacks, and the state badge of site icons. They are
// painted at whatever size is asked, so they stay sharp at any scale.
#pragma once

#include <QIcon>
#include <QString>

namespace kestovan {

enum class Glyph {
    DOCUMENT,
    FOLDER,
    REMOTE_FOLDER,
    SERVER,
    WEB,
    LINK,
    UP,
    DRIVE,
    HOME,
};

enum class Badge {
    NONE,
    CONNECTING,
    CONNECTED,
    HAMMERING,
};

// An icon name ending in one of these suffixes is the icon before it with a coloured state badge.
inline constexpr char BADGE_CONNECTING[] = "@connecting";
inline constexpr char BADGE_CONNECTED[] = "@connected";
inline constexpr char BADGE_HAMMERING[] = "@hammering";

// The stand-in drawn for a freedesktop icon name; DOCUMENT for names of file types.
[[nodiscard]] Glyph glyph_of(const QString& icon_name);
// The badge for a suffix such as "@connected".
[[nodiscard]] Badge badge_of(const QString& suffix);

[[nodiscard]] QIcon drawn_icon(Glyph glyph);
// base with a coloured dot in its lower right corner (no dot for Badge::NONE).
[[nodiscard]] QIcon badged_icon(const QIcon& base, Badge badge);

} // namespace kestovan
