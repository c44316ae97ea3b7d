#include "AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

QString randomSuffix()
{
    static const QString Letters = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"_s;
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix.append(Letters.at(QRandomGenerator::global()->bounded(int(Letters.size()))));
    return suffix;
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
        m_error = u"cannot create the folder %1"_s.arg(target.absolutePath());
        return false;
    }
    // NewOnly creates the file with the usual permissions (0666 less the
    // umask), as the file would have if written directly.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_file.setFileName(target.absolutePath() + u'/' + target.fileName() + u'.' + randomSuffix());
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_pending = true;
            return true;
        }
        if (m_file.error() != QFileDevice::OpenError || !QFileInfo::exists(m_file.fileName()))
            break;
    }
    m_error = m_file.errorString();
    return false;
}

bool AtomicFile::commit(Replace replace)
{
    if (!m_pending)
        return false;
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        m_error = m_file.errorString();
        discard();
        return false;
    }
    if (replace == Replace::OnlyIfAbsent && QFileInfo::exists(m_targetPath)) {
        discard();
        return true;
    }
    // rename(2) replaces the target in one step, which QFile::rename won't.
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_targetPath).constData()) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        discard();
        return false;
    }
    m_pending = false;
    return true;
}

void AtomicFile::discard()
{
    if (!m_pending)
        return;
    m_file.close();
    QFile::remove(m_file.fileName());
    m_pending = false;
}
