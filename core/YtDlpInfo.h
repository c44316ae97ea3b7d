#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// What yt-dlp's JSON says of one page: a video with its formats, or a
// playlist with its entries. That text comes from another program that read
// an arbitrary web page, so it is taken as untrusted: only http and https
// addresses are kept, every string and list is bounded, and a header that
// could break a request is dropped.
struct YtDlpInfo
{
    struct Format
    {
        QString id{};
        QString url{};
        // "https", "m3u8_native", "http_dash_segments", ...
        QString protocol{};
        QString extension{};
        bool hasPicture = false;
        bool hasSound = false;
        qint32 height = 0;
        // Exact, or 0: an estimate ("filesize_approx") taken for the length
        // would end a download short, or wait for bytes that never come.
        qint64 bytes = 0;
        double kilobitsPerSecond = 0;
        // To be sent with a request for `url`.
        QList<std::pair<QByteArray, QByteArray>> httpHeaders{};
    };

    struct Entry
    {
        QString url{};
        QString title{};
        QString id{};
    };

    enum class Rejection {
        TooLarge,
        NotJson,
        NoObject,
    };

    static constexpr qsizetype MaxTitleChars = 1000;
    static constexpr qsizetype MaxDescriptionChars = 64 * 1024;
    // A longer address is dropped, never cut.
    static constexpr qsizetype MaxURLChars = 8 * 1024;
    static constexpr qsizetype MaxFormats = 500;
    static constexpr qsizetype MaxEntries = 5000;
    static constexpr qsizetype MaxHeaders = 32;
    static constexpr qint32 MaxDurationSeconds = 7 * 24 * 3600;

    QString id{};
    // Falls back on the full title, then on the id.
    QString title{};
    QString description{};
    qint32 durationSeconds = 0;
    QString thumbnail{};
    QString webpageURL{};
    // In yt-dlp's order, which runs from worst to best.
    QList<Format> formats{};
    bool isPlaylist = false;
    // A playlist's, in its order.
    QList<Entry> entries{};

    // Null, with the reason in `why`, for text that describes no page.
    static std::optional<YtDlpInfo> fromJson(const QByteArray &json, Rejection *why = nullptr);

    // The audio-only format of most kilobits per second, then most bytes,
    // among those served as one plain file.
    static std::optional<Format> bestAudioFile(const QList<Format> &formats);
    // The same among all, however served.
    static std::optional<Format> bestAudio(const QList<Format> &formats);
    // The format of picture without sound of the greatest height, then most
    // kilobits per second, however served.
    static std::optional<Format> bestPictureAlone(const QList<Format> &formats);
    // Those with both picture and sound, in their order.
    static QList<Format> withPictureAndSound(const QList<Format> &formats);
    // Served whole over http or https, not in pieces from a manifest.
    static bool isPlainFile(const Format &format);
};
