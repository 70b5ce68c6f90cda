// Hammering: repeated connection attempts to a busy server, on timer 996.
#include "platform/window.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/session_control.h"

namespace kestovan {

namespace {
constexpr std::uint32_t TIMER_HAMMER = 996;
constexpr int HAMMER_TICKS_PER_ATTEMPT = 10;

bool hammering_anywhere(const EntryChain& level)
{
    for (const auto& node : level) {
        if (node->kind == KIND_SITE && node->find_session() && node->find_session()->hammer_attempt != 0)
            return true;
        if (node->kind == KIND_PROFILE_FOLDER && hammering_anywhere(node->children))
            return true;
    }
    return false;
}
} // namespace

void SessionControl::start_hammer(DirEntry* node)
{
    DirEntry* site = ctx_.site_node_of(node);
    SiteProfile* profile = ctx_.profile_of(site);
    if (!profile)
        return;
    profile->hammer_attempt = 1;
    profile->hammer_ticks = HAMMER_TICKS_PER_ATTEMPT + 1;
    if (!ctx_.window.has_timer(TIMER_HAMMER))
        ctx_.window.set_timer(TIMER_HAMMER, ctx_.settings.integer(KEY_HDELAY) / 10);
    ctx_.window.post_message(WM_TIMER, TIMER_HAMMER);
    update_node(site);
    ctx_.view->command_states_changed();
}

void SessionControl::stop_hammer(DirEntry* node)
{
    SiteProfile* profile = ctx_.profile_of(node);
    if (profile && profile->hammer_attempt != 0) {
        profile->hammer_attempt = 0;
        update_node(ctx_.site_node_of(node));
    }
    if (!any_hammering())
        ctx_.window.kill_timer(TIMER_HAMMER);
}

bool SessionControl::any_hammering() const
{
    return hammering_anywhere(ctx_.tree);
}

void SessionControl::hammer_tick()
{
    if (ctx_.settings.integer(KEY_HCOUNT) == 0)
        ctx_.settings.set_integer(KEY_HCOUNT, 1);
    hammer_walk(ctx_.tree);
}

void SessionControl::hammer_walk(EntryChain& level)
{
    // Nodes may go while a connect runs (a failed attempt): walk over a snapshot.
    std::vector<DirEntry*> nodes;
    for (auto& node : level)
        nodes.push_back(node.get());
    for (DirEntry* node : nodes) {
        if (node->kind == KIND_PROFILE_FOLDER) {
            hammer_walk(node->children);
            continue;
        }
        SiteProfile* profile = node->kind == KIND_SITE ? node->find_session() : nullptr;
        if (!profile || profile->hammer_attempt == 0)
            continue;
        Session* first = profile->sessions;
        if (first && first->state == SESSION_CONNECTING) {
            profile->hammer_ticks = 0;
            continue;
        }
        if (ctx_.is_transferring(node)) {
            profile->hammer_ticks = 0;
            continue;
        }
        if (first && first->state == SESSION_CONNECTED && ctx_.live_connection(*first))
            continue;
        ++profile->hammer_ticks;
        if (profile->hammer_attempt > ctx_.settings.integer(KEY_HCOUNT)) {
            stop_hammer(node);
            continue;
        }
        if (profile->hammer_ticks <= HAMMER_TICKS_PER_ATTEMPT)
            continue;
        profile->hammer_ticks = 0;
        profile->node = node;
        Session& session = first ? *first : ctx_.new_session(*profile);
        session.state = SESSION_CONNECTING;
        ++profile->hammer_attempt;
        if (!open_connection(session, *node, LOG_NAVY))
            session.state = SESSION_IDLE;
    }
}

} // namespace kestovan
