#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

class AudioConverter;
class YoutubeDownloader;
struct Notification;

// The last stage of an item's work: converting its downloaded video to MP3 or
// WAV, then deleting the video if asked, tagging an MP3 and finishing the
// item. Everything it decides on was fixed when it began (format, paths,
// encoder settings), so a change of preferences meanwhile cannot point the
// item at a file that was never made.
class MediaConversion final
{
public:
    struct Job
    {
        qint32 outputFormat = 0; // 1 MP3, 2 WAV
        QString videoPath;
        QString outputPath;
        QString coverURL;
        qint32 bitrate = 320;
        qint32 frequency = 44100;
        QString soundMode; // "s" or "m"
    };

    MediaConversion(std::weak_ptr<YoutubeDownloader> item, Job job);
    ~MediaConversion();
    MediaConversion(const MediaConversion &) = delete;
    MediaConversion &operator=(const MediaConversion &) = delete;

    const Job &job() const { return m_job; }

    // Starts the converter thread; the item must already show that it
    // converts, since the end may come at once.
    bool start();
    void setPaused(bool paused);
    bool isRunning() const;
    // The converter's run is over (its thread may still be winding up).
    bool hasEnded() const { return m_ended; }
    void cancel();
    bool stop(std::chrono::milliseconds timeout);

private:
    void onProgress(const Notification &notification);
    void onFinished();
    void finish(YoutubeDownloader &item);
    QString writeTags(YoutubeDownloader &item) const;

    std::weak_ptr<YoutubeDownloader> m_item;
    const Job m_job;
    std::shared_ptr<AudioConverter> m_converter;
    std::atomic<bool> m_ended = false;
};
