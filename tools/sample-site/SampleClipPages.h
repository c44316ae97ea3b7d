#pragma once

#include <QByteArray>
#include <QString>

// The pages of a clip site of today, served under every host name that is
// not the video site's: a watch page as players of today serve it (Open
// Graph tags, schema.org data that names the media's manifest, a <video>
// element the player feeds from it), the manifests, and a playlist as an RSS
// feed of such pages. Titles and play times follow from the code as on the
// old site. `origin` is "http://host", the site's own address.
class SampleClipPages final
{
public:
    // How a page offers its media, and where the page is: a DASH manifest of
    // whole files, the clip with picture and sound and the sound alone
    // (/watch/CODE); one of whole files of the picture alone and the sound
    // alone, which a reader must put together (/split/CODE); or an HLS
    // master playlist of the sound alone and the clip, each a media playlist
    // of segments (/hls/CODE).
    enum class Offer { Whole, Split, Hls };

    SampleClipPages() = delete;

    static QByteArray watchPage(const QString &origin, const QString &code, Offer offer);
    // A DASH manifest: of the Whole or the Split offer.
    static QByteArray manifest(const QString &origin, const QString &code, Offer offer);
    // Names the media playlists "sound/index.m3u8" and "clip/index.m3u8"
    // beside it.
    static QByteArray masterPlaylist();
    static QByteArray playlist(const QString &origin, const QString &name);

    // What a download of the sound alone is called, in Content-Disposition.
    static QByteArray attachment(const QString &name);
};
