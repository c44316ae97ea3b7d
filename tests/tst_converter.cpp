#include "AudioConverter.h"
#include "AudioMp3Converter.h"
#include "EncoderProcess.h"
#include "NotificationCenter.h"
#include "TestMedia.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <mutex>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Follows one converter: its progress and its end, which arrive on the
// converter's thread. With `pauseAtFirstProgress` it pauses the converter
// there, in the middle of its work.
class ConverterWatch
{
public:
    ConverterWatch(AudioConverter &converter, bool pauseAtFirstProgress = false)
    {
        NotificationCenter &center = NotificationCenter::defaultCenter();
        center.addObserver(this, NOTIFICATION_AUDIO_CONVERTER_PROGRESS.toString(), &converter,
                           [this, &converter, pauseAtFirstProgress](const Notification &n) {
                               std::lock_guard lock(m_mutex);
                               m_progress.append(n.userInfo.value(NOTIFICATION_AUDIO_CONVERTER_CURRENT_KEY_NAME.toString()).toInt());
                               if (pauseAtFirstProgress && !m_paused.exchange(true))
                                   converter.setThreadPaused(true);
                           });
        center.addObserver(this, NOTIFICATION_AUDIO_CONVERTER_FINISHED.toString(), &converter,
                           [this](const Notification &) { m_finished = true; });
    }
    ~ConverterWatch() { NotificationCenter::defaultCenter().removeObserver(this); }

