#include "TemporaryFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace TemporaryFiles {

QStringList of(const QString &folder, const QString &targetName)
{
    const QRegularExpression name(u"^%1\\.vantrel-[A-Za-z0-9]{6}$"_s.arg(QRegularExpression::escape(targetName)));
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(name);
}

std::optional<qint64> sizeOf(const QString &folder, const QString &targetName)
{
    const QStringList names = of(folder, targetName);
    if (names.isEmpty())
        return std::nullopt;
    return QFileInfo(folder + u'/' + names.constFirst()).size();
}

} // namespace TemporaryFiles
