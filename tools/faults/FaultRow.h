#pragma once

#include "YoutubeStatus.h"

#include <QList>
#include <QString>
#include <QStringList>

// One misbehaviour of the stream request, as the matrix arms it on the sample
// site once the item is ready (after the page load's size probes), and the
// status the item must come to when nobody intervenes.
struct FaultRow
{
    QString name;
    QString description;
    // Faults in the site's notation, separated by ";" and tried in order. %1
    // stands for a quarter of the stream, %2 for the speed every row is served
    // at, %3 for the slow speed of the throttle row (bytes per second).
    QString faults;
    YoutubeStatus end;

    static const QList<FaultRow> &all();
    // The rows whose names begin with one of `names`; every row when empty.
    static QList<FaultRow> matching(const QStringList &names);
    static const FaultRow *find(const QString &name);

    // The faults with the placeholders filled in for a stream of `streamBytes`.
    QStringList armedFaults(qint64 streamBytes) const;
};
