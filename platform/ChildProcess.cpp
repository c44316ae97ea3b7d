#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>
#include <csignal>

#include <unistd.h>

namespace {

// How long a wait may go without a look at the cancel check.
constexpr qint64 CancelCheckIntervalMs = 100;
// A killed program ends at once; this only bounds a wait for one stuck in
// the kernel.
constexpr int ReapTimeoutMs = 5000;

} // namespace

ChildProcess::Result ChildProcess::run(const QString &program, const QStringList &arguments, const Options &options)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    // A group of its own, numbered as the program: one signal then reaches
    // whatever the program started.
    process.setChildProcessModifier([] { ::setsid(); });
    return ChildProcess(options).run(process);
}

ChildProcess::Result ChildProcess::run(QProcess &process)
{
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                     [this, &process] { takeOutput(process.readAllStandardOutput()); });
    QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                     [this, &process] { takeErrors(process.readAllStandardError()); });
    process.start();
    if (!process.waitForStarted())
        return m_result;
    const auto group = pid_t(process.processId());
    const Ending ending = waitForEnd(process);
    // Until the program is reaped its number still names its group, and
    // while anything of the group lives no new process can take it.
    if (group <= 0 || ::kill(-group, SIGKILL) != 0)
        process.kill();
    process.waitForFinished(ReapTimeoutMs);
    // A child stuck in the kernel is waited for again as the process goes:
    // what it says then must not reach this run, which is over.
    QObject::disconnect(&process, nullptr, &process, nullptr);
    finishLines();
    m_result.ending = m_overflowed ? Ending::TooMuchOutput : ending;
    if (m_result.ending == Ending::Finished)
        m_result.exitCode = process.exitCode();
    return m_result;
}

ChildProcess::Ending ChildProcess::waitForEnd(QProcess &process)
{
    const QDeadlineTimer deadline = m_options.timeLimit == NoTimeLimit ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                                      : QDeadlineTimer(m_options.timeLimit);
    m_silence.start();
    while (process.state() != QProcess::NotRunning) {
        if (m_overflowed)
            return Ending::TooMuchOutput;
        if (m_options.cancelled && m_options.cancelled())
            return Ending::Cancelled;
        if (deadline.hasExpired())
            return Ending::TimedOut;
        if (m_options.silenceLimit.count() > 0 && m_silence.hasExpired(m_options.silenceLimit.count()))
            return Ending::Stalled;
        // Serves the program's pipes and its end alone, not the thread's
        // other events; output is taken as it comes, through the signals.
        const qint64 left = deadline.isForever() ? CancelCheckIntervalMs : deadline.remainingTime();
        process.waitForFinished(int(std::min(CancelCheckIntervalMs, left)));
    }
    return process.exitStatus() == QProcess::CrashExit ? Ending::Crashed : Ending::Finished;
}

void ChildProcess::takeOutput(const QByteArray &bytes)
{
    m_silence.restart();
    if (m_overflowed)
        return;
    if (m_options.keepOutput && m_result.output.size() + bytes.size() > m_options.maxOutputBytes) {
        // What came is incomplete, and no use: its memory goes at once.
        m_overflowed = true;
        m_result.output = QByteArray();
        return;
    }
    if (m_options.keepOutput)
        m_result.output.append(bytes);
    if (m_options.outputLine)
        splitLines(m_outputLine, bytes, m_options.outputLine);
}

void ChildProcess::takeErrors(const QByteArray &bytes)
{
    m_silence.restart();
    splitLines(m_errorLine, bytes, [this](const QString &line) { takeErrorLine(line); });
}

// A last line may lack its end.
void ChildProcess::finishLines()
{
    if (m_options.outputLine && !m_overflowed)
        splitLines(m_outputLine, "\n", m_options.outputLine);
    takeErrors(QByteArrayLiteral("\n"));
}

void ChildProcess::takeErrorLine(const QString &line)
{
    if (const QString trimmed = line.trimmed(); !trimmed.isEmpty())
        m_result.lastErrorLine = trimmed;
    if (m_options.errorLine)
        m_options.errorLine(line);
}

void ChildProcess::splitLines(QByteArray &pending, QByteArrayView bytes, const LineHandler &handler)
{
    for (const char c : bytes) {
        if (c != '\n' && c != '\r') {
            if (pending.size() < MaxLineBytes)
                pending.append(c);
            continue;
        }
        if (!pending.isEmpty())
            handler(QString::fromUtf8(pending));
        pending.clear();
    }
}
