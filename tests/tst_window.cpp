#include "AddLinksSheet.h"
#include "AnimatedHelpView.h"
#include "AppController.h"
#include "FakeDesktop.h"
#include "ImageView.h"
#include "LocalizedStrings.h"
#include "MainWindow.h"
#include "PathController.h"
#include "PreferenceStore.h"
#include "PreferencesWindow.h"
#include "RecordingOwner.h"
#include "RowDelegate.h"
#include "SamplePages.h"
#include "SelectionHighlight.h"
#include "SiteFixture.h"
#include "StandInProgram.h"
#include "StateFolder.h"
#include "StyledTextPainter.h"
#include "TestMedia.h"
#include "YoutubeMenuView.h"
#include "YoutubeOperationsView.h"
#include "ui_MainWindow.h"
#include "ui_Preferences.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QScopeGuard>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <optional>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

using Item = std::shared_ptr<YoutubeDownloader>;

namespace {

// The timer events the GUI thread delivers while it lives, by receiver.
class TimerEvents final : public QObject
{
public:
    TimerEvents() { qApp->installEventFilter(this); }

    QStringList receivers;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            receivers.append(QString::fromLatin1(watched->metaObject()->className()) + u' ' + watched->objectName());
        return false;
    }
};

} // namespace

// The main window on the offscreen platform, its controller driving real
// items against the sample site.
class TestWindow : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // Stands in for the desktop's browser and file manager.
    void openUrl(const QUrl &url) { m_opened.append(url); }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *scheme : {"http", "https", "smb", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
        m_path = qgetenv("PATH");
        // The desktop's buses are a bus of the test's own, where a test can
        // play the desktop's services.
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(!m_bus->address().isEmpty());
        for (const char *bus : {"DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS"})
            qputenv(bus, m_bus->address().toUtf8());
    }

    void cleanupTestCase()
    {
        for (const char *scheme : {"http", "https", "smb", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void init()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        m_fixture->preferences.setOutputFormat(OutputFormat::Video);
        m_window = std::make_unique<MainWindow>(m_fixture->preferences);
        m_window->show();
        m_opened.clear();
    }

    void cleanup()
    {
        m_window.reset();
        // Row views go on the GUI thread, by deferred deletion.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_fixture.reset();
        qputenv("PATH", m_path);
    }

    void operationsLayout_data()
    {
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("barPrepared");
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QList<QRect>>("frames");
        QTest::addColumn<QRect>("bar"); // null: no bar

        using V = YoutubeOperationsView;
        QTest::newRow("downloading") << QSize(120, 60) << 6 << true << QList<int>{V::PauseButton, V::RemoveButton}
                                     << QList<QRect>{{36, 18, 24, 24}, {60, 18, 24, 24}} << QRect(10, 47, 100, 10);
        QTest::newRow("one button alone") << QSize(100, 60) << 1 << true << QList<int>{V::RemoveButton}
                                          << QList<QRect>{{38, 18, 24, 24}} << QRect();
        QTest::newRow("odd width truncates") << QSize(121, 60) << 2 << false
                                             << QList<int>{V::DownloadButton, V::RemoveButton}
                                             << QList<QRect>{{36, 18, 24, 24}, {60, 18, 24, 24}} << QRect();
        QTest::newRow("odd height keeps the lower gap") << QSize(120, 61) << 11 << true
                                                        << QList<int>{V::PlayButton, V::RemoveButton}
                                                        << QList<QRect>{{36, 19, 24, 24}, {60, 19, 24, 24}} << QRect();
        QTest::newRow("paused download") << QSize(120, 64) << 7 << true << QList<int>{V::ResumeButton, V::RemoveButton}
                                         << QList<QRect>{{36, 20, 24, 24}, {60, 20, 24, 24}} << QRect(10, 49, 100, 10);
        QTest::newRow("paused conversion") << QSize(120, 64) << 9 << true
                                           << QList<int>{V::ResumeButton, V::RemoveButton}
                                           << QList<QRect>{{36, 20, 24, 24}, {60, 20, 24, 24}} << QRect(10, 49, 100, 10);
        QTest::newRow("downloaded") << QSize(120, 64) << 10 << true << QList<int>{V::PlayButton, V::RemoveButton}
                                    << QList<QRect>{{36, 20, 24, 24}, {60, 20, 24, 24}} << QRect();
        QTest::newRow("no bar before the first run") << QSize(120, 60) << 6 << false
                                                     << QList<int>{V::PauseButton, V::RemoveButton}
                                                     << QList<QRect>{{36, 18, 24, 24}, {60, 18, 24, 24}} << QRect();
        QTest::newRow("removed") << QSize(120, 60) << 12 << true << QList<int>{V::RemoveButton}
                                 << QList<QRect>{{48, 18, 24, 24}} << QRect();
    }

    void operationsLayout()
    {
        QFETCH(QSize, cell);
        QFETCH(int, status);
        QFETCH(bool, barPrepared);
        QFETCH(QList<int>, buttons);
        QFETCH(QList<QRect>, frames);
        QFETCH(QRect, bar);
        const auto layout = YoutubeOperationsView::calculateButtonsPositions(cell, status, barPrepared);
        QList<int> shownButtons;
        QList<QRect> shownFrames;
        for (const auto &[button, frame] : layout.buttons) {
            shownButtons.append(button);
            shownFrames.append(frame);
        }
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(shownFrames, frames);
        QCOMPARE(layout.progress.value_or(QRect()), bar);
    }

    void menuButtonAndCover_data()
    {
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<int>("status");
        QTest::addColumn<QRectF>("button");
        QTest::addColumn<bool>("visible");

        QTest::newRow("title cell") << QSize(300, 40) << 2 << QRectF(274, 8, 24, 24) << true;
        QTest::newRow("odd height") << QSize(300, 41) << 5 << QRectF(274, 8.5, 24, 24) << true;
        QTest::newRow("new") << QSize(300, 40) << 0 << QRectF(274, 8, 24, 24) << false;
        QTest::newRow("loading") << QSize(300, 40) << 1 << QRectF(274, 8, 24, 24) << false;
        QTest::newRow("removed") << QSize(300, 40) << 12 << QRectF(274, 8, 24, 24) << true;
    }

    void menuButtonAndCover()
    {
        QFETCH(QSize, cell);
        QFETCH(int, status);
        QTEST(YoutubeMenuView::getMenuButtonFrame(cell), "button");
        QTEST(YoutubeMenuView::isMenuButtonVisible(status), "visible");
        QCOMPARE(ImageView::pictureRect(QRect(QPoint(10, 20), cell)), QRect(12, 22, cell.width() - 4, cell.height() - 4));
    }

    void colourReadableOnDarkThemes()
    {
        const QColor blue(0x1a, 0x5f, 0xb4);
        QCOMPARE(StyledTextPainter::readableOn(blue, Qt::white), blue);
        const QColor onDark = StyledTextPainter::readableOn(blue, QColor(0x2d, 0x2d, 0x2d));
        QVERIFY(onDark.lightnessF() >= 0.7);
        QCOMPARE(onDark.hslHue(), blue.hslHue());

        // The selection is light on every theme: its text is dark.
        QStyleOptionViewItem cell;
        cell.palette.setColor(QPalette::Text, Qt::white);
        cell.palette.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
        QCOMPARE(SelectionHighlight::text(cell), QColor(Qt::white));
        cell.state = QStyle::State_Selected;
        QCOMPARE(SelectionHighlight::text(cell), QColor(Qt::black));
        QVERIFY(SelectionHighlight::background(cell).lightnessF() >= 0.5);
    }

    void progressBeyondTheIntRange()
    {
        QCOMPARE(YoutubeOperationsView::scaledProgress({2560LL * 1024 * 1024, 5 * 1024LL * 1024 * 1024}), 5000);
    }

    void interfaceStrings()
    {
        Ui::MainWindow &ui = m_window->ui();
        QCOMPARE(m_window->windowTitle(), u"Vantrel"_s);
        QCOMPARE(m_window->controller().model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Cover"_s);
        QCOMPARE(ui.miAbout->text(), u"About Vantrel"_s);
        QCOMPARE(ui.miAddYoutubesURL->text(), u"Add Links..."_s);
        QCOMPARE(ui.toolDownloadAll->toolTip(), u"Download every ready link, and read again the pages that could not be read"_s);
        QCOMPARE(ui.tabQuickOptions->tabText(0), u"Quick Options"_s);
        QCOMPARE(controller().addLinksSheet().windowTitle(), u"Add Links"_s);
        QCOMPARE(m_window->findChild<QMenu *>(u"miDownloadQuality"_s)->title(), u"Download Quality"_s);
    }

    void tabReachesTheQuickOptions()
    {
        // With rows, Tab still leaves the list rather than stepping its cells.
        QVERIFY(waitForStatus(added(u"tabAaaaaaaa"_s), StatusReady));
        QVERIFY(activated());
        m_window->ui().tableView->setFocus();
        QStringList order;
        for (int i = 0; i < 8 && order.count(u"tableView"_s) < 2; ++i) {
            order.append(QApplication::focusWidget()->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{u"tableView"_s, u"comboVideoQuality"_s, u"comboOutputFormat"_s, u"pathFolderPath"_s,
                                     u"btnChooseFolder"_s, u"btnCloseQuickOptions"_s, u"tableView"_s}));
    }

    void quickOptionsSwitch()
    {
        Ui::MainWindow &ui = m_window->ui();
        QVERIFY(!ui.tabQuickOptions->isHidden());
        ui.miShowQuickOptions->trigger();
        QVERIFY(ui.tabQuickOptions->isHidden());
        QCOMPARE(stored(u"values.IsShowQuickOptions"_s), false);
        ui.miShowQuickOptions->trigger();
        QVERIFY(!ui.tabQuickOptions->isHidden());
        QCOMPARE(stored(u"values.IsShowQuickOptions"_s), true);
        QVERIFY(ui.miShowQuickOptions->isChecked());
    }

    void pasteAddsEachLinkOnce()
    {
        const QString a = SiteFixture::watchLink(u"pasteAaaaaa"_s);
        const QString b = SiteFixture::watchLink(u"pasteBbbbbb"_s);
        const QString prose = u"have a look: "_s + SiteFixture::watchLink(u"pasteCcccc"_s) + u" it's good"_s;
        controller().addYoutubesURL({b});
        QGuiApplication::clipboard()->setText(u"\n  "_s + a + u"  \n\nno link here\n"_s + b + u"\n"_s + a
                                              + u"\n"_s + prose + u"\n"_s + a.toUpper() + u"\n"_s);
        m_window->ui().miPaste->trigger();
        QCOMPARE(links(), (QStringList{b, a, prose, a.toUpper()}));
        const QString leftOut = u"1 line was left out: only web addresses (http:// or https://) and files are taken. "_s;
        QCOMPARE(m_window->ui().messageText->text(), leftOut + u"2 links are already in the list."_s);
        controller().list().remove({list().at(1)});
        m_window->ui().miPaste->trigger();
        QCOMPARE(links(), (QStringList{b, prose, a.toUpper(), a}));
        QCOMPARE(m_window->ui().messageText->text(), leftOut + u"4 links are already in the list."_s);
    }

    void clickingRowButtons()
    {
        const Item item = added(u"clickAaaaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        const QRegularExpression title(u"^"_s + QRegularExpression::escape(SamplePages::title(u"clickAaaaaa"_s))
                                       + uR"(\nDuration: \d\d:\d\d\nQuality: MP4 \(\d+p\); \d+ Mb$)"_s);
        QVERIFY2(title.match(text(0, RowModel::TitleColumn)).hasMatch(), qPrintable(text(0, RowModel::TitleColumn)));
        QCOMPARE(text(0, RowModel::StatusColumn), u"Ready to download"_s);
        click(0, YoutubeOperationsView::DownloadButton);
        QVERIFY(waitForStatus(item, StatusFinished));
        QVERIFY(QFile::exists(item->filePathForDownloading()));
        // A double click as the window system delivers it: a click, then a
        // double-click press and its release. The second removes nothing.
        const Item next = added(u"clickBbbbbb"_s);
        QWidget *viewport = m_window->ui().tableView->viewport();
        const QPoint remove = buttonRect(0, YoutubeOperationsView::RemoveButton).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, remove);
        for (const QEvent::Type type : {QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, remove, viewport->mapToGlobal(remove), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
            QCoreApplication::sendEvent(viewport, &event);
        }
        QCOMPARE(item->youtubeStatus(), StatusRemoved);
        QCOMPARE(list(), QList<Item>{next});
    }

    // The title's share counts the conversion as half of an item's work: a
    // download done and its conversion not begun is half way.
    void titleCountsConversions()
    {
        const StandInProgram lame(u"lame"_s, "sleep 60");
        qputenv("PATH", lame.searchPath());
        m_fixture->preferences.setOutputFormat(OutputFormat::Mp3);
        const Item item = added(u"titleConvert"_s);
        QVERIFY(startWhenReady(item));
        QVERIFY(waitForStatus(item, StatusConverting));
        QTRY_COMPARE(m_window->windowTitle(), u"0 of 1 · 50 % — Vantrel"_s);
    }

    // A page that could not be read shows its link and why, and is read
    // again by every way in.
    void failedPageTriedAgain_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("row button") << u"retryButton"_s;
        QTest::newRow("space") << u"retrySpace0"_s;
        QTest::newRow("download all") << u"retryAll000"_s;
    }

    void failedPageTriedAgain()
    {
        QFETCH(QString, code);
        m_fixture->site.addFault(SiteFault::parse(u"path=/watch,status=500"_s).value());
        const Item item = added(code);
        QVERIFY(waitForStatus(item, StatusInfoFailed));
        QCOMPARE(text(0, RowModel::TitleColumn), SiteFixture::watchLink(code));
        QCOMPARE(text(0, RowModel::StatusColumn), u"Could not read the video page\nThe page could not be fetched: HTTP 500"_s);
        m_fixture->site.clearFaults();
        TableViewDragged *table = m_window->ui().tableView;
        if (code == u"retryButton"_s) {
            click(0, YoutubeOperationsView::RetryButton);
        } else if (code == u"retrySpace0"_s) {
            QVERIFY(activated());
            table->setFocus();
            table->selectRow(0);
            QTest::keyClick(table, Qt::Key_Space);
        } else {
            QCOMPARE(m_window->ui().toolDownloadAll->text(), u"Download All"_s);
            m_window->ui().toolDownloadAll->trigger();
        }
        QVERIFY(waitForStatus(item, StatusReady));
        QCOMPARE(text(0, RowModel::TitleColumn).section(u'\n', 0, 0), SamplePages::title(code).replace(u'/', u'-'));
        QCOMPARE(text(0, RowModel::StatusColumn), u"Ready to download"_s);
    }

    // Of three rows, the one whose views or cover changed is the one drawn
    // anew, and the only one.
    void rowFollowsItsViewsFromAnyThread()
    {
        QSignalSpy changes(&model(), &QAbstractItemModel::dataChanged);
        const Item first = added(u"coverBbbbbb"_s);
        const Item item = added(u"coverAaaaaa"_s);
        const Item last = added(u"coverCccccc"_s);
        QVERIFY(waitForStatus(first, StatusReady) && waitForStatus(item, StatusReady) && waitForStatus(last, StatusReady));
        const QImage placeholder(u":/images/nocovermusic.gif"_s);
        for (const int row : {0, 1, 2}) {
            const QModelIndex cover = model().index(row, RowModel::CoverColumn);
            QTRY_VERIFY(cover.data(RowModel::CoverRole).value<QImage>() != placeholder);
            QCOMPARE(cover.data(RowModel::CoverRole).value<QImage>().size(), QSize(120, 90));
        }
        QSet<int> coverRows;
        for (const QList<QVariant> &change : std::as_const(changes)) {
            const QModelIndex from = change.at(0).toModelIndex();
            if (change.at(1).toModelIndex() == from.siblingAtColumn(RowModel::CoverColumn))
                coverRows.insert(from.row());
        }
        QCOMPARE(coverRows, (QSet<int>{0, 1, 2}));
        const QModelIndex cell = model().index(1, RowModel::OperationsColumn);
        changes.clear();
        std::thread([views = item->rowViews()] {
            views->setProgressValue(999);
            views->initProgressIndicator(1000);
        }).join();
        QTRY_COMPARE(cell.data(RowModel::ProgressMaximumRole).toLongLong(), 1000);
        QCOMPARE(cell.data(RowModel::ProgressRole).toLongLong(), 0);
        std::thread([views = item->rowViews()] { views->setProgressValue(250); }).join();
        QTRY_COMPARE(cell.data(RowModel::ProgressRole).toLongLong(), 250);
        QTRY_VERIFY(!changes.isEmpty());
        for (const QList<QVariant> &change : std::as_const(changes)) {
            QCOMPARE(change.at(0).toModelIndex(), model().index(1, 0));
            QCOMPARE(change.at(1).toModelIndex(), model().index(1, RowModel::ColumnCount - 1));
        }
    }

    void downloadAllButtonFollowsWorkerThreads()
    {
        throttleStreams();
        const Item first = added(u"cycleAaaaaa"_s);
        const Item second = added(u"cycleBbbbbb"_s);
        QVERIFY(waitForStatus(first, StatusReady) && waitForStatus(second, StatusReady));
        QAction *button = m_window->ui().toolDownloadAll;
        QCOMPARE(button->text(), u"Download All"_s);
        QVERIFY(m_window->ui().totalProgress->isHidden());
        const int listHeight = m_window->ui().tableView->height();
        button->trigger();
        // The downloads move to Downloading on their own threads.
        QTRY_COMPARE(button->text(), u"Pause All"_s);
        QVERIFY(waitForStatus(first, StatusDownloading) && waitForStatus(second, StatusDownloading));
        const QRegularExpression title(uR"(^0 of 2 · \d+ % — Vantrel$)"_s);
        QTRY_VERIFY2(title.match(m_window->windowTitle()).hasMatch(), qPrintable(m_window->windowTitle()));
        const QRegularExpression running(uR"(^Downloading\nSpeed: +\d+\.\d\d MB/s\nTime left: \d\d:\d\d)"_s);
        QTRY_VERIFY2(running.match(text(0, RowModel::StatusColumn)).hasMatch(), qPrintable(text(0, RowModel::StatusColumn)));
        // The totals' bar shows without pushing the list.
        QTRY_VERIFY(!m_window->ui().totalProgress->isHidden());
        QCOMPARE(m_window->ui().tableView->height(), listHeight);
        second->pause();
        button->trigger();
        QCOMPARE(first->youtubeStatus(), StatusDownloadPaused);
        QCOMPARE(second->youtubeStatus(), StatusDownloadPaused);
        QTRY_COMPARE(button->text(), u"Resume All"_s);
        QCOMPARE(m_window->ui().miDownloadAllURL->text(), u"Resume All"_s);
        QTRY_COMPARE(m_window->windowTitle(), u"Vantrel"_s);
        // A paused row tells how far it got, not a speed of the past.
        QVERIFY2(QRegularExpression(uR"(^Paused\n\d+\.\d of \d+\.\d MB$)"_s).match(text(0, RowModel::StatusColumn)).hasMatch(),
                 qPrintable(text(0, RowModel::StatusColumn)));
        QCOMPARE(m_window->ui().totalProgressLabel->text(), u"Finished 0 of 2"_s);
        button->trigger();
        QCOMPARE(first->youtubeStatus(), StatusDownloading);
        QCOMPARE(second->youtubeStatus(), StatusDownloading);
        QTRY_COMPARE(button->text(), u"Pause All"_s);
        // Removed, the last downloads leave nothing running behind them.
        controller().list().remove(list());
        QTRY_COMPARE(button->text(), u"Download All"_s);
    }

    void qualitySubmenuOnlyBeforeTheDownload()
    {
        throttleStreams();
        const Item item = added(u"qualityAaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        const YoutubeQualityList streams = item->qualityList();
        QVERIFY(streams.size() >= 2);
        QList<QAction *> entries = openQualityMenu(item);
        QCOMPARE(entries.size(), streams.size());
        const qsizetype other = streams.indexOf(item->currentQuality()) == 0 ? 1 : 0;
        QVERIFY(entries.at(other)->isEnabled() && !entries.at(other)->isChecked());
        entries.at(other)->trigger();
        QCOMPARE(item->currentQuality(), streams.at(other));

        item->downloadButtonSelector();
        QVERIFY(waitForStatus(item, StatusDownloading));
        entries = openQualityMenu(item);
        QVERIFY(entries.at(other)->isChecked());
        QVERIFY(std::none_of(entries.cbegin(), entries.cend(), [](QAction *entry) { return entry->isEnabled(); }));
        entries.at(1 - other)->trigger();
        QCOMPARE(item->currentQuality(), streams.at(other));
    }

    void rowMenuActsOnItsRow_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("row");
        QTest::newRow("right click on another row") << int(QContextMenuEvent::Mouse) << 1;
        QTest::newRow("menu key on the highlighted row, not the framed one") << int(QContextMenuEvent::Keyboard) << 0;
    }

    void rowMenuActsOnItsRow()
    {
        QFETCH(int, reason);
        QFETCH(int, row);
        const Item first = added(u"rightAaaaaa"_s);
        const Item second = added(u"rightBbbbbb"_s);
        QVERIFY(waitForStatus(first, StatusReady) && waitForStatus(second, StatusReady));
        TableViewDragged *table = m_window->ui().tableView;
        table->selectRow(0);
        QPoint point = table->visualRect(model().index(1, RowModel::StatusColumn)).center();
        if (reason == QContextMenuEvent::Keyboard) {
            table->selectionModel()->setCurrentIndex(model().index(1, 0), QItemSelectionModel::NoUpdate);
            point = table->viewport()->rect().topLeft();
        }
        QContextMenuEvent event(QContextMenuEvent::Reason(reason), point, table->viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(table->viewport(), &event);
        QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(table->selectionModel()->selectedRows().constFirst().row(), row);
        QTRY_VERIFY(controller().popupMenu().isVisible());
        controller().popupMenu().findChild<QAction *>(u"miRemoveClip"_s)->trigger();
        controller().popupMenu().close();
        QCOMPARE(list(), QList<Item>{row == 1 ? first : second});
    }

    void removingSeveralRowsOneMidDownload()
    {
        throttleStreams();
        const Item first = added(u"removeAaaaa"_s);
        const Item kept = added(u"removeBbbbb"_s);
        const Item third = added(u"removeCcccc"_s);
        QVERIFY(waitForStatus(third, StatusReady));
        third->downloadButtonSelector();
        QVERIFY(waitForStatus(third, StatusDownloading));
        QTRY_VERIFY(third->downloadedBytes() > 0);
        QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);
        QSignalSpy removals(&model(), &QAbstractItemModel::rowsRemoved);
        TableViewDragged *table = m_window->ui().tableView;
        table->selectionModel()->select(model().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->selectionModel()->select(model().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_window->ui().miRemoveSelectedURL->trigger();
        QCOMPARE(list(), QList<Item>{kept});
        QCOMPARE(removals.size(), 2);
        QCOMPARE(resets.size(), 0);
        QCOMPARE(third->youtubeStatus(), StatusRemoved);
        // Its thread takes the partial file with it as it ends.
        QTRY_COMPARE(m_fixture->outputEntries(), QStringList());
    }

    void pageLoadsWaitTheirTurn()
    {
        m_fixture->site.addFault(SiteFault::parse(u"path=/watch,stall-after=0"_s).value());
        QStringList links;
        for (int i = 0; i < 8; ++i)
            links.append(SiteFixture::watchLink(u"turn%1aaaaaa"_s.arg(i)));
        controller().addYoutubesURL(links);
        QTest::qWait(500);
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), 6);
        QElapsedTimer timer;
        timer.start();
        controller().list().remove({list().constLast()}); // still in line
        QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
        controller().list().remove({list().constFirst()}); // its place goes to the next in line
        QTRY_COMPARE(m_fixture->site.requests(u"/watch"_s).size(), 7);
        QTest::qWait(300);
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), 7);
    }

    void startUpAndCopiedLinks()
    {
        m_fixture->preferences.setIsFirstLaunch(true);
        // Links already on the clipboard at start count too: none here.
        QGuiApplication::clipboard()->clear();
        controller().applicationDidFinishLaunching();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(u"http://www.vantrel.example/cgi-bin/visits.pl?prog=vantrel-inst&version="_s
                                                       + QStringLiteral(VANTREL_PROJECT_VERSION))});
        QCOMPARE(m_fixture->preferences.isFirstLaunch(), false);
        const QString a = SiteFixture::watchLink(u"copiedAaaaa"_s);
        const QString b = SiteFixture::watchLink(u"copiedBbbbb"_s);
        QGuiApplication::clipboard()->setText(a + u"\nsome words\n"_s + b);
        QTRY_COMPARE(links(), (QStringList{a, b}));

        // What the program copies itself is no news: a Cut does not bring
        // its rows back, nor does Copy Link after a removal.
        m_window->ui().tableView->selectRow(0);
        m_window->ui().miCut->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), a);
        controller().showRowMenu(list().constFirst(), QPoint(10, 10));
        controller().popupMenu().findChild<QAction *>(u"miCopyLink"_s)->trigger();
        controller().popupMenu().close();
        QCOMPARE(QGuiApplication::clipboard()->text(), b);
        controller().list().remove({list().constFirst()});
        QTest::qWait(500);
        QCOMPARE(links(), QStringList());
        QGuiApplication::clipboard()->setText(a);
        QTRY_COMPARE(links(), QStringList{a});

        // A second start opens nothing more.
        m_window = std::make_unique<MainWindow>(m_fixture->preferences);
        controller().applicationDidFinishLaunching();
        QCOMPARE(m_opened.size(), 1);
    }

    void addLinksSheet_data()
    {
        QTest::addColumn<QString>("closedBy");
        QTest::newRow("Add puts the lines into the list") << u"Add"_s;
        QTest::newRow("Cancel leaves without adding") << u"Cancel"_s;
        QTest::newRow("Esc leaves without adding") << u"Esc"_s;
    }

    void addLinksSheet()
    {
        QFETCH(QString, closedBy);
        const QString a = SiteFixture::watchLink(u"sheetAaaaaa"_s);
        const QString b = SiteFixture::watchLink(u"sheetBbbbbb"_s);
        const QString c = SiteFixture::watchLink(u"sheetCcccccc"_s);
        controller().addYoutubesURL({b});
        QGuiApplication::clipboard()->setText(a + u"\nsome words\n"_s + b);
        Ui::MainWindow &ui = m_window->ui();
        ui.miAddYoutubesURL->trigger();
        AddLinksSheet &sheet = controller().addLinksSheet();
        QTRY_VERIFY(sheet.isVisible());
        QCOMPARE(sheet.text(), a + u"\n"_s + b + u"\n"_s);
        auto *leftOut = sheet.findChild<QLabel *>(u"txtLinesLeftOut"_s);
        const QString listed = u"1 link is already in the list."_s;
        QCOMPARE(leftOut->text(), listed);
        auto *edit = sheet.findChild<QPlainTextEdit *>(u"newAddedURLS"_s);
        QCOMPARE(edit->font(), m_window->font());
        QTest::keyClicks(edit, u"no link"_s);
        QCOMPARE(leftOut->text(), u"1 line is not a web address or a file and will be left out. "_s + listed);
        edit->appendPlainText(u"ftp://www.youtube.com/watch?v=ftpAaaaaaaa\n"_s);
        QCOMPARE(leftOut->text(), u"2 lines are not web addresses or files and will be left out. "_s + listed);
        // Paste belongs to the sheet now.
        ui.miPaste->trigger();
        QCOMPARE(links(), QStringList{b});
        QGuiApplication::clipboard()->setText(c);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(sheet.text().endsWith(u"\n"_s + c));
        if (closedBy == u"Esc")
            QTest::keyClick(&sheet, Qt::Key_Escape);
        else
            QTest::mouseClick(sheet.findChild<QPushButton *>(closedBy == u"Add" ? u"btnAddURL"_s : u"btnCancelAddURL"_s),
                              Qt::LeftButton);
        QVERIFY(!sheet.isVisible());
        const bool added = closedBy == u"Add";
        QCOMPARE(links(), added ? (QStringList{b, a, c}) : QStringList{b});
        QCOMPARE(ui.messageText->text(),
                 added ? u"2 lines were left out: only web addresses (http:// or https://) and files are taken. "_s + listed
                       : QString());
        QGuiApplication::clipboard()->setText(a);
        ui.miPaste->trigger();
        QVERIFY(links().contains(a));
    }

    void drops_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("message");

        const QString link = SiteFixture::watchLink(u"droppedAaaa"_s);
        const QString leftOut = u"2 lines were left out: only web addresses (http:// or https://) and files are taken."_s;
        QTest::newRow("text with a link among words")
            << u"a song\nplay "_s + link + u" loud\n\nftp://www.youtube.com/watch?v=droppedBbbb"_s << QList<QUrl>{}
            << false << QStringList{u"play "_s + link + u" loud"_s} << leftOut;
        QTest::newRow("a link from a browser") << link << QList<QUrl>{QUrl(link)} << false << QStringList{link}
                                               << QString();
        QTest::newRow("addresses only") << QString() << QList<QUrl>{QUrl(link)} << false << QStringList{link}
                                        << QString();
        QTest::newRow("an image") << QString() << QList<QUrl>{} << true << QStringList{} << QString();
        QTest::newRow("files from a file manager")
            << QString() << QList<QUrl>{QUrl::fromLocalFile(u"/music/Zoë live.flac"_s), QUrl(u"smb://nas/a.mp3"_s)} << false
            << QStringList{u"/music/Zoë live.flac"_s}
            << u"1 line was left out: only web addresses (http:// or https://) and files are taken."_s;
        QTest::newRow("text without links") << u"just words"_s << QList<QUrl>{} << false << QStringList{}
                                            << QString();
        QTest::newRow("a link twice") << link + u"\n"_s + link << QList<QUrl>{} << false << QStringList{link}
                                      << u"1 link is already in the list."_s;
    }

    void drops()
    {
        QFETCH(QString, text);
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, image);
        QFETCH(QStringList, added);
        m_fixture->preferences.setAutoAddFromPasteboard(false);
        controller().applicationDidFinishLaunching();
        QMimeData data;
        if (!text.isNull())
            data.setText(text);
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (image)
            data.setImageData(QImage(8, 8, QImage::Format_RGB32));
        QWidget *viewport = m_window->ui().tableView->viewport();
        const QPoint point = viewport->rect().center();
        QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QCOMPARE(enter.isAccepted(), !added.isEmpty());
        QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        QTest::qWait(50);
        QCOMPARE(links(), added);
        QTEST(m_window->ui().messageText->text(), "message");
    }

    // A page of today's form, pasted and downloaded in the window, read by
    // Debian's yt-dlp: the MP3 ffprobe reads carries the page's title.
    void todaysPageInTheWindow()
    {
        m_fixture->preferences.setOutputFormat(OutputFormat::Mp3);
        QGuiApplication::clipboard()->setText(u"http://clips.sample.test/watch/windowToday"_s);
        m_window->ui().miPaste->trigger();
        QCOMPARE(links(), QStringList{u"http://clips.sample.test/watch/windowToday"_s});
        const Item item = list().constFirst();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusReady), 60'000);
        m_window->ui().miDownloadAllURL->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusFinished), 60'000);
        QCOMPARE(TestMedia::probe(item->wholeFilePath(), u"format_tags=title"_s),
                 SamplePages::title(u"windowToday"_s));
    }

    // File ▸ Add Files… (Ctrl+O) lists the files chosen, as they are.
    void addFilesDialog()
    {
        m_fixture->preferences.setAutoAddFromPasteboard(false);
        QCOMPARE(m_window->ui().miAddFiles->shortcut(), QKeySequence(u"Ctrl+O"_s));
        m_window->ui().miAddFiles->trigger();
        QFileDialog &dialog = controller().addFilesDialog();
        QTRY_VERIFY(dialog.isVisible());
        QVERIFY(dialog.nameFilters().constFirst().contains(u"*.m4a"_s));
        Q_EMIT dialog.filesSelected({u"/music/one.m4a"_s, u"/music/two.mp4"_s});
        QCOMPARE(links(), (QStringList{u"/music/one.m4a"_s, u"/music/two.mp4"_s}));
        dialog.reject();
    }

    void doubleClickPlays()
    {
        const Item item = added(u"doubleAaaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        item->downloadButtonSelector();
        QVERIFY(waitForStatus(item, StatusFinished));
        TableViewDragged *table = m_window->ui().tableView;
        const QRect title = table->visualRect(model().index(0, RowModel::TitleColumn));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, title.topLeft() + QPoint(20, 20));
        const QUrl file = QUrl::fromLocalFile(item->filePathForDownloading());
        QTRY_COMPARE(m_opened, QList<QUrl>{file});
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(m_opened, (QList<QUrl>{file, file}));
        // With no program to open the file or the page, the window says so.
        const QTemporaryDir nowhere;
        qputenv("PATH", QFile::encodeName(nowhere.path()));
        for (const char *scheme : {"https", "http", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        QTest::keyClick(table, Qt::Key_Return);
        const QString name = QFileInfo(item->filePathForDownloading()).fileName();
        QCOMPARE(m_window->ui().messageText->text(),
                 u"No program could open “%1”: install a music player, or open the file from the output folder."_s.arg(name));
        m_window->ui().miSupport->trigger();
        QVERIFY(m_window->ui().messageText->text().startsWith(u"No web browser could open http://www.vantrel.example/"_s));
        qputenv("PATH", m_path);
        for (const char *scheme : {"https", "http", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");

        m_window->ui().miOpenOutputFolder->trigger();
        QCOMPARE(m_opened.constLast(), QUrl::fromLocalFile(m_fixture->outputDir.path()));
        const Item ready = added(u"doubleBbbbb"_s);
        m_window->ui().miRemoveFinished->trigger();
        QCOMPARE(list(), QList<Item>{ready});
        QVERIFY(QFile::exists(item->filePathForDownloading()));
    }

    // Preferences says which yt-dlp pages are read with, or how to get one.
    void preferencesNameThePageReader()
    {
        const StandInProgram ytDlp(u"yt-dlp"_s, "[ \"$1\" = --version ] && echo 2099.01.31");
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        m_window->ui().miPreferences->trigger();
        Ui::Preferences &ui = controller().preferencesWindow()->ui();
        QCOMPARE(ui.pageReaderPath->text(), ytDlp.path());
        QTRY_COMPARE(ui.txtPageReaderFound->text(), u"Found version 2099.01.31 at %1."_s.arg(ytDlp.path()));
        // Neither there nor on the search path.
        qputenv("PATH", QFile::encodeName(m_fixture->outputDir.path()));
        ui.pageReaderPath->setText(m_fixture->outputPath(u"yt-dlp"_s));
        Q_EMIT ui.pageReaderPath->editingFinished();
        QTRY_COMPARE(ui.txtPageReaderFound->text(),
                     u"Not found. Install it with “apt install yt-dlp”, or a newer one with “pipx install yt-dlp”."_s);
        controller().preferencesWindow()->accept();
        QCOMPARE(m_fixture->preferences.pageReaderPath(), m_fixture->outputPath(u"yt-dlp"_s));
    }

    void preferencesWindow()
    {
        // What a previous run stored: filling the lists must not overwrite it.
        m_fixture->preferences.setOutputFormat(OutputFormat::Wav);
        m_fixture->preferences.setPreferedQuality(5);
        m_fixture->preferences.setSavedFolderPath(u"~/Movies/"_s);
        m_fixture->preferences.saveValues();
        m_window->ui().miPreferences->trigger();
        PreferencesWindow &window = *controller().preferencesWindow();
        Ui::Preferences &ui = window.ui();
        QTRY_VERIFY(window.isVisible());
        QCOMPARE(stored(u"values.OutputFormatItemIndex"_s), 2);
        QCOMPARE(stored(u"values.PreferedQuality"_s), 5);
        QCOMPARE(ui.outputFormat->currentText(), u"WAV"_s);
        QCOMPARE(ui.preferedQuality->currentText(), u"MP4 (4K)"_s);
        QCOMPARE(ui.savedFolderPath->folderPath(), QDir::homePath() + u"/Movies"_s);
        QCOMPARE(ui.comboBitrate->currentText(), u"320"_s);
        QCOMPARE(ui.comboFrequency->currentText(), u"44100"_s);
        QCOMPARE(ui.comboSoundMode->currentIndex(), 0);
        QCOMPARE(ui.spinSimultaneousDownloads->value(), 4);
        QVERIFY(ui.checkAutoAddFromPasteboard->isChecked() && ui.checkInsertTags->isChecked());
        QVERIFY(ui.checkInsertDescriptionInTag->isChecked() && !ui.checkDeleteOriginal->isChecked());
        QVERIFY(ui.checkRestoreListAtStart->isChecked());
        QVERIFY(ui.btnGeneralOptions->isChecked() && !ui.btnOutputFormatsOptions->isChecked());

        // A pick is stored at once.
        pick(ui.outputFormat, 1);
        QCOMPARE(stored(u"values.OutputFormatItemIndex"_s), 1);
        pick(ui.preferedQuality, 2);
        QCOMPARE(stored(u"values.PreferedQuality"_s), 4);

        ui.btnOutputFormatsOptions->click();
        QCOMPARE(ui.tabPrefences->currentIndex(), 1);
        QVERIFY(ui.btnOutputFormatsOptions->isChecked() && !ui.btnOutputFormatsOptions->autoRaise());
        QVERIFY(!ui.btnGeneralOptions->isChecked() && ui.btnGeneralOptions->autoRaise());
        // A typed text that is no entry is no setting.
        ui.comboBitrate->setEditText(u"128k"_s);
        ui.btnPreferencesClose->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(stored(u"values.Bitrate"_s), 320);
        QCOMPARE(stored(u"values.LastSavedFolderPath"_s).toString(), QDir::homePath() + u"/Movies"_s);
        // The quick options follow the window.
        QCOMPARE(m_window->ui().comboOutputFormat->currentText(), u"MP3"_s);
        QCOMPARE(m_window->ui().comboVideoQuality->currentText(), u"MP4 (1080p (HD))"_s);
    }

    void closingStoresEveryControl_data()
    {
        QTest::addColumn<QString>("closedBy");
        for (const char *way : {"Close", "OK", "Esc", "window's close control"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }

    // Every control away from its default, as a user could set it: however
    // the window is closed, the file holds what it showed, and nothing else
    // changed.
    void closingStoresEveryControl()
    {
        QFETCH(QString, closedBy);
        const QString folder = m_fixture->outputPath(u"chosen"_s);
        m_window->ui().miPreferences->trigger();
        PreferencesWindow &window = *controller().preferencesWindow();
        Ui::Preferences &ui = window.ui();
        QTRY_VERIFY(window.isVisible());
        ui.checkAutoAddFromPasteboard->setChecked(false);
        ui.checkRestoreListAtStart->setChecked(false);
        ui.savedFolderPath->chooseFolder(folder);
        pick(ui.preferedQuality, 3);
        pick(ui.outputFormat, 1);
        ui.checkDeleteOriginal->setChecked(true);
        ui.checkInsertTags->setChecked(false);
        ui.checkInsertDescriptionInTag->setChecked(false);
        ui.btnOutputFormatsOptions->click();
        pick(ui.comboFrequency, ui.comboFrequency->findText(u"22050"_s));
        pick(ui.comboSoundMode, 1);
        pick(ui.comboBitrate, ui.comboBitrate->findText(u"96"_s));
        ui.spinSimultaneousDownloads->setValue(7);
        if (closedBy == u"Close")
            ui.btnPreferencesClose->click();
        else if (closedBy == u"OK")
            ui.btnPreferencesSave->click();
        else if (closedBy == u"Esc")
            QTest::keyClick(&window, Qt::Key_Escape);
        else
            window.close();
        QVERIFY(!window.isVisible());
        QSettings file(m_fixture->settingsDir.filePath(u"Vantrel.conf"_s), QSettings::IniFormat);
        QStringList stored;
        for (const QString &key : file.allKeys())
            stored.append(key + u'=' + file.value(key).toString());
        QCOMPARE(stored, (QStringList{u"values.AutoAddingURLFromPasteboard=false"_s, u"values.Bitrate=96"_s,
                                      u"values.DeleteInputFileAfterConvert=true"_s, u"values.Frequency=22050"_s,
                                      u"values.IsFirstLaunch=true"_s, u"values.IsShowQuickOptions=true"_s,
                                      u"values.LastSavedFolderPath="_s + folder, u"values.OutputFormatItemIndex=1"_s, u"values.PageReaderPath="_s,
                                      u"values.PreferedQuality=5"_s, u"values.RestoreListAtStart=false"_s,
                                      u"values.SaveID3Tags=false"_s, u"values.SimultaneousDownloads=7"_s,
                                      u"values.SoundMode=1"_s, u"values.WriteDescrptionToID3Tags=false"_s,
                                      u"values.isShowHintPanel=true"_s}));
    }

    void bitrateFollowsFrequency_data()
    {
        QTest::addColumn<int>("bitrate");       // stored
        QTest::addColumn<int>("frequency");     // stored
        QTest::addColumn<QString>("picked");    // sample rate
        QTest::addColumn<QString>("shown");     // bit rate
        QTest::addColumn<QString>("offered");   // bit rates
        QTest::addColumn<QString>("note");

        const QString note = u"At %1 Hz, MP3 files cannot have 320 kbit/s; 160 kbit/s is used instead."_s;
        QTest::newRow("320 at 22050 Hz is 160") << 320 << 44100 << u"22050"_s << u"160"_s
                                                << u"32 40 48 56 64 80 96 112 128 160"_s << note.arg(22050);
        QTest::newRow("stored 320 at 24000 Hz opens as 160") << 320 << 24000 << u"24000"_s << u"160"_s
                                                             << u"32 40 48 56 64 80 96 112 128 160"_s << note.arg(24000);
        QTest::newRow("from 8000 to 48000 Hz all are back")
            << 64 << 8000 << u"48000"_s << u"64"_s << u"32 40 48 56 64 80 96 112 128 160 192 224 256 320"_s << QString();
    }

    // The bit-rate list offers what lame writes at the picked sample rate,
    // shows the rate it will write, and that is what is stored.
    void bitrateFollowsFrequency()
    {
        QFETCH(int, bitrate);
        QFETCH(int, frequency);
        QFETCH(QString, picked);
        QFETCH(QString, shown);
        QFETCH(QString, offered);
        m_fixture->preferences.setBitrate(bitrate);
        m_fixture->preferences.setFrequency(frequency);
        m_window->ui().miPreferences->trigger();
        Ui::Preferences &ui = controller().preferencesWindow()->ui();
        pick(ui.comboFrequency, ui.comboFrequency->findText(picked));
        QCOMPARE(ui.comboBitrate->currentText(), shown);
        QStringList enabled;
        for (int row = 0; row < ui.comboBitrate->count(); ++row) {
            if (ui.comboBitrate->model()->flags(ui.comboBitrate->model()->index(row, 0)) & Qt::ItemIsEnabled)
                enabled.append(ui.comboBitrate->itemText(row));
        }
        QCOMPARE(enabled.join(u' '), offered);
        QTEST(ui.txtBitrateNote->text(), "note");
        ui.btnPreferencesSave->click();
        QCOMPARE(stored(u"values.Bitrate"_s).toString(), shown);
        QCOMPARE(stored(u"values.Frequency"_s).toString(), picked);
    }

    void chooseButtons_data()
    {
        QTest::addColumn<bool>("inPreferences");

        QTest::newRow("preferences window") << true;
        QTest::newRow("quick options") << false;
    }

    // The button beside a folder field opens the folder chooser; the folder
    // picked there is shown and stored.
    void chooseButtons()
    {
        QFETCH(bool, inPreferences);
        PathController *field = m_window->ui().pathFolderPath;
        QPushButton *button = m_window->ui().btnChooseFolder;
        if (inPreferences) {
            m_window->ui().miPreferences->trigger();
            field = controller().preferencesWindow()->ui().savedFolderPath;
            button = controller().preferencesWindow()->ui().btnPreferencesChooseFolder;
        }
        const QString folder = m_fixture->outputPath(u"picked"_s);
        QVERIFY(QDir().mkpath(folder));
        QString title;
        QTimer chooser;
        connect(&chooser, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->inherits("QFileDialog"))
                return;
            chooser.stop();
            title = dialog->windowTitle();
            dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(folder);
            dialog->accept();
        });
        chooser.start(20);
        button->click();
        QCOMPARE(title, u"Choose the output folder"_s);
        QCOMPARE(field->folderPath(), folder);
        QCOMPARE(stored(u"values.LastSavedFolderPath"_s).toString(), folder);
    }

    void typedFolder_data()
    {
        QTest::addColumn<QString>("typed"); // %1: a folder of the test's
        QTest::addColumn<QString>("refused"); // empty: taken

        QTest::newRow("a missing folder is made") << u" %1/made/deeper "_s << QString();
        QTest::newRow("a file in the way") << u"%1/file/sub"_s << u"Cannot create the folder %1/file/sub."_s;
        // Not even root makes a file there.
        QTest::newRow("a folder that takes no files") << u"/proc/sys"_s << u"Cannot write into the folder /proc/sys."_s;
        QTest::newRow("a relative path") << u"made"_s << u"Type the folder’s whole path, beginning with / or ~."_s;
    }

    void typedFolder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, refused);
        const QString root = m_fixture->outputDir.path();
        QVERIFY(SiteFixture::writeFile(root + u"/file"_s, "x"));
        m_window->ui().miPreferences->trigger();
        Ui::Preferences &ui = controller().preferencesWindow()->ui();
        ui.savedFolderPath->setText(typed.arg(root));
        Q_EMIT ui.savedFolderPath->editingFinished();
        const QString folder = refused.isEmpty() ? typed.arg(root).trimmed() : root;
        QCOMPARE(ui.savedFolderPath->text(), folder);
        QCOMPARE(ui.txtFolderRefused->text(), refused.arg(root));
        QCOMPARE(ui.txtFolderRefused->isVisible(), !refused.isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(m_window->ui().pathFolderPath->folderPath(), folder);
        QCOMPARE(stored(u"values.LastSavedFolderPath"_s).toString(), refused.isEmpty() ? folder : QString());
    }

    void folderControlsKeepInStep()
    {
        const Item item = added(u"folderAaaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        item->downloadButtonSelector();
        QVERIFY(waitForStatus(item, StatusFinished));
        m_window->ui().miPreferences->trigger();
        PathController *preferencesFolder = controller().preferencesWindow()->ui().savedFolderPath;
        const QString chosen = m_fixture->outputPath(u"chosen"_s);
        m_window->ui().pathFolderPath->chooseFolder(chosen);
        QCOMPARE(preferencesFolder->folderPath(), chosen);
        QCOMPARE(stored(u"values.LastSavedFolderPath"_s).toString(), chosen);
        QTRY_COMPARE(item->savedFolderPath(), chosen);
        controller().preferencesWindow()->close();
    }

    void openInBrowser_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QUrl>("opened");

        const QString watch = u"http://www.youtube.com/watch?v=browserAaaa"_s;
        QTest::newRow("web address") << watch + u"&t=5"_s << QUrl(watch + u"&t=5"_s);
        QTest::newRow("other scheme around a link") << u"smb://host/x?"_s + watch << QUrl(watch);
        QTest::newRow("words around a link") << u"see "_s + watch + u" now"_s << QUrl(watch);
    }

    void openInBrowser()
    {
        QFETCH(QString, link);
        QFETCH(QUrl, opened);
        controller().addYoutubesURL({link});
        const Item item = list().constFirst();
        QVERIFY(QTest::qWaitFor([&] { return item->youtubeStatus() != StatusLoadingInfo; }, 30'000));
        controller().showRowMenu(item, QPoint(10, 10));
        controller().popupMenu().findChild<QAction *>(u"miOpenInBrowser"_s)->trigger();
        controller().popupMenu().close();
        QCOMPARE(m_opened, QList<QUrl>{opened});
    }

    void hintSwitchFollowsTheSetting()
    {
        AnimatedHelpView *hint = m_window->ui().animatedHelpView;
        QAction *toggle = m_window->ui().miShowHintPanel;
        QVERIFY(hint->isActive() && !hint->isHidden());
        for (int tick = 0; tick < 15; ++tick)
            hint->timerAnimateOnTimer();
        QCOMPARE(hint->imageIndex(), 15);
        hint->timerAnimateOnTimer();
        QCOMPARE(hint->imageIndex(), 1);
        const Item first = added(u"hintAaaaaaa"_s);
        QVERIFY(!hint->isActive() && hint->isHidden());
        toggle->trigger();
        QVERIFY(!hint->isActive() && !toggle->isChecked());
        QCOMPARE(stored(u"values.isShowHintPanel"_s), false);
        toggle->trigger();
        QVERIFY(hint->isActive() && toggle->isChecked());
        QCOMPARE(stored(u"values.isShowHintPanel"_s), true);
        const Item second = added(u"hintBbbbbbb"_s);
        controller().list().remove({first});
        controller().list().remove({second});
        QVERIFY(!hint->isActive());
    }

    void hintCaptionWhole_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("width");
        for (const QLocale::Language language : {QLocale::English, QLocale::German}) {
            const QString caption = LocalizedStrings(QLocale(language)).text(46);
            for (const int width : {940, 0}) // 0: the window's least
                QTest::addRow("%s at %d", qPrintable(QLocale::languageToCode(language)), width) << caption << width;
        }
    }

    void hintCaptionWhole()
    {
        QFETCH(QString, caption);
        QFETCH(int, width);
        AnimatedHelpView *hint = m_window->ui().animatedHelpView;
        hint->setHintCaption(caption);
        m_window->resize(width, 600);
        QTRY_COMPARE(hint->width(), m_window->width() - 12);
        const QLabel *label = hint->findChild<QLabel *>();
        QVERIFY(hint->rect().contains(label->geometry()));
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
    }

    void rowButtonsAndBar()
    {
        // Every request for the stream fails, from its size on.
        m_fixture->site.addFault(SiteFault::parse(u"path=/videoplayback,status=404"_s).value());
        const Item item = added(u"paintAaaaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        item->setDownloadPolicy({.attempts = 5, .firstDelay = 60s});
        item->downloadButtonSelector();
        QTRY_VERIFY(item->statusNote().startsWith(u"Connection lost"_s));
        // The bar shows what is held: nothing.
        TableViewDragged *table = m_window->ui().tableView;
        const QRect cell = table->visualRect(model().index(0, RowModel::OperationsColumn));
        const QRect bar = YoutubeOperationsView::calculateButtonsPositions(cell.size(), StatusDownloading, true)
                              .progress->translated(cell.topLeft());
        QTRY_VERIFY(grabbed(bar) != grabbed(bar.translated(0, TableViewDragged::RowHeight)));
        QCOMPARE(pixelsLike(grabbed(bar.adjusted(2, 2, -2, -2)), table->palette().color(QPalette::Highlight)), 0);

        // Under the pointer a button is framed and keeps its icon.
        const QRect pause = buttonRect(0, YoutubeOperationsView::PauseButton);
        const QRect icon(pause.center() - QPoint(7, 7), QSize(14, 14));
        const int ink = pixelsLike(grabbed(icon), QColor(0x3d, 0x3d, 0x3d));
        QVERIFY(ink > 20);
        const QImage unframed = grabbed(pause);
        QMouseEvent move(QEvent::MouseMove, pause.center(), table->viewport()->mapToGlobal(pause.center()), Qt::NoButton,
                         Qt::NoButton, {});
        QCoreApplication::sendEvent(table->viewport(), &move);
        QTRY_VERIFY(grabbed(pause) != unframed);
        QCOMPARE(pixelsLike(grabbed(icon), QColor(0x3d, 0x3d, 0x3d)), ink);
    }

    void toolTips_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("tip");

        using V = YoutubeOperationsView;
        QTest::newRow("download") << int(StatusReady) << QString() << int(V::DownloadButton) << u"Download"_s;
        QTest::newRow("resume") << int(StatusDownloadPaused) << QString() << int(V::ResumeButton) << u"Resume"_s;
        // The word the note tells the user to press.
        QTest::newRow("resume after a failure") << int(StatusConvertPaused) << u"Conversion failed"_s
                                                << int(V::ResumeButton) << u"Resume"_s;
        QTest::newRow("play") << int(StatusFinished) << QString() << int(V::PlayButton) << u"Play"_s;
        QTest::newRow("menu") << int(StatusReady) << QString() << -1 << u"More actions"_s;
        QTest::newRow("status cell") << int(StatusReady) << u"A note"_s << int(RowDelegate::NoButton)
                                     << u"Ready to download\nA note"_s;
        QTest::newRow("title cell") << int(StatusReady) << QString() << int(RowDelegate::NoButton)
                                    << SamplePages::title(u"tipAaaaaaaa"_s) + u"\n"_s + SiteFixture::watchLink(u"tipAaaaaaaa"_s);
    }

    void toolTips()
    {
        QFETCH(int, status);
        QFETCH(QString, note);
        QFETCH(int, button);
        const Item item = added(u"tipAaaaaaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        item->setYoutubeStatus(YoutubeStatus(status));
        item->setStatusNote(note);
        const bool title = QByteArrayView(QTest::currentDataTag()) == "title cell";
        const QRect cell = m_window->ui().tableView->visualRect(
            model().index(0, title ? RowModel::TitleColumn : RowModel::StatusColumn));
        const QPoint point = button == RowDelegate::NoButton ? cell.topLeft() + QPoint(10, 10) : buttonRect(0, button).center();
        QTEST(toolTipAt(point), "tip");
        if (button == RowDelegate::NoButton && !title) {
            // An open tooltip follows the status under it, and goes with its row.
            item->setStatusNote(u"Another note"_s);
            QTRY_COMPARE(QToolTip::text(), u"Ready to download\nAnother note"_s);
            controller().list().remove({item});
            QTRY_VERIFY(!QToolTip::isVisible());
        }
        QToolTip::hideText();
    }

    void statusTextsReadable()
    {
        TableViewDragged *table = m_window->ui().tableView;
        QHeaderView *header = table->horizontalHeader();
        // A long failure note (the longest German one) shows whole at the
        // window's first size.
        const Item item = added(u"readAaaaaaa"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        const QString note = u"Die Videodatei konnte nicht gespeichert werden: No space left on device. "
                             "Mit „Fortsetzen“ erneut versuchen."_s;
        item->setStatusNote(note);
        const QModelIndex cell = model().index(0, RowModel::StatusColumn);
        QCOMPARE(RowDelegate::statusLines(table->font(), cell.data(RowModel::StyledTextRole).value<StyledText>(),
                                          table->visualRect(cell)).join(u' '),
                 u"Ready to download "_s + note);

        // A border dragged widens the status column at the title's cost.
        const int title = header->sectionSize(RowModel::TitleColumn);
        const int status = header->sectionSize(RowModel::StatusColumn);
        const QPoint border(header->sectionViewportPosition(RowModel::StatusColumn) - 1, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(header->viewport(), border - QPoint(50, 0));
        QTest::mouseMove(header->viewport(), border - QPoint(100, 0));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border - QPoint(100, 0));
        QCOMPARE(header->sectionSize(RowModel::StatusColumn), status + 100);
        QCOMPARE(header->sectionSize(RowModel::TitleColumn), title - 100);
    }

    // At its smallest the window shows every control whole, and a status
    // column narrowed by hand keeps a download's lines whole.
    void smallestWindowAndNarrowestStatus()
    {
        throttleStreams();
        const Item item = added(u"narrowAaaaa"_s);
        QVERIFY(startWhenReady(item));
        m_window->resize(1, 1);
        TableViewDragged *table = m_window->ui().tableView;
        QTRY_VERIFY(m_window->width() > 1 && table->horizontalHeader()->length() <= table->viewport()->width());
        QVERIFY(!table->horizontalScrollBar()->isVisible());
        for (QAction *action : m_window->ui().toolBar->actions())
            QVERIFY(m_window->ui().toolBar->widgetForAction(action)->isVisible());
        table->horizontalHeader()->resizeSection(RowModel::StatusColumn, 10);
        const QModelIndex cell = model().index(0, RowModel::StatusColumn);
        const auto shown = [&] {
            return RowDelegate::statusLines(table->font(), cell.data(RowModel::StyledTextRole).value<StyledText>(),
                                            table->visualRect(cell));
        };
        QTRY_VERIFY2(shown().size() == 3 && shown().at(2).startsWith(u"Time left: "_s), qPrintable(shown().join(u'|')));
    }

    void windowShapeOutlivesTheProgram_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << false;
        QTest::newRow("maximized") << true;
    }

    void windowShapeOutlivesTheProgram()
    {
        QFETCH(bool, maximized);
        m_window->resize(760, 540);
        m_window->ui().tableView->horizontalHeader()->resizeSection(RowModel::StatusColumn, 340);
        if (maximized)
            m_window->showMaximized();
        QTRY_COMPARE(m_window->isMaximized(), maximized);
        m_window->close();
        // The next start reads the file anew.
        PreferenceStore store(m_fixture->settingsDir.filePath(u"Vantrel.conf"_s));
        YoutubeProgramPreferences preferences(store);
        const auto closeFirst = qScopeGuard([this] { m_window.reset(); });
        m_window = std::make_unique<MainWindow>(preferences);
        m_window->show();
        QTRY_COMPARE(m_window->isMaximized(), maximized);
        m_window->showNormal();
        QTRY_COMPARE(m_window->size(), QSize(760, 540));
        QCOMPARE(m_window->ui().tableView->horizontalHeader()->sectionSize(RowModel::StatusColumn), 340);
    }

    void keysWorkTheSelectedRows()
    {
        throttleStreams();
        const Item first = added(u"keysAaaaaaa"_s);
        const Item second = added(u"keysBbbbbbb"_s);
        QVERIFY(waitForStatus(first, StatusReady) && waitForStatus(second, StatusReady));
        QVERIFY(activated());
        TableViewDragged *table = m_window->ui().tableView;
        table->setFocus();
        table->selectAll();
        QTest::keyClick(table, Qt::Key_Space);
        QVERIFY(waitForStatus(first, StatusDownloading) && waitForStatus(second, StatusDownloading));
        const auto statuses = [&] { return QList{first->youtubeStatus(), second->youtubeStatus()}; };
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(statuses(), (QList{StatusDownloadPaused, StatusDownloadPaused}));
        table->selectRow(1);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(statuses(), (QList{StatusDownloadPaused, StatusDownloading}));
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), second->youtubeURL());
        // The selected row moves, and stays selected and current.
        QTest::keyClick(table, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(list(), (QList<Item>{second, first}));
        QCOMPARE(table->currentIndex().row(), 0);
        QTest::keyClick(table, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(list(), (QList<Item>{first, second}));
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 1);
        // Keys that move the current row take the selection along, Ctrl
        // held or not: Space and Return act on what shows highlighted.
        for (const auto &[key, modifiers, row] : {std::tuple{Qt::Key_Home, Qt::ControlModifier, 0},
                                                  std::tuple{Qt::Key_End, Qt::ControlModifier, 1},
                                                  std::tuple{Qt::Key_PageUp, Qt::NoModifier, 0},
                                                  std::tuple{Qt::Key_PageDown, Qt::ControlModifier, 1}}) {
            QTest::keyClick(table, key, modifiers);
            QCOMPARE(table->currentIndex().row(), row);
            QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
            QCOMPARE(table->selectionModel()->selectedRows().constFirst().row(), row);
        }
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(list(), QList<Item>{first});
    }

    // Nothing wakes the GUI thread while nothing moves: no refresh by the
    // clock, no animation without end.
    void idleWindowSleeps_data()
    {
        QTest::addColumn<std::optional<YoutubeStatus>>("status");
        QTest::addColumn<QString>("totals");
        QTest::newRow("empty, once the hint had its rounds") << std::optional<YoutubeStatus>() << u"Finished 0 of 0"_s;
        QTest::newRow("ready") << std::optional(StatusReady) << u"Finished 0 of 0"_s;
        QTest::newRow("paused") << std::optional(StatusDownloadPaused) << u"Finished 0 of 1"_s;
        QTest::newRow("finished") << std::optional(StatusFinished) << u"Finished 1 of 1"_s;
    }

    void idleWindowSleeps()
    {
        QFETCH(std::optional<YoutubeStatus>, status);
        QFETCH(QString, totals);
        if (status) {
            if (*status == StatusDownloadPaused)
                throttleStreams();
            const Item item = added(u"idleAaaaaaa"_s);
            QVERIFY(waitForStatus(item, StatusReady));
            if (*status != StatusReady)
                controller().downloadAllURL();
            if (*status == StatusDownloadPaused)
                controller().downloadAllURL();
            QVERIFY(waitForStatus(item, *status));
        }
        QTRY_COMPARE(m_window->ui().totalProgressLabel->text(), totals);
        AnimatedHelpView *hint = m_window->ui().animatedHelpView;
        for (int tick = 0; tick < 100 && hint->isAnimating(); ++tick)
            hint->timerAnimateOnTimer();
        QVERIFY(!hint->isAnimating());
        QTest::qWait(300); // the list's last batch and save
        const TimerEvents timers;
        QTest::qWait(1200);
        QCOMPARE(timers.receivers, QStringList());
    }

    void desktopHearsOfTheWork()
    {
        FakeDesktop desktop(m_bus->address(), {Notifications, PowerManager});
        m_window = std::make_unique<MainWindow>(m_fixture->preferences);
        m_window->show();
        QVERIFY(activated());
        const auto notes = [&] { return desktop.calls().filter(u".Notify("_s); };
        // A stream of nothing but 404: the download stops at its first try.
        const auto fail = [&](const QString &code) {
            m_fixture->site.clearFaults();
            m_fixture->site.addFault(SiteFault::parse(u"path=/videoplayback,status=404"_s).value());
            const Item failing = added(code);
            failing->setDownloadPolicy({.attempts = 0});
            if (waitForStatus(failing, StatusReady))
                failing->downloadButtonSelector();
            return waitForStatus(failing, StatusDownloadPaused) ? failing : nullptr;
        };
        // Nothing while the user looks at the window.
        QVERIFY(fail(u"deskAaaaaaa"_s));
        controller().list().remove({list().constFirst()});
        m_fixture->site.clearFaults();
        const Item seen = added(u"deskDddddd"_s);
        QVERIFY(waitForStatus(seen, StatusReady));
        seen->downloadButtonSelector();
        QVERIFY(waitForStatus(seen, StatusFinished));
        QTest::qWait(700);
        QCOMPARE(notes(), QStringList());
        m_window->ui().miRemoveFinished->trigger();

        // The user works in another window meanwhile.
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_VERIFY(!m_window->isActiveWindow());
        m_fixture->site.addFault(SiteFault::parse(u"path=/videoplayback,throttle=500000"_s).value());
        const Item item = added(u"deskBbbbbbb"_s);
        QVERIFY(waitForStatus(item, StatusReady));
        item->downloadButtonSelector();
        QTRY_VERIFY(desktop.holdsInhibit());
        desktop.answerInhibit();
        QVERIFY(waitForStatus(item, StatusFinished));
        QTRY_VERIFY(desktop.calls().contains(PowerUnInhibitCall + u"42"_s));
        QTRY_VERIFY(notes().size() == 1 && notes().constLast().contains(u"|All downloads finished|The files are in "_s));
        QTest::qWait(1200); // two refreshes: once is enough
        QCOMPARE(notes().size(), 1);
        const Item failing = fail(u"deskCcccccc"_s);
        QVERIFY(failing);
        QTRY_VERIFY(notes().size() == 2 && notes().constLast().contains(u"|Stopped by a failure|"_s + failing->youtubeTitle()
                                                                        + u"\nDownload stopped: HTTP 404."_s));
        QTest::qWait(300);
        QCOMPARE(notes().size(), 2);
    }

    void closingStopsEverythingInTime()
    {
        // An encoder that never reads keeps one item converting.
        const StandInProgram lame(u"lame"_s, "sleep 60");
        qputenv("PATH", lame.searchPath());
        m_fixture->preferences.setOutputFormat(OutputFormat::Mp3);
        const Item converting = added(u"closeAaaaaa"_s);
        QVERIFY(waitForStatus(converting, StatusReady));
        converting->downloadButtonSelector();
        QVERIFY(waitForStatus(converting, StatusConverting));
        // Pause All and Resume All take conversions along.
        m_window->ui().toolDownloadAll->trigger();
        QCOMPARE(converting->youtubeStatus(), StatusConvertPaused);
        m_window->ui().toolDownloadAll->trigger();
        QCOMPARE(converting->youtubeStatus(), StatusConverting);
        throttleStreams();
        const Item downloading = added(u"closeBbbbbb"_s);
        QVERIFY(waitForStatus(downloading, StatusReady));
        downloading->downloadButtonSelector();
        QVERIFY(waitForStatus(downloading, StatusDownloading));
        m_fixture->site.addFault(SiteFault::parse(u"path=/watch,stall-after=0"_s).value());
        const Item loading = added(u"closeCcccc"_s);

        QElapsedTimer timer;
        timer.start();
        m_window->close();
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        for (const Item &item : {converting, downloading, loading})
            QCOMPARE(item->youtubeStatus(), StatusRemoved);
        QCOMPARE(threadNames().filter(QRegularExpression(u"^(page load|download|converter|cover)$"_s)), QStringList());
        // The video stays; nothing half written or temporary does.
        QCOMPARE(m_fixture->outputEntries(), QStringList{QFileInfo(converting->filePathForDownloading()).fileName()});
    }

    // Quitting with items in every state and starting again: the same rows
    // in the same order, downloads back with their bytes, those the user
    // paused paused and the others going on, and Resume finishes every one.
    void quitAndStartAgain()
    {
        const QTemporaryDir state;
        controller().keepList(state.path());
        m_fixture->preferences.setSimultaneousDownloads(2);
        Item first = added(u"keptFinished"_s);
        QVERIFY(startWhenReady(first));
        QVERIFY(waitForStatus(first, StatusFinished));
        // An encoder that never reads keeps conversions going.
        const StandInProgram lame(u"lame"_s, "sleep 60");
        qputenv("PATH", lame.searchPath());
        m_fixture->preferences.setOutputFormat(OutputFormat::Mp3);
        for (const QString &code : {u"keptConvert"_s, u"keptConvPause"_s}) {
            QVERIFY(startWhenReady(added(code)));
            QVERIFY(waitForStatus(list().constLast(), StatusConverting));
        }
        list().constLast()->pause();
        throttleStreams();
        for (const QString &code : {u"keptPaused"_s, u"keptLoading1"_s, u"keptLoading2"_s, u"keptWaiting"_s}) {
            QVERIFY(startWhenReady(added(code)));
            if (code != u"keptWaiting"_s)
                QTRY_VERIFY(list().constLast()->downloadedBytes() > 0);
            if (code == u"keptPaused"_s)
                list().constLast()->pause();
        }
        QTRY_COMPARE(list().constLast()->placeInLine(), 0);
        QVERIFY(waitForStatus(added(u"keptReady"_s), StatusReady));
        m_fixture->site.setPage(u"keptBroken"_s, "no page");
        QVERIFY(waitForStatus(added(u"keptBroken"_s), StatusInfoFailed));
        m_fixture->site.addFault(SiteFault::parse(u"path=/watch,stall-after=0"_s).value());
        added(u"keptPage"_s);
        const QStringList before = links();

        m_window.reset();
        qputenv("PATH", m_path);
        m_fixture->site.clearFaults();
        m_fixture->site.clearRequests();
        m_window = std::make_unique<MainWindow>(m_fixture->preferences);
        controller().keepList(state.path());
        m_window->show();
        QCOMPARE(links(), before);
        QList<YoutubeStatus> statuses;
        for (const Item &item : list())
            statuses.append(item->youtubeStatus());
        // What the user paused stays paused; what ran or waited goes on by itself.
        QCOMPARE(statuses.mid(2, 2), (QList{StatusConvertPaused, StatusDownloadPaused}));
        for (int row = 4; row < 7; ++row)
            QVERIFY(QSet({StatusDownloading, StatusDownloaded, StatusConverting, StatusFinished}).contains(statuses[row]));
        QCOMPARE(statuses.mid(7, 2), (QList{StatusReady, StatusInfoFailed}));
        QCOMPARE(m_window->ui().toolDownloadAll->text(), u"Pause All"_s);
        QCOMPARE(statuses[0], StatusFinished);
        QVERIFY(QSet({StatusConverting, StatusFinished}).contains(statuses[1]));
        QVERIFY(QSet({StatusLoadingInfo, StatusReady}).contains(statuses[9]));
        QVERIFY(model().index(3, 0).data(RowModel::ProgressRole).toLongLong() > 0);
        QVERIFY2(QRegularExpression(uR"(^Paused\n\d+\.\d of \d+\.\d MB$)"_s).match(text(3, RowModel::StatusColumn)).hasMatch(),
                 qPrintable(text(3, RowModel::StatusColumn)));

        QVERIFY(waitForStatus(list()[1], StatusFinished));
        controller().list().resume({list()[2], list()[3]});
        for (int row = 2; row < 7; ++row)
            QVERIFY(waitForStatus(list()[row], StatusFinished));
        // One request for each download; three had bytes, and asked only
        // for the rest. (Size probes ask for the first byte alone.)
        QByteArrayList ranges;
        for (const SiteRequest &request : m_fixture->site.requests(u"/videoplayback"_s)) {
            if (request.header("range").endsWith('-'))
                ranges.append(request.header("range"));
        }
        QCOMPARE(ranges.size(), 4);
        QCOMPARE(ranges.count("bytes=0-"), 1);
        QCOMPARE(m_fixture->outputEntries().filter(u".mp4."_s), QStringList());
    }

    // Warnings about the kept list outlast the passing messages until they
    // are dealt with: the user dismisses the damaged list's (by keyboard
    // too), a write that works again takes the failed one's back, and a
    // second window's stays with the window.
    void keptListWarningsStay_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("text"); // %1: the damaged list's name

        QTest::newRow("damaged list") << u"damaged"_s << u"damagedList"_s
                                      << u"Part of the saved list could not be read; the file is kept as %1."_s;
        QTest::newRow("second window") << u"second"_s << u"listNotKept"_s
                                       << u"Vantrel is already running: this window’s list will not be kept."_s;
        QTest::newRow("list not written") << u"unwritable"_s << u"listNotSaved"_s
                                          << u"The list could not be saved: Is a directory"_s;
    }

    void keptListWarningsStay()
    {
        QFETCH(QString, fault);
        QFETCH(QString, warning);
        QFETCH(QString, text);
        const QTemporaryDir state;
        // The window lets go of its lock before the folder goes.
        const auto closeFirst = qScopeGuard([this] { m_window.reset(); });
        const QString listPath = state.filePath(u"list.json"_s);
        std::optional<StateFolder> firstWindow;
        if (fault == u"damaged"_s)
            QVERIFY(SiteFixture::writeFile(listPath, "{\"items\": [{\"link\""));
        if (fault == u"second"_s)
            firstWindow.emplace(state.path());
        controller().keepList(state.path());
        if (fault == u"unwritable"_s) {
            QTRY_VERIFY(QFileInfo(listPath).isFile());
            // A folder in its place takes no list.
            QVERIFY(QFile::remove(listPath) && QDir().mkdir(listPath));
            added(u"unsavedAaaa"_s);
        }
        const QStringList aside = QDir(state.path()).entryList({u"list.json.damaged-*"_s});
        QCOMPARE(aside.size(), fault == u"damaged"_s ? 1 : 0);
        QTRY_VERIFY(m_window->findChild<QWidget *>(warning));
        QWidget *row = m_window->findChild<QWidget *>(warning);
        QGuiApplication::clipboard()->setText(u"no link"_s);
        m_window->ui().miPaste->trigger();
        QVERIFY(!m_window->ui().messageText->text().isEmpty());
        QVERIFY(QMetaObject::invokeMethod(controller().findChild<QTimer *>(u"messageTimer"_s), "timeout"));
        QCOMPARE(m_window->ui().messageText->text(), QString());

        QVERIFY(row->isVisible());
        QCOMPARE(row->findChild<QLabel *>(u"text"_s)->text(), aside.isEmpty() ? text : text.arg(aside[0]));
        auto *dismiss = row->findChild<QToolButton *>();
        QCOMPARE(dismiss != nullptr, fault == u"damaged"_s);
        if (fault == u"unwritable"_s) {
            QVERIFY(QDir().rmdir(listPath));
            added(u"unsavedBbbb"_s);
            QTRY_VERIFY(!row->isVisible());
            QVERIFY(QFileInfo(listPath).isFile());
        }
        if (!dismiss)
            return;
        QCOMPARE(dismiss->accessibleName(), u"Dismiss"_s);
        QVERIFY(activated());
        m_window->ui().pathFolderPath->setFocus();
        for (int tab = 0; tab < 20 && QApplication::focusWidget() != dismiss; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dismiss);
        QTest::keyClick(dismiss, Qt::Key_Space);
        QVERIFY(!row->isVisible());
        QVERIFY(m_window->ui().warningPanel->isHidden());
    }

private:
    bool startWhenReady(const Item &item)
    {
        if (!waitForStatus(item, StatusReady))
            return false;
        item->downloadButtonSelector();
        return true;
    }

    AppController &controller() { return m_window->controller(); }
    DownloadListModel &model() { return controller().model(); }
    const DownloadList::Items &list() { return controller().youtubeList(); }

    Item added(const QString &code)
    {
        controller().addYoutubesURL({SiteFixture::watchLink(code)});
        return list().constLast();
    }

    // The threads of this process, by the names the kernel knows them by.
    static QStringList threadNames()
    {
        QStringList names;
        for (const QString &task : QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            names.append(QString::fromUtf8(SiteFixture::fileBytes(u"/proc/self/task/%1/comm"_s.arg(task))).trimmed());
        return names;
    }

    QVariant stored(const QString &key)
    {
        return QSettings(m_fixture->settingsDir.filePath(u"Vantrel.conf"_s), QSettings::IniFormat).value(key);
    }

    // As the user picks an entry of a list.
    static void pick(QComboBox *list, int index)
    {
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    QString text(int row, int column) { return model().index(row, column).data().toString(); }

    QStringList links()
    {
        QStringList urls;
        for (const Item &item : list())
            urls.append(item->youtubeURL());
        return urls;
    }

    void throttleStreams() { m_fixture->site.addFault(SiteFault::parse(u"path=/videoplayback,throttle=20000"_s).value()); }

    // Where the row shows the button, in the viewport; the menu button is -1.
    QRect buttonRect(int row, int button)
    {
        const int column = button < 0 ? RowModel::TitleColumn : RowModel::OperationsColumn;
        const QRect cell = m_window->ui().tableView->visualRect(model().index(row, column));
        if (button < 0)
            return YoutubeMenuView::getMenuButtonFrame(cell.size()).toRect().translated(cell.topLeft());
        const auto status = list().at(row)->youtubeStatus();
        for (const auto &[shown, frame] : YoutubeOperationsView::calculateButtonsPositions(cell.size(), status, true).buttons) {
            if (shown == button)
                return frame.translated(cell.topLeft());
        }
        return {};
    }

    void click(int row, YoutubeOperationsView::Button button)
    {
        QTest::mouseClick(m_window->ui().tableView->viewport(), Qt::LeftButton, {}, buttonRect(row, button).center());
    }

    bool activated()
    {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    QString toolTipAt(QPoint point)
    {
        QWidget *viewport = m_window->ui().tableView->viewport();
        QHelpEvent help(QEvent::ToolTip, point, viewport->mapToGlobal(point));
        QCoreApplication::sendEvent(viewport, &help);
        return QToolTip::text();
    }

    QImage grabbed(const QRect &rect) { return m_window->ui().tableView->viewport()->grab(rect).toImage(); }

    // Pixels within 40 of `color` in each channel.
    static int pixelsLike(const QImage &image, const QColor &color)
    {
        int count = 0;
        for (int i = 0; i < image.width() * image.height(); ++i) {
            const QColor pixel = image.pixelColor(i % image.width(), i / image.width());
            count += std::max({std::abs(pixel.red() - color.red()), std::abs(pixel.green() - color.green()),
                               std::abs(pixel.blue() - color.blue())}) <= 40;
        }
        return count;
    }

    QList<QAction *> openQualityMenu(const Item &item)
    {
        controller().showRowMenu(item, QPoint(10, 10));
        auto *submenu = m_window->findChild<QMenu *>(u"miDownloadQuality"_s);
        const QList<QAction *> entries = submenu->actions();
        controller().popupMenu().close();
        return entries;
    }

    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<SiteFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
    QList<QUrl> m_opened;
    QByteArray m_path;
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
