#include "Workspace.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace {

bool hasDesktop()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

bool Workspace::openFile(const QString &path)
{
    return hasDesktop() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
