#include "OutputNames.h"

#include "OutputFileName.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Beyond this many the name is given anyway: a rename that refuses to
// replace still keeps every file safe.
constexpr int MaxNumber = 10'000;

bool standsOnDisk(const QString &folder, const QString &baseName)
{
    static const std::array<QString, 4> Extensions{u".mp4"_s, u".flv"_s, u".mp3"_s, u".wav"_s};
    return std::any_of(Extensions.cbegin(), Extensions.cend(), [&](const QString &extension) {
        // A link to nowhere still takes the name.
        const QFileInfo file(folder + u'/' + baseName + extension);
        return file.exists() || file.isSymLink();
    });
}

QString firstFree(const QString &folder, const QString &title, const std::function<bool(const QString &)> &taken)
{
    QString name;
    for (int number = 1; number <= MaxNumber; ++number) {
        name = OutputFileName::baseName(title, number);
        if (!taken(name) && !standsOnDisk(folder, name))
            break;
    }
    return name;
}

} // namespace

QString OutputNames::claim(const void *owner, const QString &folder, const QString &title)
{
    std::lock_guard lock(m_mutex);
    const QString name = firstFree(folder, title, [&](const QString &candidate) {
        const auto holder = m_owners.constFind(key(folder, candidate));
        return holder != m_owners.cend() && *holder != owner;
    });
    hold(owner, key(folder, name));
    return name;
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
    return firstFree(folder, title, [](const QString &) { return false; });
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
