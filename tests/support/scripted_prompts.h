// Prompts answered from a script, recording every question asked: the stand-in for the dialogs in
// logic tests.
#pragma once

#include "ui/prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace kestovan::test {

class ScriptedPrompts : public Prompts {
public:
    struct Asked {
        std::string kind; // "message", "question", "password", "file_exists", "text", "save_file",
                          // "open_file", "chmod", "append_file", "certificate" (text: the
                          // fingerprint)
        std::string caption;
        std::string text;
        bool offer_restart = false;
    };

    std::deque<PromptAnswer> answers;                  // for question(); Cancel when empty
    std::deque<FileExistsAnswer> exists_answers;       // for file_exists(); Cancel when empty
    std::deque<std::optional<std::string>> texts;      // for password(), text(), save_file(), open_file(),
                                                       // append_file()
    std::deque<std::optional<int>> modes;              // for chmod(); Cancel when empty
    std::deque<CertificateAnswer> certificate_answers; // for certificate(); Cancel when empty
    std::vector<Asked> asked;
    std::vector<CertificatePrompt> certificates; // every certificate shown

    void message(const std::string& caption, const std::string& text, PromptIcon icon) override;
    PromptAnswer question(const std::string& caption, const std::string& text, PromptButtons buttons,
                          PromptIcon icon) override;
    std::optional<std::string> password(const std::string& prompt) override;
    FileExistsAnswer file_exists(const std::string& text, bool offer_restart) override;
    std::optional<std::string> text(const std::string& caption, const std::string& prompt,
                                    const std::string& initial) override;
    std::optional<std::string> save_file(const std::string& title, const std::string& folder,
                                         const std::string& proposed_name,
                                         const std::string& filter) override;
    std::optional<std::string> open_file(const std::string& title, const std::string& filter) override;
    CertificateAnswer certificate(const CertificatePrompt& prompt) override;
    // chmod(): caption = the entry's name, text = its permissions text.
    std::optional<int> chmod(const std::string& name, const std::optional<std::string>& permissions) override;
    // append_file(): caption = the initial name, text = the prompt; the names offered in offered.
    std::optional<std::string> append_file(const std::string& prompt, const std::vector<std::string>& names,
                                           const std::string& initial) override;
    std::vector<std::string> offered;

    [[nodiscard]] int count(const std::string& kind) const;

private:
    std::optional<std::string> next_text();
};

} // namespace kestovan::test
