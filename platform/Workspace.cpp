#include "Workspace.h"

#include "DesktopBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace {

using namespace Qt::Literals::StringLiterals;

bool hasDesktop()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

bool Workspace::openFile(const QString &path)
{
    return hasDesktop() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool Workspace::openURL(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http"_s && scheme != u"https"_s)
        return false;
    return hasDesktop() && QDesktopServices::openUrl(url);
}

void Workspace::showInFileManager(const QString &path)
{
    if (!hasDesktop())
        return;
    const QFileInfo file(path);
    const auto openFolder = [folder = file.absolutePath()] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!file.exists() || !bus.isConnected()) {
        openFolder();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << QStringList{QUrl::fromLocalFile(file.absoluteFilePath()).toString()} << QString();
    DesktopBus::send(bus, call, [openFolder](const QDBusMessage &answer) {
        if (answer.type() == QDBusMessage::ErrorMessage)
            openFolder();
    });
}
