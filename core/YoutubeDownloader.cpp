#include "YoutubeDownloader.h"

#include "AtomicFile.h"
#include "HttpClient.h"
#include "OutputFileName.h"
#include "PageReaderDownload.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "VideoDownload.h"
#include "WorkFolder.h"
#include "WorkerThread.h"
#include "Workspace.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloaderOwner.h"
#include "YoutubeProgramPreferences.h"
#include "YoutubeRowViews.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <map>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Removal waits this long for the item's threads, which look at their
// cancellation ten times a second.
constexpr auto RemovalTimeLimit = 1s;
constexpr auto PageThreadEndLimit = 100ms;

} // namespace

std::shared_ptr<YoutubeDownloader> YoutubeDownloader::create(const QString &youtubeURL,
                                                             std::weak_ptr<YoutubeDownloaderOwner> owner,
                                                             YoutubeProgramPreferences &preferences)
{
    std::shared_ptr<YoutubeDownloader> item(new YoutubeDownloader(youtubeURL, std::move(owner), preferences));
    item->setYoutubeStatus(StatusLoadingInfo);
    return item;
}

YoutubeDownloader::YoutubeDownloader(const QString &youtubeURL, std::weak_ptr<YoutubeDownloaderOwner> owner,
                                     YoutubeProgramPreferences &preferences)
    : m_sourceKind(int(SourceLinks::kindOf(youtubeURL))),
      m_preferences(preferences),
      m_owner(std::move(owner)),
      m_youtubeURL(youtubeURL),
      m_reader(SourceReader::create(sourceKind(), preferences))
{
}

YoutubeDownloader::~YoutubeDownloader() = default;

// ---- status

void YoutubeDownloader::setYoutubeStatus(YoutubeStatus status)
{
    qint32 current = m_status.load();
    do {
        if (current == status || current == StatusRemoved)
            return;
    } while (!m_status.compare_exchange_weak(current, status));
    announceStatus();
}

bool YoutubeDownloader::changeYoutubeStatus(YoutubeStatus expected, YoutubeStatus status)
{
    if (expected == StatusRemoved)
        return false;
    qint32 current = expected;
    if (!m_status.compare_exchange_strong(current, status))
        return false;
    if (expected != status)
        announceStatus();
    return true;
}

void YoutubeDownloader::announceStatus()
{
    wakeDownload();
    if (const auto listOwner = owner())
        listOwner->downloaderStatusChanged(*this);
    if (const auto views = rowViews())
        views->repaint();
}

OutputFormat YoutubeDownloader::outputFormat() const
{
    const auto running = conversion();
    return running ? running->job().outputFormat : m_preferences.outputFormat();
}

bool YoutubeDownloader::hasStoppedOnFailure() const
{
    const YoutubeStatus status = youtubeStatus();
    return (status == StatusDownloadPaused || status == StatusConvertPaused) && !statusNote().isEmpty();
}

QString YoutubeDownloader::statusNote() const
{
    return locked(m_statusNote);
}

void YoutubeDownloader::setStatusNote(const QString &note)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_statusNote == note)
            return;
        m_statusNote = note;
    }
    redrawRow();
}

// ---- page load

void YoutubeDownloader::loadYoutubeContent()
{
    if (m_wasContentDownloaded.exchange(true))
        return;
    auto self = shared_from_this();
    m_pageThread = std::make_unique<WorkerThread>(u"page load"_s, [self](WorkerThread &thread) {
        self->doLoadYoutubeContent(thread);
    });
    m_pageThread->setEnded(workEndedReport());
    m_pageThread->start();
}

