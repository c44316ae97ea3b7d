#include "YtDlpInfo.h"

#include "SourceLinks.h"

#include "HttpClient.h"
#include "YtDlpProgram.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <type_traits>

using namespace Qt::Literals::StringLiterals;

namespace {

// Ids, protocols, extensions and header names are short in any real page.
constexpr qsizetype MaxNameChars = 256;
constexpr double MaxPictureSide = 100'000;
constexpr double MaxBytes = 1e15;
constexpr double MaxKilobitsPerSecond = 1e7;

// Cut at a character, never inside one of two code units.
QString bounded(const QJsonValue &value, qsizetype maxChars)
{
    const QString text = value.toString();
    if (text.size() <= maxChars)
        return text;
    return text.left(text.at(maxChars).isLowSurrogate() ? maxChars - 1 : maxChars);
}

// Anything but an http or https address (a file, a script, inline data, a
// path relative to a page we do not know) reads as none.
QString webAddress(const QJsonValue &value)
{
    const QString text = value.toString();
    if (text.size() > YtDlpInfo::MaxURLChars)
        return {};
    const QUrl url(text);
    return HttpClient::isFetchable(url) ? url.toString(QUrl::FullyEncoded) : QString();
}

QString firstAddress(const QJsonObject &object, std::initializer_list<QLatin1StringView> keys)
{
    for (const QLatin1StringView key : keys) {
        if (QString address = webAddress(object[key]); !address.isEmpty())
            return address;
    }
    return {};
}

// A finite number up to `max`; anything else (missing, text, negative, not
// a number) reads as 0.
double boundedNumber(const QJsonValue &value, double max)
{
    const double number = value.toDouble();
    return std::isfinite(number) && number > 0 ? std::min(number, max) : 0;
}

double firstNumber(const QJsonObject &object, std::initializer_list<QLatin1StringView> keys, double max)
{
    for (const QLatin1StringView key : keys) {
        if (const double number = boundedNumber(object[key], max); number > 0)
            return number;
    }
    return 0;
}

QString titleOf(const QJsonObject &object)
{
    for (const QLatin1StringView key : {"title"_L1, "fulltitle"_L1, "id"_L1}) {
        if (QString title = bounded(object[key], YtDlpInfo::MaxTitleChars); !title.trimmed().isEmpty())
            return title;
    }
    return {};
}

bool isToken(const QString &name)
{
    static constexpr QLatin1StringView Punctuation("!#$%&'*+-.^_`|~");
    return !name.isEmpty() && name.size() <= MaxNameChars && std::ranges::all_of(name, [](QChar c) {
        return (c.isLetterOrNumber() && c.unicode() < 0x80) || Punctuation.contains(c);
    });
}

// A line end would start a header of the page's choosing, and a NUL cuts a
// request short.
bool isHeaderValue(const QJsonValue &value)
{
    const QString text = value.toString();
    return value.isString() && text.size() <= YtDlpInfo::MaxURLChars && std::ranges::none_of(text, [](QChar c) {
        return c == u'\r' || c == u'\n' || c == u'\0';
    });
}

QList<std::pair<QByteArray, QByteArray>> httpHeaders(const QJsonObject &headers)
{
    QList<std::pair<QByteArray, QByteArray>> kept;
    for (auto it = headers.begin(); it != headers.end() && kept.size() < YtDlpInfo::MaxHeaders; ++it) {
        if (isToken(it.key()) && isHeaderValue(it.value()))
            kept.append({it.key().toLatin1(), it.value().toString().toUtf8()});
    }
    return kept;
}

// A codec of "none" means the stream is not there; without a codec the
// extension tells an audio file from a video that has both.
bool hasStream(const QJsonValue &codec, bool otherwise)
{
    return codec.isString() ? codec.toString() != u"none" : otherwise;
}

std::optional<YtDlpInfo::Format> formatOf(const QJsonObject &object)
{
    YtDlpInfo::Format format;
    format.url = webAddress(object["url"_L1]);
    if (format.url.isEmpty())
        return std::nullopt;
    format.id = bounded(object["format_id"_L1], MaxNameChars);
    format.protocol = bounded(object["protocol"_L1], MaxNameChars);
    format.extension = bounded(object["ext"_L1], MaxNameChars);
    format.hasPicture = hasStream(object["vcodec"_L1], !SourceLinks::namesSoundOnly(format.extension));
    format.hasSound = hasStream(object["acodec"_L1], true);
    format.height = qint32(boundedNumber(object["height"_L1], MaxPictureSide));
    format.bytes = qint64(firstNumber(object, {"filesize"_L1}, MaxBytes));
    format.kilobitsPerSecond = firstNumber(object, {"abr"_L1, "tbr"_L1}, MaxKilobitsPerSecond);
    format.httpHeaders = httpHeaders(object["http_headers"_L1].toObject());
    return format;
}

std::optional<YtDlpInfo::Entry> entryOf(const QJsonObject &object)
{
    const QString url = firstAddress(object, {"url"_L1, "webpage_url"_L1});
    if (url.isEmpty())
        return std::nullopt;
    return YtDlpInfo::Entry{.url = url, .title = titleOf(object), .id = bounded(object["id"_L1], MaxNameChars)};
}

// The first `max` items that `read` makes something of, in their order.
template <typename Read>
auto readList(const QJsonValue &list, qsizetype max, Read read)
{
    QList<typename std::invoke_result_t<Read, QJsonObject>::value_type> items;
    for (const QJsonValue item : list.toArray()) {
        if (items.size() == max)
            break;
        if (auto readItem = read(item.toObject()))
            items.append(*std::move(readItem));
    }
    return items;
}

// The thumbnail named as such, else the one of the list that yt-dlp prefers,
// then the largest; a later one wins a tie, as yt-dlp lists them from worst
// to best.
QString thumbnailOf(const QJsonObject &page)
{
    QString best = webAddress(page["thumbnail"_L1]);
    if (!best.isEmpty())
        return best;
    std::pair<double, double> bestRank;
    for (const QJsonValue item : page["thumbnails"_L1].toArray()) {
        const QJsonObject thumbnail = item.toObject();
        const QString url = webAddress(thumbnail["url"_L1]);
        const double pixels =
            boundedNumber(thumbnail["width"_L1], MaxPictureSide) * boundedNumber(thumbnail["height"_L1], MaxPictureSide);
        const std::pair rank{thumbnail["preference"_L1].toDouble(), pixels};
        if (!url.isEmpty() && (best.isEmpty() || rank >= bestRank)) {
            best = url;
            bestRank = rank;
        }
    }
    return best;
}

std::pair<double, double> audioRank(const YtDlpInfo::Format &format)
{
    return {format.kilobitsPerSecond, double(format.bytes)};
}

// The one of highest rank among those that fit; a later one wins a tie, as
// yt-dlp lists its formats from worst to best.
template <typename Fits, typename Rank>
std::optional<YtDlpInfo::Format> best(const QList<YtDlpInfo::Format> &formats, Fits fits, Rank rank)
{
    std::optional<YtDlpInfo::Format> found;
    for (const YtDlpInfo::Format &format : formats) {
        if (fits(format) && (!found || rank(format) >= rank(*found)))
            found = format;
    }
    return found;
}

} // namespace

