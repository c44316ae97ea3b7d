#include "TemporaryFiles.h"

#include <QDir>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace TemporaryFiles {

namespace {

QStringList matching(const QString &folder, const QString &pattern)
{
    const QRegularExpression name(u"^%1\\.[A-Za-z0-9]{6}$"_s.arg(pattern));
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(name);
}

} // namespace

QStringList of(const QString &folder, const QString &targetName)
{
    return matching(folder, QRegularExpression::escape(targetName));
}

QStringList all(const QString &folder)
{
    return matching(folder, u".+\\.(mp4|mp3|wav|json)"_s);
}

} // namespace TemporaryFiles
