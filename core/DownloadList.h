#pragma once

#include "ListWriter.h"
#include "RowRecord.h"
#include "ThreadHandOff.h"
#include "WorkLine.h"
#include "YoutubeStatus.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <mutex>
#include <optional>

class DownloadListInbox;
class YoutubeDownloader;
class YoutubeProgramPreferences;

// The download list: its items in the user's order, no link twice, and the
// queue: page loads, downloads and conversions each wait in the list's order
// for one of their places (six page loads, the downloads the preferences
// allow, a conversion per core). It is its items' owner: every action the
// user takes on them comes through here, what they report from their threads
// arrives here, and leaves as signals on the list's thread, row changes
// gathered into one batch per tick. Everything but the reports is called on
// the list's thread, and nothing here waits for a worker but close().
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
    // How many of the candidates add() would leave out as listed: already in
    // the list, or brought by an earlier candidate.
    qsizetype countListed(const QStringList &candidates) const;
    // Takes the items out at once; their work stops by itself soon after,
    // and their partial files go with it.
    void remove(const Items &items);
    void removeAll();
    // Quitting: stops every item's work and waits for it, all within one
    // time limit; a kept list (see saveTo()) keeps the partial files, and
    // the list as it was, for the next run. The threads that outlast the
    // limit are joined when the list goes.
    void close();
    // Moves the items one row up (-1) or down (+1) each, past the rows not
    // moved; the queue follows the new order.
    void moveBy(const Items &items, int step);
    // Moves the items together, in their order, to stand before `row` (a
    // row of the list as it is; its size for the end).
    void moveTo(const Items &items, int row);
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
    // The list's order changed (see moveBy()).
    void moved();
    // An item began to wait in the queue, or its turn came after it waited.
    void waiting(const DownloadList::Item &item, bool waits);
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
    void takeWorkEnded(const std::weak_ptr<YoutubeDownloader> &item);
    // The list's thread.
    void forget(const Items &leaving);
    void reap(const std::weak_ptr<YoutubeDownloader> &item);
    void reorder(Items items);
    const Item &enlist(Item item);

    struct Entry
    {
        qint64 order = 0;
        std::shared_ptr<RowRecord> row;
    };

    void handleStatus(const std::weak_ptr<YoutubeDownloader> &item, YoutubeStatus status, bool stoppedOnFailure);
    // Puts the item in the line its status calls for, out of the others.
    void follow(YoutubeDownloader &item);
    void leaveLines(YoutubeDownloader &item);
    void admit();
    // Starts the work of the items whose turn came (`start` on each).
    void admitTo(WorkLine &line, YoutubeStatus status, void (YoutubeDownloader::*start)());
    void numberLines();
    qint64 orderOf(const YoutubeDownloader *item) const;
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

    WorkLine m_pages;
    WorkLine m_downloads;
    WorkLine m_conversions;
    // The places shown are out of date.
    bool m_lineMoved = false;
    // Items told to be waiting, until their turn comes.
    QSet<const YoutubeDownloader *> m_toldWaiting;
    // Removed items whose threads have not ended yet: joined as they end,
    // and at the latest when the list goes.
    QHash<const YoutubeDownloader *, Item> m_leaving;

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
