#pragma once

#include "PreferenceStore.h"
#include "SampleSite.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QTemporaryDir>

// A window benchmark's world: settings and an output folder of its own, and
// the sample site on 127.0.0.1 as every client's proxy, so that covers and
// streams never come from elsewhere.
struct BenchHome
{
    explicit BenchHome(const QString &mediaFolder)
        : site({.mediaDirectory = mediaFolder, .pagesDirectory = {}}),
          store(QDir(settings.path()).filePath(QStringLiteral("Vantrel.conf"))),
          preferences(store)
    {
        started = site.start();
        qunsetenv("no_proxy");
        qputenv("http_proxy", site.proxyUrl().toUtf8());
        preferences.setSavedFolderPath(music.path());
    }

    QTemporaryDir settings;
    QTemporaryDir music;
    SampleSite site;
    bool started = false;
    PreferenceStore store;
    YoutubeProgramPreferences preferences;
};
