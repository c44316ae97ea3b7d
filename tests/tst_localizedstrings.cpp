#include "LocalizedStrings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestLocalizedStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every number the program looks up has its own German text, with the same
    // placeholders as the English one.
    void germanIsComplete()
    {
        QList<int> numbers{1, 5, 6, 12, 14, 16, 34, 37, 39, 41, 44, 46, 52, 54, 55, 56, 62, 64, 65, 69, 70,
                           75, 77, 82, 84, 85, 87, 88, 120, 188, 204, 206, 207};
        for (const auto &[first, last] : {std::pair{22, 32}, {47, 50}, {99, 112}, {211, 229}, {300, 304}, {350, 351}}) {
            for (int n = first; n <= last; ++n)
                numbers.append(n);
        }
        const LocalizedStrings english(QLocale(QLocale::English), u":/strings"_s);
        const LocalizedStrings german(QLocale(QLocale::German), u":/strings"_s);
        static const QRegularExpression placeholder(u"%[0-9d@]"_s);
        const auto placeholders = [](const QString &text) {
            QStringList found;
            for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
                found.append(match.captured());
            found.sort();
            return found;
        };
        for (int number : numbers) {
            const QString text = german.text(number);
            QVERIFY2(!text.trimmed().isEmpty() && text != QString::number(number), qPrintable(QString::number(number)));
            if (text.size() > 12 && !text.startsWith(u"http"))
                QVERIFY2(text != english.text(number), qPrintable(text));
            QCOMPARE(placeholders(text), placeholders(english.text(number)));
        }
        QCOMPARE(english.text(49), u"Finished %d of %d"_s);
    }


    void lookupFallsBack()
    {
        QTemporaryDir dir;
        for (const auto &[name, table] : {std::pair{u"en.json"_s, QJsonObject{{u"1"_s, u"one"_s}, {u"2"_s, u"two"_s}}},
                                          std::pair{u"de.json"_s, QJsonObject{{u"1"_s, u"eins"_s}}}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(table).toJson());
        }
        const LocalizedStrings austrian(QLocale(QLocale::German, QLocale::Austria), dir.path());
        QCOMPARE(austrian.text(1), u"eins"_s);
        QCOMPARE(austrian.text(2), u"two"_s); // English where the language lacks it
        QCOMPARE(austrian.text(3), u"3"_s);   // the number where both do
        QCOMPARE(LocalizedStrings(QLocale(QLocale::French), dir.path()).text(1), u"one"_s);
        QCOMPARE(LocalizedStrings(QLocale::c(), dir.path()).text(1), u"one"_s);
    }
};

QTEST_GUILESS_MAIN(TestLocalizedStrings)
#include "tst_localizedstrings.moc"