    bool waitUntilPaused() const { return QTest::qWaitFor([this] { return m_paused.load(); }, 30'000); }
    bool waitForEnd() const { return QTest::qWaitFor([this] { return m_finished.load(); }, 60'000); }
    QList<int> progress() const
    {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }

private:
    mutable std::mutex m_mutex;
    QList<int> m_progress;
    std::atomic<bool> m_finished = false;
    std::atomic<bool> m_paused = false;
};

} // namespace

class TestConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestMedia::makeMp4(media(u"stereo44.mp4"_s), 3, 44100, 2, true));
        QVERIFY(TestMedia::makeMp4(media(u"mono.mp4"_s), 2, 44100, 1));
        QVERIFY(TestMedia::makeMp4(media(u"six48.mp4"_s), 2, 48000, 6));
        QVERIFY(TestMedia::makeMp4(media(u"long.mp4"_s), 12, 44100, 2));
        QVERIFY(TestMedia::ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc2=size=160x120:duration=1"_s, u"-c:v"_s,
                                   u"libx264"_s, u"-an"_s, media(u"silent.mp4"_s)}));
        QFile garbage(media(u"garbage.mp4"_s));
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(5000, 'x')) == 5000);
        const QByteArray whole = readFile(media(u"stereo44.mp4"_s));
        QFile truncated(media(u"truncated.mp4"_s));
        QVERIFY(truncated.open(QIODevice::WriteOnly) && truncated.write(whole.left(whole.size() / 2)) > 0);
    }

    void cleanup()
    {
        QDir(m_output.path()).removeRecursively();
        QDir().mkpath(m_output.path());
    }

    void wavHeader()
    {
        QCOMPARE(AudioConverter::wavHeader(2, 44100, 1000),
                 QByteArray::fromHex("524946460c04000057415645666d7420100000000100020044ac000010b102000400100064617461e8030000"));
        // Sizes beyond 32 bits are written as the largest value.
        const QByteArray huge = AudioConverter::wavHeader(1, 48000, 5'000'000'000);
        QCOMPARE(huge.mid(4, 4) + huge.mid(40, 4), QByteArray(8, '\xff'));
    }

    void wavOutput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("format"); // channels, rate, sample width as Python's wave module reads them

        QTest::newRow("stereo 44.1 kHz with a picture") << u"stereo44.mp4"_s << u"2 44100 2"_s;
        QTest::newRow("mono") << u"mono.mp4"_s << u"1 44100 2"_s;
        QTest::newRow("six channels at 48 kHz stay so") << u"six48.mp4"_s << u"6 48000 2"_s;
    }

    void wavOutput()
    {
        QFETCH(QString, input);
        QFETCH(QString, format);
        auto converter = std::make_shared<AudioConverter>(media(input));
        ConverterWatch watch(*converter);
        QVERIFY(converter->convertToFile(output(u"out.wav"_s)));
        QVERIFY(watch.waitForEnd());
        QVERIFY(converter->wasFullyConverted());
        QVERIFY(converter->failureReason().isEmpty());

        const QByteArray wav = readFile(output(u"out.wav"_s));
        const QByteArray pcm = TestMedia::decodedPcm(media(input), output(u"ffmpeg.pcm"_s));
        QCOMPARE(wav.mid(44), pcm);
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
        QProcess python;
        python.start(u"/usr/bin/python3"_s, {u"-c"_s, u"import wave,sys; w=wave.open(sys.argv[1]); "
                                                       "print(w.getnchannels(), w.getframerate(), w.getsampwidth(), w.getnframes())"_s,
                                             output(u"out.wav"_s)});
        QVERIFY(python.waitForFinished());
        const int frameBytes = format.section(u' ', 0, 0).toInt() * 2;
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(), format + u' ' + QString::number(pcm.size() / frameBytes));
    }

    void pauseAndResumeGiveTheSameBytes()
    {
        auto converter = std::make_shared<AudioConverter>(media(u"long.mp4"_s));
        ConverterWatch watch(*converter, true);
        QVERIFY(converter->convertToFile(output(u"paused.wav"_s)));
        QVERIFY(watch.waitUntilPaused());
        QTest::qWait(300);
        QVERIFY(converter->isRunning());
        QCOMPARE(outputFiles().size(), 1); // the temporary file only
        converter->setThreadPaused(false);
        QVERIFY(watch.waitForEnd());
        QVERIFY(converter->wasFullyConverted());
        QCOMPARE(readFile(output(u"paused.wav"_s)).mid(44), TestMedia::decodedPcm(media(u"long.mp4"_s), output(u"ffmpeg.pcm"_s)));
    }

    // What was converted before a removal is kept, but never in place of a file
    // that was there before.
    void removalWhilePausedKeepsWhatItHas()
    {
        const QByteArray expected = TestMedia::decodedPcm(media(u"long.mp4"_s), output(u"ffmpeg.pcm"_s));
        QFile existing(output(u"existing.wav"_s));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("a good file") == 11);
        existing.close();
        for (const QString &target : {output(u"partial.wav"_s), output(u"existing.wav"_s)}) {
            auto converter = std::make_shared<AudioConverter>(media(u"long.mp4"_s));
            ConverterWatch watch(*converter, true);
            QVERIFY(converter->convertToFile(target));
            QVERIFY(watch.waitUntilPaused());
            // Paused, the worker looks at cancellation ten times a second.
            QVERIFY(converter->stopConverting(500ms));
            QVERIFY(!converter->wasFullyConverted());
            QVERIFY(converter->failureReason().isEmpty());
        }
        QCOMPARE(readFile(output(u"existing.wav"_s)), "a good file");
        const QByteArray wav = readFile(output(u"partial.wav"_s));
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 40), quint32(wav.size() - 44));
        QVERIFY(wav.size() > 44 && wav.size() - 44 < expected.size());
        QVERIFY(expected.startsWith(wav.mid(44)));
        QCOMPARE(outputFiles(), (QStringList{u"existing.wav"_s, u"ffmpeg.pcm"_s, u"partial.wav"_s}));
    }

    void unusableInput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("mp3");

        for (const bool mp3 : {false, true}) {
            const char *format = mp3 ? " to mp3" : " to wav";
            QTest::addRow("missing file%s", format) << u"nothing-here.mp4"_s << mp3;
            QTest::addRow("not media%s", format) << u"garbage.mp4"_s << mp3;
            QTest::addRow("no sound track%s", format) << u"silent.mp4"_s << mp3;
            QTest::addRow("cut short%s", format) << u"truncated.mp4"_s << mp3;
        }
    }

    void unusableInput()
    {
        QFETCH(QString, input);
        QFETCH(bool, mp3);
        auto converter = mp3 ? std::make_shared<AudioMp3Converter>(media(input)) : std::make_shared<AudioConverter>(media(input));
        ConverterWatch watch(*converter);
        QVERIFY(converter->convertToFile(output(u"out"_s)));
        QVERIFY(watch.waitForEnd());
        QVERIFY(!converter->wasFullyConverted());
        QVERIFY(!converter->failureReason().isEmpty());
        QCOMPARE(outputFiles(), QStringList());
    }

    void mp3Encoding_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("bitrate");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("channels");

        QTest::newRow("defaults") << u"stereo44.mp4"_s << 320 << 44100 << u"s"_s << 2;
        QTest::newRow("mono, resampled") << u"stereo44.mp4"_s << 128 << 22050 << u"m"_s << 1;
        QTest::newRow("six channels at 48 kHz mixed to two") << u"six48.mp4"_s << 256 << 44100 << u"s"_s << 2;
    }

    void mp3Encoding()
    {
        QFETCH(QString, input);
        QFETCH(int, bitrate);
        QFETCH(int, frequency);
        QFETCH(QString, mode);
        QFETCH(int, channels);
        auto converter = std::make_shared<AudioMp3Converter>(media(input));
        converter->setBitrate(bitrate);
        converter->setFrequency(frequency);
        converter->setSoundMode(mode);
        ConverterWatch watch(*converter);
        const QString mp3 = output(u"out.mp3"_s);
        QVERIFY(converter->convertToFile(mp3));
        QVERIFY(watch.waitForEnd());
        QVERIFY2(converter->wasFullyConverted(), qPrintable(converter->failureReason()));

        QCOMPARE(TestMedia::probe(mp3, u"stream=codec_name,bit_rate,sample_rate,channels"_s),
                 u"mp3\n%1\n%2\n%3"_s.arg(frequency).arg(channels).arg(bitrate * 1000));
        // Every block of sound is there once, the header never taken for sound.
        const double source = TestMedia::decodedSeconds(media(input), output(u"source.pcm"_s));
        const double encoded = TestMedia::decodedSeconds(mp3, output(u"encoded.pcm"_s));
        QVERIFY2(qAbs(encoded - source) <= 0.050, qPrintable(u"%1 s against %2 s"_s.arg(encoded).arg(source)));
        QCOMPARE(outputFiles(), (QStringList{u"encoded.pcm"_s, u"out.mp3"_s, u"source.pcm"_s}));
    }

    void mp3ProgressRisesToAtMost100()
    {
        auto converter = std::make_shared<AudioMp3Converter>(media(u"long.mp4"_s));
        ConverterWatch watch(*converter);
        QVERIFY(converter->convertToFile(output(u"long.mp3"_s)));
        QVERIFY(watch.waitForEnd());
        const QList<int> progress = watch.progress();
        // Every ten blocks of 10240 bytes: 12 s of stereo sound make about 20.
        QVERIFY2(progress.size() >= 18, qPrintable(QString::number(progress.size())));
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QVERIFY(progress.first() >= 0 && progress.last() <= 100 && progress.last() >= 90);
    }

    void encoderFailures_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("error");

        QTest::newRow("exit code") << u"echo the reason >&2; exit 3"_s << u"exit code 3): the reason"_s;
        QTest::newRow("stops reading") << u"head -c 100 >/dev/null; sleep 1"_s << u"stopped taking input"_s;
        QTest::newRow("killed") << u"kill -9 $$"_s << u"crashed"_s;
    }

    void encoderFailures()
    {
        QFETCH(QString, script);
        QFETCH(QString, error);
        EncoderProcess encoder;
        QVERIFY(encoder.start(u"/bin/sh"_s, {u"-c"_s, script}));
        const QByteArray block(10240, 'x');
        bool fed = true;
        for (int i = 0; i < 1000 && fed; ++i)
            fed = encoder.write(block.constData(), block.size());
        QVERIFY(!encoder.finish() || !fed);
        QVERIFY2(encoder.errorString().contains(error), qPrintable(encoder.errorString()));
    }

    void mp3FailsWithoutItsEncoder()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_output.path().toUtf8());
        auto converter = std::make_shared<AudioMp3Converter>(media(u"mono.mp4"_s));
        ConverterWatch watch(*converter);
        QVERIFY(converter->convertToFile(output(u"out.mp3"_s)));
        const bool ended = watch.waitForEnd();
        qputenv("PATH", path);
        QVERIFY(ended);
        QVERIFY(!converter->wasFullyConverted());
        QVERIFY(converter->failureReason().contains(u"not found"_s));
        QCOMPARE(outputFiles(), QStringList());
    }

private:
    QString media(const QString &name) const { return m_media.filePath(name); }
    QString output(const QString &name) const { return m_output.filePath(name); }
    QStringList outputFiles() const { return QDir(m_output.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_media;
    QTemporaryDir m_output;
};

QTEST_GUILESS_MAIN(TestConverter)
#include "tst_converter.moc"
