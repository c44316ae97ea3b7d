#pragma once

#include "FaultRow.h"
#include "OutputSettings.h"
#include "RecordingOwner.h"
#include "SiteFixture.h"
#include "ThreadHandOff.h"
#include "UserAction.h"

#include <QTextStream>

#include <memory>
#include <optional>

class YoutubeDownloader;

// One cell of the matrix, in this process: a sample site of its own, one item
// driven as the program drives it (created, started once its page is in,
// paused, resumed and removed on the main thread, which its status changes
// are handed to), the fault armed on the stream, and then what the item came
// to, held against the files it left and against ffprobe's reading of the
// stream the site served.
class FaultCell final
{
public:
    struct Outcome
    {
        bool ok = false;
        QString text; // the status shown ("Finished", "Paused"), "removed N ms", or why the cell failed
        QString note; // the item's note, or what it showed when the cell failed
    };

    FaultCell(const FaultRow &row, const UserAction &action, OutputFormat outputFormat, QTextStream &progress);
    ~FaultCell();

    Outcome run();

private:
    std::optional<Outcome> start();
    std::optional<Outcome> reachMiddle();
    Outcome act();
    Outcome settle(YoutubeStatus expected);
    Outcome remove();
    void onStatus(YoutubeStatus status);
    bool isSettled() const;
    QString finishedFilesProblem() const;
    QString unfinishedFilesProblem() const;
    Outcome failed(const QString &why) const;
    void phase(const QString &what);

    const FaultRow m_row;
    const UserAction m_action;
    const OutputFormat m_outputFormat;
    QTextStream &m_progress;
    SiteFixture m_fixture;
    std::shared_ptr<RecordingOwner> m_owner = std::make_shared<RecordingOwner>();
    ThreadHandOff m_mainThread;
    QString m_source;
    qint64 m_streamBytes = 0;
    double m_sourceSeconds = 0;
    std::shared_ptr<YoutubeDownloader> m_item;
    // As the main thread has been told, which is what the program acts on.
    YoutubeStatus m_announced = StatusNew;
    bool m_started = false;
};
