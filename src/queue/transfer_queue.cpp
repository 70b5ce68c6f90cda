#include "queue/transfer_queue.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "profiles/site_profile.h"
#include "profiles/state_text.h"
#include "settings/settings.h"
#include "shell/engine_events.h"
#include "shell/session_control.h"
#include "shell/web_browsing.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "views/folder_transfer.h"
#include "views/local_fs.h"
#include "views/web_links.h"

#include <algorithm>
#include <filesystem>

namespace kestovan {

namespace {

// The remote path of an entry: its own, else its folder's joined with its name.
std::string entry_remote_path(const DirEntry& entry)
{
    if (entry.path)
        return *entry.path;
    return join_remote(entry.parent ? remote_folder_path(*entry.parent) : std::string(), entry.name);
}

// The server path without the server: everything from the first "/" on, so it is absolute. Sending
// it relative (as the text after that "/") would resolve against the login folder, which is only the
// root on some servers.
std::string path_after_server(const std::optional<std::string>& server_path_text)
{
    const std::string text = server_path_text.value_or("");
    const auto slash = text.find('/');
    return slash == std::string::npos ? std::string("/") : text.substr(slash);
}

} // namespace

TransferQueue::TransferQueue(ShellContext& ctx, SessionControl& sessions, EngineEventHandler& events,
                             WebBrowsing& web, TaskList& queue)
    : ctx_(ctx), sessions_(sessions), events_(events), web_(web), queue_(queue)
{
    sessions_.start_task_transfer = [this](Session& session) { start_task_transfer(session); };
    events_.batch_connection_closed = [this](Session& session, Task* task) {
        batch_connection_closed(session, task);
    };
}

TransferQueue::~TransferQueue()
{
    sessions_.start_task_transfer = nullptr;
    events_.batch_connection_closed = nullptr;
    if (node_)
        ctx_.tasks.forget_profile(node_->session);
}

// --- adding ---------------------------------------------------------------------------------------

bool TransferQueue::add_download_task(const DirEntry& entry)
{
    switch (entry.kind) {
    case KIND_FILE:
    case KIND_LINK:
    case KIND_WEB_LINK: break;
    default: return false; // folders, sites, URL profiles, profile folders, ".."
    }
    const SiteProfile* profile = entry.find_session();
    auto task = std::make_unique<Task>();
    task->name = entry.name;
    task->server = ctx_.server_of(profile);
    task->size = lenient_number(entry.size.value_or(""));
    task->date = entry.date;
    task->kind = entry.kind;
    task->status = TASK_DOWNLOAD;
    task->mode = ctx_.transfer_mode;
    task->profile = copy_profile(profile);
    if (entry.kind == KIND_WEB_LINK) {
        const auto url = web_node_url(entry);
        const std::string file = url ? web_link_file_name(*url) : std::string();
        if (file.empty())
            return false;
        task->source = *url;
        task->destination = join_local(ctx_.local_folder, file);
    } else {
        task->source = server_path(*task->server, entry_remote_path(entry));
        task->destination = join_local(ctx_.local_folder, entry.name);
    }
    append(std::move(task));
    return true;
}

bool TransferQueue::add_upload_task(const LocalEntry& item)
{
    if (item.kind != LOCAL_FILE)
        return false;
    DirEntry* folder = ctx_.shown_folder ? ctx_.shown_folder : ctx_.current_session_node;
    const SiteProfile* profile = ctx_.profile_of(folder);
    if (!profile)
        return false; // nowhere to send it
    auto task = std::make_unique<Task>();
    task->name = item.name;
    task->server = ctx_.server_of(profile);
    task->size = lenient_number(item.size);
    task->date = item.date;
    task->kind = item.kind;
    task->status = TASK_UPLOAD;
    task->mode = ctx_.transfer_mode;
    task->source = item.path.empty() ? join_local(ctx_.local_folder, item.name) : item.path;
    task->profile = copy_profile(profile);
    task->destination = server_path(*task->server, join_remote(remote_folder_path(*folder), item.name));
    append(std::move(task));
    return true;
}

void TransferQueue::append(std::unique_ptr<Task> task)
{
    queue_.push_back(std::move(task));
    notify_reset();
    notify_buttons();
    if (task_added)
        task_added();
}

// --- running ----------------------------------------------------------------------------------------

void TransferQueue::start_or_stop()
{
    if (running_) {
        // Nothing follows the task that ends now.
        running_ = queue_.back().get();
        for (FtpConnection* conn : ctx_.engine.connections()) {
            if (!ctx_.engine.is_live_connection(conn) || conn->role != ROLE_CONTROL)
                continue;
            Session* session = ctx_.session_of(conn);
            if (!session || !session->profile || !session->profile->batch_task)
                continue;
            ctx_.tasks.finish_row(session->task_row, false);
            ctx_.engine.close_connection_guarded(conn);
        }
        if (fetch_ && web_.client().is_live_request(fetch_))
            web_.client().cancel(fetch_);
    } else {
        std::erase_if(queue_, [](const auto& task) { return task->state == TASK_DONE; });
        for (auto& task : queue_) {
            task->state = TASK_WAITING;
            task->flags = 0;
        }
        outcome_ = {};
        notify_reset();
        run_next_task();
    }
    notify_buttons();
}

void TransferQueue::run_next_task()
{
    Task* next = running_ ? task_after(running_) : (queue_.empty() ? nullptr : queue_.front().get());
    running_ = next;
    notify_buttons();
    if (!next) {
        ctx_.unattended = false;
        if (ran_out)
            ran_out(outcome_);
        return;
    }
    notify_changed(*next);
    if (next->kind == KIND_URL_PROFILE || next->kind == KIND_WEB_LINK)
        start_web_task(*next);
    else
        start_site_task(*next);
}

void TransferQueue::start_site_task(Task& task)
{
    if (!task.profile || ctx_.server_of(task.profile.get()).empty()) {
        task_finished(task, TASK_FAILED);
        next_after_event();
        return;
    }
    node_ = std::make_unique<DirEntry>();
    node_->kind = KIND_SITE;
    node_->name = load_string(IDS_BATCH_NODE_NAME) + ": " + ctx_.server_of(task.profile.get());
    auto copy = copy_profile(task.profile.get());
    copy->batch_task = &task;
    SiteProfile& profile = attach_profile(*node_, std::move(copy));
    profile.node = node_.get();
    Session& session = ctx_.new_session(profile);
    session.state = SESSION_CONNECTING;
    active_ = &task;
    if (!sessions_.open_connection(session, *node_, LOG_GREEN)) {
        ctx_.free_session(session);
        active_ = nullptr;
        task_finished(task, TASK_FAILED);
        next_after_event();
    }
}

void TransferQueue::start_web_task(Task& task)
{
    node_ = std::make_unique<DirEntry>();
    node_->kind = KIND_WEB_LINK;
    node_->name = task.name.value_or("");
    node_->path = task.source;
    auto copy = copy_profile(task.profile.get());
    copy->batch_task = &task;
    SiteProfile& profile = attach_profile(*node_, std::move(copy));
    profile.node = node_.get();
    active_ = &task;
    Task* key = &task;
    auto ended = std::make_shared<bool>(false);
    fetch_ = web_.fetch_file(task.source.value_or(""), task.destination.value_or(""), &profile,
                             [this, key, ended](bool ok) {
                                 *ended = true;
                                 fetch_ = nullptr;
                                 if (active_ == key)
                                     active_ = nullptr;
                                 if (in_queue(key))
                                     task_finished(*key, ok ? TASK_DONE : TASK_FAILED);
                                 // The queue goes on by itself after a fetched link, as after a file.
                                 next_after_event();
                             });
    if (!fetch_ && !*ended) {
        active_ = nullptr;
        task_finished(task, TASK_FAILED);
        next_after_event();
    }
}

void TransferQueue::start_task_transfer(Session& session)
{
    FtpConnection* conn = ctx_.live_connection(session);
    Task* task = session.profile ? session.profile->batch_task : nullptr;
    if (!conn)
        return;
    if (!task || task != active_ || !running_ || halted_) {
        close_session(ctx_.engine, *conn);
        return;
    }
    const bool binary = task->mode == MODE_BINARY;
    const bool download = task->status == TASK_DOWNLOAD;
    Session* record = &session;
    CommandCallback done = [this, record, task, download](FtpConnection&, bool ok) {
        if (Session* live = ctx_.find_session(record))
            ctx_.tasks.finish_row(live->task_row, ok);
        if (in_queue(task)) {
            task_finished(*task, ok ? TASK_DONE : TASK_FAILED);
            if (ok && download)
                local_file_arrived(task->destination.value_or(""));
        }
        // The session ends once the engine is out of this command.
        ctx_.defer([this, record] {
            if (Session* live = ctx_.find_session(record))
                if (FtpConnection* c = ctx_.live_connection(*live))
                    close_session(ctx_.engine, *c);
        });
        return 1;
    };
    FtpCommand* command = download ? send_retr(ctx_.engine, conn, path_after_server(task->source),
                                               task->destination.value_or(""), binary, std::move(done))
                                   : send_stor(ctx_.engine, conn, task->source.value_or(""),
                                               path_after_server(task->destination), binary, std::move(done));
    if (!command) {
        task_finished(*task, TASK_FAILED);
        close_session(ctx_.engine, *conn);
    }
}

void TransferQueue::local_file_arrived(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (clean_folder_path(folder) != clean_folder_path(ctx_.local_folder))
        return;
    if (ctx_.settings.flag(KEY_REFRESH))
        ctx_.view->local_list_changed();
    else
        ctx_.view->local_file_added(path);
}

void TransferQueue::batch_connection_closed(Session&, Task* task)
{
    if (active_ == task)
        active_ = nullptr;
    if (in_queue(task) && task->state == TASK_WAITING)
        task_finished(*task, TASK_FAILED);
    notify_buttons();
    next_after_event();
}

void TransferQueue::task_finished(Task& task, std::uint8_t state)
{
    task.state = state;
    if (state == TASK_DONE)
        ++outcome_.done;
    else
        ++outcome_.failed;
    notify_changed(task);
}

void TransferQueue::next_after_event()
{
    ctx_.defer([this] {
        if (node_) {
            ctx_.tasks.forget_profile(node_->session);
            node_.reset();
        }
        if (!halted_)
            run_next_task();
    });
}

void TransferQueue::halt()
{
    halted_ = true;
    running_ = nullptr;
}

// --- editing ------------------------------------------------------------------------------------------

void TransferQueue::clear()
{
    if (running_)
        return;
    queue_.clear();
    notify_reset();
    notify_buttons();
}

std::optional<int> TransferQueue::delete_tasks(const std::vector<const Task*>& tasks)
{
    int last_removed = -1;
    for (const Task* task : tasks) {
        if (task == running_ || task == active_)
            continue;
        auto it =
            std::find_if(queue_.begin(), queue_.end(), [task](const auto& t) { return t.get() == task; });
        if (it == queue_.end())
            continue;
        last_removed = static_cast<int>(it - queue_.begin());
        queue_.erase(it);
    }
    notify_reset();
    notify_buttons();
    if (queue_.empty() || last_removed < 0)
        return std::nullopt;
    return std::min(last_removed, static_cast<int>(queue_.size()) - 1);
}

// --- helpers --------------------------------------------------------------------------------------------

bool TransferQueue::in_queue(const Task* task) const
{
    return task &&
           std::any_of(queue_.begin(), queue_.end(), [task](const auto& t) { return t.get() == task; });
}

Task* TransferQueue::task_after(const Task* task) const
{
    auto it = std::find_if(queue_.begin(), queue_.end(), [task](const auto& t) { return t.get() == task; });
    if (it == queue_.end() || ++it == queue_.end())
        return nullptr;
    return it->get();
}

void TransferQueue::notify_reset()
{
    if (observer_)
        observer_->tasks_reset();
}

void TransferQueue::notify_changed(const Task& task)
{
    if (observer_)
        observer_->task_changed(task);
}

void TransferQueue::notify_buttons()
{
    if (observer_)
        observer_->buttons_changed();
}

} // namespace kestovan
