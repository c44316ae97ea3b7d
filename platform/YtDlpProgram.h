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
};
