#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Where the program is killed in a cell of the crash matrix: the rows.
struct CrashPoint
{
    enum Kind {
        PageLoad,   // the watch page is asked for and held back by the site
        Download,   // `fraction` of the stream is sent
        LastByte,   // the site has sent the whole stream
        Converting, // the MP3 is being written under its temporary name
        Tagging,    // the tags wait for the high-quality cover, which the site holds back
        ListWrite,  // the saved list is being written under its temporary name
    };

    Kind kind;
    QString name;
    QString description;
    double fraction = 0;

    static const QList<CrashPoint> &all();
    // The points whose names begin with one of `names`; every point when empty.
    static QList<CrashPoint> matching(const QStringList &names);
    static const CrashPoint *find(const QString &name);
};
