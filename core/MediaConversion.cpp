#include "MediaConversion.h"

#include "AtomicFile.h"
#include "AudioConverter.h"
#include "AudioMp3Converter.h"
#include "HttpClient.h"
#include "ID3V1Tag.h"
#include "ID3V2Tag.h"
#include "MediaProbe.h"
#include "StringUtils.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"
#include "YoutubeRowViews.h"

#include <QFile>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

std::shared_ptr<AudioConverter> makeConverter(const MediaConversion::Job &job)
{
    if (job.outputFormat != OutputFormat::Mp3)
        return std::make_shared<AudioConverter>(job.videoPath);
    auto mp3 = std::make_shared<AudioMp3Converter>(job.videoPath);
    mp3->setBitrate(job.bitrate);
    mp3->setFrequency(job.frequency);
    mp3->setSoundMode(job.soundMode == SoundMode::Mono ? u"m"_s : u"s"_s); // lame's -m
    return mp3;
}

} // namespace

MediaConversion::MediaConversion(std::weak_ptr<YoutubeDownloader> item, Job job)
    : m_item(std::move(item)), m_job(std::move(job)), m_converter(makeConverter(m_job))
{
    m_converter->setDelivery([item = m_item, job = m_job, delivered = m_delivered](AtomicFile &output, QString &error) {
        return deliver(item, job, *delivered, output, error);
    });
}

MediaConversion::~MediaConversion()
{
    // Not waited for: its thread keeps the converter alive until it ends.
    m_converter->cancel();
}

bool MediaConversion::run()
{
    {
        std::lock_guard lock(m_endMutex);
        // Paused while it waited for its core, it goes on once it has one.
        m_converter->setThreadPaused(false);
        if (std::exchange(m_started, true))
            return true;
    }
    // Reports reach the conversion while it is there, and the item while it
    // is; the item's owner hears of the end, to join the thread.
    const auto item = m_item.lock();
    m_converter->setReports({.progress =
                                 [item = m_item](int percent) {
                                     const auto alive = item.lock();
                                     if (const auto views = alive ? alive->rowViews() : nullptr)
                                         views->setProgressValue(percent);
                                 },
                             .finished =
                                 [weak = weak_from_this()] {
                                     if (const auto self = weak.lock())
                                         self->onFinished();
                                 },
                             .ended = item ? item->workEndedReport() : std::function<void()>()});
    const bool started = m_converter->convertToFile(m_job.outputPath);
    if (!started) {
        std::lock_guard lock(m_endMutex);
        m_end = End::Failed;
    }
    return started;
}

bool MediaConversion::resumeIfRunning(YoutubeDownloader &item, Core core)
{
    std::lock_guard lock(m_endMutex);
    if (m_end != End::Running)
        return false;
    if (core == Core::Held)
        m_converter->setThreadPaused(false);
    item.changeYoutubeStatus(StatusConvertPaused, StatusConverting);
    return true;
}

bool MediaConversion::hasFailed() const
{
    std::lock_guard lock(m_endMutex);
    return m_end == End::Failed;
}

void MediaConversion::setPaused(bool paused)
{
    m_converter->setThreadPaused(paused);
}

bool MediaConversion::isRunning() const
{
    return m_converter->isRunning();
}

void MediaConversion::cancel()
{
    m_converter->cancel();
}

bool MediaConversion::stop(std::chrono::milliseconds timeout)
{
    return m_converter->stopConverting(timeout);
}

// On the converter's thread, as it ends.
void MediaConversion::onFinished()
{
    const auto item = m_item.lock();
    {
        // Resume decides under the same lock: it sees the run either still
        // going, or over with its failure already on the item.
        std::lock_guard lock(m_endMutex);
        const bool succeeded = m_converter->wasFullyConverted();
        m_end = succeeded ? End::Succeeded : End::Failed;
        if (!item)
            return;
        const YoutubeStatus status = item->youtubeStatus();
        // A conversion paused just as it ended still counts; after a removal
        // nothing happens.
        if (status != StatusConverting && status != StatusConvertPaused)
            return;
        if (!succeeded) {
            // The video stays: it is the only good copy. Resume tries again.
            item->setStatusNote(StringUtils::langStr(303).arg(m_converter->failureReason()));
            item->changeYoutubeStatus(StatusConverting, StatusConvertPaused);
            return;
        }
    }
    finish(*item);
}

void MediaConversion::finish(YoutubeDownloader &item)
{
    {
        std::lock_guard lock(m_delivered->mutex);
        item.setWholeFilePath(m_delivered->path);
        item.setStatusNote(m_delivered->note);
    }
    if (m_job.deleteVideo)
        QFile::remove(m_job.videoPath);
    if (!item.changeYoutubeStatus(StatusConverting, StatusFinished))
        item.changeYoutubeStatus(StatusConvertPaused, StatusFinished);
}

// On the converter's thread. An item removed meanwhile, or a program that
// quits while the cover comes, puts nothing in place: the temporary files go,
// and the next start converts again from the video.
bool MediaConversion::deliver(const std::weak_ptr<YoutubeDownloader> &weak, const Job &job, Delivered &delivered,
                              AtomicFile &converted, QString &error)
{
    const auto item = weak.lock();
    if (!item || item->youtubeStatus() == StatusRemoved)
        return false;
    if (const auto views = item->rowViews())
        views->setProgressValue(100);
    QString note;
    AtomicFile tagged(converted.targetPath());
    AtomicFile &result = writeTagged(*item, job, converted, tagged, note) ? tagged : converted;
    // Removed while the cover came: the commit puts nothing in place.
    const QString path = item->commitFile(result, YoutubeDownloader::ItemFile::Output);
    if (path.isEmpty()) {
        error = result.errorString();
        return false;
    }
    std::lock_guard lock(delivered.mutex);
    delivered.path = path;
    delivered.note = note;
    return true;
}

// The ID3v2 tag, the sound, then the ID3v1 tag, into a file of their own:
// false when the MP3 is not to be tagged, or could not be (the reason in
// `note`, and the MP3 goes in place untagged).
bool MediaConversion::writeTagged(YoutubeDownloader &item, const Job &job, AtomicFile &converted, AtomicFile &tagged,
                                  QString &note)
{
    const YoutubeProgramPreferences &preferences = item.preferences();
    if (!preferences.saveID3Tags() || job.outputFormat != OutputFormat::Mp3)
        return false;
    const QString comment =
        preferences.writeDescriptionToID3Tags() ? item.descriptionText() : NOTIFICATION_YOUTUBE_TARNWICK.toString();
    ID3V2Tag tag;
    tag.setTitle(item.youtubeTitle());
    // A file's path is nobody's business who gets the MP3.
    if (HttpClient::isFetchable(QUrl(item.youtubeURL())))
        tag.setURL(item.youtubeURL());
    tag.setComment(comment);
    if (const QUrl cover(job.coverURL); cover.isLocalFile())
        tag.addImageData(MediaProbe::read(cover.toLocalFile()).cover);
    else
        tag.addImageByURL(job.coverURL, [&item] { return item.youtubeStatus() == StatusRemoved; });
    ID3V1Tag trailer;
    trailer.setTitle(item.youtubeTitle());
    trailer.setComment(comment);
    if (tagged.open() && tagged.write(tag.buildTagData()) && tagged.appendCopyOf(converted.temporaryPath())
        && tagged.write(trailer.createDataForWriteToFile()))
        return true;
    note = StringUtils::langStr(304).arg(tagged.errorString());
    tagged.discard();
    return false;
}
