// The small dialogs behind the prompts interface: a one-line text (or password) with its prompt, and
// the "File Exists" question with Yes, No, Yes to All, (Restart,) Cancel.
#pragma once

#include "ui/prompts.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;

namespace kestovan {

inline constexpr int FORM_PASSWORD = 4298;
inline constexpr int FORM_FILE_EXISTS = 4307;
inline constexpr int FORM_FILE_EXISTS_RESTART = 4308;

// How a text dialog looks: its form number (0: none), the numbers of its field and prompt (empty:
// none) and whether the field hides what is typed.
struct TextPromptLayout {
    int form = 0;
    QString field_name;
    QString prompt_name;
    bool password = false;
};

class TextPromptDialog : public QDialog {
    Q_OBJECT
public:
    TextPromptDialog(const TextPromptLayout& layout, const QString& caption, const QString& prompt,
                     const QString& initial, QWidget* parent = nullptr);

    [[nodiscard]] QString text() const;
    [[nodiscard]] QLineEdit& field() { return *field_; }

    // Runs the dialog: the typed text, or nothing when cancelled.
    static std::optional<std::string> ask(QWidget* parent, const TextPromptLayout& layout,
                                          const std::string& caption, const std::string& prompt,
                                          const std::string& initial);

private:
    QLineEdit* field_;
};

// Dialog 4298: "<site> requires a Password:" and field 1485.
[[nodiscard]] TextPromptLayout password_layout();

class FileExistsDialog : public QDialog {
    Q_OBJECT
public:
    // Dialog 4307, or 4308 with Restart.
    FileExistsDialog(const QString& text, bool offer_restart, QWidget* parent = nullptr);

    // The button pressed; Cancel when the dialog was closed otherwise (Escape, the window's close).
    [[nodiscard]] FileExistsAnswer answer() const { return answer_; }

    static FileExistsAnswer ask(QWidget* parent, const std::string& text, bool offer_restart);

private:
    FileExistsAnswer answer_ = EXISTS_CANCEL;
};

} // namespace kestovan
