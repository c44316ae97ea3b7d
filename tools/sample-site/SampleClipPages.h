#pragma once

#include <QByteArray>
#include <QString>

// The pages of a clip site of today, served under every host name that is
// not the video site's: a watch page as players of today serve it (Open
// Graph tags, schema.org data that names a DASH manifest, a <video> element
// the player feeds from it), the manifest, whose formats are whole files
// (the clip with picture and sound, and the sound alone), and a playlist as
// an RSS feed of such pages. Titles and play times follow from the code as
// on the old site. `origin` is "http://host", the site's own address.
class SampleClipPages final
{
public:
    SampleClipPages() = delete;

    static QByteArray watchPage(const QString &origin, const QString &code);
    static QByteArray manifest(const QString &origin, const QString &code);
    static QByteArray playlist(const QString &origin, const QString &name);

    // What a download of the sound alone is called, in Content-Disposition.
    static QByteArray attachment(const QString &name);
};
