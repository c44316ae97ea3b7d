#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrlQuery>

// One request as the sample site received it.
struct SiteRequest
{
    QByteArray method;
    QByteArray target; // as sent: absolute form through a proxy, else a path
    QString host;
    QString path;
    QUrlQuery query;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    // Of the answer's head and body, as far as the socket has handed them to
    // the system: what a client that went away may or may not have read.
    qint64 headBytesSent = 0;
    qint64 bodyBytesSent = 0;

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
    qint64 bytesSent() const { return headBytesSent + bodyBytesSent; }
};
