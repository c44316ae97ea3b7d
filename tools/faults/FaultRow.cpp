#include "FaultRow.h"

#include "NamedEntries.h"

using namespace Qt::Literals::StringLiterals;

const QList<FaultRow> &FaultRow::all()
{
    // A transient fault strikes one request, so the retry or the resume meets
    // a healthy site; a lasting one strikes every request.
    static const QList<FaultRow> rows{
        {u"reset-once"_s, u"the connection is reset after a quarter of the stream, once"_s,
         u"reset-after=%1,throttle=%2,times=1;throttle=%2"_s, StatusFinished},
        {u"reset-always"_s, u"every connection is reset after a quarter of the stream"_s,
         u"reset-after=%1,throttle=%2"_s, StatusFinished},
        {u"stall-once"_s, u"the connection stalls after a quarter of the stream, once"_s,
         u"stall-after=%1,throttle=%2,times=1;throttle=%2"_s, StatusFinished},
        {u"stall-always"_s, u"every connection stalls after a quarter of the stream"_s,
         u"stall-after=%1,throttle=%2"_s, StatusFinished},
        {u"ignore-range"_s, u"Range is always ignored (200, whole stream); one reset makes it matter"_s,
         u"ignore-range,reset-after=%1,throttle=%2,times=1;ignore-range,throttle=%2"_s, StatusFinished},
        {u"ignore-range-resets"_s, u"Range is always ignored, and every connection is reset after a quarter"_s,
         u"ignore-range,reset-after=%1,throttle=%2"_s, StatusDownloadPaused},
        {u"404"_s, u"the stream is gone: 404 for good"_s, u"status=404"_s, StatusDownloadPaused},
        {u"500-once"_s, u"one 500 answer"_s, u"status=500,times=1;throttle=%2"_s, StatusFinished},
        {u"500-always"_s, u"500 for good"_s, u"status=500"_s, StatusDownloadPaused},
        {u"no-length"_s, u"no Content-Length on any answer; one reset makes it matter"_s,
         u"no-length,reset-after=%1,throttle=%2,times=1;no-length,throttle=%2"_s, StatusFinished},
        {u"throttle"_s, u"the stream comes at a quarter of its size per second"_s, u"throttle=%3"_s, StatusFinished},
        // The part of a range request has its whole length in Content-Range;
        // only a plain answer depends on Content-Length alone.
        {u"longer-once"_s, u"a partial answer's body is a quarter of the stream longer than announced, once"_s,
         u"length-delta=-%1,throttle=%2,times=1;throttle=%2"_s, StatusFinished},
        {u"longer-always"_s, u"every partial answer's body is a quarter of the stream longer than announced"_s,
         u"length-delta=-%1,throttle=%2"_s, StatusDownloadPaused},
        {u"shorter-always"_s, u"every partial answer's body is a quarter of the stream shorter than announced"_s,
         u"length-delta=+%1,throttle=%2"_s, StatusFinished},
        {u"longer-200-once"_s, u"a plain answer's body (Range ignored) is a quarter longer than announced, once"_s,
         u"ignore-range,length-delta=-%1,throttle=%2,times=1;throttle=%2"_s, StatusFinished},
        {u"longer-200-always"_s, u"every plain answer's body (Range ignored) is a quarter longer than announced"_s,
         u"ignore-range,length-delta=-%1,throttle=%2"_s, StatusDownloadPaused},
        {u"shorter-200-once"_s, u"a plain answer's body (Range ignored) is a quarter shorter than announced, once"_s,
         u"ignore-range,length-delta=+%1,throttle=%2,times=1;throttle=%2"_s, StatusFinished},
        {u"shorter-200-always"_s, u"every plain answer's body (Range ignored) is a quarter shorter than announced"_s,
         u"ignore-range,length-delta=+%1,throttle=%2"_s, StatusDownloadPaused},
    };
    return rows;
}

QList<FaultRow> FaultRow::matching(const QStringList &names)
{
    return NamedEntries::matching(all(), names);
}

const FaultRow *FaultRow::find(const QString &name)
{
    return NamedEntries::find(all(), name);
}

QStringList FaultRow::armedFaults(qint64 streamBytes) const
{
    // Every row is served at twice the stream per second, so that a download
    // lasts long enough for the user to act in the middle of it.
    const QString armed = QString(faults)
                              .replace(u"%1"_s, QString::number(streamBytes / 4))
                              .replace(u"%2"_s, QString::number(streamBytes * 2))
                              .replace(u"%3"_s, QString::number(streamBytes / 4));
    QStringList list;
    for (const QString &fault : armed.split(u';', Qt::SkipEmptyParts))
        list.append(u"path=/videoplayback,"_s + fault);
    return list;
}
