// URL profiles and web links in the remote tree: fetching the page a node stands for and turning the
// links on it into web-link children. Widget-free: the panes take part through HarvestView.
#pragma once

#include "views/dir_entry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kestovan {

class WebClient;
struct WebRequest;

// What the panes do around a harvest; every member may be left empty.
struct HarvestView {
    // The node's children are about to be deleted: empty the remote list, forget their tree items.
    std::function<void(DirEntry& node)> removing_children;
    // The node has its new children: when it is the shown folder, fill the list again and sort it.
    std::function<void(DirEntry& node)> children_added;
    // An information message, to be shown after the handler has returned (posted).
    std::function<void(const std::string& text)> post_information;
    // The fetch's task row: TASK_DONE or TASK_FAILED; redraw it.
    std::function<void(std::uint8_t state)> task_state;
};

enum class HarvestOutcome {
    FAILED,     // the fetch failed; nothing changed but the task's state
    EMPTY_PAGE, // no page text; nothing changed
    HARVESTED,  // the children were replaced (possibly by none)
};

// The address a URL-profile or web-link node stands for: a URL profile's URL; for a web link the
// address its harvest resolved against the page it was found on (kept in `path`), else its name,
// resolved against its parent's address when it is relative. nullopt for other kinds, and for
// links that are no http or https address (mailto:, javascript:, ...).
[[nodiscard]] std::optional<std::string> web_node_url(const DirEntry& node);

// The page of `request` has arrived for `node`: replaces the node's children by its links.
HarvestOutcome links_harvested(DirEntry& node, const WebRequest& request, const HarvestView& view);

// Fetches the node's page and harvests it when it arrives; the request, or null when the node has no
// fetchable address or the fetch could not start. The node must outlive the request: whoever
// deletes the node first cancels the request (WebClient::cancel).
WebRequest* fetch_links(WebClient& client, DirEntry& node, HarvestView view);

} // namespace kestovan
