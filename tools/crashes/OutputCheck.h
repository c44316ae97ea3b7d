#pragma once

#include <QString>
#include <QStringList>

// What a finished item must have left in the output folder, held against
// the stream the site served, by readers other than the program's own:
// exactly "<Title>.mp4" and "<Title>.mp3"; the video the stream byte for
// byte; the MP3 as long as the stream's sound (ffprobe); its ID3v2 tag with
// the title and a picture (TagLib).
class OutputCheck final
{
public:
    OutputCheck(QString folder, QString title, QString streamFile);

    // What is wrong, in words; empty when nothing is.
    QStringList problems() const;

private:
    QString filesProblem() const;
    QString videoProblem() const;
    QString durationProblem() const;
    QString tagProblem() const;
    QString path(const QString &extension) const;

    QString m_folder;
    QString m_title;
    QString m_streamFile;
};
