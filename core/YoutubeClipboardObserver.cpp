#include "YoutubeClipboardObserver.h"

#include "ClipboardSnapshot.h"
#include "NotificationCenter.h"
#include "StringUtils.h"
#include "WorkerThread.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

using namespace Qt::Literals::StringLiterals;

YoutubeClipboardObserver::YoutubeClipboardObserver(const ClipboardSnapshot &clipboard,
                                                   const YoutubeProgramPreferences &preferences,
                                                   std::chrono::milliseconds pollInterval)
    : m_clipboard(clipboard), m_preferences(preferences), m_pollInterval(pollInterval)
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
    m_observerThread = std::make_unique<WorkerThread>(u"clipboard"_s, [this](WorkerThread &thread) {
        observerLoop(thread);
    });
    m_observerThread->start();
}

void YoutubeClipboardObserver::stopObserver()
{
    // Destroying the thread cancels it and waits for its end.
    m_observerThread.reset();
}

void YoutubeClipboardObserver::observerLoop(WorkerThread &thread)
{
    while (!thread.isCancelled()) {
        if (m_preferences.autoAddFromPasteboard())
            poll();
        else
            m_lastVersionSeen.reset();
        thread.sleepFor(m_pollInterval);
    }
}

void YoutubeClipboardObserver::poll()
{
    // Text already looked at gives the same lines and the same verdict:
    // a large clipboard is not split ten times a second.
    const ClipboardSnapshot::Content content = m_clipboard.content();
    if (m_lastVersionSeen == content.version)
        return;
    m_lastVersionSeen = content.version;
    if (!content.text)
        return;
    const QStringList links = YoutubeDownloader::youtubesURLsFromText(*content.text);
    if (links.isEmpty() || StringUtils::areStringsArrayEqual(links, m_lastAddedURLs))
        return;
    // Links the program copied or cut itself are not news: announced, they
    // would bring back the rows a Cut just took away. They count as the
    // last announced, so copying them again from elsewhere adds nothing.
    if (content.ours) {
        m_lastAddedURLs = links;
        return;
    }
    NotificationCenter::defaultCenter().post(YOUTUBE_ADD_URLS_FROM_PASTERBOARD.toString(), this,
                                             {{YOUTUBE_ADD_URLS_FROM_PASTERBOARD_KEY_NAME.toString(), links}});
    m_lastAddedURLs = links;
}