void YoutubeDownloader::doLoadYoutubeContent(WorkerThread &thread)
{
    if (!changeYoutubeStatus(StatusNew, StatusLoadingInfo) && youtubeStatus() != StatusLoadingInfo)
        return;
    HttpClient client([this, &thread] { return thread.isCancelled() || youtubeStatus() == StatusRemoved; });
    const SourceReader::Reading reading = readSource(client, thread);
    // A list puts the entries in the playlist's place; alone, the item has
    // nothing to download.
    if (reading.outcome == SourceReader::Reading::Outcome::Playlist) {
        if (const auto listOwner = owner())
            listOwner->downloaderFoundEntries(*this, reading.entries);
        else
            changeYoutubeStatus(StatusLoadingInfo, StatusNoStream);
        return;
    }
    takeReading(reading);
    if (!reading.title.isEmpty())
        claimFileName(outputFolder());
    using Outcome = SourceReader::Reading::Outcome;
    if (reading.outcome == Outcome::Failed || reading.outcome == Outcome::NoStream)
        setStatusNote(reading.note);
    changeYoutubeStatus(StatusLoadingInfo, reading.outcome == Outcome::Read       ? StatusReady
                                           : reading.outcome == Outcome::NoStream ? StatusNoStream
                                                                                  : StatusInfoFailed);
    if (const auto views = rowViews())
        views->setCoverURL(youtubeCoverURL());
}

// The page as its reader sees it; a page its reader does not understand
// goes on to yt-dlp, which reads any.
SourceReader::Reading YoutubeDownloader::readSource(HttpClient &client, const WorkerThread &thread)
{
    const auto cancelled = [this, &thread] { return thread.isCancelled() || youtubeStatus() == StatusRemoved; };
    SourceReader::Reading reading = reader()->read(client, youtubeURL(), cancelled);
    if (reading.outcome != SourceReader::Reading::Outcome::HandedOn)
        return reading;
    std::shared_ptr<const SourceReader> pageReader = SourceReader::create(SourceKind::PageReader, m_preferences);
    m_sourceKind = int(SourceKind::PageReader);
    setLocked(m_reader, pageReader);
    return pageReader->read(client, youtubeURL(), cancelled);
}

void YoutubeDownloader::takeReading(const SourceReader::Reading &reading)
{
    const YoutubeQualityPtr chosen = reader()->choose(reading.qualities);
    // A removed item keeps nothing of a page that arrives late.
    std::lock_guard lock(m_mutex);
    if (youtubeStatus() == StatusRemoved)
        return;
    m_youtubeCode = reading.code;
    m_youtubeCoverURL = reading.coverURL;
    m_tagCoverURL = reading.tagCoverURL;
    m_youtubeTitle = reading.title;
    m_description = reading.description;
    m_qualityList = reading.qualities;
    m_currentQuality = chosen;
    m_durationInSeconds = reading.durationSeconds;
}

YoutubeQualityPtr YoutubeDownloader::readStreamAgain(HttpClient &client)
{
    const YoutubeQualityPtr old = currentQuality();
    if (!old)
        return nullptr;
    const SourceReader::Reading reading =
        reader()->read(client, youtubeURL(), [this] { return youtubeStatus() == StatusRemoved; });
    const auto isOld = [&old](const YoutubeQualityPtr &stream) {
        return stream->details().formatId == old->details().formatId
            && stream->youtubeVideoType() == old->youtubeVideoType()
            && stream->youtubeVideoQuality() == old->youtubeVideoQuality();
    };
    const auto same = std::find_if(reading.qualities.cbegin(), reading.qualities.cend(), isOld);
    if (same == reading.qualities.cend())
        return nullptr;
    std::lock_guard lock(m_mutex);
    if (youtubeStatus() == StatusRemoved)
        return nullptr;
    m_qualityList = reading.qualities;
    m_currentQuality = *same;
    return *same;
}

// ---- download

void YoutubeDownloader::downloadButtonSelector()
{
    if (youtubeStatus() != StatusReady || m_downloadThread || !currentQuality())
        return;
    if (!reader()->downloads()) {
        convertFile();
        return;
    }
    // A queued item starts as downloading and waits there for its slot.
    if (m_queued)
        changeYoutubeStatus(StatusReady, StatusDownloading);
    else
        startDownloadThread();
}

void YoutubeDownloader::grantDownloadSlot()
{
    if (m_removing)
        return;
    m_hasSlot = true;
    if (m_downloadThread && m_downloadThread->isRunning()) {
        wakeDownload();
        return;
    }
    // A download that ended on an error it caught paused without its thread:
    // Resume starts another.
    m_downloadThread.reset();
    startDownloadThread();
}

void YoutubeDownloader::setPlaceInLine(int ahead)
{
    if (m_placeInLine.exchange(ahead) != ahead)
        redrawRow();
}

