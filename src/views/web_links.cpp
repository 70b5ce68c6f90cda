#include "views/web_links.h"

#include "profiles/site_profile.h"
#include "queue/task.h"
#include "ui/language.h"
#include "views/link_harvest.h"
#include "web/http_text.h"
#include "web/web_client.h"

namespace kestovan {

namespace {

std::optional<std::string> url_profile_address(const DirEntry& node)
{
    if (node.profile && node.profile->server && !node.profile->server->empty())
        return node.profile->server;
    if (node.session && node.session->server && !node.session->server->empty())
        return node.session->server;
    return std::nullopt;
}

bool fetchable(const std::string& url)
{
    return (is_http_url(url) || is_https_url(url)) && is_safe_url(url);
}

} // namespace

std::optional<std::string> web_node_url(const DirEntry& node)
{
    if (node.kind == KIND_URL_PROFILE) {
        auto url = url_profile_address(node);
        return url && fetchable(*url) ? url : std::nullopt;
    }
    if (node.kind != KIND_WEB_LINK)
        return std::nullopt;
    if (node.path && fetchable(*node.path))
        return node.path;
    if (fetchable(node.name))
        return node.name;
    // A relative link is relative to the page it was found on: its parent's address.
    if (!node.parent)
        return std::nullopt;
    auto page = web_node_url(*node.parent);
    if (!page)
        return std::nullopt;
    auto url = resolve_reference(*page, node.name);
    return url && fetchable(*url) ? url : std::nullopt;
}

HarvestOutcome links_harvested(DirEntry& node, const WebRequest& request, const HarvestView& view)
{
    if (request.failed()) {
        if (view.task_state)
            view.task_state(TASK_FAILED);
        return HarvestOutcome::FAILED;
    }
    const std::string_view page = request.body();
    if (page.empty())
        return HarvestOutcome::EMPTY_PAGE;
    if (!node.children.empty()) {
        if (view.removing_children)
            view.removing_children(node);
        node.children.clear();
    }
    for (std::string& link : harvest_links(page)) {
        auto child = std::make_unique<DirEntry>();
        child->kind = KIND_WEB_LINK;
        // The name stays as found; the address is the link resolved against the page it was found
        // on, which after a redirection is not the profile's own address.
        if (auto address = resolve_reference(request.url, link); address && fetchable(*address))
            child->path = std::move(address);
        child->name = std::move(link);
        node.add_child(std::move(child));
    }
    if (view.children_added)
        view.children_added(node);
    if (node.children.empty() && view.post_information) {
        const std::string address = web_node_url(node).value_or(node.name);
        view.post_information(format_string<IDS_MSG_NO_FILE_LINKS>(address));
    }
    if (view.task_state)
        view.task_state(TASK_DONE);
    return HarvestOutcome::HARVESTED;
}

WebRequest* fetch_links(WebClient& client, DirEntry& node, HarvestView view)
{
    auto url = web_node_url(node);
    if (!url)
        return nullptr;
    DirEntry* target = &node;
    return client.web_fetch(*url, std::nullopt, 0, target,
                            [&client, view = std::move(view)](WebRequest& request, void* owner) {
                                // Pages that moved are followed; the harvest waits for the last one.
                                if (client.can_follow(request))
                                    return WEB_FOLLOW_REDIRECT;
                                links_harvested(*static_cast<DirEntry*>(owner), request, view);
                                return 0;
                            });
}

} // namespace kestovan
