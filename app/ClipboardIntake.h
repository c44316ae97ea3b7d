#pragma once

#include "ClipboardSnapshot.h"
#include "ThreadHandOff.h"
#include "YoutubeClipboardObserver.h"

#include <QObject>
#include <QStringList>

#include <optional>

class YoutubeProgramPreferences;

// Links the user copies anywhere come to the list: the observer's thread
// reads a snapshot of the clipboard that this class keeps, and knows the
// text the program put there itself (Copy, Cut) from the user's, so that
// what the window copies is not added back. GUI thread only.
class ClipboardIntake final : public QObject
{
    Q_OBJECT

public:
    explicit ClipboardIntake(YoutubeProgramPreferences &preferences, QObject *parent = nullptr);
    ~ClipboardIntake() override;

    // From now on copied links are announced with linksCopied(), those on
    // the clipboard already included.
    void start();
    // Waits for the observer's thread to end: nothing is announced after it.
    void stop();
    // Puts the links on the clipboard, where the observer knows them as ours.
    void copyLinks(const QStringList &links);

Q_SIGNALS:
    void linksCopied(const QStringList &links);

private:
    void takeSnapshot();

    ThreadHandOff m_guiThread;
    ClipboardSnapshot m_clipboard;
    YoutubeClipboardObserver m_observer;
    // What the program last put on the clipboard, while it is still there.
    std::optional<QString> m_ownText;
};
