#include "CliRun.h"

#include "StringUtils.h"
#include "RowTexts.h"
#include "YoutubeDownloader.h"
#include "YoutubeStatus.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

CliRun::CliRun(YoutubeProgramPreferences &preferences, bool json, QTextStream &out)
    : m_json(json), m_out(out), m_list(preferences)
{
    QObject::connect(&m_list, &DownloadList::statusChanged, &m_list,
                     [this](const DownloadList::Item &item, YoutubeStatus status) { handle(item, status); });
    // A line when an item starts waiting in the queue, and one when its turn comes.
    QObject::connect(&m_list, &DownloadList::waiting, &m_list, [this](const DownloadList::Item &item, bool waits) {
        if (!m_stopped)
            print(*item, item->youtubeStatus(), waits ? Queue::Waits : Queue::TurnCame);
    });
    // A playlist's row gives way to its entries, which may all be listed
    // already: the rest may be settled now.
    QObject::connect(&m_list, &DownloadList::removed, &m_list, [this] {
        if (!m_stopped && allSettled())
            QCoreApplication::quit();
    });
}

int CliRun::run(const QStringList &texts)
{
    for (const QString &text : texts) {
        QStringList lines = StringUtils::parseStringList(text, u"\n"_s);
        // A file named as the shell names it, relative to here.
        for (QString &line : lines) {
            if (const QFileInfo file(line); file.isFile())
                line = file.absoluteFilePath();
        }
        m_list.add(lines, {});
    }
    const DownloadList::Items &items = m_list.items();
    if (items.isEmpty())
        return 2;
    if (!allSettled())
        QCoreApplication::exec();
    const bool allFinished = std::all_of(items.cbegin(), items.cend(),
                                         [](const auto &item) { return item->youtubeStatus() == StatusFinished; });
    m_list.removeAll();
    return allFinished && !m_stopped ? 0 : 1;
}

void CliRun::stop()
{
    m_stopped = true;
    m_list.removeAll();
    QCoreApplication::quit();
}

void CliRun::handle(const DownloadList::Item &item, YoutubeStatus status)
{
    if (m_stopped || status == StatusRemoved)
        return;
    m_reported.insert(item.get(), status);
    print(*item, status);
    if (status == StatusReady) {
        m_list.download({item});
        // Refused, with a note (a file of the user's has nothing to become
        // with "video"): nobody can change the format now.
        if (item->youtubeStatus() == StatusReady) {
            print(*item, status);
            m_reported.insert(item.get(), StatusNoStream);
        }
    }
    if (allSettled())
        QCoreApplication::quit();
}

void CliRun::print(const YoutubeDownloader &item, YoutubeStatus status, Queue queue)
{
    const DownloadList::Items &items = m_list.items();
    const auto listed = std::find_if(items.cbegin(), items.cend(), [&item](const auto &entry) { return entry.get() == &item; });
    const qsizetype number = listed - items.cbegin() + 1;
    QString text = queue == Queue::Waits ? RowTexts(item).statusLine()
                                         : RowTexts::statusDescriptionByYoutubeStatus(status, item.outputFormat());
    if (const QString note = item.statusNote(); !note.isEmpty())
        text += u'\n' + note;
    const QString title = item.youtubeTitle();
    const QString file = item.wholeFilePath();
    if (m_json) {
        QJsonObject line{{u"item"_s, number},
                         {u"link"_s, item.youtubeURL()},
                         {u"status"_s, queue == Queue::Waits ? u"waiting"_s : youtubeStatusName(status)},
                         {u"text"_s, text}};
        if (!title.isEmpty())
            line.insert(u"title"_s, title);
        if (!file.isEmpty())
            line.insert(u"file"_s, file);
        m_out << QJsonDocument(line).toJson(QJsonDocument::Compact) << '\n';
    } else {
        const QString name = title.isEmpty() ? item.youtubeURL() : title;
        const QString shown = text.isEmpty() ? youtubeStatusName(status) : QString(text).replace(u'\n', u" - "_s);
        m_out << u"[%1/%2] %3: %4"_s.arg(number).arg(items.size()).arg(name, shown);
        if (status == StatusFinished)
            m_out << u" -> "_s << file;
        m_out << '\n';
    }
    m_out.flush();
}

// By the statuses printed, not the live ones: an item may already be
// finished while the report that says so is still on its way, and the run
// must not end before it is printed.
bool CliRun::allSettled() const
{
    const DownloadList::Items &items = m_list.items();
    return std::all_of(items.cbegin(), items.cend(), [this](const auto &item) {
        return isSettled(m_reported.value(item.get(), StatusNew));
    });
}
// With nobody to press Resume, a paused item has failed for good.
bool CliRun::isSettled(YoutubeStatus status)
{
    switch (status) {
    case StatusNoStream:
    case StatusInfoFailed:
    case StatusDownloadPaused:
    case StatusConvertPaused:
    case StatusFinished:
    case StatusRemoved:
        return true;
    default:
        return false;
    }
}
