#include "ui/widgets/program_icon.h"

#include "ui/language.h"

#include <QDir>

namespace kestovan {

QIcon program_icon()
{
    QIcon icon;
    // The build tree keeps the theme's folders in its data folder, an install beside it.
    const std::filesystem::path data = program_data_folder();
    for (const std::filesystem::path& theme :
         {data / "icons" / "hicolor", data.parent_path() / "icons" / "hicolor"}) {
        const QDir folder(QString::fromStdString(theme.string()));
        for (const QString& size : folder.entryList({"*x*"}, QDir::Dirs)) {
            const QString file = folder.filePath(size + "/apps/" + PROGRAM_ICON_NAME + ".png");
            if (QFile::exists(file))
                icon.addFile(file);
        }
        if (!icon.isNull())
            break;
    }
    return QIcon::fromTheme(PROGRAM_ICON_NAME, icon);
}

} // namespace kestovan
