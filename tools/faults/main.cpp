// vantrel-faults: every fault the sample site can put on the stream, crossed
// with what the user does meanwhile, each cell a real item driven as the
// program drives it. Prints the matrix; exits with 1 when a cell failed.

#include "FaultCell.h"
#include "FaultMatrix.h"
#include "FaultRow.h"
#include "UserAction.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList Formats{u"wav"_s, u"mp3"_s};

// "ROW,ACTION,FORMAT": one cell, in this process; its last line is its result.
int runCell(const QString &name)
{
    const QStringList parts = name.split(u',');
    const FaultRow *row = FaultRow::find(parts.value(0));
    const UserAction *action = UserAction::find(parts.value(1));
    const qsizetype format = Formats.indexOf(parts.value(2));
    if (!row || !action || format < 0) {
        std::fprintf(stderr, "vantrel-faults: no such cell: %s\n", qPrintable(name));
        return 2;
    }
    QTextStream out(stdout);
    const FaultCell::Outcome outcome =
        FaultCell(*row, *action, format == 0 ? OutputFormat::Wav : OutputFormat::Mp3, out).run();
    const auto field = [](QString text) { return text.replace(u'\t', u' ').replace(u'\n', u' '); };
    out << "result\t" << (outcome.ok ? "ok" : "FAIL") << '\t' << field(outcome.text) << '\t' << field(outcome.note)
        << Qt::endl;
    return outcome.ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // The rows' texts are recorded and checked in English, whatever the
    // user's language.
    qputenv("LC_ALL", "C.UTF-8");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"vantrel-faults"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Crosses every fault of the sample site's stream with what the user does during the download "
        "(nothing, pause, pause and resume, remove, remove while paused) and prints what each item came to."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"FAULT"_s, u"Run only the faults whose names begin with one of these."_s, u"[FAULT...]"_s);
    parser.addOption({u"format"_s, u"Output format of the cells: wav or mp3 (repeatable; default both)."_s, u"F"_s});
    parser.addOption({u"cell"_s, u"Run one cell in this process (used by the matrix itself)."_s, u"ROW,ACTION,FORMAT"_s});
    parser.process(app);

    if (parser.isSet(u"cell"_s))
        return runCell(parser.value(u"cell"_s));

    const QStringList formats = parser.isSet(u"format"_s) ? parser.values(u"format"_s) : Formats;
    const QList<FaultRow> rows = FaultRow::matching(parser.positionalArguments());
    for (const QString &format : formats) {
        if (!Formats.contains(format)) {
            std::fprintf(stderr, "vantrel-faults: --format takes wav or mp3\n");
            return 2;
        }
    }
    if (rows.isEmpty()) {
        std::fprintf(stderr, "vantrel-faults: no fault matches %s\n", qPrintable(parser.positionalArguments().join(u' ')));
        return 2;
    }
    QTextStream out(stdout);
    return FaultMatrix(rows, formats, out).run() ? 0 : 1;
}
