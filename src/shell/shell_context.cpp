#include "shell/shell_context.h"

#include "platform/window.h"
#include "profiles/site_profile.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>

namespace kestovan {

ShellContext::ShellContext(Window& w, Engine& e, Settings& s, Prompts& p, Sounds& snd)
    : window(w), engine(e), settings(s), prompts(p), sounds(snd), view(&null_view_)
{
    filter_id_ = window.install_filter([this](const Message& m) {
        if (m.id != WM_SHELL_DEFERRED)
            return false;
        auto calls = std::move(deferred_);
        deferred_.clear();
        for (auto& call : calls)
            call();
        return true;
    });
}

ShellContext::~ShellContext()
{
    window.remove_filter(filter_id_);
}

void ShellContext::defer(std::function<void()> fn)
{
    if (deferred_.empty())
        window.post_message(WM_SHELL_DEFERRED);
    deferred_.push_back(std::move(fn));
}

void ShellContext::post_error_box(bool upload_error, std::string text)
{
    defer([this, upload_error, text = std::move(text)] {
        prompts.message(load_string(upload_error ? IDS_CAPTION_UPLOAD_ERROR : IDS_CAPTION_FILE_ERROR), text,
                        upload_error ? PromptIcon::Error : PromptIcon::None);
    });
}

void ShellContext::post_command(int command)
{
    window.post_message(WM_COMMAND, static_cast<std::uint64_t>(command));
}

Session& ShellContext::new_session(SiteProfile& profile)
{
    auto session = std::make_unique<Session>();
    session->profile = &profile;
    session->next = profile.sessions;
    if (profile.sessions)
        profile.sessions->previous = session.get();
    profile.sessions = session.get();
    sessions.push_back(std::move(session));
    return *sessions.back();
}

void ShellContext::unlink_session(Session& session)
{
    SiteProfile* profile = session.profile;
    if (session.previous)
        session.previous->next = session.next;
    else if (profile && profile->sessions == &session)
        profile->sessions = session.next;
    if (session.next)
        session.next->previous = session.previous;
    if (profile && profile->pending_slot == &session)
        profile->pending_slot = nullptr;
    session.next = session.previous = nullptr;
}

void ShellContext::free_session(Session& session)
{
    unlink_session(session);
    tasks.forget_session(&session);
    if (session.connection && engine.is_live(session.connection, session.connection_serial))
        session.connection->owner = nullptr;
    std::erase_if(sessions, [&](const auto& s) { return s.get() == &session; });
}

Session* ShellContext::find_session(const void* owner) const
{
    for (const auto& s : sessions)
        if (s.get() == owner)
            return s.get();
    return nullptr;
}

Session* ShellContext::session_of(const FtpConnection* conn) const
{
    return conn ? find_session(conn->owner) : nullptr;
}

FtpConnection* ShellContext::live_connection(const Session& session) const
{
    return session.connection && engine.is_live(session.connection, session.connection_serial)
               ? session.connection
               : nullptr;
}

DirEntry* ShellContext::site_node_of(DirEntry* node)
{
    for (DirEntry* n = node; n; n = n->parent)
        if (n->kind == KIND_SITE)
            return n;
    return nullptr;
}

namespace {
bool contains_node(const EntryChain& level, const DirEntry* node)
{
    for (const auto& child : level)
        if (child.get() == node || contains_node(child->children, node))
            return true;
    return false;
}
} // namespace

void ShellContext::remove_remote_node(DirEntry& node)
{
    DirEntry* parent = node.parent;
    if (!parent)
        return;
    view->tree_node_removing(node);
    if (is_within(node, selected))
        selected = nullptr;
    if (is_within(node, previous_folder))
        previous_folder = nullptr;
    if (is_within(node, current_session_node))
        current_session_node = parent;
    if (is_within(node, shown_folder))
        shown_folder = parent;
    if (SiteProfile* profile = profile_of(parent); profile && is_within(node, profile->refresh_node))
        profile->refresh_node = nullptr;
    std::erase_if(parent->children, [&](const auto& child) { return child.get() == &node; });
}

bool ShellContext::node_alive(const DirEntry* node) const
{
    return node && contains_node(tree, node);
}

SiteProfile* ShellContext::profile_of(const DirEntry* node)
{
    return node ? node->find_session() : nullptr;
}

Session* ShellContext::first_session(const DirEntry* node)
{
    SiteProfile* profile = profile_of(node);
    return profile ? profile->sessions : nullptr;
}

bool ShellContext::is_connected(const DirEntry* node) const
{
    Session* s = first_session(node);
    return s && s->state == SESSION_CONNECTED && live_connection(*s);
}

bool ShellContext::is_transferring(const DirEntry* node) const
{
    Session* s = first_session(node);
    FtpConnection* conn = s ? live_connection(*s) : nullptr;
    return conn && conn->data_connection;
}

bool ShellContext::is_busy(const DirEntry* node) const
{
    Session* s = first_session(node);
    FtpConnection* conn = s ? live_connection(*s) : nullptr;
    return conn && (conn->busy != 0 || !conn->queue.empty());
}

std::string ShellContext::server_of(const SiteProfile* profile)
{
    return profile && profile->server ? *profile->server : std::string();
}

} // namespace kestovan
