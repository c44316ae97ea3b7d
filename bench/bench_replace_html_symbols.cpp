// Times the percent decoder of player configurations on a 1 MB text with
// 100,000 escapes, beside Qt's own percent decoder on the same text, and shows
// how the time grows with the text. With --naive it also times the literal
// repeated search from the start (minutes at full size).

#include "ReferenceDecoders.h"
#include "StringUtils.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// A stream-map entry as pages carry it: 100 units holding 10 escapes, two of
// them doubly escaped ("%252C" decodes to "%2C", then to ",").
const QString Entry = u"url=http%3A%2F%2Fr4.cache.example%2Fvideoplayback%3Fid%3D7%252C22%26itag%3D22\\u0026quality=hd720%252Cx"_s;

QString configurationText(qsizetype escapes)
{
    const qsizetype perEntry = Entry.count(u'%');
    QString text;
    text.reserve(escapes / perEntry * Entry.size());
    for (qsizetype made = 0; made < escapes; made += perEntry)
        text += Entry;
    return text;
}

double medianMilliseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool naive = app.arguments().contains(u"--naive"_s);
    constexpr int Runs = 9;

    const QString full = configurationText(100'000);
    const QByteArray fullBytes = full.toLatin1();
    std::printf("text: %lld units, %lld escapes; medians of %d runs\n\n", qlonglong(full.size()),
                qlonglong(full.count(u'%')), Runs);
    std::printf("%-40s %12s %10s\n", "what", "ms", "ratio");

    const double ours = medianMilliseconds(Runs, [&] { (void)StringUtils::replaceHTMLSymbols(full); });
    const double qt = medianMilliseconds(Runs, [&] { (void)QByteArray::fromPercentEncoding(fullBytes); });
    std::printf("%-40s %12.2f %10s\n", "replaceHTMLSymbols, 1 MB", ours, "");
    std::printf("%-40s %12.2f %9.2fx\n", "QByteArray::fromPercentEncoding, 1 MB", qt, ours / qt);

    for (qsizetype escapes : {25'000, 50'000, 100'000, 200'000}) {
        const QString text = configurationText(escapes);
        const double ms = medianMilliseconds(Runs, [&] { (void)StringUtils::replaceHTMLSymbols(text); });
        std::printf("%-40s %12.2f %9.2fx\n",
                    qPrintable(u"replaceHTMLSymbols, %1 escapes"_s.arg(escapes)), ms, ms / ours);
    }

    if (naive) {
        const double slow = medianMilliseconds(1, [&] { (void)reference::replaceHTMLSymbols(full); });
        std::printf("%-40s %12.2f %9.2fx\n", "repeated search from the start, 1 MB", slow, slow / ours);
    }

    const bool same = StringUtils::replaceHTMLSymbols(full) == reference::replaceHTMLSymbols(configurationText(1000)).repeated(100);
    std::printf("\nresult equals the repeated search: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
