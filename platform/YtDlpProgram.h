#pragma once

#include "ChildProcess.h"

#include <QString>

#include <chrono>

// The yt-dlp program, which reads pages of today's video sites for us. It is
// optional: without it those pages cannot be read, and nothing else changes.
class YtDlpProgram final
{
public:
    YtDlpProgram() = delete;

    static constexpr std::chrono::milliseconds PageTimeLimit{60'000};
    // Room for a playlist of some thousands of entries; a page that needs
    // more is no page we can use.
    static constexpr qint64 MaxPageBytes = 64 * 1024 * 1024;

    // `configuredPath` when it is an executable file, else yt-dlp on PATH;
    // empty when neither.
    static QString locate(const QString &configuredPath = {});
    // What `--version` prints; empty when it cannot say.
    static QString version(const QString &programPath, const ChildProcess::CancelCheck &cancelled = {});
    // The page at `url` as one JSON object, a playlist's entries unresolved.
    // Only configuration given here counts, so a user's yt-dlp settings
    // cannot change what comes back. On failure the last error line is
    // yt-dlp's, without its "ERROR: " in front.
    static ChildProcess::Result readPage(const QString &programPath, const QString &url,
                                         const ChildProcess::CancelCheck &cancelled,
                                         std::chrono::milliseconds timeLimit = PageTimeLimit);

    struct Download
    {
        QString url;
        // yt-dlp's name for the format, or "<picture>+<sound>" for two that
        // it puts together into one file of the output's extension.
        QString formatId;
        // yt-dlp's own files for it (parts, fragments, its state) are named
        // after this one, beside it.
        QString outputPath;
        ChildProcess::CancelCheck cancelled;
        // Called with the bytes so far, the total once known and yt-dlp's
        // estimate of it meanwhile; the last two as "NA" when it has none.
        ChildProcess::LineHandler progressLine;
        std::chrono::milliseconds silenceLimit;
    };
    // Fetches one format of the page at `url` into `outputPath`, taking up
    // what an earlier run of the same left there. As long as it takes, while
    // it reports progress. On failure the last error line is yt-dlp's,
    // without its "ERROR: " in front.
    static ChildProcess::Result download(const QString &programPath, const Download &download);
};
