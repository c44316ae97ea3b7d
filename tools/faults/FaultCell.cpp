#include "FaultCell.h"

#include "RowTexts.h"
#include "SiteFault.h"
#include "TestMedia.h"
#include "YoutubeDownloader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// About a megabyte of real sound and picture: no padding, so a cut anywhere
// shortens what ffprobe reads.
constexpr int ClipSeconds = 4;
constexpr int StreamItag = 18;
constexpr int StatusLimitMs = 30'000;
constexpr int RemovalLimitMs = 1000;
constexpr int HoldMs = 500;
constexpr double ToleranceSeconds = 0.1;
// The program's retry rules with its delays shortened, so that a lasting
// fault gives up within seconds rather than half a minute.
constexpr DownloadRetries::Policy Policy{.attempts = 3, .firstDelay = 250ms, .transferTimeout = 2s};

// Threads of an item, by the names they give themselves.
int itemThreads()
{
    static const QStringList names{u"page load"_s, u"download"_s, u"converter"_s};
    int count = 0;
    for (const QString &task : QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(u"/proc/self/task/%1/comm"_s.arg(task));
        if (name.open(QIODevice::ReadOnly) && names.contains(QString::fromUtf8(name.readAll()).trimmed()))
            ++count;
    }
    return count;
}

// A name the program gives a finished file, not a temporary one.
bool isFinalName(const QString &file)
{
    static const QStringList suffixes{u"mp4"_s, u"wav"_s, u"mp3"_s};
    return suffixes.contains(QFileInfo(file).suffix());
}

} // namespace

FaultCell::FaultCell(const FaultRow &row, const UserAction &action, OutputFormat outputFormat, QTextStream &progress)
    : m_row(row), m_action(action), m_outputFormat(outputFormat), m_progress(progress)
{
    m_owner->onStatus = [this](YoutubeDownloader &, YoutubeStatus status) {
        m_mainThread.post([this, status] { onStatus(status); });
    };
}

FaultCell::~FaultCell()
{
    if (m_item)
        m_item->removeObject();
}

FaultCell::Outcome FaultCell::run()
{
    if (const std::optional<Outcome> trouble = start())
        return *trouble;
    if (m_action.kind != UserAction::None) {
        if (const std::optional<Outcome> trouble = reachMiddle())
            return *trouble;
    }
    return act();
}

std::optional<FaultCell::Outcome> FaultCell::start()
{
    phase(u"making the streams"_s);
    m_fixture.site.media().setClipSeconds(ClipSeconds);
    if (!m_fixture.isReady())
        return failed(u"the sample site did not start or could not make its streams"_s);
    m_source = m_fixture.site.media().streamFile(StreamItag);
    m_streamBytes = QFileInfo(m_source).size();
    bool read = false;
    m_sourceSeconds = TestMedia::probe(m_source, u"stream=duration"_s).toDouble(&read);
    if (!read)
        return failed(u"ffprobe cannot read the stream"_s);

    YoutubeProgramPreferences &preferences = m_fixture.preferences;
    preferences.setOutputFormat(m_outputFormat);
    preferences.setPreferedQuality(Quality360p);
    // The video stays, so that it can be held against the stream.
    preferences.setDeleteInputFileAfterConvert(false);
    phase(u"loading the page"_s);
    m_item = YoutubeDownloader::create(SiteFixture::watchLink(u"fault-matrix"_s), m_owner, preferences);
    m_item->setDownloadPolicy(Policy);
    m_item->loadYoutubeContent();
    if (!QTest::qWaitFor([this] { return m_started; }, StatusLimitMs))
        return failed(u"not ready to download within %1 s"_s.arg(StatusLimitMs / 1000));
    return std::nullopt;
}

// The main thread hears of each status change, as the list does.
void FaultCell::onStatus(YoutubeStatus status)
{
    m_announced = status;
    if (status != StatusReady || m_started)
        return;
    // Armed only now: the page load asks for the stream too, for its size.
    for (const QString &fault : m_row.armedFaults(m_streamBytes))
        m_fixture.site.addFault(SiteFault::parse(fault).value());
    m_started = true;
    m_item->downloadVideo();
}

// The middle of the download: a quarter of the stream in, or a fault shown.
std::optional<FaultCell::Outcome> FaultCell::reachMiddle()
{
    phase(u"downloading"_s);
    const auto middle = [this] {
        const YoutubeStatus status = m_item->youtubeStatus();
        if (status == StatusReady)
            return false;
        return status != StatusDownloading || m_item->downloadedBytes() >= m_streamBytes / 4
            || !m_item->statusNote().isEmpty();
    };
    if (!QTest::qWaitFor(middle, StatusLimitMs) || m_item->youtubeStatus() != StatusDownloading)
        return failed(u"the download was not under way for the user to act"_s);
    return std::nullopt;
}

FaultCell::Outcome FaultCell::act()
{
    if (m_action.pauses()) {
        phase(u"pausing"_s);
        m_item->pause();
        QTest::qWait(HoldMs);
    }
    switch (m_action.kind) {
    case UserAction::Pause: {
        const qint64 held = m_item->downloadedBytes();
        QTest::qWait(HoldMs);
        if (m_item->downloadedBytes() != held)
            return failed(u"paused, yet still downloading"_s);
        return settle(StatusDownloadPaused);
    }
    case UserAction::PauseResume:
        phase(u"resuming"_s);
        m_item->resume();
        break;
    case UserAction::Remove:
    case UserAction::RemovePaused:
        return remove();
    case UserAction::None:
        break;
    }
    return settle(m_row.end);
}

