// vantrel-cli: the program without its window, for scripts and checks.

#include "CliRun.h"
#include "Mp3Rates.h"
#include "QtTranslations.h"
#include "VantrelVersion.h"
#include "YoutubeProgramPreferences.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

std::atomic<bool> interrupted = false;

// Applies the options over the stored preferences, in memory only.
bool applyOptions(const QCommandLineParser &parser, YoutubeProgramPreferences &preferences, QString &error)
{
    if (parser.isSet(u"format"_s)) {
        static const QHash<QString, OutputFormat> Formats{
            {u"video"_s, OutputFormat::Video}, {u"mp3"_s, OutputFormat::Mp3}, {u"wav"_s, OutputFormat::Wav}};
        const QString format = parser.value(u"format"_s);
        if (!Formats.contains(format)) {
            error = u"--format takes mp3, wav or video"_s;
            return false;
        }
        preferences.setOutputFormat(Formats.value(format));
    }
    if (parser.isSet(u"quality"_s)) {
        static const QHash<QString, int> Qualities{{u"360"_s, 1}, {u"720"_s, 3}, {u"1080"_s, 4}, {u"4k"_s, 5}};
        const QString quality = parser.value(u"quality"_s).toLower();
        if (!Qualities.contains(quality)) {
            error = u"--quality takes 360, 720, 1080 or 4k"_s;
            return false;
        }
        preferences.setPreferedQuality(Qualities.value(quality));
    }
    for (const auto &[option, setter] : {std::pair{u"bitrate"_s, &YoutubeProgramPreferences::setBitrate},
                                         std::pair{u"frequency"_s, &YoutubeProgramPreferences::setFrequency}}) {
        if (!parser.isSet(option))
            continue;
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok || value <= 0) {
            error = u"--%1 takes a positive number"_s.arg(option);
            return false;
        }
        (preferences.*setter)(value);
    }
    if (parser.isSet(u"jobs"_s)) {
        bool ok = false;
        const int jobs = parser.value(u"jobs"_s).toInt(&ok);
        if (!ok || jobs < YoutubeProgramPreferences::MinSimultaneousDownloads
            || jobs > YoutubeProgramPreferences::MaxSimultaneousDownloads) {
            error = u"--jobs takes a number from %1 to %2"_s.arg(YoutubeProgramPreferences::MinSimultaneousDownloads)
                        .arg(YoutubeProgramPreferences::MaxSimultaneousDownloads);
            return false;
        }
        preferences.setSimultaneousDownloads(jobs);
    }
    if (parser.isSet(u"mono"_s))
        preferences.setSoundMode(SoundMode::Mono);
    if (parser.isSet(u"no-tags"_s))
        preferences.setSaveID3Tags(false);
    if (parser.isSet(u"no-description"_s))
        preferences.setWriteDescriptionToID3Tags(false);
    if (parser.isSet(u"output"_s))
        preferences.setSavedFolderPath(QDir(parser.value(u"output"_s)).absolutePath());
    return true;
}

QString numbers(const QList<int> &values)
{
    QStringList texts;
    for (const int value : values)
        texts.append(QString::number(value));
    return texts.join(u", "_s);
}

// lame writes only some bit rates at each sample rate and quietly takes the
// nearest for another. A script cannot see that in the file it gets, so a
// rate lame would change is refused before anything is downloaded.
bool checkMp3Rates(const YoutubeProgramPreferences &preferences, QString &error)
{
    if (preferences.outputFormat() != OutputFormat::Mp3)
        return true;
    const int frequency = preferences.frequency();
    const int bitrate = preferences.bitrate();
    const QList<int> &bitrates = Mp3Rates::bitrates(frequency);
    if (bitrates.isEmpty()) {
        error = u"--frequency takes %1 (Hz)"_s.arg(numbers(Mp3Rates::sampleRates()));
        return false;
    }
    if (!bitrates.contains(bitrate)) {
        error = u"lame cannot write %1 kbit/s at %2 Hz (it would write %3 kbit/s); at %2 Hz --bitrate takes %4"_s
                    .arg(bitrate)
                    .arg(frequency)
                    .arg(Mp3Rates::bitrateUsed(bitrate, frequency))
                    .arg(numbers(bitrates));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"vantrel-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Turns links to video pages, and audio or video files, into audio files, as the Vantrel window does: "
        "each link's page is read, its stream downloaded, and the sound converted and tagged. Settings default to those stored by "
        "Vantrel; the options below change them for this run only.\n\n"
        "Prints a line per item and status change. Exits with 0 when every valid link was finished, "
        "1 when one was not, 2 when no valid link was given or an option was refused."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"LINK"_s, u"Links to pages or media files, paths of audio or video files, or text holding them one per line; others are skipped."_s,
                                 u"LINK..."_s);
    parser.addOptions({
        {u"format"_s, u"What to keep: mp3, wav, or video (no conversion)."_s, u"FORMAT"_s},
        {u"bitrate"_s, u"MP3 bit rate in kbit/s: 32 to 320 at 32000 Hz and above, 8 to 160 at 16000 to 24000 Hz, "
                      "8 to 64 below."_s, u"N"_s},
        {u"frequency"_s, u"MP3 sample rate in Hz: %1."_s.arg(numbers(Mp3Rates::sampleRates())), u"N"_s},
        {u"mono"_s, u"Encode MP3 in mono."_s},
        {u"quality"_s, u"Preferred picture quality of the stream: 360, 720, 1080 or 4k."_s, u"Q"_s},
        {u"output"_s, u"Folder for the files."_s, u"DIR"_s},
        {u"jobs"_s, u"How many links download at the same time: %1 to %2."_s
                        .arg(YoutubeProgramPreferences::MinSimultaneousDownloads)
                        .arg(YoutubeProgramPreferences::MaxSimultaneousDownloads),
         u"N"_s},
        {u"no-tags"_s, u"Write no ID3 tags into MP3 files."_s},
        {u"no-description"_s, u"Use the maker's address as the tag comment instead of the description."_s},
        {u"json"_s, u"Print each line as a JSON object."_s},
    });
    parser.process(app);

    YoutubeProgramPreferences &preferences = YoutubeProgramPreferences::sharedPreferences();
    QString error;
    if (!applyOptions(parser, preferences, error) || !checkMp3Rates(preferences, error)) {
        std::fprintf(stderr, "vantrel-cli: %s\n", qPrintable(error));
        return 2;
    }
    if (parser.positionalArguments().isEmpty()) {
        parser.showHelp(2);
    }
    // The notes quote the network layer's reasons: in the notes' language.
    // Only now, so that the help stays in one language, as written above.
    QtTranslations::install();

    QTextStream out(stdout);
    CliRun run(preferences, parser.isSet(u"json"_s), out);
    std::signal(SIGINT, [](int) { interrupted = true; });
    std::signal(SIGTERM, [](int) { interrupted = true; });
    QTimer interruptCheck;
    QObject::connect(&interruptCheck, &QTimer::timeout, &app, [&run] {
        if (interrupted)
            run.stop();
    });
    interruptCheck.start(100);
    const int code = run.run(parser.positionalArguments());
    if (code == 2)
        std::fprintf(stderr, "vantrel-cli: no valid link given\n");
    return interrupted ? 130 : code;
}
