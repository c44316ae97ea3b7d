#include "SampleSite.h"

#include "SampleSiteConnection.h"
#include "WorkerThread.h"

#include <QEventLoop>
#include <QFile>
#include <QTcpServer>

#include <future>

using namespace Qt::Literals::StringLiterals;

SampleSite::SampleSite(Options options)
    : m_options(std::move(options)), m_media(m_options.mediaDirectory)
{
}

SampleSite::~SampleSite()
{
    // Ends the loop, then joins: the thread serves from the members below,
    // so they may go only once it has provably ended, however long a
    // response takes.
    {
        std::lock_guard lock(m_loopMutex);
        m_stopping = true;
        if (m_loop)
            m_loop->wakeUp();
    }
    m_thread.reset();
}

bool SampleSite::start(quint16 port)
{
    std::promise<quint16> listening;
    m_thread = std::make_unique<WorkerThread>(u"sample site"_s, [this, port, &listening](WorkerThread &) {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, port)) {
            listening.set_value(0);
            return;
        }
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                new SampleSiteConnection(socket, *this);
        });
        listening.set_value(server.serverPort());
        // Asleep until a connection comes or the site goes: no timer wakes
        // it. The flag, not a queued call, ends it: a hand-over through our
        // own lock is one ThreadSanitizer can see.
        QEventLoop loop;
        const auto stopping = [this, &loop] {
            std::lock_guard lock(m_loopMutex);
            m_loop = m_stopping ? nullptr : &loop;
            return m_stopping;
        };
        while (!stopping())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        // Connections are children of their sockets, which are children of
        // the server: they go with it.
    });
    m_thread->start();
    m_port = listening.get_future().get();
    return m_port != 0;
}

QString SampleSite::proxyUrl() const
{
    return u"http://127.0.0.1:%1"_s.arg(m_port);
}

void SampleSite::addFault(const SiteFault &fault)
{
    std::lock_guard lock(m_mutex);
    m_faults.append(fault);
}

void SampleSite::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void SampleSite::setPage(const QString &code, const QByteArray &html)
{
    std::lock_guard lock(m_mutex);
    m_pages.insert(code, html);
}

QList<SiteRequest> SampleSite::requests() const
{
    std::lock_guard lock(m_mutex);
    // A list of its own, not one shared with the records: the server goes on
    // counting bytes into those, and must never find them shared.
    return QList<SiteRequest>(m_requests.cbegin(), m_requests.cend());
}

QList<SiteRequest> SampleSite::requests(const QString &pathPrefix) const
{
    QList<SiteRequest> matching;
    for (const SiteRequest &request : requests()) {
        if (request.path.startsWith(pathPrefix))
            matching.append(request);
    }
    return matching;
}

void SampleSite::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requestsCleared += m_requests.size();
    m_requests.clear();
}

qsizetype SampleSite::record(const SiteRequest &request)
{
    std::lock_guard lock(m_mutex);
    m_requests.append(request);
    return m_requestsCleared + m_requests.size() - 1;
}

void SampleSite::countBytesSent(qsizetype ticket, qint64 headBytes, qint64 bodyBytes)
{
    std::lock_guard lock(m_mutex);
    const qsizetype index = ticket - m_requestsCleared;
    if (index < 0 || index >= m_requests.size())
        return;
    m_requests[index].headBytesSent += headBytes;
    m_requests[index].bodyBytesSent += bodyBytes;
}

std::optional<SiteFault> SampleSite::takeFault(const QString &path)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (!path.startsWith(it->pathPrefix))
            continue;
        SiteFault fault = *it;
        if (it->times > 0 && --it->times == 0)
            m_faults.erase(it);
        return fault;
    }
    return std::nullopt;
}

std::optional<QByteArray> SampleSite::page(const QString &code) const
{
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_pages.constFind(code); it != m_pages.constEnd())
            return *it;
    }
    if (m_options.pagesDirectory.isEmpty() || code.contains(u'/') || code.startsWith(u'.'))
        return std::nullopt;
    QFile file(m_options.pagesDirectory + u'/' + code + u".html"_s);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}