std::optional<YtDlpInfo> YtDlpInfo::fromJson(const QByteArray &json, Rejection *why)
{
    const auto reject = [why](Rejection rejection) {
        if (why)
            *why = rejection;
        return std::nullopt;
    };
    if (json.size() > YtDlpProgram::MaxPageBytes)
        return reject(Rejection::TooLarge);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return reject(Rejection::NotJson);
    if (!document.isObject())
        return reject(Rejection::NoObject);

    const QJsonObject page = document.object();
    YtDlpInfo info;
    info.id = bounded(page["id"_L1], MaxNameChars);
    info.title = titleOf(page);
    info.description = bounded(page["description"_L1], MaxDescriptionChars);
    info.durationSeconds = qint32(std::lround(boundedNumber(page["duration"_L1], MaxDurationSeconds)));
    info.thumbnail = thumbnailOf(page);
    info.webpageURL = webAddress(page["webpage_url"_L1]);
    info.formats = readList(page["formats"_L1], MaxFormats, formatOf);
    info.isPlaylist = page["_type"_L1].toString() == u"playlist";
    if (info.isPlaylist)
        info.entries = readList(page["entries"_L1], MaxEntries, entryOf);
    return info;
}

std::optional<YtDlpInfo::Format> YtDlpInfo::bestAudioFile(const QList<Format> &formats)
{
    return best(formats, [](const Format &f) { return f.hasSound && !f.hasPicture && isPlainFile(f); }, audioRank);
}

std::optional<YtDlpInfo::Format> YtDlpInfo::bestAudio(const QList<Format> &formats)
{
    return best(formats, [](const Format &f) { return f.hasSound && !f.hasPicture; }, audioRank);
}

std::optional<YtDlpInfo::Format> YtDlpInfo::bestPictureAlone(const QList<Format> &formats)
{
    return best(formats, [](const Format &f) { return f.hasPicture && !f.hasSound; },
                [](const Format &f) { return std::pair(double(f.height), f.kilobitsPerSecond); });
}

QList<YtDlpInfo::Format> YtDlpInfo::withPictureAndSound(const QList<Format> &formats)
{
    QList<Format> both;
    std::ranges::copy_if(formats, std::back_inserter(both), [](const Format &f) { return f.hasPicture && f.hasSound; });
    return both;
}

bool YtDlpInfo::isPlainFile(const Format &format)
{
    return format.protocol == u"https" || format.protocol == u"http";
}
