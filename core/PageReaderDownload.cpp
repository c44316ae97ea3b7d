#include "PageReaderDownload.h"

#include "AtomicFile.h"
#include "PageReader.h"
#include "StringUtils.h"
#include "WorkerThread.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"
#include "YoutubeRowViews.h"
#include "YtDlpProgram.h"

#include <QFileInfo>

#include <cmath>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// yt-dlp reports every few kilobytes; a minute of nothing is a hang. Its
// last steps (putting parts together, mending a stream's container) print
// nothing either, but take seconds even for a long video.
constexpr auto SilenceLimit = 60s;
constexpr qint64 CountIntervalMs = 500;
// More than any stream holds: a larger number is garbage.
constexpr qint64 MaxBytes = 1'000'000'000'000'000;

// A count of bytes as the progress line gives it (an estimate has a
// fraction), 0 for "NA" or garbage.
qint64 bytesOf(const QString &field)
{
    const double bytes = field.toDouble();
    return std::isfinite(bytes) && bytes > 0 ? qint64(std::min(bytes, double(MaxBytes))) : 0;
}

} // namespace

PageReaderDownload::PageReaderDownload(YoutubeDownloader &item, WorkerThread &thread, const YoutubeQuality &stream,
                                       DownloadRetries::Policy policy)
    : m_item(item),
      m_thread(thread),
      m_formatId(stream.details().formatId),
      m_retries(item, policy),
      m_folder(item.downloadTargetPath(stream)),
      m_maximum(stream.fileContentSize())
{
}

PageReaderDownload::~PageReaderDownload()
{
    if (!m_folder.isOpen())
        return;
    // The folder goes with it, unless the program quits.
    if (m_item.keepsPartialFile())
        m_folder.keep();
    else
        m_item.setPartialFilePath({});
}

void PageReaderDownload::run()
{
    if (const auto views = m_item.rowViews())
        views->initProgressIndicator(m_maximum);
    if (!m_item.takeUpDownload())
        return;
    if (const QString partial = m_item.partialFilePath(); !partial.isEmpty() && !m_folder.adopt(partial))
        m_item.setPartialFilePath({});
    m_retries.runSteps(m_thread, [this] { return step(); });
}

// One look at the state of things; false ends the download.
bool PageReaderDownload::step()
{
    const YoutubeStatus status = m_item.youtubeStatus();
    if (status == StatusDownloadPaused)
        m_retries.paused();
    if (status != StatusDownloading && status != StatusDownloadPaused)
        return false;
    if (!m_item.mayDownload()) {
        m_item.waitForTurn(m_thread);
        return true;
    }
    if (m_retries.waitForRetry())
        return true;
    return fetch();
}

// One run of yt-dlp, which takes up what the runs before it left.
bool PageReaderDownload::fetch()
{
    if (!m_folder.isOpen() && !openFolder())
        return true;
    m_partsDone = 0;
    m_partBytes = 0;
    m_sinceCounted.start();
    const ChildProcess::Result run =
        YtDlpProgram::download(YtDlpProgram::locate(m_item.preferences().pageReaderPath()),
                               {.url = m_item.youtubeURL(),
                                .formatId = m_formatId,
                                .outputPath = m_folder.filePath(),
                                .cancelled = [this] { return stops(); },
                                .progressLine = [this](const QString &line) { takeProgress(line); },
                                .silenceLimit = SilenceLimit});
    countTime();
    if (run.ending == ChildProcess::Ending::Cancelled)
        return true;
    // A file finished before counts as done: yt-dlp leaves it as it is.
    if (run.succeeded() && QFileInfo(m_folder.filePath()).isFile())
        return finish();
    if (run.ending == ChildProcess::Ending::FailedToStart)
        m_retries.giveUp(StringUtils::langStr(404));
    else
        m_retries.failed(run.succeeded() ? StringUtils::langStr(318) : PageReader::failureNote(run, SilenceLimit),
                         m_item.downloadedBytes());
    return true;
}

bool PageReaderDownload::openFolder()
{
    if (!m_folder.create()) {
        m_retries.giveUp(StringUtils::langStr(302).arg(m_folder.errorString()));
        return false;
    }
    m_item.setPartialFilePath(m_folder.path());
    return true;
}

// yt-dlp goes at a pause, a removal or a slot taken back: what it fetched
// stays in the folder for the next run.
bool PageReaderDownload::stops()
{
    if (m_sinceCounted.hasExpired(CountIntervalMs))
        countTime();
    return m_thread.isCancelled() || m_item.youtubeStatus() != StatusDownloading || !m_item.mayDownload();
}

void PageReaderDownload::countTime()
{
    m_item.addDownloadTime(double(m_sinceCounted.restart()) / 1000);
    m_item.redrawRow();
}

// "bytes/total/estimate", the total "NA" until the end for a stream in
// pieces. Each part (the picture, then the sound) is counted from 0 after
// a line that names the file it goes to.
void PageReaderDownload::takeProgress(const QString &line)
{
    if (line.startsWith(u"[download] Destination:"_s)) {
        m_partsDone += std::exchange(m_partBytes, 0);
        return;
    }
    const QStringList fields = line.split(u'/');
    bool isCount = false;
    const qint64 bytes = fields.size() == 3 ? fields[0].toLongLong(&isCount) : 0;
    if (!isCount || bytes < 0 || bytes > MaxBytes)
        return;
    m_partBytes = bytes;
    const qint64 total = bytesOf(fields[1]);
    const qint64 held = m_partsDone + bytes;
    m_item.setDownloadedBytes(held);
    m_retries.progressed(held);
    const auto views = m_item.rowViews();
    if (!views)
        return;
    // yt-dlp's estimate until the total is known.
    if (const qint64 maximum = m_partsDone + (total > 0 ? total : bytesOf(fields[2])); maximum != m_maximum) {
        m_maximum = maximum;
        views->initProgressIndicator(maximum);
    }
    views->setProgressValue(held);
}

// The finished file goes in place as VideoDownload puts its own; true when
// the download goes on, to be resumed.
bool PageReaderDownload::finish()
{
    if (!m_item.markDownloaded())
        return false;
    AtomicFile file(m_folder.targetPath());
    const QString path =
        file.adoptFinished(m_folder.filePath()) ? m_item.commitFile(file, YoutubeDownloader::ItemFile::Video) : QString();
    if (!path.isEmpty()) {
        m_item.takeVideo(path);
        m_folder.remove();
        return false;
    }
    // Removed as it was put in place: it stays in the folder, which goes
    // with it unless the program quits.
    if (m_item.youtubeStatus() == StatusRemoved) {
        file.keep();
        return false;
    }
    m_retries.notPlaced(file.errorString());
    return true;
}
