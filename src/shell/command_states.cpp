#include "shell/command_states.h"

#include "profiles/site_profile.h"
#include "ui/language.h"
#include "ui/string_ids.h"

namespace kestovan {

namespace {

bool is_kind(const DirEntry* node, std::initializer_list<std::uint8_t> kinds)
{
    if (!node)
        return false;
    for (auto k : kinds)
        if (node->kind == k)
            return true;
    return false;
}

bool is_link_like(const DirEntry* node)
{
    return is_kind(node, {KIND_URL_PROFILE, KIND_WEB_LINK, KIND_PROFILE_FOLDER});
}

bool connecting(const ShellContext& ctx, const DirEntry* node)
{
    Session* s = ctx.first_session(node);
    return s && s->state == SESSION_CONNECTING;
}

std::string session_name(const ShellContext& ctx)
{
    const DirEntry* node = ctx.current_session_node;
    const SiteProfile* profile = ctx.profile_of(node);
    if (!profile)
        return {};
    if (profile->name)
        return *profile->name;
    const DirEntry* site = ctx.site_node_of(const_cast<DirEntry*>(node));
    return site ? site->name : node->name;
}

std::string state_word(const ShellContext& ctx)
{
    if (!ctx.is_connected(ctx.current_session_node))
        return load_string(IDS_STATE_DISCONNECTED);
    return load_string(encrypted_session(ctx) ? IDS_STATE_CONNECTED_ENCRYPTED : IDS_STATE_CONNECTED);
}

} // namespace

int connect_button_caption(const ShellContext& ctx, bool hammering)
{
    const DirEntry* node = ctx.current_session_node;
    if (ctx.selected && ctx.selected->kind == KIND_WEB_LINK)
        return IDS_BTN_CONNECT_VIEW;
    if (ctx.is_transferring(node) || connecting(ctx, node) || hammering)
        return IDS_BTN_CONNECT_CANCEL;
    if (ctx.is_connected(node))
        return IDS_BTN_CONNECT_DISCONNECT;
    return IDS_BTN_CONNECT_HAMMER;
}

std::map<int, bool> compute_command_states(const ShellContext& ctx, const PaneState& panes, bool hammering)
{
    std::map<int, bool> on;
    const DirEntry* sel = ctx.selected;
    const DirEntry* current = ctx.current_session_node;
    const bool has_session = ctx.profile_of(current) != nullptr;
    const bool local = ctx.focus == FOCUS_LOCAL;
    const bool remote_or_tree = ctx.focus == FOCUS_REMOTE || ctx.focus == FOCUS_TREE;
    const bool connected = ctx.is_connected(current);
    const bool transferring = ctx.is_transferring(current);

    on[288] = ctx.engine.connection_count() > 0;
    on[318] = !(remote_or_tree && (!has_session || (sel && sel->kind == KIND_WEB_LINK)));
    on[453] = remote_or_tree && is_kind(sel, {KIND_SITE, KIND_URL_PROFILE, KIND_PROFILE_FOLDER});

    bool paste = false;
    if (!has_session || !remote_or_tree) {
        paste = local ? (!panes.local_clipboard_empty || panes.remote_clipboard_first)
                      : panes.system_clipboard_has_text;
    } else {
        paste = !panes.local_clipboard_empty ||
                (panes.remote_clipboard_first && panes.remote_clipboard_first->find_session());
    }
    if (panes.remote_clipboard_first &&
        is_kind(panes.remote_clipboard_first, {KIND_SITE, KIND_PROFILE_FOLDER}) &&
        !is_kind(current, {KIND_SITE, KIND_PROFILE_FOLDER}))
        paste = false;
    on[359] = paste;

    const bool mkdir = !is_link_like(sel) || local;
    on[1873] = on[490] = mkdir;
    const bool command = !is_link_like(sel);
    on[1879] = on[500] = command;
    on[1876] = sel != nullptr || local;
    on[497] = command || local;
    on[1872] = on[498] = has_session || local;
    const bool file = is_kind(sel, {KIND_FILE});
    on[1877] = on[485] = file || local;
    on[1881] = on[484] = file || local;
    on[496] = on[1877] || local;
    on[1548] = on[483] = is_kind(sel, {KIND_FILE, KIND_FOLDER, KIND_WEB_LINK}) || local;
    on[1882] = on[491] = sel && !is_link_like(sel);
    on[1880] = on[499] =
        sel && !is_kind(sel, {KIND_SITE, KIND_URL_PROFILE, KIND_WEB_LINK, KIND_PROFILE_FOLDER});
    on[456] = on[1883] = on[501] =
        current && is_kind(current, {KIND_FILE, KIND_FOLDER, KIND_SITE}) && !current->children.empty();
    on[536] = ctx.previous_folder != nullptr || local;

    const bool terminal = has_session && !is_link_like(sel);
    on[1869] = on[468] = terminal;
    on[2011] = terminal && has_session && !is_kind(sel, {KIND_PROFILE_FOLDER});
    on[1107] = terminal && !connected && !transferring && !is_kind(sel, {KIND_PROFILE_FOLDER});
    on[1106] = terminal && (connected || transferring);
    (void)hammering;

    if (local)
        on[469] = panes.local_item_selected;
    else if (remote_or_tree)
        on[469] = sel && !is_kind(sel, {KIND_PROFILE_FOLDER});
    else
        on[469] = true;
    return on;
}

std::string main_title(const ShellContext& ctx)
{
    std::string title = format_string(IDS_TITLE_MAIN, load_string(IDS_APP_TITLE), session_name(ctx));
    if (!is_link_like(ctx.current_session_node))
        title += " " + state_word(ctx);
    return title;
}

const FtpConnection* encrypted_session(const ShellContext& ctx)
{
    const Session* session = ctx.first_session(ctx.current_session_node);
    const FtpConnection* conn = session ? ctx.live_connection(*session) : nullptr;
    return conn && conn->tls && conn->tls_stage == TLS_READY ? conn : nullptr;
}

std::string encryption_text(const ShellContext& ctx)
{
    const FtpConnection* conn = encrypted_session(ctx);
    return conn ? format_string(IDS_STATUS_ENCRYPTED, conn->tls->version()) : std::string();
}

std::string terminal_title(const ShellContext& ctx)
{
    return format_string(IDS_TITLE_SESSION, session_name(ctx), state_word(ctx));
}

} // namespace kestovan
