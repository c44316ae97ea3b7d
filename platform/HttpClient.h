#pragma once

#include "HttpConnection.h"

#include <QByteArray>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;

// HTTP for one worker thread: blocking fetches and size probes that serve the
// thread's event loop while they wait, and asynchronous connections. Create
// and use it on one thread. Every wait also ends when `cancelled` says so.
// Only http and https addresses are ever fetched.
class HttpClient final
{
public:
    using CancelCheck = std::function<bool()>;

    static constexpr std::chrono::milliseconds DefaultTransferTimeout{30'000};

    // A request that moves no byte for `transferTimeout` fails.
    explicit HttpClient(CancelCheck cancelled = {},
                        std::chrono::milliseconds transferTimeout = DefaultTransferTimeout);
    ~HttpClient();
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    static bool isFetchable(const QUrl &url);

    // The whole body, or nothing on any failure, on cancellation, or when
    // the body grows beyond `maxBytes`.
    std::optional<QByteArray> fetch(const QUrl &url, qint64 maxBytes);
    // Why the last fetch failed ("HTTP 503", the network's reason); empty
    // after one that worked or was cancelled or too large.
    QString lastFailure() const { return m_lastFailure; }

    // The stream's whole length, asked for with a range of its first byte: a
    // probe costs the server a head and at most that byte, as a server that
    // ignores the range is left at its head. The body is never read. -1 when
    // the answer carries no length, 0 on failure.
    qint64 probeSize(const QUrl &url);
    // The same probe's whole answer head; a status code of 0 when it failed.
    HttpConnection::Response probe(const QUrl &url, const HttpConnection::Headers &headers = {});

    // Null for an address that may not be fetched.
    std::unique_ptr<HttpConnection> open(const QUrl &url, HttpConnection::Range range, HttpConnection::Callbacks callbacks,
                                         const HttpConnection::Headers &headers = {});

private:
    bool isCancelled() const { return m_cancelled && m_cancelled(); }
    void waitUntil(HttpConnection &connection, const bool &done);

    CancelCheck m_cancelled;
    std::chrono::milliseconds m_transferTimeout;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QString m_lastFailure;
};
