#include "FaultMatrix.h"

#include "MatrixText.h"
#include "UserAction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Far beyond what a cell may take (its own bounds add up to about a minute
// and a half): a cell still running then hangs somewhere no bound reaches.
constexpr int CellLimitMs = 150'000;

QString padded(const QString &text, qsizetype width)
{
    return text.leftJustified(width + 2);
}

} // namespace

FaultMatrix::FaultMatrix(const QList<FaultRow> &rows, const QStringList &formats, QTextStream &out)
    : m_rows(rows), m_formats(formats), m_out(out)
{
    for (const QString &format : formats) {
        for (const FaultRow &row : rows) {
            for (const UserAction &action : UserAction::all()) {
                Cell cell;
                cell.row = row.name;
                cell.action = action.name;
                cell.format = format;
                m_cells.append(cell);
            }
        }
    }
}

bool FaultMatrix::run()
{
    QElapsedTimer clock;
    clock.start();
    runCells();
    for (const QString &format : m_formats)
        printTable(format);
    printLegend();
    const auto failures = std::count_if(m_cells.cbegin(), m_cells.cend(), [](const Cell &cell) { return !cell.ok; });
    MatrixText::printSummary(m_out, m_cells.size(), failures, clock.elapsed());
    return failures == 0;
}

void FaultMatrix::runCells()
{
    const qsizetype jobs = std::max(1, QThread::idealThreadCount());
    qsizetype next = 0;
    qsizetype running = 0;
    QEventLoop loop;
    std::function<void()> fill = [&] {
        while (running < jobs && next < m_cells.size()) {
            ++running;
            start(m_cells[next++], [&] {
                --running;
                fill();
            });
        }
        if (running == 0)
            loop.quit();
    };
    m_out << u"Running %1 cells, %2 at a time...\n"_s.arg(m_cells.size()).arg(jobs);
    m_out.flush();
    QTimer::singleShot(0, &loop, fill);
    loop.exec();
}

void FaultMatrix::start(Cell &cell, const std::function<void()> &done)
{
    auto *process = new QProcess;
    auto *limit = new QTimer(process);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, process, [process, &cell] {
        cell.killed = true;
        process->kill();
    });
    QObject::connect(process, &QProcess::finished, process, [process, &cell, done] {
        takeResult(*process, cell);
        process->deleteLater();
        done();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, &cell, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        cell.text = u"could not start: %1"_s.arg(process->errorString());
        process->deleteLater();
        done();
    });
    process->start(QCoreApplication::applicationFilePath(),
                   {u"--cell"_s, QStringList{cell.row, cell.action, cell.format}.join(u',')});
    limit->start(CellLimitMs);
}

// The cell's last line is its result; before it, the phases it went through.
void FaultMatrix::takeResult(QProcess &process, Cell &cell)
{
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList phases = lines.filter(QRegularExpression(u"^phase "_s));
    const QString phase = phases.isEmpty() ? u"starting"_s : phases.last().mid(6);
    const QStringList result = lines.isEmpty() ? QStringList() : lines.last().split(u'\t');
    if (process.exitStatus() == QProcess::NormalExit && result.size() == 4 && result[0] == u"result") {
        cell.ok = result[1] == u"ok";
        cell.text = result[2];
        cell.note = result[3];
    } else if (cell.killed) {
        cell.text = u"no end within %1 s; killed while %2"_s.arg(CellLimitMs / 1000).arg(phase);
    } else if (process.exitStatus() == QProcess::CrashExit) {
        cell.text = u"crashed while %1"_s.arg(phase);
    } else {
        cell.text = u"exited with %1 and no result while %2"_s.arg(process.exitCode()).arg(phase);
    }
    if (!cell.ok) {
        // What the cell said on its way down, for whoever looks into it.
        const QByteArray errors = process.readAllStandardError();
        if (!errors.isEmpty())
            qWarning("%s/%s/%s:\n%s", qPrintable(cell.row), qPrintable(cell.action), qPrintable(cell.format),
                     errors.constData());
    }
}

void FaultMatrix::printTable(const QString &format)
{
    QList<QStringList> table{{u"fault \\ action"_s}};
    for (const UserAction &action : UserAction::all())
        table[0].append(action.name);
    for (const FaultRow &row : m_rows) {
        QStringList line{row.name};
        for (const Cell &cell : std::as_const(m_cells)) {
            if (cell.row == row.name && cell.format == format)
                line.append(shown(cell));
        }
        table.append(line);
    }
    m_out << u"\n%1 output\n\n"_s.arg(format.toUpper());
    MatrixText::printTable(m_out, table);
}

// "ok Finished", "ok Paused [2]", "FAIL [3]": the note or the failure's
// detail goes to a numbered line below the tables.
QString FaultMatrix::shown(const Cell &cell)
{
    const QString detail = cell.ok ? cell.note : cell.note.isEmpty() ? cell.text : cell.text + u" (the row showed: "_s + cell.note + u')';
    const QString head = cell.ok ? u"ok "_s + cell.text : u"FAIL"_s;
    if (detail.isEmpty())
        return head;
    if (!m_notes.contains(detail))
        m_notes.append(detail);
    return u"%1 [%2]"_s.arg(head).arg(m_notes.indexOf(detail) + 1);
}

void FaultMatrix::printLegend()
{
    m_out << u"\nNotes and failures:\n"_s;
    for (qsizetype i = 0; i < m_notes.size(); ++i)
        m_out << u"  [%1] %2\n"_s.arg(i + 1).arg(m_notes[i]);
    m_out << u"\nEach cell is a fresh item on a fresh sample site; the fault is armed on the stream once the page is in.\n"
             "  ok Finished   came to Finished: the video kept is the stream byte for byte, and ffprobe reads the\n"
             "                audio as long as the stream's sound (within 0.1 s)\n"
             "  ok Paused     came to Paused, where it stays: no file under a final name, nothing left after removal\n"
             "  ok removed N  removed: the removal returned and the item's threads ended N ms after it was asked\n"
             "                (at most 1000), and the folder is empty\n"
             "  FAIL          anything else: a crash, a hang, another end, a file wrong or left behind\n"
             "  [n]           the note the row showed with its status, or why the cell failed\n"_s;
    qsizetype width = 0;
    for (const FaultRow &row : std::as_const(m_rows))
        width = std::max(width, row.name.size());
    m_out << u"\nFaults (on the stream request, served at twice the stream per second; the stream is about 1 MB):\n"_s;
    for (const FaultRow &row : std::as_const(m_rows))
        m_out << u"  %1%2\n"_s.arg(padded(row.name, width), row.description);
    m_out << u"\nActions (taken once a quarter of the stream is in, or at the first fault shown):\n"_s;
    for (const UserAction &action : UserAction::all())
        m_out << u"  %1%2\n"_s.arg(padded(action.name, width), action.description);
}
