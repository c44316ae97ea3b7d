// Writes the ID3v2 and ID3v1 tags into an MP3 file as an item does after a
// conversion (title, link, comment) and prints the seconds the ID3v2 rewrite
// took and the peak resident memory in KB.

#include "BenchSupport.h"
#include "ID3V1Tag.h"
#include "ID3V2Tag.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: bench_tags FILE.mp3\n");
        return 2;
    }
    const QString path = app.arguments().at(1);
    QElapsedTimer timer;
    timer.start();
    ID3V2Tag tag(path);
    tag.setTitle(u"Benchmark Song – Live"_s);
    tag.setURL(u"http://www.youtube.com/watch?v=benchmark"_s);
    tag.setComment(u"A description of a few words."_s);
    if (!tag.saveTags()) {
        std::fprintf(stderr, "rewrite failed: %s\n", qPrintable(tag.errorString()));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    ID3V1Tag trailer(path);
    trailer.setTitle(tag.title());
    trailer.saveTags();
    std::printf("%.4f %lld\n", seconds, qlonglong(peakResidentKilobytes()));
    return 0;
}
