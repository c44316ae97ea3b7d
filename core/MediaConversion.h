#pragma once

#include "OutputSettings.h"

#include <QString>

#include <chrono>
#include <memory>
#include <mutex>

class AtomicFile;
class AudioConverter;
class YoutubeDownloader;

// The last stage of an item's work: converting its downloaded video to MP3 or
// WAV, tagging an MP3 before it is put in place under the item's name, then
// deleting the video if asked and finishing the item. Everything it decides
// on was fixed when it began (format, paths, encoder settings), so a change
// of preferences meanwhile cannot point the item at a file that was never
// made.
class MediaConversion final : public std::enable_shared_from_this<MediaConversion>
{
public:
    struct Job
    {
        OutputFormat outputFormat = OutputFormat::Mp3; // MP3 or WAV
        QString videoPath;
        QString outputPath;
        QString coverURL;
        // Once converted; never a file the user added.
        bool deleteVideo = false;
        qint32 bitrate = 320;
        qint32 frequency = 44100;
        SoundMode soundMode = SoundMode::Stereo; // of an MP3
    };

    MediaConversion(std::weak_ptr<YoutubeDownloader> item, Job job);
    ~MediaConversion();
    MediaConversion(const MediaConversion &) = delete;
    MediaConversion &operator=(const MediaConversion &) = delete;

    const Job &job() const { return m_job; }

    // Given a core: starts the converter thread, or lets a paused one go on.
    // The item must already show that it converts, since the end may come
    // at once. False when the thread could not start.
    bool run();
    void setPaused(bool paused);
    bool isRunning() const;
    // Moves the item back to Converting if its conversion still runs, and
    // un-pauses it unless it is to wait for a core first; false once the run
    // is over. Decided together with the run's end, so a conversion ending
    // meanwhile cannot leave the item converting with nothing behind it.
    enum class Core { Held, Awaited };
    bool resumeIfRunning(YoutubeDownloader &item, Core core);
    // The run is over and failed (its failure is already on the item).
    bool hasFailed() const;
    void cancel();
    bool stop(std::chrono::milliseconds timeout);

private:
    // What the converter's thread put in place, and a note for the row.
    struct Delivered
    {
        std::mutex mutex;
        QString path;
        QString note;
    };
    static bool deliver(const std::weak_ptr<YoutubeDownloader> &weak, const Job &job, Delivered &delivered,
                        AtomicFile &converted, QString &error);
    static bool writeTagged(YoutubeDownloader &item, const Job &job, AtomicFile &converted, AtomicFile &tagged,
                            QString &note);
    void onFinished();
    void finish(YoutubeDownloader &item);

    std::weak_ptr<YoutubeDownloader> m_item;
    const Job m_job;
    std::shared_ptr<AudioConverter> m_converter;
    // Shared with the converter's thread, which may outlive this.
    std::shared_ptr<Delivered> m_delivered = std::make_shared<Delivered>();

    enum class End { Running, Succeeded, Failed };
    mutable std::mutex m_endMutex;
    End m_end = End::Running;
    bool m_started = false;
};
