#include "YtDlpProgram.h"

#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

// Long enough for a cold start of its interpreter.
constexpr std::chrono::milliseconds VersionTimeLimit{15'000};
constexpr qint64 MaxVersionBytes = 1024;

ChildProcess::Result withoutErrorPrefix(ChildProcess::Result result)
{
    const QString prefix = u"ERROR: "_s;
    if (result.lastErrorLine.startsWith(prefix))
        result.lastErrorLine.remove(0, prefix.size());
    return result;
}

} // namespace

QString YtDlpProgram::locate(const QString &configuredPath)
{
    const QFileInfo configured(configuredPath);
    if (!configuredPath.isEmpty() && configured.isFile() && configured.isExecutable())
        return configured.absoluteFilePath();
    return QStandardPaths::findExecutable(u"yt-dlp"_s);
}

QString YtDlpProgram::version(const QString &programPath, const ChildProcess::CancelCheck &cancelled)
{
    const ChildProcess::Result result =
        ChildProcess::run(programPath, {u"--version"_s},
                          {.timeLimit = VersionTimeLimit, .maxOutputBytes = MaxVersionBytes, .cancelled = cancelled});
    if (!result.succeeded())
        return {};
    return QString::fromUtf8(result.output).section(u'\n', 0, 0).trimmed();
}

ChildProcess::Result YtDlpProgram::readPage(const QString &programPath, const QString &url,
                                            const ChildProcess::CancelCheck &cancelled,
                                            std::chrono::milliseconds timeLimit)
{
    // "--" ends the options: a link that begins with "-" stays a link.
    const QStringList arguments{u"--ignore-config"_s, u"--dump-single-json"_s, u"--flat-playlist"_s,
                                u"--no-warnings"_s,   u"--no-progress"_s,      u"--"_s,
                                url};
    return withoutErrorPrefix(ChildProcess::run(
        programPath, arguments, {.timeLimit = timeLimit, .maxOutputBytes = MaxPageBytes, .cancelled = cancelled}));
}

ChildProcess::Result YtDlpProgram::download(const QString &programPath, const Download &download)
{
    // Fragments that cannot be had would otherwise be left out, and a file
    // shorter than the video taken for whole.
    QStringList arguments{u"--ignore-config"_s,
                          u"--no-warnings"_s,
                          u"--newline"_s,
                          u"--no-playlist"_s,
                          u"--abort-on-unavailable-fragments"_s,
                          u"--continue"_s,
                          u"-f"_s,
                          download.formatId,
                          u"--progress-template"_s,
                          u"download:%(progress.downloaded_bytes)s/%(progress.total_bytes)s/"
                          "%(progress.total_bytes_estimate)s"_s,
                          u"-o"_s,
                          download.outputPath};
    // Two parts go into the container the output's name says, not one
    // yt-dlp picks by their codecs, which would name the file otherwise.
    if (download.formatId.contains(u'+'))
        arguments << u"--merge-output-format"_s << QFileInfo(download.outputPath).suffix();
    arguments << u"--"_s << download.url;
    return withoutErrorPrefix(ChildProcess::run(programPath, arguments,
                                                {.timeLimit = ChildProcess::NoTimeLimit,
                                                 .maxOutputBytes = 0,
                                                 .cancelled = download.cancelled,
                                                 .outputLine = download.progressLine,
                                                 .silenceLimit = download.silenceLimit,
                                                 .keepOutput = false}));
}
