#pragma once

#include "DownloadRetries.h"
#include "KeptListFile.h"
#include "MediaConversion.h"
#include "SourceReader.h"
#include "YoutubeQuality.h"
#include "YoutubeStatus.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class AtomicFile;
class HttpClient;
class WorkerThread;
class YoutubeDownloaderOwner;
class YoutubeProgramPreferences;
class YoutubeRowViews;

// One link of the download list: the status machine and the threads that
// move it (reading the source, downloading, converting). Its row texts, its
// kept-list record and link recognition live apart (RowTexts, KeptItem,
// SourceLinks).
//
// Threads: the GUI thread creates, pauses, resumes and removes, through the
// list, which also decides when each thread may start; a page-load thread
// and a download thread (each holding a reference to the item) fill the
// fields and move the status. The status is atomic and every change a
// worker makes is a compare-and-set from the status it expects, so nothing
// ever leaves StatusRemoved. String fields are guarded by a mutex.
class YoutubeDownloader final : public std::enable_shared_from_this<YoutubeDownloader>
{
public:
    // A new item in StatusLoadingInfo. `owner` may be null; the item never
    // calls an owner that is gone.
    static std::shared_ptr<YoutubeDownloader> create(const QString &youtubeURL,
                                                     std::weak_ptr<YoutubeDownloaderOwner> owner,
                                                     YoutubeProgramPreferences &preferences);
    // An item as an earlier run kept it, in the status that fits what is on
    // disk now: a download comes back paused with the bytes of its partial
    // file, a finished one whose file is gone says so. Nothing starts until
    // continueRestored().
    static std::shared_ptr<YoutubeDownloader> restore(const KeptListFile::Item &saved,
                                                      std::weak_ptr<YoutubeDownloaderOwner> owner,
                                                      YoutubeProgramPreferences &preferences);
    // Takes up the restored item's work: a conversion converts again, and
    // the row gets its cover and bar. A page that had not loaded loads again
    // when its list lets it (at once for an item without one).
    void continueRestored();
    // What a restored item takes whole, before it is shared: the page it had
    // read (none when it reads it again), its files and its status.
    struct Restored
    {
        SourceKind kind = SourceKind::WatchPage;
        YoutubeStatus status = StatusLoadingInfo;
        QString code;
        QString coverURL;
        QString tagCoverURL;
        QString title;
        QString fileBaseName;
        QString description;
        qint32 durationSeconds = 0;
        YoutubeQualityPtr stream;
        QString note;
        QString wholeFile;
        QString partialFile;
        qint64 bytesHeld = 0;
        double downloadSeconds = 0;
        // The conversion it was in.
        OutputFormat format = OutputFormat::Video;
        QString output;
    };
    ~YoutubeDownloader();
    YoutubeDownloader(const YoutubeDownloader &) = delete;
    YoutubeDownloader &operator=(const YoutubeDownloader &) = delete;

    // Where the item's sound comes from; a watch page that turns out to be
    // of today's form hands the item on to the page reader.
    SourceKind sourceKind() const { return SourceKind(m_sourceKind.load()); }

    // Status.
    YoutubeStatus youtubeStatus() const { return YoutubeStatus(m_status.load()); }
    // Any status but StatusRemoved is left only through removal.
    void setYoutubeStatus(YoutubeStatus status);
    // Moves from `expected` to `status` only if the item is still in
    // `expected`; true when it did.
    bool changeYoutubeStatus(YoutubeStatus expected, YoutubeStatus status);
    QString statusNote() const;
    void setStatusNote(const QString &note);
    // Paused by a failure rather than by the user: Resume tries again.
    bool hasStoppedOnFailure() const;
    // The format of the running conversion, else the one a conversion would
    // use now.
    OutputFormat outputFormat() const;

    // Queued items download only while they hold a slot, which their list
    // grants and takes back; an item that is not queued starts at once.
    // On the list's thread.
    void setQueued() { m_queued = true; }
    void grantDownloadSlot();
    void revokeDownloadSlot() { m_hasSlot = false; }
    // The conversion may run: it starts, or a paused one goes on. An item
    // that is not queued runs its conversion at once.
    void grantCore();
    // Queued and started, but not yet downloading: the downloads ahead of it
    // in the line, shown in place of speed and time; -1 when not waiting.
    void setPlaceInLine(int ahead);
    int placeInLine() const { return m_placeInLine; }
    // What a queued item waits for, which its row shows in place of the
    // status it will run in: its turn in one of the list's lines (a page
    // load, a download), or a free core for its conversion.
    struct Wait
    {
        enum class For { Nothing, Turn, Core };
        For what = For::Nothing;
        int ahead = 0;
    };
    Wait waiting() const;
    void setWaitingForCore(bool waiting);
    // On the download thread: blocks, without polling, while the download is
    // paused or waits for a slot. Status changes, a slot and cancellation
    // wake it at once.
    void waitForTurn(const WorkerThread &thread);
    // Neither paused nor waiting for a slot.
    bool mayDownload() const;
    // On the download thread as it starts: false when the item has left
    // the download (removed, say) before the thread came.
    bool takeUpDownload();

