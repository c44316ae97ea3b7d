#include "SampleMedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

namespace {

bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.start(u"ffmpeg"_s, QStringList{u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-y"_s} + arguments);
    return process.waitForFinished(120'000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

SampleMedia::SampleMedia(QString directory)
    : m_directory(std::move(directory))
{
    QDir().mkpath(m_directory);
}

const QList<SampleMedia::Format> &SampleMedia::formats()
{
    static const QList<Format> all{
        {45, "hd720", "video/webm; codecs=\"vp8.0, vorbis\"", 1280, 720},
        {22, "hd720", "video/mp4; codecs=\"avc1.64001F, mp4a.40.2\"", 1280, 720},
        {37, "hd1080", "video/mp4; codecs=\"avc1.64001F, mp4a.40.2\"", 1920, 1080},
        {35, "large", "video/x-flv", 854, 480},
        {43, "medium", "video/webm; codecs=\"vp8.0, vorbis\"", 640, 360},
        {34, "medium", "video/x-flv", 640, 360},
        {18, "medium", "video/mp4; codecs=\"avc1.42001E, mp4a.40.2\"", 640, 360},
        {5, "small", "video/x-flv", 400, 240},
    };
    return all;
}

const SampleMedia::Format *SampleMedia::format(int itag)
{
    for (const Format &f : formats()) {
        if (f.itag == itag)
            return &f;
    }
    return nullptr;
}

void SampleMedia::setClipSeconds(int seconds)
{
    std::lock_guard lock(m_mutex);
    m_clipSeconds = seconds;
}

void SampleMedia::setStreamBytes(int itag, qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    m_streamBytes.insert(itag, bytes);
}

void SampleMedia::setStreamFile(int itag, const QString &path)
{
    std::lock_guard lock(m_mutex);
    if (path.isEmpty())
        m_streamFiles.remove(itag);
    else
        m_streamFiles.insert(itag, path);
}

void SampleMedia::setDefaultStreamBytes(qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    m_defaultBytes = bytes;
}

bool SampleMedia::prepare()
{
    for (const Format &f : formats()) {
        if (QByteArray(f.type).startsWith("video/mp4") && streamFile(f.itag).isEmpty())
            return false;
    }
    return !toneFile().isEmpty();
}

QString SampleMedia::streamFile(int itag)
{
    const Format *f = format(itag);
    if (!f)
        return {};
    std::lock_guard lock(m_mutex);
    if (const QString chosen = m_streamFiles.value(itag); !chosen.isEmpty())
        return chosen;
    const QString clip = clipFile(*f);
    const qint64 bytes = m_streamBytes.value(itag, m_defaultBytes);
    if (clip.isEmpty() || bytes <= QFileInfo(clip).size())
        return clip;
    return paddedFile(clip, bytes);
}

QString SampleMedia::toneFile()
{
    std::lock_guard lock(m_mutex);
    return tone();
}

QString SampleMedia::pictureFile()
{
    std::lock_guard lock(m_mutex);
    const QString clip = clipFile(*format(ClipItag));
    if (clip.isEmpty())
        return {};
    return madeByFfmpeg(QFileInfo(clip).path() + u"/picture-"_s + QFileInfo(clip).fileName(), {
        u"-i"_s, clip, u"-an"_s, u"-c:v"_s, u"copy"_s, u"-movflags"_s, u"+faststart"_s, u"-f"_s, u"mp4"_s,
    });
}

QString SampleMedia::hlsFile(const QString &stream, const QString &name)
{
    if (name.contains(u'/') || name.startsWith(u'.'))
        return {};
    std::lock_guard lock(m_mutex);
    const QString folder = hlsFolder(stream);
    const QString path = folder + u'/' + name;
    return !folder.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

QString SampleMedia::tone()
{
    const QString seconds = QString::number(m_clipSeconds);
    return madeByFfmpeg(u"%1/tone-%2s.m4a"_s.arg(m_directory, seconds), {
        u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:sample_rate=44100:duration=%1"_s.arg(seconds),
        u"-c:a"_s, u"aac"_s, u"-b:a"_s, u"128k"_s, u"-metadata"_s, u"title=Sample Tone"_s,
        u"-movflags"_s, u"+faststart"_s, u"-f"_s, u"ipod"_s,
    });
}

QString SampleMedia::clipFile(const Format &f)
{
    const QString seconds = QString::number(m_clipSeconds);
    // Every format gets the same kind of clip; the sound differs by format so
    // that a wrong stream is noticed.
    return madeByFfmpeg(u"%1/clip-%2-%3s.mp4"_s.arg(m_directory).arg(f.itag).arg(seconds), {
        u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc2=size=%1x%2:rate=25:duration=%3"_s.arg(f.width).arg(f.height).arg(seconds),
        u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=%1:sample_rate=44100:duration=%2"_s.arg(220 + f.itag * 10).arg(seconds),
        u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, u"-pix_fmt"_s, u"yuv420p"_s,
        u"-c:a"_s, u"aac"_s, u"-b:a"_s, u"128k"_s, u"-ac"_s, u"2"_s, u"-shortest"_s,
        u"-movflags"_s, u"+faststart"_s, u"-f"_s, u"mp4"_s,
    });
}

// The file at path, made by ffmpeg with these arguments (its output last)
// unless it is there already; empty when ffmpeg fails.
QString SampleMedia::madeByFfmpeg(const QString &path, const QStringList &arguments)
{
    return made(path, [&](const QString &scratch) { return ffmpeg(arguments + QStringList{scratch}); });
}

// The folder of a stream's HLS media playlist and its segments, made by
// ffmpeg unless it is there already.
QString SampleMedia::hlsFolder(const QString &stream)
{
    const bool clip = stream == u"clip";
    const QString source = clip ? clipFile(*format(ClipItag)) : stream == u"sound" ? tone() : QString();
    if (source.isEmpty())
        return {};
    // ffmpeg cuts segments at key frames only, and the clip has one at its
    // start alone.
    const QStringList picture{u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, u"-pix_fmt"_s, u"yuv420p"_s,
                              u"-force_key_frames"_s, u"expr:gte(t,n_forced*0.5)"_s};
    const QStringList arguments = QStringList{u"-i"_s, source} + (clip ? picture : QStringList())
        + QStringList{u"-c:a"_s, u"copy"_s, u"-f"_s, u"hls"_s, u"-hls_time"_s, u"0.5"_s,
                      u"-hls_playlist_type"_s, u"vod"_s};
    return made(u"%1/hls-%2-%3s"_s.arg(m_directory, stream).arg(m_clipSeconds), [&](const QString &scratch) {
        return QDir().mkpath(scratch)
            && ffmpeg(arguments + QStringList{u"-hls_segment_filename"_s, scratch + u"/%d.ts"_s, scratch + u"/index.m3u8"_s});
    });
}

// The file or folder at path unless it is there already, else made by `make`
// at a scratch path beside it and moved in place; empty when making fails.
QString SampleMedia::made(const QString &path, const std::function<bool(const QString &scratch)> &make)
{
    if (QFileInfo::exists(path))
        return path;
    // Test programs running side by side may make the same thing at once.
    const QString scratch = path + u".part"_s + QString::number(QCoreApplication::applicationPid());
    // Another program may have put the same in place meanwhile.
    if (!make(scratch) || !QDir().rename(scratch, path)) {
        if (QFileInfo(scratch).isDir())
            QDir(scratch).removeRecursively();
        else
            QFile::remove(scratch);
    }
    return QFileInfo::exists(path) ? path : QString();
}

QString SampleMedia::paddedFile(const QString &clip, qint64 bytes)
{
    const QString path = u"%1.%2.mp4"_s.arg(clip).arg(bytes);
    if (QFileInfo(path).size() == bytes)
        return path;
    QFile source(clip);
    QSaveFile target(path);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly))
        return {};
    const QByteArray clipBytes = source.readAll();
    target.write(clipBytes);
    // One "free" box per 2 GiB at most, since a box size is 32 bits.
    qint64 left = bytes - clipBytes.size();
    const QByteArray zeros(1 << 20, '\0');
    while (left > 0) {
        const qint64 box = std::min<qint64>(left < 8 ? 8 : left, 0x7FFFFFFF);
        quint32 header[2] = {qToBigEndian(quint32(box)), qToBigEndian(quint32(0x66726565))}; // "free"
        target.write(reinterpret_cast<const char *>(header), 8);
        for (qint64 body = box - 8; body > 0; body -= zeros.size())
            target.write(zeros.constData(), std::min<qint64>(body, zeros.size()));
        left -= box;
    }
    return target.commit() ? path : QString();
}
