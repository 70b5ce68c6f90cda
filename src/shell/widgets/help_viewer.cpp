#include "shell/widgets/help_viewer.h"

#include "ui/language.h"
#include "ui/string_ids.h"

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
} // namespace

void show_help(QWidget* parent)
{
    QPointer<QDialog>& dialog = viewer();
    if (!dialog) {
        dialog = new QDialog(parent);
        dialog->setObjectName("help_viewer");
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QString::fromUtf8(load_string(IDS_TIP_HELP)));
        auto* layout = new QVBoxLayout(dialog);
        auto* browser = new QTextBrowser(dialog);
        browser->setOpenExternalLinks(true);
        const auto page = program_data_folder() / "help.htm";
        browser->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
        layout->addWidget(browser);
        dialog->resize(640, 520);
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

} // namespace kestovan
