#include "LocalFileReader.h"

#include "MediaProbe.h"
#include "StringUtils.h"

#include <QFileInfo>
#include <QUrl>

SourceReader::Reading LocalFileReader::read(HttpClient &, const QString &path, const CancelCheck &) const
{
    Reading reading;
    const MediaProbe::Contents contents = MediaProbe::read(path);
    const QFileInfo file(path);
    reading.title = contents.title.isEmpty() ? file.completeBaseName() : contents.title;
    if (!contents.isMedia) {
        reading.note = StringUtils::langStr(401).arg(contents.failure);
        return reading;
    }
    if (!contents.hasSound) {
        reading.note = StringUtils::langStr(402);
        return reading;
    }
    reading.description = contents.comment;
    reading.durationSeconds = qint32(std::min<qint64>(contents.seconds, std::numeric_limits<qint32>::max()));
    if (!contents.cover.isEmpty())
        reading.coverURL = reading.tagCoverURL = QUrl::fromLocalFile(file.absoluteFilePath()).toString();
    const QString grade = contents.hasPicture ? QString() : StringUtils::langStr(400);
    reading.qualities = {std::make_shared<YoutubeQuality>(
        VideoTypeUnknown, QualityNone, file.absoluteFilePath(), file.size(),
        YoutubeQuality::Details{.extension = file.suffix().toLower(), .audioOnly = !contents.hasPicture, .label = grade})};
    reading.outcome = Reading::Outcome::Read;
    return reading;
}
