#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class AtomicFile;
class AudioDecoder;
class WorkerThread;

// Turns the sound track of a video file into a WAV file on a worker thread of
// its own, block by block, with pause and cancellation. Progress and the end
// are reported on that thread; the end after every run, and
// wasFullyConverted() tells whether the result is complete. The output is
// written under a temporary name and put in place only when complete, never
// over another file; a cancelled or failed run leaves nothing. How many run
// at once is for the caller to decide. Subclasses replace the output stage.
class AudioConverter : public std::enable_shared_from_this<AudioConverter>
{
public:
    static constexpr qint64 BlockBytes = 10240;

    explicit AudioConverter(QString filePath);
    virtual ~AudioConverter();
    AudioConverter(const AudioConverter &) = delete;
    AudioConverter &operator=(const AudioConverter &) = delete;

    // Starts the run; false when one was already started.
    bool convertToFile(const QString &outputPath);
    // Cancels the run and waits for its thread up to `timeout`; true when it
    // has ended. Not from the converter's own notifications.
    bool stopConverting(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    void cancel();
    // On the converter's thread, once the output is complete under its
    // temporary name: puts it in place (tagged, under a name of its own).
    // True when it did; otherwise the reason is in `error`, and the
    // temporary file goes. Without one, the output is renamed to the path
    // given, unless a file stands there. Set before the run starts.
    using Delivery = std::function<bool(AtomicFile &output, QString &error)>;
    void setDelivery(Delivery delivery) { m_delivery = std::move(delivery); }

    // Told on the converter's thread: the percentage done now and then; the
    // run's end; and, once its thread counts as ended, that it can be joined.
    // Set before the run starts.
    struct Reports
    {
        std::function<void(int percent)> progress;
        std::function<void()> finished;
        std::function<void()> ended;
    };
    void setReports(Reports reports) { m_reports = std::move(reports); }

    // Paused, the thread sleeps until resumed or cancelled.
    void setThreadPaused(bool paused);
    bool isRunning() const;

    // The decoder reached the end of the sound, nothing was cancelled and the
    // output file is complete in its place.
    bool wasFullyConverted() const { return m_wasFullyConverted; }
    // Why the last run did not complete; empty when it did or was cancelled.
    QString failureReason() const;

    QString savedFilePath() const;

    // The 44-byte header of a 16-bit PCM WAV file with `dataBytes` of
    // samples; sizes beyond 32 bits are written as their largest value.
    static QByteArray wavHeader(int channels, int sampleRate, qint64 dataBytes);

protected:
    // On the converter's thread: whether the run has been cancelled.
    bool isCancelled() const;
    // The stages of a run, on the worker thread. Each returns false on a
    // failure, with the reason in `error`.
    virtual int maxChannels() const { return 0; }
    virtual bool doOnStartConverting(const AudioDecoder &decoder, AtomicFile &output, QString &error);
    virtual bool writeBlock(const char *data, qint64 size, AtomicFile &output, QString &error);
    virtual bool doOnFinishConverting(AtomicFile &output, QString &error);
    virtual int loopCountBeforeUpdating() const { return 100; }

private:
    void convertData(WorkerThread &thread);
    bool doConvertData(WorkerThread &thread, AudioDecoder &decoder, AtomicFile &output, QString &error);
    bool deliver(AtomicFile &output, QString &error);
    void waitWhilePaused(const WorkerThread &thread);
    void postProgress(const AudioDecoder &decoder);
    void setFailure(const QString &reason);

    const QString m_filePath;
    std::atomic<bool> m_threadPaused = false;
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseChanged;
    std::atomic<bool> m_wasFullyConverted = false;
    Delivery m_delivery;
    Reports m_reports;
    mutable std::mutex m_mutex;
    QString m_savedFilePath;
    QString m_failureReason;
    std::unique_ptr<WorkerThread> m_thread;
};
