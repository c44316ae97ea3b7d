#include "CrashCell.h"

#include "OutputCheck.h"
#include "Polling.h"
#include "ProgramRun.h"
#include "SampleSiteConnection.h"
#include "SamplePages.h"
#include "SiteFault.h"
#include "TemporaryFiles.h"

#include <QElapsedTimer>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Code = u"crashMatrix"_s;
const QString Link = u"http://www.youtube.com/watch?v="_s + Code;
constexpr int StreamItag = 18; // the 360p MP4 the preferences ask for
// Sound long enough for a conversion to be caught in the middle; the stream
// padded to a size that, served in three seconds, leaves room for kills at a
// tenth, a half and nine tenths.
constexpr int ClipSeconds = 8;
constexpr qint64 StreamBytes = 4 * 1024 * 1024;
constexpr qint64 StreamBytesPerSecond = StreamBytes / 3;
// Enough finished items that writing the list takes a while.
constexpr int SeededItems = 20'000;
// What any request for the stream may cost beyond the stream's own bytes: its
// answer's head (under 200 bytes), and a size probe's single byte.
constexpr qint64 RequestAllowanceBytes = 512;

constexpr int PageLimitMs = 30'000;
constexpr int StartLimitMs = 10'000;
constexpr int PointLimitMs = 30'000;
constexpr int FinishLimitMs = 60'000;
// Ctrl+D toggles: it pauses what runs. It is pressed again only when the
// item still waits after this long.
constexpr int PressIntervalMs = 2000;
// A list the restarted program has not written by then tells nothing.
constexpr int StaleListMs = 3000;
constexpr int ListStepMs = 50;

const QStringList Waiting{u"ready"_s, u"download-paused"_s, u"convert-paused"_s};

QString bytes(qint64 count)
{
    return QString::number(count) + u" B"_s;
}

SiteFault fault(const QString &text)
{
    return SiteFault::parse(text).value();
}

} // namespace

CrashCell::CrashCell(const CrashPoint &point, QString programPath, QTextStream &progress)
    : m_point(point), m_programPath(std::move(programPath)), m_progress(progress),
      m_site({.mediaDirectory = QStringLiteral(VANTREL_SAMPLE_MEDIA_DIR), .pagesDirectory = {}}),
      m_list(m_home.listPath()), m_title(SamplePages::title(Code))
{
}

CrashCell::~CrashCell() = default;

CrashCell::Outcome CrashCell::run()
{
    std::optional<QString> trouble = prepare();
    if (!trouble)
        trouble = crash();
    if (!trouble)
        trouble = recover();
    m_outcome.sent = u"%1 / %2 (%3 requests)"_s.arg(streamBytesSent()).arg(m_streamBytes).arg(streamRequests().size());
    if (trouble) {
        m_outcome.ok = false;
        m_outcome.note = *trouble + (m_outcome.note.isEmpty() ? QString() : u"; "_s + m_outcome.note);
    }
    if (!m_outcome.ok) {
        record(u"at the end"_s);
        m_outcome.details += requestLines();
    }
    return m_outcome;
}

std::optional<QString> CrashCell::prepare()
{
    phase(u"making the stream"_s);
    if (!m_home.isValid())
        return u"no temporary home"_s;
    m_site.media().setClipSeconds(ClipSeconds);
    m_site.media().setStreamBytes(StreamItag, StreamBytes);
    if (!m_site.start() || !m_site.media().prepare())
        return u"the sample site did not start or could not make its streams"_s;
    m_source = m_site.media().streamFile(StreamItag);
    m_streamBytes = QFileInfo(m_source).size();
    if (m_point.kind == CrashPoint::ListWrite && !m_home.seedList(SeededItems))
        return u"could not write the list to start with"_s;
    phase(u"starting Xvfb"_s);
    if (!m_display.start())
        return u"Xvfb did not start"_s;
    return std::nullopt;
}