YoutubeDownloader::Wait YoutubeDownloader::waiting() const
{
    if (m_waitingForCore)
        return {Wait::For::Core, 0};
    const int ahead = m_placeInLine;
    return ahead >= 0 ? Wait{Wait::For::Turn, ahead} : Wait{};
}

void YoutubeDownloader::setWaitingForCore(bool waiting)
{
    if (m_waitingForCore.exchange(waiting) != waiting)
        redrawRow();
}

bool YoutubeDownloader::mayDownload() const
{
    const YoutubeStatus status = youtubeStatus();
    if (status == StatusDownloading)
        return !m_queued || m_hasSlot;
    return status != StatusDownloadPaused;
}

void YoutubeDownloader::waitForTurn(const WorkerThread &thread)
{
    std::unique_lock lock(m_turnMutex);
    m_turn.wait(lock, [&] { return thread.isCancelled() || mayDownload(); });
}

void YoutubeDownloader::wakeDownload()
{
    // Through the mutex: a waiter between its test and its sleep cannot
    // miss the change.
    { std::lock_guard lock(m_turnMutex); }
    m_turn.notify_all();
}

void YoutubeDownloader::startDownloadThread()
{
    const YoutubeQualityPtr stream = currentQuality();
    auto self = shared_from_this();
    m_downloadThread = std::make_unique<WorkerThread>(
        u"download"_s,
        [self, stream, policy = m_downloadPolicy](WorkerThread &thread) {
            if (stream->details().plainFile)
                VideoDownload(*self, thread, *stream, policy).run();
            else
                PageReaderDownload(*self, thread, *stream, policy).run();
        },
        [self] { self->notificationDownloadThreadWillExit(); });
    m_downloadThread->setEnded(workEndedReport());
    {
        std::lock_guard placing(m_placingMutex);
        m_downloadRunning = true;
    }
    m_downloadThread->start();
}

// A queued item was set downloading when it joined the line, and may have
// been paused before its slot came.
bool YoutubeDownloader::takeUpDownload()
{
    const YoutubeStatus status = youtubeStatus();
    return changeYoutubeStatus(StatusReady, StatusDownloading) || status == StatusDownloading
        || status == StatusDownloadPaused;
}

void YoutubeDownloader::downloadVideo()
{
    const YoutubeStatus status = youtubeStatus();
    if (status == StatusReady)
        downloadButtonSelector();
    else if (isPageFailure(status))
        readPageAgain();
}

// A page that failed (a server's bad moment, a network gone) is read again
// from the start, in its turn among the page loads. The thread that read it
// last may still be in its last steps, which take no network.
void YoutubeDownloader::readPageAgain()
{
    if (m_pageThread && !m_pageThread->wait(PageThreadEndLimit))
        return;
    const YoutubeStatus failed = youtubeStatus();
    setStatusNote({});
    m_wasContentDownloaded = false;
    if (changeYoutubeStatus(failed, StatusLoadingInfo) && !m_queued)
        loadYoutubeContent();
}

void YoutubeDownloader::pause()
{
    if (changeYoutubeStatus(StatusDownloading, StatusDownloadPaused))
        return;
    const auto running = conversion();
    if (running && youtubeStatus() == StatusConverting) {
        running->setPaused(true);
        changeYoutubeStatus(StatusConverting, StatusConvertPaused);
    }
}

void YoutubeDownloader::resume()
{
    if (changeYoutubeStatus(StatusDownloadPaused, StatusDownloading))
        return;
    const auto paused = conversion();
    if (!paused && youtubeStatus() == StatusConvertPaused) {
        convertRestored(StatusConvertPaused);
        return;
    }
    const auto core = m_queued ? MediaConversion::Core::Awaited : MediaConversion::Core::Held;
    if (!paused || youtubeStatus() != StatusConvertPaused || paused->resumeIfRunning(*this, core))
        return;
    // A conversion that succeeded is finishing; one that failed is tried
    // again from the video.
    if (!paused->hasFailed())
        return;
    setStatusNote({});
    startConversion(paused->job(), StatusConvertPaused);
}

bool YoutubeDownloader::play()
{
    return youtubeStatus() != StatusFinished || Workspace::openFile(filePathForDownloading());
}

