#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <utility>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

// One GET request. It has no signal connections: its owner's loop, which
// wakes for every event of the thread, calls pump(), and the callbacks run
// from there. (Qt's network thread may emit a reply's signals and would then
// tear connections down off our thread, beyond ThreadSanitizer's sight.) An
// error status (4xx/5xx) is a failure: its body is never delivered as data.
// After cancel() or destruction no callback runs.
class HttpConnection final
{
public:
    struct Response
    {
        int statusCode = 0;
        // Bytes of this response's body; -1 when not announced.
        qint64 contentLength = -1;
        // From "Content-Range: bytes FIRST-LAST/TOTAL" of a 206; -1 otherwise.
        qint64 rangeFirst = -1;
        qint64 rangeTotal = -1;
        // The media type without parameters, lower case ("audio/mp4").
        QByteArray contentType;
        // The file name "Content-Disposition" suggests, without any folder;
        // empty when none.
        QString fileName;
    };

    // Extra request headers, as a page reader found them needed.
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    struct Callbacks
    {
        std::function<void(const Response &)> response;
        // Body bytes are waiting in `body`: read them straight to where they
        // belong, which saves a copy of every block.
        std::function<void(QIODevice &body)> data;
        std::function<void()> finished;
        std::function<void(const QString &reason)> failed;
    };

    // The bytes `first` to `last` of the body (`last` ToEnd: to its end). A
    // 206 answer names the whole length in Content-Range, even without a
    // Content-Length. NoRange asks for the plain body.
    struct Range
    {
        static constexpr qint64 ToEnd = -1;

        qint64 first;
        qint64 last = ToEnd;
    };
    static constexpr Range NoRange{-1, Range::ToEnd};

    HttpConnection(QNetworkAccessManager &manager, const QUrl &url, Range range, const Headers &headers,
                   std::chrono::milliseconds transferTimeout, Callbacks callbacks);
    ~HttpConnection();
    HttpConnection(const HttpConnection &) = delete;
    HttpConnection &operator=(const HttpConnection &) = delete;

    // Delivers what has happened since the last call.
    void pump();
    void cancel();
    bool isDone() const { return m_done; }
    // The error status (4xx/5xx) the server answered with; 0 when none.
    int errorStatus() const { return m_errorStatus; }

private:
    void takeHead();
    void takeBody();
    void finish();
    void fail(const QString &reason);

    Callbacks m_callbacks;
    QNetworkReply *m_reply = nullptr;
    bool m_responded = false;
    int m_errorStatus = 0;
    bool m_done = false;
};
