// Every question and message box of the program goes through this interface. The desktop program
// answers with Qt dialogs (a nested event loop, so socket and timer messages keep arriving while one
// is open); tests answer from a script. Logic never opens a window itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestovan {

enum class PromptIcon {
    None,
    Information,
    Warning,
    Error,
    Question
};
enum class PromptButtons {
    Ok,
    YesNo,
    YesNoCancel,
    YesNoYesToAllCancel
};
enum class PromptAnswer {
    Ok,
    Yes,
    No,
    Cancel,
    YesToAll
};

// The answers of the "File Exists" dialogs, with their documented values.
enum FileExistsAnswer : int {
    EXISTS_CANCEL = -1,
    EXISTS_NO = 0,
    EXISTS_YES = 1,
    EXISTS_YES_TO_ALL = 2,
    EXISTS_RESTART = 3,
};

// What the certificate dialog shows: the server and the certificate's facts, and why it could not be
// verified (each reason a sentence).
struct CertificatePrompt {
    std::string server; // "host:port"
    std::string subject;
    std::string issuer;
    std::string valid_from;
    std::string valid_until;
    std::string sha256;
    std::vector<std::string> reasons;
};
enum class CertificateAnswer {
    Cancel,
    TrustOnce,
    TrustAlways
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const std::string& caption, const std::string& text, PromptIcon icon) = 0;
    virtual PromptAnswer question(const std::string& caption, const std::string& text, PromptButtons buttons,
                                  PromptIcon icon = PromptIcon::Question) = 0;
    // Dialog 4298: the password for a site; nothing when cancelled.
    virtual std::optional<std::string> password(const std::string& prompt) = 0;
    // Dialogs 4307 (no Restart) and 4308 (with Restart).
    virtual FileExistsAnswer file_exists(const std::string& text, bool offer_restart) = 0;
    // A one-line text dialog (Move File, Create Directory, Command): nothing when cancelled.
    virtual std::optional<std::string> text(const std::string& caption, const std::string& prompt,
                                            const std::string& initial) = 0;
    virtual std::optional<std::string> save_file(const std::string& title, const std::string& folder,
                                                 const std::string& proposed_name,
                                                 const std::string& filter) = 0;
    virtual std::optional<std::string> open_file(const std::string& title, const std::string& filter) = 0;
    // The certificate dialog: "Trust once", "Always trust" or "Cancel". Prompts that cannot ask
    // trust nothing.
    virtual CertificateAnswer certificate(const CertificatePrompt&) { return CertificateAnswer::Cancel; }
    // Dialog 4299 "CHMOD" for the entry called name, its boxes preset from the listing's permissions
    // text: the mode value chosen, nothing when cancelled. Without a dialog of its own a prompts
    // implementation cancels.
    virtual std::optional<int> chmod(const std::string& name, const std::optional<std::string>& permissions)
    {
        (void)name;
        (void)permissions;
        return std::nullopt;
    }
    // Dialog "Append File": the prompt ("Append 'x' to:"), the remote file names offered and the one
    // shown first; the name chosen or typed, nothing when cancelled (also without such a dialog).
    virtual std::optional<std::string>
    append_file(const std::string& prompt, const std::vector<std::string>& names, const std::string& initial)
    {
        (void)prompt;
        (void)names;
        (void)initial;
        return std::nullopt;
    }
    // The same, starting in folder (the last one used); the plain dialog when not overridden.
    virtual std::optional<std::string> open_file_from(const std::string& title, const std::string& folder,
                                                      const std::string& filter)
    {
        (void)folder;
        return open_file(title, filter);
    }
};

} // namespace kestovan
