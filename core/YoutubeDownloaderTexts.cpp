// The item's row texts and the measures behind them and the window's totals.

#include "YoutubeDownloader.h"

#include "StringUtils.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool isDownloadStatus(YoutubeStatus status)
{
    return status == StatusDownloading || status == StatusDownloadPaused;
}

} // namespace

StyledText YoutubeDownloader::descriptionObject() const
{
    StyledText text;
    const QString title = youtubeTitle();
    if (!title.isEmpty())
        text.append(title, {}, StyledText::Font::Bold);
    if (durationInSeconds() > 0)
        text.append(u"\n%1: %2"_s.arg(StringUtils::langStr(188), descriptionYoutubeDuration()), StyledText::Colour::Blue);
    if (const YoutubeQualityPtr stream = currentQuality())
        text.append(u"\n%1: %2"_s.arg(StringUtils::langStr(32), stream->description()), StyledText::Colour::Brown);
    return text;
}

StyledText YoutubeDownloader::descriptionObjectYoutubeStatus() const
{
    StyledText text(Qt::AlignHCenter);
    const YoutubeStatus status = youtubeStatus();
    text.append(statusDescriptionByYoutubeStatus(status, outputFormat()), colourByYoutubeStatus(status),
                StyledText::Font::Bold);
    // A note always tells of trouble (a retry, a failure the item stopped
    // on): in the failure colour, so a row that stopped by itself reads
    // apart from one the user paused.
    if (const QString note = statusNote(); !note.isEmpty())
        text.append(u'\n' + note, colourByYoutubeStatus(StatusInfoFailed), StyledText::Font::System);
    if (!isDownloadStatus(status))
        return text;
    if (const int ahead = placeInLine(); ahead >= 0 && status == StatusDownloading) {
        text.append(u'\n' + StringUtils::langStr(254).arg(ahead), StyledText::Colour::Plain,
                    StyledText::Font::System);
        return text;
    }
    if (calculateDownloadSpeed() > 0)
        text.append(u'\n' + StringUtils::speedText(calculateDownloadSpeed()), StyledText::Colour::Plain,
                    StyledText::Font::System);
    if (const float remaining = calculateRemainingTime(); remaining > 0)
        text.append(u"\n%1 %2"_s.arg(StringUtils::langStr(54), StringUtils::timeText(remaining)), StyledText::Colour::Brown,
                    StyledText::Font::System);
    return text;
}

QString YoutubeDownloader::descriptionYoutubeDuration() const
{
    const qint32 duration = durationInSeconds();
    return duration < 1 ? QString() : StringUtils::timeText(duration);
}

float YoutubeDownloader::calculateDownloadSpeed() const
{
    return downloadSpeed(downloadedBytes(), downloadTime());
}

float YoutubeDownloader::calculateRemainingTime() const
{
    const YoutubeQualityPtr stream = currentQuality();
    return remainingTime(stream ? stream->fileContentSize() : 0, downloadedBytes(), downloadTime());
}

qint64 YoutubeDownloader::downloadedFileSize() const
{
    switch (youtubeStatus()) {
    case StatusDownloading:
    case StatusDownloadPaused: return downloadedBytes();
    case StatusConverting:
    case StatusConvertPaused:
    case StatusDownloaded:
    case StatusFinished: return streamSize();
    default: return 0;
    }
}

qint64 YoutubeDownloader::streamSize() const
{
    const YoutubeQualityPtr stream = currentQuality();
    const qint64 size = stream ? stream->fileContentSize() : 0;
    return size > 0 ? size : downloadedBytes();
}

float YoutubeDownloader::downloadSpeed(qint64 bytes, double seconds)
{
    return seconds > 0 ? float(double(bytes) / seconds) : 0.0f;
}

float YoutubeDownloader::remainingTime(qint64 streamBytes, qint64 bytes, double seconds)
{
    // Without a known size there is nothing to estimate from.
    if (seconds <= 0 || bytes <= 0 || streamBytes <= 0)
        return 0;
    const double total = double(streamBytes) * seconds / double(bytes);
    return float(std::max(total - seconds, 0.0));
}
