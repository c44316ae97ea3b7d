#include "PageReader.h"

#include "HttpClient.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "YoutubeProgramPreferences.h"
#include "YtDlpInfo.h"
#include "YtDlpProgram.h"

using namespace Qt::Literals::StringLiterals;

namespace {

YoutubeVideoQuality qualityOfHeight(int height)
{
    if (height <= 0)
        return QualityNone;
    if (height <= 240)
        return Quality240p;
    if (height <= 360)
        return Quality360p;
    if (height <= 480)
        return Quality480p;
    if (height <= 720)
        return Quality720p;
    return height <= 1080 ? Quality1080p : Quality4K;
}

YoutubeQualityPtr streamOf(const YtDlpInfo::Format &format)
{
    const bool audioOnly = !format.hasPicture;
    // The extension names a file of ours: only one we know, never a path.
    const QString extension = SourceLinks::isMediaExtension(format.extension) ? format.extension
        : audioOnly                                                           ? u"m4a"_s
                                                                              : u"mp4"_s;
    QString label = audioOnly ? StringUtils::langStr(400) : QString();
    if (!audioOnly && format.height > 0)
        label = u"%1p"_s.arg(format.height);
    return std::make_shared<YoutubeQuality>(
        audioOnly ? VideoTypeUnknown : VideoTypeMP4, audioOnly ? QualityNone : qualityOfHeight(format.height),
        format.url, format.bytes,
        YoutubeQuality::Details{.formatId = format.id,
                                .extension = extension,
                                .audioOnly = audioOnly,
                                .plainFile = YtDlpInfo::isPlainFile(format),
                                .headers = format.httpHeaders,
                                .label = label});
}

// Picture and sound apart, which yt-dlp fetches both of and puts together.
YoutubeQualityPtr joined(const YtDlpInfo::Format &picture, const YtDlpInfo::Format &sound)
{
    const QString both = StringUtils::langStr(419);
    return std::make_shared<YoutubeQuality>(
        VideoTypeMP4, qualityOfHeight(picture.height), picture.url, 0,
        YoutubeQuality::Details{.formatId = picture.id + u'+' + sound.id,
                                .extension = u"mp4"_s,
                                .plainFile = false,
                                .label = picture.height > 0 ? u"%1p (%2)"_s.arg(picture.height).arg(both)
                                                            : both});
}

// The best sound alone comes first, the stream an MP3 is made from: one
// file when there is one, which our own downloader fetches faster than
// yt-dlp. Then every video with both picture and sound, or failing that
// the best picture with the best sound.
YoutubeQualityList streamsOf(const QList<YtDlpInfo::Format> &formats)
{
    YoutubeQualityList streams;
    const std::optional<YtDlpInfo::Format> sound = YtDlpInfo::bestAudio(formats);
    if (const std::optional<YtDlpInfo::Format> audio = YtDlpInfo::bestAudioFile(formats))
        streams.append(streamOf(*audio));
    else if (sound)
        streams.append(streamOf(*sound));
    const QList<YtDlpInfo::Format> both = YtDlpInfo::withPictureAndSound(formats);
    for (const YtDlpInfo::Format &format : both)
        streams.append(streamOf(format));
    const std::optional<YtDlpInfo::Format> picture = YtDlpInfo::bestPictureAlone(formats);
    if (both.isEmpty() && picture && sound)
        streams.append(joined(*picture, *sound));
    return streams;
}

} // namespace

SourceReader::Reading PageReader::read(HttpClient &, const QString &link, const CancelCheck &cancelled) const
{
    Reading reading;
    // A kept list anybody can edit may name anything as a page.
    if (!HttpClient::isFetchable(QUrl(link)))
        return reading;
    const QString program = YtDlpProgram::locate(m_preferences.pageReaderPath());
    if (program.isEmpty()) {
        reading.note = StringUtils::langStr(404);
        return reading;
    }
    const ChildProcess::Result run = YtDlpProgram::readPage(program, link, cancelled);
    if (!run.succeeded()) {
        reading.note = failureNote(run, YtDlpProgram::PageTimeLimit);
        return reading;
    }
    const std::optional<YtDlpInfo> info = YtDlpInfo::fromJson(run.output);
    if (!info) {
        reading.note = StringUtils::langStr(407);
        return reading;
    }
    if (info->isPlaylist) {
        for (const YtDlpInfo::Entry &entry : info->entries)
            reading.entries.append(entry.url);
        reading.outcome = reading.entries.isEmpty() ? Reading::Outcome::NoStream : Reading::Outcome::Playlist;
        return reading;
    }
    reading.title = info->title.isEmpty() ? link : info->title;
    reading.description = info->description;
    reading.durationSeconds = info->durationSeconds;
    reading.coverURL = reading.tagCoverURL = info->thumbnail;
    reading.qualities = streamsOf(info->formats);
    reading.outcome = choose(reading.qualities) ? Reading::Outcome::Read : Reading::Outcome::NoStream;
    return reading;
}

QString PageReader::failureNote(const ChildProcess::Result &run, std::chrono::milliseconds limit)
{
    switch (run.ending) {
    case ChildProcess::Ending::FailedToStart: return StringUtils::langStr(404);
    case ChildProcess::Ending::TimedOut:
    case ChildProcess::Ending::Stalled:
        return StringUtils::langStr(406).arg(std::chrono::duration_cast<std::chrono::seconds>(limit).count());
    case ChildProcess::Ending::TooMuchOutput: return StringUtils::langStr(407);
    case ChildProcess::Ending::Cancelled: return {};
    default: {
        const QString why = run.lastErrorLine.isEmpty() ? StringUtils::langStr(416).arg(run.exitCode) : run.lastErrorLine;
        return StringUtils::langStr(405).arg(why);
    }
    }
}

// Sound alone for an MP3 or WAV, so that no picture is fetched in vain;
// for a video the preferred picture quality, as on the old pages, or the
// sound where a page has no picture.
YoutubeQualityPtr PageReader::choose(const YoutubeQualityList &streams) const
{
    const OutputFormat format = m_preferences.outputFormat();
    if (format == OutputFormat::Mp3 || format == OutputFormat::Wav) {
        const auto audio = std::find_if(streams.cbegin(), streams.cend(),
                                        [](const YoutubeQualityPtr &stream) { return stream->details().audioOnly; });
        if (audio != streams.cend())
            return *audio;
    }
    const YoutubeQualityPtr video = YoutubeQuality::findMorePreferedQualityInList(
        streams, VideoTypeMP4, YoutubeVideoQuality(m_preferences.preferedQuality()));
    // A page of sound alone still gives its sound.
    return video || streams.isEmpty() ? video : streams.constFirst();
}
