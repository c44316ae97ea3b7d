#include "CellHome.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

CellHome::CellHome()
{
    for (const QString &folder : {u"config"_s, u"state"_s, u"data"_s, u"cache"_s, u"runtime"_s, u"music"_s, u"older"_s})
        QDir().mkpath(path(folder));
    QFile(path(u"runtime"_s)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!writePreferences())
        m_home.remove();
}

QString CellHome::path(const QString &relative) const
{
    return m_home.filePath(relative);
}

QString CellHome::outputFolder() const
{
    return path(u"music"_s);
}

QString CellHome::stateFolder() const
{
    return path(u"state/vantrel"_s);
}

QString CellHome::listPath() const
{
    return stateFolder() + u"/list.json"_s;
}

QString CellHome::logPath(const QString &run) const
{
    return path(run + u".log"_s);
}

QStringList CellHome::outputEntries() const
{
    return QDir(outputFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The keys as the program stores them (QSettings, INI, under "Vantrel/").
bool CellHome::writePreferences() const
{
    QDir().mkpath(path(u"config/Vantrel"_s));
    QFile file(path(u"config/Vantrel/Vantrel.conf"_s));
    const QByteArray text = "[General]\n"
                            "values.IsFirstLaunch=false\n"
                            "values.OutputFormatItemIndex=1\n"
                            "values.PreferedQuality=1\n"
                            "values.DeleteInputFileAfterConvert=false\n"
                            "values.SaveID3Tags=true\n"
                            "values.AutoAddingURLFromPasteboard=false\n"
                            "values.RestoreListAtStart=true\n"
                            "values.LastSavedFolderPath="
        + outputFolder().toUtf8() + '\n';
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QProcessEnvironment CellHome::environment(const QString &display, const QString &proxyUrl) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name.endsWith(u"_proxy"_s, Qt::CaseInsensitive) || name.startsWith(u"XDG_"_s) || name.startsWith(u"QT_"_s))
            environment.remove(name);
    }
    environment.insert(u"HOME"_s, m_home.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, path(u"config"_s));
    environment.insert(u"XDG_STATE_HOME"_s, path(u"state"_s));
    environment.insert(u"XDG_DATA_HOME"_s, path(u"data"_s));
    environment.insert(u"XDG_CACHE_HOME"_s, path(u"cache"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"_s));
    environment.insert(u"http_proxy"_s, proxyUrl);
    environment.insert(u"DISPLAY"_s, display);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    // Sleep blocks and notifications stay in the cell: nothing answers here.
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + path(u"runtime/no-bus"_s));
    return environment;
}

bool CellHome::seedList(int count) const
{
    QDir().mkpath(stateFolder());
    QFile file(listPath());
    if (!file.open(QIODevice::WriteOnly) || file.write("{\"version\":1}\n") < 0)
        return false;
    for (int i = 0; i < count; ++i) {
        const QString code = u"older%1"_s.arg(i, 6, 10, QChar(u'0'));
        const QString title = u"Older Song %1"_s.arg(i);
        const QJsonObject item{
            {u"link"_s, u"http://www.youtube.com/watch?v="_s + code},
            {u"code"_s, code},
            {u"title"_s, title},
            {u"description"_s, u"Downloaded long ago, kept in the list."_s},
            {u"status"_s, u"finished"_s},
            {u"folder"_s, path(u"older"_s)},
            {u"file"_s, path(u"older/"_s) + title + u".mp3"_s},
        };
        if (file.write(QJsonDocument(item).toJson(QJsonDocument::Compact) + '\n') < 0)
            return false;
    }
    return file.flush();
}