// The first run, up to the kill.
std::optional<QString> CrashCell::crash()
{
    m_site.addFault(fault(u"path=/videoplayback,throttle=%1"_s.arg(StreamBytesPerSecond)));
    if (m_point.kind == CrashPoint::PageLoad)
        m_site.addFault(fault(u"path=/watch,stall-after=0"_s));
    if (m_point.kind == CrashPoint::Tagging)
        m_site.addFault(fault(u"path=/vi/%1/hqdefault.jpg,stall-after=0"_s.arg(Code)));
    phase(u"starting the program"_s);
    ProgramRun program(m_programPath, m_home.environment(m_display.name(), m_site.proxyUrl()), m_home.logPath(u"first"_s));
    if (!program.start())
        return windowMissing(program);
    phase(u"pasting the link"_s);
    if (!program.paste(Link))
        return u"could not paste the link"_s;
    if (m_point.kind != CrashPoint::PageLoad) {
        if (std::optional<QString> trouble = startDownload(program))
            return trouble;
    }
    phase(u"waiting for the kill point"_s);
    if (std::optional<QString> trouble = reachPoint(program))
        return trouble;
    program.kill();
    describeKill();
    return std::nullopt;
}

std::optional<QString> CrashCell::startDownload(ProgramRun &program)
{
    phase(u"waiting for the page"_s);
    // The row asks for its cover once the page is in.
    const QString cover = u"/vi/%1/default.jpg"_s.arg(Code);
    if (!await(program, [&] { return siteWasAsked(cover) || m_list.status(Link) == u"ready"; }, PageLimitMs, ListStepMs))
        return u"the page did not come in (no cover asked for, no ready item in the list)"_s;
    phase(u"starting the download"_s);
    program.press(u"ctrl+d"_s);
    if (!await(program, [this] { return !downloadRequests().isEmpty(); }, StartLimitMs))
        return u"Ctrl+D started no download"_s;
    return std::nullopt;
}

std::optional<QString> CrashCell::reachPoint(ProgramRun &program)
{
    std::function<bool()> reached;
    switch (m_point.kind) {
    case CrashPoint::PageLoad:
        reached = [this] { return siteWasAsked(u"/watch"_s); };
        break;
    case CrashPoint::Download:
    case CrashPoint::LastByte: {
        const qint64 goal = m_point.kind == CrashPoint::LastByte ? m_streamBytes : qint64(m_streamBytes * m_point.fraction);
        reached = [this, goal] { return downloadBytesSent() >= goal; };
        break;
    }
    case CrashPoint::Converting:
        reached = [this] { return TemporaryFiles::sizeOf(m_home.outputFolder(), m_title + u".mp3"_s).value_or(0) > 0; };
        break;
    case CrashPoint::Tagging:
        reached = [this] { return siteWasAsked(u"/vi/%1/hqdefault.jpg"_s.arg(Code)); };
        break;
    case CrashPoint::ListWrite:
        return reachListWrite(program);
    }
    if (!await(program, reached, PointLimitMs))
        return u"the kill point was not reached"_s;
    return std::nullopt;
}

// A write of the list that ends well must already hold the item: the kill
// comes at the next one.
std::optional<QString> CrashCell::reachListWrite(ProgramRun &program)
{
    const auto downloading = [this] {
        const QJsonObject item = m_list.item(Link);
        return item.value(u"status"_s).toString() == u"downloading" && item.value(u"bytesHeld"_s).toInteger() > 0;
    };
    if (!await(program, downloading, PointLimitMs, ListStepMs))
        return u"the saved list never held the item downloading"_s;
    const auto writing = [this] { return !TemporaryFiles::of(m_home.stateFolder(), u"list.json"_s).isEmpty(); };
    if (!await(program, writing, PointLimitMs))
        return u"no write of the list began"_s;
    return std::nullopt;
}

