#include "DownloadList.h"

#include "DownloadListInbox.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <algorithm>

namespace {

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
    : QObject(parent), m_preferences(preferences), m_inbox(std::make_shared<DownloadListInbox>(*this))
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
        item->loadYoutubeContent();
    saveSoon(0);
    return added;
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
    for (const auto &item : restored)
        item->continueRestored();
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
    YoutubeDownloader::removeAll(items);
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
    YoutubeDownloader::removeAll(items, m_writer ? YoutubeDownloader::PartialFiles::Keep
                                                : YoutubeDownloader::PartialFiles::Delete);
    if (!m_writer)
        return;
    // Taken once the items have stopped, so that no file changes after.
    QList<KeptListFile::Item> kept;
    kept.reserve(items.size());
    for (const Item &item : items)
        kept.append(item->savedItem());
    m_writer->save(std::move(kept));
    m_writer.reset();
}

void DownloadList::download(const Items &items)
{
    for (const auto &item : items)
        item->downloadVideo();
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
    queueOrRelease(*alive);
    Q_EMIT statusChanged(alive, status, stoppedOnFailure);
    saveSoon(0);
}

void DownloadList::flushChanges()
{
    numberLine();
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
        items.append(item->savedItem());
    m_writer->save(std::move(items));
}

// One pass over the list however many leave: quitting with thousands of
// items must not take a pass for each.
void DownloadList::forget(const QList<YoutubeDownloader *> &leaving)
{
    QSet<const YoutubeDownloader *> gone;
    for (YoutubeDownloader *item : leaving) {
        const auto found = m_entries.constFind(item);
        if (found == m_entries.cend())
            continue;
        leaveQueue(*item, found->order);
        m_entries.erase(found);
        m_links.remove(item->youtubeURL());
        m_inbox->releaseFileName(*item);
        gone.insert(item);
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

// ---- the line

void DownloadList::queueOrRelease(YoutubeDownloader &item)
{
    const qint64 order = m_entries.value(&item).order;
    if (item.youtubeStatus() != StatusDownloading)
        leaveQueue(item, order);
    else if (!m_running.contains(&item) && m_line.emplace(order, &item).second)
        m_lineMoved = true;
    admit();
}

void DownloadList::leaveQueue(YoutubeDownloader &item, qint64 order)
{
    if (m_line.erase(order) > 0) {
        item.setPlaceInLine(-1);
        m_lineMoved = true;
    }
    if (m_running.remove(&item))
        item.revokeDownloadSlot();
}

void DownloadList::followLimit()
{
    admit();
}

void DownloadList::admit()
{
    while (!m_line.empty() && m_running.size() < slotCount()) {
        YoutubeDownloader *item = m_line.begin()->second;
        m_line.erase(m_line.begin());
        item->setPlaceInLine(-1);
        m_lineMoved = true;
        // Paused or being removed meanwhile: its report is on the way, and
        // takes it out of the line anyway.
        if (item->youtubeStatus() != StatusDownloading)
            continue;
        m_running.insert(item);
        item->grantDownloadSlot();
    }
    if (m_lineMoved)
        scheduleBatch();
}

// Once per batch, not at every move: pausing a thousand waiting items would
// otherwise renumber the line a thousand times.
void DownloadList::numberLine()
{
    if (!std::exchange(m_lineMoved, false))
        return;
    int ahead = 0;
    for (const auto &[order, item] : m_line)
        item->setPlaceInLine(ahead++);
}

int DownloadList::slotCount() const
{
    return m_preferences.simultaneousDownloads();
}
