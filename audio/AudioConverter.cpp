#include "AudioConverter.h"

#include "AtomicFile.h"
#include "AudioDecoder.h"
#include "StringUtils.h"
#include "WorkerThread.h"


#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr qint64 WavHeaderBytes = 44;

qint32 saturated32(qint64 value)
{
    // Written as the low 32 bits: the largest unsigned value stands for
    // "more than fits".
    return qint32(quint32(std::clamp<qint64>(value, 0, std::numeric_limits<quint32>::max())));
}

bool writeAt(QFile &file, qint64 offset, qint32 value)
{
    QByteArray bytes;
    StringUtils::writeIntToMutableData(value, bytes, 4);
    return file.seek(offset) && file.write(bytes) == bytes.size();
}

} // namespace

AudioConverter::AudioConverter(QString filePath)
    : m_filePath(std::move(filePath))
{
}

AudioConverter::~AudioConverter()
{
    // The thread holds a reference, so this never runs while it works,
    // unless on the thread itself, which WorkerThread allows for.
    m_thread.reset();
}

bool AudioConverter::convertToFile(const QString &outputPath)
{
    std::lock_guard lock(m_mutex);
    if (m_thread)
        return false;
    m_savedFilePath = outputPath;
    auto self = shared_from_this();
    m_thread = std::make_unique<WorkerThread>(
        u"converter"_s, [self](WorkerThread &thread) { self->convertData(thread); },
        [self] {
            if (self->m_reports.finished)
                self->m_reports.finished();
        });
    m_thread->setEnded(m_reports.ended);
    m_thread->start();
    return true;
}

void AudioConverter::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_thread)
            m_thread->cancel();
    }
    // A paused conversion wakes to end.
    { std::lock_guard lock(m_pauseMutex); }
    m_pauseChanged.notify_all();
}

void AudioConverter::setThreadPaused(bool paused)
{
    {
        std::lock_guard lock(m_pauseMutex);
        m_threadPaused = paused;
    }
    m_pauseChanged.notify_all();
}

void AudioConverter::waitWhilePaused(const WorkerThread &thread)
{
    std::unique_lock lock(m_pauseMutex);
    m_pauseChanged.wait(lock, [&] { return !m_threadPaused || thread.isCancelled(); });
}

bool AudioConverter::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_thread && m_thread->isCancelled();
}

bool AudioConverter::stopConverting(std::chrono::milliseconds timeout)
{
    cancel();
    WorkerThread *thread = nullptr;
    {
        std::lock_guard lock(m_mutex);
        thread = m_thread.get();
    }
    return !thread || thread->wait(timeout);
}

bool AudioConverter::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_thread && m_thread->isRunning();
}

QString AudioConverter::failureReason() const
{
    std::lock_guard lock(m_mutex);
    return m_failureReason;
}

void AudioConverter::setFailure(const QString &reason)
{
    std::lock_guard lock(m_mutex);
    m_failureReason = reason;
}

QString AudioConverter::savedFilePath() const
{
    std::lock_guard lock(m_mutex);
    return m_savedFilePath;
}

QByteArray AudioConverter::wavHeader(int channels, int sampleRate, qint64 dataBytes)
{
    constexpr int Bits = 16;
    const int blockAlign = Bits * channels / 8;
    QByteArray header;
    StringUtils::writeStringToMutableData(u"RIFF"_s, header);
    StringUtils::writeIntToMutableData(saturated32(dataBytes + WavHeaderBytes - 8), header, 4);
    StringUtils::writeStringToMutableData(u"WAVEfmt "_s, header);
    StringUtils::writeIntToMutableData(16, header, 4);
    StringUtils::writeIntToMutableData(1, header, 2);
    StringUtils::writeIntToMutableData(channels, header, 2);
    StringUtils::writeIntToMutableData(sampleRate, header, 4);
    StringUtils::writeIntToMutableData(blockAlign * sampleRate, header, 4);
    StringUtils::writeIntToMutableData(blockAlign, header, 2);
    StringUtils::writeIntToMutableData(Bits, header, 2);
    StringUtils::writeStringToMutableData(u"data"_s, header);
    StringUtils::writeIntToMutableData(saturated32(dataBytes), header, 4);
    return header;
}

void AudioConverter::convertData(WorkerThread &thread)
{
    AudioDecoder decoder;
    AtomicFile output(savedFilePath());
    QString error;
    if (!decoder.open(m_filePath, maxChannels())) {
        setFailure(decoder.errorString());
        return;
    }
    if (!output.open()) {
        setFailure(output.errorString());
        return;
    }
    if (!doOnStartConverting(decoder, output, error)) {
        setFailure(error);
        return;
    }
    const bool fed = doConvertData(thread, decoder, output, error);
    const bool finished = doOnFinishConverting(output, error) && fed;
    // What a cancelled run converted is cut short: it never stands under
    // the final name.
    if (thread.isCancelled())
        return;
    if (!finished || !decoder.endedNormally()) {
        setFailure(!finished ? error : decoder.errorString().isEmpty() ? StringUtils::langStr(316) : decoder.errorString());
        return;
    }
    if (!deliver(output, error)) {
        setFailure(error);
        return;
    }
    m_wasFullyConverted = true;
}

bool AudioConverter::deliver(AtomicFile &output, QString &error)
{
    if (m_delivery)
        return m_delivery(output, error);
    if (output.commit(AtomicFile::Replace::Never))
        return true;
    error = output.errorString();
    return false;
}

bool AudioConverter::doConvertData(WorkerThread &thread, AudioDecoder &decoder, AtomicFile &output, QString &error)
{
    char block[BlockBytes];
    int blocks = 0;
    while (decoder.isActive()) {
        if (m_threadPaused)
            waitWhilePaused(thread);
        if (thread.isCancelled())
            return true;
        const qint64 size = decoder.read(block, BlockBytes);
        if (size < 0)
            return true; // the decoder knows why; endedNormally() says no
        if (size > 0 && !writeBlock(block, size, output, error))
            return false;
        if (++blocks == loopCountBeforeUpdating()) {
            postProgress(decoder);
            blocks = 0;
        }
    }
    return true;
}

void AudioConverter::postProgress(const AudioDecoder &decoder)
{
    // The length is the container's estimate: never report beyond 100.
    const qint64 length = decoder.length();
    const int percent = length > 0 ? int(std::min<qint64>(100, decoder.position() * 100 / length)) : 0;
    if (m_reports.progress)
        m_reports.progress(percent);
}

bool AudioConverter::doOnStartConverting(const AudioDecoder &decoder, AtomicFile &output, QString &error)
{
    const QByteArray header = wavHeader(decoder.channels(), decoder.sampleRate(), 0);
    if (output.write(header))
        return true;
    error = output.errorString();
    return false;
}

bool AudioConverter::writeBlock(const char *data, qint64 size, AtomicFile &output, QString &error)
{
    if (output.write(QByteArrayView(data, size)))
        return true;
    error = output.errorString();
    return false;
}

bool AudioConverter::doOnFinishConverting(AtomicFile &output, QString &error)
{
    QFile &file = output.file();
    file.flush();
    const qint64 length = file.size();
    if (writeAt(file, 4, saturated32(length - 8)) && writeAt(file, 40, saturated32(length - WavHeaderBytes)) && file.flush())
        return true;
    error = file.errorString();
    return false;
}
