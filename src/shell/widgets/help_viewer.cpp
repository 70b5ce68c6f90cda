#include "shell/widgets/help_viewer.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/window_placement_widgets.h"

#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kestovan {

namespace {

QPointer<QDialog>& viewer()
{
    static QPointer<QDialog> dialog;
    return dialog;
}

std::optional<WindowPlacement>& last_placement()
{
    static std::optional<WindowPlacement> placement;
    return placement;
}

QUrl help_page()
{
    const auto page = program_data_folder() / "help.htm";
    return QUrl::fromLocalFile(QString::fromStdString(page.string()));
}

} // namespace

void show_help(QWidget* parent, const std::optional<WindowPlacement>& placement)
{
    QPointer<QDialog>& dialog = viewer();
    if (!dialog) {
        dialog = new QDialog(parent);
        dialog->setObjectName("help_viewer");
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QString::fromUtf8(load_string(IDS_TIP_HELP)));
        auto* layout = new QVBoxLayout(dialog);
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName("help_page");
        browser->setOpenExternalLinks(true);
        browser->setSource(help_page());
        layout->addWidget(browser);
        dialog->resize(640, 520);
        if (const std::optional<WindowPlacement> start = last_placement() ? last_placement() : placement)
            apply_window_placement(*dialog, *start);
        QObject::connect(dialog, &QDialog::finished, dialog,
                         [d = dialog.data()] { last_placement() = capture_window_placement(*d); });
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

bool help_is_open()
{
    QPointer<QDialog>& dialog = viewer();
    return dialog && dialog->isVisible();
}

std::optional<WindowPlacement> help_placement()
{
    if (help_is_open())
        return capture_window_placement(*viewer());
    return last_placement();
}

void reload_help()
{
    QPointer<QDialog>& dialog = viewer();
    if (!dialog)
        return;
    dialog->setWindowTitle(QString::fromUtf8(load_string(IDS_TIP_HELP)));
    if (auto* browser = dialog->findChild<QTextBrowser*>("help_page")) {
        browser->clearHistory();
        browser->setSource(help_page());
        browser->reload();
    }
}

} // namespace kestovan
