#pragma once

#include "SourceReader.h"

// Any web page, read through the yt-dlp program: its description in JSON,
// taken as untrusted input. Streams served as whole files are fetched by
// our own downloader, with the headers yt-dlp says they need; for sound
// alone the best audio-only one, so that no picture is fetched in vain.
class PageReader final : public SourceReader
{
public:
    explicit PageReader(const YoutubeProgramPreferences &preferences) : m_preferences(preferences) {}

    SourceKind kind() const override { return SourceKind::PageReader; }
    Reading read(HttpClient &client, const QString &link, const CancelCheck &cancelled) const override;
    YoutubeQualityPtr choose(const YoutubeQualityList &streams) const override;

private:
    const YoutubeProgramPreferences &m_preferences;
};
