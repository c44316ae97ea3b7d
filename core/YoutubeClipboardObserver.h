#pragma once

#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

class ClipboardSnapshot;
class WorkerThread;
class YoutubeProgramPreferences;

// Adds links the user copies anywhere: a thread of its own looks at the
// clipboard whenever its text or the setting autoAddFromPasteboard changes,
// and announces its video-link lines with "YoutubeAddURLFromPasteboard" (on
// that thread) whenever they differ from the last lines announced, unless the
// program put them there itself. Between looks it sleeps without waking. The
// setting is read at every look. The last lines are kept with the
// preferences: links still on the clipboard at the next start are no news,
// and a row the user removed meanwhile does not come back.
class YoutubeClipboardObserver final
{
public:
    YoutubeClipboardObserver(const ClipboardSnapshot &clipboard, YoutubeProgramPreferences &preferences);
    ~YoutubeClipboardObserver();
    YoutubeClipboardObserver(const YoutubeClipboardObserver &) = delete;
    YoutubeClipboardObserver &operator=(const YoutubeClipboardObserver &) = delete;

    void startObserver();
    // Wakes the thread and waits for its end.
    void stopObserver();

private:
    void observerLoop();
    void lookAtClipboard();
    void remember(const QStringList &links);
    void wake();

    const ClipboardSnapshot &m_clipboard;
    YoutubeProgramPreferences &m_preferences;
    std::unique_ptr<WorkerThread> m_observerThread;

    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCondition;
    bool m_changed = false; // since the thread's last look began
    bool m_stopping = false;

    // The observer thread's alone.
    QStringList m_lastAddedURLs;
    std::optional<quint64> m_lastVersionSeen;
};
