#include "shell/shell.h"

#include "platform/certificate_store.h"
#include "platform/window.h"
#include "profiles/site_profile.h"
#include "shell/profile_nodes.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

namespace kestovan {

namespace {
constexpr std::uint32_t TIMER_HAMMER = 996;
}

Shell::Shell(Window& window, Engine& engine, Settings& settings, Prompts& prompts, Sounds& sounds)
    : ctx_(window, engine, settings, prompts, sounds), sessions_(ctx_), events_(ctx_, sessions_),
      browser_(ctx_, sessions_, events_), typed_(ctx_, sessions_, events_, browser_),
      transfers_(ctx_, sessions_, browser_), web_(ctx_, sessions_, browser_), move_file_(ctx_, browser_),
      task_commands_(ctx_, web_), view_edit_(ctx_, sessions_, browser_, web_),
      chmod_(ctx_, sessions_, browser_)
{
    register_commands();
    transfers_.remove_profile_node = [this](DirEntry& node) { remove_profile_node(ctx_, node); };
    filter_id_ = window.install_filter([this](const Message& m) {
        if (m.id == WM_TIMER && m.wparam == TIMER_HAMMER) {
            sessions_.hammer_tick();
            return true;
        }
        if (m.id == WM_COMMAND)
            return run_command(static_cast<int>(m.wparam & 0xFFFF));
        return false;
    });
}

Shell::~Shell()
{
    ctx_.window.remove_filter(filter_id_);
}

bool Shell::start_engine(int timeout_ms)
{
    // The system's trust store, and the certificates the user chose to trust always.
    ctx_.engine.set_tls_trust({}, CertificateStore::default_file());
    return ctx_.engine.engine_init(ctx_.window, timeout_ms,
                                   [this](std::int32_t code, FtpConnection* conn, const EventArg& arg) {
                                       events_.handle(code, conn, arg);
                                   }) == 1;
}

bool Shell::run_command(int id)
{
    auto it = commands_.find(id);
    if (it == commands_.end() || !it->second)
        return false;
    auto handler = it->second; // a handler may replace itself
    handler();
    return true;
}

void Shell::register_commands()
{
    auto move = [this] {
        if (ctx_.focus == FOCUS_LOCAL) {
            if (auto item = ctx_.view->selected_local_item())
                move_file_.move_local(*item);
        } else if (ctx_.selected) {
            move_file_.move_remote(*ctx_.selected);
        }
    };
    for (int id : {496, 407, 408, 409})
        set_command(id, move);
    auto connect_selected = [this] {
        if (ctx_.selected)
            sessions_.connect(ctx_.selected, false);
        else
            ctx_.view->open_profile_manager(nullptr);
    };
    auto disconnect_current = [this] {
        sessions_.disconnect(ctx_.current_session_node);
        ctx_.view->command_states_changed();
    };
    auto hammer_current = [this] { sessions_.start_hammer(ctx_.current_session_node); };
    auto stop_hammer_current = [this] {
        sessions_.stop_hammer(ctx_.current_session_node);
        ctx_.view->command_states_changed();
    };
    auto refresh = [this] { browser_.refresh(); };
    commands_[cmd::DISCONNECT_ALL] = [this] {
        ctx_.engine.destroy_all_connections();
        ctx_.status.set_text(STATUS_MESSAGE, "");
        ctx_.status.clear_transfer();
        ctx_.view->command_states_changed();
    };
    commands_[cmd::CONNECT_BUTTON] = [this] { connect_button(); };
    commands_[cmd::HAMMER_TOOLBAR] = [this] {
        DirEntry* node = ctx_.selected ? ctx_.selected : ctx_.current_session_node;
        if (node && node->kind == KIND_URL_PROFILE) {
            sessions_.connect(node, false);
            return;
        }
        DirEntry* current = ctx_.current_session_node;
        if (current && !ctx_.is_busy(current) && !ctx_.is_connected(current))
            sessions_.start_hammer(current);
    };
    commands_[cmd::DISCONNECT_TOOLBAR] = disconnect_current;
    commands_[cmd::DISCONNECT_MENU] = disconnect_current;
    commands_[cmd::DISCONNECT_LIST_MENU] = disconnect_current;
    commands_[cmd::CONNECT_TREE] = connect_selected;
    commands_[cmd::CONNECT_LIST] = connect_selected;
    commands_[cmd::HAMMER_TREE] = hammer_current;
    commands_[cmd::HAMMER_LIST] = hammer_current;
    commands_[cmd::HAMMER_STOP_TREE] = stop_hammer_current;
    commands_[cmd::HAMMER_STOP_LIST] = stop_hammer_current;
    commands_[cmd::REFRESH_TREE] = refresh;
    commands_[cmd::REFRESH_LIST] = refresh;
    commands_[cmd::SAVE_LOG] = [this] { save_log(); };
    for (int id : {cmd::COMMAND_MENU, cmd::COMMAND_LIST, cmd::COMMAND_TREE, cmd::COMMAND_BUTTON})
        commands_[id] = [this] { command_dialog(); };
    register_file_commands();
}

void Shell::by_focus(int id, int local, int remote, int tree)
{
    commands_[id] = [this, local, remote, tree] {
        run_command(ctx_.focus == FOCUS_LOCAL ? local : ctx_.focus == FOCUS_REMOTE ? remote : tree);
    };
}

void Shell::register_file_commands()
{
    for (int id : {cmd::OPEN_LIST, cmd::OPEN_TREE})
        commands_[id] = [this] { view_edit_.open_remote(ctx_.selected); };
    for (int id : {cmd::VIEW_LIST, cmd::VIEW_TREE})
        commands_[id] = [this] { view_edit_.view_remote(ctx_.selected); };
    for (int id : {cmd::EDIT_LIST, cmd::EDIT_TREE})
        commands_[id] = [this] { view_edit_.edit_remote(ctx_.selected); };
    for (int id : {cmd::VIEW_MENU, cmd::VIEW_BUTTON})
        by_focus(id, cmd::VIEW_LOCAL, cmd::VIEW_LIST, cmd::VIEW_TREE);
    for (int id : {cmd::EXECUTE_MENU, cmd::EXECUTE_BUTTON})
        by_focus(id, cmd::OPEN_LOCAL, cmd::OPEN_LIST, cmd::OPEN_TREE);
    for (int id : {cmd::EDIT_MENU, cmd::EDIT_BUTTON})
        by_focus(id, cmd::VIEW_LOCAL, cmd::EDIT_LIST, cmd::EDIT_TREE);
    // The selected folder (or site) of the list or tree, else the folder the list shows.
    auto directory_info = [this] {
        DirEntry* node = ctx_.selected;
        if (!node || (node->kind != KIND_FOLDER && node->kind != KIND_LINK && node->kind != KIND_SITE))
            node = ctx_.shown_folder;
        view_edit_.directory_info(node);
    };
    for (int id : {cmd::DIR_INFO_MENU, cmd::DIR_INFO_LIST, cmd::DIR_INFO_TREE, cmd::DIR_INFO_BUTTON})
        commands_[id] = directory_info;
    for (int id : {cmd::CHMOD_MENU, cmd::CHMOD_TREE, cmd::CHMOD_LIST, cmd::CHMOD_BUTTON})
        commands_[id] = [this] { chmod_.open_chmod(ctx_.selected); };
}

void Shell::connect_button()
{
    if (!ctx_.selected && ctx_.current_session_node)
        ctx_.selected = ctx_.current_session_node;
    DirEntry* node = ctx_.selected;
    if (!node)
        return;
    if (node->kind == KIND_URL_PROFILE || node->kind == KIND_WEB_LINK) {
        sessions_.connect(node, false);
    } else if (ctx_.is_transferring(ctx_.current_session_node) ||
               ctx_.is_connected(ctx_.current_session_node) ||
               (ctx_.first_session(node) && ctx_.first_session(node)->state == SESSION_CONNECTING)) {
        sessions_.connect(node, false);
    } else if (SiteProfile* profile =
                   ctx_.profile_of(ctx_.current_session_node ? ctx_.current_session_node : node);
               profile && profile->hammer_attempt != 0) {
        sessions_.stop_hammer(ctx_.current_session_node ? ctx_.current_session_node : node);
    } else {
        sessions_.start_hammer(node);
    }
    ctx_.view->command_states_changed();
}

void Shell::save_log()
{
    auto file = ctx_.prompts.save_file(load_string(IDS_DLG_SAVE_SESSION_LOG), ctx_.working_folder.string(),
                                       "log.txt", "*.txt");
    if (!file)
        return;
    const SiteProfile* profile = ctx_.profile_of(ctx_.current_session_node);
    if (!SessionLog::save(profile, *file))
        ctx_.prompts.message(load_string(IDS_CAPTION_ERROR), load_string(IDS_ERR_OPEN_FOR_WRITING),
                             PromptIcon::Error);
}

void Shell::command_dialog()
{
    auto line = ctx_.prompts.text(load_string(IDS_DLG_COMMAND), load_string(IDS_PROMPT_FTP_COMMAND),
                                  last_command_line_);
    if (!line || line->empty())
        return;
    last_command_line_ = *line;
    typed_.typed_command(ctx_.current_session_node, *line);
}

std::map<int, bool> Shell::command_states(const PaneState& panes) const
{
    return compute_command_states(ctx_, panes, sessions_.any_hammering());
}

int Shell::connect_button_caption() const
{
    const SiteProfile* profile = ctx_.profile_of(ctx_.current_session_node);
    return kestovan::connect_button_caption(ctx_, profile && profile->hammer_attempt != 0);
}

} // namespace kestovan
