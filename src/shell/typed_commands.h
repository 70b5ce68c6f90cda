// Command lines typed in the terminal or entered in the Command dialog.
#pragma once

#include "shell/remote_browser.h"

#include <string>

namespace kestovan {

class TypedCommands {
public:
    TypedCommands(ShellContext& ctx, SessionControl& sessions, EngineEventHandler& events,
                  RemoteBrowser& browser);

    // Logs the line as typed and runs it on the node's session: LIST and NLST (the listing goes to
    // the log), QUIT, RETR and STOR with the local pane's folder, anything else as a raw command. Not
    // connected: kept as a pending operation after asking. True when a command went to the engine now
    // (its echo will follow, which the log swallows after a line typed in a log pane).
    bool typed_command(DirEntry* node, const std::string& line);

private:
    void run(Session& session, const std::string& line);
    ShellContext& ctx_;
    SessionControl& sessions_;
    EngineEventHandler& events_;
    RemoteBrowser& browser_;
};

// The command word of a typed line when it is one of LIST, NLST, QUIT, RETR, STOR (upper-cased),
// followed by the end of the line or a blank, tab, CR or LF; otherwise empty.
[[nodiscard]] std::string typed_keyword(std::string_view line);
// The text after the keyword and the blanks that follow it.
[[nodiscard]] std::string typed_arguments(std::string_view line);

} // namespace kestovan
