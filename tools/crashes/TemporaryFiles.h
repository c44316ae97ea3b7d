#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program writes every file under a temporary name beside it, the
// target's name and six letters or digits ("list.json.x7Ab2Q"), and renames
// it when done; these are such files, as found.
namespace TemporaryFiles {

// Names, in `folder`, of temporary files for `targetName`.
QStringList of(const QString &folder, const QString &targetName);
// The size of the first of them; none without one.
std::optional<qint64> sizeOf(const QString &folder, const QString &targetName);

} // namespace TemporaryFiles
