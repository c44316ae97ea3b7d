#pragma once

#include "CellHome.h"
#include "CrashPoint.h"
#include "KeptListReader.h"
#include "SampleSite.h"
#include "VirtualDisplay.h"

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

class ProgramRun;

// One cell of the crash matrix, in this process: a home of its own, the
// sample site serving a slow stream, the real program on an X display of the
// cell's. The link is pasted and downloaded as a user would, the program is
// killed at the cell's point; then it is started again on the same home and
// told to go on, and what it ends with is held against the stream.
class CrashCell final
{
public:
    struct Outcome
    {
        bool ok = false;
        QString where;   // where the kill landed
        QString sent;    // bytes the site sent for the stream, against its size
        QString note;    // why the cell failed, or what is worth knowing
        QStringList details; // what was seen, for a cell that failed
    };

    CrashCell(const CrashPoint &point, QString programPath, QTextStream &progress);
    ~CrashCell();

    Outcome run();

private:
    std::optional<QString> prepare();
    std::optional<QString> crash();
    std::optional<QString> startDownload(ProgramRun &program);
    std::optional<QString> reachPoint(ProgramRun &program);
    std::optional<QString> reachListWrite(ProgramRun &program);
    void describeKill();
    std::optional<QString> recover();
    std::optional<QString> finish(ProgramRun &program);
    void check(QStringList problems);
    static QString windowMissing(const ProgramRun &program);
    QStringList requestLines() const;
    void record(const QString &moment);

    QList<SiteRequest> streamRequests() const;
    QList<SiteRequest> downloadRequests() const;
    qint64 streamBytesSent() const;
    qint64 downloadBytesSent() const;
    bool siteWasAsked(const QString &path) const;
    // Waits for `done` while the program runs; false when it did not come
    // within `limitMs` or the program ended.
    bool await(ProgramRun &program, const std::function<bool()> &done, int limitMs, int stepMs = 1);
    QString partialState() const;
    void phase(const QString &what);

    const CrashPoint m_point;
    const QString m_programPath;
    QTextStream &m_progress;
    CellHome m_home;
    SampleSite m_site;
    VirtualDisplay m_display;
    KeptListReader m_list;
    QString m_title;
    QString m_source;
    qint64 m_streamBytes = 0;
    Outcome m_outcome;
};
