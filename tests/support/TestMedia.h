#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

// Media made for a test by ffmpeg from generated sound (and pictures).
namespace TestMedia {

inline bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                       QStringLiteral("error"), QStringLiteral("-y")}
                                                + arguments);
    return process.waitForFinished(120'000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// An MP4 with an AAC sound track (a sweep, so that every block differs) and,
// if asked, an H.264 picture.
inline bool makeMp4(const QString &path, double seconds, int rate, int channels, bool withVideo = false)
{
    const QString duration = QString::number(seconds);
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                          QStringLiteral("aevalsrc=sin(200*t*t*2*PI)|cos(300*t*2*PI):s=%1:d=%2").arg(rate).arg(duration)};
    if (withVideo)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("testsrc2=size=160x120:rate=10:duration=%1").arg(duration) << QStringLiteral("-c:v")
                  << QStringLiteral("libx264") << QStringLiteral("-preset") << QStringLiteral("ultrafast")
                  << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p");
    arguments << QStringLiteral("-ac") << QString::number(channels) << QStringLiteral("-c:a") << QStringLiteral("aac")
              << QStringLiteral("-b:a") << QStringLiteral("128k") << QStringLiteral("-shortest") << path;
    return ffmpeg(arguments);
}

// What ffmpeg itself decodes from a file: 16-bit PCM at its own rate and
// channels.
inline QByteArray decodedPcm(const QString &path, const QString &scratch)
{
    if (!ffmpeg({QStringLiteral("-i"), path, QStringLiteral("-vn"), QStringLiteral("-f"), QStringLiteral("s16le"),
                 QStringLiteral("-acodec"), QStringLiteral("pcm_s16le"), scratch}))
        return {};
    QFile file(scratch);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Seconds of sound ffmpeg decodes from a file (an MP3's encoder delay and
// padding trimmed, as its LAME header tells).
inline double decodedSeconds(const QString &path, const QString &scratch)
{
    if (!ffmpeg({QStringLiteral("-i"), path, QStringLiteral("-vn"), QStringLiteral("-ac"), QStringLiteral("1"),
                 QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-f"), QStringLiteral("s16le"), scratch}))
        return -1;
    return QFileInfo(scratch).size() / (48000.0 * 2);
}

// One value ffprobe reads from a file, e.g. ("stream=sample_rate") of the
// first sound stream, ("stream=height", "v:0") of the picture, or
// ("format_tags=comment").
inline QString probe(const QString &path, const QString &entry, const QString &stream = QStringLiteral("a:0"))
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), stream,
                   QStringLiteral("-show_entries"), entry, QStringLiteral("-of"),
                   QStringLiteral("default=noprint_wrappers=1:nokey=1"), path});
    process.waitForFinished(60'000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace TestMedia
