#include "shell/session_control.h"

#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "platform/window.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <cctype>

namespace kestovan {

namespace {

bool same_without_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

TlsMode tls_mode_of(const SiteProfile& profile)
{
    switch (profile.encryption) {
    case ENCRYPTION_PLAIN: return TLS_NONE;
    case ENCRYPTION_EXPLICIT_IF_AVAILABLE: return TLS_EXPLICIT_IF_AVAILABLE;
    case ENCRYPTION_IMPLICIT: return TLS_IMPLICIT;
    default: return TLS_EXPLICIT;
    }
}

std::optional<std::string> folder_of_pwd_reply(std::string_view reply)
{
    auto open = reply.find('"');
    if (open == std::string_view::npos)
        return std::nullopt;
    // A quote inside the folder name is doubled (RFC 959); the folder ends at a lone quote.
    std::string folder;
    for (std::size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == '"') {
            if (i + 1 < reply.size() && reply[i + 1] == '"') {
                folder.push_back('"');
                ++i;
                continue;
            }
            return folder == "/" ? std::string() : folder;
        }
        folder.push_back(reply[i]);
    }
    return std::nullopt;
}

void SessionControl::update_node(DirEntry* node)
{
    if (node)
        ctx_.view->tree_item_changed(*node);
}

bool SessionControl::open_connection(Session& session, DirEntry& site, std::uint32_t colour)
{
    SiteProfile& profile = *session.profile;
    const LoginValues login = anonymous_login(profile, ctx_.settings.text(KEY_EMAIL));
    if (apply_proxy)
        apply_proxy();
    const int port = profile.port ? std::atoi(profile.port->c_str()) : 0;
    Session* record = &session;
    FtpConnection* conn = open_session(
        ctx_.engine, login.user, login.password, profile.account.value_or(""), ctx_.server_of(&profile), port,
        record,
        [this, record](FtpConnection& c, bool ok) {
            Session* live = ctx_.find_session(record);
            if (live && live->connection == &c)
                login_completed(*live, ok);
            return 0;
        },
        nullptr, nullptr, tls_mode_of(profile));
    if (!conn)
        return false;
    session.connection = conn;
    session.connection_serial = conn->serial;
    conn->passive = profile.passive;
    conn->case_flags = profile.name_case;
    const std::string line = format_string(IDS_LOG_CONNECTING_TO, ctx_.server_of(&profile));
    ctx_.log.append(&profile, line, colour);
    ctx_.status.set_text(STATUS_MESSAGE, line.substr(line.find_first_not_of("\r\n")));
    update_node(&site);
    return true;
}

void SessionControl::connect(DirEntry* node, bool only_connect)
{
    SiteProfile* profile = ctx_.profile_of(node);
    if (!node || !profile)
        return;
    DirEntry* site = ctx_.site_node_of(node);
    Session* first = profile->sessions;
    if (first && first->connection && !ctx_.live_connection(*first))
        first->connection = nullptr;
    if (node->kind == KIND_PROFILE_FOLDER)
        return;
    if (node->kind == KIND_URL_PROFILE) {
        if (fetch_url_profile)
            fetch_url_profile(*node);
        return;
    }
    if (node->kind == KIND_WEB_LINK) {
        if (open_web_link && ctx_.selected)
            open_web_link(*ctx_.selected);
        return;
    }
    if (!site)
        return;
    if (first && first->state == SESSION_CONNECTING) {
        cancel_connecting(*first, *site);
        return;
    }
    if (first && ctx_.is_transferring(site)) {
        abort_transfer(*first);
        if (FtpConnection* conn = ctx_.live_connection(*first))
            clear_queue(ctx_.engine, *conn);
        stop_hammer(site);
        return;
    }
    if (first && first->state == SESSION_CONNECTED && ctx_.live_connection(*first)) {
        if (!only_connect) {
            close_session(ctx_.engine, *first->connection);
            stop_hammer(site);
        }
        return;
    }
    if (profile->hammer_attempt != 0 && !only_connect) {
        stop_hammer(site);
        ctx_.view->command_states_changed();
        return;
    }
    ctx_.view->select_tree_node(*site);
    stop_hammer(site);
    if (ctx_.server_of(profile).empty())
        return;
    // A record waiting with an operation (asked to connect first) becomes the session itself, so
    // its operation runs after this login.
    Session* session =
        first && first->state == SESSION_IDLE && !first->connection && first->operation != OP_NONE
            ? first
            : &ctx_.new_session(*profile);
    profile->node = site;
    session->state = SESSION_CONNECTING;
    open_connection(*session, *site, LOG_GREEN);
    ctx_.view->command_states_changed();
}

void SessionControl::cancel_connecting(Session& first, DirEntry& site)
{
    SiteProfile* profile = first.profile;
    if (FtpConnection* conn = ctx_.live_connection(first))
        ctx_.engine.destroy_connection(conn, true);
    if (Session* still = ctx_.find_session(&first)) {
        still->state = SESSION_IDLE;
        ctx_.unlink_session(*still);
        ctx_.free_session(*still);
    }
    ctx_.status.clear_transfer();
    const std::string cancel = load_string(IDS_LOG_CANCEL);
    ctx_.log.append(profile, cancel, LOG_NAVY);
    ctx_.status.set_text(STATUS_MESSAGE, cancel);
    update_node(&site);
    stop_hammer(&site);
    ctx_.view->command_states_changed();
}

void SessionControl::abort_transfer(Session& session)
{
    FtpConnection* conn = ctx_.live_connection(session);
    if (!conn)
        return;
    if (session.profile) {
        if (conn->data_connection)
            ctx_.engine.close_connection_guarded(conn->data_connection);
        // The queue is cleared behind this without callbacks: the row ends here, and the rate of a
        // transfer that no longer runs goes from the status bar.
        ctx_.tasks.finish_row(session.task_row, false);
        ctx_.status.clear_transfer();
        const std::string aborted = load_string(IDS_LOG_TRANSFER_ABORTED);
        ctx_.status.set_text(STATUS_MESSAGE, aborted);
        ctx_.log.append(session.profile, aborted, LOG_NAVY);
        return;
    }
    if (conn->data_connection)
        ctx_.engine.destroy_connection(conn->data_connection, true);
    if (ctx_.live_connection(session))
        ctx_.engine.destroy_connection(conn, true);
    ctx_.status.clear_transfer();
    const std::string aborted = load_string(IDS_LOG_TRANSFER_ABORTED);
    ctx_.status.set_text(STATUS_MESSAGE, aborted);
    ctx_.log.append(nullptr, aborted, LOG_NAVY);
}

void SessionControl::disconnect(DirEntry* node)
{
    SiteProfile* profile = ctx_.profile_of(node);
    if (!profile)
        return;
    std::vector<Session*> all;
    for (Session* s = profile->sessions; s; s = s->next)
        all.push_back(s);
    for (Session* s : all)
        if (Session* live = ctx_.find_session(s))
            if (FtpConnection* conn = ctx_.live_connection(*live))
                close_session(ctx_.engine, *conn);
    stop_hammer(ctx_.site_node_of(node));
}

int SessionControl::queue_pending(DirEntry* node, DirEntry* selection, const std::vector<DirEntry*>& entries,
                                  const LocalChain& items, PendingOperation code, const std::string& text)
{
    if (!node || ctx_.is_connected(node))
        return 0;
    SiteProfile* profile = ctx_.profile_of(node);
    if (!profile)
        return 0;
    if (!ctx_.unattended) {
        PromptAnswer answer =
            ctx_.prompts.question(format_string(IDS_CAPTION_SITE_NOT_CONNECTED, node->name),
                                  load_string(IDS_ASK_CONNECT_FIRST), PromptButtons::YesNoCancel);
        if (answer != PromptAnswer::Yes)
            return -1;
    }
    ctx_.post_command(2011);
    auto record = std::make_unique<Session>();
    record->operation_node = node;
    record->operation = code;
    switch (code) {
    case OP_LIST: record->operation_text = text; break; // the folder to list, as a spawned listing keeps it
    case OP_DOWNLOAD:
        record->operation_text = text.empty() ? ctx_.local_folder : text;
        record->operation_entries = entries;
        break;
    case OP_UPLOAD: record->operation_items = items; break;
    case OP_DELETE: record->operation_entries = entries; break;
    case OP_OPEN:
    case OP_OPEN_FILE:
    case OP_VIEW:
    case OP_EDIT:
        if (selection)
            record->operation_entries = {selection};
        break;
    default: record->operation_argument = text; break;
    }
    record->profile = profile;
    Session* raw = record.get();
    if (!profile->sessions) {
        profile->sessions = raw;
    } else {
        if (profile->pending_slot)
            if (Session* old = ctx_.find_session(profile->pending_slot))
                ctx_.free_session(*old);
        profile->pending_slot = raw;
    }
    ctx_.sessions.push_back(std::move(record));
    return 1;
}

void SessionControl::run_pending(Session& record)
{
    auto it = runners_.find(record.operation);
    if (it != runners_.end() && it->second)
        it->second(record);
}

void SessionControl::spawn_connection(DirEntry* node, const std::vector<DirEntry*>& entries,
                                      const LocalChain& items, const std::string& text, PendingOperation code)
{
    SiteProfile* profile = ctx_.profile_of(node);
    DirEntry* site = ctx_.site_node_of(node);
    if (!profile || !site)
        return;
    Session& session = ctx_.new_session(*profile);
    session.operation_node = node;
    session.operation = code;
    session.operation_text = text;
    session.operation_entries = entries;
    session.operation_items = items;
    session.state = SESSION_CONNECTING;
    ctx_.log.append(profile, load_string(IDS_LOG_SPAWNING_CONNECTION), LOG_GREEN);
    open_connection(session, *site, LOG_GREEN);
}

void SessionControl::login_completed(Session& session, bool ok)
{
    SiteProfile* profile = session.profile;
    DirEntry* node = profile ? profile->node : nullptr;
    if (!ok) {
        session.state = SESSION_IDLE;
        update_node(node);
        ctx_.view->title_changed();
        ctx_.view->command_states_changed();
        if (profile && profile->pending_slot) {
            if (Session* pending = ctx_.find_session(profile->pending_slot))
                ctx_.free_session(*pending);
            profile->pending_slot = nullptr;
        }
        // Disconnect once the engine has finished with the failed login.
        Session* record = &session;
        ctx_.defer([this, record] {
            if (Session* live = ctx_.find_session(record))
                if (FtpConnection* conn = ctx_.live_connection(*live); conn && conn->socket)
                    close_session(ctx_.engine, *conn);
        });
        return;
    }
    session.state = SESSION_CONNECTED;
    update_node(node);
    ctx_.view->title_changed();
    ctx_.view->command_states_changed();
    if (profile && profile->hammer_attempt != 0)
        stop_hammer(node);
    if (profile && !profile->temporary && !profile->batch_task && node) {
        if (ctx_.settings.add_recent_profile(node->name + ":" + profile->file_path.value_or("")))
            ctx_.view->recent_profiles_changed();
    }
    ctx_.sounds.play(SOUND_FTP_CONNECT);
    if (profile && profile->batch_task) {
        if (start_task_transfer)
            start_task_transfer(session);
        return;
    }
    if (session.operation != OP_NONE) {
        run_pending(session);
        return;
    }
    after_login(session, node);
}

void SessionControl::after_login(Session& session, DirEntry* node)
{
    SiteProfile* profile = session.profile;
    FtpConnection* conn = ctx_.live_connection(session);
    if (!conn || !profile)
        return;
    if (profile->remote_folder && !profile->remote_folder->empty())
        send_cwd(ctx_.engine, conn, *profile->remote_folder);
    if (profile->local_folder && !profile->local_folder->empty() &&
        !same_without_case(*profile->local_folder, ctx_.local_folder) && !profile->pending_slot) {
        ctx_.local_folder = *profile->local_folder;
        ctx_.view->local_list_changed();
    }
    Session* record = &session;
    send_pwd(ctx_.engine, conn, [this, record](FtpConnection& c, bool ok) {
        Session* live = ctx_.find_session(record);
        if (ok && live && !c.queue.empty())
            pwd_reply(*live, c.queue.front()->reply);
        return 1;
    });
    if (node && request_node_listing)
        request_node_listing(session, *node);
}

void SessionControl::pwd_reply(Session& session, const std::string& reply)
{
    SiteProfile* profile = session.profile;
    if (auto folder = folder_of_pwd_reply(reply); folder && profile && profile->node)
        profile->node->site_folder = *folder;
    if (profile && profile->pending_slot) {
        Session* pending = ctx_.find_session(profile->pending_slot);
        profile->pending_slot = nullptr;
        if (pending) {
            // The stored operation runs on this session's connection.
            session.operation = pending->operation;
            session.operation_text = pending->operation_text;
            session.operation_entries = pending->operation_entries;
            session.operation_items = pending->operation_items;
            session.operation_argument = pending->operation_argument;
            session.operation_node = pending->operation_node;
            ctx_.free_session(*pending);
            run_pending(session);
        }
    } else if (profile && profile->sessions && profile->sessions->operation != OP_NONE &&
               profile->sessions != &session) {
        run_pending(*profile->sessions);
    }
    if (Session* live = ctx_.find_session(&session))
        live->operation = OP_NONE;
}

} // namespace kestovan
