#include "CliRun.h"

#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace {

QString statusName(YoutubeStatus status)
{
    switch (status) {
    case StatusNew: return u"new"_s;
    case StatusLoadingInfo: return u"loading"_s;
    case StatusReady: return u"ready"_s;
    case StatusInvalid: return u"invalid"_s;
    case StatusNoStream: return u"no-stream"_s;
    case StatusInfoFailed: return u"info-failed"_s;
    case StatusDownloading: return u"downloading"_s;
    case StatusDownloadPaused: return u"download-paused"_s;
    case StatusConverting: return u"converting"_s;
    case StatusConvertPaused: return u"convert-paused"_s;
    case StatusDownloaded: return u"downloaded"_s;
    case StatusFinished: return u"finished"_s;
    case StatusRemoved: return u"removed"_s;
    }
    return QString::number(status);
}

} // namespace

// What one status change looked like, taken on the thread that made it.
struct CliRun::Report
{
    std::shared_ptr<YoutubeDownloader> item;
    YoutubeStatus status;
    QString text;
    QString title;
    QString file;
};

CliRun::CliRun(YoutubeProgramPreferences &preferences, bool json, QTextStream &out)
    : m_preferences(preferences), m_json(json), m_out(out)
{
}

int CliRun::run(const QStringList &texts)
{
    for (const QString &text : texts) {
        for (const QString &line : YoutubeDownloader::youtubesURLsFromText(text)) {
            const bool known = std::any_of(m_items.cbegin(), m_items.cend(),
                                           [&line](const auto &item) { return item->youtubeURL() == line; });
            if (known)
                continue;
            m_items.append(YoutubeDownloader::create(line, this, m_preferences));
            m_items.last()->loadYoutubeContent();
        }
    }
    if (m_items.isEmpty())
        return 2;
    if (!allSettled())
        QCoreApplication::exec();
    const bool allFinished = std::all_of(m_items.cbegin(), m_items.cend(),
                                         [](const auto &item) { return item->youtubeStatus() == StatusFinished; });
    YoutubeDownloader::removeAll(m_items);
    return allFinished && !m_stopped ? 0 : 1;
}

void CliRun::stop()
{
    m_stopped = true;
    YoutubeDownloader::removeAll(m_items);
    QCoreApplication::quit();
}

// Any thread: what is printed is taken now, the rest happens on the main
// thread in the order of the changes.
void CliRun::downloaderStatusChanged(YoutubeDownloader &downloader)
{
    Report report{downloader.shared_from_this(), downloader.youtubeStatus(), downloader.statusText(),
                  downloader.youtubeTitle(), downloader.realyDownloadedFilePath()};
    m_mainThread.post([this, report] { handle(report); });
}

void CliRun::handle(const Report &report)
{
    if (m_stopped || report.status == StatusRemoved)
        return;
    m_reported.insert(report.item.get(), report.status);
    print(report);
    if (report.status == StatusReady)
        report.item->downloadVideo();
    if (allSettled())
        QCoreApplication::quit();
}

void CliRun::print(const Report &report)
{
    const qsizetype number = m_items.indexOf(report.item) + 1;
    if (m_json) {
        QJsonObject line{{u"item"_s, number},
                         {u"link"_s, report.item->youtubeURL()},
                         {u"status"_s, statusName(report.status)},
                         {u"text"_s, report.text}};
        if (!report.title.isEmpty())
            line.insert(u"title"_s, report.title);
        if (!report.file.isEmpty())
            line.insert(u"file"_s, report.file);
        m_out << QJsonDocument(line).toJson(QJsonDocument::Compact) << '\n';
    } else {
        const QString name = report.title.isEmpty() ? report.item->youtubeURL() : report.title;
        const QString text = report.text.isEmpty() ? statusName(report.status) : QString(report.text).replace(u'\n', u" - "_s);
        m_out << u"[%1/%2] %3: %4"_s.arg(number).arg(m_items.size()).arg(name, text);
        if (report.status == StatusFinished)
            m_out << u" -> "_s << report.file;
        m_out << '\n';
    }
    m_out.flush();
}

// By the statuses printed, not the live ones: an item may already be
// finished while the report that says so is still on its way, and the run
// must not end before it is printed.
bool CliRun::allSettled() const
{
    return std::all_of(m_items.cbegin(), m_items.cend(), [this](const auto &item) {
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
