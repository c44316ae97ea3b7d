#include "CrashMatrix.h"

#include "MatrixText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

// Far beyond a cell's own bounds (about two and a half minutes in all): a
// cell still running then hangs where no bound reaches.
constexpr int CellLimitMs = 240'000;

} // namespace

CrashMatrix::CrashMatrix(const QList<CrashPoint> &points, int repeat, QTextStream &out)
    : m_points(points), m_out(out)
{
    for (const CrashPoint &point : points) {
        for (int round = 1; round <= repeat; ++round) {
            Cell cell;
            cell.point = point.name;
            cell.name = repeat == 1 ? point.name : u"%1 #%2"_s.arg(point.name).arg(round);
            m_cells.append(cell);
        }
    }
}

bool CrashMatrix::run()
{
    QElapsedTimer clock;
    clock.start();
    for (Cell &cell : m_cells) {
        m_out << u"%1 ... "_s.arg(cell.name);
        m_out.flush();
        runCell(cell);
        m_out << (cell.ok ? "ok" : "FAIL") << Qt::endl;
    }
    printTable();
    printDetails();
    printLegend();
    const auto failures = std::count_if(m_cells.cbegin(), m_cells.cend(), [](const Cell &cell) { return !cell.ok; });
    MatrixText::printSummary(m_out, m_cells.size(), failures, clock.elapsed());
    return failures == 0;
}

void CrashMatrix::runCell(Cell &cell)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), {u"--cell"_s, cell.point});
    if (!process.waitForStarted()) {
        cell.note = u"could not start: %1"_s.arg(process.errorString());
        return;
    }
    const bool ended = process.waitForFinished(CellLimitMs);
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    takeResult(lines, cell);
    if (!cell.note.isEmpty() || cell.ok)
        return;
    const QStringList phases = lines.filter(QRegularExpression(u"^phase "_s));
    const QString phase = phases.isEmpty() ? u"starting"_s : phases.last().mid(6);
    cell.note = ended ? u"ended without a result while %1"_s.arg(phase)
                      : u"no end within %1 s; killed while %2"_s.arg(CellLimitMs / 1000).arg(phase);
}

// A cell's lines: "phase ...", "detail\t...", and last "result\t...".
void CrashMatrix::takeResult(const QStringList &lines, Cell &cell)
{
    for (const QString &line : lines) {
        if (line.startsWith(u"detail\t"_s))
            cell.details.append(line.mid(7));
    }
    const QStringList result = lines.isEmpty() ? QStringList() : lines.last().split(u'\t');
    if (result.size() != 5 || result[0] != u"result")
        return;
    cell.ok = result[1] == u"ok";
    cell.where = result[2];
    cell.sent = result[3];
    cell.note = result[4];
}

void CrashMatrix::printTable()
{
    QList<QStringList> table{{u"cell"_s, u"killed at"_s, u"result"_s, u"site sent for the stream / size (B)"_s, u"note"_s}};
    for (const Cell &cell : std::as_const(m_cells))
        table.append({cell.name, cell.where, cell.ok ? u"ok"_s : u"FAIL"_s, cell.sent, cell.note});
    m_out << '\n';
    MatrixText::printTable(m_out, table);
}

void CrashMatrix::printDetails()
{
    for (const Cell &cell : std::as_const(m_cells)) {
        if (cell.ok || cell.details.isEmpty())
            continue;
        m_out << u"\n%1, what was seen:\n"_s.arg(cell.name);
        for (const QString &detail : cell.details)
            m_out << u"  "_s << detail << '\n';
    }
}

void CrashMatrix::printLegend()
{
    m_out << u"\nEach cell: a fresh home, the sample site on 127.0.0.1 serving a stream of 4 MiB in about three seconds,\n"
             "the program on an X display of its own; the link pasted (Ctrl+V), Ctrl+D once the page is in, and the\n"
             "program killed (SIGKILL) at the cell's point. Then it is started again on the same home with the site\n"
             "healthy, Ctrl+D is pressed while the saved list shows the item waiting, and once the list says finished\n"
             "it is quit with Ctrl+Q. ok: the folder holds only <Title>.mp4 and <Title>.mp3; the video is the stream\n"
             "byte for byte; ffprobe finds the MP3 as long as the stream's sound (within 0.1 s); TagLib reads the\n"
             "title and a picture from its ID3v2 tag; no temporary list is left beside list.json; and the site sent\n"
             "no more for the stream, both runs together and every request counted (size probes, downloads, heads),\n"
             "than its size, one block (256 KiB, in flight at the kill) and 512 B a request (a head, a probe's byte).\n"_s;
    m_out << u"\nPoints:\n"_s;
    for (const CrashPoint &point : std::as_const(m_points))
        m_out << u"  %1%2\n"_s.arg(point.name.leftJustified(14), point.description);
}
