#include "AudioMp3Converter.h"

#include "AtomicFile.h"
#include "AudioDecoder.h"
#include "StringUtils.h"

#include <QFileInfo>
#include <QLoggingCategory>

using namespace Qt::Literals::StringLiterals;

namespace {

Q_LOGGING_CATEGORY(lcEncoder, "vantrel.encoder", QtWarningMsg)

QString encoderProgram()
{
    return EncoderProcess::findProgram(u"lame"_s);
}

} // namespace

QStringList AudioMp3Converter::encoderArguments(const QString &outputPath) const
{
    return {u"-b"_s, QString::number(m_bitrate), u"--resample"_s, QString::number(m_frequency),
            u"-m"_s, m_soundMode, u"-"_s, outputPath};
}

QString AudioMp3Converter::generateCommandLine() const
{
    return u"\"%1\" -b %2 --resample %3 -m %4 - \"%5\""_s.arg(encoderProgram())
        .arg(m_bitrate)
        .arg(m_frequency)
        .arg(m_soundMode, savedFilePath());
}

bool AudioMp3Converter::doOnStartConverting(const AudioDecoder &decoder, AtomicFile &output, QString &error)
{
    qCInfo(lcEncoder).noquote() << "MP3 command line:" << generateCommandLine();
    // The encoder writes the temporary file itself.
    output.file().close();
    m_encoder = std::make_unique<EncoderProcess>();
    m_encoder->setCancelCheck([this] { return isCancelled(); });
    if (!m_encoder->start(encoderProgram(), encoderArguments(output.temporaryPath()))) {
        error = m_encoder->errorString();
        m_encoder.reset();
        return false;
    }
    const QByteArray header = wavHeader(decoder.channels(), decoder.sampleRate(), 0);
    return writeBlock(header.constData(), header.size(), output, error);
}

bool AudioMp3Converter::writeBlock(const char *data, qint64 size, AtomicFile &, QString &error)
{
    if (m_encoder->write(data, size))
        return true;
    error = m_encoder->errorString();
    return false;
}

bool AudioMp3Converter::doOnFinishConverting(AtomicFile &output, QString &error)
{
    const std::unique_ptr<EncoderProcess> encoder = std::move(m_encoder);
    if (!encoder->finish()) {
        error = encoder->errorString();
        return false;
    }
    if (QFileInfo(output.temporaryPath()).size() <= 0) {
        error = StringUtils::langStr(317);
        return false;
    }
    return true;
}
