// Converts one video file as an item does (MP3 at the given bit rate, or
// WAV) and prints the seconds it took and the peak resident memory in KB.

#include "AudioConverter.h"
#include "AudioMp3Converter.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args[1] != u"mp3" && args[1] != u"wav")) {
        std::fprintf(stderr, "usage: bench_convert mp3|wav INPUT OUTPUT\n");
        return 2;
    }
    std::shared_ptr<AudioConverter> converter;
    if (args[1] == u"mp3") {
        auto mp3 = std::make_shared<AudioMp3Converter>(args[2]);
        mp3->setBitrate(320);
        converter = mp3;
    } else {
        converter = std::make_shared<AudioConverter>(args[2]);
    }
    std::atomic<bool> finished = false;
    converter->setReports({.progress = {}, .finished = [&finished] { finished = true; }, .ended = {}});
    QElapsedTimer timer;
    timer.start();
    converter->convertToFile(args[3]);
    while (!finished)
        QThread::msleep(1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    converter->stopConverting();
    if (!converter->wasFullyConverted()) {
        std::fprintf(stderr, "conversion failed: %s\n", qPrintable(converter->failureReason()));
        return 1;
    }
    std::printf("%.4f %lld\n", seconds, qlonglong(peakResidentKilobytes()));
    return 0;
}
