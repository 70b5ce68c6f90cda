#include "shell/chmod_command.h"

#include "engine/command_set.h"
#include "shell/remote_browser.h"
#include "shell/session_control.h"
#include "ui/prompts.h"
#include "views/chmod_mode.h"
#include "views/folder_transfer.h"

namespace kestovan {

ChmodCommand::ChmodCommand(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser)
    : ctx_(ctx), sessions_(sessions), browser_(browser)
{
    sessions_.set_runner(OP_CHMOD, [this](Session& record) { send(record, record.operation_argument); });
}

void ChmodCommand::open_chmod(DirEntry* entry)
{
    if (!entry || (entry->kind != KIND_FILE && entry->kind != KIND_FOLDER && entry->kind != KIND_LINK))
        return;
    DirEntry* site = ShellContext::site_node_of(entry);
    if (!site)
        return;
    // A link's permissions are those of what it points to.
    const std::string path =
        entry->kind == KIND_LINK ? remote_folder_path(*entry) : remote_entry_path(*entry);
    const std::optional<int> mode = ctx_.prompts.chmod(entry->name, entry->permissions);
    if (!mode || !ctx_.node_alive(site))
        return;
    const std::string command = chmod_command(*mode, path);
    if (!ctx_.is_connected(site)) {
        sessions_.queue_pending(site, nullptr, {}, {}, OP_CHMOD, command);
        return;
    }
    send(*ShellContext::first_session(site), command);
}

void ChmodCommand::send(Session& session, const std::string& command)
{
    send_raw(ctx_.engine, ctx_.live_connection(session), command, [this](FtpConnection&, bool ok) {
        // A refusal changes nothing in the panes; the reply stands in the log. The listing waits
        // until this command has left the queue, so that it goes on this connection.
        if (ok)
            ctx_.defer([this] { browser_.refresh(); });
        return 1;
    });
}

} // namespace kestovan
