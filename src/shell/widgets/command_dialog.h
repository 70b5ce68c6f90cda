// The shell's one-line dialogs: "Command" (4293) with its combo box of FTP command words, "Move File"
// (4300) and "Create Directory" (4294), and the prompts that open them by their captions.
#pragma once

#include "ui/widgets/qt_prompts.h"

#include <QDialog>

class QComboBox;

namespace kestovan {

inline constexpr int FORM_COMMAND = 4293;
inline constexpr int FORM_CREATE_DIRECTORY = 4294;
inline constexpr int FORM_MOVE_FILE = 4300;

class CommandDialog : public QDialog {
    Q_OBJECT
public:
    // initial: the last command entered in the dialog.
    CommandDialog(const QString& caption, const QString& prompt, const QString& initial,
                  QWidget* parent = nullptr);

    [[nodiscard]] QString text() const;
    [[nodiscard]] QComboBox& combo() { return *combo_; }

private:
    QComboBox* combo_;
};

// QtPrompts whose text() opens the Command, Move File and Create Directory dialogs for their
// captions, and the plain text dialog for any other; with the panes' CHMOD and Append File dialogs.
class ShellPrompts : public QtPrompts {
public:
    using QtPrompts::QtPrompts;

    std::optional<std::string> text(const std::string& caption, const std::string& prompt,
                                    const std::string& initial) override;
    // The "CHMOD" and "Append File" dialogs of the file panes.
    std::optional<int> chmod(const std::string& name, const std::optional<std::string>& permissions) override;
    std::optional<std::string> append_file(const std::string& prompt, const std::vector<std::string>& names,
                                           const std::string& initial) override;
};

} // namespace kestovan
