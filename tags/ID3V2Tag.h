#pragma once

#include "HttpClient.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <memory>

class ID3V2Frame;

// An ID3v2.3 tag to put in front of the audio of an MP3 file: title,
// artist, album, genre, comment, user URL and JPEG cover pictures. Bytes
// out: the caller writes them, with the audio behind.
class ID3V2Tag final
{
public:
    ID3V2Tag();
    ~ID3V2Tag();

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString artist() const { return m_artist; }
    void setArtist(const QString &artist) { m_artist = artist; }
    QString album() const { return m_album; }
    void setAlbum(const QString &album) { m_album = album; }
    // Kept, but not written: the tag has no year frame.
    QString year() const { return m_year; }
    void setYear(const QString &year) { m_year = year; }
    QString comment() const { return m_comment; }
    void setComment(const QString &comment) { m_comment = comment; }
    QString genre() const { return m_genre; }
    void setGenre(const QString &genre) { m_genre = genre; }
    QString URL() const { return m_URL; }
    void setURL(const QString &url) { m_URL = url; }

    // Fetches the picture (through the HTTP layer, so the desktop's proxy
    // applies) and adds it re-encoded as JPEG. Gives up after `timeLimit`
    // or as soon as `cancelled` says so. True when a picture was added.
    bool addImageByURL(const QString &url, const HttpClient::CancelCheck &cancelled = {},
                       std::chrono::milliseconds timeLimit = std::chrono::seconds(20));
    // Adds a picture already fetched, in any format Qt reads, re-encoded as
    // JPEG. True when a picture was added.
    bool addImageData(const QByteArray &bytes);
    QList<QByteArray> imagesArray() const { return m_images; }

    QList<std::shared_ptr<ID3V2Frame>> createFrames() const;
    static qint32 calculateTagSizeValue(const QList<std::shared_ptr<ID3V2Frame>> &frames);
    QByteArray buildTagData() const;


private:
    QString m_title;
    QString m_artist;
    QString m_album;
    QString m_year;
    QString m_comment;
    QString m_genre;
    QString m_URL;
    QList<QByteArray> m_images;
};
