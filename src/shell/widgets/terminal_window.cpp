#include "shell/widgets/terminal_window.h"

#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace kestovan {

namespace {

constexpr int MENU_TERMINAL = 216;
constexpr int COMMAND_SAVE_LOG = 435;
constexpr int COMMAND_QUIT = 431;
constexpr int COMMAND_COPY = 432;
constexpr int COMMAND_PASTE = 433;
constexpr int COMMAND_CLEAR = 428;
constexpr int COMMAND_SELECT_ALL = 430;

QAction* add_item(QMenu& menu, int command, int string_id)
{
    auto* action = menu.addAction(QString());
    action->setObjectName(QString::number(command));
    bind_string_id(*action, string_id);
    return action;
}

QMenu* add_menu(QMenuBar& bar, int string_id)
{
    auto* menu = bar.addMenu(QString());
    bind_string_id(*menu->menuAction(), string_id);
    return menu;
}

} // namespace

TerminalWindow::TerminalWindow(SessionLog& log, Prompts& prompts, QWidget* parent)
    : QDialog(parent), log_(log), pane_(new LogPane(LogPane::Mode::Terminal, prompts)),
      menu_bar_(new QMenuBar)
{
    setObjectName(QString::number(FORM_TERMINAL));
    set_form_number(*this, FORM_TERMINAL);
    setWindowTitle(load_qstring(IDS_DLG_SESSION));
    setSizeGripEnabled(true);
    setModal(false);

    build_menu();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menu_bar_);
    layout->addWidget(pane_);

    connect(pane_, &LogPane::typedLine, this, &TerminalWindow::typedLine);
    connect(pane_, &LogPane::clearRequested, this, &TerminalWindow::clearRequested);
    const int unit = fontMetrics().averageCharWidth();
    resize(unit * 90, fontMetrics().height() * 25);
}

void TerminalWindow::build_menu()
{
    menu_bar_->setObjectName(QString::number(MENU_TERMINAL));
    QMenu* file = add_menu(*menu_bar_, IDS_MENU_FILE);
    connect(add_item(*file, COMMAND_SAVE_LOG, IDS_MENU_SAVE_LOG), &QAction::triggered, this,
            &TerminalWindow::saveLogRequested);
    file->addSeparator();
    connect(add_item(*file, COMMAND_QUIT, IDS_MENU_QUIT), &QAction::triggered, this, &QDialog::reject);

    QMenu* edit = add_menu(*menu_bar_, IDS_MENU_EDIT);
    connect(add_item(*edit, COMMAND_COPY, IDS_MENU_COPY), &QAction::triggered, pane_, &QTextEdit::copy);
    connect(add_item(*edit, COMMAND_PASTE, IDS_MENU_PASTE), &QAction::triggered, pane_,
            &LogPane::paste_at_end);
    connect(add_item(*edit, COMMAND_CLEAR, IDS_MENU_LOG_CLEAR), &QAction::triggered, this,
            &TerminalWindow::clearRequested);
    edit->addSeparator();
    connect(add_item(*edit, COMMAND_SELECT_ALL, IDS_MENU_SELECT_ALL), &QAction::triggered, pane_,
            &QTextEdit::selectAll);

    // "&Help" is an item of the menu bar itself.
    auto* help = menu_bar_->addAction(QString());
    bind_string_id(*help, IDS_MENU_HELP);
    connect(help, &QAction::triggered, this, &TerminalWindow::helpRequested);
}

void TerminalWindow::open(const SiteProfile* profile)
{
    if (isVisible())
        done(QDialog::Rejected);
    pane_->set_profile(profile);
    pane_->show_log(profile);
    pane_->attach(log_);
    refresh_title();
    show();
    raise();
    activateWindow();
    pane_->setFocus();
}

void TerminalWindow::set_title_source(std::function<std::string()> title)
{
    title_ = std::move(title);
    refresh_title();
}

void TerminalWindow::refresh_title()
{
    setWindowTitle(title_ ? QString::fromUtf8(title_()) : load_qstring(IDS_DLG_SESSION));
}

void TerminalWindow::done(int result)
{
    // A closed terminal shows nothing and follows no log.
    pane_->detach();
    pane_->set_profile(nullptr);
    pane_->clear();
    QDialog::done(result);
}

} // namespace kestovan
