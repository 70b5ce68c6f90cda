// Which commands are enabled, the caption of button 2011 and the window titles, all computed from
// the shell's state after every change of selection, focus or connection state.
#pragma once

#include "shell/shell_context.h"

#include <map>
#include <string>

namespace kestovan {

// What the panes know that the shell state does not.
struct PaneState {
    bool local_item_selected = false;
    bool local_clipboard_empty = true;
    DirEntry* remote_clipboard_first = nullptr;
    bool system_clipboard_has_text = false;
    bool previous_local_folder = false;
};

// Command id -> enabled, for every command whose state depends on the selection.
[[nodiscard]] std::map<int, bool> compute_command_states(const ShellContext& ctx, const PaneState& panes,
                                                         bool hammering);
// Button 2011: "View", "Cancel", "Disconnect" or "Hammer" (the string table ids).
[[nodiscard]] int connect_button_caption(const ShellContext& ctx, bool hammering);
// "Kestovan FTP - <profile> (Connected)"; the terminal's "Session - <profile> (Connected)".
[[nodiscard]] std::string main_title(const ShellContext& ctx);
// The control connection of the current session when it speaks TLS (ready), else null.
[[nodiscard]] const FtpConnection* encrypted_session(const ShellContext& ctx);
// The status bar's encryption part: "Encrypted (TLSv1.3)" for an encrypted current session, else
// empty.
[[nodiscard]] std::string encryption_text(const ShellContext& ctx);
[[nodiscard]] std::string terminal_title(const ShellContext& ctx);

} // namespace kestovan