    // User operations, on the GUI thread.
    void loadYoutubeContent();
    void downloadButtonSelector();
    // Downloads a ready item, and reads again a page that could not be read.
    void downloadVideo();
    void pause();
    void resume();
    // False when a finished item's file found no program to open it.
    bool play();
    // How a broken download retries before it pauses (GUI thread).
    void setDownloadPolicy(DownloadRetries::Policy policy) { m_downloadPolicy = policy; }
    // Stops the item's work without waiting for it: the item is
    // StatusRemoved at once, its threads see it within a tenth of a second
    // and end, and its partial file goes with the last of them (at once when
    // none runs), unless it is kept: quitting keeps partial downloads for
    // the next run.
    enum class PartialFiles { Delete, Keep };
    void stopWork(PartialFiles partialFiles = PartialFiles::Delete);
    bool keepsPartialFile() const { return m_keepPartialFile; }
    // A thread of the item's (page load, download, conversion) still runs.
    bool hasWorkRunning() const;
    // Waits for the item's threads until `deadline`, joining those that
    // ended; true when all did.
    bool joinWork(std::chrono::steady_clock::time_point deadline);
    // Stops many items and waits for them with one time limit: for quitting,
    // and for items without a list.
    static void removeAll(const QList<std::shared_ptr<YoutubeDownloader>> &items,
                          PartialFiles partialFiles = PartialFiles::Delete);
    void removeObject();
    // Tells the owner, from a thread of the item's that has just ended, that
    // it can be joined. Holds no reference to the item: the thread must not
    // be the one that destroys it.
    std::function<void()> workEndedReport();

    // On a download thread whose stream address no longer answers: reads
    // the watch page again and takes the same stream's fresh address. Null
    // when the page or the stream is gone.
    YoutubeQualityPtr readStreamAgain(HttpClient &client);

    // Fields.
    QString youtubeURL() const;
    QString youtubeCode() const;
    QString youtubeCoverURL() const;
    // The cover for the tag, often larger than the row's.
    QString highQualityCoverURL() const;
    QString youtubeTitle() const;
    QString descriptionText() const;
    void setDescription(const QString &description);
    qint32 durationInSeconds() const { return m_durationInSeconds; }
    YoutubeQualityList qualityList() const;
    YoutubeQualityPtr currentQuality() const;
    // Only a stream of the item's own list can be chosen.
    void setCurrentQuality(const YoutubeQualityPtr &quality);
    QString savedFolderPath() const;
    void setSavedFolderPath(const QString &path);
    QString wholeFilePath() const;
    // The file the download writes into until it is complete; empty when
    // there is none.
    QString partialFilePath() const;
    void setPartialFilePath(const QString &path);
    void setWholeFilePath(const QString &path);
    // A download with every byte there: the item is downloaded, also when a
    // pause came with the last block. False once it is neither downloading
    // nor paused (removed meanwhile).
    bool markDownloaded();
    // The download's file, put in place at `path`: the kept list hears of
    // the video before it forgets the partial file, so that at no moment
    // does it know of neither.
    void takeVideo(const QString &path);

    // Progress of the running download, readable from any thread.
    qint64 downloadedBytes() const { return m_downloadedBytes; }
    void setDownloadedBytes(qint64 bytes) { m_downloadedBytes = bytes; }
    double downloadTime() const { return m_downloadTime; }
    void addDownloadTime(double seconds);

    // File names. The item's files share one name, without folder or
    // extension, given by its list once the title is known: never the name
    // of a file that stands on disk or of another item's.
    QString fileBaseName() const;
    // Puts a file of the item's in place, flushed to disk, never over
    // another file: when its name was taken meanwhile, a video moves the
    // item to the next free name, an output takes one of its own. Nothing
    // goes in place once the item is removed. The path it got, or empty
    // when it failed (the reason, if any, in the file).
    enum class ItemFile { Video, Output };
    QString commitFile(AtomicFile &file, ItemFile which);
    QString outputFolder() const;
    QString filePathForDownloading() const;
    // The video file of a stream with that extension (".mp4").
    QString videoFilePath(const QString &extension) const;
    // The video file a download of `stream` ends as.
    QString downloadTargetPath(const YoutubeQuality &stream) const;
    // The output file of a conversion to `outputFormat`.
    QString filePathForSaving(OutputFormat outputFormat) const;

