#include "VideoDownload.h"

#include "AtomicFile.h"
#include "EventLoopStep.h"
#include "StringUtils.h"
#include "WorkerThread.h"
#include "YoutubeDownloader.h"
#include "YoutubeRowViews.h"

#include <QCoreApplication>
#include <QEvent>
#include <QIODevice>


using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int PollIntervalMs = 100;
constexpr int ViewTimerMs = 500;

} // namespace

VideoDownload::VideoDownload(YoutubeDownloader &item, WorkerThread &thread, const YoutubeQuality &stream,
                             DownloadRetries::Policy policy)
    : m_item(item),
      m_thread(thread),
      m_url(stream.videoURL()),
      m_headers(stream.details().headers),
      m_retries(item, policy),
      m_expected(stream.fileContentSize()),
      m_path(item.downloadTargetPath(stream))
{
    QObject::connect(&m_viewTimer, &QTimer::timeout, &m_viewTimer, [this] { onViewTimer(); });
}

VideoDownload::~VideoDownload()
{
    if (!m_file)
        return;
    // The file goes with it, unless it was put in place or the program quits.
    if (m_item.keepsPartialFile())
        m_file->keep();
    else
        m_item.setPartialFilePath({});
}

void VideoDownload::run()
{
    if (const auto views = m_item.rowViews())
        views->initProgressIndicator(m_expected);
    if (!m_item.takeUpDownload())
        return;
    adoptPartialFile();
    m_retries.runSteps(m_thread, [this] { return step(); });
    endRequest();
}

// The bytes an earlier run left are kept, unless they cannot be the start
// of this stream.
void VideoDownload::adoptPartialFile()
{
    const QString partial = m_item.partialFilePath();
    if (partial.isEmpty())
        return;
    auto file = std::make_unique<AtomicFile>(m_path);
    if (!file->adopt(partial)) {
        m_item.setPartialFilePath({});
        return;
    }
    m_file = std::move(file);
    m_received = m_file->file().size();
    if (m_expected > 0 && m_received > m_expected)
        restartFile();
    // Every byte may be there already: the run before ended as it was
    // putting the file in place.
    m_complete = m_expected > 0 && m_received == m_expected;
    showProgress();
}

// One look at the state of things; false ends the download.
bool VideoDownload::step()
{
    if (m_connectionEnded) {
        m_connection.reset();
        m_connectionEnded = false;
    }
    const YoutubeStatus status = m_item.youtubeStatus();
    if (m_complete) {
        // Nothing is being downloaded any more: no time to count, no row to
        // redraw, also while a failed save waits for Resume.
        m_viewTimer.stop();
        // A pause that came with the last block does not stop the saving.
        if (status == StatusDownloading || status == StatusDownloadPaused)
            return !save();
        return false;
    }
    if (status == StatusDownloadPaused)
        m_retries.paused();
    if (status != StatusDownloading && status != StatusDownloadPaused)
        return false;
    if (!m_item.mayDownload()) {
        waitForTurn();
        return true;
    }
    if (m_refusedReason) {
        readStreamAgain();
        return true;
    }
    if (m_retries.waitForRetry())
        return true;
    if (!m_connection && !startRequest())
        return true;
    EventLoopStep::run(PollIntervalMs);
    m_connection->pump();
    return true;
}

// A paused download holds no connection and no network manager, whose
// thread would otherwise wait with it.
void VideoDownload::waitForTurn()
{
    endRequest();
    m_client.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_item.waitForTurn(m_thread);
}

bool VideoDownload::startRequest()
{
    // A range even from the start: its answer tells the stream's length, so a
    // connection that drops early is noticed when no Content-Length came.
    m_requestOffset = m_received;
    m_connection = client().open(m_url, {.first = m_requestOffset, .last = HttpConnection::Range::ToEnd}, {
        .response = [this](const HttpConnection::Response &response) { onResponse(response); },
        .data = [this](QIODevice &body) { onData(body); },
        .finished = [this] { onFinished(); },
        .failed = [this](const QString &reason) { onFailed(reason); },
    }, m_headers);
    if (!m_connection) {
        m_retries.giveUp(StringUtils::langStr(301).arg(StringUtils::langStr(313)));
        return false;
    }
    if (!m_viewTimer.isActive())
        m_viewTimer.start(ViewTimerMs);
    return true;
}

HttpClient &VideoDownload::client()
{
    if (!m_client) {
        m_client = std::make_unique<HttpClient>(
            [this] { return m_thread.isCancelled() || m_item.youtubeStatus() == StatusRemoved; },
            m_retries.policy().transferTimeout);
    }
    return *m_client;
}

void VideoDownload::endRequest()
{
    if (m_connection)
        m_connection->cancel();
    m_connection.reset();
    m_connectionEnded = false;
    m_viewTimer.stop();
}

