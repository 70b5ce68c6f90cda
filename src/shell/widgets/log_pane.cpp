#include "shell/widgets/log_pane.h"

#include "shell/widgets/find_dialog.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QTextBlock>

#include <algorithm>
#include <memory>

namespace kestovan {

namespace {

constexpr int CONTROL_LOG = 1987;
constexpr int MENU_LOG = 215;
constexpr int COMMAND_CLEAR = 451;
// 0xE6FFFF: red 255, green 255, blue 230.
constexpr std::uint32_t TERMINAL_BACKGROUND = 0xE6FFFF;

// The rich edit took CR LF and lone CR as line breaks; a QTextEdit takes "\n".
QString display_text(const std::string& text)
{
    QString shown = QString::fromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QTextCharFormat colour_format(std::uint32_t colour)
{
    QTextCharFormat format;
    format.setForeground(log_colour(colour));
    return format;
}

bool is_navigation_key(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Shift: return true;
    default: return false;
    }
}

QAction* add_item(QMenu& menu, int string_id, bool enabled)
{
    auto* action = menu.addAction(QString());
    bind_string_id(*action, string_id);
    action->setEnabled(enabled);
    return action;
}

} // namespace

QColor log_colour(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

LogPane::LogPane(Mode mode, Prompts& prompts, QWidget* parent)
    : QTextEdit(parent), mode_(mode), prompts_(prompts)
{
    setObjectName(QString::number(CONTROL_LOG));
    // Log text is data: a language switch leaves it alone.
    setProperty(NO_TRANSLATION_PROPERTY, true);
    // Pasted text is plain, and a log that grows all day keeps no undo history.
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    if (mode_ == Mode::Terminal) {
        QPalette background = palette();
        background.setColor(QPalette::Base, log_colour(TERMINAL_BACKGROUND));
        background.setColor(QPalette::Text, log_colour(LOG_INPUT));
        setPalette(background);
    }
    setTextColor(log_colour(LOG_INPUT));
}

LogPane::~LogPane()
{
    detach();
}

void LogPane::attach(SessionLog& log)
{
    detach();
    log_ = &log;
    log_->add_observer(this);
}

void LogPane::detach()
{
    if (log_)
        log_->remove_observer(this);
    log_ = nullptr;
}

void LogPane::log_appended(const SiteProfile* profile, const std::vector<LogSegment>& entry, bool typed)
{
    // The terminal already shows what was typed into it.
    if (mode_ == Mode::Terminal && (typed || profile != profile_))
        return;
    append_segments(entry);
}

void LogPane::log_cleared(const SiteProfile* profile)
{
    if (mode_ == Mode::Terminal && profile && profile != profile_)
        return;
    clear();
    find_from_ = 0;
    setTextColor(log_colour(LOG_INPUT));
}

void LogPane::append_segments(const std::vector<LogSegment>& entry)
{
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    for (const LogSegment& segment : entry) {
        cursor.insertText(display_text(segment.text), colour_format(segment.colour));
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    cursor.insertText(QStringLiteral("\n"));
    setTextCursor(cursor);
    ensureCursorVisible();
    setTextColor(log_colour(LOG_INPUT));
}

void LogPane::insert_segments(QTextCursor& cursor, const std::vector<LogSegment>& entry)
{
    for (const LogSegment& segment : entry)
        cursor.insertText(display_text(segment.text), colour_format(segment.colour));
    cursor.insertText(QStringLiteral("\n"));
}

void LogPane::show_log(const SiteProfile* profile)
{
    clear();
    find_from_ = 0;
    if (profile) {
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        for (const auto& entry : SessionLog::entries(*profile))
            insert_segments(cursor, entry);
        cursor.endEditBlock();
    }
    to_end_with_input_colour();
    ensureCursorVisible();
}

void LogPane::to_end_with_input_colour()
{
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    setTextColor(log_colour(LOG_INPUT));
}

void LogPane::paste_at_end()
{
    to_end_with_input_colour();
    paste();
}

void LogPane::take_caret_line()
{
    const QTextBlock block = textCursor().block();
    QString line = block.text();
    while (!line.isEmpty() && (line.back() == QLatin1Char(' ') || line.back() == QLatin1Char('\r') ||
                               line.back() == QLatin1Char('\n')))
        line.chop(1);
    if (line.isEmpty())
        return;
    if (block == document()->lastBlock()) {
        QTextCursor cursor(block);
        if (mode_ == Mode::Main) {
            // The main pane shows the typed line as a log entry; the raw input gives way to it.
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else {
            // The terminal keeps what was typed; the replies start on the next line.
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(QStringLiteral("\n"));
        }
    }
    to_end_with_input_colour();
    emit typedLine(line);
}

void LogPane::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (key == Qt::Key_Return || key == Qt::Key_Enter || (ctrl && key == Qt::Key_J)) {
        take_caret_line();
        return;
    }
    if (ctrl && key == Qt::Key_A) {
        selectAll();
        return;
    }
    if (ctrl && key == Qt::Key_C) {
        copy();
        return;
    }
    if (ctrl && key == Qt::Key_F) {
        open_find();
        return;
    }
    if (ctrl && key == Qt::Key_V) {
        paste_at_end();
        return;
    }
    if (key == Qt::Key_F10 && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // The desktop's keyboard route to a context menu, at the caret.
        const std::unique_ptr<QMenu> menu = build_context_menu();
        menu->exec(viewport()->mapToGlobal(cursorRect().bottomLeft()));
        return;
    }
    if (is_navigation_key(key)) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Backspace) {
        // Typing always happens at the end; a Backspace there must not join the input line to the
        // log line above it.
        to_end_with_input_colour();
        if (!document()->lastBlock().text().isEmpty())
            QTextEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (!ctrl && !text.isEmpty() && text.front().isPrint())
        to_end_with_input_colour();
    QTextEdit::keyPressEvent(event);
}

std::unique_ptr<QMenu> LogPane::build_context_menu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QString::number(MENU_LOG));
    const bool selected = textCursor().hasSelection();
    connect(add_item(*menu, IDS_MENU_LOG_CUT, selected), &QAction::triggered, this, &QTextEdit::cut);
    connect(add_item(*menu, IDS_MENU_LOG_COPY, selected), &QAction::triggered, this, &QTextEdit::copy);
    connect(add_item(*menu, IDS_MENU_LOG_PASTE, canPaste()), &QAction::triggered, this,
            &LogPane::paste_at_end);
    connect(add_item(*menu, IDS_MENU_LOG_DELETE, selected), &QAction::triggered, this,
            [this] { textCursor().removeSelectedText(); });
    menu->addSeparator();
    QAction* clear_item = add_item(*menu, IDS_MENU_LOG_CLEAR, true);
    clear_item->setObjectName(QString::number(COMMAND_CLEAR));
    connect(clear_item, &QAction::triggered, this, &LogPane::clearRequested);
    connect(add_item(*menu, IDS_MENU_LOG_FIND, true), &QAction::triggered, this, &LogPane::open_find);
    menu->addSeparator();
    connect(add_item(*menu, IDS_MENU_LOG_SELECT_ALL, !document()->isEmpty()), &QAction::triggered, this,
            &QTextEdit::selectAll);
    return menu;
}

void LogPane::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu = build_context_menu();
    menu->exec(event->globalPos());
}

