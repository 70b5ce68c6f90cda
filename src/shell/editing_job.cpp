#include "shell/editing_job.h"

#include "engine/command_set.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "shell/remote_browser.h"
#include "shell/transfer_steps.h"
#include "ui/language.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace kestovan {

EditingJob::EditingJob(ShellContext& ctx, RemoteBrowser& browser) : ctx_(ctx), browser_(browser)
{
    filter_id_ = ctx_.window.install_filter([this](const Message& m) {
        if (m.id != WM_TIMER || m.wparam != TIMER_EDITOR_WATCH)
            return false;
        tick();
        return true;
    });
}

EditingJob::~EditingJob()
{
    ctx_.window.kill_timer(TIMER_EDITOR_WATCH);
    ctx_.window.remove_filter(filter_id_);
}

EditingJob::Stamp EditingJob::stamp() const
{
    struct stat info {};
    if (::stat(scratch_.c_str(), &info) != 0)
        return {};
    return {static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            static_cast<std::int64_t>(info.st_size)};
}

void EditingJob::fetching(std::string scratch, std::string remote_path, DirEntry* node)
{
    state_ = State::FETCHING;
    scratch_ = std::move(scratch);
    remote_path_ = std::move(remote_path);
    site_ = ShellContext::site_node_of(node);
    failed_ = false;
}

void EditingJob::fetch_failed()
{
    if (state_ == State::FETCHING)
        state_ = State::IDLE;
}

bool EditingJob::start_editor(DesktopTools& tools)
{
    if (state_ != State::FETCHING)
        return false;
    // Taken before the start: a quick editor may have saved before the start call returns.
    fetched_ = uploaded_ = seen_ = stamp();
    refused_ = {};
    started_ms_ = now_ms();
    editor_ = tools.edit_file(scratch_);
    if (!editor_) {
        state_ = State::IDLE;
        return false;
    }
    state_ = State::EDITING;
    ctx_.window.set_timer(TIMER_EDITOR_WATCH, EDITOR_WATCH_PERIOD_MS);
    return true;
}

void EditingJob::tick()
{
    if (state_ == State::EDITING && editor_ && editor_->has_ended())
        editor_ended();
    else if (state_ == State::WATCHING)
        watch_tick();
}

void EditingJob::editor_ended()
{
    editor_.reset();
    const bool quick = now_ms() - started_ms_ < handover_ms;
    if (quick && stamp() == fetched_) {
        state_ = State::WATCHING;
        seen_ = fetched_;
        set_watching(true);
        return;
    }
    ctx_.window.kill_timer(TIMER_EDITOR_WATCH);
    upload(true);
}

void EditingJob::watch_tick()
{
    const Stamp now = stamp();
    if (!(now == seen_)) {
        seen_ = now; // a save may still be under way: wait until it holds for a tick
        return;
    }
    if (!sending_ && now.size >= 0 && !(now == uploaded_) && !(now == refused_))
        upload(false);
}

void EditingJob::finish()
{
    if (state_ != State::WATCHING)
        return;
    set_watching(false);
    ctx_.window.kill_timer(TIMER_EDITOR_WATCH);
    state_ = State::UPLOADING;
    if (sending_)
        return; // uploaded() comes back here once the save on its way is done
    if (stamp() == uploaded_ && !failed_)
        end(false);
    else
        upload(true);
}

void EditingJob::upload(bool last)
{
    if (last)
        state_ = State::UPLOADING;
    const Stamp sent = stamp();
    Session* session = ctx_.node_alive(site_) ? ShellContext::first_session(site_) : nullptr;
    FtpConnection* conn = session ? ctx_.live_connection(*session) : nullptr;
    if (!conn || session->state != SESSION_CONNECTED) {
        uploaded(last, false, load_string(IDS_CAPTION_NOT_CONNECTED), sent);
        return;
    }
    sending_ = true;
    FtpCommand* command = send_stor(ctx_.engine, conn, scratch_, remote_path_, ctx_.binary(),
                                    [this, session, last, sent](FtpConnection& c, bool ok) {
                                        std::string reason;
                                        if (!c.queue.empty())
                                            reason = c.queue.front()->failure.empty()
                                                         ? c.queue.front()->reply
                                                         : c.queue.front()->failure;
                                        if (Session* live = ctx_.find_session(session))
                                            ctx_.tasks.finish_row(live->task_row, ok);
                                        uploaded(last, ok, reason, sent);
                                        return 1;
                                    });
    if (!command) {
        sending_ = false;
        uploaded(last, false, {}, sent);
    }
}

void EditingJob::uploaded(bool last, bool ok, const std::string& reason, Stamp sent)
{
    sending_ = false;
    if (ok) {
        uploaded_ = sent;
        failed_ = false;
        ctx_.sounds.play(SOUND_FTP_UPLOAD);
        ctx_.defer([this] { browser_.refresh(); }); // once the STOR has left the queue
    } else {
        failed_ = true;
        refused_ = sent;
        if (!ctx_.unattended) {
            const std::string name = std::filesystem::path(scratch_).filename().string();
            ctx_.post_error_box(true, upload_failure_text(name, reason) + "\n\n" +
                                          format_string(IDS_MSG_EDIT_KEPT, scratch_));
        }
    }
    if (last) {
        end(!ok);
        return;
    }
    // The user finished while this save was on its way.
    if (state_ == State::UPLOADING) {
        if (!ok)
            end(true);
        else if (stamp() == uploaded_)
            end(false);
        else
            upload(true);
    }
}

void EditingJob::end(bool keep_file)
{
    ctx_.window.kill_timer(TIMER_EDITOR_WATCH);
    if (state_ == State::WATCHING)
        set_watching(false);
    std::erase(kept_, scratch_);
    if (keep_file) {
        kept_.push_back(scratch_);
    } else {
        std::error_code ec;
        std::filesystem::remove(scratch_, ec);
    }
    editor_.reset();
    site_ = nullptr;
    state_ = State::IDLE;
}

void EditingJob::set_watching(bool on)
{
    const std::string name = std::filesystem::path(scratch_).filename().string();
    ctx_.view->editing_watch_changed(on, on ? format_string(IDS_MSG_EDIT_WATCHING, name, remote_path_)
                                            : std::string());
}

std::vector<std::string> EditingJob::kept_files() const
{
    std::vector<std::string> files = kept_;
    // An editor still open on the file, or saves not yet on the server.
    if (state_ == State::EDITING || state_ == State::WATCHING || state_ == State::UPLOADING)
        files.push_back(scratch_);
    return files;
}

} // namespace kestovan