void CrashCell::describeKill()
{
    switch (m_point.kind) {
    case CrashPoint::PageLoad:
        m_outcome.where = u"page asked"_s;
        break;
    case CrashPoint::Download:
    case CrashPoint::LastByte:
        m_outcome.where = u"sent %1 (%2 %), %3"_s.arg(bytes(downloadBytesSent()))
                              .arg(100 * downloadBytesSent() / std::max<qint64>(1, m_streamBytes))
                              .arg(partialState());
        break;
    case CrashPoint::Converting: {
        const std::optional<qint64> written = TemporaryFiles::sizeOf(m_home.outputFolder(), m_title + u".mp3"_s);
        m_outcome.where = written ? u"MP3 at "_s + bytes(*written) : u"MP3 done already"_s;
        break;
    }
    case CrashPoint::Tagging:
        m_outcome.where = u"cover asked"_s;
        break;
    case CrashPoint::ListWrite: {
        const std::optional<qint64> written = TemporaryFiles::sizeOf(m_home.stateFolder(), u"list.json"_s);
        m_outcome.where = written ? u"hit: list.json.XXXXXX left at "_s + bytes(*written) : u"missed: the write had ended"_s;
        break;
    }
    }
    const QString status = m_list.status(Link);
    m_outcome.where += status.isEmpty() ? u"; list: none"_s : u"; list: "_s + status;
    record(u"after the kill"_s);
}

// What the program holds of the video on disk.
QString CrashCell::partialState() const
{
    if (const std::optional<qint64> held = TemporaryFiles::sizeOf(m_home.outputFolder(), m_title + u".mp4"_s))
        return u"held "_s + bytes(*held);
    return QFileInfo::exists(m_home.outputFolder() + u'/' + m_title + u".mp4"_s) ? u"video complete"_s : u"nothing held"_s;
}

// The second run: the same home, the site without faults.
std::optional<QString> CrashCell::recover()
{
    m_site.clearFaults();
    phase(u"starting again"_s);
    ProgramRun program(m_programPath, m_home.environment(m_display.name(), m_site.proxyUrl()), m_home.logPath(u"second"_s));
    if (!program.start())
        return windowMissing(program) + u" when started again"_s;
    return finish(program);
}

std::optional<QString> CrashCell::finish(ProgramRun &program)
{
    phase(u"resuming"_s);
    const QDateTime started = QDateTime::currentDateTime();
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer lastPress;
    int presses = 0;
    const auto finished = [&] {
        const QString status = m_list.status(Link);
        if (status == u"finished")
            return true;
        const bool stale = !m_list.exists() || m_list.modified() < started;
        const bool waits = Waiting.contains(status) || (stale && clock.elapsed() > StaleListMs);
        if (waits && (!lastPress.isValid() || lastPress.elapsed() > PressIntervalMs)) {
            program.press(u"ctrl+d"_s);
            ++presses;
            lastPress.start();
        }
        return false;
    };
    const bool done = await(program, finished, FinishLimitMs, ListStepMs);
    m_outcome.note = u"Ctrl+D %1x after the restart"_s.arg(presses);
    if (!program.isRunning())
        return u"the program ended by itself after the restart (%1)"_s.arg(program.exitText());
    phase(u"quitting"_s);
    const bool quit = program.quit();
    QStringList problems;
    if (!done)
        problems.append(u"not finished within %1 s (the list says \"%2\")"_s.arg(FinishLimitMs / 1000).arg(m_list.status(Link)));
    else if (m_list.status(Link) != u"finished")
        problems.append(u"after quitting the list says \"%1\""_s.arg(m_list.status(Link)));
    if (!quit)
        problems.append(u"Ctrl+Q did not end the program cleanly (%1)"_s.arg(program.exitText()));
    check(problems);
    return std::nullopt;
}

QString CrashCell::windowMissing(const ProgramRun &program)
{
    return u"no window (the program %1; it wrote: %2)"_s.arg(program.exitText(), program.logTail(3).join(u" | "_s));
}

void CrashCell::check(QStringList problems)
{
    problems += OutputCheck(m_home.outputFolder(), m_title, m_source).problems();
    if (const QStringList left = TemporaryFiles::of(m_home.stateFolder(), u"list.json"_s); !left.isEmpty())
        problems.append(u"the state folder still holds %1"_s.arg(left.join(u", "_s)));
    const qint64 allowed
        = m_streamBytes + SampleSiteConnection::BlockBytes + streamRequests().size() * RequestAllowanceBytes;
    // A video that is the stream came from the site whole: a smaller count
    // would be the site's miscounting, and the bound below no check at all.
    if (problems.isEmpty() && downloadBytesSent() < m_streamBytes)
        problems.append(u"the site counted %1 of the stream, less than the video holds"_s.arg(bytes(downloadBytesSent())));
    if (streamBytesSent() > allowed)
        problems.append(u"the site sent %1 for the stream, more than its size, one block and %2 a request (%3)"_s.arg(
            bytes(streamBytesSent()), bytes(RequestAllowanceBytes), bytes(allowed)));
    m_outcome.ok = problems.isEmpty();
    if (!m_outcome.ok)
        m_outcome.note = problems.join(u"; "_s) + u"; "_s + m_outcome.note;
}

