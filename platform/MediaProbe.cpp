#include "MediaProbe.h"

#include "LocalizedStrings.h"

#include <QFile>
#include <QFileInfo>

#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>

extern "C" {
#include <libavformat/avformat.h>
}

using namespace Qt::Literals::StringLiterals;

namespace {

QString failure(int textNumber, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return LocalizedStrings::shared().text(textNumber) + u" ("_s + QString::fromUtf8(text) + u')';
}

struct CloseInput
{
    void operator()(AVFormatContext *format) const { avformat_close_input(&format); }
};
using Input = std::unique_ptr<AVFormatContext, CloseInput>;

std::span<AVStream *const> streamsOf(const AVFormatContext &format)
{
    return {format.streams, format.nb_streams};
}

QString bounded(const char *value, qsizetype maxLength)
{
    QString text = QString::fromUtf8(value).trimmed();
    if (text.size() > maxLength) {
        text.truncate(maxLength);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

// The first of `keys` with a value, on the container, else on the sound track.
QString tag(const AVFormatContext &format, const AVStream *sound, std::initializer_list<const char *> keys,
            qsizetype maxLength)
{
    for (const AVDictionary *tags : {format.metadata, sound ? sound->metadata : nullptr}) {
        for (const char *key : keys) {
            if (const AVDictionaryEntry *entry = av_dict_get(tags, key, nullptr, 0)) {
                if (QString text = bounded(entry->value, maxLength); !text.isEmpty())
                    return text;
            }
        }
    }
    return {};
}

bool isCover(const AVStream *stream)
{
    return stream->disposition & AV_DISPOSITION_ATTACHED_PIC;
}

bool hasMovingPicture(const AVFormatContext &format)
{
    for (const AVStream *stream : streamsOf(format)) {
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !isCover(stream))
            return true;
    }
    return false;
}

QByteArray coverOf(const AVFormatContext &format)
{
    for (const AVStream *stream : streamsOf(format)) {
        const AVPacket &picture = stream->attached_pic;
        if (isCover(stream) && picture.size > 0 && picture.size <= MediaProbe::MaxCoverBytes)
            return QByteArray(reinterpret_cast<const char *>(picture.data), picture.size);
    }
    return {};
}

void describe(AVFormatContext &format, MediaProbe::Contents &contents)
{
    // Asking for the decoder passes over tracks FFmpeg cannot decode.
    const AVCodec *decoder = nullptr;
    const int soundIndex = av_find_best_stream(&format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    const AVStream *sound = soundIndex >= 0 ? format.streams[soundIndex] : nullptr;
    contents.hasSound = sound != nullptr;
    contents.hasPicture = hasMovingPicture(format);
    contents.title = tag(format, sound, {"title"}, MediaProbe::MaxTitleLength);
    contents.comment = tag(format, sound, {"comment", "description"}, MediaProbe::MaxCommentLength);
    contents.artist = tag(format, sound, {"artist"}, MediaProbe::MaxTitleLength);
    if (format.duration > 0)
        contents.seconds = (format.duration + AV_TIME_BASE / 2) / AV_TIME_BASE;
    contents.cover = coverOf(format);
}

} // namespace

MediaProbe::Contents MediaProbe::read(const QString &path)
{
    // Reasons go back to the caller; FFmpeg's own messages would only reach
    // a terminal.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    Contents contents;
    const QFileInfo info(path);
    if (!info.isFile()) {
        contents.failure = LocalizedStrings::shared().text(info.exists() ? 323 : 318);
        return contents;
    }
    // Named as a file, so that a relative name such as "pipe:1" is never
    // taken for another of FFmpeg's protocols.
    AVFormatContext *opened = nullptr;
    int code = avformat_open_input(&opened, ("file:" + QFile::encodeName(path)).constData(), nullptr, nullptr);
    const Input format(opened);
    if (code < 0) {
        contents.failure = failure(323, code);
        return contents;
    }
    if ((code = avformat_find_stream_info(format.get(), nullptr)) < 0) {
        contents.failure = failure(324, code);
        return contents;
    }
    contents.isMedia = true;
    describe(*format, contents);
    return contents;
}
