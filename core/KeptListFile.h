#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The download list as it is kept between runs: one header line that says
// how many items follow, then one line per item, each a JSON object. A file
// cut short at any byte, or damaged in places, tells so; it loses only the
// lines it cannot read, and the rest come back.
namespace KeptListFile {

inline constexpr int Version = 1;

struct Item
{
    QString link{};
    // Which reader the item's page went to (see SourceKind); empty in lists
    // from before there were several.
    QString source{};
    // The cover's address, where the page named one of its own.
    QString cover{};
    QString code{};
    QString title{};
    QString description{};
    qint32 durationSeconds = 0;
    qint32 streamType = 0;
    qint32 streamQuality = 0;
    QString streamURL{};
    qint64 streamBytes = 0;
    // The page reader's name for the stream, the extension of its file, and
    // whether it is sound alone.
    QString streamFormat{};
    QString streamExtension{};
    bool streamAudioOnly = false;
    // Fetched by the page reader itself (in pieces, or picture and sound
    // apart), into a work folder as its partial file.
    bool streamInPieces = false;
    QString status{};
    QString note{};
    QString folder{};
    // The name the item's files share, without folder or extension.
    QString name{};
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
    // Some of it could not be read, or is missing: a newer version, an empty
    // file, lines cut short, garbled or fewer than the header says. The file
    // should be kept aside for a look.
    bool damaged = false;
};

QByteArray write(const QList<Item> &items);
// The pieces of what write() gives: the first line, and each item's line.
QByteArray header(qsizetype itemCount);
QByteArray line(const Item &item);
Contents read(const QByteArray &bytes);

} // namespace KeptListFile
