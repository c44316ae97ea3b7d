#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The 128-byte ID3v1 tag appended to an MP3 file. Text is one byte per
// UTF-16 unit: ISO-8859-1 where it can be, "?" otherwise.
class ID3V1Tag final
{
public:
    // Each keeps as many units as its field holds.
    void setTitle(const QString &title) { m_title = limitStringByLength(title, 30); }
    void setArtist(const QString &artist) { m_artist = limitStringByLength(artist, 30); }
    void setAlbum(const QString &album) { m_album = limitStringByLength(album, 30); }
    void setYear(const QString &year) { m_year = limitStringByLength(year, 4); }
    void setComment(const QString &comment) { m_comment = limitStringByLength(comment, CommentLength); }
    void setGenre(const QString &genre) { m_genre = genre; }

    static QString limitStringByLength(const QString &text, int length);
    static void writeStringWithFixedLengthToData(const QString &text, int width, QByteArray &data);
    QByteArray createDataForWriteToFile() const;

    static const QStringList &genresArray();
    // The genre's index; "Other" (12) for a name not in the table.
    static int genreIndexForGenre(const QString &genre);

private:
    // ID3v1.1: the comment's last two bytes are a zero and the track.
    static constexpr int CommentLength = 28;

    QString m_title;
    QString m_artist;
    QString m_album;
    QString m_year;
    QString m_comment;
    QString m_genre;
};
