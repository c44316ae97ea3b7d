#pragma once

#include "ChildProcess.h"
#include "SourceReader.h"

#include <chrono>

// Any web page, read through the yt-dlp program: its description in JSON,
// taken as untrusted input. Streams served as whole files are fetched by
// our own downloader, with the headers yt-dlp says they need; others (in
// pieces, or picture and sound apart) by yt-dlp itself (see
// PageReaderDownload). For sound alone the best audio-only one, so that no
// picture is fetched in vain.
class PageReader final : public SourceReader
{
public:
    explicit PageReader(const YoutubeProgramPreferences &preferences) : m_preferences(preferences) {}

    SourceKind kind() const override { return SourceKind::PageReader; }
    Reading read(HttpClient &client, const QString &link, const CancelCheck &cancelled) const override;
    YoutubeQualityPtr choose(const YoutubeQualityList &streams) const override;

    // Why a run of yt-dlp gave nothing, in the row's words; `limit` is the
    // time it had, or the silence it was allowed.
    static QString failureNote(const ChildProcess::Result &run, std::chrono::milliseconds limit);

private:
    const YoutubeProgramPreferences &m_preferences;
};
