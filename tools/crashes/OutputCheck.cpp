#include "OutputCheck.h"

#include "TestMedia.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double ToleranceSeconds = 0.1;

QByteArray digest(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

std::optional<double> seconds(const QString &path)
{
    bool read = false;
    const double value = TestMedia::probe(path, u"stream=duration"_s).toDouble(&read);
    return read ? std::optional(value) : std::nullopt;
}

} // namespace

OutputCheck::OutputCheck(QString folder, QString title, QString streamFile)
    : m_folder(std::move(folder)), m_title(std::move(title)), m_streamFile(std::move(streamFile))
{
}

QStringList OutputCheck::problems() const
{
    QStringList found;
    for (const QString &problem : {filesProblem(), videoProblem(), durationProblem(), tagProblem()}) {
        if (!problem.isEmpty())
            found.append(problem);
    }
    return found;
}

QString OutputCheck::path(const QString &extension) const
{
    return m_folder + u'/' + m_title + extension;
}

QString OutputCheck::filesProblem() const
{
    QStringList entries = QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    entries.removeOne(m_title + u".mp4"_s);
    entries.removeOne(m_title + u".mp3"_s);
    return entries.isEmpty() ? QString() : u"stray files: %1"_s.arg(entries.join(u", "_s));
}

QString OutputCheck::videoProblem() const
{
    const QString video = path(u".mp4"_s);
    if (!QFile::exists(video))
        return u"no %1.mp4"_s.arg(m_title);
    if (digest(video) != digest(m_streamFile))
        return u"the video (%1 B) is not the stream (%2 B)"_s.arg(QFileInfo(video).size()).arg(QFileInfo(m_streamFile).size());
    return {};
}

QString OutputCheck::durationProblem() const
{
    const QString audio = path(u".mp3"_s);
    if (!QFile::exists(audio))
        return u"no %1.mp3"_s.arg(m_title);
    const std::optional<double> stream = seconds(m_streamFile);
    const std::optional<double> mp3 = seconds(audio);
    if (!stream || !mp3)
        return u"ffprobe reads no sound from the %1"_s.arg(mp3 ? u"stream"_s : u"MP3"_s);
    if (std::abs(*mp3 - *stream) > ToleranceSeconds)
        return u"the MP3 lasts %1 s, the stream's sound %2 s"_s.arg(*mp3).arg(*stream);
    return {};
}

QString OutputCheck::tagProblem() const
{
    TagLib::MPEG::File file(QFile::encodeName(path(u".mp3"_s)).constData());
    TagLib::ID3v2::Tag *tag = file.isValid() && file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    if (!tag)
        return u"TagLib finds no ID3v2 tag"_s;
    const QString title = QString::fromStdWString(tag->title().toWString());
    if (title != m_title)
        return u"the ID3v2 title is \"%1\""_s.arg(title);
    if (tag->frameListMap()["APIC"].isEmpty())
        return u"the ID3v2 tag has no picture"_s;
    return {};
}
