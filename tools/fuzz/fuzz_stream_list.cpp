// The stream list of a player configuration and the choice among its
// streams. Sizes come from a probe that answers from the address alone.
#include "FuzzSupport.h"
#include "YoutubeQuality.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype MaxStreams = 32;

// A size the test can predict: -1 (announced none) for addresses ending in
// "x", otherwise a kilobyte per unit of the address.
qint64 probedSize(const QString &url)
{
    return url.endsWith(u'x') ? -1 : url.size() * 1024;
}

constexpr YoutubeVideoType Types[] = {VideoTypeUnknown, VideoTypeFLV, VideoTypeMP4};
constexpr YoutubeVideoQuality Qualities[] = {QualityNone, Quality240p, Quality360p, Quality480p,
                                             Quality720p, Quality1080p, Quality4K};

bool isGrade(YoutubeVideoQuality quality)
{
    return quality >= Quality240p && quality <= Quality4K;
}

void checkStream(const YoutubeQuality &stream)
{
    require(stream.youtubeVideoType() == VideoTypeMP4, "only MP4 streams are listed");
    require(isGrade(stream.youtubeVideoQuality()), "every stream has a known grade");
    const QString url = stream.videoURL();
    require(!url.contains(u"\\u"_s, Qt::CaseInsensitive), "an address ends before the next \\u");
    require(stream.fileContentSize() == (url.isEmpty() ? 0 : probedSize(url)), "the size is the probe's answer");
    require(stream.description().startsWith(u"MP4 ("_s), "the description names the container");
}

// Addresses appear in the page in list order.
void checkOrder(const YoutubeQualityList &list, const QString &content)
{
    qsizetype from = 0;
    for (const YoutubeQualityPtr &stream : list) {
        const QString url = stream->videoURL();
        const qsizetype at = content.indexOf(url, from);
        require(at >= 0, "streams come in page order");
        from = at + url.size();
    }
}

// The first stream of the preferred grade, else the first of the lowest grade.
YoutubeQualityPtr expectedChoice(const YoutubeQualityList &candidates, YoutubeVideoQuality preferred)
{
    YoutubeQualityPtr lowest;
    for (const YoutubeQualityPtr &stream : candidates) {
        if (stream->youtubeVideoQuality() == preferred)
            return stream;
        if (!lowest || stream->youtubeVideoQuality() < lowest->youtubeVideoQuality())
            lowest = stream;
    }
    return lowest;
}

void checkChoice(const YoutubeQualityList &list)
{
    for (YoutubeVideoType type : Types) {
        const YoutubeQualityList ofType = YoutubeQuality::qualityListByVideoType(list, type);
        require(ofType == (type == VideoTypeMP4 ? list : YoutubeQualityList()), "filtering by type keeps the MP4s");
        for (YoutubeVideoQuality preferred : Qualities) {
            const YoutubeQualityPtr chosen = YoutubeQuality::findMorePreferedQualityInList(list, type, preferred);
            require(chosen == expectedChoice(ofType, preferred), "the preferred grade, else the lowest");
        }
    }
    require(YoutubeQuality::minVideoQualityFromList(list) == expectedChoice(list, QualityNone),
            "the lowest grade, the first of equals");
}

void checkList(const QString &content)
{
    qsizetype probes = 0;
    const YoutubeQualityList list = YoutubeQuality::youtubeQualityListFromObjectContent(
        content, [&probes](const QString &url) {
            require(!url.isEmpty(), "no probe without an address");
            ++probes;
            return probedSize(url);
        });
    require(list.size() <= MaxStreams, "at most 32 streams");
    require(list.size() <= content.count(u"type=video/mp4"_s), "a stream per MP4 type marker at most");
    qsizetype withAddress = 0;
    for (const YoutubeQualityPtr &stream : list) {
        require(stream != nullptr, "no empty entry");
        checkStream(*stream);
        withAddress += stream->videoURL().isEmpty() ? 0 : 1;
    }
    require(probes == withAddress, "one probe per listed address");
    checkOrder(list, content);
    checkChoice(list);
}

// The single-piece readers on the input as one piece.
void checkPiece(const QString &piece)
{
    const YoutubeVideoType type = YoutubeQuality::videoTypeFromString(piece);
    require(type == (piece.contains(u"type=video/mp4"_s) ? VideoTypeMP4 : VideoTypeUnknown), "MP4 by its marker");
    const YoutubeVideoQuality quality = YoutubeQuality::videoQualityFromString(piece);
    require(quality == QualityNone || isGrade(quality), "a grade or none");
    for (YoutubeVideoType asType : Types) {
        const YoutubeQualityPtr stream = YoutubeQuality::youtubeQualityFromString(piece, asType, probedSize);
        if (!stream)
            continue;
        require(asType != VideoTypeUnknown, "no stream of unknown type");
        require(isGrade(stream->youtubeVideoQuality()), "a stream has a grade");
        require(stream->videoURL() == YoutubeQuality::videoURLFromString(piece), "the stream's address is the piece's");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString content = fuzzText(data, size);
    checkList(content);
    checkPiece(content);
    return 0;
}
