#include "LocalizedStrings.h"
#include "StringUtils.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every number the interface looks up.
QList<int> interfaceNumbers()
{
    QList<int> numbers{1, 5, 6, 12, 14, 16, 34, 37, 39, 41, 44, 46, 52, 54, 55, 56, 62, 64, 65, 69, 70,
                       75, 77, 82, 84, 85, 87, 88, 120, 188, 204, 206, 207};
    for (int n = 22; n <= 32; ++n)
        numbers.append(n);
    for (int n = 47; n <= 50; ++n)
        numbers.append(n);
    for (int n = 99; n <= 112; ++n)
        numbers.append(n);
    for (int n = 211; n <= 229; ++n)
        numbers.append(n);
    return numbers;
}

void writeTable(const QString &path, const QJsonObject &table)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(table).toJson());
}

} // namespace

class TestLocalizedStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNumberHasText_data();
    void everyNumberHasText();
    void formatsKeepTheirPlaceholders_data();
    void formatsKeepTheirPlaceholders();
    void lookupFallsBack_data();
    void lookupFallsBack();
    void langStrOfMissingKeyIsTheNumber();
};

void TestLocalizedStrings::everyNumberHasText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("English") << QLocale(QLocale::English);
    QTest::newRow("German") << QLocale(QLocale::German);
}

void TestLocalizedStrings::everyNumberHasText()
{
    QFETCH(QLocale, locale);
    const LocalizedStrings table(locale, u":/strings"_s);
    const LocalizedStrings english(QLocale(QLocale::English), u":/strings"_s);
    for (int number : interfaceNumbers()) {
        const QString text = table.text(number);
        QVERIFY2(!text.trimmed().isEmpty() && text != QString::number(number), qPrintable(QString::number(number)));
        // A complete translation never falls back to English for long texts.
        if (locale.language() != QLocale::English && text.size() > 12 && !text.startsWith(u"http"))
            QVERIFY2(text != english.text(number), qPrintable(text));
    }
}

void TestLocalizedStrings::formatsKeepTheirPlaceholders_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("English") << QLocale(QLocale::English);
    QTest::newRow("German") << QLocale(QLocale::German);
}

void TestLocalizedStrings::formatsKeepTheirPlaceholders()
{
    QFETCH(QLocale, locale);
    const LocalizedStrings table(locale, u":/strings"_s);
    QCOMPARE(table.text(49).count(u"%d"_s), 2);
    QCOMPARE(table.text(49).count(u'%'), 2);
    QCOMPARE(table.text(225).count(u"%@"_s), 1);
    QCOMPARE(table.text(225).count(u'%'), 1);
}

void TestLocalizedStrings::lookupFallsBack_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");

    const QLocale german(QLocale::German, QLocale::Austria);
    QTest::newRow("user's language") << german << 1 << u"eins"_s;
    QTest::newRow("English when the language lacks it") << german << 2 << u"two"_s;
    QTest::newRow("number when both lack it") << german << 3 << u"3"_s;
    QTest::newRow("language without a table") << QLocale(QLocale::French) << 1 << u"one"_s;
    QTest::newRow("C locale") << QLocale::c() << 1 << u"one"_s;
}

void TestLocalizedStrings::lookupFallsBack()
{
    QFETCH(QLocale, locale);
    QFETCH(int, number);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    writeTable(dir.filePath(u"en.json"_s), {{u"1"_s, u"one"_s}, {u"2"_s, u"two"_s}});
    writeTable(dir.filePath(u"de.json"_s), {{u"1"_s, u"eins"_s}});

    QCOMPARE(LocalizedStrings(locale, dir.path()).text(number), expected);
}

void TestLocalizedStrings::langStrOfMissingKeyIsTheNumber()
{
    QCOMPARE(StringUtils::langStr(9999), u"9999"_s);
    QCOMPARE(StringUtils::langStr(-4), u"-4"_s);
    QCOMPARE(StringUtils::langStr(206), LocalizedStrings::shared().text(206));
    QVERIFY(StringUtils::langStr(206) != u"206"_s);
}

QTEST_GUILESS_MAIN(TestLocalizedStrings)
#include "tst_localizedstrings.moc"
