#include "SampleSiteConnection.h"

#include "SampleClipPages.h"
#include "SamplePages.h"
#include "SampleSite.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 SocketBacklogBytes = 1024 * 1024;
constexpr int ThrottleTicksPerSecond = 20;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

QByteArray coverJpeg(const QString &code, bool large)
{
    const QByteArray hash = QCryptographicHash::hash(code.toUtf8(), QCryptographicHash::Sha1);
    const int width = large ? 480 : 120;
    const int height = large ? 360 : 90;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb((quint8(hash[0]) + x) & 0xFF, (quint8(hash[1]) + y) & 0xFF,
                                      quint8(hash[2]) ^ ((x / 16 + y / 16) % 2 ? 0x40 : 0)));
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return buffer.data();
}

// "bytes=FIRST-" or "bytes=FIRST-LAST"; nullopt when absent or malformed.
std::optional<std::pair<qint64, qint64>> parseRange(const QByteArray &header, qint64 size)
{
    static const QRegularExpression pattern(u"^bytes=(\\d+)-(\\d*)$"_s);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header.trimmed()));
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 first = match.captured(1).toLongLong();
    const qint64 last = match.captured(2).isEmpty() ? size - 1 : std::min(size - 1, match.captured(2).toLongLong());
    return std::pair{first, last};
}

// The video site answers under its own names, and to clients that reach the
// server directly rather than as their proxy.
bool isVideoSite(const QString &host)
{
    const QString name = u'.' + host;
    for (const QStringView domain : {u".youtube.com", u".youtu.be", u".ytimg.com"}) {
        if (name.endsWith(domain))
            return true;
    }
    return host == u"localhost" || !QHostAddress(host).isNull();
}

// NAME of "/folder/NAME.suffix"; empty when the path has another form.
QString nameIn(const QString &path, QStringView folder, QStringView suffix = {})
{
    if (!path.startsWith(folder) || !path.endsWith(suffix) || path.size() < folder.size() + suffix.size())
        return {};
    const QString name = path.mid(folder.size(), path.size() - folder.size() - suffix.size());
    return name.contains(u'/') ? QString() : name;
}

struct Document
{
    QByteArray type;
    QByteArray body;
};

// The clip site's generated text at this path, if it has any there.
std::optional<Document> clipDocument(const QString &origin, const QString &path)
{
    using Offer = SampleClipPages::Offer;
    const QByteArray html = "text/html; charset=utf-8";
    const QByteArray dash = "application/dash+xml";
    if (const QString code = nameIn(path, u"/watch/"); !code.isEmpty())
        return Document{html, SampleClipPages::watchPage(origin, code, Offer::Whole)};
    if (const QString code = nameIn(path, u"/split/"); !code.isEmpty())
        return Document{html, SampleClipPages::watchPage(origin, code, Offer::Split)};
    if (const QString code = nameIn(path, u"/hls/"); !code.isEmpty())
        return Document{html, SampleClipPages::watchPage(origin, code, Offer::Hls)};
    if (const QString code = nameIn(path, u"/manifest/", u".mpd"); !code.isEmpty())
        return Document{dash, SampleClipPages::manifest(origin, code, Offer::Whole)};
    if (const QString code = nameIn(path, u"/split/", u"/manifest.mpd"); !code.isEmpty())
        return Document{dash, SampleClipPages::manifest(origin, code, Offer::Split)};
    if (!nameIn(path, u"/hls/", u"/master.m3u8").isEmpty())
        return Document{"application/vnd.apple.mpegurl", SampleClipPages::masterPlaylist()};
    if (const QString name = nameIn(path, u"/playlist/"); !name.isEmpty())
        return Document{"application/rss+xml; charset=utf-8", SampleClipPages::playlist(origin, name)};
    return std::nullopt;
}

} // namespace

