#pragma once

#include "PreferenceStore.h"
#include "SampleSite.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The sample site on 127.0.0.1 as every client's proxy, preferences in a
// temporary store, and an output folder that is removed afterwards. Stream
// clips are kept in the build tree between runs, since ffmpeg takes a moment
// to make them.
class SiteFixture
{
public:
    SiteFixture()
        : site({.mediaDirectory = QStringLiteral(VANTREL_SAMPLE_MEDIA_DIR), .pagesDirectory = {}}),
          store(settingsDir.filePath(QStringLiteral("Vantrel.conf"))),
          preferences(store)
    {
        // Nothing may leave this machine: every request goes to the site.
        qunsetenv("no_proxy");
        qunsetenv("NO_PROXY");
        if (site.start())
            qputenv("http_proxy", site.proxyUrl().toUtf8());
        preferences.setSavedFolderPath(outputDir.path());
    }

    bool isReady() const { return site.port() != 0 && outputDir.isValid(); }

    QString outputPath(const QString &name) const { return QDir(outputDir.path()).filePath(name); }

    static QString watchLink(const QString &code)
    {
        return QStringLiteral("http://www.youtube.com/watch?v=") + code;
    }

    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray streamBytes(int itag) { return fileBytes(site.media().streamFile(itag)); }

    QTemporaryDir settingsDir;
    QTemporaryDir outputDir;
    SampleSite site;
    PreferenceStore store;
    YoutubeProgramPreferences preferences;
};
