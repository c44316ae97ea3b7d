#pragma once

#include <QString>
#include <QStringList>

// One video link of the download list.
class YoutubeDownloader final
{
public:
    // Whether the text contains a link to the video site: "http://www." and
    // the host in any letter case, or "http://" and the host exactly.
    static bool isYoutubeURLValid(const QString &text);
    // The trimmed lines of the text that are links, in order, duplicates kept.
    static QStringList youtubesURLsFromText(const QString &text);

    // The video code of a link: after "<host>/watch?v=", else after "&v=";
    // empty when neither yields one.
    static QString parseYoutubeCodeFromURL(const QString &url);
    static QString parseYoutubeCodeFromURLByMask(const QString &url, QStringView mask);
    static bool isYoutubeCodeSymbolAcceptable(const QString &text, qsizetype position);
};
