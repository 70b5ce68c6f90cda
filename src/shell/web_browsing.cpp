#include "shell/web_browsing.h"

#include "common/paths.h"
#include "platform/registry.h"
#include "profiles/site_profile.h"
#include "settings/browser.h"
#include "shell/remote_browser.h"
#include "shell/session_control.h"
#include "shell/shell_context.h"
#include "ui/dialog_geometry.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/folder_transfer.h"
#include "views/web_links.h"

#include <algorithm>
#include <filesystem>

namespace kestovan {

std::string web_link_file_name(const std::string& url)
{
    std::string_view rest(url);
    if (auto scheme = rest.find("://"); scheme != std::string_view::npos)
        rest.remove_prefix(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("?#"));
    const auto slash = rest.find('/');
    std::string name;
    if (slash != std::string_view::npos) {
        const std::string_view path = rest.substr(slash);
        name = std::string(path.substr(path.rfind('/') + 1));
    }
    if (name.empty())
        name = "index.html";
    return is_safe_local_name(name) ? name : std::string();
}

WebBrowsing::WebBrowsing(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser)
    : ctx_(ctx), sessions_(sessions), browser_(browser), own_launcher_(std::make_unique<ProcessLauncher>()),
      launcher_(own_launcher_.get())
{
    sessions_.fetch_url_profile = [this](DirEntry& node) { fetch_page(node); };
    sessions_.open_web_link = [this](DirEntry& node) { open_in_browser(node); };
    browser_.download_web_link = [this](DirEntry& link, const std::string& folder) {
        download_link(link, folder);
    };
}

WebBrowsing::~WebBrowsing()
{
    sessions_.fetch_url_profile = nullptr;
    sessions_.open_web_link = nullptr;
    browser_.download_web_link = nullptr;
    if (started_)
        client_.web_shutdown();
}

bool WebBrowsing::start()
{
    if (started_)
        return true;
    started_ = client_.web_init(ctx_.window, std::string(WEB_USER_AGENT),
                                [this](std::int32_t code, WebRequest* request, const WebEventArg& arg) {
                                    event(code, request, arg);
                                }) == 1;
    return started_;
}

Task* WebBrowsing::task_of(const WebRequest* request)
{
    auto it = tasks_.find(request);
    return it == tasks_.end() ? nullptr : ctx_.tasks.find(it->second);
}

void WebBrowsing::forget_request(const WebRequest* request)
{
    tasks_.erase(request);
    started_at_.erase(request);
}

bool WebBrowsing::has_fetch(std::uint64_t row_id) const
{
    return std::any_of(tasks_.begin(), tasks_.end(), [&](const auto& t) { return t.second == row_id; });
}

bool WebBrowsing::cancel_row(std::uint64_t row_id)
{
    auto it = std::find_if(tasks_.begin(), tasks_.end(), [&](const auto& t) { return t.second == row_id; });
    if (it == tasks_.end())
        return false;
    const WebRequest* key = it->first;
    // The completion of a cancelled fetch still runs and forgets its records.
    for (WebRequest* live : client_.requests())
        if (live == key)
            client_.cancel(live);
    forget_request(key);
    std::erase_if(pages_, [&](const auto& page) { return page.second == key; });
    return true;
}

void WebBrowsing::event(std::int32_t code, WebRequest* request, const WebEventArg& arg)
{
    if (!request)
        return;
    Task* row = task_of(request);
    if (!row)
        return;
    if (code == WEB_EV_RECEIVED) {
        const std::int64_t total = request->has_content_length ? request->content_length : 0;
        // Only the body counts; the buffer of a page also holds the response headers.
        const std::int64_t moved =
            request->destination
                ? request->body_written
                : std::max<std::int64_t>(0, static_cast<std::int64_t>(request->buffer.size()) -
                                                (request->header_seen ? request->header_length : 0));
        float rate = row->rate;
        if (auto start = started_at_.find(request); start != started_at_.end() && rate != -1.0f) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start->second).count();
            if (seconds > 0)
                rate = static_cast<float>(static_cast<double>(moved) / seconds);
        }
        ctx_.tasks.update_row(*row, 0, moved, total, rate);
    } else if (code == WEB_EV_ERROR && !arg.text.empty()) {
        ctx_.status.set_text(STATUS_MESSAGE, std::string(arg.text));
    }
}

