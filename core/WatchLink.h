#pragma once

#include <QString>
#include <QStringView>

// Links to the video site's watch pages of the old form, and the video's
// code in them.
class WatchLink final
{
public:
    WatchLink() = delete;

    static bool isYoutubeURLValid(const QString &text);
    static QString parseYoutubeCodeFromURL(const QString &url);
    static QString parseYoutubeCodeFromURLByMask(const QString &url, QStringView mask);
    static bool isYoutubeCodeSymbolAcceptable(const QString &text, qsizetype position);
};