// A file the user has needs no download: it converts from where it is, and
// is never the item's to delete. Kept as it is, it would be the same file.
void YoutubeDownloader::convertFile()
{
    const OutputFormat format = m_preferences.outputFormat();
    if (format != OutputFormat::Mp3 && format != OutputFormat::Wav) {
        setStatusNote(StringUtils::langStr(403));
        return;
    }
    setStatusNote({});
    setWholeFilePath(youtubeURL());
    if (changeYoutubeStatus(StatusReady, StatusDownloaded))
        convertVideo(format, filePathForSaving(format), StatusDownloaded);
}

void YoutubeDownloader::notificationDownloadThreadWillExit()
{
    bool removed = false;
    {
        std::lock_guard placing(m_placingMutex);
        m_downloadRunning = false;
        removed = youtubeStatus() == StatusRemoved;
    }
    if (removed && !m_keepPartialFile)
        removePartialFile();
    if (youtubeStatus() != StatusDownloaded)
        return;
    if (const QString title = reader()->titleFromFile(filePathForDownloading()); !title.isEmpty()) {
        setLocked(m_youtubeTitle, title);
        redrawRow();
    }
    const OutputFormat format = m_preferences.outputFormat();
    convertVideo(format, filePathForSaving(format), StatusDownloaded);
}

void YoutubeDownloader::convertVideo(OutputFormat format, const QString &outputPath, YoutubeStatus from)
{
    if (format != OutputFormat::Mp3 && format != OutputFormat::Wav) {
        changeYoutubeStatus(from, StatusFinished);
        return;
    }
    startConversion({.outputFormat = format,
                     .videoPath = filePathForDownloading(),
                     .outputPath = outputPath,
                     .coverURL = highQualityCoverURL(),
                     .deleteVideo = m_preferences.deleteInputFileAfterConvert() && reader()->downloads(),
                     .bitrate = m_preferences.bitrate(),
                     .frequency = m_preferences.frequency(),
                     .soundMode = m_preferences.soundMode()},
                    from);
}

void YoutubeDownloader::startConversion(const MediaConversion::Job &job, YoutubeStatus from)
{
    auto fresh = std::make_shared<MediaConversion>(weak_from_this(), job);
    std::shared_ptr<MediaConversion> previous;
    {
        std::lock_guard lock(m_mutex);
        previous = std::exchange(m_conversion, fresh);
    }
    previous.reset();
    if (const auto views = rowViews())
        views->initProgressIndicator(100);
    // Converting before the converter runs: its end may come at once. A
    // queued item waits for its list to give it a core.
    if (changeYoutubeStatus(from, StatusConverting) && !m_queued)
        grantCore();
}

void YoutubeDownloader::grantCore()
{
    setWaitingForCore(false);
    const auto waiting = conversion();
    if (!waiting || youtubeStatus() != StatusConverting || waiting->run())
        return;
    setStatusNote(StringUtils::langStr(303).arg(StringUtils::langStr(314)));
    changeYoutubeStatus(StatusConverting, StatusConvertPaused);
}

std::shared_ptr<MediaConversion> YoutubeDownloader::conversion() const
{
    return locked(m_conversion);
}

// ---- removal

void YoutubeDownloader::stopWork(PartialFiles partialFiles)
{
    if (m_removing.exchange(true))
        return;
    m_keepPartialFile = partialFiles == PartialFiles::Keep;
    if (!stopThreads() && !m_keepPartialFile)
        removePartialFile();
    announceStatus();
}

void YoutubeDownloader::removeObject()
{
    removeAll({shared_from_this()});
}

void YoutubeDownloader::removeAll(const QList<std::shared_ptr<YoutubeDownloader>> &items, PartialFiles partialFiles)
{
    for (const auto &item : items)
        item->stopWork(partialFiles);
    const auto deadline = std::chrono::steady_clock::now() + RemovalTimeLimit;
    for (const auto &item : items)
        item->joinWork(deadline);
}

bool YoutubeDownloader::stopThreads()
{
    // Written directly: the worker threads see it at their next look and
    // none of their compare-and-sets can succeed any more. Under the lock,
    // so that a page load storing its fields either finishes first or sees it.
    bool downloadRunning = false;
    {
        std::lock_guard placing(m_placingMutex);
        std::lock_guard lock(m_mutex);
        m_statusBeforeRemoval = m_status.exchange(StatusRemoved);
        downloadRunning = m_downloadRunning;
    }
    for (WorkerThread *thread : {m_pageThread.get(), m_downloadThread.get()}) {
        if (thread)
            thread->cancel();
    }
    wakeDownload();
    if (const auto running = conversion())
        running->cancel();
    return downloadRunning;
}

