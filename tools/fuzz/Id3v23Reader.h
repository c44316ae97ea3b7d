#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A strict reader of an ID3v2.3 tag, written from the standard rather than
// from the writer: header, frame layout and the content of the text, comment,
// user URL and picture frames. Strings end at their terminator as the
// standard reads them. The first deviation is kept as the error and ends the
// reading.
class Id3v23Reader final
{
public:
    struct Comment
    {
        QByteArray language;
        QString description;
        QString text;
    };
    struct UserURL
    {
        QString description;
        QByteArray url;
    };
    struct Picture
    {
        QByteArray mimeType;
        int pictureType = -1;
        QString description;
        QByteArray data;
    };

    explicit Id3v23Reader(const QByteArray &tag);

    // Empty for a well-formed tag.
    QString error() const { return m_error; }
    // Every frame's ID in tag order.
    QStringList frameIDs() const { return m_frameIDs; }
    // The text of a text frame (TIT2, TALB...); null when it is absent.
    QString text(const QString &frameID) const { return m_texts.value(frameID); }
    QList<Comment> comments() const { return m_comments; }
    QList<UserURL> userURLs() const { return m_userURLs; }
    QList<Picture> pictures() const { return m_pictures; }

private:
    bool readHeader(QByteArrayView tag);
    bool readFrames(QByteArrayView frames);
    bool readFrame(const QString &frameID, QByteArrayView content);
    bool readTextFrame(const QString &frameID, QByteArrayView content);
    bool readComment(QByteArrayView content);
    bool readUserURL(QByteArrayView content);
    bool readPicture(QByteArrayView content);
    bool fail(const QString &error);

    QString m_error;
    QStringList m_frameIDs;
    QMap<QString, QString> m_texts;
    QList<Comment> m_comments;
    QList<UserURL> m_userURLs;
    QList<Picture> m_pictures;
};
