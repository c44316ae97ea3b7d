#pragma once

#include "KeptListFile.h"

#include <QFile>
#include <QList>
#include <QString>

// Items as a long-used list holds them: finished ones with their files, a
// few paused with partial files; descriptions as long as watch pages have.
// Empty when a file could not be written.
inline QList<KeptListFile::Item> longList(int count, const QString &music)
{
    using namespace Qt::Literals::StringLiterals;
    QList<KeptListFile::Item> items;
    const QString description = u"Recorded live. Tracks & credits:\n"_s.repeated(40);
    for (int i = 0; i < count; ++i) {
        const QString code = u"keep%1"_s.arg(i, 7, 10, QChar(u'0'));
        const QString title = u"Northern Gardens \"Remastered\" %1"_s.arg(i);
        const bool paused = i % 10 == 0;
        const QString video = music + u'/' + title + u".mp4"_s;
        KeptListFile::Item item{.link = u"http://www.youtube.com/watch?v="_s + code, .code = code, .title = title,
                             .description = description, .durationSeconds = 446, .streamType = 2,
                             .streamQuality = 1,
                             .streamURL = u"http://o-o.preferred.sample.v1.lscache1.c.youtube.com/videoplayback?id="_s
                                 + code + u"&itag=18&signature=0123456789ABCDEF0123456789ABCDEF"_s,
                             .streamBytes = 5'000'000, .status = paused ? u"download-paused"_s : u"finished"_s,
                             .folder = music, .file = paused ? QString() : music + u'/' + title + u".mp3"_s};
        if (paused) {
            item.partialFile = video + u".vantrel-kn23vd"_s;
            item.bytesHeld = 1000;
        }
        QFile file(paused ? item.partialFile : item.file);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(1000, 'x')) != 1000)
            return {};
        items.append(item);
    }
    return items;
}
