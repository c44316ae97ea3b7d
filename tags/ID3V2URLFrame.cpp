#include "ID3V2URLFrame.h"

#include <QUrl>

QByteArray ID3V2URLFrame::renderContent() const
{
    QString url = frameContent();
    if (url.isEmpty())
        return {};
    // Escaped character by character: an address QUrl cannot parse still
    // keeps its text.
    if (encodingFor(url) != Latin1)
        url = QString::fromLatin1(QUrl::toPercentEncoding(url, "!#$%&'()*+,/:;=?@[]~"));
    const Encoding encoding = encodingFor(m_description);
    QByteArray content(1, encoding);
    if (!m_description.isEmpty())
        appendText(content, m_description, encoding);
    appendTerminator(content, encoding);
    appendText(content, url, Latin1);
    return content;
}
