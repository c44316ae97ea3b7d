#include "EncoderProcess.h"

#include "LocalizedStrings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FinishTimeoutMs = 120'000;
// An encoder that takes nothing for this long is taken for hung.
constexpr int StallTimeoutMs = 60'000;
// Long enough for the encoder to write out what it was given.
constexpr int CancelGraceMs = 300;
constexpr qint64 ErrorOutputKept = 4096;

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

EncoderProcess::~EncoderProcess()
{
    kill();
}

QString EncoderProcess::findProgram(const QString &name)
{
    const QString beside = QStandardPaths::findExecutable(name, {QCoreApplication::applicationDirPath()});
    return beside.isEmpty() ? QStandardPaths::findExecutable(name) : beside;
}

bool EncoderProcess::start(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty()) {
        m_error = LocalizedStrings::shared().text(330);
        return false;
    }
    // An encoder that quits early must fail our write, not end the program.
    static std::once_flag ignorePipeSignal;
    std::call_once(ignorePipeSignal, [] { std::signal(SIGPIPE, SIG_IGN); });

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0 || !m_errorOutput.open()) {
        m_error = systemError(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, int(m_errorOutput.handle()), STDERR_FILENO);

    QList<QByteArray> encoded{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        encoded.append(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const int spawned = posix_spawn(&m_pid, encoded.first().constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[0]);
    if (spawned != 0) {
        ::close(pipeEnds[1]);
        m_pid = -1;
        m_error = systemError(spawned);
        return false;
    }
    m_input = pipeEnds[1];
    ::fcntl(m_input, F_SETFL, ::fcntl(m_input, F_GETFL) | O_NONBLOCK);
    return true;
}

bool EncoderProcess::write(const char *data, qint64 size)
{
    QDeadlineTimer stalled(StallTimeoutMs);
    while (size > 0 && m_input >= 0) {
        const ssize_t written = ::write(m_input, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN && isCancelled()) {
            m_error = LocalizedStrings::shared().text(331);
            closeInput();
            return false;
        }
        if (written < 0 && errno == EAGAIN && !stalled.hasExpired()) {
            pollfd ready{m_input, POLLOUT, 0};
            ::poll(&ready, 1, 100);
            continue;
        }
        if (written > 0)
            stalled.setRemainingTime(StallTimeoutMs);
        if (written <= 0) {
            m_error = LocalizedStrings::shared().text(332);
            closeInput();
            return false;
        }
        data += written;
        size -= written;
    }
    return size == 0;
}

bool EncoderProcess::finish()
{
    if (m_pid < 0) {
        if (m_error.isEmpty())
            m_error = LocalizedStrings::shared().text(333);
        return false;
    }
    closeInput();
    if (!waitForExit(FinishTimeoutMs)) {
        m_error = LocalizedStrings::shared().text(334);
        kill();
        return false;
    }
    const QString said = lastErrorLine();
    if (WIFSIGNALED(m_status)) {
        m_error = LocalizedStrings::shared().text(335).arg(said);
        return false;
    }
    if (WEXITSTATUS(m_status) != 0) {
        m_error = LocalizedStrings::shared().text(336).arg(WEXITSTATUS(m_status)).arg(said);
        return false;
    }
    // A clean exit after input was refused still lost some of it.
    return m_error.isEmpty();
}

void EncoderProcess::kill()
{
    closeInput();
    if (m_pid < 0)
        return;
    ::kill(m_pid, SIGKILL);
    waitForExit(FinishTimeoutMs);
}

bool EncoderProcess::waitForExit(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    std::optional<QDeadlineTimer> grace;
    while (true) {
        const pid_t ended = ::waitpid(m_pid, &m_status, WNOHANG);
        if (ended == m_pid || (ended < 0 && errno != EINTR)) {
            m_pid = -1;
            return ended > 0;
        }
        if (!grace && isCancelled())
            grace = QDeadlineTimer(CancelGraceMs);
        if (deadline.hasExpired() || (grace && grace->hasExpired()))
            return false;
        QThread::msleep(5);
    }
}

void EncoderProcess::closeInput()
{
    if (m_input >= 0)
        ::close(m_input);
    m_input = -1;
}

QString EncoderProcess::lastErrorLine()
{
    m_errorOutput.seek(std::max<qint64>(0, m_errorOutput.size() - ErrorOutputKept));
    const QString detail = QString::fromLocal8Bit(m_errorOutput.readAll()).trimmed().section(u'\n', -1);
    return detail.isEmpty() ? QString() : u": "_s + detail;
}
