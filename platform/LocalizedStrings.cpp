#include "LocalizedStrings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

const LocalizedStrings &LocalizedStrings::shared()
{
    // Never destroyed: workers ask for strings until they are joined, which
    // the order of destruction at exit would not wait for.
    static const auto *strings = new LocalizedStrings(QLocale::system());
    return *strings;
}

QString LocalizedStrings::defaultDirectory()
{
    return u":/strings"_s;
}

LocalizedStrings::LocalizedStrings(const QLocale &locale, const QString &directory)
    : m_english(loadTable(directory + u"/en.json"_s))
{
    const QString language = QLocale::languageToCode(locale.language());
    if (language != u"en")
        m_language = loadTable(directory + u'/' + language + u".json"_s);
}

QHash<QString, QString> LocalizedStrings::loadTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    QHash<QString, QString> table;
    for (auto it = object.begin(); it != object.end(); ++it)
        table.insert(it.key(), it.value().toString());
    return table;
}

QString LocalizedStrings::text(int number) const
{
    const QString key = QString::number(number);
    if (auto it = m_language.constFind(key); it != m_language.constEnd())
        return *it;
    if (auto it = m_english.constFind(key); it != m_english.constEnd())
        return *it;
    return key;
}