void LogPane::open_find()
{
    if (!find_dialog_) {
        find_dialog_ = new FindDialog(this);
        connect(find_dialog_, &FindDialog::findNext, this, &LogPane::find_next);
        connect(find_dialog_, &QDialog::finished, this, [this] { set_find_highlight(false); });
    }
    set_find_highlight(true);
    find_dialog_->show();
    find_dialog_->raise();
    find_dialog_->activateWindow();
}

void LogPane::set_find_highlight(bool keep_visible)
{
    // While Find has the focus the pane is inactive; its selection keeps the active colours so that
    // the match stays visible.
    if (!keep_visible) {
        if (palette_before_find_)
            setPalette(*palette_before_find_);
        palette_before_find_.reset();
        return;
    }
    if (palette_before_find_)
        return;
    palette_before_find_ = palette();
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
}

bool LogPane::find_next(const QString& text, bool match_case)
{
    if (text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (match_case)
        flags |= QTextDocument::FindCaseSensitively;
    const int from = std::clamp(find_from_, 0, std::max(0, document()->characterCount() - 1));
    const QTextCursor found = document()->find(text, from, flags);
    if (found.isNull()) {
        find_from_ = 0;
        prompts_.message(load_string(IDS_APP_TITLE),
                         format_string<IDS_ERR_STRING_NOT_FOUND>(text.toStdString()), PromptIcon::Warning);
        return false;
    }
    setTextCursor(found);
    ensureCursorVisible();
    find_from_ = found.selectionEnd();
    return true;
}

} // namespace kestovan
