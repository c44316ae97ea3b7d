#include "LocalizedStrings.h"
#include "MainWindow.h"
#include "RecordingOwner.h"
#include "SiteFixture.h"
#include "StandInProgram.h"
#include "YoutubeOperationsView.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// A table as written, one number and its text a line, in the file's order
// (a parsed object would hide a number written twice).
QList<std::pair<int, QString>> table(const QString &language)
{
    QFile file(u":/strings/%1.json"_s.arg(language));
    QList<std::pair<int, QString>> texts;
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    for (const QByteArray &line : file.readAll().split('\n')) {
        QByteArray entry = line.trimmed();
        if (entry.endsWith(','))
            entry.chop(1);
        const QJsonObject object = QJsonDocument::fromJson('{' + entry + '}').object();
        if (!object.isEmpty())
            texts.append({object.begin().key().toInt(), object.begin().value().toString()});
    }
    return texts;
}

} // namespace

class TestLocalizedStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program's window, as the user starts it: it brings Qt's own
    // texts in the user's language, which the notes below quote too.
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        m_window = std::make_unique<MainWindow>(m_fixture->preferences);
    }

    // Key names as a German keyboard has them, desktop words in the menus,
    // and the Resume button named as the notes name it.
    void germanWindow()
    {
        const Ui::MainWindow &ui = m_window->ui();
        QCOMPARE(ui.miAddYoutubesURL->shortcut().toString(QKeySequence::NativeText), u"Strg+N"_s);
        QCOMPARE(ui.miRemoveSelectedURL->shortcut().toString(QKeySequence::NativeText), u"Entf"_s);
        QCOMPARE(ui.mnuFile->title(), u"Datei"_s);
        QCOMPARE(ui.miZoom->text(), u"Maximieren"_s);
        QCOMPARE(YoutubeOperationsView::toolTip(YoutubeOperationsView::ResumeButton), u"Fortsetzen"_s);
    }

    // Both tables hold the same numbers, each once and in order, and load
    // whole; every German text is its own, with the same placeholders as
    // the English one.
    void tablesMatch()
    {
        const QList<std::pair<int, QString>> english = table(u"en"_s);
        const QList<std::pair<int, QString>> german = table(u"de"_s);
        QVERIFY(english.size() > 100);
        const auto numbers = [](const QList<std::pair<int, QString>> &texts) {
            QList<int> found;
            for (const auto &entry : texts)
                found.append(entry.first);
            return found;
        };
        const QList<int> order = numbers(english);
        QCOMPARE(numbers(german), order);
        QVERIFY(std::ranges::adjacent_find(order, std::greater_equal<>()) == order.end());
        static const QRegularExpression placeholder(u"%[0-9d@]"_s);
        const auto placeholders = [](const QString &text) {
            QStringList found;
            for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
                found.append(match.captured());
            found.sort();
            return found;
        };
        const LocalizedStrings englishStrings(QLocale(QLocale::English));
        const LocalizedStrings germanStrings(QLocale(QLocale::German));
        for (qsizetype i = 0; i < english.size(); ++i) {
            const auto &[number, text] = german.at(i);
            QVERIFY2(!text.trimmed().isEmpty(), qPrintable(text));
            if (text.size() > 12 && !text.startsWith(u"http"))
                QVERIFY2(text != english.at(i).second, qPrintable(text));
            QCOMPARE(placeholders(text), placeholders(english.at(i).second));
            QCOMPARE(germanStrings.text(number), text);
            QCOMPARE(englishStrings.text(number), english.at(i).second);
        }
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

    void germanRowNotes_data()
    {
        QTest::addColumn<QString>("fault");      // of the site, once the page is in
        QTest::addColumn<QByteArray>("stream");  // served in place of the clip
        QTest::addColumn<QByteArray>("encoder"); // a stand-in for lame
        QTest::addColumn<int>("pausedAs");
        QTest::addColumn<QString>("note");

        const int download = StatusDownloadPaused;
        const int conversion = StatusConvertPaused;
        QTest::newRow("connection closed")
            << u"path=/videoplayback,reset-after=0"_s << QByteArray() << QByteArray() << download
            << u"Download angehalten: Verbindung beendet. Mit „Fortsetzen“ erneut versuchen."_s;
        QTest::newRow("connection ended early")
            << u"path=/videoplayback,no-length,reset-after=0"_s << QByteArray() << QByteArray() << download
            << u"Download angehalten: die Verbindung endete vorzeitig. Mit „Fortsetzen“ erneut versuchen."_s;
        // FFmpeg's own words stay as they are.
        QTest::newRow("not a video")
            << QString() << QByteArray(5000, 'x') << QByteArray() << conversion
            << u"Umwandlung fehlgeschlagen: die Datei lässt sich nicht öffnen (Invalid data found when processing input). "
               "Mit „Fortsetzen“ erneut versuchen."_s;
        QTest::newRow("encoder fails")
            << QString() << QByteArray() << QByteArray("cat >/dev/null; echo the reason >&2; exit 3") << conversion
            << u"Umwandlung fehlgeschlagen: der Encoder meldete einen Fehler (Exit-Code 3): the reason. "
               "Mit „Fortsetzen“ erneut versuchen."_s;
    }

    // The reasons a note gives, the program's own and the network layer's,
    // are in the user's language; this suite runs in German (see main()).
    void germanRowNotes()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, encoder);
        QFETCH(int, pausedAs);
        QFETCH(QString, note);
        SiteFixture &fixture = *m_fixture;
        if (!stream.isEmpty()) {
            const QString file = fixture.outputPath(u"stream.mp4"_s);
            QVERIFY(SiteFixture::writeFile(file, stream));
            fixture.site.media().setStreamFile(18, file);
        }
        fixture.preferences.setPreferedQuality(Quality360p);
        fixture.preferences.setOutputFormat(OutputFormat::Mp3);
        auto item = YoutubeDownloader::create(SiteFixture::watchLink(u"german"_s), {}, fixture.preferences);
        const auto remove = qScopeGuard([item] { item->removeObject(); });
        item->setDownloadPolicy({.attempts = 1, .firstDelay = 10ms, .transferTimeout = 1s});
        item->loadYoutubeContent();
        QVERIFY(waitForStatus(item, StatusReady));
        if (!fault.isEmpty())
            fixture.site.addFault(SiteFault::parse(fault).value());
        const StandInProgram lame(u"lame"_s, encoder);
        const QByteArray path = qgetenv("PATH");
        if (!encoder.isEmpty())
            qputenv("PATH", lame.searchPath());
        item->downloadButtonSelector();
        const bool paused = waitForStatus(item, YoutubeStatus(pausedAs));
        qputenv("PATH", path);
        QVERIFY(paused);
        QCOMPARE(item->statusNote(), note);
    }

    void cleanup()
    {
        m_fixture->site.clearFaults();
        m_fixture->site.media().setStreamFile(18, {});
        m_fixture->clearOutput();
    }

private:
    std::unique_ptr<SiteFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
};

// The program takes its language from the locale it starts in, once: this
// suite starts in German, whatever the caller's own locale.
int main(int argc, char *argv[])
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    QApplication application(argc, argv);
    TestLocalizedStrings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_localizedstrings.moc"
