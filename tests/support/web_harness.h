// A web client on its own message window for tests, recording every event it raises and what each
// fetch looked like when it completed (the record itself is gone right after).
#pragma once

#include "platform/window.h"
#include "web/web_client.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan::test {

struct WebRecordedEvent {
    std::int32_t code = 0;
    WebRequest* request = nullptr;
    std::int64_t number = 0;
    std::string text;
};

// The request as its completion callback saw it, once per completion.
struct WebResult {
    int completions = 0;
    std::uint16_t flags = 0;
    std::uint16_t status = 0;
    std::int64_t content_length = 0;
    bool has_content_length = false;
    std::optional<std::string> last_modified;
    std::string url;
    std::string body;
    std::string error;
    int redirections = 0;
    std::int64_t bytes_received = 0;
    std::int64_t header_length = 0;

    [[nodiscard]] bool failed() const { return (flags & WEB_FAILED) != 0; }
};

class WebHarness {
public:
    explicit WebHarness(int timeout_ms = 30000);
    ~WebHarness();

    // Fetches url; the callback records into the result and follows redirections when `follow`.
    std::shared_ptr<WebResult> fetch(const std::string& url, std::optional<std::string> destination = {},
                                     std::int64_t byte_limit = 0, bool follow = true);
    // Runs the event loop until every completion expected has come (or the time-out).
    bool wait_completed(const std::shared_ptr<WebResult>& result, int timeout_ms = 10000);
    bool wait(const std::function<bool()>& pred, int timeout_ms = 5000);

    [[nodiscard]] int count(WebEvent code) const;
    [[nodiscard]] std::vector<std::string> texts(WebEvent code) const;

    Window window;
    WebClient client;
    std::vector<WebRecordedEvent> events;
    std::vector<WebRequest*> last_requests; // what web_fetch returned, in order
};

} // namespace kestovan::test
