#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

class QProcess;

// Runs another program to its end on the calling thread, which it blocks:
// started with an argument list, never through a shell, in our environment
// (so http_proxy reaches it), with nothing on its input. A run has a time
// limit (or a limit on how long the program may stay silent) and a bound on
// its output, and ends early once `cancelled` says so.
// The program runs in a process group of its own, and when the run ends the
// whole group goes: nothing it started outlives the run.
class ChildProcess final
{
public:
    using CancelCheck = std::function<bool()>;
    // One line of output, without its end: a line ends at "\n" or "\r" (a
    // progress line rewrites itself with "\r"); empty lines are skipped.
    using LineHandler = std::function<void(const QString &line)>;

    // Longer lines are cut: another program's error text is no reason to
    // hold megabytes.
    static constexpr qsizetype MaxLineBytes = 4096;
    // A run that may take as long as the program needs.
    static constexpr std::chrono::milliseconds NoTimeLimit = std::chrono::milliseconds::max();

    struct Options
    {
        std::chrono::milliseconds timeLimit;
        // More standard output than this kills the program.
        qint64 maxOutputBytes;
        CancelCheck cancelled = {};
        LineHandler outputLine = {};
        LineHandler errorLine = {};
        // A program that writes nothing for this long has hung; 0: no limit.
        std::chrono::milliseconds silenceLimit{0};
        // Whether `output` holds what came; a program that reports as it
        // goes, line by line, writes more than is worth keeping.
        bool keepOutput = true;
    };

    enum class Ending {
        Finished,
        Crashed,
        FailedToStart,
        TimedOut,
        Stalled,
        Cancelled,
        TooMuchOutput,
    };

    struct Result
    {
        Ending ending = Ending::FailedToStart;
        // The program's own, once it Finished.
        int exitCode = -1;
        // All of it, or none once there was too much.
        QByteArray output{};
        // The last line of its standard error that is not blank, trimmed.
        QString lastErrorLine{};

        bool succeeded() const { return ending == Ending::Finished && exitCode == 0; }
    };

    static Result run(const QString &program, const QStringList &arguments, const Options &options);

private:
    explicit ChildProcess(const Options &options) : m_options(options) {}
    Result run(QProcess &process);
    Ending waitForEnd(QProcess &process);
    void takeOutput(const QByteArray &bytes);
    void takeErrors(const QByteArray &bytes);
    void finishLines();
    void takeErrorLine(const QString &line);
    static void splitLines(QByteArray &pending, QByteArrayView bytes, const LineHandler &handler);

    const Options &m_options;
    Result m_result;
    bool m_overflowed = false;
    QElapsedTimer m_silence;
    QByteArray m_outputLine;
    QByteArray m_errorLine;
};
