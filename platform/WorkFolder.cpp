#include "WorkFolder.h"

#include "AtomicFile.h"
#include "LocalizedStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links are removed as links: nothing outside the folder is touched.
bool removeWithFiles(const QString &path)
{
    const QDir folder(path);
    for (const QString &name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden))
        QFile::remove(folder.filePath(name));
    return QDir().rmdir(path);
}

} // namespace

WorkFolder::~WorkFolder()
{
    if (isOpen())
        remove();
}

bool WorkFolder::create()
{
    const QString parent = QFileInfo(m_targetPath).absolutePath();
    if (!QDir().mkpath(parent)) {
        m_error = LocalizedStrings::shared().text(320).arg(parent);
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = AtomicFile::temporaryPathOf(m_targetPath);
        if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) {
            if (lock(path))
                return true;
            QDir().rmdir(path);
            return false;
        }
        if (errno != EEXIST)
            break;
    }
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool WorkFolder::adopt(const QString &path)
{
    return AtomicFile::isTemporaryOf(m_targetPath, path) && lock(path);
}

bool WorkFolder::lock(const QString &path)
{
    // Never a link: what is removed with the folder must be in it.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0 || ::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        if (handle >= 0)
            ::close(handle);
        return false;
    }
    m_lock = handle;
    m_path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return true;
}

QString WorkFolder::filePath() const
{
    return m_path + u'/' + QFileInfo(m_targetPath).fileName();
}

void WorkFolder::keep()
{
    if (isOpen())
        ::close(std::exchange(m_lock, -1));
}

void WorkFolder::remove()
{
    if (!isOpen())
        return;
    removeWithFiles(m_path);
    ::close(std::exchange(m_lock, -1));
}

bool WorkFolder::removeLeftover(const QString &path)
{
    const QFileInfo folder(path);
    return folder.isDir() && !folder.isSymLink() && !AtomicFile::isInUse(path) && removeWithFiles(path);
}
