#include "DownloadList.h"

#include "DownloadListInbox.h"
#include "KeptItem.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QThread>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

// Page loads beyond this wait their turn: a thousand links pasted at once
// would otherwise start a thousand transfers and starve the GUI thread.
constexpr int MaxPageLoads = 6;
// A thread that outlasts quitting's time limit is waited for in steps this
// long, each told in the log.
constexpr auto StragglerWait = 2s;

// Rows are redrawn at most this often, however fast their items report.
constexpr int BatchIntervalMs = 100;
// Bytes arriving are saved at most this often.
constexpr int SaveIntervalMs = 1000;

bool isStatus(const DownloadList::Item &item, std::initializer_list<YoutubeStatus> statuses)
{
    return std::find(statuses.begin(), statuses.end(), item->youtubeStatus()) != statuses.end();
}

} // namespace

DownloadList::DownloadList(YoutubeProgramPreferences &preferences, QObject *parent)
    : QObject(parent),
      m_preferences(preferences),
      m_inbox(std::make_shared<DownloadListInbox>(*this)),
      m_pages([] { return MaxPageLoads; }),
      m_downloads([this] { return slotCount(); }),
      // Each conversion keeps a core busy decoding and another encoding.
      m_conversions([] { return std::max(1, QThread::idealThreadCount()); })
{
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(BatchIntervalMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &DownloadList::flushChanges);
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &DownloadList::saveNow);
}

DownloadList::~DownloadList()
{
    close();
    m_inbox->detach();
    // No thread outlives the list, however long it takes.
    for (const Item &item : std::as_const(m_leaving)) {
        while (!item->joinWork(std::chrono::steady_clock::now() + StragglerWait))
            qWarning("Still waiting for the work on %s to end", qPrintable(item->youtubeURL()));
    }
}

DownloadList::Items DownloadList::add(const QStringList &candidates, const QString &folder)
{
    Items added;
    for (const QString &candidate : candidates) {
        const std::optional<QString> link = SourceLinks::link(candidate);
        if (!link || m_links.contains(*link))
            continue;
        auto item = YoutubeDownloader::create(*link, m_inbox, m_preferences);
        item->setSavedFolderPath(folder);
        added.append(enlist(std::move(item)));
    }
    if (added.isEmpty())
        return added;
    Q_EMIT this->added(added);
    for (const auto &item : added)
        follow(*item);
    admit();
    saveSoon(0);
    return added;
}

qsizetype DownloadList::countListed(const QStringList &candidates) const
{
    qsizetype listed = 0;
    QSet<QString> brought;
    for (const QString &candidate : candidates) {
        const std::optional<QString> link = SourceLinks::link(candidate);
        if (!link)
            continue;
        if (m_links.contains(*link) || brought.contains(*link))
            ++listed;
        else
            brought.insert(*link);
    }
    return listed;
}

void DownloadList::restore(const QList<KeptListFile::Item> &saved)
{
    Items restored;
    for (const KeptListFile::Item &entry : saved) {
        if (SourceLinks::link(entry.link) == entry.link && !m_links.contains(entry.link))
            restored.append(enlist(YoutubeDownloader::restore(entry, m_inbox, m_preferences)));
    }
    if (restored.isEmpty())
        return;
    Q_EMIT added(restored);
    for (const auto &item : restored) {
        item->continueRestored();
        follow(*item);
    }
    admit();
    saveSoon(0);
}

const DownloadList::Item &DownloadList::enlist(Item item)
{
    item->setQueued();
    auto row = std::make_shared<RowRecord>(m_inbox, item);
    item->setRowViews(row);
    m_links.insert(item->youtubeURL());
    m_entries.insert(item.get(), {m_nextOrder++, std::move(row)});
    m_items.append(std::move(item));
    return m_items.constLast();
}

void DownloadList::remove(const Items &items)
{
    Items leaving;
    for (const Item &item : items) {
        if (!m_entries.contains(item.get()))
            continue;
        item->stopWork();
        leaving.append(item);
    }
    forget(leaving);
}

void DownloadList::removeAll()
{
    remove(m_items);
}

