#include "WatchPageReader.h"

#include "HttpClient.h"
#include "StringUtils.h"
#include "WatchLink.h"
#include "WatchPage.h"
#include "YoutubeProgramPreferences.h"

#include <QStringDecoder>

namespace {

// Watch pages are a few hundred kilobytes; anything far larger is not one.
constexpr qint64 MaxPageBytes = 32 * 1024 * 1024;

std::optional<QString> decodeUtf8(const std::optional<QByteArray> &bytes)
{
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

SourceReader::Reading WatchPageReader::read(HttpClient &client, const QString &link, const CancelCheck &) const
{
    Reading reading;
    const QString content = decodeUtf8(client.fetch(QUrl(link), MaxPageBytes)).value_or(QString());
    const QString configuration = WatchPage::parseYoutubeObjectFromMainContent(content);
    reading.code = WatchLink::parseYoutubeCodeFromURL(link);
    reading.coverURL = WatchPage::coverURL(reading.code);
    reading.tagCoverURL = WatchPage::highQualityCoverURL(reading.coverURL);
    reading.title = WatchPage::parseYoutubeTitleFromMainContent(content);
    reading.durationSeconds = WatchPage::parseYoutubeVideoDurationFromObjectContent(configuration);
    reading.description = WatchPage::parseYoutubeDescriptionFromObjectContent(content);
    reading.qualities = YoutubeQuality::youtubeQualityListFromObjectContent(
        configuration, [&client](const QString &streamURL) { return client.probeSize(QUrl(streamURL)); });
    if (content.isEmpty() || reading.code.isEmpty() || reading.title.isEmpty()) {
        reading.outcome = Reading::Outcome::Failed;
        if (const QString why = client.lastFailure(); !why.isEmpty())
            reading.note = StringUtils::langStr(437).arg(why);
    }
    // Pages of today carry no configuration of the old form.
    else if (configuration.isEmpty())
        reading.outcome = Reading::Outcome::HandedOn;
    else
        reading.outcome = choose(reading.qualities) ? Reading::Outcome::Read : Reading::Outcome::NoStream;
    return reading;
}

YoutubeQualityPtr WatchPageReader::choose(const YoutubeQualityList &streams) const
{
    return YoutubeQuality::findMorePreferedQualityInList(streams, VideoTypeMP4,
                                                         YoutubeVideoQuality(m_preferences.preferedQuality()));
}
