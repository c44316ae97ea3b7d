#pragma once

#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of the real program on the cell's display, driven as a user
// drives it: its window is found and focused, keys are typed with xdotool,
// links reach it through the X clipboard (xclip). It can be quit with Ctrl+Q
// or killed outright; whatever still runs when this object goes is killed.
class ProgramRun final
{
public:
    ProgramRun(const QString &program, const QProcessEnvironment &environment, const QString &logPath);
    ~ProgramRun();
    ProgramRun(const ProgramRun &) = delete;
    ProgramRun &operator=(const ProgramRun &) = delete;

    // Starts the program and waits for its window.
    bool start();
    bool isRunning() const { return m_program.state() != QProcess::NotRunning; }
    // "ctrl+d": focuses the window and types into it.
    bool press(const QString &keys);
    // Copies `text` to the clipboard and presses Ctrl+V in the window.
    bool paste(const QString &text);
    // SIGKILL; returns once the program and the children it had (the
    // encoder) are gone, as after a real crash.
    void kill();
    // Ctrl+Q; true when the program ended on its own and without error.
    bool quit();
    // How it ended, and the last lines it wrote.
    QString exitText() const;
    QStringList logTail(int lines) const;

private:
    bool xdotool(const QStringList &arguments, int limitMs, QString *output = nullptr) const;
    QList<qint64> children() const;
    void endClipboard();

    QString m_programPath;
    QProcessEnvironment m_environment;
    QString m_logPath;
    QProcess m_program;
    QProcess m_clipboard;
    QString m_window;
};
