#pragma once

#include "ListWriter.h"
#include "RowRecord.h"
#include "ThreadHandOff.h"
#include "YoutubeStatus.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

class DownloadListInbox;
class YoutubeDownloader;
class YoutubeProgramPreferences;

// The download list: its items in the order they were added, no link
// twice, and the line of downloads waiting for one of the slots the
// preferences allow. It is its items' owner: what they report from their
// threads arrives here, and leaves as signals on the list's thread, row
// changes gathered into one batch per tick. Everything but the reports is
// called on the list's thread.
class DownloadList final : public QObject
{
    Q_OBJECT

public:
    using Item = std::shared_ptr<YoutubeDownloader>;
    using Items = QList<Item>;

    explicit DownloadList(YoutubeProgramPreferences &preferences, QObject *parent = nullptr);
    // Closes the list (see close()).
    ~DownloadList() override;

    const Items &items() const { return m_items; }
    // New items for the candidates that are links not in the list yet, saving
    // into `folder`; their pages start loading.
    Items add(const QStringList &candidates, const QString &folder);
    // Stops the items' work within a few seconds even with stalled
    // connections, deletes their partial files and takes them out.
    void remove(const Items &items);
    void removeAll();
    // Quitting: stops every item within a few seconds like removeAll(), but
    // a kept list (see saveTo()) keeps the partial files, and the list as it
    // was, for the next run.
    void close();
    // The items an earlier run kept, after those already listed, each in the
    // status its files on disk allow; pages that had not loaded load again.
    void restore(const QList<KeptListFile::Item> &saved);

    // What the user asks of some items, from a row, a menu, a key or the
    // command line: each goes through the list, which owns the queue.
    void download(const Items &items);
    void pause(const Items &items);
    void resume(const Items &items);
    void downloadAll();
    void pauseAll();
    void resumeAll();
    bool hasRunning() const;
    bool hasPaused() const;
    // After the number of simultaneous downloads changed: waiting downloads
    // start while slots are free, or the last started go back to waiting.
    void followLimit();

    RowRecord::State rowState(const YoutubeDownloader &item) const;

    // From now on the list is kept in `path`: at once when items come, go or
    // change their status, at most once a second while bytes arrive, and as
    // it was when the list goes. saveFailed() and savedAgain() tell when
    // writing it starts and stops failing.
    void saveTo(const QString &path);

Q_SIGNALS:
    void added(const DownloadList::Items &items);
    // Items taken out together, in the list's order.
    void removed(const DownloadList::Items &items);
    // Items whose row changed since the last batch, in no order.
    void changed(const DownloadList::Items &items);
    // Every status change, in order; `stoppedOnFailure` as judged when it
    // happened.
    void statusChanged(const DownloadList::Item &item, YoutubeStatus status, bool stoppedOnFailure);
    // The kept list could not be written, or not for another reason than
    // last time; what is on disk is older than the list.
    void saveFailed(const QString &reason);
    // A write reached the disk after one that failed.
    void savedAgain();

private:
    friend class DownloadListInbox;
    // Any thread, under the inbox's lock.
    void takeStatusChange(YoutubeDownloader &item);
    void takeRowChange(YoutubeDownloader &item);
    void takeFilesChange();
    void takeEntries(YoutubeDownloader &item, const QStringList &links);
    // The list's thread.
    void forget(const QList<YoutubeDownloader *> &leaving);
    const Item &enlist(Item item);

    struct Entry
    {
        qint64 order = 0;
        std::shared_ptr<RowRecord> row;
    };

    void handleStatus(const std::weak_ptr<YoutubeDownloader> &item, YoutubeStatus status, bool stoppedOnFailure);
    void queueOrRelease(YoutubeDownloader &item);
    void leaveQueue(YoutubeDownloader &item, qint64 order);
    void admit();
    void numberLine();
    int slotCount() const;
    // Any thread.
    void scheduleBatch();
    void flushChanges();
    void saveSoon(int delayMs);
    void saveNow();
    void takeSaveOutcome(bool written, const QString &reason);

    YoutubeProgramPreferences &m_preferences;
    std::shared_ptr<DownloadListInbox> m_inbox;
    ThreadHandOff m_handOff;
    Items m_items;
    QHash<const YoutubeDownloader *, Entry> m_entries;
    QSet<QString> m_links;
    // Links a playlist brought: no playlist among them is opened.
    QSet<QString> m_playlistEntries;
    qint64 m_nextOrder = 0;

    // Downloads started but waiting, by list order, and those holding a slot.
    std::map<qint64, YoutubeDownloader *> m_line;
    QSet<const YoutubeDownloader *> m_running;
    // The places shown are out of date.
    bool m_lineMoved = false;

    // Rows changed since the last batch, from any thread.
    std::mutex m_changesMutex;
    QHash<const YoutubeDownloader *, std::weak_ptr<YoutubeDownloader>> m_changes;
    bool m_batchDue = false;
    QTimer m_batchTimer;

    std::unique_ptr<ListWriter> m_writer;
    QTimer m_saveTimer;
    // Why the last write failed; none while the last one reached the disk.
    std::optional<QString> m_saveFailure;
    // Quitting takes the items out, but the list kept is the one before.
    bool m_closing = false;
};
