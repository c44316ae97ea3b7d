#pragma once

#include "SiteFault.h"
#include "SiteRequest.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

class QIODevice;
class QTcpSocket;
class SampleSite;

// One client connection of the sample site: reads requests one after the
// other (keep-alive) and streams each answer's body as the socket drains, so
// a large stream is never held in memory.
class SampleSiteConnection final : public QObject
{
public:
    // The most of a body written to the socket at once.
    static constexpr qint64 BlockBytes = 256 * 1024;

    SampleSiteConnection(QTcpSocket *socket, SampleSite &site);

private:
    static constexpr qsizetype NoTicket = -1;

    enum class Part { Head, Body };

    // Bytes written to the socket and not yet handed on by it, and the part
    // of which request's answer they belong to.
    struct Piece
    {
        qsizetype ticket;
        qint64 bytes;
        Part part;
    };

    void handleNextRequest();
    std::optional<SiteRequest> takeRequest();
    void respond(const SiteRequest &request);
    void respondAsVideoSite(const SiteRequest &request);
    void respondAsClipSite(const SiteRequest &request);
    void respondWithPage(const SiteRequest &request);
    void respondWithCover(const SiteRequest &request, const QString &code, bool large);
    void respondWithStream(const SiteRequest &request);
    void respondWithFile(const SiteRequest &request, const QString &file, QList<QByteArray> headers);
    void respondWithNotFound();
    void respondWithBytes(int status, const QByteArray &contentType, const QByteArray &body,
                          QList<QByteArray> headers = {});
    void sendHead(int status, QList<QByteArray> headers, qint64 contentLength);
    void startBody(std::unique_ptr<QIODevice> body, qint64 length);
    void pump();
    void send(const QByteArray &data, Part part);
    void countSent(qint64 bytes);
    void finishResponse();
    qint64 chunkAllowed(qint64 wanted);

    QTcpSocket *m_socket;
    SampleSite &m_site;
    QByteArray m_input;

    bool m_busy = false;
    qsizetype m_ticket = NoTicket;
    std::deque<Piece> m_unsent;
    bool m_headOnly = false;
    bool m_keepAlive = true;
    std::optional<SiteFault> m_fault;
    std::unique_ptr<QIODevice> m_body;
    qint64 m_remaining = 0;
    qint64 m_sent = 0;
    bool m_resetPending = false;
    qint64 m_budget = 0;
    QTimer m_throttle;
};
