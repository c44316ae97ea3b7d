#pragma once

#include "OutputSettings.h"
#include "StyledText.h"

#include <QString>

#include <optional>

class YoutubeDownloader;

// What an item's row says (GUI thread) and the measures behind it and the
// window's totals (any thread), from whatever the item's worker threads
// have written so far.
class RowTexts final
{
public:
    explicit RowTexts(const YoutubeDownloader &item) : m_item(item) {}

    StyledText descriptionObject() const;
    // The status, a note of trouble, then speed and time left.
    StyledText descriptionObjectYoutubeStatus() const;
    QString descriptionYoutubeDuration() const;
    // The status line, with what the download is going through (a retry, a
    // failure) on a second line.
    QString statusText() const;
    // Bytes per second over the time spent downloading.
    float calculateDownloadSpeed() const;
    // Seconds the download still needs.
    float calculateRemainingTime() const;
    // Bytes that count as done in the window's totals.
    qint64 downloadedFileSize() const;
    // The chosen stream's size, or the bytes received while it is unknown.
    qint64 streamSize() const;

    static QString statusDescriptionByYoutubeStatus(qint32 status, OutputFormat outputFormat);
    static StyledText::Colour colourByYoutubeStatus(qint32 status);
    static float downloadSpeed(qint64 bytes, double seconds);
    static float remainingTime(qint64 streamBytes, qint64 bytes, double seconds);

    // The status as the row's first line says it: what the item waits for,
    // else its status.
    QString statusLine() const;

private:
    std::optional<QString> waitingText() const;
    // "12.3 of 19.4 MB", or "12.3 MB" while the size is not known.
    QString bytesSoFarText() const;

    const YoutubeDownloader &m_item;
};
