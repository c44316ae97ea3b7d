#include "HttpClient.h"
#include "SiteFixture.h"

#include <QIODevice>
#include <QTest>

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace {

const QUrl StreamURL(u"http://r1.youtube.com/videoplayback?id=x&itag=18"_s);

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void probe_data();
    void probe();
    void probeOfARefusedConnection();
    void onlyWebAddresses_data();
    void onlyWebAddresses();
    void fetchStopsAtTheLimit();
    void fetchGivesWayToCancellation();
    void rangeAndErrorBodies();

private:
    std::unique_ptr<SiteFixture> m_fixture;
};

void TestHttp::initTestCase()
{
    m_fixture = std::make_unique<SiteFixture>();
    QVERIFY(m_fixture->isReady());
    // Large and slow: a probe that read the body would never end in time.
    m_fixture->site.media().setStreamBytes(18, 50 * 1024 * 1024);
}

void TestHttp::init()
{
    m_fixture->site.clearFaults();
    m_fixture->site.clearRequests();
}

void TestHttp::probe_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<qint64>("size");

    QTest::newRow("announced length") << u"path=/videoplayback,throttle=1000"_s << StreamURL << qint64(50 * 1024 * 1024);
    QTest::newRow("no length") << u"path=/videoplayback,no-length,throttle=1000"_s << StreamURL << qint64(-1);
    QTest::newRow("empty body") << QString() << QUrl(u"http://www.youtube.com/watch?v=emptypage"_s) << qint64(0);
    QTest::newRow("error status") << u"path=/videoplayback,status=404"_s << StreamURL << qint64(0);
    QTest::newRow("stalled head") << u"path=/videoplayback,stall-after=0"_s << StreamURL << qint64(50 * 1024 * 1024);
}

void TestHttp::probe()
{
    QFETCH(QString, fault);
    QFETCH(QUrl, url);
    QFETCH(qint64, size);
    m_fixture->site.setPage(u"emptypage"_s, QByteArray());
    if (!fault.isEmpty())
        m_fixture->site.addFault(*SiteFault::parse(fault));
    HttpClient client;
    QCOMPARE(client.probeSize(url), size);
    QCOMPARE(m_fixture->site.requests().size(), 1);
    QCOMPARE(m_fixture->site.requests().first().method, "GET");
}

void TestHttp::probeOfARefusedConnection()
{
    const QByteArray proxy = qgetenv("http_proxy");
    qputenv("http_proxy", "http://127.0.0.1:1");
    HttpClient client;
    const qint64 size = client.probeSize(StreamURL);
    const std::optional<QByteArray> page = client.fetch(StreamURL, 1000);
    qputenv("http_proxy", proxy);
    QCOMPARE(size, 0);
    QVERIFY(!page);
    QCOMPARE(m_fixture->site.requests().size(), 0);
}

void TestHttp::onlyWebAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("fetchable");

    QTest::newRow("http") << u"http://www.youtube.com/watch?v=x"_s << true;
    QTest::newRow("https") << u"HTTPS://www.youtube.com/watch?v=x"_s << true;
    QTest::newRow("file") << u"file:///etc/passwd"_s << false;
    QTest::newRow("file with a link inside") << u"file:///etc/passwd?http://www.youtube.com/watch?v=x"_s << false;
    QTest::newRow("ftp") << u"ftp://example.com/x"_s << false;
    QTest::newRow("data") << u"data:text/plain,hello"_s << false;
    QTest::newRow("qrc") << u"qrc:/strings/en.json"_s << false;
    QTest::newRow("no host") << u"http:///etc/passwd"_s << false;
    QTest::newRow("prose") << u"see http://www.youtube.com/user/x"_s << false;
}

void TestHttp::onlyWebAddresses()
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

void TestHttp::fetchStopsAtTheLimit()
{
    HttpClient client;
    const QUrl page(u"http://www.youtube.com/watch?v=limit"_s);
    const std::optional<QByteArray> whole = client.fetch(page, 1 << 20);
    QVERIFY(whole && whole->contains("<title>"));
    QVERIFY(!client.fetch(page, whole->size() - 1));
    QVERIFY(!client.fetch(StreamURL, 1 << 20));
}

void TestHttp::fetchGivesWayToCancellation()
{
    m_fixture->site.addFault(*SiteFault::parse(u"path=/watch,stall-after=10"_s));
    std::atomic<int> looks = 0;
    HttpClient client([&looks] { return ++looks > 3; });
    QVERIFY(!client.fetch(QUrl(u"http://www.youtube.com/watch?v=stalled"_s), 1 << 20));
    QVERIFY(looks > 3);
}

void TestHttp::rangeAndErrorBodies()
{
    HttpClient client;
    const QByteArray stream = m_fixture->streamBytes(18);
    HttpConnection::Response response;
    QByteArray body;
    bool finished = false;
    auto connection = client.open(StreamURL, stream.size() - 1000, {
        .response = [&](const HttpConnection::Response &r) { response = r; },
        .data = [&](QIODevice &device) { body += device.readAll(); },
        .finished = [&] { finished = true; },
        .failed = {},
    });
    QTRY_VERIFY((connection->pump(), finished));
    QCOMPARE(response.statusCode, 206);
    QCOMPARE(response.rangeFirst, stream.size() - 1000);
    QCOMPARE(response.rangeTotal, stream.size());
    QCOMPARE(response.contentLength, 1000);
    QCOMPARE(body, stream.right(1000));
    QCOMPARE(m_fixture->site.requests().last().header("range"), "bytes=" + QByteArray::number(stream.size() - 1000) + '-');

    m_fixture->site.addFault(*SiteFault::parse(u"path=/videoplayback,status=500"_s));
    QString reason;
    bool gotData = false;
    connection = client.open(StreamURL, 0, {
        .response = [&](const HttpConnection::Response &) { gotData = true; },
        .data = [&](QIODevice &) { gotData = true; },
        .finished = [&] { gotData = true; },
        .failed = [&](const QString &why) { reason = why; },
    });
    QTRY_VERIFY((connection->pump(), !reason.isEmpty()));
    QCOMPARE(reason, u"HTTP 500"_s);
    QVERIFY(!gotData);
}

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
