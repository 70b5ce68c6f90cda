// Icons of the panes: names by kind, by a site's state and by extension, and drawn stand-ins that
// show something when the theme has nothing.
#include "profiles/site_profile.h"
#include "shell/session.h"
#include "views/local_fs.h"
#include "views/widgets/pane_icons.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(PaneIcons, ASitesIconShowsItsState)
{
    struct Case {
        const char* what;
        std::optional<SessionState> session;
        std::int8_t hammer_attempt;
        const char* name;
    };
    const Case cases[] = {
        {"no session", std::nullopt, 0, "network-server"},
        {"idle session", SESSION_IDLE, 0, "network-server"},
        {"connecting", SESSION_CONNECTING, 0, "network-server@connecting"},
        {"connected", SESSION_CONNECTED, 0, "network-server@connected"},
        {"hammering between attempts", std::nullopt, 2, "network-server@hammering"},
        {"hammering while an attempt connects", SESSION_CONNECTING, 1, "network-server@hammering"},
    };
    PaneIcons icons;
    for (const Case& c : cases) {
        SiteProfile profile;
        Session session;
        if (c.session) {
            session.state = *c.session;
            profile.sessions = &session;
        }
        profile.hammer_attempt = c.hammer_attempt;
        DirEntry site;
        site.kind = KIND_SITE;
        site.session = &profile;
        EXPECT_EQ(icons.name_for(site).toStdString(), c.name) << c.what;
        site.add_child(std::make_unique<DirEntry>()).kind = KIND_FOLDER;
        EXPECT_EQ(icons.name_for(*site.children.back()).toStdString(), "folder")
            << "only the site carries the state";
    }

    // The four states look different.
    std::vector<QImage> images;
    for (SiteState state :
         {SiteState::IDLE, SiteState::CONNECTING, SiteState::CONNECTED, SiteState::HAMMERING})
        images.push_back(icons.icon(site_icon_name(state)).pixmap(32, 32).toImage());
    for (std::size_t a = 0; a < images.size(); ++a) {
        for (std::size_t b = a + 1; b < images.size(); ++b)
            EXPECT_NE(images[a], images[b]) << a << " and " << b;
    }
}

TEST(PaneIcons, RemoteRowsByKindOrExtension)
{
    struct Case {
        std::uint8_t kind;
        const char* name;
        const char* icon;
    };
    const Case cases[] = {
        {KIND_FOLDER, "pub", "folder"},
        {KIND_PROFILE_FOLDER, "Work", "folder-remote"},
        {KIND_URL_PROFILE, "News", "applications-internet"},
        {KIND_LINK, "www", "inode-symlink"},
        {KIND_PARENT, "..", "go-up"},
        {KIND_FILE, "notes.txt", "text-plain"},
        {KIND_FILE, "PHOTO.PNG", "image-png"},
        {KIND_FILE, "README", "text-x-generic"},
        {KIND_FILE, "trailing.", "text-x-generic"},
        {KIND_FILE, "data.no-such-extension", "text-x-generic"},
        {KIND_WEB_LINK, "index.html", "text-html"},
    };
    PaneIcons icons;
    for (const Case& c : cases) {
        DirEntry entry;
        entry.kind = c.kind;
        entry.name = c.name;
        const QString name = icons.name_for(entry);
        EXPECT_EQ(name.toStdString(), c.icon) << c.name;
        EXPECT_FALSE(icons.icon(name).isNull()) << c.name;
    }
}

TEST(PaneIcons, LocalRowsByKindVolumeOrExtension)
{
    struct Case {
        std::uint8_t kind;
        std::string path;
        const char* icon;
    };
    const Case cases[] = {
        {LOCAL_FOLDER, "/srv/docs", "folder"},
        {LOCAL_PARENT, "/srv", "go-up"},
        {LOCAL_VOLUME_LIST, "", "go-up"},
        {LOCAL_VOLUME, "/", "drive-harddisk"},
        {LOCAL_VOLUME, clean_folder_path(QDir::homePath().toStdString()), "user-home"},
        {LOCAL_VOLUME, "/media/anna/STICK", "drive-removable-media"},
        {LOCAL_VOLUME, "/net/share", "folder-remote"},
        {LOCAL_FILE, "/srv/a.txt", "text-plain"},
    };
    PaneIcons icons;
    for (const Case& c : cases) {
        LocalEntry entry;
        entry.kind = c.kind;
        entry.path = c.path;
        entry.name = c.path.substr(c.path.rfind('/') + 1);
        EXPECT_EQ(icons.name_for(entry).toStdString(), c.icon) << c.path;
    }
}

// Without a theme every icon is drawn, and drawn icons are not blank at any size.
TEST(PaneIcons, DrawnStandInsWhenTheThemeHasNone)
{
    const QString theme = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("kestovan-no-such-theme"));
    PaneIcons icons;
    for (const char* name :
         {"folder", "folder-remote", "network-server", "network-server@connected", "applications-internet",
          "inode-symlink", "go-up", "drive-harddisk", "user-home", "image-png", "text-x-generic"}) {
        for (int size : {16, 48}) {
            const QImage image = icons.icon(QString::fromLatin1(name)).pixmap(size, size).toImage();
            int painted = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    painted += qAlpha(image.pixel(x, y)) > 0;
            }
            EXPECT_GT(painted, size * size / 8) << name << " at " << size;
            EXPECT_LT(painted, size * size) << name << " has a transparent background";
        }
    }
    QIcon::setThemeName(theme);
}

} // namespace
} // namespace kestovan
