#include "YoutubeQuality.h"

#include "StringUtils.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString TypeMarker = u"type=video/"_s;
constexpr qsizetype ContainerLength = 5;
// A page offers a handful of streams. Each one listed costs a request for
// its size before the item is ready, so a page offering thousands is cut.
constexpr qsizetype MaxStreams = 32;

struct QualityKeyword
{
    QStringView keyword;
    YoutubeVideoQuality quality;
};

constexpr QualityKeyword Keywords[] = {
    {u"small", Quality240p}, {u"medium", Quality360p}, {u"large", Quality480p},
    {u"hd720", Quality720p}, {u"hd1080", Quality1080p}, {u"4k", Quality4K},
};

} // namespace

YoutubeQuality::YoutubeQuality(YoutubeVideoType type, YoutubeVideoQuality quality, QString url, qint64 fileContentSize,
                               Details details)
    : m_type(type),
      m_quality(quality),
      m_videoURL(std::move(url)),
      m_fileContentSize(fileContentSize),
      m_details(std::move(details))
{
}

QString YoutubeQuality::fileExtension() const
{
    if (!m_details.extension.isEmpty())
        return u'.' + m_details.extension;
    return m_type == VideoTypeMP4 ? u".mp4"_s : u".flv"_s;
}

QString YoutubeQuality::description() const
{
    const QString container = m_details.extension.isEmpty() ? descriptionVideoType(m_type) : m_details.extension.toUpper();
    const QString grade = m_details.label.isEmpty() ? descriptionVideoQuality(m_quality) : m_details.label;
    QString text = grade.isEmpty() ? container : container + u" ("_s + grade + u')';
    if (m_fileContentSize >= 1)
        text += u"; %1 Mb"_s.arg(m_fileContentSize / (1024 * 1024));
    return text;
}

QString YoutubeQuality::descriptionVideoType(qint32 type)
{
    switch (type) {
    case VideoTypeFLV: return u"FLV"_s;
    case VideoTypeMP4: return u"MP4"_s;
    default: return {};
    }
}

QString YoutubeQuality::descriptionVideoQuality(qint32 quality)
{
    switch (quality) {
    case Quality240p: return u"240p"_s;
    case Quality360p: return u"360p"_s;
    case Quality480p: return u"480p"_s;
    case Quality720p: return u"720p (HD)"_s;
    case Quality1080p: return u"1080p (HD)"_s;
    case Quality4K: return u"4K"_s;
    default: return {};
    }
}

YoutubeQualityList YoutubeQuality::youtubeQualityListFromObjectContent(const QString &content, const SizeProbe &probe)
{
    // Each piece runs up to a few units past its own type marker: the
    // parameters before the marker and enough of the container name.
    YoutubeQualityList list;
    qsizetype start = 0;
    for (qsizetype marker = content.indexOf(TypeMarker, 0, Qt::CaseInsensitive); marker >= 0 && list.size() < MaxStreams;) {
        const qsizetype markerEnd = marker + TypeMarker.size();
        const qsizetype end = std::min(content.size(), markerEnd + ContainerLength);
        const QString piece = content.mid(start, end - start);
        if (YoutubeQualityPtr stream = youtubeQualityFromString(piece, videoTypeFromString(piece), probe))
            list.append(std::move(stream));
        start = end;
        marker = content.indexOf(TypeMarker, markerEnd, Qt::CaseInsensitive);
    }
    return list;
}

YoutubeVideoType YoutubeQuality::videoTypeFromString(const QString &piece)
{
    return piece.contains(u"type=video/mp4"_s) ? VideoTypeMP4 : VideoTypeUnknown;
}

YoutubeQualityPtr YoutubeQuality::youtubeQualityFromString(const QString &piece, YoutubeVideoType type,
                                                           const SizeProbe &probe)
{
    const QString keyword = StringUtils::parseTagValueFromTextEnd(piece, u"quality="_s, u"\\u"_s);
    if (type == VideoTypeUnknown || keyword.isEmpty())
        return nullptr;
    const YoutubeVideoQuality quality = videoQualityFromString(keyword);
    if (quality == QualityNone)
        return nullptr;
    const QString url = videoURLFromString(piece);
    const qint64 size = url.isEmpty() || !probe ? 0 : probe(url);
    return std::make_shared<const YoutubeQuality>(type, quality, url, size);
}

YoutubeVideoQuality YoutubeQuality::videoQualityFromString(const QString &keyword)
{
    const QString text = StringUtils::trim(keyword.toLower());
    YoutubeVideoQuality quality = QualityNone;
    for (const QualityKeyword &entry : Keywords) {
        if (text.startsWith(entry.keyword))
            quality = entry.quality;
    }
    return quality;
}

QString YoutubeQuality::videoURLFromString(const QString &piece)
{
    return StringUtils::parseTagValueFromText(piece, u"url="_s, u"\\u"_s);
}

YoutubeQualityList YoutubeQuality::qualityListByVideoType(const YoutubeQualityList &list, YoutubeVideoType type)
{
    YoutubeQualityList matching;
    std::copy_if(list.begin(), list.end(), std::back_inserter(matching),
                 [type](const YoutubeQualityPtr &q) { return q->youtubeVideoType() == type; });
    return matching;
}

YoutubeQualityPtr YoutubeQuality::minVideoQualityFromList(const YoutubeQualityList &list)
{
    // min_element keeps the earliest of equal values.
    const auto it = std::min_element(list.begin(), list.end(), [](const auto &a, const auto &b) {
        return a->youtubeVideoQuality() < b->youtubeVideoQuality();
    });
    return it == list.end() ? nullptr : *it;
}

YoutubeQualityPtr YoutubeQuality::findMorePreferedQualityInList(const YoutubeQualityList &list,
                                                               YoutubeVideoType type, YoutubeVideoQuality preferred)
{
    const YoutubeQualityList candidates = qualityListByVideoType(list, type);
    for (const YoutubeQualityPtr &q : candidates) {
        if (q->youtubeVideoQuality() == preferred)
            return q;
    }
    return minVideoQualityFromList(candidates);
}
