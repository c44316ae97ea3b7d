#include "PathController.h"

#include "NotificationCenter.h"
#include "StringUtils.h"
#include "YoutubeConstants.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QFileDialog>

PathController::PathController(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    NotificationCenter::defaultCenter().addObserver(
        this, PATH_WAS_CHANGED_NOTIFICATION_NAME.toString(), nullptr, [this](const Notification &posted) {
            const QVariant path = posted.userInfo.value(PATH_WAS_CHANGED_NEW_PATH_KEY.toString());
            if (path.isValid())
                setFolderPath(path.toString());
        });
}

PathController::~PathController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void PathController::setFolderPath(const QString &path)
{
    QString expanded = path;
    if (expanded == u'~' || expanded.startsWith(u"~/"))
        expanded.replace(0, 1, QDir::homePath());
    setText(QDir::cleanPath(expanded));
}

void PathController::selectOutputFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(window(), StringUtils::langStr(351), folderPath());
    if (!folder.isEmpty())
        chooseFolder(folder);
}

void PathController::chooseFolder(const QString &folder)
{
    setFolderPath(folder);
    if (m_preferences) {
        m_preferences->setSavedFolderPath(folderPath());
        m_preferences->saveValues();
    }
    NotificationCenter::defaultCenter().post(PATH_WAS_CHANGED_NOTIFICATION_NAME.toString(), this,
                                             {{PATH_WAS_CHANGED_NEW_PATH_KEY.toString(), folderPath()}});
}

void PathController::mouseDoubleClickEvent(QMouseEvent *)
{
    selectOutputFolder();
}
