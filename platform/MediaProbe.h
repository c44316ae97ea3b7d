#pragma once

#include <QByteArray>
#include <QString>

// What a media file on this machine holds, as FFmpeg reads it: a file the
// user added, or one a direct link brought. The file is opened for reading
// only, and nothing is kept between calls, so any thread may read any file
// at any time.
class MediaProbe final
{
public:
    struct Contents
    {
        // False when FFmpeg cannot read the file as media; `failure` then
        // says why, in the user's language.
        bool isMedia = false;
        QString failure;
        // A sound track FFmpeg can decode.
        bool hasSound = false;
        // A moving picture: cover art attached to a song is not one.
        bool hasPicture = false;
        // From the container's tags, else from the sound track's (Ogg keeps
        // them there); trimmed, and cut to MaxTitleLength or
        // MaxCommentLength characters. The comment is the "comment" tag,
        // else the "description".
        QString title;
        QString comment;
        QString artist;
        // Rounded to the nearest second; 0 when the container does not say.
        qint64 seconds = 0;
        // The attached picture as stored (JPEG, PNG…); empty when there is
        // none or it is larger than MaxCoverBytes.
        QByteArray cover;
    };

    static constexpr qsizetype MaxTitleLength = 1000;
    static constexpr qsizetype MaxCommentLength = 64 * 1024;
    static constexpr int MaxCoverBytes = 16 * 1024 * 1024;

    // Fails at once, without opening it, on anything but a regular file: a
    // FIFO would block the reading thread until someone writes to it.
    static Contents read(const QString &path);
};
