// What every interactive transfer does when its command ends, and the small tree and log updates the
// transfers share: the Tasks row, the sound, the local pane after a download, the remote row after an
// upload and the "Upload Error" box, the removal of a deleted row.
#pragma once

#include "shell/shell_context.h"

#include <functional>
#include <string>

namespace kestovan {

class TransferSteps {
public:
    explicit TransferSteps(ShellContext& ctx) : ctx_(ctx) {}

    // The completion of a RETR into local_path on record's connection. on_failure runs (deferred,
    // after the engine call) when the download failed.
    [[nodiscard]] CommandCallback download_done(Session* record, std::string local_path,
                                                std::function<void()> on_failure = {});
    // The completion of a STOR of local_path as remote_name into the remote folder node (null when the
    // folder has no node); failure_box: show the "Upload Error" box when it fails.
    [[nodiscard]] CommandCallback upload_done(Session* record, DirEntry* folder, std::string remote_name,
                                              std::string local_path, bool failure_box);

    // A line in the session log of the connection's profile (and the status bar).
    void log(const FtpConnection* conn, const std::string& text, std::uint32_t colour = LOG_BLUE);
    // Takes a node and what hangs below it out of the tree, the selection and the shown folder.
    void remove_node(DirEntry* node);
    // Lists folder again once the session's connection is idle (the `refresh` setting).
    void refresh_when_idle(Session& session, DirEntry* folder);
    [[nodiscard]] bool refresh_setting() const;

private:
    void downloaded(const std::string& local_path);
    void uploaded(Session* record, DirEntry* folder, const std::string& remote_name,
                  const std::string& local_path);
    ShellContext& ctx_;
};

// The text of the "Upload Error" box: "Upload Failed", and when the server gave a reason two line
// breaks, the file and the reason.
[[nodiscard]] std::string upload_failure_text(const std::string& file_name, const std::string& reason);

} // namespace kestovan
