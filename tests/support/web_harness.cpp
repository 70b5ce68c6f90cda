#include "support/web_harness.h"

#include "support/test_environment.h"

#include <algorithm>

namespace kestovan::test {

WebHarness::WebHarness(int timeout_ms)
{
    client.web_init(window, std::string(WEB_USER_AGENT),
                    [this](std::int32_t code, WebRequest* request, const WebEventArg& arg) {
                        events.push_back(WebRecordedEvent{code, request, arg.number, std::string(arg.text)});
                    });
    client.web_set_timeout(timeout_ms);
}

WebHarness::~WebHarness() = default;

std::shared_ptr<WebResult> WebHarness::fetch(const std::string& url, std::optional<std::string> destination,
                                             std::int64_t byte_limit, bool follow)
{
    auto result = std::make_shared<WebResult>();
    WebRequest* request = client.web_fetch(
        url, std::move(destination), byte_limit, nullptr, [this, result, follow](WebRequest& r, void*) {
            ++result->completions;
            result->flags = r.result_flags;
            result->status = r.status_code;
            result->content_length = r.content_length;
            result->has_content_length = r.has_content_length;
            result->last_modified = r.last_modified;
            result->url = r.url;
            result->body = std::string(r.body());
            result->error = r.error_text;
            result->redirections = r.redirections;
            result->bytes_received = r.bytes_received;
            result->header_length = r.header_length;
            return follow && client.can_follow(r) ? WEB_FOLLOW_REDIRECT : 0;
        });
    last_requests.push_back(request);
    return result;
}

bool WebHarness::wait_completed(const std::shared_ptr<WebResult>& result, int timeout_ms)
{
    // Done when the callback ran and the request is gone (a followed redirection keeps it).
    return wait_until(
        [&] {
            return result->completions > 0 &&
                   std::none_of(last_requests.begin(), last_requests.end(),
                                [&](auto* r) { return r && client.is_live_request(r); });
        },
        timeout_ms);
}

bool WebHarness::wait(const std::function<bool()>& pred, int timeout_ms)
{
    return wait_until(pred, timeout_ms);
}

int WebHarness::count(WebEvent code) const
{
    return static_cast<int>(
        std::count_if(events.begin(), events.end(), [&](const auto& e) { return e.code == code; }));
}

std::vector<std::string> WebHarness::texts(WebEvent code) const
{
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.code == code)
            out.push_back(e.text);
    return out;
}

} // namespace kestovan::test
