#include "ClipboardSnapshot.h"

#include "NotificationCenter.h"

void ClipboardSnapshot::setText(std::optional<QString> text, bool ours)
{
    {
        std::lock_guard lock(m_mutex);
        m_content.text = std::move(text);
        m_content.ours = ours;
        ++m_content.version;
    }
    NotificationCenter::defaultCenter().post(NOTIFICATION_CLIPBOARD_SNAPSHOT_CHANGED.toString(), this);
}

ClipboardSnapshot::Content ClipboardSnapshot::content() const
{
    std::lock_guard lock(m_mutex);
    return m_content;
}
