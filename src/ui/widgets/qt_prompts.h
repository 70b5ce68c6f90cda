// The prompts interface answered with Qt dialogs: message boxes, questions, the password and
// "File Exists" dialogs, one-line texts and file choosers. Each runs modally over the parent widget
// (a nested event loop: socket and timer messages keep arriving meanwhile).
#pragma once

#include "ui/prompts.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace kestovan {

// A filter text of the program ("Text (*.txt)$*.txt$All files (*.*)$*.*$$", or a bare "*.txt") as
// Qt name filters. "*.*" becomes "*": on this system a file name need not have a dot.
[[nodiscard]] QStringList qt_name_filters(const std::string& filter);

class QtPrompts : public Prompts {
public:
    // Dialogs open over parent (which may go away; they then have none).
    explicit QtPrompts(QWidget* parent);

    void message(const std::string& caption, const std::string& text, PromptIcon icon) override;
    PromptAnswer question(const std::string& caption, const std::string& text, PromptButtons buttons,
                          PromptIcon icon = PromptIcon::Question) override;
    std::optional<std::string> password(const std::string& prompt) override;
    FileExistsAnswer file_exists(const std::string& text, bool offer_restart) override;
    // A plain one-line text dialog; subclasses give particular captions dialogs of their own.
    std::optional<std::string> text(const std::string& caption, const std::string& prompt,
                                    const std::string& initial) override;
    std::optional<std::string> save_file(const std::string& title, const std::string& folder,
                                         const std::string& proposed_name,
                                         const std::string& filter) override;
    std::optional<std::string> open_file(const std::string& title, const std::string& filter) override;
    CertificateAnswer certificate(const CertificatePrompt& prompt) override;
    std::optional<std::string> open_file_from(const std::string& title, const std::string& folder,
                                              const std::string& filter) override;

    // Dialogs opened from now on open over parent.
    void set_parent(QWidget* parent) { parent_ = parent; }

protected:
    [[nodiscard]] QWidget* parent_widget() const { return parent_; }

private:
    QPointer<QWidget> parent_;
};

} // namespace kestovan
