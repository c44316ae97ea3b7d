#include "AudioDecoder.h"

#include "LocalizedStrings.h"

#include <QFile>

#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int BytesPerSample = 2;

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace

// Every FFmpeg object of one decoder, freed in one place.
struct AudioDecoder::Handles
{
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwrContext *resampler = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;

    ~Handles()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

AudioDecoder::AudioDecoder() = default;
AudioDecoder::~AudioDecoder() = default;

bool AudioDecoder::open(const QString &path, int maxChannels)
{
    // Errors are reported through errorString(), not on the terminal.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    m_handles = std::make_unique<Handles>();
    Handles &h = *m_handles;
    int code = avformat_open_input(&h.format, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (code < 0) {
        fail(LocalizedStrings::shared().text(323), code);
        return false;
    }
    if ((code = avformat_find_stream_info(h.format, nullptr)) < 0) {
        fail(LocalizedStrings::shared().text(324), code);
        return false;
    }
    const AVCodec *decoder = nullptr;
    m_streamIndex = av_find_best_stream(h.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (m_streamIndex < 0 || !decoder) {
        fail(LocalizedStrings::shared().text(325), m_streamIndex);
        return false;
    }
    const AVStream *stream = h.format->streams[m_streamIndex];
    h.codec = avcodec_alloc_context3(decoder);
    if (!h.codec || avcodec_parameters_to_context(h.codec, stream->codecpar) < 0
        || (code = avcodec_open2(h.codec, decoder, nullptr)) < 0) {
        fail(LocalizedStrings::shared().text(326), code);
        return false;
    }
    if (h.codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&h.codec->ch_layout, h.codec->ch_layout.nb_channels);
    m_sampleRate = h.codec->sample_rate;
    m_channels = h.codec->ch_layout.nb_channels;
    if (maxChannels > 0 && m_channels > maxChannels)
        m_channels = maxChannels;
    if (m_sampleRate <= 0 || m_channels <= 0) {
        fail(LocalizedStrings::shared().text(327), AVERROR_INVALIDDATA);
        return false;
    }

    AVChannelLayout outputLayout;
    av_channel_layout_default(&outputLayout, m_channels);
    if (m_channels == h.codec->ch_layout.nb_channels)
        av_channel_layout_copy(&outputLayout, &h.codec->ch_layout);
    code = swr_alloc_set_opts2(&h.resampler, &outputLayout, AV_SAMPLE_FMT_S16, m_sampleRate, &h.codec->ch_layout,
                               h.codec->sample_fmt, h.codec->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outputLayout);
    if (code < 0 || (code = swr_init(h.resampler)) < 0) {
        fail(LocalizedStrings::shared().text(329), code);
        return false;
    }
    h.packet = av_packet_alloc();
    h.frame = av_frame_alloc();

    const AVRational rate{1, m_sampleRate};
    qint64 samples = 0;
    if (stream->duration != AV_NOPTS_VALUE)
        samples = av_rescale_q(stream->duration, stream->time_base, rate);
    else if (h.format->duration != AV_NOPTS_VALUE)
        samples = av_rescale_q(h.format->duration, AVRational{1, AV_TIME_BASE}, rate);
    m_length = std::max<qint64>(0, samples) * m_channels * BytesPerSample;
    return true;
}

bool AudioDecoder::endedNormally() const
{
    const qint64 shortfallAllowed = qint64(m_sampleRate) * m_channels * BytesPerSample; // one second
    return m_finished && m_error.isEmpty() && m_position + shortfallAllowed >= m_length;
}

bool AudioDecoder::isActive() const
{
    return m_handles && m_handles->frame && m_error.isEmpty()
        && (!m_finished || m_pendingOffset < m_pending.size());
}

qint64 AudioDecoder::read(char *buffer, qint64 maxBytes)
{
    if (!m_handles || !m_handles->frame)
        return -1;
    const qint64 frameBytes = qint64(m_channels) * BytesPerSample;
    const qint64 wanted = maxBytes / frameBytes * frameBytes;
    while (m_pending.size() - m_pendingOffset < wanted && !m_finished && m_error.isEmpty()) {
        if (!decodeMore())
            break;
    }
    if (!m_error.isEmpty())
        return -1;
    const qint64 count = std::min<qint64>(wanted, m_pending.size() - m_pendingOffset);
    std::memcpy(buffer, m_pending.constData() + m_pendingOffset, size_t(count));
    m_pendingOffset += count;
    m_position += count;
    // Drop what has been handed out once it is most of the buffer.
    if (m_pendingOffset > 1 << 20 && m_pendingOffset * 2 > m_pending.size()) {
        m_pending.remove(0, m_pendingOffset);
        m_pendingOffset = 0;
    }
    return count;
}

// Feeds the decoder one packet of the sound track (or, at the end of the
// file, the flush), and converts every frame it gives back.
bool AudioDecoder::decodeMore()
{
    Handles &h = *m_handles;
    if (!m_draining) {
        const int code = av_read_frame(h.format, h.packet);
        if (code == AVERROR_EOF) {
            m_draining = true;
            avcodec_send_packet(h.codec, nullptr);
        } else if (code < 0) {
            fail(LocalizedStrings::shared().text(324), code);
            return false;
        } else {
            const bool ours = h.packet->stream_index == m_streamIndex;
            const bool corrupt = h.packet->flags & AV_PKT_FLAG_CORRUPT;
            const int sent = ours ? avcodec_send_packet(h.codec, h.packet) : 0;
            av_packet_unref(h.packet);
            if (ours && (corrupt || (sent < 0 && sent != AVERROR(EAGAIN)))) {
                fail(LocalizedStrings::shared().text(328), sent < 0 ? sent : AVERROR_INVALIDDATA);
                return false;
            }
        }
    }
    return receiveFrames();
}

bool AudioDecoder::receiveFrames()
{
    Handles &h = *m_handles;
    while (true) {
        const int code = avcodec_receive_frame(h.codec, h.frame);
        if (code == AVERROR(EAGAIN))
            return true;
        if (code == AVERROR_EOF) {
            // The resampler may still hold a few samples.
            const bool flushed = appendConverted(nullptr);
            m_finished = true;
            return flushed;
        }
        if (code < 0) {
            fail(LocalizedStrings::shared().text(328), code);
            return false;
        }
        const bool converted = appendConverted(h.frame);
        av_frame_unref(h.frame);
        if (!converted)
            return false;
    }
}

bool AudioDecoder::appendConverted(const AVFrame *frame)
{
    Handles &h = *m_handles;
    const int inputSamples = frame ? frame->nb_samples : 0;
    const int capacity = swr_get_out_samples(h.resampler, inputSamples);
    if (capacity <= 0)
        return true;
    const qsizetype held = m_pending.size();
    m_pending.resize(held + qsizetype(capacity) * m_channels * BytesPerSample);
    auto *out = reinterpret_cast<uint8_t *>(m_pending.data() + held);
    const int converted = swr_convert(h.resampler, &out, capacity, frame ? const_cast<const uint8_t **>(frame->extended_data) : nullptr,
                                      inputSamples);
    if (converted < 0) {
        m_pending.resize(held);
        fail(LocalizedStrings::shared().text(329), converted);
        return false;
    }
    m_pending.resize(held + qsizetype(converted) * m_channels * BytesPerSample);
    return true;
}

void AudioDecoder::fail(const QString &what, int code)
{
    m_error = what + u" ("_s + errorText(code) + u')';
}
