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

    bool isReady() { return site.port() != 0 && outputDir.isValid() && site.media().prepare(); }

    QString outputPath(const QString &name) const { return QDir(outputDir.path()).filePath(name); }
    // Everything in the output folder, hidden files included.
    QStringList outputEntries() const { return entries(outputDir.path()); }
    void clearOutput() const
    {
        QDir(outputDir.path()).removeRecursively();
        QDir().mkpath(outputDir.path());
    }

    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    static QString watchLink(const QString &code) { return QStringLiteral("http://www.youtube.com/watch?v=") + code; }

    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QByteArray streamBytes(int itag) { return fileBytes(site.media().streamFile(itag)); }

    QTemporaryDir settingsDir;
    QTemporaryDir outputDir;
    SampleSite site;
    PreferenceStore store;
    YoutubeProgramPreferences preferences;
};