void VideoDownload::onResponse(const HttpConnection::Response &response)
{
    if (response.statusCode == 206 && response.rangeFirst != m_requestOffset) {
        m_connection->cancel();
        onFailed(StringUtils::langStr(311));
        return;
    }
    // A stream keeps its length. An answer that announces another one cannot
    // be trusted: taken at its word it would end the file short, or wait for
    // bytes that never come.
    const qint64 length = response.statusCode == 206 ? response.rangeTotal : response.contentLength;
    if (length > 0 && m_expected > 0 && length != m_expected) {
        m_connection->cancel();
        onFailed(StringUtils::langStr(312));
        return;
    }
    if (m_requestOffset > 0 && response.statusCode != 206) {
        // The server ignored the range and sends the whole stream again:
        // start over rather than append it to what we hold.
        restartFile();
        m_requestOffset = 0;
    }
    if (length > 0)
        m_expected = length;
    if (const auto views = m_item.rowViews())
        views->initProgressIndicator(m_expected);
    showProgress();
}

void VideoDownload::onData(QIODevice &body)
{
    // Bytes beyond the announced length are not part of the stream.
    const qint64 available = body.bytesAvailable();
    const qint64 room = m_expected > 0 ? std::max<qint64>(0, m_expected - m_received) : available;
    if (const QString error = write(body, std::min(available, room)); !error.isEmpty()) {
        m_connection->cancel();
        m_connectionEnded = true;
        m_retries.giveUp(StringUtils::langStr(302).arg(error));
        return;
    }
    body.skip(body.bytesAvailable());
    showProgress();
    m_retries.progressed(m_received);
    // An address that worked may expire again, during a long pause.
    m_streamReadAgain = false;
    // With every announced byte here the data is complete, whatever the
    // status says now: a pause in the last block must not lose it.
    m_complete = m_expected > 0 && m_received >= m_expected;
    const YoutubeStatus status = m_item.youtubeStatus();
    if (m_complete || status == StatusDownloadPaused || status == StatusRemoved) {
        m_connection->cancel();
        m_connectionEnded = true;
    }
}

void VideoDownload::onFinished()
{
    m_connectionEnded = true;
    if (m_expected > 0 && m_received < m_expected) {
        onFailed(StringUtils::langStr(310));
        return;
    }
    m_complete = true;
}

void VideoDownload::onFailed(const QString &reason)
{
    m_connectionEnded = true;
    m_viewTimer.stop();
    if (!m_streamReadAgain && addressRefused()) {
        m_streamReadAgain = true;
        m_refusedReason = reason;
        return;
    }
    m_retries.failed(reason, m_received);
}

bool VideoDownload::addressRefused() const
{
    const int status = m_connection ? m_connection->errorStatus() : 0;
    return status == 403 || status == 410;
}

// Addresses of streams expire: one kept from an earlier run, or through a
// long pause, is refused. The same stream under a fresh address goes on
// from the bytes held; another length means other bytes, so it starts over.
void VideoDownload::readStreamAgain()
{
    const QString reason = *std::exchange(m_refusedReason, std::nullopt);
    const YoutubeQualityPtr fresh = m_item.readStreamAgain(client());
    if (!fresh) {
        onFailed(reason);
        return;
    }
    m_url = QUrl(fresh->videoURL());
    m_headers = fresh->details().headers;
    if (fresh->fileContentSize() > 0 && m_expected > 0 && fresh->fileContentSize() != m_expected) {
        restartFile();
        m_expected = fresh->fileContentSize();
    }
}

void VideoDownload::onViewTimer()
{
    m_item.addDownloadTime(ViewTimerMs / 1000.0);
    m_item.redrawRow();
}

void VideoDownload::showProgress()
{
    m_item.setDownloadedBytes(m_received);
    if (const auto views = m_item.rowViews())
        views->setProgressValue(m_received);
}

bool VideoDownload::save()
{
    if (!m_item.markDownloaded())
        return false;
    std::unique_ptr<AtomicFile> file = std::move(m_file);
    if (const QString path = m_item.commitFile(*file, YoutubeDownloader::ItemFile::Video); !path.isEmpty()) {
        m_item.takeVideo(path);
        return true;
    }
    if (m_item.youtubeStatus() == StatusRemoved) {
        // Removed as it was put in place: kept whole for the next run when
        // the program quits, deleted otherwise, as any partial file.
        m_file = std::move(file);
        return false;
    }
    m_item.setPartialFilePath({});
    // The data went with the failed rename: Resume fetches it again, and
    // every byte counts as progress once more.
    m_complete = false;
    m_received = 0;
    m_retries.notPlaced(file->errorString());
    return false;
}

QString VideoDownload::write(QIODevice &body, qint64 bytes)
{
    // Opened with the first bytes: a stream that never comes leaves nothing.
    if (!m_file) {
        auto file = std::make_unique<AtomicFile>(m_path);
        if (!file->open())
            return file->errorString();
        m_item.setPartialFilePath(file->temporaryPath());
        m_file = std::move(file);
        m_received = 0;
    }
    const QByteArray chunk = body.read(bytes);
    // Unbuffered: what counts as received is what is in the file.
    if (m_file->write(chunk)) {
        m_received += chunk.size();
        return {};
    }
    const QString error = m_file->errorString();
    // Whatever part of the chunk got in goes: Resume asks for it again.
    m_file->truncate(m_received);
    return error;
}

void VideoDownload::restartFile()
{
    if (m_file)
        m_file->truncate(0);
    m_received = 0;
}
