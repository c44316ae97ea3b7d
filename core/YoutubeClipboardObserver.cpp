#include "YoutubeClipboardObserver.h"

#include "ClipboardSnapshot.h"
#include "NotificationCenter.h"
#include "StringUtils.h"
#include "WorkerThread.h"
#include "YoutubeConstants.h"
#include "SourceLinks.h"
#include "YoutubeProgramPreferences.h"

using namespace Qt::Literals::StringLiterals;

YoutubeClipboardObserver::YoutubeClipboardObserver(const ClipboardSnapshot &clipboard,
                                                   YoutubeProgramPreferences &preferences)
    : m_clipboard(clipboard), m_preferences(preferences)
{
}

YoutubeClipboardObserver::~YoutubeClipboardObserver()
{
    stopObserver();
}

void YoutubeClipboardObserver::startObserver()
{
    if (m_observerThread)
        return;
    {
        std::lock_guard lock(m_wakeMutex);
        m_stopping = false;
    }
    m_lastAddedURLs = m_preferences.lastClipboardLinks();
    // Observed before the thread's first look, so that no change falls
    // between the two.
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, NOTIFICATION_CLIPBOARD_SNAPSHOT_CHANGED.toString(), &m_clipboard,
                       [this](const Notification &) { wake(); });
    center.addObserver(this, NOTIFICATION_AUTO_ADD_FROM_PASTEBOARD_CHANGED.toString(), &m_preferences,
                       [this](const Notification &) { wake(); });
    m_observerThread = std::make_unique<WorkerThread>(u"clipboard"_s, [this](WorkerThread &) { observerLoop(); });
    m_observerThread->start();
}

void YoutubeClipboardObserver::stopObserver()
{
    if (!m_observerThread)
        return;
    {
        std::lock_guard lock(m_wakeMutex);
        m_stopping = true;
    }
    m_wakeCondition.notify_one();
    // Destroying the thread waits for its end.
    m_observerThread.reset();
    NotificationCenter::defaultCenter().removeObserver(this);
}

void YoutubeClipboardObserver::wake()
{
    {
        std::lock_guard lock(m_wakeMutex);
        m_changed = true;
    }
    m_wakeCondition.notify_one();
}

void YoutubeClipboardObserver::observerLoop()
{
    std::unique_lock lock(m_wakeMutex);
    while (!m_stopping) {
        // Cleared before the look, not after it: a change made while the
        // thread looks is then seen at the next wait instead of slept through.
        m_changed = false;
        lock.unlock();
        if (m_preferences.autoAddFromPasteboard())
            lookAtClipboard();
        else
            m_lastVersionSeen.reset();
        lock.lock();
        m_wakeCondition.wait(lock, [this] { return m_changed || m_stopping; });
    }
}

void YoutubeClipboardObserver::lookAtClipboard()
{
    // Text already looked at gives the same lines and the same verdict: a
    // wake for a change the last look already saw splits nothing again.
    const ClipboardSnapshot::Content content = m_clipboard.content();
    if (m_lastVersionSeen == content.version)
        return;
    m_lastVersionSeen = content.version;
    if (!content.text)
        return;
    const QStringList links = SourceLinks::videoSiteLinksFromText(*content.text);
    if (links.isEmpty() || StringUtils::areStringsArrayEqual(links, m_lastAddedURLs))
        return;
    // Links the program copied or cut itself are not news: announced, they
    // would bring back the rows a Cut just took away. They count as the
    // last announced, so copying them again from elsewhere adds nothing.
    if (!content.ours)
        NotificationCenter::defaultCenter().post(YOUTUBE_ADD_URLS_FROM_CLIPBOARD.toString(), this,
                                                 {{YOUTUBE_ADD_URLS_FROM_CLIPBOARD_KEY_NAME.toString(), links}});
    remember(links);
}

void YoutubeClipboardObserver::remember(const QStringList &links)
{
    m_lastAddedURLs = links;
    m_preferences.keepLastClipboardLinks(links);
}