void DownloadList::close()
{
    if (std::exchange(m_closing, true))
        return;
    m_saveTimer.stop();
    const Items items = m_items;
    // A list nobody keeps leaves no partial file for nobody to claim.
    YoutubeDownloader::removeAll(items + Items(m_leaving.cbegin(), m_leaving.cend()),
                                 m_writer ? YoutubeDownloader::PartialFiles::Keep : YoutubeDownloader::PartialFiles::Delete);
    if (m_writer) {
        // Taken once the items have stopped, so that no file changes after.
        QList<KeptListFile::Item> kept;
        kept.reserve(items.size());
        for (const Item &item : items)
            kept.append(KeptItem::of(*item));
        m_writer->save(std::move(kept));
        m_writer.reset();
    }
    forget(items);
}

void DownloadList::download(const Items &items)
{
    for (const auto &item : items) {
        // A page read again takes a new turn: the line may not have heard
        // yet that its last reading ended.
        if (isPageFailure(item->youtubeStatus()))
            leaveLines(*item);
        item->downloadVideo();
    }
}

void DownloadList::pause(const Items &items)
{
    for (const auto &item : items)
        item->pause();
}

void DownloadList::resume(const Items &items)
{
    for (const auto &item : items)
        item->resume();
}

void DownloadList::downloadAll()
{
    download(m_items);
}

void DownloadList::pauseAll()
{
    pause(m_items);
}

void DownloadList::resumeAll()
{
    resume(m_items);
}

bool DownloadList::hasRunning() const
{
    return std::any_of(m_items.cbegin(), m_items.cend(),
                       [](const Item &item) { return isStatus(item, {StatusDownloading, StatusConverting}); });
}

bool DownloadList::hasPaused() const
{
    return std::any_of(m_items.cbegin(), m_items.cend(),
                       [](const Item &item) { return isStatus(item, {StatusDownloadPaused, StatusConvertPaused}); });
}

RowRecord::State DownloadList::rowState(const YoutubeDownloader &item) const
{
    const auto found = m_entries.constFind(&item);
    return found == m_entries.cend() ? RowRecord::State() : found->row->state();
}

// ---- reports from the items

void DownloadList::takeStatusChange(YoutubeDownloader &item)
{
    m_handOff.post([this, weak = item.weak_from_this(), status = item.youtubeStatus(),
                    stoppedOnFailure = item.hasStoppedOnFailure()] { handleStatus(weak, status, stoppedOnFailure); });
    takeRowChange(item);
}

void DownloadList::takeRowChange(YoutubeDownloader &item)
{
    {
        std::lock_guard lock(m_changesMutex);
        // An address may come back for a new item once the old one is gone.
        auto &change = m_changes[&item];
        if (change.expired())
            change = item.weak_from_this();
    }
    scheduleBatch();
}

void DownloadList::takeWorkEnded(const std::weak_ptr<YoutubeDownloader> &item)
{
    m_handOff.post([this, item] { reap(item); });
}

void DownloadList::takeFilesChange()
{
    m_handOff.post([this] { saveSoon(0); });
}

// A playlist's row gives way to a row for each of its entries.
void DownloadList::takeEntries(YoutubeDownloader &item, const QStringList &links)
{
    m_handOff.post([this, weak = item.weak_from_this(), links] {
        const Item playlist = weak.lock();
        if (!playlist || !m_entries.contains(playlist.get()) || playlist->youtubeStatus() == StatusRemoved)
            return;
        // Two playlists that list each other would take turns for ever.
        if (m_playlistEntries.contains(playlist->youtubeURL())) {
            playlist->setStatusNote(StringUtils::langStr(417));
            playlist->changeYoutubeStatus(StatusLoadingInfo, StatusNoStream);
            return;
        }
        for (const Item &entry : add(links, playlist->savedFolderPath()))
            m_playlistEntries.insert(entry->youtubeURL());
        remove({playlist});
    });
}

void DownloadList::scheduleBatch()
{
    std::lock_guard lock(m_changesMutex);
    if (!std::exchange(m_batchDue, true))
        m_handOff.post([this] { m_batchTimer.start(); });
}

void DownloadList::handleStatus(const std::weak_ptr<YoutubeDownloader> &item, YoutubeStatus status,
                                bool stoppedOnFailure)
{
    const auto alive = item.lock();
    if (!alive || !m_entries.contains(alive.get()))
        return;
    follow(*alive);
    admit();
    Q_EMIT statusChanged(alive, status, stoppedOnFailure);
    saveSoon(0);
}

