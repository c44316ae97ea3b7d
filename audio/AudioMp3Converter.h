#pragma once

#include "AudioConverter.h"
#include "EncoderProcess.h"

#include <QString>
#include <QStringList>

#include <memory>

// Converts to MP3 by feeding the decoded sound, after a WAV header, to the
// `lame` encoder on its standard input; the encoder writes the file.
class AudioMp3Converter final : public AudioConverter
{
public:
    using AudioConverter::AudioConverter;

    // Set before convertToFile().
    void setBitrate(int bitrate) { m_bitrate = bitrate; }
    void setFrequency(int frequency) { m_frequency = frequency; }
    // "s" for stereo, "m" for mono.
    void setSoundMode(const QString &mode) { m_soundMode = mode; }
    int bitrate() const { return m_bitrate; }
    int frequency() const { return m_frequency; }
    QString soundMode() const { return m_soundMode; }

    // The encoder's arguments for an output file.
    QStringList encoderArguments(const QString &outputPath) const;
    // The same as one line, for the log.
    QString generateCommandLine() const;

protected:
    int maxChannels() const override { return 2; }
    bool doOnStartConverting(const AudioDecoder &decoder, AtomicFile &output, QString &error) override;
    bool writeBlock(const char *data, qint64 size, AtomicFile &output, QString &error) override;
    bool doOnFinishConverting(AtomicFile &output, QString &error) override;
    int loopCountBeforeUpdating() const override { return 10; }

private:
    int m_bitrate = 320;
    int m_frequency = 44100;
    QString m_soundMode = QStringLiteral("s");
    // Made on the worker thread, which its process object must belong to.
    std::unique_ptr<EncoderProcess> m_encoder;
};
