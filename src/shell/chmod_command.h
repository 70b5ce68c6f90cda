// File Permissions: the "CHMOD" dialog for the selected remote entry, "SITE chmod <mode> <path>"
// on its session (after login when it is not connected: pending operation 1880), and the shown
// folder listed again when the server accepts it.
#pragma once

#include <string>

namespace kestovan {

struct DirEntry;
struct ShellContext;
struct Session;
class SessionControl;
class RemoteBrowser;

class ChmodCommand {
public:
    ChmodCommand(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser);

    // Shows the dialog for entry (a file, folder or link) and sends what it gives.
    void open_chmod(DirEntry* entry);

private:
    void send(Session& session, const std::string& command);

    ShellContext& ctx_;
    SessionControl& sessions_;
    RemoteBrowser& browser_;
};

} // namespace kestovan
