#include "ProgramRun.h"

#include "Polling.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int WindowLimitMs = 30'000;
constexpr int ToolLimitMs = 10'000;
constexpr int QuitLimitMs = 30'000;
constexpr int ChildrenLimitMs = 10'000;

// A zombie has ended; only its parent's wait is missing.
bool isAlive(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

ProgramRun::ProgramRun(const QString &program, const QProcessEnvironment &environment, const QString &logPath)
    : m_programPath(program), m_environment(environment), m_logPath(logPath)
{
    m_program.setProcessEnvironment(environment);
    m_program.setProcessChannelMode(QProcess::MergedChannels);
    m_program.setStandardOutputFile(logPath, QIODevice::Append);
    m_clipboard.setProcessEnvironment(environment);
}

ProgramRun::~ProgramRun()
{
    if (isRunning())
        kill();
    endClipboard();
}

bool ProgramRun::start()
{
    m_program.start(m_programPath, {});
    if (!m_program.waitForStarted(ToolLimitMs))
        return false;
    // A search dies of an X error when a window it looks at goes meanwhile,
    // as short-lived ones do while a program starts: it is tried again.
    const QDeadlineTimer deadline(WindowLimitMs);
    while (m_window.isEmpty() && isRunning() && !deadline.hasExpired()) {
        QString windows;
        xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(m_program.processId()),
                 u"--name"_s, u"^Vantrel$"_s},
                int(deadline.remainingTime()), &windows);
        m_window = windows.section(u'\n', 0, 0).trimmed();
    }
    return !m_window.isEmpty();
}

// Keys go to whichever window has the focus, as a user's would: the
// program's window is given it first.
bool ProgramRun::press(const QString &keys)
{
    return isRunning() && xdotool({u"windowfocus"_s, u"--sync"_s, m_window, u"key"_s, u"--clearmodifiers"_s, keys}, ToolLimitMs);
}

bool ProgramRun::paste(const QString &text)
{
    endClipboard();
    // -quiet keeps xclip in the foreground, serving the selection until it
    // is ended: this process is the one to end, never another xclip.
    m_clipboard.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s, u"-i"_s});
    if (!m_clipboard.waitForStarted(ToolLimitMs))
        return false;
    m_clipboard.write(text.toUtf8());
    m_clipboard.closeWriteChannel();
    // Serving once xclip says nothing more for a moment: it reads all of its
    // input first.
    Polling::until([this] { return m_clipboard.bytesToWrite() == 0; }, ToolLimitMs);
    Polling::pause(200);
    return m_clipboard.state() == QProcess::Running && press(u"ctrl+v"_s);
}

void ProgramRun::kill()
{
    const QList<qint64> children = this->children();
    m_program.kill();
    m_program.waitForFinished(ToolLimitMs);
    Polling::until([&children] { return std::none_of(children.cbegin(), children.cend(), isAlive); }, ChildrenLimitMs);
}

bool ProgramRun::quit()
{
    press(u"ctrl+q"_s);
    if (!m_program.waitForFinished(QuitLimitMs))
        return false;
    return m_program.exitStatus() == QProcess::NormalExit && m_program.exitCode() == 0;
}

QString ProgramRun::exitText() const
{
    if (isRunning())
        return u"still running"_s;
    if (m_program.exitStatus() == QProcess::CrashExit)
        return u"crashed or killed"_s;
    return u"exited with %1"_s.arg(m_program.exitCode());
}

QStringList ProgramRun::logTail(int lines) const
{
    QFile log(m_logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QStringList all = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    return all.mid(std::max<qsizetype>(0, all.size() - lines));
}

bool ProgramRun::xdotool(const QStringList &arguments, int limitMs, QString *output) const
{
    QProcess tool;
    tool.setProcessEnvironment(m_environment);
    tool.start(u"xdotool"_s, arguments);
    if (!tool.waitForFinished(limitMs)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput());
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QList<qint64> ProgramRun::children() const
{
    QList<qint64> pids;
    const QString tasks = u"/proc/%1/task"_s.arg(m_program.processId());
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(tasks + u'/' + task + u"/children"_s);
        if (!list.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : list.readAll().split(' ')) {
            if (!pid.trimmed().isEmpty())
                pids.append(pid.trimmed().toLongLong());
        }
    }
    return pids;
}

void ProgramRun::endClipboard()
{
    if (m_clipboard.state() == QProcess::NotRunning)
        return;
    m_clipboard.kill();
    m_clipboard.waitForFinished(ToolLimitMs);
}