FaultCell::Outcome FaultCell::settle(YoutubeStatus expected)
{
    phase(u"waiting for the end"_s);
    if (!QTest::qWaitFor([this] { return isSettled(); }, StatusLimitMs))
        return failed(u"no end within %1 s"_s.arg(StatusLimitMs / 1000));
    const YoutubeStatus status = m_item->youtubeStatus();
    if (status != expected) {
        return failed(u"ended other than %1"_s.arg(
            RowTexts::statusDescriptionByYoutubeStatus(expected, m_outputFormat)));
    }
    const bool finished = status == StatusFinished;
    if (const QString problem = finished ? finishedFilesProblem() : unfinishedFilesProblem(); !problem.isEmpty())
        return failed(problem);
    // A paused item tries nothing by itself; its row must not say otherwise.
    if (!finished && m_item->statusNote().contains(u"Trying again"_s))
        return failed(u"paused, yet the row says it tries again"_s);
    const Outcome outcome{true, RowTexts(*m_item).statusText().section(u'\n', 0, 0), m_item->statusNote()};
    // What quitting does: a finished item keeps its files, any other leaves
    // nothing behind.
    const QStringList kept = finished ? m_fixture.outputEntries() : QStringList();
    YoutubeDownloader::removeAll({m_item});
    if (m_fixture.outputEntries() != kept)
        return failed(u"after the removal on quit the folder holds %1"_s.arg(m_fixture.outputEntries().join(u", "_s)));
    return outcome;
}

bool FaultCell::isSettled() const
{
    static const QList<YoutubeStatus> lasting{StatusFinished, StatusDownloadPaused, StatusConvertPaused,
                                              StatusNoStream, StatusInfoFailed};
    const YoutubeStatus status = m_item->youtubeStatus();
    return lasting.contains(status) && m_announced == status;
}

FaultCell::Outcome FaultCell::remove()
{
    phase(u"removing"_s);
    QElapsedTimer clock;
    clock.start();
    m_item->removeObject();
    const qint64 returned = clock.elapsed();
    const bool threadsEnded = QTest::qWaitFor([] { return itemThreads() == 0; }, 2 * RemovalLimitMs);
    const qint64 ended = clock.elapsed();
    if (returned > RemovalLimitMs)
        return failed(u"the removal returned after %1 ms"_s.arg(returned));
    if (!threadsEnded || ended > RemovalLimitMs)
        return failed(u"the item's threads still ran %1 ms after the removal"_s.arg(ended));
    if (m_item->youtubeStatus() != StatusRemoved)
        return failed(u"removed, yet not in the removed status"_s);
    if (const QStringList left = m_fixture.outputEntries(); !left.isEmpty())
        return failed(u"removed, yet the folder holds %1"_s.arg(left.join(u", "_s)));
    return {true, u"removed %1 ms"_s.arg(ended), {}};
}

QString FaultCell::finishedFilesProblem() const
{
    const QString audio = m_item->wholeFilePath();
    const QString extension = m_outputFormat == OutputFormat::Mp3 ? u"mp3"_s : u"wav"_s;
    if (QFileInfo(audio).suffix() != extension || !QFileInfo::exists(audio))
        return u"finished without a %1 file"_s.arg(extension);
    const QStringList entries = m_fixture.outputEntries();
    const QStringList videos = entries.filter(QRegularExpression(u"\\.mp4$"_s));
    if (entries.size() != 2 || videos.size() != 1)
        return u"finished, and the folder holds %1"_s.arg(entries.join(u", "_s));
    const QByteArray video = SiteFixture::fileBytes(m_fixture.outputPath(videos.constFirst()));
    if (video != SiteFixture::fileBytes(m_source))
        return u"the video kept (%1 bytes) is not the stream (%2 bytes)"_s.arg(video.size()).arg(m_streamBytes);
    bool read = false;
    const double seconds = TestMedia::probe(audio, u"stream=duration"_s).toDouble(&read);
    if (!read)
        return u"ffprobe cannot read the %1 file"_s.arg(extension);
    if (std::abs(seconds - m_sourceSeconds) > ToleranceSeconds)
        return u"the %1 file lasts %2 s, the stream %3 s"_s.arg(extension).arg(seconds).arg(m_sourceSeconds);
    return {};
}

QString FaultCell::unfinishedFilesProblem() const
{
    for (const QString &entry : m_fixture.outputEntries()) {
        if (isFinalName(entry))
            return u"not finished, yet %1 is there"_s.arg(entry);
    }
    return {};
}

FaultCell::Outcome FaultCell::failed(const QString &why) const
{
    return {false, why, m_item ? QString(RowTexts(*m_item).statusText()).replace(u'\n', u": "_s) : QString()};
}

// Where the cell is, for the matrix to tell should this process die or hang.
void FaultCell::phase(const QString &what)
{
    m_progress << "phase " << what << Qt::endl;
}
