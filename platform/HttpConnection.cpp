#include "HttpConnection.h"

#include "LocalizedStrings.h"
#include "VantrelVersion.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt stops reading from the socket while this much is waiting for us, so a
// reply never holds more than this beside the consumer's own buffer.
constexpr qint64 ReadBufferBytes = 4 * 1024 * 1024;

void parseContentRange(const QByteArray &header, HttpConnection::Response &response)
{
    static const QRegularExpression pattern(u"^\\s*bytes\\s+(\\d+)-(\\d+)/(\\d+|\\*)\\s*$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header));
    if (!match.hasMatch())
        return;
    response.rangeFirst = match.captured(1).toLongLong();
    bool known = false;
    const qint64 total = match.captured(3).toLongLong(&known);
    response.rangeTotal = known ? total : -1;
}

// "attachment; filename*=UTF-8''Some%20Name.m4a" or "filename=\"Some Name.m4a\"":
// the name alone, never a folder the server slipped in.
QString fileNameOf(const QByteArray &disposition)
{
    static const QRegularExpression extended(u"filename\\*\\s*=\\s*UTF-8''([^;\\s]+)"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression plain(u"filename\\s*=\\s*(?:\"((?:[^\"\\\\]|\\\\.)*)\"|([^;\\s]+))"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression escape(u"\\\\(.)"_s);
    const QString header = QString::fromUtf8(disposition);
    QString name;
    if (const auto match = extended.match(header); match.hasMatch())
        name = QUrl::fromPercentEncoding(match.captured(1).toLatin1());
    else if (const auto match = plain.match(header); match.hasMatch())
        name = match.captured(1).isNull() ? match.captured(2) : match.captured(1).replace(escape, u"\\1"_s);
    return name.section(u'/', -1).section(u'\\', -1).trimmed();
}

} // namespace

HttpConnection::HttpConnection(QNetworkAccessManager &manager, const QUrl &url, Range range, const Headers &headers,
                               std::chrono::milliseconds transferTimeout, Callbacks callbacks)
    : m_callbacks(std::move(callbacks))
{
    QNetworkRequest request(url);
    request.setTransferTimeout(int(transferTimeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Vantrel/" VANTREL_VERSION));
    // After ours: a stream's address may be bound to the agent that asked
    // for the page.
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (range.first != NoRange.first) {
        const QByteArray last = range.last == Range::ToEnd ? QByteArray() : QByteArray::number(range.last);
        request.setRawHeader("Range", "bytes=" + QByteArray::number(range.first) + '-' + last);
    }
    m_reply = manager.get(request);
    m_reply->setReadBufferSize(ReadBufferBytes);
}

HttpConnection::~HttpConnection()
{
    cancel();
}

void HttpConnection::cancel()
{
    m_done = true;
    if (!m_reply)
        return;
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

void HttpConnection::pump()
{
    if (m_done)
        return;
    takeHead();
    takeBody();
    if (!m_done && m_reply->isFinished())
        finish();
}

void HttpConnection::takeHead()
{
    if (m_responded || m_errorStatus != 0)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    Response response;
    response.statusCode = status.toInt();
    if (response.statusCode >= 300 && response.statusCode < 400)
        return; // a redirect that is being followed
    if (response.statusCode >= 400) {
        // Qt fails the reply itself; its error body is never data.
        m_errorStatus = response.statusCode;
        return;
    }
    bool announced = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    response.contentLength = announced ? length : -1;
    parseContentRange(m_reply->rawHeader("Content-Range"), response);
    response.contentType = m_reply->rawHeader("Content-Type").split(';').constFirst().trimmed().toLower();
    response.fileName = fileNameOf(m_reply->rawHeader("Content-Disposition"));
    m_responded = true;
    if (m_callbacks.response)
        m_callbacks.response(response);
}

void HttpConnection::takeBody()
{
    if (m_done || m_reply->bytesAvailable() <= 0)
        return;
    if (!m_responded) {
        m_reply->skip(m_reply->bytesAvailable());
        return;
    }
    if (m_callbacks.data)
        m_callbacks.data(*m_reply);
}

void HttpConnection::finish()
{
    if (m_errorStatus != 0) {
        fail(u"HTTP %1"_s.arg(m_errorStatus));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(m_reply->errorString());
        return;
    }
    if (!m_responded) {
        fail(LocalizedStrings::shared().text(322));
        return;
    }
    m_done = true;
    if (m_callbacks.finished)
        m_callbacks.finished();
}

void HttpConnection::fail(const QString &reason)
{
    const auto failed = m_callbacks.failed;
    cancel();
    if (failed)
        failed(reason);
}
