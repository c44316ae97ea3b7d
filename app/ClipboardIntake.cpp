#include "ClipboardIntake.h"

#include "NotificationCenter.h"
#include "YoutubeConstants.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

ClipboardIntake::ClipboardIntake(YoutubeProgramPreferences &preferences, QObject *parent)
    : QObject(parent), m_observer(m_clipboard, preferences)
{
}

ClipboardIntake::~ClipboardIntake()
{
    stop();
    NotificationCenter::defaultCenter().removeObserver(this);
}

void ClipboardIntake::start()
{
    // The clipboard belongs to this thread; the observer reads a copy.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &ClipboardIntake::takeSnapshot);
    takeSnapshot();
    // Listening before the observer starts: its first announcement is not
    // repeated, so none may be lost.
    NotificationCenter::defaultCenter().addObserver(
        this, YOUTUBE_ADD_URLS_FROM_CLIPBOARD.toString(), nullptr, [this](const Notification &posted) {
            const QVariant links = posted.userInfo.value(YOUTUBE_ADD_URLS_FROM_CLIPBOARD_KEY_NAME.toString());
            if (links.isValid())
                m_guiThread.post([this, links = links.toStringList()] { Q_EMIT linksCopied(links); });
        });
    m_observer.startObserver();
}

void ClipboardIntake::stop()
{
    m_observer.stopObserver();
}

void ClipboardIntake::copyLinks(const QStringList &links)
{
    if (links.isEmpty())
        return;
    m_ownText = links.join(u'\n');
    QGuiApplication::clipboard()->setText(*m_ownText);
}

void ClipboardIntake::takeSnapshot()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const std::optional<QString> text = data && data->hasText() ? std::optional(data->text()) : std::nullopt;
    if (text != m_ownText)
        m_ownText.reset();
    m_clipboard.setText(text, text && text == m_ownText);
}
