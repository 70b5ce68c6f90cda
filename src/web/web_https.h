// "https://" fetches through Qt Network on the user-interface thread, for the web client's own
// records: the same User-Agent and Host, the same request list, events, time-outs and completion,
// the body into the destination file or the buffer. Qt's reply headers are written into the
// request's buffer as a response head, so redirections and the status are judged by the same code
// as plain HTTP. Redirections are not followed by Qt: each one comes back through the client,
// which counts it and passes it through the connect guard.
#pragma once

#include <QNetworkAccessManager>

#include <cstdint>
#include <map>

class QNetworkReply;

namespace kestovan {

class WebClient;
struct WebRequest;

class HttpsFetcher {
public:
    explicit HttpsFetcher(WebClient& client);
    ~HttpsFetcher();
    HttpsFetcher(const HttpsFetcher&) = delete;
    HttpsFetcher& operator=(const HttpsFetcher&) = delete;

    void start(WebRequest& request);
    // Drops the request's reply, if it has one; nothing of it reaches the request afterwards.
    void stop(WebRequest& request);

private:
    [[nodiscard]] WebRequest* find(std::uint32_t serial) const;
    [[nodiscard]] bool apply_proxy(WebRequest& request);
    void on_head(std::uint32_t serial);
    void on_ready(std::uint32_t serial);
    void on_finished(std::uint32_t serial);

    WebClient& client_;
    QNetworkAccessManager manager_;
    std::map<std::uint32_t, QNetworkReply*> replies_; // by request serial
};

} // namespace kestovan