void DownloadList::flushChanges()
{
    numberLines();
    QHash<const YoutubeDownloader *, std::weak_ptr<YoutubeDownloader>> changes;
    {
        std::lock_guard lock(m_changesMutex);
        changes.swap(m_changes);
        m_batchDue = false;
    }
    Items items;
    for (const auto &change : std::as_const(changes)) {
        if (auto alive = change.lock(); alive && m_entries.contains(alive.get()))
            items.append(std::move(alive));
    }
    if (items.isEmpty())
        return;
    Q_EMIT changed(items);
    saveSoon(SaveIntervalMs);
}

// Changes that come together are saved together, after the event loop's
// turn that brought them.
void DownloadList::saveSoon(int delayMs)
{
    if (m_writer && (!m_saveTimer.isActive() || m_saveTimer.remainingTime() > delayMs))
        m_saveTimer.start(delayMs);
}

void DownloadList::saveTo(const QString &path)
{
    m_writer = std::make_unique<ListWriter>(path, [this](bool written, const QString &reason) {
        m_handOff.post([this, written, reason] { takeSaveOutcome(written, reason); });
    });
    saveNow();
}

// Said once per change: a list saved every second would otherwise repeat
// the same failure every second.
void DownloadList::takeSaveOutcome(bool written, const QString &reason)
{
    std::optional<QString> failure = written ? std::nullopt : std::optional(reason);
    if (failure == m_saveFailure)
        return;
    m_saveFailure = std::move(failure);
    if (m_saveFailure)
        Q_EMIT saveFailed(*m_saveFailure);
    else
        Q_EMIT savedAgain();
}

void DownloadList::saveNow()
{
    if (!m_writer || m_closing)
        return;
    m_saveTimer.stop();
    QList<KeptListFile::Item> items;
    items.reserve(m_items.size());
    for (const Item &item : std::as_const(m_items))
        items.append(KeptItem::of(*item));
    m_writer->save(std::move(items));
}

// One pass over the list however many leave: quitting with thousands of
// items must not take a pass for each.
void DownloadList::forget(const Items &leaving)
{
    QSet<const YoutubeDownloader *> gone;
    for (const Item &item : leaving) {
        const auto found = m_entries.constFind(item.get());
        if (found == m_entries.cend())
            continue;
        leaveLines(*item);
        m_entries.erase(found);
        m_links.remove(item->youtubeURL());
        m_inbox->releaseFileName(*item);
        if (item->hasWorkRunning())
            m_leaving.insert(item.get(), item);
        gone.insert(item.get());
    }
    if (gone.isEmpty())
        return;
    // Kept until the signal is out: the list may hold the last references.
    Items removedItems;
    Items kept;
    kept.reserve(m_items.size() - gone.size());
    for (Item &item : m_items)
        (gone.contains(item.get()) ? removedItems : kept).append(std::move(item));
    m_items = std::move(kept);
    Q_EMIT removed(removedItems);
    admit();
    saveSoon(0);
}

// A removed item's thread has ended: joining it takes no time, and the item
// goes once all its threads have.
void DownloadList::reap(const std::weak_ptr<YoutubeDownloader> &item)
{
    const Item alive = item.lock();
    if (!alive || !m_leaving.contains(alive.get()) || alive->hasWorkRunning())
        return;
    alive->joinWork(std::chrono::steady_clock::now());
    m_leaving.remove(alive.get());
}

// ---- order

void DownloadList::moveBy(const Items &items, int step)
{
    QSet<const YoutubeDownloader *> moving;
    for (const Item &item : items)
        moving.insert(item.get());
    Items order = m_items;
    // Each moving row swaps with the row beside it unless that one moves
    // too: a block moves as one, and the first row up stays where it is.
    const qsizetype count = order.size();
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype i = step < 0 ? k : count - 1 - k;
        const qsizetype j = i + (step < 0 ? -1 : 1);
        if (j >= 0 && j < count && moving.contains(order.at(i).get()) && !moving.contains(order.at(j).get()))
            order.swapItemsAt(i, j);
    }
    reorder(std::move(order));
}

void DownloadList::moveTo(const Items &items, int row)
{
    QSet<const YoutubeDownloader *> moving;
    for (const Item &item : items) {
        if (m_entries.contains(item.get()))
            moving.insert(item.get());
    }
    Items block;
    Items rest;
    qsizetype insertAt = 0;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const Item &item = m_items.at(i);
        (moving.contains(item.get()) ? block : rest).append(item);
        if (i < row && !moving.contains(item.get()))
            insertAt = rest.size();
    }
    for (qsizetype i = 0; i < block.size(); ++i)
        rest.insert(insertAt + i, block.at(i));
    reorder(std::move(rest));
}

