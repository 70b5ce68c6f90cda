// Icons of the file panes. Each row gets a freedesktop icon name — by its kind, by a site's
// connection state, or by a file's extension — which is looked up in the desktop's icon theme, so the
// panes look native in light and dark themes and stay sharp on HiDPI screens. Where the theme has no
// such icon, a drawn stand-in of the same kind is used, so the panes never show blank icons.
#pragma once

#include "views/dir_entry.h"
#include "views/local_entry.h"
#include "views/widgets/pane_icon_glyphs.h"

#include <QHash>
#include <QIcon>
#include <QString>

#include <string_view>

namespace kestovan {

enum class SiteState {
    IDLE,
    CONNECTING,
    CONNECTED,
    HAMMERING,
};

// Hammering wins over the state of the first session, as the repeated attempts are what the user
// asked for and what Stop acts on.
[[nodiscard]] SiteState site_state(const SiteProfile* profile);

// The name of a site's icon: the server icon, with a badge suffix for the three active states.
inline constexpr char SITE_ICON[] = "network-server";
[[nodiscard]] QString site_icon_name(SiteState state);

class PaneIcons {
public:
    // The icon names of the rows.
    [[nodiscard]] QString name_for(const DirEntry& entry);
    [[nodiscard]] QString name_for(const LocalEntry& entry);
    // The icon of a file by its extension (the shared MIME database's icon name); "text-x-generic"
    // for names it does not know.
    [[nodiscard]] QString file_icon_name(std::string_view file_name);

    // The icon for a name from name_for: the theme's, else its generic family's, else a drawn one.
    [[nodiscard]] QIcon icon(const QString& name);

private:
    QHash<QString, QString> by_suffix_;
    QHash<QString, QIcon> icons_;
};

} // namespace kestovan
