#include "AppController.h"
#include "MainWindow.h"
#include "RecordingOwner.h"
#include "SamplePages.h"
#include "SiteFixture.h"
#include "ui_MainWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

using Item = std::shared_ptr<YoutubeDownloader>;

namespace {

// The view's accessibility events, as (type, child), besides the bus's.
QList<std::pair<QAccessible::Event, int>> viewEvents;
QObject *watchedView = nullptr;
QAccessible::UpdateHandler busHandler = nullptr;

void recordEvent(QAccessibleEvent *event)
{
    if (event->object() == watchedView)
        viewEvents.append({event->type(), event->child()});
    if (busHandler)
        busHandler(event);
}

} // namespace

// The real window on an X display, read over a private accessibility bus by
// the desktop's own Python reader, in the language the suite starts in.
class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The toolkit joins the accessibility bus only when it is there
        // before the window.
        const auto address = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s, u"GetAddress"_s));
        QVERIFY2(address.type() == QDBusMessage::ReplyMessage, "run under dbus-run-session with at-spi2-core");
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        m_fixture->preferences.setOutputFormat(OutputFormat::Video);
        m_window = std::make_unique<MainWindow>(m_fixture->preferences);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(QAccessible::isActive());
        m_german = QLocale().language() == QLocale::German;
        // Rows: finished, ready, paused part way, a page that cannot be read.
        const Item finished = added(u"a11yFinishd"_s);
        QVERIFY(waitForStatus(finished, StatusReady));
        finished->downloadButtonSelector();
        QVERIFY(waitForStatus(finished, StatusFinished));
        QVERIFY(waitForStatus(added(u"a11yReadyyy"_s), StatusReady));
        m_fixture->site.addFault(SiteFault::parse(u"path=/videoplayback,throttle=20000"_s).value());
        const Item paused = added(u"a11yPausedd"_s);
        QVERIFY(waitForStatus(paused, StatusReady));
        paused->downloadButtonSelector();
        QTRY_VERIFY_WITH_TIMEOUT(percent(2) >= 5, 20'000);
        paused->pause();
        m_fixture->site.setPage(u"a11yBrokenn"_s, "no page");
        QVERIFY(waitForStatus(added(u"a11yBrokenn"_s), StatusInfoFailed));
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_fixture.reset();
    }

    // Each row offers the controls it shows, named as their tooltips, and the
    // window has no button a screen reader could not name.
    void rowsAsAScreenReaderReadsThem()
    {
        const QJsonObject tree = atspi({u"dump"_s});
        QCOMPARE(tree.value(u"unnamed"_s).toArray(), QJsonArray());
        const QJsonArray rows = tree.value(u"rows"_s).toArray();
        QCOMPARE(rows.size(), 4);
        const QString more = text(u"More actions"_s, u"Weitere Aktionen"_s);
        const QString remove = text(u"Remove from the list"_s, u"Aus der Liste entfernen"_s);
        const QList<QStringList> operations{{text(u"Play"_s, u"Abspielen"_s), remove},
                                            {text(u"Download"_s, u"Herunterladen"_s), remove},
                                            {text(u"Resume"_s, u"Fortsetzen"_s), remove, QString()},
                                            {text(u"Try again"_s, u"Erneut versuchen"_s), remove}};
        const QStringList codes{u"a11yFinishd"_s, u"a11yReadyyy"_s, u"a11yPausedd"_s, u"a11yBrokenn"_s};
        for (int row = 0; row < 4; ++row) {
            const QJsonArray cells = rows.at(row).toArray();
            const QString title = row == 3 ? SiteFixture::watchLink(codes.at(row)) : SamplePages::title(codes.at(row));
            QCOMPARE(cells.at(0).toArray().at(0).toString(), text(u"Cover of "_s, u"Cover von "_s) + title);
            QCOMPARE(controls(cells.at(1)), QStringList{more});
            QCOMPARE(controls(cells.at(3)), operations.at(row));
        }
        const QJsonArray bar = rows.at(2).toArray().at(3).toArray().at(1).toArray().at(2).toArray();
        QCOMPARE(bar.at(1).toString(), u"progress bar"_s);
        QVERIFY2(std::abs(bar.at(3).toDouble() - percent(2)) <= 1, qPrintable(QString::number(bar.at(3).toDouble())));
        const QJsonArray play = rows.at(0).toArray().at(3).toArray().at(1).toArray().at(0).toArray();
        QCOMPARE(play.at(1).toString(), u"push button"_s);
        QCOMPARE(play.at(2).toArray(), QJsonArray{u"Press"_s});
    }

    // A press over the bus is a click: Download starts the row, and only the
    // row the user is on is told of its new status; Remove takes a row out.
    void pressesOverTheBus()
    {
        QAbstractItemView *view = m_window->ui().tableView;
        watchedView = view;
        busHandler = QAccessible::installUpdateHandler(recordEvent);
        view->setCurrentIndex(model().index(1, RowModel::CoverColumn));
        const Item ready = list().at(1);
        const Item paused = list().at(2);
        QSignalSpy changes(&model(), &QAbstractItemModel::dataChanged);
        paused->resume();
        QTRY_VERIFY(std::any_of(changes.cbegin(), changes.cend(), [](const QList<QVariant> &change) {
            return change.at(0).toModelIndex().row() <= 2 && change.at(1).toModelIndex().row() >= 2;
        }));
        // The status cells of rows 2 and 1, counted with the header row and
        // column.
        QVERIFY(!viewEvents.contains(std::pair{QAccessible::NameChanged, 18}));
        atspi({u"press"_s, u"1"_s, u"3"_s, text(u"Download"_s, u"Herunterladen"_s)});
        QTRY_COMPARE_WITH_TIMEOUT(ready->youtubeStatus(), StatusDownloading, 20'000);
        QTRY_VERIFY(viewEvents.contains(std::pair{QAccessible::NameChanged, 13}));
        // Not with every step of the download.
        QTRY_VERIFY_WITH_TIMEOUT(percent(1) >= 1, 20'000);
        const auto told = viewEvents.count(std::pair{QAccessible::NameChanged, 13});
        QTRY_VERIFY_WITH_TIMEOUT(percent(1) >= 2, 20'000);
        QCOMPARE(viewEvents.count(std::pair{QAccessible::NameChanged, 13}), told);
        QAccessible::installUpdateHandler(busHandler);
        // The rows below a removed one move up, for the screen reader too.
        const Item finished = list().at(0);
        atspi({u"press"_s, u"0"_s, u"3"_s, text(u"Remove from the list"_s, u"Aus der Liste entfernen"_s)});
        QTRY_VERIFY(!list().contains(finished));
        const QJsonArray rows = atspi({u"dump"_s}).value(u"rows"_s).toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).toArray().at(0).toArray().at(0).toString(),
                 text(u"Cover of "_s, u"Cover von "_s) + SamplePages::title(u"a11yReadyyy"_s));
    }

private:
    QString text(const QString &english, const QString &german) const { return m_german ? german : english; }
    DownloadListModel &model() { return m_window->controller().model(); }
    const DownloadList::Items &list() { return m_window->controller().youtubeList(); }

    Item added(const QString &code)
    {
        m_window->controller().addYoutubesURL({SiteFixture::watchLink(code)});
        return list().constLast();
    }

    // Of the row's run so far, from the model's byte counts.
    double percent(int row)
    {
        const QModelIndex cell = model().index(row, RowModel::OperationsColumn);
        const double maximum = cell.data(RowModel::ProgressMaximumRole).toDouble();
        return maximum > 0 ? std::floor(100 * cell.data(RowModel::ProgressRole).toDouble() / maximum) : 0;
    }

    // The names of a cell's controls; the progress bar's is empty.
    static QStringList controls(const QJsonValue &cell)
    {
        QStringList names;
        for (const QJsonValue &control : cell.toArray().at(1).toArray())
            names.append(control.toArray().at(0).toString());
        return names;
    }

    // The reader runs while this thread answers its questions.
    QJsonObject atspi(const QStringList &arguments)
    {
        QProcess reader;
        reader.start(u"/usr/bin/python3"_s, QStringList{QStringLiteral(VANTREL_SUPPORT_DIR "/atspi-rows.py"),
                                                       QString::number(QCoreApplication::applicationPid())}
                                                 + arguments);
        QSignalSpy finished(&reader, &QProcess::finished);
        if (!finished.wait(20'000) || reader.exitCode() != 0)
            qWarning() << "reader:" << reader.readAllStandardError();
        return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    }

    std::unique_ptr<SiteFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
    bool m_german = false;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
