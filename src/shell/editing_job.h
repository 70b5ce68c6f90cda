// The editing job of remote Edit (one at a time for the whole program): the scratch copy of a
// remote file, the editor it was handed to, and its way back to the server.
//
// How the job knows the user has finished, decided for editors that do not wait:
// - The editor is started as a child (DesktopTools::edit_file) with its known "wait" option, or as
//   $KESTOVAN_EDITOR gives it; timer 999 polls every 250 ms whether it has ended.
// - When it ends HANDOVER_MS or more after its start, or sooner but with the file changed (a
//   scripted editor did its work), the file is uploaded with STOR to the remote path, changed or
//   not, and the job ends.
// - When it ends sooner with the file untouched, it handed the file to an editor instance that was
//   already running (or to the desktop's opener): nobody can have typed anything yet. The job then
//   watches the file instead: each save (a change of time or size that has held for one tick) is
//   uploaded, and the job ends when the user says so (finish(), offered by the window through
//   ShellView::editing_watch_changed) or when the program closes.
// The scratch file is deleted only after the last upload succeeded; when an upload fails it stays,
// the "Upload Failed" box says where, and kept_files() names it so that the program's clean-up of
// the scratch folder at exit spares it. The job stays running until its last upload has completed,
// so a second edit of the same name cannot overwrite a file that is still being sent.
#pragma once

#include "platform/child_process.h"
#include "shell/desktop_tools.h"
#include "shell/shell_context.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

class RemoteBrowser;

inline constexpr std::uint32_t TIMER_EDITOR_WATCH = 999;
inline constexpr int EDITOR_WATCH_PERIOD_MS = 250;

class EditingJob {
public:
    EditingJob(ShellContext& ctx, RemoteBrowser& browser);
    ~EditingJob();
    EditingJob(const EditingJob&) = delete;
    EditingJob& operator=(const EditingJob&) = delete;

    [[nodiscard]] bool running() const { return state_ != State::IDLE; }
    [[nodiscard]] bool watching() const { return state_ == State::WATCHING; }

    // The remote file is being fetched into scratch for the node's session.
    void fetching(std::string scratch, std::string remote_path, DirEntry* node);
    // The fetch failed: the job ends.
    void fetch_failed();
    // The fetch succeeded: the editor is started on the file; false (and the job ends) when it
    // could not be.
    bool start_editor(DesktopTools& tools);
    // Timer 999.
    void tick();
    // The user has finished a watched edit: a change not yet uploaded goes up, then the job ends.
    void finish();

    // Scratch files that hold edits the server does not have.
    [[nodiscard]] std::vector<std::string> kept_files() const;

    // An editor that ends sooner than this after its start, leaving the file untouched, handed it on.
    std::int64_t handover_ms = 1000;

private:
    enum class State {
        IDLE,
        FETCHING,
        EDITING,   // the editor's process is watched
        WATCHING,  // the file is watched: the editor runs on its own
        UPLOADING, // the last upload is on its way
    };
    struct Stamp {
        std::int64_t mtime_ns = -1;
        std::int64_t size = -1;
        bool operator==(const Stamp&) const = default;
    };
    [[nodiscard]] Stamp stamp() const;
    void editor_ended();
    void watch_tick();
    void upload(bool last);
    void uploaded(bool last, bool ok, const std::string& reason, Stamp sent);
    void end(bool keep_file);
    void set_watching(bool on);

    ShellContext& ctx_;
    RemoteBrowser& browser_;
    int filter_id_ = 0;
    State state_ = State::IDLE;
    std::string scratch_;
    std::string remote_path_;
    DirEntry* site_ = nullptr;
    std::unique_ptr<ChildProcess> editor_;
    std::int64_t started_ms_ = 0;
    Stamp fetched_;  // as the download left it
    Stamp seen_;     // at the last tick
    Stamp uploaded_; // as last sent successfully
    Stamp refused_;  // as last sent when the upload failed: not sent again until it changes
    bool sending_ = false;
    bool failed_ = false; // the last upload failed
    std::vector<std::string> kept_;
};

} // namespace kestovan
