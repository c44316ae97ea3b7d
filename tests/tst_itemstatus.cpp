#include "LocalizedStrings.h"
#include "NotificationCenter.h"
#include "PreferenceStore.h"
#include "RecordingOwner.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString text(int number)
{
    return LocalizedStrings::shared().text(number);
}

} // namespace

class TestItemStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusTexts_data();
    void statusTexts();
    void sameStatusAnnouncesNothing();
    void noteJoinsTheStatusText();
    void notificationsCarryTheItem_data();
    void notificationsCarryTheItem();

private:
    // Settings of the test's own, never the user's.
    QTemporaryDir m_dir;
    PreferenceStore m_store{m_dir.filePath(QStringLiteral("Vantrel.conf"))};
    YoutubeProgramPreferences m_preferences{m_store};
};

void TestItemStatus::statusTexts_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("outputFormat");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");

    const QColor black = YoutubeDownloader::colorCellByYoutubeStatus(StatusNew);
    const QColor blue = YoutubeDownloader::colorCellByYoutubeStatus(StatusReady);
    const QColor purple = YoutubeDownloader::colorCellByYoutubeStatus(StatusLoadingInfo);
    const QColor red = YoutubeDownloader::colorCellByYoutubeStatus(StatusInfoFailed);
    QVERIFY(QSet<QRgb>({black.rgb(), blue.rgb(), purple.rgb(), red.rgb()}).size() == 4);

    QTest::newRow("new shows nothing") << int(StatusNew) << 0 << QString() << black;
    QTest::newRow("failed page") << int(StatusInfoFailed) << 0 << text(207) << red;
    QTest::newRow("paused conversion") << int(StatusConvertPaused) << 1 << text(55) << blue;
    QTest::newRow("converting to mp3") << int(StatusConverting) << 1 << text(62) + u" MP3"_s << purple;
    QTest::newRow("converting, no format") << int(StatusConverting) << 0 << text(62) + u' ' << purple;
    QTest::newRow("downloaded shows nothing") << int(StatusDownloaded) << 0 << QString() << black;
    QTest::newRow("beyond the table") << 13 << 0 << QString() << black;
    QTest::newRow("negative") << -1 << 0 << QString() << black;
}

void TestItemStatus::statusTexts()
{
    QFETCH(int, status);
    QFETCH(int, outputFormat);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QCOMPARE(YoutubeDownloader::statusDescriptionByYoutubeStatus(status, outputFormat), text);
    QCOMPARE(YoutubeDownloader::colorCellByYoutubeStatus(status), colour);
}

void TestItemStatus::sameStatusAnnouncesNothing()
{
    RecordingOwner owner;
    auto item = YoutubeDownloader::create(u"http://youtube.com/watch?v=x"_s, &owner, m_preferences);
    QCOMPARE(owner.statuses(), QList<YoutubeStatus>{StatusLoadingInfo});
    item->setYoutubeStatus(StatusLoadingInfo);
    QVERIFY(item->changeYoutubeStatus(StatusLoadingInfo, StatusLoadingInfo));
    QVERIFY(!item->changeYoutubeStatus(StatusReady, StatusDownloading));
    QCOMPARE(owner.statuses(), QList<YoutubeStatus>{StatusLoadingInfo});
    item->removeObject();
    QCOMPARE(owner.statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusRemoved}));
    item->removeObject();
    QCOMPARE(owner.removals(), 1);
    // Removed is final.
    item->setYoutubeStatus(StatusReady);
    QVERIFY(!item->changeYoutubeStatus(StatusRemoved, StatusReady));
    QCOMPARE(item->youtubeStatus(), StatusRemoved);
}

void TestItemStatus::noteJoinsTheStatusText()
{
    RecordingOwner owner;
    auto item = YoutubeDownloader::create(u"http://youtube.com/watch?v=x"_s, &owner, m_preferences);
    QCOMPARE(item->statusText(), text(50));
    item->setStatusNote(u"retrying"_s);
    QCOMPARE(item->statusText(), text(50) + u"\nretrying"_s);
    QCOMPARE(owner.redraws(), 1);
    item->setStatusNote(u"retrying"_s);
    QCOMPARE(owner.redraws(), 1);
}

void TestItemStatus::notificationsCarryTheItem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("status changed") << NOTIFICATION_YOUTUBE_STATUS_CHANGED.toString() << 2;
    QTest::newRow("show menu") << NOTIFICATION_YOUTUBE_SHOW_MENU.toString() << 1;
}

void TestItemStatus::notificationsCarryTheItem()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    QList<std::shared_ptr<YoutubeDownloader>> seen;
    NotificationCenter::defaultCenter().addObserver(this, name, nullptr, [&seen](const Notification &n) {
        QCOMPARE(n.object, nullptr);
        seen.append(n.userInfo.value(NOTIFICATION_YOUTUBE_DOWNLOADER_KEY.toString())
                        .value<std::shared_ptr<YoutubeDownloader>>());
    });
    auto item = YoutubeDownloader::create(u"http://youtube.com/watch?v=x"_s, nullptr, m_preferences);
    item->showMenuButtonSelector();
    item->removeObject();
    NotificationCenter::defaultCenter().removeObserver(this);
    QCOMPARE(seen.size(), count);
    for (const auto &notified : seen)
        QCOMPARE(notified, item);
}

QTEST_GUILESS_MAIN(TestItemStatus)
#include "tst_itemstatus.moc"
