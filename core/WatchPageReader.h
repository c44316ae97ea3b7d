#pragma once

#include "SourceReader.h"

// The video site's watch page of the old form, read by us: the player
// configuration's MP4 streams, each asked for its size. A page without a
// configuration we understand is handed on to yt-dlp.
class WatchPageReader final : public SourceReader
{
public:
    explicit WatchPageReader(const YoutubeProgramPreferences &preferences) : m_preferences(preferences) {}

    SourceKind kind() const override { return SourceKind::WatchPage; }
    Reading read(HttpClient &client, const QString &link, const CancelCheck &cancelled) const override;
    YoutubeQualityPtr choose(const YoutubeQualityList &streams) const override;

private:
    const YoutubeProgramPreferences &m_preferences;
};
