#pragma once

#include "SourceReader.h"

// An address that answers with a media file itself: no page to read, the
// answer's head tells type, size and name. Anything else is a page, handed
// on to yt-dlp. Once downloaded, the file's own title tag names the item.
class DirectLinkReader final : public SourceReader
{
public:
    SourceKind kind() const override { return SourceKind::DirectLink; }
    Reading read(HttpClient &client, const QString &link, const CancelCheck &cancelled) const override;
    QString titleFromFile(const QString &path) const override;
};
