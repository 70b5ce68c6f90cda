// The batch queue: downloads and uploads collected as tasks and run later, one after another, each on a
// connection of its own that is opened for the task and closed when its one file is done. A task
// that fails does not stop the queue; a web-link task is fetched by the web client. The window that
// lists the tasks (the "Batch Transfer" window) observes the queue.
#pragma once

#include "queue/task.h"
#include "views/local_entry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan {

struct DirEntry;
struct Session;
struct ShellContext;
class EngineEventHandler;
class SessionControl;
class WebBrowsing;
struct WebRequest;

class TransferQueueObserver {
public:
    virtual ~TransferQueueObserver() = default;
    // The tasks changed as a whole (added, removed, restarted).
    virtual void tasks_reset() = 0;
    // One task's state changed: its row is redrawn.
    virtual void task_changed(const Task& task) = 0;
    // Start/Stop and Clear follow the queue.
    virtual void buttons_changed() = 0;
};

// How a run of the queue ended, for the unattended command line (-x).
struct QueueOutcome {
    int done = 0;
    int failed = 0;
};

class TransferQueue {
public:
    // queue holds the tasks (config.ini reads and writes them); the queue takes the sessions' hook
    // that starts a task's transfer after its login and the events' hook of closed batch connections.
    TransferQueue(ShellContext& ctx, SessionControl& sessions, EngineEventHandler& events, WebBrowsing& web,
                  TaskList& queue);
    ~TransferQueue();
    TransferQueue(const TransferQueue&) = delete;
    TransferQueue& operator=(const TransferQueue&) = delete;

    // A remote file or web link as a download into the local pane's folder; nothing for folders,
    // sites, URL profiles, profile folders and "..". True when a task was added.
    bool add_download_task(const DirEntry& entry);
    // A local file as an upload into the shown remote folder; nothing for folders and "..".
    bool add_upload_task(const LocalEntry& item);

    // The Start/Stop button: stops the running task (the tasks after it stay waiting), or starts the
    // queue afresh (done tasks go, failed ones wait again).
    void start_or_stop();
    // Starts the task after the running one (or the first); without one the queue is idle.
    void run_next_task();
    // A batch connection has logged in: its file is sent or fetched.
    void start_task_transfer(Session& session);
    // The control connection of a task closed: a task still waiting is failed, the next one starts.
    void batch_connection_closed(Session& session, Task* task);

    // At shutdown, before the connections are closed: closing them ends no task and starts no other,
    // so a task that was running is saved as waiting.
    void halt();

    // Clear: every task goes (only while none runs).
    void clear();
    // Delete: the given tasks leave the queue; the running one stays. Returns the position of the
    // neighbour of the last one removed, for the selection (none when the queue is empty).
    std::optional<int> delete_tasks(const std::vector<const Task*>& tasks);

    [[nodiscard]] const TaskList& tasks() const { return queue_; }
    [[nodiscard]] bool running() const { return running_ != nullptr; }
    [[nodiscard]] const Task* running_task() const { return running_; }
    // The task whose connection or fetch is live now.
    [[nodiscard]] const Task* active_task() const { return active_; }
    [[nodiscard]] bool can_start() const { return !queue_.empty(); }
    [[nodiscard]] bool can_clear() const { return !queue_.empty() && !running_; }
    // The tasks of the present (or last) run that ended done and failed.
    [[nodiscard]] const QueueOutcome& outcome() const { return outcome_; }

    void set_observer(TransferQueueObserver* observer) { observer_ = observer; }

    // After a task was added: config.ini is written, so the queue is on disk before it runs.
    std::function<void()> task_added;
    // The queue ran out of tasks (after the last, or after Stop).
    std::function<void(const QueueOutcome&)> ran_out;

private:
    void append(std::unique_ptr<Task> task);
    void start_site_task(Task& task);
    void start_web_task(Task& task);
    void task_finished(Task& task, std::uint8_t state);
    // A downloaded file in the folder the local pane shows: the pane lists it.
    void local_file_arrived(const std::string& path);
    // The task's hidden site node goes, and the next task starts, once the current event is over.
    void next_after_event();
    [[nodiscard]] bool in_queue(const Task* task) const;
    [[nodiscard]] Task* task_after(const Task* task) const;
    void notify_reset();
    void notify_changed(const Task& task);
    void notify_buttons();

    ShellContext& ctx_;
    SessionControl& sessions_;
    EngineEventHandler& events_;
    WebBrowsing& web_;
    TaskList& queue_;
    TransferQueueObserver* observer_ = nullptr;
    // The running-task pointer: the task whose successor runs next (Stop moves it to the last task).
    Task* running_ = nullptr;
    // The task whose connection or fetch is live; it cannot be deleted.
    Task* active_ = nullptr;
    bool halted_ = false;
    // The site node of the running task's connection, never shown in the tree: it owns the profile
    // copy whose batch-task field leads back to the task.
    std::unique_ptr<DirEntry> node_;
    // The running web-link fetch, while one runs.
    WebRequest* fetch_ = nullptr;
    QueueOutcome outcome_;
};

} // namespace kestovan
