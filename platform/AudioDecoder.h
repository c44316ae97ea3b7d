#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// The sound track of a media file (MP4/AAC, WebM, FLV, anything FFmpeg
// reads) as 16-bit signed interleaved little-endian PCM at the track's own
// sample rate, read block by block. Used by one thread at a time.
class AudioDecoder final
{
public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder &) = delete;
    AudioDecoder &operator=(const AudioDecoder &) = delete;

    // False for a file that is missing, not media, or without a sound track.
    // With `maxChannels` above 0, more channels are mixed down to that many.
    bool open(const QString &path, int maxChannels = 0);

    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }

    // Whether more PCM is to come.
    bool isActive() const;
    // Up to `maxBytes` bytes (whole samples); 0 at the end, -1 on an error.
    qint64 read(char *buffer, qint64 maxBytes);
    // Bytes of PCM delivered so far, and the expected total (0 if unknown;
    // the container's duration is an estimate).
    qint64 position() const { return m_position; }
    qint64 length() const { return m_length; }

    // The sound was read to its end without a demuxing or decoding error,
    // and as far as the container said it goes: a file cut short (an
    // incomplete download) ends early without any error of its own.
    bool endedNormally() const;
    QString errorString() const { return m_error; }

private:
    bool decodeMore();
    bool receiveFrames();
    bool appendConverted(const AVFrame *frame);
    void fail(const QString &what, int code);

    struct Handles;
    std::unique_ptr<Handles> m_handles;
    int m_streamIndex = -1;
    int m_channels = 0;
    int m_sampleRate = 0;
    qint64 m_length = 0;
    qint64 m_position = 0;
    QByteArray m_pending;
    qsizetype m_pendingOffset = 0;
    bool m_draining = false;
    bool m_finished = false;
    QString m_error;
};