    // Row views and table.
    void setRowViews(std::shared_ptr<YoutubeRowViews> views);
    std::shared_ptr<YoutubeRowViews> rowViews() const;
    void redrawRow();

    YoutubeProgramPreferences &preferences() const { return m_preferences; }

    // Runs on the download thread as it ends: finishes the item, or starts
    // its conversion.
    void notificationDownloadThreadWillExit();
    std::shared_ptr<MediaConversion> conversion() const;

private:
    YoutubeDownloader(const QString &youtubeURL, std::weak_ptr<YoutubeDownloaderOwner> owner,
                      YoutubeProgramPreferences &preferences);

    // A copy of a field taken, or a field set, under the item's lock.
    template<typename T>
    T locked(const T &field) const
    {
        std::lock_guard lock(m_mutex);
        return field;
    }
    template<typename T>
    void setLocked(T &field, T value)
    {
        std::lock_guard lock(m_mutex);
        field = std::move(value);
    }

    void announceStatus();
    std::shared_ptr<YoutubeDownloaderOwner> owner() const;
    void wakeDownload();
    void startDownloadThread();
    void doLoadYoutubeContent(WorkerThread &thread);
    void readPageAgain();
    // True when a download thread runs that will see the removal and take
    // its partial file with it.
    bool stopThreads();
    void removePartialFile();
    void convertVideo(OutputFormat format, const QString &outputPath, YoutubeStatus from);
    void convertRestored(YoutubeStatus from);
    void startConversion(const MediaConversion::Job &job, YoutubeStatus from);

    std::shared_ptr<const SourceReader> reader() const { return locked(m_reader); }
    SourceReader::Reading readSource(HttpClient &client, const WorkerThread &thread);
    void takeReading(const SourceReader::Reading &reading);
    void convertFile();

    QString claimFileName(const QString &folder);
    // KeptItem reads what the item keeps to itself, and restores it whole.
    friend class KeptItem;
    void takeRestored(const Restored &restored);

    std::atomic<qint32> m_status = StatusNew;
    std::atomic<int> m_sourceKind = int(SourceKind::WatchPage);
    std::atomic<qint32> m_statusBeforeRemoval = StatusNew;
    std::atomic<bool> m_keepPartialFile = false;
    YoutubeProgramPreferences &m_preferences;
    std::atomic<qint32> m_durationInSeconds = 0;
    std::atomic<qint64> m_downloadedBytes = 0;
    std::atomic<double> m_downloadTime = 0;
    std::atomic<bool> m_wasContentDownloaded = false;
    std::atomic<bool> m_removing = false;
    std::atomic<bool> m_queued = false;
    std::atomic<bool> m_hasSlot = false;
    std::atomic<int> m_placeInLine = -1;
    std::atomic<bool> m_waitingForCore = false;

    // Held while a file goes in place, and by the removal: a file either
    // stands in place before the item is removed, or not at all. Also
    // guards m_downloadRunning, so that exactly one of the removal and an
    // ending download deletes the partial file.
    std::mutex m_placingMutex;
    bool m_downloadRunning = false;

    // What a download waiting for its turn sleeps on.
    std::mutex m_turnMutex;
    std::condition_variable m_turn;

    mutable std::mutex m_mutex;
    std::weak_ptr<YoutubeDownloaderOwner> m_owner;
    QString m_youtubeURL;
    std::shared_ptr<const SourceReader> m_reader;
    QString m_youtubeCode;
    QString m_youtubeCoverURL;
    QString m_tagCoverURL;
    QString m_youtubeTitle;
    QString m_description;
    YoutubeQualityList m_qualityList;
    YoutubeQualityPtr m_currentQuality;
    QString m_savedFolderPath;
    QString m_wholeFilePath;
    QString m_partialFilePath;
    QString m_fileBaseName;
    QString m_statusNote;
    std::shared_ptr<YoutubeRowViews> m_rowViews;
    std::shared_ptr<MediaConversion> m_conversion;
    // The conversion a restored item was in, taken up by continueRestored().
    OutputFormat m_restoredFormat = OutputFormat::Video;
    QString m_restoredOutput;

    // Touched by the GUI thread only.
    DownloadRetries::Policy m_downloadPolicy;
    std::unique_ptr<WorkerThread> m_pageThread;
    std::unique_ptr<WorkerThread> m_downloadThread;
};

Q_DECLARE_METATYPE(std::shared_ptr<YoutubeDownloader>)
