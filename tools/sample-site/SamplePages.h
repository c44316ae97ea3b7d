#pragma once

#include <QByteArray>
#include <QString>

// Watch pages in the site's 2012 format, generated for any video code:
// title, play time, description and stream list all follow from the code,
// so every link leads somewhere.
class SamplePages final
{
public:
    SamplePages() = delete;

    static QByteArray watchPage(const QString &code);

    // The plain title and play time a generated page carries.
    static QString title(const QString &code);
    static int lengthSeconds(const QString &code);

    // The stream address the page lists for a format.
    static QString streamUrl(const QString &code, int itag);
};