// The folder and the list as they were at a moment, for a cell that fails.
void CrashCell::record(const QString &moment)
{
    const QJsonObject item = m_list.item(Link);
    const auto name = [&item](const QString &field) { return QFileInfo(item.value(field).toString()).fileName(); };
    const QString list = !m_list.exists() ? u"absent"_s
        : item.isEmpty()                  ? u"without the item"_s
                                          : u"status %1, bytesHeld %2, partialFile \"%3\", file \"%4\", output \"%5\""_s.arg(
                                              item.value(u"status"_s).toString(),
                                              QString::number(item.value(u"bytesHeld"_s).toInteger()), name(u"partialFile"_s),
                                              name(u"file"_s), name(u"output"_s));
    const QStringList listParts = TemporaryFiles::of(m_home.stateFolder(), u"list.json"_s);
    m_outcome.details.append(u"%1: folder [%2]; list: %3%4"_s.arg(
        moment, m_home.outputEntries().join(u", "_s), list,
        listParts.isEmpty() ? QString() : u"; beside it "_s + listParts.join(u", "_s)));
}

// The site's requests that concern the item, and the bytes of each answer's
// head and body it sent.
QStringList CrashCell::requestLines() const
{
    QStringList lines;
    qsizetype others = 0;
    for (const SiteRequest &request : m_site.requests()) {
        const bool stream = request.path == u"/videoplayback" && request.query.queryItemValue(u"itag"_s).toInt() == StreamItag;
        if (!stream && request.query.queryItemValue(u"v"_s) != Code && !request.path.contains(Code)) {
            ++others;
            continue;
        }
        const QByteArray range = request.header("range");
        lines.append(u"site: %1 %2%3 -> head %4, body %5"_s.arg(
            QString::fromLatin1(request.method), request.path,
            range.isEmpty() ? QString() : u" ("_s + QString::fromLatin1(range) + u')', bytes(request.headBytesSent),
            bytes(request.bodyBytesSent)));
    }
    lines.append(u"site: %1 other requests (other streams' sizes, other covers)"_s.arg(others));
    return lines;
}

QList<SiteRequest> CrashCell::streamRequests() const
{
    QList<SiteRequest> stream;
    for (const SiteRequest &request : m_site.requests(u"/videoplayback"_s)) {
        if (request.query.queryItemValue(u"itag"_s).toInt() == StreamItag)
            stream.append(request);
    }
    return stream;
}

// The program asks for the stream's size with a range of its first byte, and
// downloads with a range open to the end.
QList<SiteRequest> CrashCell::downloadRequests() const
{
    QList<SiteRequest> downloads = streamRequests();
    downloads.removeIf([](const SiteRequest &request) { return !request.header("range").endsWith('-'); });
    return downloads;
}

// Every byte the site sent for the stream, size probes and heads included.
qint64 CrashCell::streamBytesSent() const
{
    qint64 total = 0;
    for (const SiteRequest &request : streamRequests())
        total += request.bytesSent();
    return total;
}

qint64 CrashCell::downloadBytesSent() const
{
    qint64 total = 0;
    for (const SiteRequest &request : downloadRequests())
        total += request.bodyBytesSent;
    return total;
}

bool CrashCell::siteWasAsked(const QString &path) const
{
    return !m_site.requests(path).isEmpty();
}

bool CrashCell::await(ProgramRun &program, const std::function<bool()> &done, int limitMs, int stepMs)
{
    return Polling::until([&] { return !program.isRunning() || done(); }, limitMs, stepMs) && program.isRunning();
}

// Where the cell is, for the matrix to tell should this process die or hang.
void CrashCell::phase(const QString &what)
{
    m_progress << "phase " << what << Qt::endl;
}
