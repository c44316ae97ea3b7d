#include "RowTexts.h"

#include "StringUtils.h"
#include "YoutubeDownloader.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isDownloadStatus(YoutubeStatus status)
{
    return status == StatusDownloading || status == StatusDownloadPaused;
}

} // namespace

StyledText RowTexts::descriptionObject() const
{
    StyledText text;
    // A row without a title (its page not read yet, or never) shows what it
    // was made from.
    const QString title = m_item.youtubeTitle();
    if (!title.isEmpty())
        text.append(title, {}, StyledText::Font::Bold);
    else
        text.append(m_item.youtubeURL(), {}, StyledText::Font::System);
    if (m_item.durationInSeconds() > 0)
        text.append(u"\n%1: %2"_s.arg(StringUtils::langStr(188), descriptionYoutubeDuration()), StyledText::Colour::Blue);
    if (const YoutubeQualityPtr stream = m_item.currentQuality())
        text.append(u"\n%1: %2"_s.arg(StringUtils::langStr(32), stream->description()), StyledText::Colour::Brown);
    return text;
}

StyledText RowTexts::descriptionObjectYoutubeStatus() const
{
    StyledText text(Qt::AlignHCenter);
    const YoutubeStatus status = m_item.youtubeStatus();
    // A waiting row reads as resting, like a ready one, not as at work.
    text.append(statusLine(), colourByYoutubeStatus(waitingText() ? StatusReady : status), StyledText::Font::Bold);
    // A note always tells of trouble (a retry, a failure the item stopped
    // on): in the failure colour, so a row that stopped by itself reads
    // apart from one the user paused.
    if (const QString note = m_item.statusNote(); !note.isEmpty())
        text.append(u'\n' + note, colourByYoutubeStatus(StatusInfoFailed), StyledText::Font::System);
    // Speed and time left would be of a download that has not begun, or
    // stale in a paused one: that shows how far it got.
    if (!isDownloadStatus(status) || waitingText())
        return text;
    if (status == StatusDownloadPaused) {
        text.append(u'\n' + bytesSoFarText(), StyledText::Colour::Plain, StyledText::Font::System);
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

QString RowTexts::bytesSoFarText() const
{
    const QLocale locale;
    const auto megabytes = [&locale](qint64 bytes) { return locale.toString(double(bytes) / 1024 / 1024, 'f', 1); };
    const YoutubeQualityPtr stream = m_item.currentQuality();
    const qint64 size = stream ? stream->fileContentSize() : 0;
    const QString held = megabytes(m_item.downloadedBytes());
    return size > 0 ? StringUtils::langStr(433).arg(held, megabytes(size)) : StringUtils::langStr(434).arg(held);
}

QString RowTexts::descriptionYoutubeDuration() const
{
    const qint32 duration = m_item.durationInSeconds();
    return duration < 1 ? QString() : StringUtils::timeText(duration);
}

QString RowTexts::statusText() const
{
    const QString text = statusLine();
    const QString note = m_item.statusNote();
    return note.isEmpty() ? text : text + u'\n' + note;
}

// An item in line is in a running status before its work runs: the row says
// what it waits for instead, never that it runs.
std::optional<QString> RowTexts::waitingText() const
{
    const YoutubeStatus status = m_item.youtubeStatus();
    const YoutubeDownloader::Wait wait = m_item.waiting();
    using For = YoutubeDownloader::Wait::For;
    if (wait.what == For::Turn && (status == StatusLoadingInfo || status == StatusDownloading))
        return StringUtils::langStr(254).arg(wait.ahead);
    if (wait.what == For::Core && status == StatusConverting)
        return StringUtils::langStr(420);
    return std::nullopt;
}

QString RowTexts::statusLine() const
{
    return waitingText().value_or(statusDescriptionByYoutubeStatus(m_item.youtubeStatus(), m_item.outputFormat()));
}

float RowTexts::calculateDownloadSpeed() const
{
    return downloadSpeed(m_item.downloadedBytes(), m_item.downloadTime());
}

float RowTexts::calculateRemainingTime() const
{
    const YoutubeQualityPtr stream = m_item.currentQuality();
    return remainingTime(stream ? stream->fileContentSize() : 0, m_item.downloadedBytes(), m_item.downloadTime());
}

qint64 RowTexts::downloadedFileSize() const
{
    switch (m_item.youtubeStatus()) {
    case StatusDownloading:
    case StatusDownloadPaused: return m_item.downloadedBytes();
    case StatusConverting:
    case StatusConvertPaused:
    case StatusDownloaded:
    case StatusFinished: return streamSize();
    default: return 0;
    }
}

qint64 RowTexts::streamSize() const
{
    const YoutubeQualityPtr stream = m_item.currentQuality();
    const qint64 size = stream ? stream->fileContentSize() : 0;
    return size > 0 ? size : m_item.downloadedBytes();
}

QString RowTexts::statusDescriptionByYoutubeStatus(qint32 status, OutputFormat outputFormat)
{
    switch (status) {
    case StatusLoadingInfo: return StringUtils::langStr(50);
    case StatusReady: return StringUtils::langStr(52);
    case StatusNoStream: return StringUtils::langStr(206);
    case StatusInfoFailed: return StringUtils::langStr(207);
    case StatusDownloading: return StringUtils::langStr(47);
    case StatusDownloadPaused:
    case StatusConvertPaused: return StringUtils::langStr(55);
    case StatusConverting: {
        const QString format =
            outputFormat == OutputFormat::Mp3 ? u"MP3"_s : outputFormat == OutputFormat::Wav ? u"WAV"_s : QString();
        return StringUtils::langStr(62) + u' ' + format;
    }
    case StatusFinished: return StringUtils::langStr(56);
    default: return {};
    }
}

StyledText::Colour RowTexts::colourByYoutubeStatus(qint32 status)
{
    using Colour = StyledText::Colour;
    switch (status) {
    case StatusLoadingInfo:
    case StatusDownloading:
    case StatusConverting: return Colour::Purple;
    case StatusReady:
    case StatusDownloadPaused:
    case StatusConvertPaused:
    case StatusFinished: return Colour::Blue;
    case StatusInvalid:
    case StatusNoStream:
    case StatusInfoFailed: return Colour::Red;
    default: return Colour::Plain;
    }
}

float RowTexts::downloadSpeed(qint64 bytes, double seconds)
{
    return seconds > 0 ? float(double(bytes) / seconds) : 0.0f;
}

float RowTexts::remainingTime(qint64 streamBytes, qint64 bytes, double seconds)
{
    // Without a known size there is nothing to estimate from.
    if (seconds <= 0 || bytes <= 0 || streamBytes <= 0)
        return 0;
    const double total = double(streamBytes) * seconds / double(bytes);
    return float(std::max(total - seconds, 0.0));
}
