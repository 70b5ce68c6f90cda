#include "shell/task_commands.h"

#include "engine/control_channel.h"
#include "engine/data_connection.h"
#include "shell/shell_context.h"
#include "shell/web_browsing.h"
#include "ui/language.h"
#include "ui/string_ids.h"

namespace kestovan {

void TaskCommands::stop_row_transfer(const Task& row)
{
    Session* session = row.session ? ctx_.find_session(row.session) : nullptr;
    FtpConnection* conn = session ? ctx_.live_connection(*session) : nullptr;
    // Only the transfer this row shows: a row that finished leaves whatever runs now alone.
    if (!conn || conn->queue.empty() || conn->queue.front()->serial != row.command_serial ||
        !conn->data_connection)
        return;
    stop_transfer(ctx_.engine, *conn, load_string(IDS_LOG_TRANSFER_ABORTED));
    ctx_.status.clear_transfer();
}

void TaskCommands::delete_rows(const std::vector<std::uint64_t>& row_ids)
{
    for (std::uint64_t id : row_ids) {
        web_.cancel_row(id);
        // Stopping runs engine callbacks that may delete rows: look the row up afresh.
        if (Task* row = ctx_.tasks.find(id); row && row->state == TASK_RUNNING)
            stop_row_transfer(*row);
        if (Task* row = ctx_.tasks.find(id))
            ctx_.tasks.remove_row(*row);
    }
    ctx_.view->command_states_changed();
}

void TaskCommands::disconnect_rows(const std::vector<std::uint64_t>& row_ids)
{
    std::vector<Session*> sessions;
    for (std::uint64_t id : row_ids) {
        if (web_.cancel_row(id))
            continue;
        if (Task* row = ctx_.tasks.find(id); row && row->session)
            if (Session* session = ctx_.find_session(row->session))
                sessions.push_back(session);
    }
    for (Session* record : sessions)
        if (Session* session = ctx_.find_session(record))
            if (FtpConnection* conn = ctx_.live_connection(*session))
                close_session(ctx_.engine, *conn);
}

bool TaskCommands::can_disconnect(const Task& row) const
{
    if (web_.has_fetch(row.row_id))
        return true; // a running fetch can be cancelled
    Session* session = row.session ? ctx_.find_session(row.session) : nullptr;
    return session && ctx_.live_connection(*session);
}

} // namespace kestovan
