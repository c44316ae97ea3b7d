// The sample sites as a program, for the demo and the benchmarks: point a
// client's http_proxy at it.

#include "SampleSite.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"vantrel-sample-site"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"A local stand-in for the video site (watch pages, covers and streams) under its own names (youtube.com,\n"
        "youtu.be, ytimg.com and their subdomains), and for a clip site of today under every other host name,\n"
        "e.g. http://clips.sample.test:\n"
        "  /watch/CODE         a page with Open Graph tags and schema.org data that names /manifest/CODE.mpd,\n"
        "                      whose formats are /media/CODE.mp4 and /media/CODE.m4a (read it through yt-dlp)\n"
        "  /split/CODE         the same page, its manifest /split/CODE/manifest.mpd of /picture/CODE.mp4 (no sound)\n"
        "                      and /media/CODE.m4a, for a reader to put together\n"
        "  /hls/CODE           the same page, offering HLS alone: /hls/CODE/master.m3u8 of the sound alone and\n"
        "                      picture and sound, /hls/CODE/{sound,clip}/index.m3u8 of segments 0.ts, 1.ts, ...\n"
        "  /media/NAME.mp4     picture and sound; /media/NAME.m4a: the sound alone, titled \"Sample Tone\"\n"
        "  /download?id=NAME   the sound alone as an attachment with a file name\n"
        "  /playlist/NAME      an RSS feed of three such pages\n"
        "Media answers byte ranges, and faults apply to every path (path=/hls/CODE/clip/ to a stream's segments\n"
        "and playlist; path=/hls/ takes the page first)."_s);
    parser.addHelpOption();
    parser.addOption({u"port"_s, u"Port on 127.0.0.1 (0: any free port)."_s, u"N"_s, u"0"_s});
    parser.addOption({u"pages"_s, u"Serve DIR/CODE.html instead of the video site's generated page when it exists."_s, u"DIR"_s});
    parser.addOption({u"media"_s, u"Folder for the generated stream files."_s, u"DIR"_s});
    parser.addOption({u"stream-bytes"_s, u"Pad every stream to exactly N bytes."_s, u"N"_s});
    parser.addOption({u"fault"_s,
                      u"Misbehave, e.g. path=/videoplayback,reset-after=100000,times=1 "
                      "(keys: path, times, reset-after, stall-after, ignore-range, range-shift, status, no-length, throttle, length-delta)."_s,
                      u"FAULT"_s});
    parser.process(app);

    const QString media = parser.isSet(u"media"_s)
        ? parser.value(u"media"_s)
        : QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/media"_s;
    SampleSite site({.mediaDirectory = media, .pagesDirectory = parser.value(u"pages"_s)});
    if (parser.isSet(u"stream-bytes"_s))
        site.media().setDefaultStreamBytes(parser.value(u"stream-bytes"_s).toLongLong());
    for (const QString &text : parser.values(u"fault"_s)) {
        const std::optional<SiteFault> fault = SiteFault::parse(text);
        if (!fault) {
            std::fprintf(stderr, "bad --fault: %s\n", qPrintable(text));
            return 2;
        }
        site.addFault(*fault);
    }
    if (!site.media().prepare()) {
        std::fprintf(stderr, "could not make the sample streams with ffmpeg in %s\n", qPrintable(media));
        return 1;
    }
    if (!site.start(quint16(parser.value(u"port"_s).toUInt()))) {
        std::fprintf(stderr, "could not listen on port %s\n", qPrintable(parser.value(u"port"_s)));
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\nexport http_proxy=%s\n", site.port(), qPrintable(site.proxyUrl()));
    std::fflush(stdout);

    return app.exec();
}
