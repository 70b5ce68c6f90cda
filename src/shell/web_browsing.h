// URL profiles and web links in the main window: opening a URL profile fetches its page as a task of
// the Tasks pane and turns its links into web-link children; opening a web link downloads it into the
// local folder (a Tasks row with progress); a web link's "connect" opens it in the browser.
#pragma once

#include "web/web_client.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace kestovan {

struct DirEntry;
struct SiteProfile;
struct ShellContext;
struct Task;
class SessionControl;
class RemoteBrowser;
class Launcher;
class Registry;

class WebBrowsing {
public:
    WebBrowsing(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser);
    ~WebBrowsing();
    WebBrowsing(const WebBrowsing&) = delete;
    WebBrowsing& operator=(const WebBrowsing&) = delete;

    // Starts the web client on the shell's window (once).
    bool start();
    [[nodiscard]] WebClient& client() { return client_; }
    // Browsers are started through this; the default starts real processes.
    void set_launcher(Launcher& launcher) { launcher_ = &launcher; }

    // Fetches the node's page and harvests its links, unless a fetch of it is running.
    void fetch_page(DirEntry& node);
    // Downloads a web link into folder under the last part of its address.
    void download_link(DirEntry& link, const std::string& folder);
    // Fetches url into the local file, shown as a Tasks row of profile; done(ok) runs when it ends (a
    // cancelled fetch leaves no partial file). Null when the fetch could not start; done may have
    // run then.
    WebRequest* fetch_file(const std::string& url, const std::string& local, SiteProfile* profile,
                           std::function<void(bool ok)> done);
    // Opens a web link's address in the browser ("Browser Error" when none starts).
    void open_in_browser(DirEntry& link);
    // Opens url in the browser, the same way ("Browser Error" when none starts).
    void open_address(const std::string& url);
    // Help > FAQ: the value "faq" of the program's key under HKEY_LOCAL_MACHINE, made for language,
    // in the browser; a message when the installation set no such value.
    void open_faq(const Registry& registry, const std::optional<std::string>& language);
    // Cancels the fetches that belong to a node about to be deleted.
    void forget_node(const DirEntry& node);

    [[nodiscard]] bool fetching(const DirEntry& node) const { return pages_.contains(&node); }
    // Cancels the fetch that the Tasks-pane row shows; false when the row has no running fetch.
    bool cancel_row(std::uint64_t row_id);
    [[nodiscard]] bool has_fetch(std::uint64_t row_id) const;

private:
    void event(std::int32_t code, WebRequest* request, const WebEventArg& arg);
    Task* task_of(const WebRequest* request);
    void forget_request(const WebRequest* request);

    ShellContext& ctx_;
    SessionControl& sessions_;
    RemoteBrowser& browser_;
    WebClient client_;
    std::unique_ptr<Launcher> own_launcher_;
    Launcher* launcher_ = nullptr;
    bool started_ = false;
    // Running page fetches by node, and the Tasks row of every running request.
    std::map<const DirEntry*, WebRequest*> pages_;
    std::map<const WebRequest*, std::uint64_t> tasks_; // request → Tasks-pane row number
    std::map<const WebRequest*, std::chrono::steady_clock::time_point> started_at_; // downloads
};

// The local file name for a downloaded web link: the last path segment of its address without query
// or fragment; "index.html" when that is empty. Empty when the name is not safe as a local name.
[[nodiscard]] std::string web_link_file_name(const std::string& url);

} // namespace kestovan
