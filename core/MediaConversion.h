#pragma once

#include "OutputSettings.h"

#include <QString>

#include <chrono>
#include <memory>
#include <mutex>

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
        OutputFormat outputFormat = OutputFormat::Mp3; // MP3 or WAV
        QString videoPath;
        QString outputPath;
        QString coverURL;
        qint32 bitrate = 320;
        qint32 frequency = 44100;
        SoundMode soundMode = SoundMode::Stereo; // of an MP3
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
    // Un-pauses the item's conversion if it still runs, and moves the item
    // back to Converting; false once the run is over. Decided together with
    // the run's end, so a conversion ending meanwhile cannot leave the item
    // converting with nothing behind it.
    bool resumeIfRunning(YoutubeDownloader &item);
    // The run is over and failed (its failure is already on the item).
    bool hasFailed() const;
    void cancel();
    // Cancels and keeps nothing of what was converted: the program quits,
    // and converts again at its next start.
    void abandon();
    bool stop(std::chrono::milliseconds timeout);

private:
    void onProgress(const Notification &notification);
    void onFinished();
    void finish(YoutubeDownloader &item);
    QString writeTags(YoutubeDownloader &item) const;

    std::weak_ptr<YoutubeDownloader> m_item;
    const Job m_job;
    std::shared_ptr<AudioConverter> m_converter;

    enum class End { Running, Succeeded, Failed };
    mutable std::mutex m_endMutex;
    End m_end = End::Running;
};
