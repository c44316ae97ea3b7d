#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

// The stream files of the sample site: real MP4 files (H.264 and AAC)
// made by ffmpeg from generated picture and sound, one per format, a sound
// alone (AAC in MP4, .m4a) with a title tag, a picture alone, and the sound
// alone and a clip cut into HLS segments, made on first use and kept in a
// folder. A stream can be given an exact size: the clip is then padded with
// an MP4 "free" box, which players skip.
class SampleMedia final
{
public:
    struct Format
    {
        int itag;
        const char *quality; // the page's keyword
        const char *type;    // the page's MIME type, codecs included
        int width;
        int height;
    };

    // The format whose clip the other sites serve as their picture and sound.
    static constexpr int ClipItag = 18;

    explicit SampleMedia(QString directory);

    // Every format a watch page lists, in the page's order.
    static const QList<Format> &formats();
    static const Format *format(int itag);

    void setClipSeconds(int seconds);
    void setStreamBytes(int itag, qint64 bytes);
    void setDefaultStreamBytes(qint64 bytes);
    // Serves this file for the itag instead of a generated clip (empty: the
    // clip again).
    void setStreamFile(int itag, const QString &path);

    // The file served for an itag; empty when it cannot be made.
    QString streamFile(int itag);
    // The sound alone, as long as a clip, tagged with the title "Sample
    // Tone"; empty when it cannot be made.
    QString toneFile();
    // The picture of the clip that the other sites serve, without its sound
    // (H.264 in MP4); empty when it cannot be made.
    QString pictureFile();
    // A file of the tone ("sound") or of that clip ("clip") as HLS: the media
    // playlist "index.m3u8" or one of its MPEG-TS segments "0.ts", "1.ts"...
    // of about half a second each; empty when there is no such file.
    QString hlsFile(const QString &stream, const QString &name);
    // Runs ffmpeg for every MP4 format and the tone now rather than on first
    // request.
    bool prepare();

    QString directory() const { return m_directory; }

private:
    QString clipFile(const Format &format);
    QString tone();
    static QString madeByFfmpeg(const QString &path, const QStringList &arguments);
    QString hlsFolder(const QString &stream);
    static QString made(const QString &path, const std::function<bool(const QString &scratch)> &make);
    QString paddedFile(const QString &clip, qint64 bytes);

    QString m_directory;
    std::mutex m_mutex;
    int m_clipSeconds = 2;
    qint64 m_defaultBytes = 0;
    QHash<int, qint64> m_streamBytes;
    QHash<int, QString> m_streamFiles;
};
