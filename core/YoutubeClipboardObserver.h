#pragma once

#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

class ClipboardSnapshot;
class WorkerThread;
class YoutubeProgramPreferences;

// Adds links the user copies anywhere: a thread of its own looks at the
// clipboard ten times a second and announces its video-link lines with
// "YoutubeAddURLFromPasteboard" (on that thread) whenever they differ from
// the last lines announced, unless the program put them there itself. The
// setting autoAddFromPasteboard is read at every look.
class YoutubeClipboardObserver final
{
public:
    static constexpr std::chrono::milliseconds PollInterval{100};

    YoutubeClipboardObserver(const ClipboardSnapshot &clipboard, const YoutubeProgramPreferences &preferences,
                             std::chrono::milliseconds pollInterval = PollInterval);
    ~YoutubeClipboardObserver();
    YoutubeClipboardObserver(const YoutubeClipboardObserver &) = delete;
    YoutubeClipboardObserver &operator=(const YoutubeClipboardObserver &) = delete;

    void startObserver();
    // Waits for the thread's end.
    void stopObserver();

private:
    void observerLoop(WorkerThread &thread);
    void poll();

    const ClipboardSnapshot &m_clipboard;
    const YoutubeProgramPreferences &m_preferences;
    const std::chrono::milliseconds m_pollInterval;
    std::unique_ptr<WorkerThread> m_observerThread;

    // The observer thread's alone.
    QStringList m_lastAddedURLs;
    std::optional<quint64> m_lastVersionSeen;
};
