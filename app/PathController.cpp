#include "PathController.h"

#include "NotificationCenter.h"
#include "StringUtils.h"
#include "YoutubeConstants.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryFile>

using namespace Qt::Literals::StringLiterals;

namespace {

QString expanded(const QString &path)
{
    QString folder = path;
    if (folder == u'~' || folder.startsWith(u"~/"))
        folder.replace(0, 1, QDir::homePath());
    return QDir::cleanPath(folder);
}

} // namespace

PathController::PathController(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::editingFinished, this, &PathController::takeTypedPath);
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
    m_folder = expanded(path);
    setText(m_folder);
}

// A path that will not do leaves the folder as it was, and says why.
void PathController::takeTypedPath()
{
    const QString typed = text().trimmed();
    const QString folder = expanded(typed);
    if (typed.isEmpty() || folder == m_folder) {
        setText(m_folder);
        return;
    }
    const QString reason = refusal(folder);
    if (reason.isEmpty()) {
        chooseFolder(folder);
        return;
    }
    setText(m_folder);
    Q_EMIT refused(reason);
}

QString PathController::refusal(const QString &folder)
{
    // Relative to what the program was started in, which means nothing to
    // the user.
    if (!QDir::isAbsolutePath(folder))
        return StringUtils::langStr(444);
    if (!QDir().mkpath(folder))
        return StringUtils::langStr(442).arg(folder);
    // Permission bits say nothing of read-only mounts or of root: only a
    // file made there does.
    QTemporaryFile probe(folder + u"/.vantrel-XXXXXX"_s);
    return probe.open() ? QString() : StringUtils::langStr(443).arg(folder);
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
    Q_EMIT refused(QString());
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