void DownloadList::reorder(Items items)
{
    if (items == m_items)
        return;
    m_items = std::move(items);
    qint64 order = 0;
    for (const Item &item : std::as_const(m_items))
        m_entries[item.get()].order = order++;
    m_nextOrder = order;
    const auto orders = [this](YoutubeDownloader *item) { return orderOf(item); };
    for (WorkLine *line : {&m_pages, &m_downloads, &m_conversions})
        line->reorder(orders);
    m_lineMoved = true;
    scheduleBatch();
    Q_EMIT moved();
    saveSoon(0);
}

// ---- the queue

void DownloadList::follow(YoutubeDownloader &item)
{
    const qint64 order = orderOf(&item);
    const YoutubeStatus status = item.youtubeStatus();
    const auto place = [&](WorkLine &line, bool inLine) {
        if (inLine) {
            line.join(order, &item);
        } else if (line.leave(&item)) {
            item.setPlaceInLine(-1);
            m_toldWaiting.remove(&item);
        }
        m_lineMoved = true;
    };
    place(m_pages, status == StatusLoadingInfo);
    place(m_downloads, status == StatusDownloading);
    if (!m_downloads.holdsPlace(&item))
        item.revokeDownloadSlot();
    place(m_conversions, status == StatusConverting);
    if (status != StatusConverting)
        item.setWaitingForCore(false);
}

void DownloadList::leaveLines(YoutubeDownloader &item)
{
    for (WorkLine *line : {&m_pages, &m_downloads, &m_conversions})
        line->leave(&item);
    m_toldWaiting.remove(&item);
    m_lineMoved = true;
}

void DownloadList::followLimit()
{
    for (YoutubeDownloader *item : m_downloads.sendBack([this](YoutubeDownloader *item) { return orderOf(item); })) {
        item->revokeDownloadSlot();
        m_lineMoved = true;
    }
    admit();
}

void DownloadList::admit()
{
    admitTo(m_pages, StatusLoadingInfo, &YoutubeDownloader::loadYoutubeContent);
    admitTo(m_downloads, StatusDownloading, &YoutubeDownloader::grantDownloadSlot);
    admitTo(m_conversions, StatusConverting, &YoutubeDownloader::grantCore);
    if (m_lineMoved)
        scheduleBatch();
}

// An item paused or removed since it joined leaves again: its report is on
// the way, but its place is for the next one now.
void DownloadList::admitTo(WorkLine &line, YoutubeStatus status, void (YoutubeDownloader::*start)())
{
    for (QList<YoutubeDownloader *> admitted = line.admit(); !admitted.isEmpty(); admitted = line.admit()) {
        m_lineMoved = true;
        for (YoutubeDownloader *item : admitted) {
            if (item->youtubeStatus() != status) {
                line.leave(item);
                continue;
            }
            item->setPlaceInLine(-1);
            if (m_toldWaiting.remove(item))
                Q_EMIT waiting(item->shared_from_this(), false);
            (item->*start)();
        }
    }
}

// Once per batch, not at every move: pausing a thousand waiting items would
// otherwise renumber the lines a thousand times.
void DownloadList::numberLines()
{
    if (!std::exchange(m_lineMoved, false))
        return;
    const auto tellWaiting = [this](YoutubeDownloader *item) {
        if (!m_toldWaiting.contains(item)) {
            m_toldWaiting.insert(item);
            Q_EMIT waiting(item->shared_from_this(), true);
        }
    };
    for (WorkLine *line : {&m_pages, &m_downloads}) {
        int ahead = 0;
        for (YoutubeDownloader *item : line->waiting()) {
            item->setPlaceInLine(ahead++);
            tellWaiting(item);
        }
    }
    for (YoutubeDownloader *item : m_conversions.waiting()) {
        item->setWaitingForCore(true);
        tellWaiting(item);
    }
}

qint64 DownloadList::orderOf(const YoutubeDownloader *item) const
{
    return m_entries.value(item).order;
}

int DownloadList::slotCount() const
{
    return m_preferences.simultaneousDownloads();
}