SampleSiteConnection::SampleSiteConnection(QTcpSocket *socket, SampleSite &site)
    : QObject(socket), m_socket(socket), m_site(site)
{
    connect(socket, &QTcpSocket::readyRead, this, [this] {
        m_input.append(m_socket->readAll());
        handleNextRequest();
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 bytes) {
        countSent(bytes);
        if (m_resetPending && m_socket->bytesToWrite() == 0)
            m_socket->abort();
        else
            pump();
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(&m_throttle, &QTimer::timeout, this, [this] {
        m_budget = m_fault->bytesPerSecond / ThrottleTicksPerSecond;
        pump();
    });
}

std::optional<SiteRequest> SampleSiteConnection::takeRequest()
{
    const qsizetype end = m_input.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = m_input.left(end).split('\n');
    m_input.remove(0, end + 4);
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    SiteRequest request;
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const bool absolute = request.target.startsWith("http://") || request.target.startsWith("https://");
    const QUrl url = QUrl::fromEncoded(absolute ? request.target : "http://" + request.header("host") + request.target);
    request.host = url.host();
    request.path = url.path();
    request.query = QUrlQuery(url);
    m_keepAlive = requestLine.value(2) == "HTTP/1.1" && request.header("connection").toLower() != "close";
    return request;
}

void SampleSiteConnection::handleNextRequest()
{
    if (m_busy)
        return;
    if (std::optional<SiteRequest> request = takeRequest()) {
        m_busy = true;
        m_ticket = m_site.record(*request);
        respond(*request);
    }
}

void SampleSiteConnection::respond(const SiteRequest &request)
{
    m_headOnly = request.method == "HEAD";
    m_fault = m_site.takeFault(request.path);
    m_sent = 0;
    m_resetPending = false;
    if (m_fault && m_fault->status > 0) {
        respondWithBytes(m_fault->status, "text/html", "<html><body>Error " + QByteArray::number(m_fault->status) + "</body></html>");
        return;
    }
    if (isVideoSite(request.host))
        respondAsVideoSite(request);
    else
        respondAsClipSite(request);
}

void SampleSiteConnection::respondAsVideoSite(const SiteRequest &request)
{
    static const QRegularExpression coverPath(u"^/vi/([^/]+)/(default|hqdefault)\\.jpg$"_s);
    if (request.path == u"/watch") {
        respondWithPage(request);
    } else if (request.path == u"/videoplayback") {
        respondWithStream(request);
    } else if (const QRegularExpressionMatch match = coverPath.match(request.path); match.hasMatch()) {
        respondWithCover(request, match.captured(1), match.captured(2) == u"hqdefault");
    } else {
        respondWithNotFound();
    }
}

void SampleSiteConnection::respondAsClipSite(const SiteRequest &request)
{
    // A media playlist or a segment: /hls/CODE/STREAM/FILE.
    static const QRegularExpression hlsPath(u"^/hls/[^/]+/([^/]+)/([^/]+)$"_s);
    const QString path = request.path;
    SampleMedia &media = m_site.media();
    if (const std::optional<Document> document = clipDocument(u"http://"_s + request.host, path))
        respondWithBytes(200, document->type, document->body);
    else if (const QString code = nameIn(path, u"/cover/", u".jpg"); !code.isEmpty())
        respondWithCover(request, code, true);
    else if (!nameIn(path, u"/media/", u".mp4").isEmpty())
        respondWithFile(request, media.streamFile(SampleMedia::ClipItag), {"Content-Type: video/mp4"});
    else if (!nameIn(path, u"/media/", u".m4a").isEmpty())
        respondWithFile(request, media.toneFile(), {"Content-Type: audio/mp4"});
    else if (!nameIn(path, u"/picture/", u".mp4").isEmpty())
        respondWithFile(request, media.pictureFile(), {"Content-Type: video/mp4"});
    else if (const QRegularExpressionMatch match = hlsPath.match(path); match.hasMatch())
        respondWithFile(request, media.hlsFile(match.captured(1), match.captured(2)),
                        {path.endsWith(u".m3u8") ? "Content-Type: application/vnd.apple.mpegurl"
                                                 : "Content-Type: video/mp2t"});
    else if (const QString name = request.query.queryItemValue(u"id"_s, QUrl::FullyDecoded);
             path == u"/download" && !name.isEmpty())
        respondWithFile(request, media.toneFile(),
                        {"Content-Type: audio/mp4", "Content-Disposition: " + SampleClipPages::attachment(name)});
    else
        respondWithNotFound();
}

void SampleSiteConnection::respondWithPage(const SiteRequest &request)
{
    const QString code = request.query.queryItemValue(u"v"_s, QUrl::FullyDecoded);
    if (code.isEmpty()) {
        respondWithBytes(404, "text/html", "<html><body>No such video</body></html>");
        return;
    }
    respondWithBytes(200, "text/html; charset=utf-8", m_site.page(code).value_or(SamplePages::watchPage(code)));
}

void SampleSiteConnection::respondWithCover(const SiteRequest &, const QString &code, bool large)
{
    respondWithBytes(200, "image/jpeg", coverJpeg(code, large));
}

void SampleSiteConnection::respondWithStream(const SiteRequest &request)
{
    const int itag = request.query.queryItemValue(u"itag"_s).toInt();
    respondWithFile(request, m_site.media().streamFile(itag), {"Content-Type: video/mp4"});
}

void SampleSiteConnection::respondWithFile(const SiteRequest &request, const QString &file, QList<QByteArray> headers)
{
    auto body = std::make_unique<QFile>(file);
    if (file.isEmpty() || !body->open(QIODevice::ReadOnly)) {
        respondWithNotFound();
        return;
    }
    const qint64 size = body->size();
    const bool rangeIgnored = m_fault && m_fault->ignoreRange;
    const auto range = rangeIgnored ? std::nullopt : parseRange(request.header("range"), size);
    headers.append("Accept-Ranges: bytes");
    if (!range) {
        sendHead(200, headers, size);
        startBody(std::move(body), size);
        return;
    }
    const qint64 last = range->second;
    const qint64 first = std::max<qint64>(0, range->first - (m_fault ? m_fault->rangeShift : 0));
    if (first >= size || last < first) {
        respondWithBytes(416, "text/html", {}, {"Content-Range: bytes */" + QByteArray::number(size)});
        return;
    }
    body->seek(first);
    headers.append("Content-Range: bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
                   + QByteArray::number(size));
    sendHead(206, headers, last - first + 1);
    startBody(std::move(body), last - first + 1);
}

void SampleSiteConnection::respondWithNotFound()
{
    respondWithBytes(404, "text/html", "<html><body>Not found</body></html>");
}

void SampleSiteConnection::respondWithBytes(int status, const QByteArray &contentType, const QByteArray &body,
                                            QList<QByteArray> headers)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    headers.append("Content-Type: " + contentType);
    sendHead(status, headers, body.size());
    startBody(std::move(buffer), body.size());
}

void SampleSiteConnection::sendHead(int status, QList<QByteArray> headers, qint64 contentLength)
{
    const bool omitLength = m_fault && m_fault->omitLength;
    const qint64 lengthDelta = m_fault ? m_fault->lengthDelta : 0;
    // A wrong length leaves the connection unusable for another request.
    if (omitLength || lengthDelta != 0)
        m_keepAlive = false;
    if (!omitLength)
        headers.append("Content-Length: " + QByteArray::number(contentLength + lengthDelta));
    headers.append(m_keepAlive ? "Connection: keep-alive" : "Connection: close");
    send("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n" + headers.join("\r\n")
             + "\r\n\r\n",
         Part::Head);
}

void SampleSiteConnection::startBody(std::unique_ptr<QIODevice> body, qint64 length)
{
    m_body = std::move(body);
    m_remaining = m_headOnly ? 0 : length;
    if (m_fault && m_fault->bytesPerSecond > 0) {
        m_budget = m_fault->bytesPerSecond / ThrottleTicksPerSecond;
        m_throttle.start(1000 / ThrottleTicksPerSecond);
    }
    pump();
}

qint64 SampleSiteConnection::chunkAllowed(qint64 wanted)
{
    qint64 chunk = std::min(wanted, BlockBytes);
    if (!m_fault)
        return chunk;
    if (m_fault->stallAfter >= 0)
        chunk = std::min(chunk, m_fault->stallAfter - m_sent);
    if (m_fault->resetAfter >= 0)
        chunk = std::min(chunk, m_fault->resetAfter - m_sent);
    if (m_fault->bytesPerSecond > 0)
        chunk = std::min(chunk, m_budget);
    return std::max<qint64>(chunk, 0);
}

void SampleSiteConnection::pump()
{
    if (!m_busy || m_resetPending)
        return;
    while (m_remaining > 0 && m_socket->bytesToWrite() < SocketBacklogBytes) {
        const qint64 chunk = chunkAllowed(m_remaining);
        if (chunk == 0) {
            if (m_fault && m_fault->resetAfter >= 0 && m_sent >= m_fault->resetAfter) {
                m_resetPending = true;
                if (m_socket->bytesToWrite() == 0)
                    m_socket->abort();
            }
            return; // stalled, throttled or about to reset
        }
        const QByteArray data = m_body->read(chunk);
        if (data.isEmpty()) {
            m_socket->abort();
            return;
        }
        send(data, Part::Body);
        m_sent += data.size();
        m_remaining -= data.size();
        m_budget -= data.size();
    }
    if (m_remaining == 0)
        finishResponse();
}

void SampleSiteConnection::send(const QByteArray &data, Part part)
{
    m_socket->write(data);
    m_unsent.push_back({m_ticket, data.size(), part});
}

// The socket hands its bytes on in the order they were written: the oldest
// pieces are the ones gone.
void SampleSiteConnection::countSent(qint64 bytes)
{
    while (bytes > 0 && !m_unsent.empty()) {
        Piece &piece = m_unsent.front();
        const qint64 gone = std::min(bytes, piece.bytes);
        const bool head = piece.part == Part::Head;
        m_site.countBytesSent(piece.ticket, head ? gone : 0, head ? 0 : gone);
        piece.bytes -= gone;
        bytes -= gone;
        if (piece.bytes == 0)
            m_unsent.pop_front();
    }
}

void SampleSiteConnection::finishResponse()
{
    m_busy = false;
    m_throttle.stop();
    m_body.reset();
    m_fault.reset();
    if (!m_keepAlive) {
        m_socket->disconnectFromHost();
        return;
    }
    handleNextRequest();
}
