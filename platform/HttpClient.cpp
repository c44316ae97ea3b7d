#include "HttpClient.h"

#include "EventLoopStep.h"

#include <QIODevice>
#include <QNetworkAccessManager>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PollIntervalMs = 100;
constexpr int PartialContent = 206;

} // namespace

HttpClient::HttpClient(CancelCheck cancelled, std::chrono::milliseconds transferTimeout)
    : m_cancelled(std::move(cancelled)),
      m_transferTimeout(transferTimeout),
      m_manager(std::make_unique<QNetworkAccessManager>())
{
}

HttpClient::~HttpClient() = default;

bool HttpClient::isFetchable(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https");
}

void HttpClient::waitUntil(HttpConnection &connection, const bool &done)
{
    connection.pump();
    while (!done && !isCancelled()) {
        EventLoopStep::run(PollIntervalMs);
        connection.pump();
    }
}

std::optional<QByteArray> HttpClient::fetch(const QUrl &url, qint64 maxBytes)
{
    QByteArray body;
    bool done = false;
    bool ok = false;
    m_lastFailure.clear();
    std::unique_ptr<HttpConnection> connection;
    connection = open(url, HttpConnection::NoRange, {
        .response = {},
        .data = [&](QIODevice &device) {
            if (body.size() + device.bytesAvailable() > maxBytes) {
                connection->cancel();
                done = true;
                return;
            }
            body.append(device.readAll());
        },
        .finished = [&] { done = ok = true; },
        .failed = [&](const QString &reason) {
            m_lastFailure = reason;
            done = true;
        },
    });
    if (!connection)
        return std::nullopt;
    waitUntil(*connection, done);
    if (!ok)
        return std::nullopt;
    return body;
}

qint64 HttpClient::probeSize(const QUrl &url)
{
    const HttpConnection::Response head = probe(url);
    if (head.statusCode == 0)
        return 0;
    return head.statusCode == PartialContent ? head.rangeTotal : head.contentLength;
}

HttpConnection::Response HttpClient::probe(const QUrl &url, const HttpConnection::Headers &headers)
{
    HttpConnection::Response head;
    bool done = false;
    std::unique_ptr<HttpConnection> connection;
    connection = open(url, {.first = 0, .last = 0}, {
        .response = [&](const HttpConnection::Response &response) {
            head = response;
            connection->cancel();
            done = true;
        },
        .data = {},
        .finished = [&] { done = true; },
        .failed = [&](const QString &) { done = true; },
    }, headers);
    if (!connection)
        return {};
    waitUntil(*connection, done);
    return done ? head : HttpConnection::Response{};
}

std::unique_ptr<HttpConnection> HttpClient::open(const QUrl &url, HttpConnection::Range range,
                                                 HttpConnection::Callbacks callbacks,
                                                 const HttpConnection::Headers &headers)
{
    if (!isFetchable(url))
        return nullptr;
    return std::make_unique<HttpConnection>(*m_manager, url, range, headers, m_transferTimeout, std::move(callbacks));
}
