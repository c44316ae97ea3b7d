#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

// Numbered interface texts. Each language has a table in the compiled-in
// resources (":/strings/<language>.json", an object of decimal keys to texts).
// A key is looked up in the user's language, then in English; a key missing
// from both yields its own decimal text. Immutable after construction, so one
// instance may be read from every thread.
class LocalizedStrings final
{
public:
    // The tables of the system locale, loaded on first use.
    static const LocalizedStrings &shared();

    explicit LocalizedStrings(const QLocale &locale, const QString &directory = defaultDirectory());

    QString text(int number) const;

    static QString defaultDirectory();

private:
    static QHash<QString, QString> loadTable(const QString &path);

    QHash<QString, QString> m_language;
    QHash<QString, QString> m_english;
};
