#include "OutputNames.h"

#include "OutputFileName.h"
#include "SourceLinks.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Beyond this many the name is given anyway: a rename that refuses to
// replace still keeps every file safe.
constexpr int MaxNumber = 10'000;

bool standsOnDisk(const QString &folder, const QString &baseName)
{
    const QStringList extensions = SourceLinks::fileExtensions();
    return std::any_of(extensions.cbegin(), extensions.cend(), [&](const QString &extension) {
        // A link to nowhere still takes the name.
        const QFileInfo file(folder + u'/' + baseName + extension);
        return file.exists() || file.isSymLink();
    });
}

} // namespace

// The disk is looked at without the lock: a slow disk must not hold up the
// other threads, nor the list's thread letting a name go.
QString OutputNames::claim(const void *owner, const QString &folder, const QString &title)
{
    const FileSystemType fileSystem = FileSystemType::ofFolder(folder);
    QString name;
    for (int number = 1; number <= MaxNumber; ++number) {
        name = OutputFileName::baseName(title, number, fileSystem);
        const QString wanted = key(folder, name);
        {
            std::lock_guard lock(m_mutex);
            if (isHeldByAnother(owner, wanted))
                continue;
        }
        if (standsOnDisk(folder, name))
            continue;
        std::lock_guard lock(m_mutex);
        // Taken by another while we looked at the disk.
        if (isHeldByAnother(owner, wanted))
            continue;
        hold(owner, wanted);
        return name;
    }
    return name;
}

bool OutputNames::isHeldByAnother(const void *owner, const QString &key) const
{
    const auto holder = m_owners.constFind(key);
    return holder != m_owners.cend() && *holder != owner;
}

void OutputNames::claimAgain(const void *owner, const QString &folder, const QString &baseName)
{
    std::lock_guard lock(m_mutex);
    hold(owner, key(folder, baseName));
}

void OutputNames::release(const void *owner)
{
    std::lock_guard lock(m_mutex);
    if (const auto held = m_names.constFind(owner); held != m_names.cend()) {
        if (m_owners.value(*held) == owner)
            m_owners.remove(*held);
        m_names.erase(held);
    }
}

QString OutputNames::firstFreeOnDisk(const QString &folder, const QString &title)
{
    const FileSystemType fileSystem = FileSystemType::ofFolder(folder);
    QString name;
    for (int number = 1; number <= MaxNumber; ++number) {
        name = OutputFileName::baseName(title, number, fileSystem);
        if (!standsOnDisk(folder, name))
            break;
    }
    return name;
}

QString OutputNames::key(const QString &folder, const QString &baseName)
{
    return QDir::cleanPath(folder) + u'/' + baseName;
}

void OutputNames::hold(const void *owner, const QString &key)
{
    if (const auto held = m_names.constFind(owner); held != m_names.cend() && m_owners.value(*held) == owner)
        m_owners.remove(*held);
    m_owners.insert(key, owner);
    m_names.insert(owner, key);
}