// A restored download that was never resumed, or one whose thread ended on a
// failure, has no thread to take its partial file.
void YoutubeDownloader::removePartialFile()
{
    const QString partial = partialFilePath();
    if (QFileInfo(partial).isDir())
        WorkFolder::removeLeftover(partial);
    else if (!partial.isEmpty())
        QFile::remove(partial);
}

bool YoutubeDownloader::hasWorkRunning() const
{
    const auto running = conversion();
    return (m_pageThread && m_pageThread->isRunning()) || (m_downloadThread && m_downloadThread->isRunning())
        || (running && running->isRunning());
}

bool YoutubeDownloader::joinWork(std::chrono::steady_clock::time_point deadline)
{
    const auto timeLeft = [deadline] {
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()),
                        0ms);
    };
    bool ended = true;
    for (WorkerThread *thread : {m_pageThread.get(), m_downloadThread.get()}) {
        if (thread)
            ended = thread->wait(timeLeft()) && ended;
    }
    // The download thread may have started a conversion before it ended.
    if (const auto running = conversion()) {
        running->cancel();
        ended = running->stop(timeLeft()) && ended;
    }
    return ended;
}

std::function<void()> YoutubeDownloader::workEndedReport()
{
    return [owner = locked(m_owner), item = weak_from_this()] {
        if (const auto listOwner = owner.lock())
            listOwner->downloaderWorkEnded(item);
    };
}

std::shared_ptr<YoutubeDownloaderOwner> YoutubeDownloader::owner() const
{
    return locked(m_owner).lock();
}

// ---- fields

QString YoutubeDownloader::youtubeURL() const
{
    return locked(m_youtubeURL);
}

QString YoutubeDownloader::youtubeCode() const
{
    return locked(m_youtubeCode);
}

QString YoutubeDownloader::youtubeCoverURL() const
{
    return locked(m_youtubeCoverURL);
}

QString YoutubeDownloader::highQualityCoverURL() const
{
    return locked(m_tagCoverURL);
}

QString YoutubeDownloader::youtubeTitle() const
{
    return locked(m_youtubeTitle);
}

QString YoutubeDownloader::descriptionText() const
{
    return locked(m_description);
}

void YoutubeDownloader::setDescription(const QString &description)
{
    setLocked(m_description, description);
}

YoutubeQualityList YoutubeDownloader::qualityList() const
{
    return locked(m_qualityList);
}

YoutubeQualityPtr YoutubeDownloader::currentQuality() const
{
    return locked(m_currentQuality);
}

void YoutubeDownloader::setCurrentQuality(const YoutubeQualityPtr &quality)
{
    std::lock_guard lock(m_mutex);
    if (m_qualityList.contains(quality))
        m_currentQuality = quality;
}

QString YoutubeDownloader::savedFolderPath() const
{
    return locked(m_savedFolderPath);
}

void YoutubeDownloader::setSavedFolderPath(const QString &path)
{
    setLocked(m_savedFolderPath, path);
}

QString YoutubeDownloader::partialFilePath() const
{
    return locked(m_partialFilePath);
}

void YoutubeDownloader::setPartialFilePath(const QString &path)
{
    setLocked(m_partialFilePath, path);
    if (const auto listOwner = owner())
        listOwner->downloaderFilesChanged(*this);
}

QString YoutubeDownloader::wholeFilePath() const
{
    return locked(m_wholeFilePath);
}

void YoutubeDownloader::setWholeFilePath(const QString &path)
{
    setLocked(m_wholeFilePath, path);
}

bool YoutubeDownloader::markDownloaded()
{
    return changeYoutubeStatus(StatusDownloading, StatusDownloaded)
        || changeYoutubeStatus(StatusDownloadPaused, StatusDownloaded);
}

void YoutubeDownloader::takeVideo(const QString &path)
{
    setWholeFilePath(path);
    setPartialFilePath({});
    setStatusNote({});
}

