#pragma once

#include <QString>

#include <mutex>
#include <optional>

// Posted by setText() on its thread, with the snapshot as the object, once the
// new text is there to read.
inline constexpr QStringView NOTIFICATION_CLIPBOARD_SNAPSHOT_CHANGED = u"ClipboardSnapshotChangedNotification";

// The clipboard's plain text as the GUI thread last saw it, for threads that
// may not touch the clipboard themselves. Each change gets a new version
// number, so a reader can tell new text from text it has seen.
class ClipboardSnapshot final
{
public:
    struct Content
    {
        std::optional<QString> text; // none: the clipboard holds no text
        quint64 version = 0;
        // The program put the text there itself (Copy, Cut).
        bool ours = false;
    };

    // GUI thread.
    void setText(std::optional<QString> text, bool ours = false);
    // Any thread.
    Content content() const;

private:
    mutable std::mutex m_mutex;
    Content m_content;
};
