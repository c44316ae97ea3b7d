#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class WorkerThread;

// Says in the preferences whether yt-dlp is there and which version: the
// answer takes a run of the program, so it comes from a thread of its own,
// and only the answer to the latest question is told.
class PageReaderStatus final : public QObject
{
    Q_OBJECT

public:
    explicit PageReaderStatus(QObject *parent = nullptr);
    // Stops a look still under way.
    ~PageReaderStatus() override;

    // Looks for yt-dlp at `configuredPath`, else on PATH.
    void check(const QString &configuredPath);

Q_SIGNALS:
    // The version found and where, or that none was, with how to install it.
    void told(const QString &text);

private:
    // Looks under way, joined as this goes: none reaches a status that is
    // gone. A new question never waits for an old look.
    std::vector<std::unique_ptr<WorkerThread>> m_looks;
    int m_question = 0;
};
