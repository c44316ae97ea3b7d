// vantrel-crashes: the real program killed at every point where a crash
// could cost a download (the page loading, the download at a tenth, a half
// and nine tenths and at its end, the conversion, the tags, a write of the
// saved list), started again and told to go on. Prints the matrix; exits
// with 1 when a cell failed.

#include "CrashCell.h"
#include "CrashMatrix.h"
#include "CrashPoint.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// One cell, in this process: what it saw, then its result as the last line.
int runCell(const QString &name)
{
    const CrashPoint *point = CrashPoint::find(name);
    if (!point) {
        std::fprintf(stderr, "vantrel-crashes: no such cell: %s\n", qPrintable(name));
        return 2;
    }
    QTextStream out(stdout);
    const CrashCell::Outcome outcome = CrashCell(*point, QStringLiteral(VANTREL_PROGRAM_PATH), out).run();
    const auto field = [](QString text) { return text.replace(u'\t', u' ').replace(u'\n', u' '); };
    for (const QString &detail : outcome.details)
        out << "detail\t" << field(detail) << '\n';
    out << "result\t" << (outcome.ok ? "ok" : "FAIL") << '\t' << field(outcome.where) << '\t' << field(outcome.sent)
        << '\t' << field(outcome.note) << Qt::endl;
    return outcome.ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"vantrel-crashes"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Kills the real program (SIGKILL) at each point where a crash could cost work, starts it again on the "
        "same home and checks that it finishes the item as if nothing had happened: the video the stream byte "
        "for byte, the MP3 as long as the sound and tagged, no stray file, and the site sending no more for the "
        "stream, size probes included, than its size, one block and a head a request. Needs Xvfb, xdotool and "
        "xclip."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"POINT"_s, u"Run only the points whose names begin with one of these."_s, u"[POINT...]"_s);
    parser.addOption({u"repeat"_s, u"Run every cell N times, to see how reliably its point is hit."_s, u"N"_s, u"1"_s});
    parser.addOption({u"cell"_s, u"Run one cell in this process (used by the matrix itself)."_s, u"POINT"_s});
    parser.process(app);

    if (parser.isSet(u"cell"_s))
        return runCell(parser.value(u"cell"_s));

    const QList<CrashPoint> points = CrashPoint::matching(parser.positionalArguments());
    const int repeat = parser.value(u"repeat"_s).toInt();
    if (points.isEmpty() || repeat < 1) {
        std::fprintf(stderr, "vantrel-crashes: %s\n",
                     points.isEmpty() ? "no point matches" : "--repeat takes a number from 1 up");
        return 2;
    }
    QTextStream out(stdout);
    return CrashMatrix(points, repeat, out).run() ? 0 : 1;
}
