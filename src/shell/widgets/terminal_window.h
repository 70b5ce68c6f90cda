// The terminal window (dialog 139 "Session"): the log of one profile in a pale yellow log pane where
// FTP commands are typed, with menu 216. Modeless; one instance that the owner opens again for
// another profile (which closes the old view first).
#pragma once

#include "shell/widgets/log_pane.h"

#include <QDialog>

#include <functional>
#include <string>

class QMenuBar;

namespace kestovan {

inline constexpr int FORM_TERMINAL = 139;

class TerminalWindow : public QDialog {
    Q_OBJECT
public:
    // The pane follows log while the window is open (log and prompts must outlive the window);
    // message boxes of Find go through prompts.
    TerminalWindow(SessionLog& log, Prompts& prompts, QWidget* parent = nullptr);

    // Shows the window for the profile (null: an empty log): closes an open one first, fills the
    // pane with the profile's log, puts the caret at the end and sets the title.
    void open(const SiteProfile* profile);
    [[nodiscard]] bool is_open() const { return isVisible(); }
    [[nodiscard]] const SiteProfile* profile() const { return pane_->profile(); }

    // The title text ("Session - %s %s"); refresh_title() asks it again (connection state changed).
    void set_title_source(std::function<std::string()> title);
    void refresh_title();

    [[nodiscard]] LogPane& pane() { return *pane_; }
    [[nodiscard]] QMenuBar& menu_bar() { return *menu_bar_; }

    void done(int result) override;

signals:
    void saveLogRequested(); // "&Save Log" (435)
    void clearRequested();   // "Clear" (428) and the pane's Clear: clear the selected node's log
    void helpRequested();    // "&Help"
    void typedLine(const QString& line);

private:
    void build_menu();

    SessionLog& log_;
    LogPane* pane_;
    QMenuBar* menu_bar_;
    std::function<std::string()> title_;
};

} // namespace kestovan