void WebBrowsing::fetch_page(DirEntry& node)
{
    if (!start() || pages_.contains(&node))
        return;
    const auto url = web_node_url(node);
    if (!url)
        return;
    Task& row = ctx_.tasks.add_row(nullptr, node.find_session(), ROW_WEB_FETCH, *url, 0);
    HarvestView view;
    view.removing_children = [this](DirEntry& folder) {
        for (const auto& child : folder.children)
            ctx_.view->tree_node_removing(*child);
        if (ctx_.shown_folder == &folder)
            ctx_.view->remote_list_changed();
    };
    view.children_added = [this](DirEntry& folder) {
        ctx_.view->tree_children_changed(folder);
        if (ctx_.shown_folder == &folder)
            ctx_.view->remote_list_changed();
    };
    view.post_information = [this](const std::string& text) {
        ctx_.defer([this, text] {
            ctx_.prompts.message(load_string(IDS_APP_TITLE), text, PromptIcon::Information);
        });
    };
    const DirEntry* key = &node;
    view.task_state = [this, key](std::uint8_t state) {
        auto page = pages_.find(key);
        if (page == pages_.end())
            return;
        if (Task* task = task_of(page->second))
            ctx_.tasks.finish_row(*task, state == TASK_DONE);
    };
    WebRequest* request = fetch_links(client_, node, std::move(view));
    if (!request) {
        ctx_.tasks.finish_row(row, false);
        return;
    }
    pages_[&node] = request;
    tasks_[request] = row.row_id;
    // The harvest reports failures only; a page that arrived ends its row here, and the record of
    // the running fetch goes with it.
    WebCompletion harvest = std::move(request->callback);
    request->callback = [this, key, harvest = std::move(harvest)](WebRequest& done, void* owner) {
        const int answer = harvest(done, owner);
        if (answer == WEB_FOLLOW_REDIRECT)
            return answer;
        if (Task* task = task_of(&done); task && !done.failed())
            ctx_.tasks.finish_row(*task, true);
        forget_request(&done);
        if (auto page = pages_.find(key); page != pages_.end() && page->second == &done)
            pages_.erase(page);
        return answer;
    };
}

void WebBrowsing::download_link(DirEntry& link, const std::string& folder)
{
    if (!start())
        return;
    const auto url = web_node_url(link);
    if (!url)
        return;
    const std::string name = web_link_file_name(*url);
    if (name.empty()) {
        ctx_.log.append(link.find_session(), format_string(IDS_LOG_NAME_REFUSED, link.name.c_str()),
                        LOG_MAROON);
        return;
    }
    (void)fetch_file(*url, (std::filesystem::path(folder) / name).string(), link.find_session(), {});
}

WebRequest* WebBrowsing::fetch_file(const std::string& url, const std::string& local, SiteProfile* profile,
                                    std::function<void(bool ok)> done)
{
    if (!start())
        return nullptr;
    Task& row = ctx_.tasks.add_row(nullptr, profile, ROW_DOWNLOAD, local, 0);
    const std::uint64_t row_id = row.row_id;
    WebRequest* request =
        client_.web_fetch(url, local, 0, nullptr, [this, local, done](WebRequest& finished, void*) {
            if (client_.can_follow(finished))
                return WEB_FOLLOW_REDIRECT;
            const bool ok = !finished.failed() && finished.status_code >= 200 && finished.status_code < 300;
            if (Task* task = task_of(&finished))
                ctx_.tasks.finish_row(*task, ok);
            forget_request(&finished);
            if ((finished.result_flags & WEB_CANCELLED) != 0) {
                std::error_code ec;
                std::filesystem::remove(local, ec);
            }
            if (ok)
                ctx_.view->local_list_changed();
            else if (!finished.error_text.empty())
                ctx_.status.set_text(STATUS_MESSAGE, finished.error_text);
            if (done)
                done(ok);
            return 0;
        });
    if (!request) {
        ctx_.tasks.finish_row(row_id, false);
        return nullptr;
    }
    tasks_[request] = row_id;
    started_at_[request] = std::chrono::steady_clock::now();
    return request;
}

void WebBrowsing::open_in_browser(DirEntry& link)
{
    if (const auto url = web_node_url(link))
        open_address(*url);
}

void WebBrowsing::open_address(const std::string& url)
{
    if (!open_web_page(url, ctx_.settings, *launcher_))
        ctx_.prompts.message(load_string(IDS_CAPTION_BROWSER_ERROR), load_string(IDS_ERR_BROWSER),
                             PromptIcon::Warning);
}

void WebBrowsing::open_faq(const Registry& registry, const std::optional<std::string>& language)
{
    const auto stored =
        registry.read_string(Hive::LocalMachine, std::string(APPLICATION_REGISTRY_KEY), "faq");
    if (!stored || stored->empty()) {
        ctx_.prompts.message(load_string(IDS_APP_TITLE), load_string(IDS_ERR_NO_FAQ_ADDRESS),
                             PromptIcon::Information);
        return;
    }
    open_address(faq_address(*stored, language));
}

void WebBrowsing::forget_node(const DirEntry& node)
{
    auto page = pages_.find(&node);
    if (page == pages_.end())
        return;
    WebRequest* request = page->second;
    pages_.erase(page);
    if (client_.is_live_request(request))
        client_.cancel(request);
}

} // namespace kestovan
