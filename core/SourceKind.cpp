#include "SourceKind.h"

using namespace Qt::Literals::StringLiterals;

QString sourceKindName(SourceKind kind)
{
    switch (kind) {
    case SourceKind::WatchPage: return u"page"_s;
    case SourceKind::PageReader: return u"yt-dlp"_s;
    case SourceKind::DirectLink: return u"direct"_s;
    case SourceKind::LocalFile: return u"file"_s;
    }
    return {};
}

SourceKind sourceKindFromName(QStringView name)
{
    for (SourceKind kind : {SourceKind::PageReader, SourceKind::DirectLink, SourceKind::LocalFile}) {
        if (name == sourceKindName(kind))
            return kind;
    }
    return SourceKind::WatchPage;
}
