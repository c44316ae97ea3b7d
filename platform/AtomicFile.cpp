#include "AtomicFile.h"

#include "LocalizedStrings.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 ChunkBytes = 4 * 1024 * 1024;

QString randomSuffix()
{
    constexpr QStringView Letters = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < AtomicFile::RandomSuffixLength; ++i)
        suffix.append(Letters.at(QRandomGenerator::global()->bounded(int(Letters.size()))));
    return suffix;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A file's or a folder's content on disk, not only in the page cache.
bool syncToDisk(const QString &path)
{
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return false;
    const bool synced = ::fsync(handle) == 0;
    const int error = errno;
    ::close(handle);
    errno = error;
    return synced;
}

// rename(2) replaces a target in one step, which QFile::rename won't;
// renameat2 refuses to. Where the file system cannot refuse, a hard link
// does the same, since link(2) never replaces either.
bool moveIntoPlace(const QString &from, const QString &to, AtomicFile::Replace replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace == AtomicFile::Replace::Always)
        return std::rename(source.constData(), target.constData()) == 0;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    // Some file systems (user-space mounts of network shares or phones) can
    // do neither: a look first, then a plain rename, leaves only a moment in
    // which a file appearing under the name would be replaced.
    if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    struct stat existing;
    if (::lstat(target.constData(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source.constData(), target.constData()) == 0;
}

} // namespace

AtomicFile::AtomicFile(QString targetPath)
    : m_targetPath(std::move(targetPath))
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::open()
{
    const QFileInfo target(m_targetPath);
    if (!QDir().mkpath(target.absolutePath())) {
        m_error = LocalizedStrings::shared().text(320).arg(target.absolutePath());
        return false;
    }
    // NewOnly creates the file with the usual permissions (0666 less the
    // umask), as the file would have if written directly.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_file.setFileName(temporaryPathOf(m_targetPath));
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            ::flock(m_file.handle(), LOCK_EX | LOCK_NB);
            m_pending = true;
            return true;
        }
        if (m_file.error() != QFileDevice::OpenError || !QFileInfo::exists(m_file.fileName()))
            break;
    }
    m_error = m_file.errorString();
    return false;
}

bool AtomicFile::adopt(const QString &temporaryPath)
{
    if (!isTemporaryOf(m_targetPath, temporaryPath))
        return false;
    m_file.setFileName(temporaryPath);
    if (!QFileInfo(temporaryPath).isFile() || QFileInfo(temporaryPath).isSymLink()
        || !m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)
        || ::flock(m_file.handle(), LOCK_EX | LOCK_NB) != 0 || !m_file.seek(m_file.size())) {
        m_file.close();
        return false;
    }
    m_pending = true;
    return true;
}

bool AtomicFile::adoptFinished(const QString &path)
{
    const QFileInfo finished(path);
    if (finished.fileName() != QFileInfo(m_targetPath).fileName() || !isTemporaryOf(m_targetPath, finished.absolutePath())
        || !finished.isFile() || finished.isSymLink())
        return false;
    m_file.setFileName(path);
    m_pending = true;
    m_synced = false;
    return true;
}

QString AtomicFile::temporaryPathOf(const QString &targetPath)
{
    const QFileInfo target(targetPath);
    return target.absolutePath() + u'/' + target.fileName() + TemporaryMark.toString() + randomSuffix();
}

bool AtomicFile::isTemporaryOf(const QString &targetPath, const QString &path)
{
    const QFileInfo target(targetPath);
    const QFileInfo candidate(path);
    return QDir::cleanPath(candidate.absolutePath()) == QDir::cleanPath(target.absolutePath())
        && targetNameOf(candidate.fileName()) == target.fileName();
}

QStringView AtomicFile::targetNameOf(QStringView temporaryName)
{
    const qsizetype mark = temporaryName.size() - RandomSuffixLength - TemporaryMark.size();
    if (mark < 1 || temporaryName.sliced(mark, TemporaryMark.size()) != TemporaryMark)
        return {};
    const QStringView suffix = temporaryName.sliced(mark + TemporaryMark.size());
    const bool random = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
    });
    return random ? temporaryName.first(mark) : QStringView();
}

bool AtomicFile::isInUse(const QString &temporaryPath)
{
    const int handle = ::open(QFile::encodeName(temporaryPath).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (handle < 0)
        return false;
    const bool locked = ::flock(handle, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(handle);
    return locked;
}

bool AtomicFile::appendCopyOf(const QString &path)
{
    m_synced = false;
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly) || !m_file.flush()) {
        m_error = source.errorString();
        return false;
    }
    const int from = source.handle();
    const int to = m_file.handle();
    qint64 left = source.size();
    while (left > 0) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, size_t(std::min<qint64>(left, 1 << 30)), 0);
        if (copied <= 0)
            break;
        left -= copied;
    }
    if (left > 0) {
        // Across file systems, or where the kernel cannot: copy ourselves.
        ::lseek(to, 0, SEEK_END);
        source.seek(source.size() - left);
        while (left > 0) {
            const QByteArray chunk = source.read(ChunkBytes);
            if (chunk.isEmpty() || ::write(to, chunk.constData(), size_t(chunk.size())) != chunk.size())
                break;
            left -= chunk.size();
        }
    }
    // QFile's idea of its position must follow what was written beneath it.
    m_file.seek(m_file.size());
    if (left > 0)
        m_error = LocalizedStrings::shared().text(321).arg(path);
    return left == 0;
}

bool AtomicFile::write(QByteArrayView data)
{
    m_synced = false;
    // A disk filling up shows first as a short count with no error; the
    // next write tells why.
    while (!data.isEmpty()) {
        const qint64 written = m_file.write(data.data(), data.size());
        if (written <= 0)
            return false;
        data = data.sliced(written);
    }
    return true;
}

bool AtomicFile::truncate(qint64 size)
{
    if (!m_pending)
        return false;
    m_synced = false;
    // Opening again clears the error a failed write left on the file.
    m_file.close();
    if (m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && m_file.resize(size) && m_file.seek(size))
        return true;
    m_error = m_file.errorString();
    return false;
}

bool AtomicFile::commit(Replace replace)
{
    if (!m_pending)
        return false;
    m_targetTaken = false;
    if (!sync()) {
        discard();
        return false;
    }
    if (!moveIntoPlace(m_file.fileName(), m_targetPath, replace)) {
        m_targetTaken = errno == EEXIST;
        m_error = systemError();
        if (!m_targetTaken)
            discard();
        return false;
    }
    m_pending = false;
    // The rename itself is on disk only once the folder is.
    syncToDisk(QFileInfo(m_targetPath).absolutePath());
    return true;
}

bool AtomicFile::sync()
{
    if (!m_pending)
        return false;
    if (m_synced)
        return true;
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        m_error = m_file.errorString();
        return false;
    }
    if (!syncToDisk(m_file.fileName())) {
        m_error = systemError();
        return false;
    }
    m_synced = true;
    return true;
}

void AtomicFile::setTargetName(const QString &fileName)
{
    m_targetPath = QFileInfo(m_targetPath).absolutePath() + u'/' + fileName;
}

void AtomicFile::keep()
{
    m_file.close();
    m_pending = false;
}

void AtomicFile::discard()
{
    if (!m_pending)
        return;
    m_file.close();
    QFile::remove(m_file.fileName());
    m_pending = false;
}
