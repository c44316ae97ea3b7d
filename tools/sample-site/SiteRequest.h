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

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
};
