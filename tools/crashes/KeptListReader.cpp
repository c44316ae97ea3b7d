#include "KeptListReader.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

KeptListReader::KeptListReader(QString path)
    : m_path(std::move(path))
{
}

bool KeptListReader::exists() const
{
    return QFileInfo::exists(m_path);
}

QDateTime KeptListReader::modified() const
{
    return QFileInfo(m_path).lastModified();
}

QByteArray KeptListReader::line(const QString &link) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QByteArray text = link.toUtf8();
    for (const QByteArray &line : lines.mid(1)) {
        // Looked at closely only where the link stands: the list may be long.
        if (line.contains(text) && QJsonDocument::fromJson(line).object().value(u"link"_s).toString() == link)
            return line;
    }
    return {};
}

QJsonObject KeptListReader::item(const QString &link) const
{
    return QJsonDocument::fromJson(line(link)).object();
}

QString KeptListReader::status(const QString &link) const
{
    return item(link).value(u"status"_s).toString();
}