void YoutubeDownloader::addDownloadTime(double seconds)
{
    double time = m_downloadTime.load();
    while (!m_downloadTime.compare_exchange_weak(time, time + seconds)) {
    }
}

// ---- file names

QString YoutubeDownloader::outputFolder() const
{
    QString folder = savedFolderPath();
    if (folder.isEmpty())
        folder = m_preferences.savedFolderPath();
    return OutputFileName::expandedFolder(folder);
}

QString YoutubeDownloader::filePathForDownloading() const
{
    if (QString path = wholeFilePath(); !path.isEmpty())
        return path;
    const YoutubeQualityPtr stream = currentQuality();
    return videoFilePath(stream ? stream->fileExtension() : u".flv"_s);
}

QString YoutubeDownloader::videoFilePath(const QString &extension) const
{
    return outputFolder() + fileBaseName() + extension;
}

// A download taken up from an earlier run's partial file ends beside it,
// where it began, as a paused one does when the output folder changes.
QString YoutubeDownloader::downloadTargetPath(const YoutubeQuality &stream) const
{
    const QFileInfo partial(partialFilePath());
    const QString partialName = partial.fileName();
    const QStringView target = AtomicFile::targetNameOf(partialName);
    return target.isEmpty() ? videoFilePath(stream.fileExtension()) : partial.absolutePath() + u'/' + target.toString();
}

QString YoutubeDownloader::fileBaseName() const
{
    std::lock_guard lock(m_mutex);
    return m_fileBaseName.isEmpty() ? OutputFileName::baseName(m_youtubeTitle) : m_fileBaseName;
}

QString YoutubeDownloader::claimFileName(const QString &folder)
{
    const QString title = youtubeTitle();
    const auto listOwner = owner();
    QString name = listOwner ? listOwner->claimFileName(*this, folder, title) : OutputNames::firstFreeOnDisk(folder, title);
    // Removed meanwhile, the item may have left a list that let go of its
    // names before this one came.
    if (listOwner && youtubeStatus() == StatusRemoved)
        listOwner->releaseFileName(*this);
    setLocked(m_fileBaseName, name);
    return name;
}

QString YoutubeDownloader::commitFile(AtomicFile &file, ItemFile which)
{
    // On disk before the lock is taken: a removal meanwhile must not wait
    // for a slow disk.
    if (!file.sync())
        return {};
    const QFileInfo target(file.targetPath());
    const QString extension = u'.' + target.suffix();
    const QString folder = target.absolutePath() + u'/';
    // Each name found taken is claimed past, so this ends; the bound only
    // guards against a folder that fills as fast as we look.
    for (int attempt = 0; attempt < 100; ++attempt) {
        {
            // A removal waits for a rename under way, and none follows it.
            std::lock_guard placing(m_placingMutex);
            if (youtubeStatus() == StatusRemoved)
                return {};
            if (file.commit(AtomicFile::Replace::Never))
                return file.targetPath();
        }
        if (!file.targetTaken())
            return {};
        // The video names the item; an output beside it takes a free name
        // alone, so that the video stays the item's own by its name.
        const QString name =
            which == ItemFile::Video ? claimFileName(folder) : OutputNames::firstFreeOnDisk(folder, youtubeTitle());
        file.setTargetName(name + extension);
    }
    file.discard();
    return {};
}

QString YoutubeDownloader::filePathForSaving(OutputFormat outputFormat) const
{
    const QString extension = outputFormat == OutputFormat::Mp3 ? u".mp3"_s
        : outputFormat == OutputFormat::Wav                     ? u".wav"_s
                                                                : QString();
    if (extension.isEmpty())
        return filePathForDownloading();
    // A file the user has stays where it is; what is made of it goes to the
    // output folder under the item's name.
    if (!reader()->downloads())
        return videoFilePath(extension);
    return OutputFileName::replaceExtension(filePathForDownloading(), extension);
}

// ---- row views

void YoutubeDownloader::setRowViews(std::shared_ptr<YoutubeRowViews> views)
{
    setLocked(m_rowViews, std::move(views));
}

std::shared_ptr<YoutubeRowViews> YoutubeDownloader::rowViews() const
{
    return locked(m_rowViews);
}

void YoutubeDownloader::redrawRow()
{
    if (const auto listOwner = owner())
        listOwner->downloaderNeedsRedraw(*this);
}
