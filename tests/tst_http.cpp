#include "HttpClient.h"
#include "SiteFixture.h"

#include <QIODevice>
#include <QTest>

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

const QUrl StreamURL(u"http://r1.youtube.com/videoplayback?id=x&itag=18"_s);
constexpr qint64 StreamBytes = 50 * 1024 * 1024;

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        // Large and slow: a probe that read the body would never end in time.
        m_fixture->site.media().setStreamBytes(18, StreamBytes);
    }

    void init()
    {
        m_fixture->site.clearFaults();
        m_fixture->site.clearRequests();
    }

    void probe_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<qint64>("size");

        QTest::newRow("announced length") << u"path=/videoplayback,throttle=1000"_s << StreamBytes;
        QTest::newRow("no length") << u"path=/videoplayback,no-length,throttle=1000"_s << qint64(-1);
        QTest::newRow("error status") << u"path=/videoplayback,status=404"_s << qint64(0);
        QTest::newRow("stalled after the head") << u"path=/videoplayback,stall-after=0"_s << StreamBytes;
        QTest::newRow("connection refused") << QString() << qint64(0);
    }

    void probe()
    {
        QFETCH(QString, fault);
        QFETCH(qint64, size);
        const QByteArray proxy = qgetenv("http_proxy");
        if (fault.isEmpty())
            qputenv("http_proxy", "http://127.0.0.1:1");
        else
            m_fixture->site.addFault(*SiteFault::parse(fault));
        const qint64 probed = HttpClient().probeSize(StreamURL);
        qputenv("http_proxy", proxy);
        QCOMPARE(probed, size);
        QCOMPARE(m_fixture->site.requests().size(), fault.isEmpty() ? 0 : 1);
    }

    void onlyWebAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fetchable");

        QTest::newRow("http") << u"http://www.youtube.com/watch?v=x"_s << true;
        QTest::newRow("https in capitals") << u"HTTPS://www.youtube.com/watch?v=x"_s << true;
        QTest::newRow("file") << u"file:///etc/passwd"_s << false;
        QTest::newRow("file with a link inside") << u"file:///etc/passwd?http://www.youtube.com/watch?v=x"_s << false;
        QTest::newRow("ftp") << u"ftp://example.com/x"_s << false;
        QTest::newRow("no host") << u"http:///etc/passwd"_s << false;
    }

    void onlyWebAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, fetchable);
        const QUrl url(address);
        QCOMPARE(HttpClient::isFetchable(url), fetchable);
        if (fetchable)
            return;
        HttpClient client;
        QVERIFY(!client.fetch(url, 1 << 20));
        QCOMPARE(client.probeSize(url), 0);
        QVERIFY(!client.open(url, 0, {}));
    }

    void fetchStopsAtTheLimit()
    {
        HttpClient client;
        const QUrl page(u"http://www.youtube.com/watch?v=limit"_s);
        const std::optional<QByteArray> whole = client.fetch(page, 1 << 20);
        QVERIFY(whole && whole->contains("<title>"));
        QVERIFY(!client.fetch(page, whole->size() - 1));
        QVERIFY(!client.fetch(StreamURL, 1 << 20));
    }

    void fetchGivesWayToCancellation()
    {
        m_fixture->site.addFault(*SiteFault::parse(u"path=/watch,stall-after=10"_s));
        std::atomic<int> looks = 0;
        HttpClient client([&looks] { return ++looks > 3; });
        QVERIFY(!client.fetch(QUrl(u"http://www.youtube.com/watch?v=stalled"_s), 1 << 20));
        QVERIFY(looks > 3);
    }

private:
    std::unique_ptr<SiteFixture> m_fixture;
};

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
