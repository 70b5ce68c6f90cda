#include "views/widgets/pane_icons.h"

#include "profiles/site_profile.h"
#include "shell/session.h"
#include "views/local_fs.h"

#include <QDir>
#include <QMimeDatabase>

namespace kestovan {
namespace {

constexpr char FOLDER_ICON[] = "folder";
constexpr char PROFILE_FOLDER_ICON[] = "folder-remote";
constexpr char URL_PROFILE_ICON[] = "applications-internet";
constexpr char LINK_ICON[] = "inode-symlink";
constexpr char PARENT_ICON[] = "go-up";
constexpr char GENERIC_FILE_ICON[] = "text-x-generic";

QString volume_icon_name(const std::string& mount_point)
{
    if (mount_point == "/")
        return QStringLiteral("drive-harddisk");
    if (mount_point == clean_folder_path(QDir::homePath().toStdString()))
        return QStringLiteral("user-home");
    // list_volumes shows removable media and network mounts besides those two.
    if (volume_worth_showing(mount_point, ""))
        return QStringLiteral("drive-removable-media");
    return QStringLiteral("folder-remote");
}

// "image-png" -> "image-x-generic": the family icon that themes carry when they lack the exact one.
QString generic_family(const QString& name)
{
    const qsizetype dash = name.indexOf(u'-');
    if (dash <= 0 || name.endsWith(QStringLiteral("-x-generic")))
        return {};
    return name.left(dash) + QStringLiteral("-x-generic");
}

} // namespace

SiteState site_state(const SiteProfile* profile)
{
    if (!profile)
        return SiteState::IDLE;
    if (profile->hammer_attempt != 0)
        return SiteState::HAMMERING;
    if (!profile->sessions)
        return SiteState::IDLE;
    switch (profile->sessions->state) {
    case SESSION_IDLE: return SiteState::IDLE;
    case SESSION_CONNECTING: return SiteState::CONNECTING;
    case SESSION_CONNECTED: return SiteState::CONNECTED;
    }
    return SiteState::IDLE;
}

QString site_icon_name(SiteState state)
{
    const QString base = QString::fromLatin1(SITE_ICON);
    switch (state) {
    case SiteState::IDLE: return base;
    case SiteState::CONNECTING: return base + QLatin1String(BADGE_CONNECTING);
    case SiteState::CONNECTED: return base + QLatin1String(BADGE_CONNECTED);
    case SiteState::HAMMERING: return base + QLatin1String(BADGE_HAMMERING);
    }
    return base;
}

QString PaneIcons::name_for(const DirEntry& entry)
{
    switch (entry.kind) {
    case KIND_FOLDER: return QString::fromLatin1(FOLDER_ICON);
    case KIND_SITE: return site_icon_name(site_state(entry.find_session()));
    case KIND_URL_PROFILE: return QString::fromLatin1(URL_PROFILE_ICON);
    case KIND_PROFILE_FOLDER: return QString::fromLatin1(PROFILE_FOLDER_ICON);
    case KIND_LINK: return QString::fromLatin1(LINK_ICON);
    case KIND_PARENT: return QString::fromLatin1(PARENT_ICON);
    default: return file_icon_name(entry.name); // files, web links, kinds no one makes
    }
}

QString PaneIcons::name_for(const LocalEntry& entry)
{
    switch (entry.kind) {
    case LOCAL_FOLDER: return QString::fromLatin1(FOLDER_ICON);
    case LOCAL_VOLUME: return volume_icon_name(entry.path);
    case LOCAL_PARENT:
    case LOCAL_VOLUME_LIST: return QString::fromLatin1(PARENT_ICON);
    default: return file_icon_name(entry.name);
    }
}

QString PaneIcons::file_icon_name(std::string_view file_name)
{
    const QString name = QString::fromUtf8(file_name.data(), static_cast<qsizetype>(file_name.size()));
    const qsizetype dot = name.lastIndexOf(u'.');
    // The database is asked once per extension; a name without one has no type to find.
    if (dot < 0 || dot == name.size() - 1)
        return QString::fromLatin1(GENERIC_FILE_ICON);
    const QString suffix = name.mid(dot).toLower();
    if (auto it = by_suffix_.constFind(suffix); it != by_suffix_.constEnd())
        return *it;
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QStringLiteral("x") + suffix, QMimeDatabase::MatchExtension);
    const QString icon = type.isDefault() || type.iconName().isEmpty()
                             ? QString::fromLatin1(GENERIC_FILE_ICON)
                             : type.iconName();
    by_suffix_.insert(suffix, icon);
    return icon;
}

QIcon PaneIcons::icon(const QString& name)
{
    if (auto it = icons_.constFind(name); it != icons_.constEnd())
        return *it;
    QIcon result;
    const qsizetype at = name.indexOf(u'@');
    if (at > 0) {
        result = badged_icon(icon(name.left(at)), badge_of(name.mid(at)));
    } else if (QIcon::hasThemeIcon(name)) {
        result = QIcon::fromTheme(name);
    } else if (const QString family = generic_family(name);
               !family.isEmpty() && QIcon::hasThemeIcon(family)) {
        result = QIcon::fromTheme(family);
    } else if (name != QLatin1String(GENERIC_FILE_ICON) && glyph_of(name) == Glyph::DOCUMENT &&
               QIcon::hasThemeIcon(QString::fromLatin1(GENERIC_FILE_ICON))) {
        result = QIcon::fromTheme(QString::fromLatin1(GENERIC_FILE_ICON));
    } else {
        result = drawn_icon(glyph_of(name));
    }
    icons_.insert(name, result);
    return result;
}

} // namespace kestovan
