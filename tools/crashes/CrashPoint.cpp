#include "CrashPoint.h"

#include "NamedEntries.h"

using namespace Qt::Literals::StringLiterals;

const QList<CrashPoint> &CrashPoint::all()
{
    static const QList<CrashPoint> points{
        {PageLoad, u"page-load"_s, u"while the watch page loads (the site holds the page back)"_s},
        {Download, u"download-10"_s, u"once the site has sent a tenth of the stream"_s, 0.1},
        {Download, u"download-50"_s, u"once the site has sent half of the stream"_s, 0.5},
        {Download, u"download-90"_s, u"once the site has sent nine tenths of the stream"_s, 0.9},
        {LastByte, u"last-byte"_s, u"as soon as the site has sent the stream's last byte"_s},
        {Converting, u"converting"_s, u"once the MP3's temporary file has its first bytes"_s},
        {Tagging, u"tagging"_s, u"while the tags wait for the high-quality cover (the site holds it back)"_s},
        {ListWrite, u"list-write"_s,
         u"while the saved list is written (a list of many finished items to start with, so that a write takes a while)"_s},
    };
    return points;
}

QList<CrashPoint> CrashPoint::matching(const QStringList &names)
{
    return NamedEntries::matching(all(), names);
}

const CrashPoint *CrashPoint::find(const QString &name)
{
    return NamedEntries::find(all(), name);
}
