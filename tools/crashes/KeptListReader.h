#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

// The program's saved list as this driver reads it for itself: a header
// line, then a JSON object a line. Read afresh on every call, since the
// program replaces the file while it runs.
class KeptListReader final
{
public:
    explicit KeptListReader(QString path);

    bool exists() const;
    QDateTime modified() const;
    // The line of the item with this link; empty when there is none.
    QByteArray line(const QString &link) const;
    QJsonObject item(const QString &link) const;
    // "downloading", "finished"...; empty without the item.
    QString status(const QString &link) const;

private:
    QString m_path;
};
