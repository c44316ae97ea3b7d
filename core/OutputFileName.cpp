#include "OutputFileName.h"

#include "StringUtils.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString OutputFileName::expandedFolder(const QString &folder)
{
    QString path = folder.isEmpty() ? u"~/Movies/"_s : folder;
    if (path == u"~" || path.startsWith(u"~/"))
        path = QDir::homePath() + path.mid(1);
    return StringUtils::correctDir(path);
}

namespace {

// Embeddings, overrides and isolates reorder what follows them: "Song\u202Egpj.exe"
// would show as a file ending in ".jpg" until the extension.
bool reordersText(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// "_" rather than a look-alike such as "：": the players and car radios
// that read USB sticks often lack the fonts for those.
bool isReplaced(QChar c, bool reservedRefused)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F || u == u'/')
        return true;
    return reservedRefused && QStringView(u"\"*:<>?\\|").contains(c);
}

} // namespace

QString OutputFileName::baseName(const QString &title, int number, FileSystemType fileSystem)
{
    const QString numbered = number > 1 ? u" (%1)"_s.arg(number) : QString();
    const bool reservedRefused = fileSystem.refusesReservedCharacters();
    QString name;
    name.reserve(title.size());
    for (QChar c : title) {
        if (!reordersText(c))
            name.append(isReplaced(c, reservedRefused) ? QChar(u'_') : c);
    }

    const qsizetype budget = MaxNameBytes - TemporarySuffixBytes - ExtensionBytes - numbered.size();
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < name.size()) {
        const bool pair = name.at(end).isHighSurrogate() && end + 1 < name.size() && name.at(end + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const qsizetype size = QStringView(name).mid(end, units).toUtf8().size();
        if (bytes + size > budget)
            break;
        bytes += size;
        end += units;
    }
    return name.left(end) + numbered;
}

QString OutputFileName::replaceExtension(const QString &path, const QString &extension)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash + 1 ? path.left(dot) : path) + extension;
}
