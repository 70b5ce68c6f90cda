// The shell: the parts that act on sessions, put together on one message window, with the command
// table of the commands that are pure logic. The main window (widgets) shows what the shell holds
// and forwards gestures to it; commands it does not know here go on to the window's own handler.
#pragma once

#include "shell/chmod_command.h"
#include "shell/command_states.h"
#include "shell/move_file.h"
#include "shell/task_commands.h"
#include "shell/transfers.h"
#include "shell/typed_commands.h"
#include "shell/view_edit.h"
#include "shell/web_browsing.h"

#include <functional>
#include <map>

namespace kestovan {

// Command identifiers of the main window used by the logic.
namespace cmd {
inline constexpr int CONNECT_MANAGER = 459;
inline constexpr int CONNECT_TOOLBAR = 1875;
inline constexpr int DISCONNECT_ALL = 288;
inline constexpr int SAVE_LOG = 416;
inline constexpr int QUIT = 414;
inline constexpr int CONNECT_BUTTON = 2011;
inline constexpr int HAMMER_TOOLBAR = 1107;
inline constexpr int DISCONNECT_TOOLBAR = 1106;
inline constexpr int DISCONNECT_MENU = 400;
inline constexpr int DISCONNECT_LIST_MENU = 440;
inline constexpr int CONNECT_TREE = 399;
inline constexpr int CONNECT_LIST = 437;
inline constexpr int HAMMER_TREE = 426;
inline constexpr int HAMMER_LIST = 438;
inline constexpr int HAMMER_STOP_TREE = 427;
inline constexpr int HAMMER_STOP_LIST = 439;
inline constexpr int REFRESH_TREE = 393;
inline constexpr int REFRESH_LIST = 394;
inline constexpr int REFRESH_BUTTON = 1858;
inline constexpr int GO_BACK = 536;
inline constexpr int COMMAND_MENU = 500;
inline constexpr int COMMAND_LIST = 443;
inline constexpr int COMMAND_TREE = 444;
inline constexpr int COMMAND_BUTTON = 1879;
inline constexpr int DEFERRED_STARTUP = 1104;
inline constexpr int TOGGLE_TOOLBAR = 457;
inline constexpr int TOGGLE_SESSION_LOG = 403;
inline constexpr int TOGGLE_BUTTONS = 404;
inline constexpr int TOGGLE_FILTER_BAR = 406;
inline constexpr int TERMINAL_MENU = 468;
inline constexpr int TERMINAL_BUTTON = 1869;
inline constexpr int HELP = 7888;
inline constexpr int MANUAL = 106;
inline constexpr int FAQ = 163;
inline constexpr int IMPORT = 479;
// View, Open (Execute), Edit, Directory Info and CHMOD: menus, pane menus and buttons.
inline constexpr int OPEN_LOCAL = 378;
inline constexpr int VIEW_LOCAL = 411;
inline constexpr int OPEN_LIST = 412;
inline constexpr int OPEN_TREE = 7905;
inline constexpr int VIEW_LIST = 401;
inline constexpr int VIEW_TREE = 7906;
inline constexpr int EDIT_LIST = 418;
inline constexpr int EDIT_TREE = 419;
inline constexpr int VIEW_MENU = 483;
inline constexpr int VIEW_BUTTON = 1548;
inline constexpr int EXECUTE_MENU = 485;
inline constexpr int EXECUTE_BUTTON = 1877;
inline constexpr int EDIT_MENU = 484;
inline constexpr int EDIT_BUTTON = 1881;
inline constexpr int DIR_INFO_MENU = 491;
inline constexpr int DIR_INFO_LIST = 420;
inline constexpr int DIR_INFO_TREE = 436;
inline constexpr int DIR_INFO_BUTTON = 1882;
inline constexpr int CHMOD_MENU = 499;
inline constexpr int CHMOD_TREE = 397;
inline constexpr int CHMOD_LIST = 405;
inline constexpr int CHMOD_BUTTON = 1880;
inline constexpr int COMPARE_MENU = 501;
inline constexpr int COMPARE_TOOLS = 456;
inline constexpr int COMPARE_BUTTON = 1883;
inline constexpr int APPEND_FILE = 7901;
inline constexpr int BATCH_WINDOW = 460;
inline constexpr int BATCH_START = 1108;
inline constexpr int ADD_BOOKMARK = 469;
inline constexpr int DELETE_BOOKMARK = 474;
inline constexpr int PREFERENCES_SETTINGS = 105;
inline constexpr int PREFERENCES_OPTIONS = 502;
inline constexpr int PREFERENCES_PROXY = 503;
inline constexpr int PREFERENCES_SOUND = 505;
inline constexpr int PREFERENCES_AUTO_RENAME = 506;
} // namespace cmd

class Shell {
public:
    Shell(Window& window, Engine& engine, Settings& settings, Prompts& prompts, Sounds& sounds);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Registers the shell's event handler with the engine (once); false when the engine refused.
    bool start_engine(int timeout_ms);

    [[nodiscard]] ShellContext& context() { return ctx_; }
    [[nodiscard]] SessionControl& sessions() { return sessions_; }
    [[nodiscard]] EngineEventHandler& events() { return events_; }
    [[nodiscard]] RemoteBrowser& browser() { return browser_; }
    [[nodiscard]] TypedCommands& typed() { return typed_; }
    [[nodiscard]] Transfers& transfers() { return transfers_; }
    [[nodiscard]] WebBrowsing& web() { return web_; }
    [[nodiscard]] MoveFile& move_file() { return move_file_; }
    [[nodiscard]] TaskCommands& task_commands() { return task_commands_; }
    [[nodiscard]] ViewEdit& view_edit() { return view_edit_; }
    [[nodiscard]] ChmodCommand& chmod_command() { return chmod_; }

    // The command table: a command id handled by the logic. Runs it and returns true, or false when
    // the id is not the logic's (the window handles it).
    bool run_command(int id);
    void set_command(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
    [[nodiscard]] bool has_command(int id) const { return commands_.contains(id); }

    // Button 2011: connect, hammer, disconnect or cancel, by the selection and the session's state.
    void connect_button();
    void save_log();
    void command_dialog();

    [[nodiscard]] std::map<int, bool> command_states(const PaneState& panes) const;
    [[nodiscard]] int connect_button_caption() const;

private:
    void register_commands();
    void register_file_commands();
    void by_focus(int id, int local, int remote, int tree);
    ShellContext ctx_;
    SessionControl sessions_;
    EngineEventHandler events_;
    RemoteBrowser browser_;
    TypedCommands typed_;
    Transfers transfers_;
    WebBrowsing web_;
    MoveFile move_file_;
    TaskCommands task_commands_;
    ViewEdit view_edit_;
    ChmodCommand chmod_;
    std::map<int, std::function<void()>> commands_;
    std::string last_command_line_;
    int filter_id_ = 0;
};

} // namespace kestovan
