// Writes an MP3 file tagged as an item does after a conversion: the ID3v2
// tag (title, link, comment), the encoder's file copied behind it and the
// ID3v1 tag, into a file of its own put in place over the one given. Prints
// the seconds that took and the peak resident memory in KB.

#include "AtomicFile.h"
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
    ID3V2Tag tag;
    tag.setTitle(u"Benchmark Song – Live"_s);
    tag.setURL(u"http://www.youtube.com/watch?v=benchmark"_s);
    tag.setComment(u"A description of a few words."_s);
    ID3V1Tag trailer;
    trailer.setTitle(tag.title());
    AtomicFile tagged(path);
    if (!tagged.open() || !tagged.write(tag.buildTagData()) || !tagged.appendCopyOf(path)
        || !tagged.write(trailer.createDataForWriteToFile()) || !tagged.commit(AtomicFile::Replace::Always)) {
        std::fprintf(stderr, "tagging failed: %s\n", qPrintable(tagged.errorString()));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%.4f %lld\n", seconds, qlonglong(peakResidentKilobytes()));
    return 0;
}
