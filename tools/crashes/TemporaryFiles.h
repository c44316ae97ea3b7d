#pragma once

#include <QString>
#include <QStringList>

// The program writes every file under a temporary name beside it, the
// target's name and six letters or digits ("list.json.x7Ab2Q"), and renames
// it when done; these are such files, as found.
namespace TemporaryFiles {

// Names, in `folder`, of temporary files for `targetName`.
QStringList of(const QString &folder, const QString &targetName);
// Every name in `folder` that is one of the program's temporary files.
QStringList all(const QString &folder);

} // namespace TemporaryFiles
