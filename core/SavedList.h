#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The download list as it is kept between runs: one header line, then one
// line per item, each a JSON object. A file cut short or damaged in places
// loses only the lines it cannot read; the rest come back.
namespace SavedList {

inline constexpr int Version = 1;

struct Item
{
    QString link{};
    QString code{};
    QString title{};
    QString description{};
    qint32 durationSeconds = 0;
    qint32 streamType = 0;
    qint32 streamQuality = 0;
    QString streamURL{};
    qint64 streamBytes = 0;
    QString status{};
    QString note{};
    QString folder{};
    // The downloaded video, or once converted the output file.
    QString file{};
    QString partialFile{};
    qint64 bytesHeld = 0;
    double downloadSeconds = 0;
    // The conversion's, when one began: the output format's stored number
    // and the file it writes; -1 and empty otherwise.
    qint32 format = -1;
    QString output{};

    bool operator==(const Item &) const = default;
};

struct Contents
{
    QList<Item> items;
    // Some of it could not be read: a newer version, lines cut short or
    // garbled. The file should be kept aside for a look.
    bool damaged = false;
};

QByteArray write(const QList<Item> &items);
// The pieces of what write() gives: the first line, and each item's line.
QByteArray header();
QByteArray line(const Item &item);
Contents read(const QByteArray &bytes);

} // namespace SavedList
