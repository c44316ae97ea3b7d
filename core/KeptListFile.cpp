#include "KeptListFile.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace KeptListFile {

namespace {

QJsonObject toJson(const Item &item)
{
    return {{u"link"_s, item.link},
            {u"source"_s, item.source},
            {u"cover"_s, item.cover},
            {u"code"_s, item.code},
            {u"title"_s, item.title},
            {u"description"_s, item.description},
            {u"duration"_s, item.durationSeconds},
            {u"streamType"_s, item.streamType},
            {u"streamQuality"_s, item.streamQuality},
            {u"streamURL"_s, item.streamURL},
            {u"streamBytes"_s, item.streamBytes},
            {u"streamFormat"_s, item.streamFormat},
            {u"streamExtension"_s, item.streamExtension},
            {u"streamAudioOnly"_s, item.streamAudioOnly},
            {u"streamInPieces"_s, item.streamInPieces},
            {u"status"_s, item.status},
            {u"note"_s, item.note},
            {u"folder"_s, item.folder},
            {u"name"_s, item.name},
            {u"file"_s, item.file},
            {u"partialFile"_s, item.partialFile},
            {u"bytesHeld"_s, item.bytesHeld},
            {u"downloadSeconds"_s, item.downloadSeconds},
            {u"format"_s, item.format},
            {u"output"_s, item.output}};
}

// Null when the line holds no item: without its link nothing can be done.
std::optional<Item> fromJson(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError || object.value(u"link"_s).toString().isEmpty())
        return std::nullopt;
    return Item{.link = object.value(u"link"_s).toString(),
                .source = object.value(u"source"_s).toString(),
                .cover = object.value(u"cover"_s).toString(),
                .code = object.value(u"code"_s).toString(),
                .title = object.value(u"title"_s).toString(),
                .description = object.value(u"description"_s).toString(),
                .durationSeconds = object.value(u"duration"_s).toInt(),
                .streamType = object.value(u"streamType"_s).toInt(),
                .streamQuality = object.value(u"streamQuality"_s).toInt(),
                .streamURL = object.value(u"streamURL"_s).toString(),
                .streamBytes = object.value(u"streamBytes"_s).toInteger(),
                .streamFormat = object.value(u"streamFormat"_s).toString(),
                .streamExtension = object.value(u"streamExtension"_s).toString(),
                .streamAudioOnly = object.value(u"streamAudioOnly"_s).toBool(),
                .streamInPieces = object.value(u"streamInPieces"_s).toBool(),
                .status = object.value(u"status"_s).toString(),
                .note = object.value(u"note"_s).toString(),
                .folder = object.value(u"folder"_s).toString(),
                .name = object.value(u"name"_s).toString(),
                .file = object.value(u"file"_s).toString(),
                .partialFile = object.value(u"partialFile"_s).toString(),
                .bytesHeld = std::max<qint64>(0, object.value(u"bytesHeld"_s).toInteger()),
                .downloadSeconds = std::max(0.0, object.value(u"downloadSeconds"_s).toDouble()),
                .format = object.value(u"format"_s).toInt(-1),
                .output = object.value(u"output"_s).toString()};
}

} // namespace

QByteArray header(qsizetype itemCount)
{
    return QJsonDocument(QJsonObject{{u"version"_s, Version}, {u"items"_s, itemCount}}).toJson(QJsonDocument::Compact)
        + '\n';
}

QByteArray line(const Item &item)
{
    return QJsonDocument(toJson(item)).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray write(const QList<Item> &items)
{
    QByteArray bytes = header(items.size());
    for (const Item &item : items)
        bytes += line(item);
    return bytes;
}

Contents read(const QByteArray &bytes)
{
    Contents contents;
    QList<QByteArray> lines = bytes.split('\n');
    // What follows the last line break was being written when the writer
    // stopped.
    contents.damaged = !lines.takeLast().isEmpty();
    const QJsonObject header = lines.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(lines.takeFirst()).object();
    // A newer program's list may mean other things by the same words. Even
    // an empty list has its header: an empty file was cut short.
    if (header.value(u"version"_s).toInt() != Version)
        return {{}, true};
    for (const QByteArray &line : std::as_const(lines)) {
        if (const std::optional<Item> item = fromJson(line))
            contents.items.append(*item);
        else
            contents.damaged = true;
    }
    // Cut at a line break, the lines still read whole: only the count tells.
    // Lists from before the count was written have none to check.
    const QJsonValue count = header.value(u"items"_s);
    if (!count.isUndefined() && count.toInteger(-1) != lines.size())
        contents.damaged = true;
    return contents;
}

} // namespace KeptListFile
