// Sessions of site profiles: connecting, cancelling, aborting and disconnecting, the operations that
// wait for a login, extra connections for a busy session, and what happens when a login completes
// or the server reports the current folder.
#pragma once

#include "shell/shell_context.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace kestovan {

class SessionControl {
public:
    explicit SessionControl(ShellContext& ctx) : ctx_(ctx) {}

    // Connects the profile of node, or cancels a connect in progress, aborts a running transfer or
    // disconnects a connected session (unless only_connect).
    void connect(DirEntry* node, bool only_connect);
    void disconnect(DirEntry* node);
    void abort_transfer(Session& session);

    // 0: the node's session is connected, run the operation now; 1: it was stored to run after the
    // login; -1: the user did not want to connect.
    int queue_pending(DirEntry* node, DirEntry* selection, const std::vector<DirEntry*>& entries,
                      const LocalChain& items, PendingOperation code, const std::string& text);
    void run_pending(Session& record);
    // One more session of the node's profile with the same login, carrying the operation.
    void spawn_connection(DirEntry* node, const std::vector<DirEntry*>& entries, const LocalChain& items,
                          const std::string& text, PendingOperation code);

    // The runners of pending operations, registered by the parts of the program that own them.
    using OperationRunner = std::function<void(Session& record)>;
    void set_runner(PendingOperation code, OperationRunner runner) { runners_[code] = std::move(runner); }

    // The login as the engine reports it, and the reply to PWD.
    void login_completed(Session& session, bool ok);
    void pwd_reply(Session& session, const std::string& reply);

    // Opens the engine connection of a session (login values, proxy, open_session); false when the
    // engine could not make one.
    bool open_connection(Session& session, DirEntry& site, std::uint32_t colour);

    // Hammering: repeated connection attempts every `hdelay` ms, at most `hcount` of them (timer 996).
    void start_hammer(DirEntry* node);
    void stop_hammer(DirEntry* node);
    void hammer_tick();
    [[nodiscard]] bool any_hammering() const;

    // Hooks for the parts that follow a login: a batch copy starts its task; the Tasks pane, the
    // recent profiles and the listing are the shell's own.
    std::function<void(Session&)> start_task_transfer;
    std::function<void(Session&, DirEntry& node)> request_node_listing;
    // URL profiles and web links (the web client): fetch a URL profile's page, open a link.
    std::function<void(DirEntry& node)> fetch_url_profile;
    std::function<void(DirEntry& node)> open_web_link;
    // Hands the current proxy settings to the engine before a connection is opened.
    std::function<void()> apply_proxy;

private:
    void cancel_connecting(Session& first, DirEntry& site);
    void update_node(DirEntry* node);
    void after_login(Session& session, DirEntry* node);
    void hammer_walk(EntryChain& level);
    ShellContext& ctx_;
    std::map<PendingOperation, OperationRunner> runners_;
};

// The engine's TLS mode for a profile's encryption choice (a number this version does not know
// requires explicit TLS).
[[nodiscard]] TlsMode tls_mode_of(const SiteProfile& profile);

// The remote current folder in a PWD reply: the quoted part; "/" alone gives the empty text.
[[nodiscard]] std::optional<std::string> folder_of_pwd_reply(std::string_view reply);

} // namespace kestovan
