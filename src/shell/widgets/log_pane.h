// A session-log pane (control 1987): coloured log entries appended at the end, the keys of a log
// pane, context menu 215 and the Find dialog. The main window's "Session Log" tab shows every entry of
// every profile; the terminal window's pane shows its own profile's entries that were not typed.
#pragma once

#include "shell/session_log.h"

#include <QPointer>
#include <QTextEdit>

#include <memory>
#include <optional>
#include <vector>

class QMenu;

namespace kestovan {

class FindDialog;
class Prompts;

// 0x00BBGGRR -> QColor.
[[nodiscard]] QColor log_colour(std::uint32_t colour);

class LogPane : public QTextEdit, public LogObserver {
    Q_OBJECT
public:
    enum class Mode {
        Main,     // every entry of every profile
        Terminal, // the entries of one profile that were not typed; pale yellow background
    };

    // Message boxes (Find without a further match) go through prompts.
    LogPane(Mode mode, Prompts& prompts, QWidget* parent = nullptr);
    ~LogPane() override;

    // Receives the entries of log from now on (until detach or destruction); the log must outlive
    // the pane or be detached from it first.
    void attach(SessionLog& log);
    void detach();

    // The profile whose entries a terminal pane shows (a main pane ignores it).
    void set_profile(const SiteProfile* profile) { profile_ = profile; }
    [[nodiscard]] const SiteProfile* profile() const { return profile_; }

    // Empties the pane and fills it with the profile's stored entries (none: stays empty).
    void show_log(const SiteProfile* profile);
    // Moves the caret to the end and pastes there.
    void paste_at_end();
    // Opens the Find dialog (Ctrl+F, context menu).
    void open_find();
    // One "Find Next": selects the next match after the previous one. Without a further match the
    // box "Cannot find the string" is shown, and the next search starts at the top. True when found.
    bool find_next(const QString& text, bool match_case);

    void log_appended(const SiteProfile* profile, const std::vector<LogSegment>& entry, bool typed) override;
    void log_cleared(const SiteProfile* profile) override;

    // Context menu 215 as it would open now (Cut, Copy, Paste, Delete, Clear, Find, Select All).
    [[nodiscard]] std::unique_ptr<QMenu> build_context_menu();

signals:
    // Enter or Ctrl+J on a line that is not empty: its text without trailing blanks and line ends.
    void typedLine(const QString& line);
    // Clear in the context menu: the owner clears the stored log of the node's profile.
    void clearRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void append_segments(const std::vector<LogSegment>& entry);
    void insert_segments(QTextCursor& cursor, const std::vector<LogSegment>& entry);
    void to_end_with_input_colour();
    void take_caret_line();
    void set_find_highlight(bool keep_visible);

    Mode mode_;
    Prompts& prompts_;
    SessionLog* log_ = nullptr;
    const SiteProfile* profile_ = nullptr;
    QPointer<FindDialog> find_dialog_;
    std::optional<QPalette> palette_before_find_;
    int find_from_ = 0; // where the next search starts: after the previous match
};

} // namespace kestovan
