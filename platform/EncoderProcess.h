#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <sys/types.h>

#include <functional>

// An external encoder fed on its standard input: started with an argument
// list, never through a shell, so no character of a file name can be taken
// for shell syntax. Its error output goes to a file whose end explains a
// failure. Used from one thread.
class EncoderProcess final
{
public:
    EncoderProcess() = default;
    ~EncoderProcess();
    EncoderProcess(const EncoderProcess &) = delete;
    EncoderProcess &operator=(const EncoderProcess &) = delete;

    // The program beside our own executable, else on PATH; empty if none.
    static QString findProgram(const QString &name);

    bool start(const QString &program, const QStringList &arguments);
    // Once this says so, writing gives up at once and waiting for the end
    // only briefly: an encoder that stalls must not hold up a removal.
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    // Blocks while the encoder is busy. False once it no longer takes input
    // (it ended or closed its input): what it was given is then incomplete.
    bool write(const char *data, qint64 size);
    // Ends its input and waits for it to finish; true only for a clean exit
    // with code 0 after taking all input.
    bool finish();
    // Stops it at once.
    void kill();

    QString errorString() const { return m_error; }

private:
    bool isCancelled() const { return m_cancelled && m_cancelled(); }
    bool waitForExit(int timeoutMs);
    void closeInput();
    QString lastErrorLine();

    pid_t m_pid = -1;
    int m_input = -1;
    int m_status = 0;
    QTemporaryFile m_errorOutput;
    QString m_error;
    std::function<bool()> m_cancelled;
};
