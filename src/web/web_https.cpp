#include "web/web_https.h"

#include "platform/connect_guard.h"
#include "ui/language.h"
#include "web/http_text.h"
#include "web/web_client.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QUrl>

namespace kestovan {

namespace {

// Qt keeps no more than this of a reply in memory before we read it.
constexpr qint64 REPLY_BUFFER_SIZE = 1024 * 1024;

std::string head_text(QNetworkReply& reply)
{
    const int code = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    std::string head = "HTTP/1.1 " + std::to_string(code) + " " + reason.toStdString() + "\r\n";
    for (const auto& [name, value] : reply.rawHeaderPairs()) {
        // A header value never carries a line break into the head we build.
        if (!is_safe_url(value.toStdString()) || !is_safe_url(name.toStdString()))
            continue;
        head += name.toStdString() + ": " + value.toStdString() + "\r\n";
    }
    return head + "\r\n";
}

// Network-level failures (no HTTP answer to judge) as opposed to HTTP statuses that Qt also
// reports as errors.
bool is_transport_error(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

} // namespace

HttpsFetcher::HttpsFetcher(WebClient& client) : client_(client)
{
    manager_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

HttpsFetcher::~HttpsFetcher()
{
    for (auto& [serial, reply] : replies_) {
        QObject::disconnect(reply, nullptr, &manager_, nullptr);
        reply->abort();
        delete reply;
    }
}

WebRequest* HttpsFetcher::find(std::uint32_t serial) const
{
    for (WebRequest* request : client_.requests())
        if (request->serial == serial)
            return request;
    return nullptr;
}

bool HttpsFetcher::apply_proxy(WebRequest& request)
{
    const WebProxy& proxy = client_.proxy();
    if (proxy.host.empty()) {
        manager_.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        return true;
    }
    if (!ConnectGuard::permit_lookup(proxy.host)) {
        client_.fail(request, format_string<IDS_WEB_PROXY_NOT_PERMITTED>(proxy.host));
        return false;
    }
    if (proxy.type == WEB_PROXY_SOCKS4) {
        client_.fail(request, load_string(IDS_WEB_SOCKS4_NO_HTTPS));
        return false;
    }
    const auto type = proxy.type == WEB_PROXY_SOCKS5 ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy;
    manager_.setProxy(QNetworkProxy(type, QString::fromStdString(proxy.host),
                                    static_cast<quint16>(proxy.port), QString::fromStdString(proxy.user_name),
                                    QString::fromStdString(proxy.password)));
    return true;
}

void HttpsFetcher::start(WebRequest& request)
{
    const std::uint32_t serial = request.serial;
    request.state = WST_RESOLVING;
    if (request.redirections == 0) {
        client_.raise(WEB_EV_RESOLVING, &request);
        if (!client_.is_live(&request, serial))
            return;
    }
    // Qt looks names up and connects by itself, so the guard is asked here, for every address.
    const std::string host = url_host(request.url);
    if (!ConnectGuard::permit_lookup(host)) {
        client_.fail(request, format_string<IDS_WEB_HOST_NOT_PERMITTED>(host));
        return;
    }
    const QUrl url(QString::fromUtf8(request.url.data(), static_cast<qsizetype>(request.url.size())));
    if (!url.isValid() || url.host().isEmpty()) {
        client_.fail(request, load_string(IDS_WEB_ADDRESS_TRANSLATION));
        return;
    }
    if (!apply_proxy(request))
        return;
    QNetworkRequest qt_request(url);
    qt_request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(client_.user_agent()));
    qt_request.setRawHeader("Accept", "*/*");
    qt_request.setRawHeader("Accept-Charset", "iso-8859-1,*,utf-8");
    // Bytes as the server stored them: Qt would otherwise unpack compressed bodies behind our back
    // and the received count would no longer match Content-Length.
    qt_request.setRawHeader("Accept-Encoding", "identity");
    qt_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!client_.https_ca_file().empty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(QSslCertificate::fromPath(QString::fromStdString(client_.https_ca_file())));
        qt_request.setSslConfiguration(tls);
    }
    client_.raise(WEB_EV_CONNECTING, &request);
    if (!client_.is_live(&request, serial))
        return;
    request.state = WST_CONNECTED;
    QNetworkReply* reply = manager_.get(qt_request);
    reply->setReadBufferSize(REPLY_BUFFER_SIZE);
    replies_[serial] = reply;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &manager_, [this, serial] { on_head(serial); });
    QObject::connect(reply, &QNetworkReply::readyRead, &manager_, [this, serial] { on_ready(serial); });
    QObject::connect(reply, &QNetworkReply::finished, &manager_, [this, serial] { on_finished(serial); });
}

void HttpsFetcher::stop(WebRequest& request)
{
    auto it = replies_.find(request.serial);
    if (it == replies_.end())
        return;
    QNetworkReply* reply = it->second;
    replies_.erase(it);
    QObject::disconnect(reply, nullptr, &manager_, nullptr);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

void HttpsFetcher::on_head(std::uint32_t serial)
{
    WebRequest* request = find(serial);
    auto it = replies_.find(serial);
    if (!request || it == replies_.end() || request->header_seen)
        return;
    if (!it->second->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return;
    const std::string head = head_text(*it->second);
    request->state = WST_RECEIVING;
    client_.take_bytes(*request, head.data(), head.size());
}

void HttpsFetcher::on_ready(std::uint32_t serial)
{
    on_head(serial);
    for (;;) {
        WebRequest* request = find(serial);
        auto it = replies_.find(serial);
        if (!request || it == replies_.end() || !request->header_seen || it->second->bytesAvailable() <= 0)
            return;
        const std::size_t want = std::max<std::size_t>(client_.read_size(*request), 1);
        const qint64 got = it->second->read(client_.scratch_.data(), static_cast<qint64>(want));
        if (got <= 0)
            return;
        if (!client_.take_bytes(*request, client_.scratch_.data(), static_cast<std::size_t>(got)))
            return;
        if (request->byte_limit > 0 && request->bytes_received >= request->byte_limit) {
            client_.end_request(*request, true);
            return;
        }
    }
}

void HttpsFetcher::on_finished(std::uint32_t serial)
{
    on_ready(serial);
    WebRequest* request = find(serial);
    auto it = replies_.find(serial);
    if (!request || it == replies_.end())
        return;
    const QNetworkReply::NetworkError error = it->second->error();
    if (is_transport_error(error) || !request->header_seen) {
        client_.fail(*request, it->second->errorString().toStdString());
        return;
    }
    client_.end_request(*request, true);
}

} // namespace kestovan
